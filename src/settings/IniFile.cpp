#include "IniFile.h"
#include "base/PathText.h"
#include "SettingsLog.h"

#include "base/TextDecoding.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"

#include <QFile>

namespace {

// Nothing when something is there but cannot be read: a FIFO or a device in the file's place is
// refused without waiting on it.
std::optional<QByteArray> readFile(const QString& fileName) {
    const QByteArray path = pathBytes(fileName);
    if (!RawNames::exists(path))
        return QByteArray();
    return RawNames::readRegularFile(path);
}

} // namespace

IniFile::IniFile(const QString& fileName) : fileName_(fileName) {
    const std::optional<QByteArray> text = readFile(fileName);
    document_ = IniDocument::parse(text.value_or(QByteArray()));
    readable_ = text.has_value() && document_.isWhole();
    // A failed read logged its own cause.
    if (text && !document_.isWhole())
        qCWarning(lcSettings).nospace() << "reading " << fileName_ << ": broken UTF-16";
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const auto value = document_.value(section.toUtf8(), key.toUtf8());
    if (!value)
        return defaultValue;
    return decodeText(*value);
}

bool IniFile::hasValue(const QString& section, const QString& key) const {
    return document_.value(section.toUtf8(), key.toUtf8()).has_value();
}

Status IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A value that reads as it is stays untouched, so text that is not UTF-8 keeps its bytes.
    const auto current = document_.value(section.toUtf8(), key.toUtf8());
    if (current && decodeText(*current) == value)
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
    // What could not be read would be lost.
    const Status failure = Status::failure(QStringLiteral("Unable to write to ") + fileName_);
    if (!readable_) {
        qCWarning(lcSettings) << "not saving" << fileName_ << "over what could not be read";
        return failure;
    }
    // A failed write logs its own step and cause.
    if (FileOperations::writeFile(fileName_, document_.toText()).failed())
        return failure;
    return Status::ok();
}
