#include "PlaylistFile.h"
#include "MarkupFormats.h"
#include "PlaylistsLog.h"
#include "base/PathText.h"

#include "base/TextDecoding.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"
#include "settings/IniDocument.h"
#include "settings/Settings.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <map>

namespace {

QByteArray asciiUpper(const QByteArray& text) {
    return text.toUpper(); // ASCII letters only in Qt 6
}

constexpr QByteArrayView HexPrefix("0x");
constexpr QByteArrayView FileKeyPrefix("file");
// The longest number a "file<n>" key is looked up with: 32 bits.
constexpr qsizetype MaxFileNumberDigits = 10;
constexpr QByteArrayView ExtLinePrefix("#EXT");

bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView prefix) {
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// Decimal with an optional sign, or hexadecimal after "0x"; anything else, or a number out of
// the 32-bit range, counts as 0.
qint32 entryCount(const QByteArray& text) {
    bool ok = false;
    qint64 value = 0;
    if (startsWithIgnoringCase(text, HexPrefix)) {
        const QByteArray digits = text.sliced(HexPrefix.size());
        if (isDigits(digits, 16))
            value = digits.toLongLong(&ok, 16);
    } else {
        const bool signed_ = text.startsWith('-') || text.startsWith('+');
        if (isDigits(signed_ ? text.sliced(1) : text))
            value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(value);
}

// The number n of a key "file<n>" as it would be looked up: decimal, no sign, no leading zero.
std::optional<qint64> fileKeyNumber(const QByteArray& key) {
    if (!key.toLower().startsWith(FileKeyPrefix))
        return std::nullopt;
    const QByteArray digits = key.sliced(FileKeyPrefix.size());
    if (!isDigits(digits) || digits.startsWith('0') || digits.size() > MaxFileNumberDigits)
        return std::nullopt;
    return digits.toLongLong();
}

// XML in UTF-16 without a byte-order mark begins so.
constexpr QByteArrayView Utf16LEMarkup("<\0", 2);
constexpr QByteArrayView Utf16BEMarkup("\0<", 2);

// A NUL ends a playlist's text (in a UTF-16 one, a NUL character): what follows is never
// read, so a gigabyte of zeros costs what an empty file does.
bool textHasEnded(QByteArrayView read, qsizetype newFrom) {
    const bool unmarked = read.startsWith(Utf16LEMarkup) || read.startsWith(Utf16BEMarkup);
    if (!utf16MarkOf(read) && !unmarked)
        return read.sliced(newFrom).contains('\0');
    const qsizetype start = unmarked ? 0 : Utf16ByteOrderMarkSize;
    for (qsizetype i = qMax(start, newFrom & ~qsizetype(1)); i + 1 < read.size(); i += 2)
        if (read[i] == '\0' && read[i + 1] == '\0')
            return true;
    return false;
}

Status cannotOpen(const QString& path) {
    return Status::failure(QStringLiteral("Cannot open file ") + path);
}

Status cannotOpen(const QByteArray& path, const char* cause) {
    qCWarning(lcPlaylists).nospace() << "reading " << path << ": " << cause;
    return cannotOpen(decodeText(path));
}

} // namespace

EntryTable::EntryTable(const EntryList& entries) {
    for (const QByteArray& entry : entries) {
        appendRange(bytes_.size(), entry.size());
        bytes_ += entry;
    }
}

void EntryTable::appendRange(qsizetype offset, qsizetype length) {
    spans_.append({quint32(offset), quint32(length)});
}

void EntryTable::append(QByteArrayView entry) {
    appendRange(bytes_.size(), entry.size());
    bytes_.append(entry);
}

void EntryTable::append(const EntryTable& other) {
    const quint32 shift = quint32(bytes_.size());
    bytes_.append(other.bytes_);
    spans_.reserve(spans_.size() + other.spans_.size());
    for (const Span& span : other.spans_)
        spans_.append({span.offset + shift, span.length});
}

QByteArrayView EntryTable::at(qsizetype index) const {
    const Span& span = spans_.at(index);
    return QByteArrayView(bytes_).sliced(span.offset, span.length);
}

QByteArrayView IndexedPlaylist::writtenText(qsizetype row) const {
    if (!isMarkup())
        return entries.at(row);
    const MarkupSong& song = markupSongs.at(row);
    return QByteArrayView(markup).sliced(song.valueStart, song.valueEnd - song.valueStart);
}

void IndexedPlaylist::appendSongs(const IndexedPlaylist& batch) {
    format = batch.format;
    markupIsUtf8 = batch.markupIsUtf8;
    whole = whole && batch.whole;
    if (entries.isEmpty() && markupSongs.isEmpty()) {
        entries = batch.entries;
        markupSongs = batch.markupSongs;
        return;
    }
    entries.append(batch.entries);
    markupSongs.append(batch.markupSongs);
}

void IndexedPlaylist::reserveSongs(qint64 textSize) {
    if (markupSongs.isEmpty() || markupSongs.constLast().elementEnd == 0)
        return;
    // Room not written to costs no memory; a song takes a few dozen bytes of text at least.
    const double scale = 1.1 * double(textSize) / markupSongs.constLast().elementEnd;
    const qint64 songs = qMin(qint64(scale * markupSongs.size()) + 1024, textSize / 16);
    const qint64 bytes = qMin(qint64(scale * entries.buffer().size()) + 65536, textSize);
    entries.reserve(songs, bytes);
    markupSongs.reserve(songs);
}

EntryList EntryTable::toList() const {
    EntryList entries;
    entries.reserve(spans_.size());
    for (qsizetype i = 0; i < spans_.size(); ++i)
        entries.append(at(i).toByteArray());
    return entries;
}

namespace {

// The lines of a playlist: a NUL byte ends the text, `start` skips a byte-order mark.
template <typename LineFunction>
void forEachPlaylistLine(QByteArrayView text, qsizetype start, LineFunction line) {
    const qsizetype nul = text.indexOf('\0');
    const QByteArrayView read = text.first(nul < 0 ? text.size() : nul).sliced(start);
    forEachLine(read, [&](QByteArrayView part) { line(part.data() - text.data(), part.size()); });
}

bool startsWithExt(QByteArrayView line) {
    return startsWithIgnoringCase(line, ExtLinePrefix);
}

QByteArrayView firstLine(QByteArrayView text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0')
        ++end;
    return text.sliced(start, end - start);
}

// A control byte other than a tab; the line's end and a NUL end the line before it.
bool holdsControlBytes(QByteArrayView line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return (uchar(c) < 0x20 && c != '\t') || c == '\x7F'; });
}

