#pragma once

#include <QByteArray>
#include <QList>
#include <optional>
#include <utility>

// An INI text in memory, read and changed with the private-profile rules:
// section and key names match ignoring ASCII case (the first match wins); a value is the text
// after "=" with surrounding blanks and one pair of enclosing quotes (single or double) removed,
// cut to 2047 bytes; writing a key updates its line in place or appends it after the last
// non-blank line of its section; a missing section is appended at the end; erasing a section
// removes its header and every line up to the next section. Every other line is kept as it was.
// Names and values are UTF-8 bytes.
class IniDocument {
public:
    static constexpr int MaxValueLength = 2047;

    IniDocument() = default;
    // Lines end at CR LF, CR or LF; a NUL byte ends the text.
    static IniDocument parse(const QByteArray& text);
    // The same line rules for every text the program reads; a final line end makes no
    // extra empty line.
    static QList<QByteArray> splitLines(const QByteArray& text);

    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    void eraseSection(const QByteArray& section);
    bool hasSection(const QByteArray& section) const;
    // Every key of the section with its value, in file order; a repeated key is listed once,
    // with its first value.
    QList<std::pair<QByteArray, QByteArray>> entries(const QByteArray& section) const;

    // Every line followed by CR LF.
    QByteArray toText() const;
    const QList<QByteArray>& lines() const { return lines_; }

private:
    std::optional<qsizetype> findSection(const QByteArray& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    std::optional<qsizetype> findKey(qsizetype header, const QByteArray& key) const;
    qsizetype insertionPoint(qsizetype header) const;

    QList<QByteArray> lines_;
};
