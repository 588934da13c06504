#include "IniFile.h"

#include "common/TextDecoding.h"
#include "platform/FileOperations.h"

#include <QFile>

namespace {

QByteArray readFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A value cut at the length limit may end inside a UTF-8 sequence; drop that partial
// character instead of showing a replacement mark.
QByteArray withoutPartialCharacter(const QByteArray& value) {
    if (value.size() < IniDocument::MaxValueLength)
        return value;
    qsizetype start = value.size() - 1;
    while (start > 0 && (uchar(value.at(start)) & 0xC0) == 0x80)
        --start;
    const uchar lead = uchar(value.at(start));
    const qsizetype needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return value.size() - start < needed ? value.first(start) : value;
}

// Settings made on Windows may hold Windows-1252 text; a value cut inside a UTF-8 character
// is still UTF-8.
QString decodeValue(const QByteArray& value) {
    if (isValidUtf8(value))
        return QString::fromUtf8(value);
    const QByteArray whole = withoutPartialCharacter(value);
    return whole.size() < value.size() && isValidUtf8(whole) ? QString::fromUtf8(whole)
                                                             : decodeText(value);
}

} // namespace

IniFile::IniFile(const QString& fileName)
    : fileName_(fileName), document_(IniDocument::parse(readFile(fileName))) {}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const auto value = document_.value(section.toUtf8(), key.toUtf8());
    if (!value)
        return defaultValue;
    return decodeValue(*value);
}

bool IniFile::hasValue(const QString& section, const QString& key) const {
    return document_.value(section.toUtf8(), key.toUtf8()).has_value();
}

Status IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A value that reads as it is stays untouched, so text that is not UTF-8 keeps its bytes.
    const auto current = document_.value(section.toUtf8(), key.toUtf8());
    if (current && decodeValue(*current) == value)
        return Status::ok();
    return change([&](IniDocument& document) {
        document.setValue(section.toUtf8(), key.toUtf8(), value.toUtf8());
    });
}

std::optional<QByteArray> IniFile::readBytes(const QString& section, const QString& key) const {
    return document_.value(section.toUtf8(), key.toUtf8());
}

Status IniFile::writeBytes(const QString& section, const QString& key, const QByteArray& value) {
    if (document_.value(section.toUtf8(), key.toUtf8()) == value)
        return Status::ok();
    return change(
        [&](IniDocument& document) { document.setValue(section.toUtf8(), key.toUtf8(), value); });
}

Status IniFile::eraseSection(const QString& section) {
    if (!document_.hasSection(section.toUtf8()))
        return Status::ok();
    return change([&](IniDocument& document) { document.eraseSection(section.toUtf8()); });
}

Status IniFile::change(const std::function<void(IniDocument&)>& edit) {
    if (deferred_) {
        edit(document_);
        dirty_ = true;
        return Status::ok();
    }
    const IniDocument before = document_;
    edit(document_);
    const Status status = save();
    if (status.failed())
        document_ = before;
    return status;
}

Status IniFile::commit() {
    if (!dirty_)
        return Status::ok();
    const Status status = save();
    if (status.isOk())
        dirty_ = false;
    return status;
}

Status IniFile::save() {
    if (FileOperations::writeFileAtomically(fileName_, document_.toText()).failed())
        return Status::failure(QStringLiteral("Unable to write to ") + fileName_);
    return Status::ok();
}