// The [playlist] section of a PLS text read with the INI rules (the first such section; the
// first of repeated keys), its File<n> values kept as ranges of the text. Only keys that
// exist are visited, so a huge declared count costs nothing.
class PlsScan {
public:
    explicit PlsScan(QByteArrayView text) : text_(text) {}

    void line(qsizetype offset, qsizetype length) {
        const QByteArrayView line = text_.sliced(offset, length);
        if (const auto section = IniDocument::sectionNameOf(line)) {
            const bool playlist = asciiUpper(section->toByteArray()) == "PLAYLIST";
            inSection_ = playlist && !sectionSeen_;
            sectionSeen_ = sectionSeen_ || playlist;
            return;
        }
        const auto keyValue = IniDocument::keyValueOf(line);
        if (!inSection_ || !keyValue)
            return;
        const QByteArray key = keyValue->key.toByteArray();
        const QByteArrayView value = keyValue->value;
        if (asciiUpper(key) == "NUMBEROFENTRIES") {
            if (!count_)
                count_ = entryCount(value.toByteArray());
        } else if (const auto number = fileKeyNumber(key)) {
            files_.append({*number, value.data() - text_.data(), value.size()});
        }
    }

    // The entries in number order, within the declared count, empty values left out.
    void addTo(EntryTable& entries) {
        // A repeated key counts once, with its first value.
        std::stable_sort(files_.begin(), files_.end(),
                         [](const File& a, const File& b) { return a.number < b.number; });
        for (qsizetype i = 0; i < files_.size(); ++i) {
            const File& file = files_.at(i);
            const bool repeated = i > 0 && files_.at(i - 1).number == file.number;
            if (!repeated && file.number >= 1 && file.number <= count_.value_or(0) &&
                file.length > 0)
                entries.appendRange(file.offset, file.length);
        }
    }

private:
    struct File {
        qint64 number;
        qsizetype offset;
        qsizetype length;
    };
    QByteArrayView text_;
    bool inSection_ = false;
    bool sectionSeen_ = false;
    std::optional<qint32> count_;
    QList<File> files_;
};

