#include "IniDocument.h"

#include "base/TextDecoding.h"

#include <QByteArrayView>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool isBlankLine(const QByteArray& line) {
    return trimBlanks(line).isEmpty();
}

std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView text = trimBlanks(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const QByteArrayView inside = text.sliced(1);
    const qsizetype close = inside.indexOf(']');
    return trimBlanks(close < 0 ? inside : inside.first(close));
}

struct KeyLine {
    QByteArrayView key;
    QByteArrayView rawValue;
};

// Comments and lines without "=" hold no key.
std::optional<KeyLine> keyLine(QByteArrayView line) {
    const QByteArrayView text = trimBlanks(line);
    if (text.startsWith(';'))
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return KeyLine{trimBlanks(text.first(equals)), text.sliced(equals + 1)};
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

QByteArrayView cleanValue(QByteArrayView raw) {
    QByteArrayView value = trimBlanks(raw);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

// A line break or NUL inside a value would split it into lines of its own.
QByteArrayView singleLine(QByteArrayView value) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '\r' || c == '\n' || c == '\0')
            return value.first(i);
    }
    return value;
}

// Reading strips surrounding blanks and one pair of enclosing quotes; one more pair of double
// quotes brings such a value back as it was, and old files read as before.
bool needsQuotes(QByteArrayView value) {
    if (value.isEmpty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()))
        return true;
    return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

QByteArray keyText(const QByteArray& key, const QByteArray& value) {
    return key + '=' + IniDocument::storedValue(value);
}

// Only ASCII letters fold (as QByteArray::toLower does in Qt 6): a UTF-8 name must not match by
// a Latin-1 reading of its bytes.
QByteArray folded(QByteArrayView name) {
    return name.toByteArray().toLower();
}

bool isFoldedAs(QByteArrayView name, QByteArrayView foldedName) {
    if (name.size() != foldedName.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name.at(i);
        if ((c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c) != foldedName.at(i))
            return false;
    }
    return true;
}

// Lookups of a section before its keys are indexed: a few scans cost less than an index of a
// long section.
constexpr int ScansBeforeIndex = 4;

} // namespace

IniDocument::IniDocument() : sections_(1) {}

QByteArray IniDocument::storedValue(const QByteArray& value) {
    const QByteArrayView text = singleLine(value);
    if (needsQuotes(text))
        return '"' + text.toByteArray() + '"';
    return text.toByteArray();
}

std::optional<QByteArrayView> IniDocument::sectionNameOf(QByteArrayView line) {
    return sectionName(line);
}

std::optional<IniDocument::KeyValue> IniDocument::keyValueOf(QByteArrayView line) {
    const auto key = keyLine(line);
    if (!key || sectionName(line))
        return std::nullopt;
    return KeyValue{key->key, cleanValue(key->rawValue)};
}

IniDocument IniDocument::parse(const QByteArray& bytes) {
    IniDocument document;
    QByteArray text = bytes;
    if (const std::optional<Utf16Text> utf16 = readUtf16Text(bytes)) {
        document.utf16_ = utf16->encoding;
        document.whole_ = utf16->whole;
        text = utf16->text.toUtf8();
    }
    QByteArrayView body(text);
    if (body.startsWith(Utf8ByteOrderMark)) {
        document.byteOrderMark_ = true;
        body = body.sliced(Utf8ByteOrderMark.size());
    }
    forEachLine(body,
                [&document](QByteArrayView line) { document.appendLine(line.toByteArray()); });
    document.indexSections();
    return document;
}

void IniDocument::appendLine(QByteArray line) {
    if (sectionName(line)) {
        sections_.append(Section{std::move(line), {}, {}});
        return;
    }
    sections_.last().lines.append(std::move(line));
}

void IniDocument::indexKeys(const Section& section) {
    if (section.indexed)
        return;
    section.indexed = true;
    for (qsizetype i = 0; i < section.lines.size(); ++i) {
        if (const auto key = keyLine(section.lines.at(i))) {
            const QByteArray name = folded(key->key);
            if (!section.keys.contains(name))
                section.keys.insert(name, i);
        }
    }
}

qsizetype IniDocument::lineOf(const Section& section, const QByteArray& foldedKey) {
    if (!section.indexed && section.scans < ScansBeforeIndex) {
        ++section.scans;
        for (qsizetype i = 0; i < section.lines.size(); ++i) {
            const auto key = keyLine(section.lines.at(i));
            if (key && isFoldedAs(key->key, foldedKey))
                return i;
        }
        return -1;
    }
    indexKeys(section);
    return section.keys.value(foldedKey, -1);
}

