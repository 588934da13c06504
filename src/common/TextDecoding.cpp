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
