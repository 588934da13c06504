#include "PlayListFile.h"

#include "platform/FileOperations.h"
#include "settings/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

namespace {

QByteArray asciiUpper(const QByteArray& text) {
    return text.toUpper(); // ASCII letters only in Qt 6
}

bool isDecimal(QByteArrayView digits) {
    return !digits.isEmpty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHex(QByteArrayView digits) {
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

// Decimal with an optional sign, or hexadecimal after "0x"; anything else, or a number out of
// the 32-bit range, counts as 0.
qint32 entryCount(const QByteArray& text) {
    bool ok = false;
    qint64 value = 0;
    if (text.startsWith("0x") || text.startsWith("0X")) {
        if (isHex(text.sliced(2)))
            value = text.sliced(2).toLongLong(&ok, 16);
    } else {
        const bool signed_ = text.startsWith('-') || text.startsWith('+');
        if (isDecimal(signed_ ? text.sliced(1) : text))
            value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(value);
}

// The number n of a key "file<n>" as it would be looked up: decimal, no sign, no leading zero.
std::optional<qint64> fileKeyNumber(const QByteArray& key) {
    if (!key.toLower().startsWith("file"))
        return std::nullopt;
    const QByteArray digits = key.sliced(4);
    if (!isDecimal(digits) || digits.startsWith('0') || digits.size() > 10)
        return std::nullopt;
    return digits.toLongLong();
}

// Only keys that exist are visited, so a huge declared count costs nothing.
EntryList plsEntries(const QByteArray& text) {
    const IniDocument document = IniDocument::parse(text);
    const qint32 count = entryCount(document.value("playlist", "NumberOfEntries").value_or(""));
    std::map<qint64, QByteArray> numbered;
    for (const auto& [key, value] : document.entries("playlist")) {
        const auto number = fileKeyNumber(key);
        if (number && *number >= 1 && *number <= count)
            numbered.emplace(*number, value);
    }
    EntryList entries;
    for (const auto& [number, value] : numbered) {
        if (!value.isEmpty())
            entries.append(value);
    }
    return entries;
}

Status cannotOpen(const QString& path) {
    return Status::failure(QStringLiteral("Cannot open file ") + path);
}

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 code points.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        const bool high = byte >= 0x80 && byte <= 0x9F;
        text.append(QChar(high ? windows1252High[byte - 0x80] : char16_t(byte)));
    }
    return text;
}

} // namespace

EntryTable::EntryTable(const EntryList& entries) {
    for (const QByteArray& entry : entries) {
        spans_.append({bytes_.size(), entry.size()});
        bytes_ += entry;
    }
}

void EntryTable::appendRange(qsizetype offset, qsizetype length) {
    spans_.append({offset, length});
}

QByteArrayView EntryTable::at(qsizetype index) const {
    const Span& span = spans_.at(index);
    return QByteArrayView(bytes_).sliced(span.offset, span.length);
}

EntryList EntryTable::toList() const {
    EntryList entries;
    entries.reserve(spans_.size());
    for (qsizetype i = 0; i < spans_.size(); ++i)
        entries.append(at(i).toByteArray());
    return entries;
}

namespace {

// Calls `line(offset, length)` for every line of the text as IniDocument::splitLines cuts it.
template <typename LineFunction>
void forEachLine(QByteArrayView text, qsizetype start, LineFunction line) {
    const qsizetype nul = text.indexOf('\0');
    const qsizetype end = nul < 0 ? text.size() : nul;
    const char* data = text.data();
    const auto find = [&](char c, qsizetype from) {
        const void* hit = std::memchr(data + from, c, size_t(end - from));
        return hit ? static_cast<const char*>(hit) - data : end;
    };
    // The next LF and CR are looked up once each and reused, so a file with only one kind of
    // line end is still read in one pass.
    qsizetype nextLf = find('\n', start);
    qsizetype nextCr = find('\r', start);
    qsizetype lineStart = start;
    while (lineStart < end) {
        if (nextLf < lineStart)
            nextLf = find('\n', lineStart);
        if (nextCr < lineStart)
            nextCr = find('\r', lineStart);
        const qsizetype i = qMin(nextLf, nextCr);
        if (i >= end)
            break;
        line(lineStart, i - lineStart);
        lineStart = (data[i] == '\r' && i + 1 < end && data[i + 1] == '\n') ? i + 2 : i + 1;
    }
    if (lineStart < end)
        line(lineStart, end - lineStart);
}

bool startsWithExt(QByteArrayView line) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return line.size() >= 4 && line[0] == '#' && upper(line[1]) == 'E' && upper(line[2]) == 'X' &&
           upper(line[3]) == 'T';
}

QByteArrayView firstLine(QByteArrayView text, qsizetype start) {
    qsizetype end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != '\0')
        ++end;
    return text.sliced(start, end - start);
}

} // namespace

