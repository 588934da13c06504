#include "MarkupPlaylistReader.h"

#include "MarkupTokenizer.h"
#include "base/TextDecoding.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <limits>

namespace {

// Characters handed to the XML reader at a time.
constexpr qsizetype ChunkBytes = 1 << 20;

// The reader counts characters (UTF-16 units); the songs need byte offsets. The offsets asked
// for only grow, so one pass over the bytes serves them all.
class ByteOffsets {
public:
    ByteOffsets(const MarkupWindow& window, qsizetype start, bool utf8)
        : window_(window), byte_(start), utf8_(utf8) {}

    qsizetype at(qint64 character) {
        if (!utf8_) { // one byte a character
            byte_ += character - character_;
            character_ = character;
            return byte_;
        }
        const QByteArrayView text = window_.view();
        const qsizetype base = window_.base();
        while (character_ < character && byte_ < window_.end()) {
            const uchar lead = uchar(text[byte_ - base]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            byte_ += length;
            character_ += length == 4 ? 2 : 1;
        }
        return byte_;
    }
    // The last offset given: nothing before it is looked at again.
    qsizetype position() const { return byte_; }

private:
    const MarkupWindow& window_;
    qsizetype byte_;
    qint64 character_ = 0;
    bool utf8_;
};

// Decodes the text a part at a time for the XML reader.
class MarkupFeed {
public:
    MarkupFeed(MarkupWindow& window, qsizetype start, bool utf8)
        : window_(window), next_(start), utf8_(utf8) {}

    // False once everything was handed over. The parts are the same whatever the window: the
    // reader misses a "]]>" or a second root cut by the end of a part it was given.
    bool feed(QXmlStreamReader& reader) {
        while (window_.end() < next_ + ChunkBytes && window_.readMore())
            ;
        if (next_ >= window_.end())
            return false;
        const qsizetype to = qMin(next_ + ChunkBytes, window_.end());
        const QByteArrayView part = window_.sliced(next_, to);
        next_ = to;
        reader.addData(utf8_ ? decoder_.decode(part) : decodeWindows1252(part));
        return true;
    }

private:
    MarkupWindow& window_;
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
    MarkupScan(const MarkupWindow& window, const MarkupRule& rule, qsizetype skip = 0)
        : window_(window), rule_(rule), skip_(skip) {}

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
    void plainCharacters(qsizetype start, qsizetype end) override {
        if (value_.isEmpty() && !hasPlainValue()) {
            plainValue_ = {start, end};
            return;
        }
        characters(*decodedMarkupText(window_.sliced(start, end), false));
    }
    qsizetype heldFrom() const override {
        return hasPlainValue() ? plainValue_.start : MarkupEvents::heldFrom();
    }
    qsizetype songs() const override { return target_ ? target_->entries.size() : 0; }

    bool whole() const { return whole_; }
    // Songs found go to this playlist.
    void setTarget(IndexedPlaylist* playlist) { target_ = playlist; }

private:
    bool hasPlainValue() const { return plainValue_.end > plainValue_.start; }
    QByteArrayView plainValue() const { return window_.sliced(plainValue_.start, plainValue_.end); }

    // The location kept as bytes becomes characters, for whatever needs them.
    void takePlainValue() {
        if (!hasPlainValue())
            return;
        value_ = *decodedMarkupText(plainValue(), false);
        plainValue_ = {};
    }

    // True when the location is blank; a plain one is trimmed, or made characters where its
    // ends are not ASCII (blanks beyond ASCII trim too).
    bool blankValue() {
        if (hasPlainValue()) {
            const QByteArrayView value = plainValue();
            const QByteArrayView trimmed = value.trimmed();
            const qsizetype from = plainValue_.start + (trimmed.data() - value.data());
            plainValue_ = trimmed.isEmpty() ? Range{} : Range{from, from + trimmed.size()};
            if (trimmed.isEmpty() ||
                (uchar(trimmed.front()) < 0x80 && uchar(trimmed.back()) < 0x80))
                return trimmed.isEmpty();
            takePlainValue();
        }
        return value_.trimmed().isEmpty();
    }

    QByteArray entry() {
        if (hasPlainValue() && rule_.entryOfPlain)
            if (std::optional<QByteArray> entry = rule_.entryOfPlain(plainValue()))
                return *std::move(entry);
        takePlainValue();
        return rule_.entryOf(value_);
    }

