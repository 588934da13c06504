#pragma once

#include "MarkupWindow.h"

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <limits>
#include <optional>

// An attribute of a start tag: its qualified name and where its value lies in the text (quotes
// excluded).
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
    // the receiver to decode if it needs characters: the bytes from `start` to `end`, which
    // stay in the window until heldFrom() lets them go.
    virtual void plainCharacters(qsizetype start, qsizetype end) = 0;
    // The first byte the receiver still looks at; none is held by default.
    virtual qsizetype heldFrom() const { return std::numeric_limits<qsizetype>::max(); }
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
// it cannot tell is well-formed): QXmlStreamReader then reads the file instead. It moves the
// window on as it goes; a token the window ends in is read again with more of the text.
class MarkupTokenizer {
public:
    enum class Result { More, Ended, Unsure };

    MarkupTokenizer(MarkupWindow& window, qsizetype rootStart);

    // Reads on until the events have found `songs` songs or the text ended.
    Result read(MarkupEvents& events, qsizetype songs);

private:
    struct Open {
        qsizetype nameStart; // in names_
        qsizetype nameLength;
        qsizetype prefixes; // namespace prefixes declared before this element
    };
    bool token(MarkupEvents& events);
    bool moveOn(const MarkupEvents& events);
    void follow();
    // True (and the token to be read again with more text) when `at` is past the window.
    bool past(qsizetype at) {
        short_ = short_ || at >= text_.size();
        return at >= text_.size();
    }
    bool needMore() {
        short_ = true;
        return false;
    }
    qsizetype offset(qsizetype at) const { return base_ + at; }
    bool text(MarkupEvents& events);
    bool comment();
    bool endTag(MarkupEvents& events);
    bool startTag(MarkupEvents& events);
    bool attributes(qsizetype& at, bool& empty);
    bool declared(QByteArrayView qualifiedName) const;
    void dropPrefixes(qsizetype kept);
    Result trailer(const MarkupEvents& events);

    MarkupWindow& window_;
    // The window's bytes and where they begin in the text; positions below are in them.
    QByteArrayView text_;
    qsizetype base_ = 0;
    qsizetype at_ = 0;
    // The names of the open elements, one after another.
    QByteArray names_;
    QList<Open> open_;
    QList<QByteArray> prefixes_;
    QList<MarkupAttribute> attributes_;
    bool rootSeen_ = false;
    bool short_ = false;
};
