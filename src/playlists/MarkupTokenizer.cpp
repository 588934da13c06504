#include "MarkupTokenizer.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool isNameCharacter(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Whether a character in XML text: no C0 control but tab and line ends, no U+FFFE or U+FFFF
// (the text is valid UTF-8, so no surrogate either).
bool validCharacters(QByteArrayView raw) {
    const char* data = raw.data();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const uchar c = uchar(data[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        if (c == 0xEF && i + 2 < raw.size() && uchar(data[i + 1]) == 0xBF &&
            (uchar(data[i + 2]) == 0xBE || uchar(data[i + 2]) == 0xBF))
            return false;
    }
    return true;
}

bool validCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The bytes character data cannot pass over without a look: markup, references, controls, and
// the first bytes of "]]>" and of U+FFFE and U+FFFF.
constexpr std::array<bool, 256> SpecialBytes = [] {
    std::array<bool, 256> special{};
    for (int c = 0; c < 0x20; ++c)
        special[c] = c != '\t' && c != '\n';
    for (const char c : {'<', '&', ']'})
        special[uchar(c)] = true;
    special[0xEF] = true;
    return special;
}();

bool special(uchar c) {
    return SpecialBytes[c];
}

// A reference's character, from the text between "&" and ";".
std::optional<char32_t> referenced(QByteArrayView name) {
    if (name == "amp")
        return U'&';
    if (name == "lt")
        return U'<';
    if (name == "gt")
        return U'>';
    if (name == "quot")
        return U'"';
    if (name == "apos")
        return U'\'';
    if (name.size() < 2 || name[0] != '#')
        return std::nullopt;
    const bool hex = name[1] == 'x';
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    const auto digit = [hex](char c) {
        return (c >= '0' && c <= '9') ||
               (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    if (digits.isEmpty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), digit))
        return std::nullopt;
    bool ok = false;
    const uint code = digits.toUInt(&ok, hex ? 16 : 10);
    if (!ok || !validCharacter(code))
        return std::nullopt;
    return char32_t(code);
}

// UTF-8 as characters, a U+FEFF at the start kept as the XML reader keeps it.
QString characters(QByteArrayView raw) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(raw);
}

} // namespace

std::optional<QString> decodedMarkupText(QByteArrayView raw, bool attribute) {
    const auto plain = [attribute](char c) {
        return c != '&' && c != '\r' && !(attribute && (c == '\t' || c == '\n'));
    };
    if (std::all_of(raw.begin(), raw.end(), plain))
        return characters(raw);
    QString decoded;
    decoded.reserve(raw.size());
    qsizetype run = 0;
    const auto flush = [&](qsizetype to) { decoded += characters(raw.sliced(run, to - run)); };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (plain(c))
            continue;
        flush(i);
        if (c == '&') {
            const qsizetype end = raw.indexOf(';', i);
            const std::optional<char32_t> character =
                end < 0 ? std::nullopt : referenced(raw.sliced(i + 1, end - i - 1));
            if (!character)
                return std::nullopt;
            const char32_t code = *character;
            decoded += QStringView(QChar::fromUcs4(code));
            i = end;
        } else if (c == '\r') {
            if (i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
            decoded += QLatin1Char(attribute ? ' ' : '\n');
        } else {
            decoded += QLatin1Char(' ');
        }
        run = i + 1;
    }
    flush(raw.size());
    return decoded;
}

MarkupTokenizer::MarkupTokenizer(MarkupWindow& window, qsizetype rootStart) : window_(window) {
    follow();
    at_ = rootStart - base_;
}

// The window's bytes again after it moved, the position kept.
void MarkupTokenizer::follow() {
    const qsizetype at = base_ + at_;
    text_ = window_.view();
    base_ = window_.base();
    at_ = at - base_;
}

// Lets go of what was read and takes in more; false when the text has ended.
bool MarkupTokenizer::moveOn(const MarkupEvents& events) {
    if (window_.atEnd())
        return false;
    window_.release(qMin(offset(at_), events.heldFrom()));
    const bool more = window_.readMore();
    follow();
    return more;
}

