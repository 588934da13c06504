#include "RegistryFile.h"
#include "SettingsLog.h"
#include "base/PathText.h"

#include "base/TextDecoding.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>

namespace {

const QLatin1String HeaderLine("Windows Registry Editor Version 5.00");
const QByteArray LineEnd = QByteArrayLiteral("\r\n"); // as regedit writes
constexpr int LockWaitMsecs = 5000;
// A lock whose owner died while writing it names no process; it counts as left over after
// this long (a save holds the lock for milliseconds).
constexpr int LockStaleMsecs = 2000;

// The data forms of a value line: "hex:" (REG_BINARY), "hex(N):" (type N), "dword:".
const QLatin1String BinaryPrefix("hex:");
const QLatin1String TypedPrefix("hex(");
const QLatin1String TypedPrefixEnd("):");
const QLatin1String DwordPrefix("dword:");
constexpr int MaxHexDigits = 8; // of a 32-bit number

struct ValueLine {
    QByteArray raw;
    std::optional<QString> name;
    std::optional<RegistryValue> value;
};

struct NameAndData {
    QString name;
    QString data;
};

// regedit exports UTF-16LE with a byte-order mark; such a file is read as its UTF-8 form.
QByteArray utf8Bytes(const QByteArray& bytes) {
    if (utf16MarkOf(bytes) == QStringConverter::Utf16LE) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return QString(decoder(bytes.mid(Utf16ByteOrderMarkSize))).toUtf8();
    }
    return bytes;
}

// The line without surrounding white space, as QString::trimmed() gives it; most lines are
// ASCII, which is trimmed before it is turned into text.
QString trimmedText(const QByteArray& line) {
    for (const char c : line)
        if (uchar(c) >= 0x80)
            return decodeText(line).trimmed();
    return QString::fromLatin1(line.trimmed());
}

QString foldedPath(const QString& path) {
    return path.toCaseFolded();
}

// "[-path]" (a key deleted on import) also reads as a block of its own, so its lines stay with
// it; no path we look up starts with "-".
bool isKeyLine(const QString& trimmed) {
    return trimmed.size() >= 3 && trimmed.startsWith(u'[') && trimmed.endsWith(u']');
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    escaped.replace(QLatin1String("\""), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Reads the quoted text that starts at pos; pos ends after the closing quote.
std::optional<QString> readQuoted(const QString& line, qsizetype& pos) {
    QString text;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') {
            pos = i + 1;
            return text;
        }
        if (c == u'\\' && i + 1 < line.size() &&
            (line.at(i + 1) == u'\\' || line.at(i + 1) == u'"'))
            ++i;
        text += line.at(i);
    }
    return std::nullopt;
}

std::optional<NameAndData> splitNameAndData(const QString& line) {
    NameAndData parts;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else if (line.startsWith(u'"')) {
        const std::optional<QString> name = readQuoted(line, pos);
        if (!name)
            return std::nullopt;
        parts.name = *name;
    } else {
        return std::nullopt;
    }
    const QString rest = line.mid(pos).trimmed();
    if (!rest.startsWith(u'='))
        return std::nullopt;
    parts.data = rest.mid(1).trimmed();
    return parts;
}

std::optional<QByteArray> parseHexBytes(QStringView list) {
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (QStringView token : list.split(u',')) {
        token = token.trimmed();
        if (token.size() > 2 || !isDigits(token, 16))
            return std::nullopt;
        bytes.append(char(token.toUInt(nullptr, 16)));
    }
    return bytes;
}

// Only the one terminating zero ends the text: a zero inside it is part of the value, as the
// value was written. Every code unit is kept, a lone surrogate or a leading FEFF too.
std::optional<QString> decodeUtf16(const QByteArray& bytes) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless |
                               QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

QByteArray encodeUtf16(const QString& text) {
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
    bytes.append(2, '\0');
    return bytes;
}

