#include "PlayListFile.h"

#include "platform/FileOperations.h"
#include "settings/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <limits>
#include <map>

namespace {

QByteArray asciiUpper(const QByteArray& text) {
    return text.toUpper(); // ASCII letters only in Qt 6
}

QByteArray withoutByteOrderMark(const QByteArray& bytes) {
    static constexpr char bom[] = "\xEF\xBB\xBF";
    return bytes.startsWith(bom) ? bytes.sliced(3) : bytes;
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

EntryList withoutExtLines(const QList<QByteArray>& lines) {
    EntryList entries;
    for (const QByteArray& line : lines) {
        if (asciiUpper(line.first(qMin(line.size(), qsizetype(4)))) != "#EXT")
            entries.append(line);
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

QString decodeWindows1252(const QByteArray& bytes) {
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

PlayListContent ParsePlayList(const QByteArray& bytes) {
    const QByteArray text = withoutByteOrderMark(bytes);
    const QList<QByteArray> lines = IniDocument::splitLines(text);
    if (lines.isEmpty())
        return {};
    const QByteArray first = asciiUpper(lines.first());
    if (first.contains("#EXTM3U"))
        return {PlayListFormat::ExtendedM3U, withoutExtLines(lines)};
    if (first.contains("[PLAYLIST]"))
        return {PlayListFormat::Pls, plsEntries(text)};
    return {PlayListFormat::PlainM3U, lines};
}

PlayListContent ReadPlayList(QIODevice& device) {
    return ParsePlayList(device.readAll());
}

Status CheckPlayListFileType(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || FileOperations::isRegularFile(path))
        return Status::ok();
    return Status::failure(QLatin1String("Not a playlist file (a pipe or a device):\r") + path);
}

Status LoadPlayList(const QString& path, PlayListContent& content) {
    if (Status type = CheckPlayListFileType(path); type.failed())
        return type;
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
        text += "File" + QByteArray::number(i + 1) + '=' + IniDocument::storedValue(entries.at(i)) +
                "\r\n";
    text += "NumberOfEntries=" + QByteArray::number(entries.size()) + "\r\n";
    text += "Version=2\r\n";
    return text;
}

Status WritePlayList(const QString& path, const EntryList& entries, PlayListFormat format) {
    const QByteArray text =
        format == PlayListFormat::Pls ? PlsText(entries) : PlayListText(entries);
    return FileOperations::writeFileAtomically(path, text);
}

QString DecodeEntry(const QByteArray& entry) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(entry);
    return utf8.hasError() ? decodeWindows1252(entry) : text;
}

QByteArray EncodeEntry(const QString& text) {
    return text.toUtf8();
}
