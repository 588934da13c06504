#include "MarkupEdit.h"

#include "MarkupFormats.h"
#include "VlcItemList.h"
#include "base/TextDecoding.h"

namespace {

Status cannotHoldName() {
    return Status::failure(
        QStringLiteral("Unable to update file, the new name cannot be written in it!"));
}

// A Windows-1252 file whose other bytes would then read as UTF-8.
Status charactersWouldChange() {
    return Status::failure(
        QStringLiteral("Unable to update file, its other characters would read differently!"));
}

Status songsInSeveralLists() {
    return Status::failure(
        QStringLiteral("Unable to update file, its songs are in more than one list!"));
}

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

QByteArray characterReference(char32_t c) {
    return "&#x" + QByteArray::number(uint(c), 16).toUpper() + ';';
}

// The value as the file's text: markup characters escaped, line ends and tabs of an attribute
// as references (a reader would make them blanks), and in a Windows-1252 file everything
// beyond ASCII as a reference. `quote` is the attribute's quote, or 0 for element text.
std::optional<QByteArray> escaped(const QString& value, char quote, bool utf8) {
    QByteArray out;
    const QList<uint> characters = value.toUcs4();
    for (const uint c : characters) {
        if (!isXmlCharacter(c))
            return std::nullopt;
        switch (c) {
        case '&':
            out += "&amp;";
            continue;
        case '<':
            out += "&lt;";
            continue;
        case '>':
            out += "&gt;";
            continue;
        case '"':
        case '\'':
            out += c == uint(uchar(quote)) ? characterReference(c) : QByteArray(1, char(c));
            continue;
        case '\t':
        case '\n':
        case '\r':
            out += quote != 0 || c == '\r' ? characterReference(c) : QByteArray(1, char(c));
            continue;
        default:
            break;
        }
        if (c < 0x80)
            out += char(c);
        else if (utf8)
            out += QStringView(QChar::fromUcs4(c)).toUtf8(); // fromUcs4 would drop a U+FEFF
        else
            out += characterReference(c);
    }
    return out;
}

// A song's element, with its location replaced when the edit gives a new entry.
Status songElement(const IndexedPlaylist& playlist, const MarkupRule& rule, const SongEdit& edit,
                   QByteArray& out) {
    const MarkupSong& song = playlist.markupSongs.at(edit.row);
    const QByteArrayView text(playlist.markup);
    if (!edit.entry) {
        out += text.sliced(song.elementStart, song.elementEnd - song.elementStart);
        return Status::ok();
    }
    const QString oldWritten = decodeText(playlist.writtenText(edit.row));
    const std::optional<QString> written = rule.writtenOf(oldWritten, *edit.entry);
    const char quote = rule.attribute.isEmpty() ? '\0' : text.at(song.valueStart - 1);
    const std::optional<QByteArray> value =
        written ? escaped(*written, quote, playlist.markupIsUtf8) : std::nullopt;
    if (!value)
        return cannotHoldName();
    out += text.sliced(song.elementStart, song.valueStart - song.elementStart);
    out += *value;
    out += text.sliced(song.valueEnd, song.elementEnd - song.valueEnd);
    return Status::ok();
}

bool isAscii(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

// Where the blanks before an element begin, not before `from`.
qsizetype blanksBefore(QByteArrayView text, qsizetype start, qsizetype from) {
    while (start > from && QByteArrayView(" \t\r\n").contains(text[start - 1]))
        --start;
    return start;
}

} // namespace

Result<QByteArray> markupEditedText(const IndexedPlaylist& playlist, const SongEdits& songs) {
    const MarkupRule* rule = markupRuleOf(playlist.format);
    const QList<MarkupSong>& all = playlist.markupSongs;
    if (!rule)
        return Status::failure(QStringLiteral("Unable to update file!"));
    // Each kept song's place, in file order, takes the next song of the list.
    QList<bool> kept(all.size(), false);
    for (const SongEdit& song : songs)
        kept[song.row] = true;
    const QByteArrayView markup(playlist.markup);
    QByteArray out;
    out.reserve(markup.size());
    qsizetype copied = 0;
    qsizetype next = 0;
    for (qsizetype row = 0; row < all.size(); ++row) {
        const MarkupSong& place = all.at(row);
        if (!kept.at(row)) {
            out += markup.sliced(copied, blanksBefore(markup, place.elementStart, copied) - copied);
            copied = place.elementEnd;
            continue;
        }
        const SongEdit& song = songs.at(next++);
        if (all.at(song.row).parent != place.parent)
            return songsInSeveralLists();
        out += markup.sliced(copied, place.elementStart - copied);
        if (Status element = songElement(playlist, *rule, song, out); element.failed())
            return element;
        copied = place.elementEnd;
    }
    out += markup.sliced(copied);
    if (playlist.format == PlaylistFormat::Xspf)
        out = VlcItemList::inStep(markup, std::move(out));
    if (!playlist.markupIsUtf8 && QByteArrayView(out).isValidUtf8() && !isAscii(out))
        return charactersWouldChange();
    return out;
}
