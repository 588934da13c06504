#include "IniDocument.h"

#include <QByteArrayView>
#include <QSet>

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

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: a UTF-8 name must not match by a Latin-1 reading of its bytes.
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool isBlankLine(const QByteArray& line) {
    return trimBlanks(line).isEmpty();
}

std::optional<QByteArrayView> sectionName(const QByteArray& line) {
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
std::optional<KeyLine> keyLine(const QByteArray& line) {
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

QByteArray cleanValue(QByteArrayView raw) {
    QByteArrayView value = trimBlanks(raw);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.first(qMin(value.size(), qsizetype(IniDocument::MaxValueLength))).toByteArray();
}

// A line break or NUL inside a value would split it into lines of its own.
QByteArray singleLine(const QByteArray& value) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '\r' || c == '\n' || c == '\0')
            return value.first(i);
    }
    return value;
}

QByteArray keyText(const QByteArray& key, const QByteArray& value) {
    return key + '=' + singleLine(value);
}

} // namespace

QList<QByteArray> IniDocument::splitLines(const QByteArray& text) {
    const qsizetype nul = text.indexOf('\0');
    const QByteArrayView body = nul < 0 ? QByteArrayView(text) : QByteArrayView(text).first(nul);
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] != '\r' && body[i] != '\n')
            continue;
        lines.append(body.sliced(start, i - start).toByteArray());
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < body.size())
        lines.append(body.sliced(start).toByteArray());
    return lines;
}

IniDocument IniDocument::parse(const QByteArray& text) {
    IniDocument document;
    document.lines_ = splitLines(text);
    return document;
}

std::optional<qsizetype> IniDocument::findSection(const QByteArray& section) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const auto name = sectionName(lines_.at(i));
        if (name && sameName(*name, section))
            return i;
    }
    return std::nullopt;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const {
    qsizetype end = header + 1;
    while (end < lines_.size() && !sectionName(lines_.at(end)))
        ++end;
    return end;
}

std::optional<qsizetype> IniDocument::findKey(qsizetype header, const QByteArray& key) const {
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto line = keyLine(lines_.at(i));
        if (line && sameName(line->key, key))
            return i;
    }
    return std::nullopt;
}

// Right after the last non-blank line of the section, so blank lines that separate it from the
// next section stay in between.
qsizetype IniDocument::insertionPoint(qsizetype header) const {
    qsizetype last = sectionEnd(header) - 1;
    while (last > header && isBlankLine(lines_.at(last)))
        --last;
    return last + 1;
}

std::optional<QByteArray> IniDocument::value(const QByteArray& section,
                                             const QByteArray& key) const {
    const auto header = findSection(section);
    if (!header)
        return std::nullopt;
    const auto index = findKey(*header, key);
    if (!index)
        return std::nullopt;
    return cleanValue(keyLine(lines_.at(*index))->rawValue);
}

QList<std::pair<QByteArray, QByteArray>> IniDocument::entries(const QByteArray& section) const {
    QList<std::pair<QByteArray, QByteArray>> result;
    const auto header = findSection(section);
    if (!header)
        return result;
    QSet<QByteArray> seen;
    const qsizetype end = sectionEnd(*header);
    for (qsizetype i = *header + 1; i < end; ++i) {
        const auto line = keyLine(lines_.at(i));
        if (!line)
            continue;
        const QByteArray key = line->key.toByteArray();
        const QByteArray folded = key.toLower(); // ASCII letters only in Qt 6
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        result.append({key, cleanValue(line->rawValue)});
    }
    return result;
}

void IniDocument::setValue(const QByteArray& section, const QByteArray& key,
                           const QByteArray& value) {
    const auto header = findSection(section);
    if (!header) {
        lines_.append('[' + section + ']');
        lines_.append(keyText(key, value));
        return;
    }
    if (const auto index = findKey(*header, key))
        lines_[*index] = keyText(key, value);
    else
        lines_.insert(insertionPoint(*header), keyText(key, value));
}

void IniDocument::eraseSection(const QByteArray& section) {
    while (const auto header = findSection(section))
        lines_.remove(*header, sectionEnd(*header) - *header);
}

bool IniDocument::hasSection(const QByteArray& section) const {
    return findSection(section).has_value();
}

QByteArray IniDocument::toText() const {
    QByteArray text;
    for (const QByteArray& line : lines_)
        text += line + "\r\n";
    return text;
}
