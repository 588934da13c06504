#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <optional>

// An attribute of a start tag: its qualified name and where its value lies (quotes excluded).
struct MarkupAttribute {
    QByteArrayView name;
    qsizetype valueStart;
    qsizetype valueEnd;
};

// What a tokenizer reports, in document order.
class MarkupEvents {
public:
    virtual ~MarkupEvents() = default;
    // Whether the next character data is wanted (decoding it is skipped otherwise).
    virtual bool takesText() const = 0;
    virtual void startElement(QLatin1StringView localName, qsizetype tagStart, qsizetype tagEnd,
                              const QList<MarkupAttribute>& attributes) = 0;
    // `endTagStart` is where the end tag begins; for an empty element ("<a/>") its start tag.
    virtual void endElement(qsizetype endTagStart, qsizetype end) = 0;
    virtual void characters(const QString& text) = 0;
    // Character data that is its own UTF-8 bytes (no reference, no carriage return), left to
    // the receiver to decode if it needs characters.
    virtual void plainCharacters(QByteArrayView raw) = 0;
    // How many songs were found so far.
    virtual qsizetype songs() const = 0;
};

// Decodes character data of well-formed UTF-8 XML as QXmlStreamReader gives it: the five
// predefined entities, character references, line ends made "\n" (in an attribute value every
// line end, tab and newline a blank). None for anything else.
std::optional<QString> decodedMarkupText(QByteArrayView raw, bool attribute);

// Goes through the elements of UTF-8 XML from its root's start tag at byte speed, for the
// plain XML playlists are made of: elements, attributes, namespace prefixes, comments,
// predefined entities and character references. It stops short (Unsure) at anything else
// (CDATA, processing instructions or markup after the root, a DTD, names beyond ASCII, XML
// it cannot tell is well-formed): QXmlStreamReader then reads the file instead.
class MarkupTokenizer {
public:
    enum class Result { More, Ended, Unsure };

    MarkupTokenizer(QByteArrayView text, qsizetype rootStart) : text_(text), at_(rootStart) {}

    // Reads on until the events have found `songs` songs or the text ended.
    Result read(MarkupEvents& events, qsizetype songs);

private:
    struct Open {
        QByteArrayView name;
        qsizetype prefixes; // namespace prefixes declared before this element
    };
    bool text(MarkupEvents& events);
    bool comment();
    bool endTag(MarkupEvents& events);
    bool startTag(MarkupEvents& events);
    bool attributes(qsizetype& at, bool& empty);
    bool declared(QByteArrayView qualifiedName) const;
    void dropPrefixes(qsizetype kept);
    Result trailer() const;

    QByteArrayView text_;
    qsizetype at_;
    QList<Open> open_;
    QList<QByteArrayView> prefixes_;
    QList<MarkupAttribute> attributes_;
    bool rootSeen_ = false;
};
