#include "MarkupPlaylistReader.h"

#include "common/TextDecoding.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <limits>

namespace {

// Characters handed to the XML reader at a time.
constexpr qsizetype ChunkBytes = 1 << 20;

qsizetype markupStart(QByteArrayView text) {
    qsizetype at = text.startsWith(Utf8ByteOrderMark) ? Utf8ByteOrderMark.size() : 0;
    while (at < text.size() && QByteArrayView(" \t\r\n").contains(text[at]))
        ++at;
    return at;
}

// The reader counts characters (UTF-16 units); the songs need byte offsets. The offsets asked
// for only grow, so one pass over the bytes serves them all.
class ByteOffsets {
public:
    ByteOffsets(QByteArrayView text, qsizetype start, bool utf8)
        : text_(text), byte_(start), utf8_(utf8) {}

    qsizetype at(qint64 character) {
        if (!utf8_)
            return byte_ + (character - character_); // one byte a character
        while (character_ < character && byte_ < text_.size()) {
            const uchar lead = uchar(text_[byte_]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            byte_ += length;
            character_ += length == 4 ? 2 : 1;
        }
        return byte_;
    }

private:
    QByteArrayView text_;
    qsizetype byte_;
    qint64 character_ = 0;
    bool utf8_;
};

// Decodes the text a part at a time for the XML reader.
class MarkupFeed {
public:
    MarkupFeed(QByteArrayView text, qsizetype start, bool utf8)
        : text_(text), next_(start), utf8_(utf8) {}

    // False once everything was handed over.
    bool feed(QXmlStreamReader& reader) {
        if (next_ >= text_.size())
            return false;
        const QByteArrayView part = text_.sliced(next_, qMin(ChunkBytes, text_.size() - next_));
        next_ += part.size();
        reader.addData(utf8_ ? decoder_.decode(part) : decodeWindows1252(part));
        return true;
    }

private:
    QByteArrayView text_;
    qsizetype next_;
    bool utf8_;
    QStringDecoder decoder_{QStringDecoder::Utf8};
};

bool sameName(QStringView name, QLatin1StringView wanted, Qt::CaseSensitivity names) {
    return name.compare(wanted, names) == 0;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Range {
    qsizetype start = 0;
    qsizetype end = 0;
};

// Where an attribute's value lies in a start tag the reader accepted: names, "=", and quoted
// values follow each other, and no value holds its own quote or a "<".
std::optional<Range> attributeValue(QByteArrayView text, Range tag, QLatin1StringView name,
                                    Qt::CaseSensitivity names) {
    qsizetype at = tag.start + 1;
    while (at < tag.end && !isBlank(text[at]) && text[at] != '/' && text[at] != '>')
        ++at;
    while (at < tag.end) {
        while (at < tag.end && isBlank(text[at]))
            ++at;
        const qsizetype nameStart = at;
        while (at < tag.end && !isBlank(text[at]) && text[at] != '=' && text[at] != '/' &&
               text[at] != '>')
            ++at;
        if (at == nameStart)
            return std::nullopt;
        const QByteArrayView found = text.sliced(nameStart, at - nameStart);
        while (at < tag.end && text[at] != '"' && text[at] != '\'')
            ++at;
        if (at >= tag.end)
            return std::nullopt;
        const char quote = text[at];
        const qsizetype valueStart = ++at;
        while (at < tag.end && text[at] != quote)
            ++at;
        if (QLatin1StringView(found).compare(name, names) == 0)
            return Range{valueStart, at};
        ++at;
    }
    return std::nullopt;
}

// Walks the reader's tokens and notes each song of the rule.
class MarkupScan {
public:
    MarkupScan(QByteArrayView text, qsizetype start, bool utf8, const MarkupRule& rule)
        : text_(text), offsets_(text, start, utf8), rule_(rule) {}

    void token(const QXmlStreamReader& reader) {
        switch (reader.tokenType()) {
        case QXmlStreamReader::StartElement:
            startElement(reader);
            break;
        case QXmlStreamReader::EndElement:
            endElement(reader);
            break;
        case QXmlStreamReader::Characters:
            if (inValueText_)
                value_ += reader.text();
            break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            whole_ = false; // entities may put markup where no byte range shows it
            break;
        default:
            break;
        }
    }

    bool whole() const { return whole_; }
    // Songs found go to this playlist.
    void setTarget(IndexedPlaylist* playlist) { target_ = playlist; }

private:
    qsizetype tagStart(qsizetype tagEnd) const { return text_.lastIndexOf('<', tagEnd - 1); }

    void startElement(const QXmlStreamReader& reader) {
        const qsizetype end = offsets_.at(reader.characterOffset());
        const Range tag{tagStart(end), end};
        const bool holdsSongs =
            rule_.listElement.isEmpty() || sameName(reader.name(), rule_.listElement, rule_.names);
        const bool parentHoldsSongs = !lists_.isEmpty() && lists_.last().holdsSongs;
        lists_.append({holdsSongs, quint32(tag.start)});
        if (lists_.size() == 1)
            isRule_ = sameName(reader.name(), rule_.root, rule_.names);
        if (lists_.size() == 1 || !isRule_)
            return;
        const int depth = int(lists_.size());
        if (!inSong_ && parentHoldsSongs &&
            sameName(reader.name(), rule_.songElement, rule_.names)) {
            inSong_ = true;
            songDepth_ = depth;
            song_ = {quint32(tag.start), 0, 0, 0, lists_.at(depth - 2).start};
            hasValue_ = false;
            if (rule_.valueElement.isEmpty())
                takeAttribute(reader, tag);
        } else if (inSong_ && !hasValue_ && depth == songDepth_ + 1 &&
                   sameName(reader.name(), rule_.valueElement, rule_.names)) {
            if (rule_.attribute.isEmpty()) {
                inValueText_ = true;
                hasValue_ = true;
                value_.clear();
                song_.valueStart = quint32(end);
            } else {
                takeAttribute(reader, tag);
            }
        }
    }

    void takeAttribute(const QXmlStreamReader& reader, Range tag) {
        const auto range = attributeValue(text_, tag, rule_.attribute, rule_.names);
        if (!range)
            return;
        for (const QXmlStreamAttribute& attribute : reader.attributes())
            if (sameName(attribute.qualifiedName(), rule_.attribute, rule_.names)) {
                value_ = attribute.value().toString();
                break;
            }
        hasValue_ = true;
        song_.valueStart = quint32(range->start);
        song_.valueEnd = quint32(range->end);
    }

    void endElement(const QXmlStreamReader& reader) {
        const qsizetype end = offsets_.at(reader.characterOffset());
        const int depth = int(lists_.size());
        if (inValueText_ && depth == songDepth_ + 1) {
            inValueText_ = false;
            // An empty element ("<location/>") has no text to replace.
            const qsizetype textEnd = tagStart(end);
            hasValue_ = textEnd >= qsizetype(song_.valueStart);
            song_.valueEnd = quint32(qMax(textEnd, qsizetype(song_.valueStart)));
        }
        if (inSong_ && depth == songDepth_) {
            inSong_ = false;
            song_.elementEnd = quint32(end);
            if (hasValue_ && !value_.trimmed().isEmpty())
                addSong();
        }
        lists_.removeLast();
    }

    void addSong() {
        const QByteArray entry = rule_.entryOf(value_);
        if (entry.isEmpty())
            return;
        target_->markupSongs.append(song_);
        target_->entries.append(entry);
    }

    struct Open {
        bool holdsSongs;
        quint32 start;
    };
    QByteArrayView text_;
    ByteOffsets offsets_;
    const MarkupRule& rule_;
    QList<Open> lists_;
    bool isRule_ = false;
    bool whole_ = true;
    bool inSong_ = false;
    bool inValueText_ = false;
    bool hasValue_ = false;
    int songDepth_ = 0;
    MarkupSong song_{};
    QString value_;
    IndexedPlaylist* target_ = nullptr;
};

} // namespace

std::optional<QString> entryCharacters(QByteArrayView entry) {
    if (!entry.isValidUtf8())
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return QString(utf8.decode(entry));
}

std::optional<QString> markupRootName(QByteArrayView text) {
    const qsizetype start = markupStart(text);
    if (start >= text.size() || text[start] != '<')
        return std::nullopt;
    // The name is ASCII in every format read, so a replacement mark here and there is harmless.
    MarkupFeed feed(text, start, true);
    QXmlStreamReader reader;
    feed.feed(reader);
    while (true) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.name().toString();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && feed.feed(reader))
            continue;
        if (reader.hasError() || reader.atEnd())
            return std::nullopt;
    }
}

