#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

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

    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    void eraseSection(const QByteArray& section);
    bool hasSection(const QByteArray& section) const;

    // Every line followed by CR LF.
    QByteArray toText() const;
    const QList<QByteArray>& lines() const { return lines_; }

private:
    QList<QByteArray> lines_;
};
