#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringConverter>

#include <cstring>
#include <optional>

// Text from files the user may have made elsewhere (settings written on Windows): UTF-8 when
// the bytes are valid UTF-8, otherwise Windows-1252, so no byte turns into a replacement mark.
QString decodeText(QByteArrayView bytes);
// Every byte as Windows-1252 has it; the five unassigned bytes keep their C1 code points.
QString decodeWindows1252(QByteArrayView bytes);

// The UTF-8 byte-order mark some editors put at the start of a text.
inline constexpr QByteArrayView Utf8ByteOrderMark("\xEF\xBB\xBF");
// The UTF-16 form a byte-order mark at the start announces; only a UTF-16 mark is looked at
// (FF FE 00 00 still reads as UTF-16, not as UTF-32).
std::optional<QStringConverter::Encoding> utf16MarkOf(QByteArrayView text);
constexpr qsizetype Utf16ByteOrderMarkSize = 2;

// A file's text read as UTF-16, which takes more than a mark: text that holds no UTF-16 line
// end where its bytes hold an 8-bit CR LF is 8-bit text that happens to begin with the mark's
// bytes (a Latin-1 name starting with "\xFF\xFE").
struct Utf16Text {
    QStringConverter::Encoding encoding;
    QString text; // without the mark
    // False when it would not come back the same: an odd last byte, an unpaired surrogate.
    bool whole = true;
};
std::optional<Utf16Text> readUtf16Text(QByteArrayView bytes);

// 8-bit lines (each UTF-8 when valid, otherwise Windows-1252) as UTF-16 text with its mark;
// every line end stays as it was.
QByteArray utf16FileText(QByteArrayView lines, QStringConverter::Encoding encoding);

// 8-bit text as a file keeps it: text that begins like a UTF-16 mark gets a UTF-8 mark in
// front, which the program's readers skip, so it is never taken for UTF-16.
QByteArray eightBitFileText(QByteArray text);

// True when the text is not empty and every character is a digit of the base (10 or 16).
bool isDigits(QByteArrayView text, int base = 10);
bool isDigits(QStringView text, int base = 10);

// Calls `line(QByteArrayView)` for every line of the text: lines end at CR LF, CR or LF, every
// other byte (a NUL too) belongs to its line, and a final line end makes no extra empty line.
// The next LF and CR are looked up once each and reused, so a text with one kind of line end
// is read in one pass.
template <typename LineFunction> void forEachLine(QByteArrayView text, LineFunction line) {
    const qsizetype end = text.size();
    if (end == 0)
        return;
    const char* data = text.data();
    const auto find = [&](char c, qsizetype from) {
        const void* hit = std::memchr(data + from, c, size_t(end - from));
        return hit ? static_cast<const char*>(hit) - data : end;
    };
    qsizetype nextLf = find('\n', 0);
    qsizetype nextCr = find('\r', 0);
    qsizetype lineStart = 0;
    while (lineStart < end) {
        if (nextLf < lineStart)
            nextLf = find('\n', lineStart);
        if (nextCr < lineStart)
            nextCr = find('\r', lineStart);
        const qsizetype i = qMin(nextLf, nextCr);
        if (i >= end)
            break;
        line(text.sliced(lineStart, i - lineStart));
        lineStart = (data[i] == '\r' && i + 1 < end && data[i + 1] == '\n') ? i + 2 : i + 1;
    }
    if (lineStart < end)
        line(text.sliced(lineStart));
}

// The lines of forEachLine as copies.
QList<QByteArray> splitLines(QByteArrayView text);
