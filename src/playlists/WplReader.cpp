#include "WplReader.h"

namespace {

QByteArray entryOf(QStringView written) {
    return written.toUtf8();
}

// XML holds characters: a name on disk that is not UTF-8 has no way in.
std::optional<QString> writtenOf(QStringView, const QByteArray& entry) {
    return entryCharacters(entry);
}

} // namespace

const MarkupRule& WplReader::rule() {
    static const MarkupRule wpl{PlaylistFormat::Wpl,
                                QLatin1StringView("smil"),
                                QLatin1StringView("seq"),
                                QLatin1StringView("media"),
                                {},
                                QLatin1StringView("src"),
                                Qt::CaseSensitive,
                                entryOf,
                                nullptr,
                                writtenOf};
    return wpl;
}

IndexedPlaylist WplReader::read(QIODevice& device) {
    return readMarkupPlaylist(device.readAll(), rule());
}
