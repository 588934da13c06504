#include "TypedRegistry.h"

#include "platform/ConfigLocations.h"

#include <QtEndian>

#include <bit>

namespace {

QString rootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER")
                                             : QStringLiteral("HKEY_LOCAL_MACHINE");
}

QString rootFile(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? ConfigLocations::userRegistryFile()
                                             : ConfigLocations::systemRegistryFile();
}

Status setDataFailure(const QString& name) {
    return Status::failure(QLatin1String("Failed to set data for '") + name + QLatin1Char('\''));
}

QByteArray littleEndian8(quint64 bits) {
    QByteArray bytes(8, '\0');
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

quint64 fromLittleEndian8(const QByteArray& bytes) {
    return qFromLittleEndian<quint64>(bytes.constData());
}

} // namespace

TypedRegistry::TypedRegistry() : file_(std::make_unique<RegistryFile>(rootFile(root_))) {}

TypedRegistry::~TypedRegistry() {
    closeKey();
}

void TypedRegistry::setRootKey(RegistryRoot root) {
    closeKey();
    if (root == root_ && !deferred_)
        return; // opening a key reads the file again anyway
    root_ = root;
    file_ = std::make_unique<RegistryFile>(rootFile(root));
}

QString TypedRegistry::resolvePath(const QString& keyPath) const {
    const bool fromRoot = keyPath.startsWith(QLatin1Char('\\')) || !open_;
    const QString joined = fromRoot ? keyPath : currentPath_ + QLatin1Char('\\') + keyPath;
    return joined.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

QString TypedRegistry::fullPath(const QString& relativePath) const {
    if (relativePath.isEmpty())
        return rootName(root_);
    return rootName(root_) + QLatin1Char('\\') + relativePath;
}

bool TypedRegistry::openKey(const QString& keyPath, bool canCreate) {
    const QString path = resolvePath(keyPath);
    file_->reload();
    const bool exists = path.isEmpty() || file_->keyExists(fullPath(path));
    if (!exists && canCreate) {
        // The registry file logs why it failed.
        if (file_->createKey(fullPath(path)).failed()) {
            closeKey();
            return false;
        }
    } else if (!exists) {
        closeKey();
        return false;
    }
    currentPath_ = path;
    open_ = true;
    return true;
}

void TypedRegistry::closeKey() {
    open_ = false;
    currentPath_.clear();
}

std::optional<RegistryValue> TypedRegistry::readValue(const QString& name) const {
    if (!open_)
        return std::nullopt;
    return file_->value(fullPath(currentPath_), name);
}

bool TypedRegistry::valueExists(const QString& name) const {
    return readValue(name).has_value();
}

std::optional<qint32> TypedRegistry::readInteger(const QString& name) const {
    const std::optional<RegistryValue> value = readValue(name);
    if (!value || value->type != quint32(RegType::Dword))
        return std::nullopt;
    return qint32(value->dword);
}

std::optional<bool> TypedRegistry::readBool(const QString& name) const {
    const std::optional<qint32> number = readInteger(name);
    if (!number)
        return std::nullopt;
    return *number != 0;
}

std::optional<QByteArray> TypedRegistry::readBinary8(const QString& name) const {
    const std::optional<RegistryValue> value = readValue(name);
    if (!value || value->type != quint32(RegType::Binary) || value->bytes.size() != 8)
        return std::nullopt;
    return value->bytes;
}

std::optional<QString> TypedRegistry::readString(const QString& name) const {
    if (!open_)
        return std::nullopt;
    const std::optional<RegistryValue> value = readValue(name);
    if (!value)
        return QString();
    if (value->type == quint32(RegType::Sz) || value->type == quint32(RegType::ExpandSz))
        return value->text;
    // A value without data reads as empty text whatever its type; a DWORD always has data.
    if (value->type != quint32(RegType::Dword) && value->bytes.isEmpty())
        return QString();
    return std::nullopt;
}

Status TypedRegistry::writeValue(const QString& name, const RegistryValue& value) {
    if (!open_)
        return setDataFailure(name);
    if (file_->setValue(fullPath(currentPath_), name, value).failed())
        return setDataFailure(name); // logged by the registry file
    if (deferred_ && !firstDeferredName_)
        firstDeferredName_ = name;
    return Status::ok();
}

void TypedRegistry::deferWrites() {
    deferred_ = true;
    file_->deferWrites();
}

Status TypedRegistry::commit() {
    if (!firstDeferredName_)
        return Status::ok();
    if (file_->commit().failed())
        return setDataFailure(*firstDeferredName_); // logged by the registry file
    firstDeferredName_.reset();
    return Status::ok();
}

Status TypedRegistry::writeInteger(const QString& name, qint32 value) {
    return writeValue(name, RegistryValue::fromDword(quint32(value)));
}

Status TypedRegistry::writeBool(const QString& name, bool value) {
    return writeValue(name, RegistryValue::fromDword(value ? 1 : 0));
}

Status TypedRegistry::writeBinary(const QString& name, const QByteArray& bytes) {
    return writeValue(name, RegistryValue::fromBinary(bytes));
}

Status TypedRegistry::writeString(const QString& name, const QString& value) {
    return writeValue(name, RegistryValue::fromString(value, RegType::Sz));
}

Status TypedRegistry::writeExpandString(const QString& name, const QString& value) {
    return writeValue(name, RegistryValue::fromString(value, RegType::ExpandSz));
}

Status TypedRegistry::readWrite(const QString& name, VariableRef data, const QVariant& defaultValue,
                                VarType varType, bool write) {
    if (write)
        return writeValue(name, data, varType);
    readValue(name, data, defaultValue, varType);
    return Status::ok();
}

void TypedRegistry::readValue(const QString& name, VariableRef data, const QVariant& defaultValue,
                              VarType varType) {
    switch (varType) {
    case VarType::Bool:
        setVariable(data, readBool(name).value_or(boolDefault(defaultValue)));
        break;
    case VarType::Currency: {
        const std::optional<QByteArray> bytes = readBinary8(name);
        setVariable(data,
                    bytes ? qint64(fromLittleEndian8(*bytes)) : currencyDefault(defaultValue));
        break;
    }
    case VarType::Date:
    case VarType::Time:
    case VarType::DateTime:
    case VarType::Float: {
        const std::optional<QByteArray> bytes = readBinary8(name);
        setVariable(data, bytes ? std::bit_cast<double>(fromLittleEndian8(*bytes))
                                : doubleDefault(defaultValue));
        break;
    }
    case VarType::Integer:
        setVariable(data, readInteger(name).value_or(integerDefault(defaultValue)));
        break;
    case VarType::String:
    case VarType::ExpandString:
        setVariable(data, readString(name).value_or(stringDefault(defaultValue)));
        break;
    }
    // Codes above 8 read nothing and leave the variable as it was.
}

Status TypedRegistry::writeValue(const QString& name, VariableRef data, VarType varType) {
    switch (varType) {
    case VarType::Bool:
        if (const std::optional<bool> value = variableValue<bool>(data))
            return writeBool(name, *value);
        break;
    case VarType::Currency:
        if (const std::optional<qint64> value = variableValue<qint64>(data))
            return writeBinary(name, littleEndian8(quint64(*value)));
        break;
    case VarType::Date:
    case VarType::Time:
    case VarType::DateTime:
    case VarType::Float:
        if (const std::optional<double> value = variableValue<double>(data))
            return writeBinary(name, littleEndian8(std::bit_cast<quint64>(*value)));
        break;
    case VarType::Integer:
        if (const std::optional<qint32> value = variableValue<qint32>(data))
            return writeInteger(name, *value);
        break;
    case VarType::String:
        if (const std::optional<QString> value = variableValue<QString>(data))
            return writeString(name, *value);
        break;
    case VarType::ExpandString:
        if (const std::optional<QString> value = variableValue<QString>(data))
            return writeExpandString(name, *value);
        break;
    default:
        return Status::ok(); // codes above 8 write nothing
    }
    return setDataFailure(name); // no variable of the call's type to write from
}
