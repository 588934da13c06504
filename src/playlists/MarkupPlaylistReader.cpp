#include "MarkupPlaylistReader.h"

#include "MarkupTokenizer.h"
#include "common/TextDecoding.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <limits>

namespace {

// Characters handed to the XML reader at a time.
constexpr qsizetype ChunkBytes = 1 << 20;

// Every mark at the start is passed over: the XML reader drops one it is handed without
// counting it, which would put every offset after it one character early.
qsizetype markupStart(QByteArrayView text) {
    qsizetype at = 0;
    while (text.sliced(at).startsWith(Utf8ByteOrderMark))
        at += Utf8ByteOrderMark.size();
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

bool sameName(QAnyStringView name, QLatin1StringView wanted, Qt::CaseSensitivity names) {
    return QAnyStringView::compare(name, wanted, names) == 0;
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

// Notes each song of the rule from the elements of a playlist's text, as QXmlStreamReader or
// the tokenizer reports them. Songs up to `skip` were taken before and are passed over.
class MarkupScan : public MarkupEvents {
public:
    MarkupScan(QByteArrayView text, const MarkupRule& rule, qsizetype skip = 0)
        : text_(text), rule_(rule), skip_(skip) {}

    // The reader's token, the tag ending at byte `end`.
    void token(const QXmlStreamReader& reader, qsizetype end) {
        switch (reader.tokenType()) {
        case QXmlStreamReader::StartElement: {
            const QXmlStreamAttributes attributes = reader.attributes();
            open(reader.name(), {tagStart(end), end}, &attributes, nullptr);
            break;
        }
        case QXmlStreamReader::EndElement:
            endElement(tagStart(end), end);
            break;
        case QXmlStreamReader::Characters:
            if (inValueText_)
                characters(reader.text().toString());
            break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            whole_ = false; // entities may put markup where no byte range shows it
            break;
        default:
            break;
        }
    }

    bool takesText() const override { return inValueText_; }
    void startElement(QLatin1StringView localName, qsizetype tagStart, qsizetype tagEnd,
                      const QList<MarkupAttribute>& attributes) override {
        open(localName, {tagStart, tagEnd}, nullptr, &attributes);
    }
    void endElement(qsizetype endTagStart, qsizetype end) override;
    void characters(const QString& text) override {
        takePlainValue();
        if (value_.isEmpty())
            value_ = text; // shared, not copied
        else
            value_ += text;
    }
    void plainCharacters(QByteArrayView raw) override {
        if (value_.isEmpty() && plainValue_.isEmpty()) {
            plainValue_ = raw;
            return;
        }
        characters(*decodedMarkupText(raw, false));
    }
    qsizetype songs() const override { return target_ ? target_->entries.size() : 0; }

    bool whole() const { return whole_; }
    // Songs found go to this playlist.
    void setTarget(IndexedPlaylist* playlist) { target_ = playlist; }

private:
    // The location kept as bytes becomes characters, for whatever needs them.
    void takePlainValue() {
        if (plainValue_.isEmpty())
            return;
        value_ = *decodedMarkupText(plainValue_, false);
        plainValue_ = {};
    }

    // True when the location is blank; a plain one is trimmed, or made characters where its
    // ends are not ASCII (blanks beyond ASCII trim too).
    bool blankValue() {
        if (!plainValue_.isEmpty()) {
            plainValue_ = plainValue_.trimmed();
            if (plainValue_.isEmpty() ||
                (uchar(plainValue_.front()) < 0x80 && uchar(plainValue_.back()) < 0x80))
                return plainValue_.isEmpty();
            takePlainValue();
        }
        return value_.trimmed().isEmpty();
    }

    QByteArray entry() {
        if (!plainValue_.isEmpty() && rule_.entryOfPlain)
            if (std::optional<QByteArray> entry = rule_.entryOfPlain(plainValue_))
                return *std::move(entry);
        takePlainValue();
        return rule_.entryOf(value_);
    }

    qsizetype tagStart(qsizetype tagEnd) const { return text_.lastIndexOf('<', tagEnd - 1); }

    void open(QAnyStringView name, Range tag, const QXmlStreamAttributes* xmlAttributes,
              const QList<MarkupAttribute>* attributes) {
        const bool holdsSongs =
            rule_.listElement.isEmpty() || sameName(name, rule_.listElement, rule_.names);
        const bool parentHoldsSongs = !lists_.isEmpty() && lists_.last().holdsSongs;
        lists_.append({holdsSongs, quint32(tag.start)});
        if (lists_.size() == 1)
            isRule_ = sameName(name, rule_.root, rule_.names);
        if (lists_.size() == 1 || !isRule_)
            return;
        const int depth = int(lists_.size());
        if (!inSong_ && parentHoldsSongs && sameName(name, rule_.songElement, rule_.names)) {
            inSong_ = true;
            songDepth_ = depth;
            song_ = {quint32(tag.start), 0, 0, 0, lists_.at(depth - 2).start};
            hasValue_ = false;
            if (rule_.valueElement.isEmpty())
                takeAttribute(tag, xmlAttributes, attributes);
        } else if (inSong_ && !hasValue_ && depth == songDepth_ + 1 &&
                   sameName(name, rule_.valueElement, rule_.names)) {
            if (rule_.attribute.isEmpty()) {
                inValueText_ = true;
                hasValue_ = true;
                value_.clear();
                plainValue_ = {};
                song_.valueStart = quint32(tag.end);
            } else {
                takeAttribute(tag, xmlAttributes, attributes);
            }
        }
    }

    void takeAttribute(Range tag, const QXmlStreamAttributes* xmlAttributes,
                       const QList<MarkupAttribute>* attributes) {
        std::optional<Range> range;
        plainValue_ = {};
        if (attributes) {
            for (const MarkupAttribute& attribute : *attributes)
                if (sameName(QLatin1StringView(attribute.name), rule_.attribute, rule_.names)) {
                    range = Range{attribute.valueStart, attribute.valueEnd};
                    value_ = decodedMarkupText(
                                 text_.sliced(range->start, range->end - range->start), true)
                                 .value_or(QString());
                    break;
                }
        } else {
            range = attributeValue(text_, tag, rule_.attribute, rule_.names);
            if (range)
                for (const QXmlStreamAttribute& attribute : *xmlAttributes)
                    if (sameName(attribute.qualifiedName(), rule_.attribute, rule_.names)) {
                        value_ = attribute.value().toString();
                        break;
                    }
        }
        if (!range)
            return;
        hasValue_ = true;
        song_.valueStart = quint32(range->start);
        song_.valueEnd = quint32(range->end);
    }

    void addSong() {
        const QByteArray entry = this->entry();
        if (entry.isEmpty())
            return;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        target_->markupSongs.append(song_);
        target_->entries.append(entry);
    }

    struct Open {
        bool holdsSongs;
        quint32 start;
    };
    QByteArrayView text_;
    const MarkupRule& rule_;
    qsizetype skip_;
    QList<Open> lists_;
    bool isRule_ = false;
    bool whole_ = true;
    bool inSong_ = false;
    bool inValueText_ = false;
    bool hasValue_ = false;
    int songDepth_ = 0;
    MarkupSong song_{};
    QString value_;
    // The location while it is one run of plain UTF-8 (value_ is then empty).
    QByteArrayView plainValue_;
    IndexedPlaylist* target_ = nullptr;
};

void MarkupScan::endElement(qsizetype endTagStart, qsizetype end) {
    const int depth = int(lists_.size());
    if (inValueText_ && depth == songDepth_ + 1) {
        inValueText_ = false;
        // An empty element ("<location/>") has no text to replace.
        hasValue_ = endTagStart >= qsizetype(song_.valueStart);
        song_.valueEnd = quint32(qMax(endTagStart, qsizetype(song_.valueStart)));
    }
    if (inSong_ && depth == songDepth_) {
        inSong_ = false;
        song_.elementEnd = quint32(end);
        if (hasValue_ && !blankValue())
            addSong();
    }
    lists_.removeLast();
}

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

namespace {

// The reading by QXmlStreamReader, over the text decoded a part at a time.
struct FullReading {
    FullReading(QByteArrayView text, qsizetype start, bool utf8, const MarkupRule& rule,
                qsizetype skip)
        : feed(text, start, utf8), offsets(text, start, utf8), scan(text, rule, skip) {
        feed.feed(reader);
    }

    MarkupFeed feed;
    ByteOffsets offsets;
    MarkupScan scan;
    QXmlStreamReader reader;
};

// Where the root's start tag begins when the tokenizer may read on from there: the text is
// UTF-8 and its prolog, read by QXmlStreamReader, holds no DTD.
std::optional<qsizetype> tokenizerStart(QByteArrayView text, qsizetype start) {
    MarkupFeed feed(text, start, true);
    ByteOffsets offsets(text, start, true);
    QXmlStreamReader reader;
    feed.feed(reader);
    while (true) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            return text.lastIndexOf('<', offsets.at(reader.characterOffset()) - 1);
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return std::nullopt;
        default:
            break;
        }
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && feed.feed(reader))
            continue;
        if (reader.hasError() || reader.atEnd())
            return std::nullopt;
    }
}

} // namespace

