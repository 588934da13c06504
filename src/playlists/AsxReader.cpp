#include "AsxReader.h"

#include "FileUri.h"

namespace {

QByteArray entryOf(QStringView written) {
    const QStringView reference = written.trimmed();
    return FileUri::pathOf(reference).value_or(reference.toUtf8());
}

// A file URI stays one; a path stays a path, which XML can hold only as characters.
std::optional<QString> writtenOf(QStringView oldWritten, const QByteArray& entry) {
    const bool absolute = FileUri::isAbsolutePath(entry);
    if (absolute && FileUri::pathOf(oldWritten.trimmed()))
        return QString::fromLatin1(FileUri::uriOf(entry));
    return entryCharacters(entry);
}

} // namespace

const MarkupRule& AsxReader::rule() {
    static const MarkupRule asx{PlaylistFormat::Asx,
                                QLatin1StringView("asx"),
                                {},
                                QLatin1StringView("entry"),
                                QLatin1StringView("ref"),
                                QLatin1StringView("href"),
                                Qt::CaseInsensitive,
                                entryOf,
                                nullptr,
                                writtenOf};
    return asx;
}

IndexedPlaylist AsxReader::read(QIODevice& device) {
    return readMarkupPlaylist(device.readAll(), rule());
}