IndexedPlayList indexPlaylist(QByteArray bytes) {
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const QByteArray first = asciiUpper(firstLine(bytes, start).toByteArray());
    IndexedPlayList playlist;
    if (!first.contains("#EXTM3U") && first.contains("[PLAYLIST]")) {
        playlist.format = PlayListFormat::Pls;
        playlist.entries = EntryTable(plsEntries(bytes.sliced(start)));
        return playlist;
    }
    playlist.format =
        first.contains("#EXTM3U") ? PlayListFormat::ExtendedM3U : PlayListFormat::PlainM3U;
    const bool dropExtLines = playlist.format == PlayListFormat::ExtendedM3U;
    const QByteArrayView text(bytes);
    EntryTable entries(bytes);
    forEachLine(text, start, [&](qsizetype offset, qsizetype length) {
        if (!dropExtLines || !startsWithExt(text.sliced(offset, length)))
            entries.appendRange(offset, length);
    });
    playlist.entries = std::move(entries);
    return playlist;
}

Status loadIndexedPlaylist(const QString& path, IndexedPlayList& playlist) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return cannotOpen(path);
    playlist = indexPlaylist(file.readAll());
    return Status::ok();
}

PlayListContent ParsePlayList(const QByteArray& bytes) {
    const IndexedPlayList indexed = indexPlaylist(bytes);
    return {indexed.format, indexed.entries.toList()};
}

PlayListContent ReadPlayList(QIODevice& device) {
    return ParsePlayList(device.readAll());
}

Status LoadPlayList(const QString& path, PlayListContent& content) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return cannotOpen(path);
    content = ReadPlayList(file);
    return Status::ok();
}

Status LoadPlayList(const QString& path, EntryList& entries) {
    PlayListContent content;
    const Status status = LoadPlayList(path, content);
    if (status.isOk())
        entries = content.entries;
    return status;
}

QByteArray PlayListText(const EntryList& entries) {
    QByteArray text;
    for (const QByteArray& entry : entries)
        text += entry + "\r\n";
    return text;
}

QByteArray PlsText(const EntryList& entries) {
    QByteArray text = QByteArrayLiteral("[playlist]\r\n");
    for (qsizetype i = 0; i < entries.size(); ++i)
        text += "File" + QByteArray::number(i + 1) + '=' + entries.at(i) + "\r\n";
    text += "NumberOfEntries=" + QByteArray::number(entries.size()) + "\r\n";
    text += "Version=2\r\n";
    return text;
}

Status WritePlayList(const QString& path, const EntryList& entries, PlayListFormat format) {
    const QByteArray text =
        format == PlayListFormat::Pls ? PlsText(entries) : PlayListText(entries);
    return FileOperations::writeFileAtomically(path, text);
}

QString DecodeEntry(QByteArrayView entry) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(entry);
    return utf8.hasError() ? decodeWindows1252(entry) : text;
}

QByteArray EncodeEntry(const QString& text) {
    return text.toUtf8();
}