// The tokenizer reads while it can; where it is unsure, QXmlStreamReader reads the text again
// from the start, passing over the songs already taken.
struct MarkupPlaylistReading::State {
    State(const QByteArray& markup, const MarkupRule& rule, bool tokenizer)
        : text(markup), start(markupStart(markup)), utf8(markup.isValidUtf8()), rule(rule) {
        const std::optional<qsizetype> root =
            utf8 && tokenizer ? tokenizerStart(text, start) : std::optional<qsizetype>();
        if (root && *root >= start) {
            tokens.emplace(text, *root);
            quickScan = std::make_unique<MarkupScan>(text, rule);
        } else {
            full = std::make_unique<FullReading>(text, start, utf8, rule, 0);
        }
    }

    bool readQuickly(IndexedPlaylist& playlist, qsizetype wanted);
    void readFully(IndexedPlaylist& playlist, qsizetype wanted);

    // Shares the playlist's text, so the views below stay valid.
    const QByteArray text;
    const qsizetype start;
    const bool utf8;
    const MarkupRule& rule;
    std::optional<MarkupTokenizer> tokens;
    std::unique_ptr<MarkupScan> quickScan;
    qsizetype quickSongs = 0;
    std::unique_ptr<FullReading> full;
    bool ended = false;
};

// False once the tokenizer handed over to the full reading.
bool MarkupPlaylistReading::State::readQuickly(IndexedPlaylist& playlist, qsizetype wanted) {
    const qsizetype before = playlist.entries.size();
    quickScan->setTarget(&playlist);
    const MarkupTokenizer::Result result = tokens->read(*quickScan, wanted);
    quickScan->setTarget(nullptr);
    quickSongs += playlist.entries.size() - before;
    if (result == MarkupTokenizer::Result::Unsure) {
        tokens.reset();
        quickScan.reset();
        full = std::make_unique<FullReading>(text, start, utf8, rule, quickSongs);
        return false;
    }
    ended = result == MarkupTokenizer::Result::Ended;
    return true;
}