std::optional<RegistryValue> typedValue(quint32 type, const QByteArray& bytes) {
    if (type == quint32(RegType::Sz) || type == quint32(RegType::ExpandSz)) {
        const std::optional<QString> text = decodeUtf16(bytes);
        if (!text)
            return std::nullopt;
        return RegistryValue::fromString(*text, RegType(type));
    }
    if (type == quint32(RegType::Dword)) {
        if (bytes.size() != sizeof(quint32))
            return std::nullopt;
        return RegistryValue::fromDword(qFromLittleEndian<quint32>(bytes.constData()));
    }
    RegistryValue value = RegistryValue::fromBinary(bytes);
    value.type = type;
    return value;
}

std::optional<RegistryValue> parseHexData(const QString& data) {
    quint32 type = quint32(RegType::Binary);
    qsizetype start = BinaryPrefix.size();
    if (data.startsWith(TypedPrefix, Qt::CaseInsensitive)) {
        const qsizetype close = data.indexOf(TypedPrefixEnd);
        const QStringView number =
            QStringView(data).mid(TypedPrefix.size(), close - TypedPrefix.size());
        if (close < 0 || number.size() > MaxHexDigits || !isDigits(number, 16))
            return std::nullopt;
        type = number.toUInt(nullptr, 16);
        start = close + TypedPrefixEnd.size();
    } else if (!data.startsWith(BinaryPrefix, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = parseHexBytes(QStringView(data).mid(start));
    if (!bytes)
        return std::nullopt;
    return typedValue(type, *bytes);
}

std::optional<RegistryValue> parseData(const QString& data) {
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const std::optional<QString> text = readQuoted(data, pos);
        if (!text || !data.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return RegistryValue::fromString(*text);
    }
    if (data.startsWith(DwordPrefix, Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(data).mid(DwordPrefix.size());
        if (digits.size() > MaxHexDigits || !isDigits(digits, 16))
            return std::nullopt;
        return RegistryValue::fromDword(digits.toUInt(nullptr, 16));
    }
    return parseHexData(data);
}

// One value line, with the lines that continue its hex data; i ends on its last line.
ValueLine readValueLine(const QList<QByteArray>& lines, qsizetype& i, const QString& first) {
    ValueLine result{lines.at(i), std::nullopt, std::nullopt};
    QString logical = first;
    std::optional<NameAndData> parts = splitNameAndData(logical);
    if (parts && parts->data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
        // A blank line ends the data: it is the blank line written between keys (found by
        // fuzzing: taken as data, each save added one more).
        while (logical.endsWith(u'\\') && i + 1 < lines.size() &&
               !trimmedText(lines.at(i + 1)).isEmpty()) {
            logical.chop(1);
            ++i;
            result.raw += '\n' + lines.at(i);
            logical += decodeText(lines.at(i)).trimmed();
        }
        parts = splitNameAndData(logical);
    }
    if (!parts)
        return result;
    std::optional<RegistryValue> value = parseData(parts->data);
    if (value) {
        result.name = parts->name;
        result.value = std::move(value);
    }
    return result;
}

bool needsHexForm(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

QString hexList(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(','));
}

QString typedHex(quint32 type, const QByteArray& bytes) {
    return TypedPrefix + QString::number(type, 16) + TypedPrefixEnd + hexList(bytes);
}

QString formatData(const RegistryValue& value) {
    switch (RegType(value.type)) {
    case RegType::Sz:
        if (!needsHexForm(value.text))
            return quoted(value.text);
        return typedHex(quint32(RegType::Sz), encodeUtf16(value.text));
    case RegType::ExpandSz:
        return typedHex(quint32(RegType::ExpandSz), encodeUtf16(value.text));
    case RegType::Dword:
        return DwordPrefix +
               QStringLiteral("%1").arg(value.dword, MaxHexDigits, 16, QLatin1Char('0'));
    case RegType::Binary:
        return BinaryPrefix + hexList(value.bytes);
    default:
        return typedHex(value.type, value.bytes);
    }
}

QString formatValueLine(const QString& name, const RegistryValue& value) {
    const QString nameText = name.isEmpty() ? QStringLiteral("@") : quoted(name);
    return nameText + QLatin1Char('=') + formatData(value);
}

bool isOneLine(const QString& text) {
    return !text.contains(u'\r') && !text.contains(u'\n');
}

bool isValidKeyPath(const QString& keyPath) {
    return !keyPath.isEmpty() && isOneLine(keyPath) && !keyPath.startsWith(u'-');
}

} // namespace

RegistryFile::RegistryFile(const QString& fileName) : fileName_(fileName) {
    (void)load();
}

void RegistryFile::reload() {
    (void)load();
}

bool RegistryFile::load() {
    const QByteArray path = pathBytes(fileName_);
    if (!RawNames::exists(path)) {
        parse(QByteArray());
        return true;
    }
    // A FIFO or a device in the file's place is refused without waiting on it.
    const std::optional<QByteArray> text = RawNames::readRegularFile(path);
    parse(text.value_or(QByteArray()));
    return text.has_value();
}

RegistryFile RegistryFile::fromText(const QString& fileName, const QByteArray& text) {
    RegistryFile file;
    file.fileName_ = fileName;
    file.parse(text);
    return file;
}

void RegistryFile::parse(const QByteArray& text) {
    QByteArray bytes = utf8Bytes(text);
    byteOrderMark_ = bytes.startsWith(Utf8ByteOrderMark);
    if (byteOrderMark_)
        bytes.remove(0, Utf8ByteOrderMark.size());
    parseLines(splitLines(bytes));
}

void RegistryFile::parseLines(const QList<QByteArray>& lines) {
    preamble_.clear();
    keys_.clear();
    keyIndex_.clear();
    knownFormat_ = !lines.isEmpty() && decodeText(lines.first()).trimmed() == HeaderLine;
    if (lines.isEmpty())
        return;
    qsizetype current = -1; // index into keys_
    for (qsizetype i = knownFormat_ ? 1 : 0; i < lines.size(); ++i) {
        const QString trimmed = trimmedText(lines.at(i));
        if (trimmed.isEmpty())
            continue;
        if (!knownFormat_) {
            preamble_ << lines.at(i);
        } else if (isKeyLine(trimmed)) {
            const QString path = trimmed.mid(1, trimmed.size() - 2);
            const qsizetype before = keys_.size();
            Key& key = keyForWriting(path); // a repeated key joins the first
            if (keys_.size() > before)
                key.header = lines.at(i);
            current = keyIndex_.value(foldedPath(path));
        } else if (current < 0) {
            preamble_ << readValueLine(lines, i, trimmed).raw;
        } else {
            // Only hex data ending in "\\" goes on over the next lines.
            const qsizetype first = i;
            if (trimmed.endsWith(u'\\'))
                (void)readValueLine(lines, i, trimmed);
            keys_[current].unread.append(i == first ? lines.at(i)
                                                    : lines.mid(first, i - first + 1).join('\n'));
        }
    }
}

QList<RegistryFile::Line>& RegistryFile::linesOf(const Key& key) {
    for (const QByteArray& logical : key.unread) {
        const QList<QByteArray> physical = logical.split('\n');
        qsizetype i = 0;
        const ValueLine line = readValueLine(physical, i, trimmedText(physical.first()));
        key.lines << Line{line.raw, line.name, line.value};
    }
    key.unread.clear();
    return key.lines;
}

QByteArray RegistryFile::toText() const {
    QByteArray text;
    if (byteOrderMark_)
        text.append(Utf8ByteOrderMark);
    text += QByteArray(HeaderLine.latin1()) + LineEnd + LineEnd;
    const auto addLine = [&text](const QByteArray& line) {
        text += QByteArray(line).replace('\n', LineEnd) + LineEnd;
        // A line kept as it was that ends in "\\" would take the next line as its data; the
        // blank line ends it (found by fuzzing: a value written below one was lost).
        if (trimmedText(line.mid(line.lastIndexOf('\n') + 1)).endsWith(u'\\'))
            text += LineEnd;
    };
    for (const QByteArray& line : preamble_)
        addLine(line);
    if (!preamble_.isEmpty())
        text += LineEnd;
    for (const Key& key : keys_) {
        addLine(key.header.isEmpty() ? (QLatin1Char('[') + key.path + QLatin1Char(']')).toUtf8()
                                     : key.header);
        for (const QByteArray& line : key.unread)
            addLine(line);
        for (const Line& line : key.lines)
            addLine(line.raw.isEmpty() && line.name && line.value
                        ? formatValueLine(*line.name, *line.value).toUtf8()
                        : line.raw);
        text += LineEnd;
    }
    return text;
}

RegistryFile::Key* RegistryFile::findKey(const QString& keyPath) {
    const auto found = keyIndex_.constFind(foldedPath(keyPath));
    return found == keyIndex_.cend() ? nullptr : &keys_[*found];
}

const RegistryFile::Key* RegistryFile::findKey(const QString& keyPath) const {
    const auto found = keyIndex_.constFind(foldedPath(keyPath));
    return found == keyIndex_.cend() ? nullptr : &keys_.at(*found);
}

RegistryFile::Key& RegistryFile::keyForWriting(const QString& keyPath) {
    if (Key* key = findKey(keyPath))
        return *key;
    keyIndex_.insert(foldedPath(keyPath), keys_.size());
    keys_.append(Key{keyPath, {}, {}, {}});
    return keys_.last();
}

bool RegistryFile::keyExists(const QString& keyPath) const {
    if (keyPath.isEmpty())
        return false;
    // A key holding subkeys exists even without its own block, as parent keys do.
    const QString prefix = keyPath + QLatin1Char('\\');
    for (const Key& key : keys_)
        if (sameName(key.path, keyPath) || key.path.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

std::optional<RegistryValue> RegistryFile::value(const QString& keyPath,
                                                 const QString& name) const {
    const Key* key = findKey(keyPath);
    if (!key)
        return std::nullopt;
    // On import a later line wins, so it does here.
    const QList<Line>& lines = linesOf(*key);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (line->name && line->value && sameName(*line->name, name))
            return line->value;
    return std::nullopt;
}

Status RegistryFile::createKey(const QString& keyPath) {
    if (!isValidKeyPath(keyPath)) {
        qCWarning(lcSettings) << "not a registry key name:" << keyPath;
        return Status::failure(QStringLiteral("Invalid key name"));
    }
    return change([keyPath](RegistryFile& file) {
        if (!file.keyExists(keyPath))
            file.keyForWriting(keyPath);
    });
}

Status RegistryFile::setValue(const QString& keyPath, const QString& name,
                              const RegistryValue& value) {
    if (!isValidKeyPath(keyPath) || !isOneLine(name)) {
        qCWarning(lcSettings) << "not a registry key and value name:" << keyPath << name;
        return Status::failure(QStringLiteral("Invalid key or value name"));
    }
    return change([keyPath, name, value](RegistryFile& file) {
        QList<Line>& lines = linesOf(file.keyForWriting(keyPath));
        // A value set to what it holds keeps its line byte for byte (text that is not UTF-8
        // would come back re-encoded).
        const auto named = [&name](const Line& line) {
            return line.name && sameName(*line.name, name);
        };
        const auto match = std::find_if(lines.cbegin(), lines.cend(), named);
        if (match != lines.cend() && match->value == value &&
            std::find_if(match + 1, lines.cend(), named) == lines.cend())
            return;
        qsizetype first = -1;
        for (qsizetype i = 0; i < lines.size();) {
            if (lines.at(i).name && sameName(*lines.at(i).name, name)) {
                first = first < 0 ? i : first;
                lines.removeAt(i);
            } else {
                ++i;
            }
        }
        lines.insert(first < 0 ? lines.size() : first, Line{QByteArray(), name, value});
    });
}

Status RegistryFile::deleteValue(const QString& keyPath, const QString& name) {
    return change([keyPath, name](RegistryFile& file) {
        if (Key* key = file.findKey(keyPath))
            linesOf(*key).removeIf(
                [&name](const Line& line) { return line.name && sameName(*line.name, name); });
    });
}

// Edits are kept until commit() in deferred mode, so they hold copies of their arguments.
Status RegistryFile::change(const Edit& edit) {
    if (deferred_) {
        edit(*this);
        pending_.append(edit);
        return Status::ok();
    }
    return replaceOnDisk({edit});
}

Status RegistryFile::commit() {
    if (pending_.isEmpty())
        return Status::ok();
    const Status status = replaceOnDisk(pending_);
    if (status.isOk())
        pending_.clear();
    return status;
}

// A FIFO or a device in the file's place (a link to /dev/null, say) is no settings file: it
// reads as no keys and takes nothing, and the program goes on as if saved, with no message
// that would hold up its close.
bool RegistryFile::keepsNothing(const QList<Edit>& edits) {
    const std::optional<RawNames::FileStatus> found = RawNames::status(pathBytes(fileName_));
    if (!found || found->isRegular || found->isFolder)
        return false;
    qCWarning(lcSettings) << "not saving" << fileName_ << "(not a regular file)";
    RegistryFile edited = fromText(fileName_, QByteArray());
    for (const Edit& edit : edits)
        edit(edited);
    adopt(std::move(edited));
    return true;
}

// Under the lock the file is read again, so values another writer set meanwhile stay.
Status RegistryFile::replaceOnDisk(const QList<Edit>& edits) {
    if (keepsNothing(edits))
        return Status::ok();
    if (!QDir().mkpath(QFileInfo(fileName_).absolutePath())) {
        qCWarning(lcSettings) << "cannot make the folder of" << fileName_;
        return Status::failure(QLatin1String("Cannot create the folder of ") + fileName_);
    }
    QLockFile lock(fileName_ + QLatin1String(".lock"));
    lock.setStaleLockTime(LockStaleMsecs);
    // A folder that holds no lock file (the user may write the file, not the folder): writers
    // there lock the file itself instead.
    FileOperations::InPlaceLock inPlace(fileName_);
    if (!lock.tryLock(LockWaitMsecs) &&
        (lock.error() == QLockFile::LockFailedError || !inPlace.tryLock(LockWaitMsecs))) {
        qCWarning(lcSettings).nospace()
            << "cannot lock " << fileName_ << ": "
            << (lock.error() == QLockFile::LockFailedError
                    ? "another writer holds it"
                    : "neither a lock file nor the file itself can be locked");
        return Status::failure(QLatin1String("Cannot lock ") + fileName_);
    }
    RegistryFile onDisk = fromText(fileName_, QByteArray());
    if (!onDisk.load()) // the reading logged why
        return Status::failure(QLatin1String("Cannot read ") + fileName_);
    RegistryFile edited = onDisk;
    for (const Edit& edit : edits)
        edit(edited);
    const QByteArray text = edited.toText();
    if (text == onDisk.toText()) {
        adopt(std::move(onDisk));
        return Status::ok();
    }
    const Status status = FileOperations::writeFile(fileName_, text); // logs its own failure
    if (status.failed()) {
        if (!deferred_)
            adopt(std::move(onDisk));
        return status;
    }
    // What the file now holds, as a new start reads it (a file of another format becomes ours).
    adopt(onDisk.knownFormat_ ? std::move(edited) : fromText(fileName_, text));
    return Status::ok();
}

void RegistryFile::adopt(RegistryFile&& other) {
    const bool deferred = deferred_;
    QList<Edit> pending = std::move(pending_);
    *this = std::move(other);
    deferred_ = deferred;
    pending_ = std::move(pending);
}