struct MarkupPlaylistReading::State {
    State(const QByteArray& markup, const MarkupRule& rule)
        : text(markup), start(markupStart(markup)), utf8(markup.isValidUtf8()),
          feed(text, start, utf8), scan(text, start, utf8, rule) {
        feed.feed(reader);
    }

    // Shares the playlist's text, so the views below stay valid.
    const QByteArray text;
    const qsizetype start;
    const bool utf8;
    MarkupFeed feed;
    MarkupScan scan;
    QXmlStreamReader reader;
    bool ended = false;
};

MarkupPlaylistReading::MarkupPlaylistReading(IndexedPlaylist& playlist, const MarkupRule& rule)
    : d_(std::make_unique<State>(playlist.markup, rule)) {
    playlist.format = rule.format;
    playlist.markupIsUtf8 = d_->utf8;
}

MarkupPlaylistReading::~MarkupPlaylistReading() = default;

bool MarkupPlaylistReading::readSongs(IndexedPlaylist& playlist, qsizetype songs) {
    State& d = *d_;
    const qsizetype wanted = playlist.entries.size() + songs;
    d.scan.setTarget(&playlist);
    while (!d.ended && playlist.entries.size() < wanted) {
        d.reader.readNext();
        if (d.reader.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
            d.feed.feed(d.reader))
            continue;
        if (d.reader.hasError() || d.reader.atEnd()) {
            d.ended = true;
            playlist.whole = playlist.whole && d.scan.whole() && !d.reader.hasError();
            break;
        }
        d.scan.token(d.reader);
    }
    d.scan.setTarget(nullptr);
    return !d.ended;
}

void MarkupPlaylistReading::readToEnd(IndexedPlaylist& playlist) {
    while (readSongs(playlist, std::numeric_limits<qsizetype>::max() / 2))
        ;
}

IndexedPlaylist readMarkupPlaylist(QByteArray text, const MarkupRule& rule) {
    IndexedPlaylist playlist;
    playlist.format = rule.format;
    // Beyond what the offsets address; no real playlist comes near it.
    if (text.size() >= qsizetype(std::numeric_limits<quint32>::max()))
        return playlist;
    playlist.markup = std::move(text);
    MarkupPlaylistReading(playlist, rule).readToEnd(playlist);
    return playlist;
}