MarkupTokenizer::Result MarkupTokenizer::read(MarkupEvents& events, qsizetype songs) {
    while (events.songs() < songs) {
        if (rootSeen_ && open_.isEmpty())
            return trailer(events);
        short_ = false;
        if (token(events))
            continue;
        if (!short_ || !moveOn(events))
            return Result::Unsure; // the root never ends, or XML the full reader looks at
    }
    return Result::More;
}

bool MarkupTokenizer::token(MarkupEvents& events) {
    if (past(at_))
        return false;
    if (text_[at_] != '<')
        return text(events);
    if (past(at_ + 1))
        return false;
    if (text_[at_ + 1] == '/')
        return endTag(events);
    if (text_[at_ + 1] == '!')
        return comment();
    return startTag(events);
}

bool MarkupTokenizer::text(MarkupEvents& events) {
    // One pass to the next tag, looking at each byte once.
    const char* data = text_.data();
    qsizetype end = at_;
    bool references = false;
    bool carriageReturns = false;
    for (; end < text_.size(); ++end) {
        const uchar c = uchar(data[end]);
        if (!special(c))
            continue;
        if (c == '<')
            break;
        if (c == '&')
            references = true;
        else if (c == '\r')
            carriageReturns = true;
        else if (c < 0x20 && c != '\t' && c != '\n')
            return false;
        else if (c == ']' && QByteArrayView(data + end, text_.size() - end).startsWith("]]>"))
            return false;
        else if (c == 0xEF &&
                 !validCharacters(text_.sliced(end, qMin(qsizetype(3), text_.size() - end))))
            return false;
    }
    // A text the window ends in may go on (a "]]>" or a character cut by the end included).
    if (end == text_.size() && !window_.atEnd())
        return needMore();
    const QByteArrayView raw = text_.sliced(at_, end - at_);
    if (events.takesText() && !references && !carriageReturns) {
        events.plainCharacters(offset(at_), offset(end));
    } else if (events.takesText() || references) {
        const std::optional<QString> decoded = decodedMarkupText(raw, false);
        if (!decoded)
            return false;
        if (events.takesText())
            events.characters(*decoded);
    }
    at_ = end;
    return true;
}

bool MarkupTokenizer::comment() {
    if (past(at_ + 3))
        return false;
    if (!text_.sliced(at_).startsWith("<!--"))
        return false; // CDATA or a declaration
    const qsizetype dashes = text_.indexOf("--", at_ + 4);
    if (dashes < 0)
        return needMore();
    if (past(dashes + 2) || text_[dashes + 2] != '>')
        return false;
    if (!validCharacters(text_.sliced(at_ + 4, dashes - at_ - 4)))
        return false;
    at_ = dashes + 3;
    return true;
}

bool MarkupTokenizer::endTag(MarkupEvents& events) {
    if (open_.isEmpty())
        return false;
    const Open& open = open_.last();
    const QByteArrayView name = QByteArrayView(names_).sliced(open.nameStart, open.nameLength);
    qsizetype at = at_ + 2;
    if (past(at + name.size() - 1) || !text_.sliced(at).startsWith(name))
        return false;
    at += name.size();
    while (at < text_.size() && isBlank(text_[at]))
        ++at;
    if (past(at) || text_[at] != '>')
        return false;
    const qsizetype start = at_;
    at_ = at + 1;
    dropPrefixes(open.prefixes);
    names_.truncate(open.nameStart);
    open_.removeLast();
    events.endElement(offset(start), offset(at_));
    return true;
}