    qsizetype tagStart(qsizetype tagEnd) const {
        return window_.base() + window_.view().lastIndexOf('<', tagEnd - 1 - window_.base());
    }

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
                    value_ = decodedMarkupText(window_.sliced(range->start, range->end), true)
                                 .value_or(QString());
                    break;
                }
        } else {
            const qsizetype base = window_.base();
            range = attributeValue(window_.view(), {tag.start - base, tag.end - base},
                                   rule_.attribute, rule_.names);
            if (range)
                range = Range{range->start + base, range->end + base};
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
    const MarkupWindow& window_;
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
    // Where the location lies while it is one run of plain UTF-8 (value_ is then empty).
    Range plainValue_;
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

qsizetype markupStart(QByteArrayView text) {
    qsizetype at = 0;
    while (text.sliced(at).startsWith(Utf8ByteOrderMark))
        at += Utf8ByteOrderMark.size();
    while (at < text.size() && QByteArrayView(" \t\r\n").contains(text[at]))
        ++at;
    return at;
}

std::optional<QString> markupRootName(QByteArrayView text) {
    const qsizetype start = markupStart(text);
    if (start >= text.size() || text[start] != '<')
        return std::nullopt;
    // The name is ASCII in every format read, so a replacement mark here and there is harmless.
    const MarkupSource source =
        MarkupSource::whole(QByteArray::fromRawData(text.data(), text.size()));
    MarkupWindow window(source, 0);
    MarkupFeed feed(window, start, true);
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
    FullReading(const MarkupSource& source, qsizetype start, bool utf8, const MarkupRule& rule,
                qsizetype skip)
        : window(source, start), feed(window, start, utf8), offsets(window, start, utf8),
          scan(window, rule, skip) {
        feed.feed(reader);
    }

    // The reader holds what it was given: the bytes before its last tag may go.
    bool feedMore() {
        window.release(offsets.position());
        return feed.feed(reader);
    }

    MarkupWindow window;
    MarkupFeed feed;
    ByteOffsets offsets;
    MarkupScan scan;
    QXmlStreamReader reader;
};

// Where the root's start tag begins when the tokenizer may read on from there: the text is
// UTF-8 and its prolog, read by QXmlStreamReader, holds no DTD.
std::optional<qsizetype> tokenizerStart(const MarkupSource& source, qsizetype start) {
    MarkupWindow window(source, start);
    MarkupFeed feed(window, start, true);
    ByteOffsets offsets(window, start, true);
    QXmlStreamReader reader;
    feed.feed(reader);
    while (true) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const qsizetype end = offsets.at(reader.characterOffset());
            return window.base() + window.view().lastIndexOf('<', end - 1 - window.base());
        }
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

// How many bytes of `text` end with a whole UTF-8 character, a sequence cut at its end left
// out (one that cannot be whole counts, for the check to find).
qsizetype wholeCharacters(QByteArrayView text) {
    for (qsizetype at = text.size() - 1; at >= 0 && at >= text.size() - 4; --at) {
        const uchar c = uchar(text[at]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype length = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        return text.size() - at < length ? at : text.size();
    }
    return text.size();
}

// Whether the whole text is UTF-8, read a window at a time.
bool isUtf8(const MarkupSource& source) {
    if (source.isWhole())
        return QByteArrayView(source.text).isValidUtf8();
    MarkupWindow window(source, 0);
    qsizetype checked = 0;
    do {
        const QByteArrayView rest = window.sliced(checked, window.end());
        const qsizetype whole = window.atEnd() ? rest.size() : wholeCharacters(rest);
        if (!rest.first(whole).isValidUtf8())
            return false;
        checked += whole;
        window.release(checked);
    } while (window.readMore());
    return window.sliced(checked, window.end()).isValidUtf8();
}

// Where the markup begins (markupStart), read far enough that a mark cut by the window's end
// is not taken for text.
qsizetype startOf(const MarkupSource& source) {
    if (source.isWhole())
        return markupStart(source.text);
    MarkupWindow window(source, 0);
    while (window.view().size() - markupStart(window.view()) < Utf8ByteOrderMark.size() &&
           window.readMore())
        ;
    return markupStart(window.view());
}

} // namespace

// The tokenizer reads while it can; where it is unsure, QXmlStreamReader reads the text again
// from the start, passing over the songs already taken.
struct MarkupPlaylistReading::State {
    State(MarkupSource text, const MarkupRule& rule, bool tokenizer)
        : source(std::move(text)), rule(rule), tokenizer(tokenizer) {
        source.stopped = &stopped;
    }

    void begin();
    bool readQuickly(IndexedPlaylist& playlist, qsizetype wanted);
    void readFully(IndexedPlaylist& playlist, qsizetype wanted);

    std::atomic<bool> stopped = false;
    MarkupSource source;
    const MarkupRule& rule;
    const bool tokenizer;
    bool begun = false;
    qsizetype start = 0;
    bool utf8 = true;
    std::optional<MarkupWindow> tokenWindow;
    std::optional<MarkupTokenizer> tokens;
    std::unique_ptr<MarkupScan> quickScan;
    qsizetype quickSongs = 0;
    std::unique_ptr<FullReading> full;
    bool ended = false;
};

// Looks at the whole text once (is it UTF-8?) and at its prolog: the first songs wait for it.
void MarkupPlaylistReading::State::begin() {
    begun = true;
    utf8 = isUtf8(source);
    start = startOf(source);
    const std::optional<qsizetype> root =
        utf8 && tokenizer ? tokenizerStart(source, start) : std::optional<qsizetype>();
    if (root && *root >= start) {
        tokenWindow.emplace(source, *root);
        tokens.emplace(*tokenWindow, *root);
        quickScan = std::make_unique<MarkupScan>(*tokenWindow, rule);
    } else {
        full = std::make_unique<FullReading>(source, start, utf8, rule, 0);
    }
}

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
        tokenWindow.reset();
        full = std::make_unique<FullReading>(source, start, utf8, rule, quickSongs);
        return false;
    }
    ended = result == MarkupTokenizer::Result::Ended;
    if (ended)
        playlist.whole = playlist.whole && !tokenWindow->cut();
    return true;
}

