#include "TextDecoding.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 code points.
constexpr uchar FirstHighByte = 0x80;
constexpr uchar LastHighByte = 0x9F;
constexpr char16_t windows1252High[LastHighByte - FirstHighByte + 1] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

template <typename Char> bool isDigitOf(Char c, int base) {
    const bool decimal = c >= '0' && c <= '9';
    return base == 16 ? decimal || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') : decimal;
}

} // namespace

QString decodeWindows1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        const bool high = byte >= FirstHighByte && byte <= LastHighByte;
        text.append(QChar(high ? windows1252High[byte - FirstHighByte] : char16_t(byte)));
    }
    return text;
}

QString decodeText(QByteArrayView bytes) {
    if (!bytes.isValidUtf8())
        return decodeWindows1252(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

std::optional<QStringConverter::Encoding> utf16MarkOf(QByteArrayView text) {
    if (text.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (text.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

std::optional<Utf16Text> readUtf16Text(QByteArrayView bytes) {
    const std::optional<QStringConverter::Encoding> mark = utf16MarkOf(bytes);
    if (!mark)
        return std::nullopt;
    const QByteArrayView body = bytes.sliced(Utf16ByteOrderMarkSize);
    const qsizetype even = body.size() & ~qsizetype(1);
    // The mark is cut off above; a second one is part of the text.
    QStringDecoder decoder(*mark, QStringDecoder::Flag::Stateless |
                                      QStringDecoder::Flag::ConvertInitialBom);
    Utf16Text read{*mark, decoder.decode(body.first(even)), even == body.size()};
    // The decoder passes an unpaired surrogate on; it would not survive the way back.
    read.whole = read.whole && !decoder.hasError() && read.text.isValidUtf16();
    const bool lineEnds = read.text.contains(u'\n') || read.text.contains(u'\r');
    if (!lineEnds && body.contains("\r\n"))
        return std::nullopt;
    return read;
}

QByteArray utf16FileText(QByteArrayView lines, QStringConverter::Encoding encoding) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text;
    text.reserve(lines.size());
    // Each line on its own: one Latin-1 line must not turn the UTF-8 ones into Latin-1.
    forEachLine(lines, [&](QByteArrayView line) {
        const QString decoded = utf8.decode(line);
        text += utf8.hasError() ? decodeWindows1252(line) : decoded;
        utf8.resetState();
        const qsizetype end = line.data() - lines.data() + line.size();
        if (end < lines.size())
            text += QLatin1Char(lines[end]);
        if (end + 1 < lines.size() && lines[end] == '\r' && lines[end + 1] == '\n')
            text += QLatin1Char('\n');
    });
    QStringEncoder utf16(encoding, QStringEncoder::Flag::WriteBom);
    return utf16.encode(text);
}

QByteArray eightBitFileText(QByteArray text) {
    if (utf16MarkOf(text))
        text.prepend(Utf8ByteOrderMark.data(), Utf8ByteOrderMark.size());
    return text;
}

bool isDigits(QByteArrayView text, int base) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [base](char c) { return isDigitOf(c, base); });
}

bool isDigits(QStringView text, int base) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [base](QChar c) { return isDigitOf(c.unicode(), base); });
}

QList<QByteArray> splitLines(QByteArrayView text) {
    QList<QByteArray> lines;
    forEachLine(text, [&lines](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}
