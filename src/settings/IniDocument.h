#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QStringConverter>
#include <optional>
#include <utility>

// An INI text in memory, read and changed with the private-profile rules:
// section and key names match ignoring ASCII case (the first match wins); a value is the text
// after "=" with surrounding blanks and one pair of enclosing quotes (single or double) removed,
// of any length (Linux paths reach 4095 bytes); writing a key updates its line in place or appends
// it after the last non-blank line of its section; a missing section is appended at the end;
// erasing a section removes its header and every line up to the next section. Every other line is
// kept as it was, byte for byte (a NUL byte is an ordinary byte of its line). A UTF-8 byte-order
// mark at the start is skipped and written back. A file that starts with a UTF-16 byte-order mark
// (Windows editors save "Unicode" so) is read as its UTF-8 form and written back in UTF-16. Lookups
// and writes cost the same in a file of any size: a section's keys are indexed once it is
// written or looked up more than a few times, so a file read once for a few keys and one long
// section (a start) builds no index.
class IniDocument {
public:
    IniDocument();
    // Lines end at CR LF, CR or LF.
    static IniDocument parse(const QByteArray& text);
    // One line read with these rules, as views of the line: a section header's name, or a key
    // and its value (blanks and one pair of enclosing quotes removed).
    // Readers that keep a file's bytes (PLS playlists) use them without making a document.
    static std::optional<QByteArrayView> sectionNameOf(QByteArrayView line);
    struct KeyValue {
        QByteArrayView key;
        QByteArrayView value;
    };
    static std::optional<KeyValue> keyValueOf(QByteArrayView line);

    // The text after "=" that reads back as the value (see setValue).
    static QByteArray storedValue(const QByteArray& value);

    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    // A value that would read back otherwise (leading or trailing blanks, enclosing quotes) is
    // written inside double quotes; a line break or NUL ends it.
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    void eraseSection(const QByteArray& section);
    bool hasSection(const QByteArray& section) const;
    // Every key of the section with its value, in file order; a repeated key is listed once,
    // with its first value.
    QList<std::pair<QByteArray, QByteArray>> entries(const QByteArray& section) const;
    // Every key line of the section in file order, repeated keys too, as views of the
    // document's lines (valid until it changes).
    QList<KeyValue> keyValues(const QByteArray& section) const;

    // Every line followed by CR LF, in the encoding the text had. A UTF-16 text holds only
    // text: a line that is not UTF-8 is written as its Windows-1252 characters (holdsOnlyText()
    // tells callers to store such values in another form first).
    QByteArray toText() const;
    bool holdsOnlyText() const { return utf16_.has_value(); }
    // False when the text held bytes its encoding does not allow (UTF-16 of an odd length or
    // with a broken surrogate pair): writing it back would lose them.
    bool isWhole() const { return whole_; }

private:
    // sections_[0] holds the lines before the first header and has no header.
    struct Section {
        QByteArray header;
        QList<QByteArray> lines;
        // Folded name -> index of its first line; built on need.
        mutable QHash<QByteArray, qsizetype> keys;
        mutable bool indexed = false;
        mutable int scans = 0; // lookups made without the index
    };

    // A UTF-16 file holds text: names and values that are not UTF-8 are taken as the
    // Windows-1252 characters they show.
    QByteArray held(QByteArrayView text) const;
    void appendLine(QByteArray line);
    void indexSections();
    const Section* findSection(const QByteArray& section) const;
    // The index of the first line of a key (its folded name), or -1.
    static qsizetype lineOf(const Section& section, const QByteArray& foldedKey);
    static void indexKeys(const Section& section);

    QList<Section> sections_;
    QHash<QByteArray, qsizetype> sectionIndex_; // folded name -> first section of that name
    bool byteOrderMark_ = false;
    std::optional<QStringConverter::Encoding> utf16_;
    bool whole_ = true;
};
