#include "PathText.h"

#include "TextDecoding.h"

namespace {

constexpr char16_t EscapedByte = 0xDC00;

// The length of the well-formed UTF-8 sequence at the start, or 0.
qsizetype sequenceLength(QByteArrayView bytes) {
    const auto at = [&](qsizetype i) { return uchar(bytes.at(i)); };
    const uchar lead = at(0);
    const qsizetype length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
    if (length == 0 || length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i)
        if ((at(i) & 0xC0) != 0x80)
            return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    if ((lead == 0xE0 && at(1) < 0xA0) || (lead == 0xED && at(1) >= 0xA0) ||
        (lead == 0xF0 && at(1) < 0x90) || (lead == 0xF4 && at(1) >= 0x90))
        return 0;
    return length;
}

bool isEscapedByte(QStringView text, qsizetype i) {
    const char16_t unit = text.at(i).unicode();
    const bool paired = i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode());
    return unit >= EscapedByte + 0x80 && unit <= EscapedByte + 0xFF && !paired;
}

} // namespace

QString pathText(QByteArrayView bytes) {
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = sequenceLength(bytes.sliced(i));
        if (length > 0)
            text += QString::fromUtf8(bytes.sliced(i, length));
        else
            text += QChar(char16_t(EscapedByte + uchar(bytes.at(i))));
        i += qMax(length, qsizetype(1));
    }
    return text;
}

QByteArray pathBytes(QStringView text) {
    QByteArray bytes;
    qsizetype run = 0; // start of the text not yet encoded
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isEscapedByte(text, i))
            continue;
        bytes += text.sliced(run, i - run).toUtf8();
        bytes += char(text.at(i).unicode() - EscapedByte);
        run = i + 1;
    }
    return run == 0 ? text.toUtf8() : bytes + text.sliced(run).toUtf8();
}

QString shownPath(QStringView text) {
    return decodeText(pathBytes(text));
}