bool MarkupTokenizer::startTag(MarkupEvents& events) {
    qsizetype at = at_ + 1;
    const qsizetype nameStart = at;
    if (!isNameStart(text_[at]))
        return false;
    while (at < text_.size() && isNameCharacter(text_[at]))
        ++at;
    const QByteArrayView name = text_.sliced(nameStart, at - nameStart);
    const qsizetype prefixesBefore = prefixes_.size();
    bool empty = false;
    bool ok = attributes(at, empty) && declared(name);
    for (const MarkupAttribute& attribute : std::as_const(attributes_))
        ok = ok && (attribute.name == "xmlns" || attribute.name.startsWith("xmlns:") ||
                    declared(attribute.name));
    if (!ok) {
        dropPrefixes(prefixesBefore); // read again, or not at all
        return false;
    }
    const qsizetype start = at_;
    at_ = at;
    rootSeen_ = true;
    const qsizetype colon = name.indexOf(':');
    const QLatin1StringView local(colon < 0 ? name : name.sliced(colon + 1));
    open_.append({names_.size(), name.size(), prefixesBefore});
    names_ += name;
    events.startElement(local, offset(start), offset(at_), attributes_);
    if (empty) {
        dropPrefixes(prefixesBefore);
        names_.truncate(open_.last().nameStart);
        open_.removeLast();
        events.endElement(offset(start), offset(at_));
    }
    return true;
}

// The attributes of the tag whose name ends at `at`, to just after its end.
bool MarkupTokenizer::attributes(qsizetype& at, bool& empty) {
    attributes_.clear();
    while (true) {
        const qsizetype blanks = at;
        while (at < text_.size() && isBlank(text_[at]))
            ++at;
        if (past(at))
            return false;
        if (text_[at] == '>' || text_[at] == '/') {
            empty = text_[at] == '/';
            if (empty && (past(at + 1) || text_[at + 1] != '>'))
                return false;
            at += empty ? 2 : 1;
            return true;
        }
        if (at == blanks || !isNameStart(text_[at]))
            return false;
        const qsizetype nameStart = at;
        while (at < text_.size() && isNameCharacter(text_[at]))
            ++at;
        const QByteArrayView name = text_.sliced(nameStart, at - nameStart);
        while (at < text_.size() && isBlank(text_[at]))
            ++at;
        if (past(at) || text_[at] != '=')
            return false;
        ++at;
        while (at < text_.size() && isBlank(text_[at]))
            ++at;
        if (past(at) || (text_[at] != '"' && text_[at] != '\''))
            return false;
        const qsizetype valueStart = at + 1;
        const qsizetype valueEnd = text_.indexOf(text_[at], valueStart);
        if (valueEnd < 0)
            return needMore();
        const QByteArrayView value = text_.sliced(valueStart, valueEnd - valueStart);
        if (value.contains('<') || !validCharacters(value) ||
            (value.contains('&') && !decodedMarkupText(value, true)))
            return false;
        for (const MarkupAttribute& other : std::as_const(attributes_))
            if (other.name == name)
                return false;
        if (name.startsWith("xmlns:")) {
            if (name.count(':') != 1 || value.isEmpty())
                return false;
            prefixes_.append(name.sliced(6).toByteArray());
        }
        attributes_.append({name, offset(valueStart), offset(valueEnd)});
        at = valueEnd + 1;
    }
}

// Most documents declare no prefix: a list never allocated is left so.
void MarkupTokenizer::dropPrefixes(qsizetype kept) {
    if (prefixes_.size() > kept)
        prefixes_.resize(kept);
}

// Whether the name's prefix, if any, was declared; at most one colon, neither end.
bool MarkupTokenizer::declared(QByteArrayView qualifiedName) const {
    const qsizetype colon = qualifiedName.indexOf(':');
    if (colon < 0)
        return true;
    if (colon == 0 || colon == qualifiedName.size() - 1 || qualifiedName.count(':') != 1)
        return false;
    const QByteArrayView prefix = qualifiedName.first(colon);
    if (prefix == "xml")
        return true;
    return std::find(prefixes_.cbegin(), prefixes_.cend(), prefix) != prefixes_.cend();
}

// After the root only blanks may follow; anything else the full reader looks at.
MarkupTokenizer::Result MarkupTokenizer::trailer(const MarkupEvents& events) {
    do {
        for (; at_ < text_.size(); ++at_)
            if (!isBlank(text_[at_]))
                return Result::Unsure;
    } while (moveOn(events));
    return Result::Ended;
}