void MarkupPlaylistReading::State::readFully(IndexedPlaylist& playlist, qsizetype wanted) {
    QXmlStreamReader& reader = full->reader;
    full->scan.setTarget(&playlist);
    while (!ended && playlist.entries.size() < wanted) {
        reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
            full->feed.feed(reader))
            continue;
        if (reader.hasError() || reader.atEnd()) {
            ended = true;
            playlist.whole = playlist.whole && full->scan.whole() && !reader.hasError();
            break;
        }
        const bool tag = reader.tokenType() == QXmlStreamReader::StartElement ||
                         reader.tokenType() == QXmlStreamReader::EndElement;
        full->scan.token(reader, tag ? full->offsets.at(reader.characterOffset()) : 0);
    }
    full->scan.setTarget(nullptr);
}

MarkupPlaylistReading::MarkupPlaylistReading(IndexedPlaylist& playlist, const MarkupRule& rule,
                                             bool tokenizer)
    : d_(std::make_unique<State>(playlist.markup, rule, tokenizer)) {
    playlist.format = rule.format;
    playlist.markupIsUtf8 = d_->utf8;
}

MarkupPlaylistReading::~MarkupPlaylistReading() = default;

bool MarkupPlaylistReading::readSongs(IndexedPlaylist& playlist, qsizetype songs) {
    State& d = *d_;
    const qsizetype wanted = playlist.entries.size() + songs;
    if (d.tokens && d.readQuickly(playlist, wanted))
        return !d.ended;
    d.readFully(playlist, wanted);
    return !d.ended;
}

void MarkupPlaylistReading::readToEnd(IndexedPlaylist& playlist) {
    while (readSongs(playlist, std::numeric_limits<qsizetype>::max() / 2))
        ;
}

IndexedPlaylist readMarkupPlaylist(QByteArray text, const MarkupRule& rule, bool tokenizer) {
    IndexedPlaylist playlist;
    playlist.format = rule.format;
    // Beyond what the offsets address; no real playlist comes near it.
    if (text.size() >= qsizetype(std::numeric_limits<quint32>::max()))
        return playlist;
    playlist.markup = std::move(text);
    MarkupPlaylistReading(playlist, rule, tokenizer).readToEnd(playlist);
    return playlist;
}
