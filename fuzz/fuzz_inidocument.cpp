// INI documents: any bytes parse; written text reads back as itself; after one key is changed
// every other section and key reads as before, and the changed key as written.
#include "FuzzCheck.h"
#include "base/TextDecoding.h"
#include "settings/IniDocument.h"

#include <QList>

namespace {

constexpr int MaxNames = 24;

QByteArray trimmed(const QByteArray& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text.at(start) == ' ' || text.at(start) == '\t'))
        ++start;
    while (end > start && (text.at(end - 1) == ' ' || text.at(end - 1) == '\t'))
        --end;
    return text.mid(start, end - start);
}

// A name with a line break cannot stand in a line; only the bytes of a UTF-16 text, split
// as if they were 8-bit text, give such names.
bool holdable(const QByteArray& name) {
    return !name.contains('\r');
}

// Section and key names as the text holds them, plus one that it does not.
void collectNames(const QByteArray& text, QList<QByteArray>& sections, QList<QByteArray>& keys) {
    sections = {QByteArrayLiteral("Fuzz")};
    keys = {QByteArrayLiteral("Key")};
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = trimmed(raw.endsWith('\r') ? raw.chopped(1) : raw);
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            const QByteArray name = trimmed(close < 0 ? line.mid(1) : line.mid(1, close - 1));
            if (sections.size() < MaxNames && holdable(name))
                sections.append(name);
        } else if (!line.startsWith(';') && line.contains('=') && keys.size() < MaxNames) {
            const QByteArray name = trimmed(line.left(line.indexOf('=')));
            if (holdable(name))
                keys.append(name);
        }
    }
}

// A line break or NUL ends a value; a UTF-16 file holds text, so bytes that are not UTF-8
// come back as their Windows-1252 characters.
QByteArray expectedValue(const QByteArray& value, bool textOnly) {
    qsizetype end = 0;
    while (end < value.size() && value.at(end) != '\r' && value.at(end) != '\n' &&
           value.at(end) != '\0')
        ++end;
    const QByteArray cut = value.left(end);
    return textOnly && !cut.isValidUtf8() ? decodeWindows1252(cut).toUtf8() : cut;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    const IniDocument document = IniDocument::parse(bytes);
    const QByteArray text = document.toText();
    FUZZ_CHECK(IniDocument::parse(text).toText() == text);

    QList<QByteArray> sections;
    QList<QByteArray> keys;
    collectNames(text, sections, keys);
    const uint8_t pick = size > 0 ? data[0] : 0;
    const QByteArray section = sections.at(pick % sections.size());
    const QByteArray key = keys.at((pick / 16) % keys.size());
    const QByteArray value = bytes.right(qMin(qsizetype(size), qsizetype(40)));

    IniDocument edited = document;
    edited.setValue(section, key, value);
    const IniDocument reread = IniDocument::parse(edited.toText());
    FUZZ_CHECK(reread.value(section, key) == expectedValue(value, document.holdsOnlyText()));
    for (const QByteArray& s : sections) {
        for (const QByteArray& k : keys) {
            if (s.toLower() == section.toLower() && k.toLower() == key.toLower())
                continue;
            FUZZ_CHECK(reread.value(s, k) == document.value(s, k));
        }
    }
    return 0;
}