// The text as UTF-16 with a mark, or as XML in UTF-16 without one; none for 8-bit text.
std::optional<Utf16Text> utf16TextOf(const QByteArray& bytes, PlaylistEncoding& encoding) {
    if (std::optional<Utf16Text> marked = readUtf16Text(bytes)) {
        const bool little = marked->encoding == QStringConverter::Utf16LE;
        encoding = little ? PlaylistEncoding::Utf16LE : PlaylistEncoding::Utf16BE;
        return marked;
    }
    const bool little = bytes.startsWith(Utf16LEMarkup);
    if (!little && !bytes.startsWith(Utf16BEMarkup))
        return std::nullopt;
    const QByteArray mark = little ? "\xFF\xFE" : "\xFE\xFF";
    std::optional<Utf16Text> unmarked = readUtf16Text(QByteArray(mark + bytes));
    if (unmarked)
        encoding = little ? PlaylistEncoding::Utf16LEUnmarked : PlaylistEncoding::Utf16BEUnmarked;
    return unmarked;
}

} // namespace

IndexedPlaylist indexPlaylist(QByteArray bytes, std::unique_ptr<MarkupPlaylistReading>* rest) {
    IndexedPlaylist playlist;
    if (const std::optional<Utf16Text> utf16 = utf16TextOf(bytes, playlist.encoding)) {
        playlist.whole = utf16->whole;
        bytes = utf16->text.toUtf8();
    }
    playlist.whole = playlist.whole && !bytes.contains('\0');
    if (const MarkupRule* rule = markupRuleOf(bytes)) {
        const qsizetype nul = bytes.indexOf('\0');
        if (nul >= 0)
            bytes.truncate(nul);
        playlist.format = rule->format;
        // Beyond what the offsets address; no real playlist comes near it.
        if (bytes.size() >= qsizetype(std::numeric_limits<quint32>::max()))
            return playlist;
        playlist.markup = std::move(bytes);
        auto reading = std::make_unique<MarkupPlaylistReading>(playlist, *rule);
        if (rest)
            *rest = std::move(reading);
        else
            reading->readToEnd(playlist);
        return playlist;
    }
    // Beyond what the table addresses; no real playlist comes near it.
    if (bytes.size() >= qsizetype(std::numeric_limits<quint32>::max()))
        return {};
    const qsizetype start = bytes.startsWith(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    // A file with a playlist's name that is no text (an ASF video named .asx) lists no songs,
    // so none of its bytes reach a player, and it is never rewritten.
    if (holdsControlBytes(firstLine(bytes, start))) {
        playlist.whole = false;
        return playlist;
    }
    const QByteArray first = asciiUpper(firstLine(bytes, start).toByteArray());
    const QByteArrayView text(bytes);
    if (!first.contains("#EXTM3U") && first.contains("[PLAYLIST]")) {
        playlist.format = PlaylistFormat::Pls;
        PlsScan scan(text);
        forEachPlaylistLine(text, start,
                            [&](qsizetype offset, qsizetype length) { scan.line(offset, length); });
        EntryTable entries(bytes);
        scan.addTo(entries);
        playlist.entries = std::move(entries);
        return playlist;
    }
    playlist.format =
        first.contains("#EXTM3U") ? PlaylistFormat::ExtendedM3U : PlaylistFormat::PlainM3U;
    const bool dropExtLines = playlist.format == PlaylistFormat::ExtendedM3U;
    EntryTable entries(bytes);
    forEachPlaylistLine(text, start, [&](qsizetype offset, qsizetype length) {
        if (!dropExtLines || !startsWithExt(text.sliced(offset, length)))
            entries.appendRange(offset, length);
    });
    playlist.entries = std::move(entries);
    return playlist;
}

namespace {

// What the song list reads first of a playlist, to tell an XML one.
constexpr qsizetype HeadBytes = 65536;
// The window an XML playlist is read through: small beside the songs' own memory, large
// enough that reading it in and the token read again at its end cost nothing to speak of.
constexpr qsizetype MarkupWindowBytes = 1 << 20;
constexpr qint64 SizeLimit = std::numeric_limits<quint32>::max();

// An 8-bit XML playlist read from the open file a window at a time, its text never held whole;
// none for anything else, read whole (UTF-16 text is converted at once, being rare).
std::unique_ptr<MarkupPlaylistReading> streamedMarkup(const QByteArray& path,
                                                      PlaylistFormat& format) {
    auto file = std::make_shared<FileHandle>(RawNames::openRegularFile(path));
    if (!file->isOpen())
        return {};
    QByteArray head;
    if (!RawNames::readAt(*file, path, 0, HeadBytes, head) || utf16MarkOf(head) ||
        head.startsWith(Utf16LEMarkup) || head.startsWith(Utf16BEMarkup))
        return {};
    const MarkupRule* rule = markupRuleOf(head);
    if (!rule)
        return {};
    format = rule->format;
    MarkupSource::Read read = [file, path](qint64 offset, qsizetype bytes, QByteArray& into) {
        // Beyond what the offsets address; no real playlist comes near it.
        return offset >= SizeLimit ||
               RawNames::readAt(*file, path, offset, qsizetype(qMin(bytes, SizeLimit - offset)),
                                into);
    };
    return std::make_unique<MarkupPlaylistReading>(
        MarkupSource::parts(std::move(read), MarkupWindowBytes), *rule);
}

} // namespace

Status withMarkupText(IndexedPlaylist& playlist, const FileIdentity& identity) {
    if (!playlist.isMarkup() || !playlist.markup.isEmpty())
        return Status::ok();
    const Status changed = Status::failure(QStringLiteral("Unable to update file!"));
    if (FileIdentity::of(identity.path) != identity)
        return changed;
    std::optional<QByteArray> text =
        RawNames::readRegularFile(identity.path, textHasEnded, SizeLimit);
    // Read between two looks that found the file as it was read.
    if (!text || FileIdentity::of(identity.path) != identity) {
        qCWarning(lcPlaylists).nospace() << "not rewriting " << identity.path << ": changed";
        return changed;
    }
    if (const qsizetype nul = text->indexOf('\0'); nul >= 0)
        text->truncate(nul);
    playlist.markup = std::move(*text);
    return Status::ok();
}

std::optional<QByteArray> writtenTextOnDisk(const IndexedPlaylist& playlist, qsizetype row,
                                            const FileIdentity& identity) {
    const MarkupSong& song = playlist.markupSongs.at(row);
    const qsizetype length = qsizetype(song.valueEnd) - qsizetype(song.valueStart);
    if (FileIdentity::of(identity.path) != identity)
        return std::nullopt;
    const FileHandle file = RawNames::openRegularFile(identity.path);
    QByteArray text;
    const bool read =
        file.isOpen() && RawNames::readAt(file, identity.path, song.valueStart, length, text);
    // Read between two looks that found the file as it was read.
    if (!read || text.size() != length || FileIdentity::of(identity.path) != identity)
        return std::nullopt;
    return text;
}

Result<IndexedPlaylist> loadIndexedPlaylist(const QString& path) {
    return loadIndexedPlaylist(pathBytes(path));
}

namespace {
Status checkFileType(const QByteArray& path, const std::optional<RawNames::FileStatus>& status) {
    if (!status || status->isFolder || status->isRegular)
        return Status::ok();
    qCWarning(lcPlaylists) << path << "is a pipe or a device, not a playlist";
    return Status::failure(QLatin1String("Not a playlist file (a pipe or a device):\r") +
                           decodeText(path));
}
} // namespace

Result<IndexedPlaylist> loadIndexedPlaylist(const QByteArray& path,
                                            std::unique_ptr<MarkupPlaylistReading>* rest) {
    return loadIndexedPlaylist(path, PlaylistLookAhead{RawNames::status(path), {}}, rest);
}

Result<IndexedPlaylist> loadIndexedPlaylist(const QByteArray& path, const PlaylistLookAhead& ahead,
                                            std::unique_ptr<MarkupPlaylistReading>* rest) {
    const std::optional<RawNames::FileStatus>& status = ahead.status;
    if (Status type = checkFileType(path, status); type.failed())
        return type;
    if (!status)
        return cannotOpen(path, "not found");
    if (!status->isRegular)
        return cannotOpen(path, "a folder");
    constexpr qint64 Limit = std::numeric_limits<quint32>::max();
    if (status->size >= Limit)
        return cannotOpen(path, "4 GB or more");
    PlaylistFormat format = PlaylistFormat::PlainM3U;
    if (rest && !ahead.file.isOpen())
        if (std::unique_ptr<MarkupPlaylistReading> reading = streamedMarkup(path, format)) {
            IndexedPlaylist playlist;
            playlist.format = format;
            *rest = std::move(reading);
            return playlist;
        }
    // A status from a folder listing has no size: the reading looks at it.
    std::optional<QByteArray> content =
        ahead.file.isOpen() ? RawNames::readRegularFile(ahead.file, path, textHasEnded, Limit)
                            : RawNames::readRegularFile(path, textHasEnded, Limit);
    if (!content)
        return cannotOpen(decodeText(path)); // the reading logged why
    if (content->size() >= Limit)
        return cannotOpen(path, "4 GB or more");
    return indexPlaylist(std::move(*content), rest);
}

PlaylistContent parsePlaylist(const QByteArray& bytes) {
    const IndexedPlaylist indexed = indexPlaylist(bytes);
    return {indexed.format, indexed.entries.toList()};
}

PlaylistContent readPlaylist(QIODevice& device) {
    return parsePlaylist(device.readAll());
}

Status checkPlaylistFileType(const QString& path) {
    const QByteArray bytes = pathBytes(path);
    return checkFileType(bytes, RawNames::status(bytes));
}

Result<PlaylistContent> loadPlaylist(const QString& path) {
    const Result<IndexedPlaylist> indexed = loadIndexedPlaylist(path);
    if (indexed.failed())
        return indexed.status();
    return PlaylistContent{indexed->format, indexed->entries.toList()};
}

QByteArray playlistText(const EntryList& entries) {
    QByteArray text;
    for (const QByteArray& entry : entries)
        text += entry + "\r\n";
    return text;
}

QByteArray plsText(const EntryList& entries) {
    QByteArray text = QByteArrayLiteral("[playlist]\r\n");
    for (qsizetype i = 0; i < entries.size(); ++i)
        text += "File" + QByteArray::number(i + 1) + '=' + IniDocument::storedValue(entries.at(i)) +
                "\r\n";
    text += "NumberOfEntries=" + QByteArray::number(entries.size()) + "\r\n";
    text += "Version=2\r\n";
    return text;
}

Status writePlaylist(const QString& path, const EntryList& entries, PlaylistFormat format,
                     PlaylistEncoding encoding) {
    return writePlaylist(pathBytes(path), entries, format, encoding);
}

Status writePlaylist(const QByteArray& path, const EntryList& entries, PlaylistFormat format,
                     PlaylistEncoding encoding) {
    return writePlaylistText(
        path, format == PlaylistFormat::Pls ? plsText(entries) : playlistText(entries), encoding);
}

QByteArray playlistFileBytes(const QByteArray& text, PlaylistEncoding encoding) {
    switch (encoding) {
    case PlaylistEncoding::Utf16LE:
        return utf16FileText(text, QStringConverter::Utf16LE);
    case PlaylistEncoding::Utf16BE:
        return utf16FileText(text, QStringConverter::Utf16BE);
    case PlaylistEncoding::Utf16LEUnmarked:
        return utf16FileText(text, QStringConverter::Utf16LE).sliced(Utf16ByteOrderMarkSize);
    case PlaylistEncoding::Utf16BEUnmarked:
        return utf16FileText(text, QStringConverter::Utf16BE).sliced(Utf16ByteOrderMarkSize);
    case PlaylistEncoding::Bytes:
        break;
    }
    return eightBitFileText(text);
}

Status writePlaylistText(const QByteArray& path, const QByteArray& text,
                         PlaylistEncoding encoding) {
    return FileOperations::writeFile(path, playlistFileBytes(text, encoding));
}

bool hasPlaylistExtension(QByteArrayView name) {
    return std::any_of(PlaylistMasks.cbegin(), PlaylistMasks.cend(), [&](const QString& mask) {
        const QByteArray extension = mask.mid(1).toLatin1(); // "*.EXT"
        return name.size() >= extension.size() &&
               name.last(extension.size()).compare(extension, Qt::CaseInsensitive) == 0;
    });
}

QString decodeEntry(QByteArrayView entry) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(entry);
    return utf8.hasError() ? decodeWindows1252(entry) : text;
}

QByteArray encodeEntry(const QString& text) {
    return text.toUtf8();
}