void MarkupPlaylistReading::State::readFully(IndexedPlaylist& playlist, qsizetype wanted) {
    QXmlStreamReader& reader = full->reader;
    full->scan.setTarget(&playlist);
    while (!ended && playlist.entries.size() < wanted && !stopped.load(std::memory_order_relaxed)) {
        reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && full->feedMore())
            continue;
        if (reader.hasError() || reader.atEnd()) {
            ended = true;
            playlist.whole =
                playlist.whole && full->scan.whole() && !reader.hasError() && !full->window.cut();
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
    : MarkupPlaylistReading(MarkupSource::whole(playlist.markup), rule, tokenizer) {
    d_->begin();
    playlist.format = rule.format;
    playlist.markupIsUtf8 = d_->utf8;
}

MarkupPlaylistReading::MarkupPlaylistReading(MarkupSource source, const MarkupRule& rule,
                                             bool tokenizer)
    : d_(std::make_unique<State>(std::move(source), rule, tokenizer)) {}

MarkupPlaylistReading::~MarkupPlaylistReading() = default;

bool MarkupPlaylistReading::readSongs(IndexedPlaylist& playlist, qsizetype songs) {
    State& d = *d_;
    if (!d.begun)
        d.begin();
    playlist.format = d.rule.format;
    playlist.markupIsUtf8 = d.utf8;
    const qsizetype wanted = playlist.entries.size() + songs;
    if (d.tokens && d.readQuickly(playlist, wanted))
        return !d.ended;
    d.readFully(playlist, wanted);
    return !d.ended;
}

void MarkupPlaylistReading::stop() {
    d_->stopped = true;
}

void MarkupPlaylistReading::readToEnd(IndexedPlaylist& playlist) {
    while (readSongs(playlist, std::numeric_limits<qsizetype>::max() / 2))
        ;
}

IndexedPlaylist readMarkupPlaylist(QByteArray text, const MarkupRule& rule, bool tokenizer,
                                   qsizetype windowBytes) {
    IndexedPlaylist playlist;
    playlist.format = rule.format;
    // Beyond what the offsets address; no real playlist comes near it.
    if (text.size() >= qsizetype(std::numeric_limits<quint32>::max()))
        return playlist;
    playlist.markup = std::move(text);
    if (windowBytes <= 0) {
        MarkupPlaylistReading(playlist, rule, tokenizer).readToEnd(playlist);
        return playlist;
    }
    const QByteArray markup = playlist.markup;
    const MarkupSource::Read read = [markup](qint64 offset, qsizetype bytes, QByteArray& into) {
        into.append(QByteArrayView(markup)
                        .sliced(qMin(qsizetype(offset), markup.size()))
                        .first(qMin(bytes, qMax(markup.size() - qsizetype(offset), qsizetype(0)))));
        return true;
    };
    MarkupPlaylistReading(MarkupSource::parts(read, windowBytes), rule, tokenizer)
        .readToEnd(playlist);
    return playlist;
}
