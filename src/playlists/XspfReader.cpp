#include "XspfReader.h"

#include "FileUri.h"

namespace {

QByteArray entryOf(QStringView written) {
    const QStringView uri = written.trimmed();
    if (const std::optional<QByteArray> path = FileUri::pathOf(uri))
        return *path;
    return FileUri::hasScheme(uri) ? uri.toUtf8() : FileUri::relativePathOf(uri);
}

// A file URI read from its bytes; anything else goes the way of entryOf().
std::optional<QByteArray> plainEntryOf(QByteArrayView written) {
    if (!QLatin1StringView(written).startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive))
        return std::nullopt;
    return FileUri::localPathOf(written);
}

std::optional<QString> writtenOf(QStringView, const QByteArray& entry) {
    const QString text = QString::fromLatin1(entry.first(qMin(entry.size(), qsizetype(64))));
    // An entry that reads as a file URI came from a relative reference ("file%3A..."): it
    // goes back as one. Other URIs go back as they are, bytes beyond UTF-8 escaped.
    if (FileUri::hasScheme(text) && !FileUri::pathOf(text))
        return QByteArrayView(entry).isValidUtf8()
                   ? QString::fromUtf8(entry)
                   : QString::fromLatin1(FileUri::escapedBytes(entry));
    const bool absolute = FileUri::isAbsolutePath(entry);
    return QString::fromLatin1(absolute ? FileUri::uriOf(entry) : FileUri::referenceOf(entry));
}

} // namespace

const MarkupRule& XspfReader::rule() {
    static const MarkupRule xspf{PlaylistFormat::Xspf,
                                 QLatin1StringView("playlist"),
                                 QLatin1StringView("trackList"),
                                 QLatin1StringView("track"),
                                 QLatin1StringView("location"),
                                 {},
                                 Qt::CaseSensitive,
                                 entryOf,
                                 plainEntryOf,
                                 writtenOf};
    return xspf;
}

IndexedPlaylist XspfReader::read(QIODevice& device) {
    return readMarkupPlaylist(device.readAll(), rule());
}