void IniDocument::indexSections() {
    sectionIndex_.clear();
    for (qsizetype i = 1; i < sections_.size(); ++i) {
        const QByteArray name = folded(*sectionName(sections_.at(i).header));
        if (!sectionIndex_.contains(name))
            sectionIndex_.insert(name, i);
    }
}

const IniDocument::Section* IniDocument::findSection(const QByteArray& section) const {
    const auto found = sectionIndex_.constFind(folded(held(section)));
    return found == sectionIndex_.cend() ? nullptr : &sections_.at(*found);
}

std::optional<QByteArray> IniDocument::value(const QByteArray& section,
                                             const QByteArray& key) const {
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const qsizetype line = lineOf(*found, folded(held(key)));
    if (line < 0)
        return std::nullopt;
    return cleanValue(keyLine(found->lines.at(line))->rawValue).toByteArray();
}

QList<IniDocument::KeyValue> IniDocument::keyValues(const QByteArray& section) const {
    QList<KeyValue> result;
    const Section* found = findSection(section);
    if (!found)
        return result;
    result.reserve(found->lines.size());
    for (const QByteArray& text : found->lines)
        if (const auto line = keyLine(text))
            result.append({line->key, cleanValue(line->rawValue)});
    return result;
}

QList<std::pair<QByteArray, QByteArray>> IniDocument::entries(const QByteArray& section) const {
    QList<std::pair<QByteArray, QByteArray>> result;
    const Section* found = findSection(section);
    if (!found)
        return result;
    QSet<QByteArray> seen;
    for (const QByteArray& text : found->lines) {
        const auto line = keyLine(text);
        if (!line)
            continue;
        const QByteArray name = folded(line->key);
        if (seen.contains(name))
            continue;
        seen.insert(name);
        result.append({line->key.toByteArray(), cleanValue(line->rawValue).toByteArray()});
    }
    return result;
}

QByteArray IniDocument::held(QByteArrayView text) const {
    return utf16_ && !text.isValidUtf8() ? decodeWindows1252(text).toUtf8() : text.toByteArray();
}

void IniDocument::setValue(const QByteArray& givenSection, const QByteArray& givenKey,
                           const QByteArray& value) {
    const QByteArray section = held(givenSection);
    const QByteArray key = held(givenKey);
    const QByteArray line = keyText(key, held(singleLine(value)));
    const QByteArray name = folded(key);
    const auto found = sectionIndex_.constFind(folded(section));
    if (found == sectionIndex_.cend()) {
        sections_.append(Section{'[' + section + ']', {line}, {{name, 0}}, true});
        sectionIndex_.insert(folded(section), sections_.size() - 1);
        return;
    }
    Section& target = sections_[*found];
    indexKeys(target);
    if (const auto existing = target.keys.constFind(name); existing != target.keys.cend()) {
        target.lines[*existing] = line;
        return;
    }
    // After the last non-blank line, so blank lines that separate it from the next section stay
    // in between; no key line lies after that point, so the index stays valid.
    qsizetype at = target.lines.size();
    while (at > 0 && isBlankLine(target.lines.at(at - 1)))
        --at;
    target.lines.insert(at, line);
    target.keys.insert(name, at);
}

void IniDocument::eraseSection(const QByteArray& section) {
    const QByteArray name = folded(held(section));
    if (!sectionIndex_.contains(name))
        return;
    for (qsizetype i = sections_.size() - 1; i >= 1; --i) {
        if (folded(*sectionName(sections_.at(i).header)) == name)
            sections_.removeAt(i);
    }
    indexSections();
}

bool IniDocument::hasSection(const QByteArray& section) const {
    return findSection(section) != nullptr;
}

QByteArray IniDocument::toText() const {
    QByteArray text;
    if (byteOrderMark_)
        text.append(Utf8ByteOrderMark);
    for (qsizetype i = 0; i < sections_.size(); ++i) {
        const Section& section = sections_.at(i);
        if (i > 0)
            text += section.header + "\r\n";
        for (const QByteArray& line : section.lines)
            text += line + "\r\n";
    }
    return utf16_ ? utf16FileText(text, *utf16_) : eightBitFileText(text);
}
