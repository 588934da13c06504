#pragma once

#include "RegistryFile.h"
#include "VarType.h"

#include <QString>
#include <QVariant>
#include <memory>

// The two registry roots.
enum class RegistryRoot { CurrentUser, LocalMachine };

// Registry access over the root files: select a root, open a key (creating it on request),
// typed reads that fail for a missing value or one of another type, typed writes that fail
// with "Failed to set data for '<name>'", close. Plus the one typed operation readWrite.
class TypedRegistry {
public:
    TypedRegistry(); // root HKEY_CURRENT_USER
    ~TypedRegistry();

    void setRootKey(RegistryRoot root);
    RegistryRoot rootKey() const { return root_; }
    // A path starting with a backslash (or any path while no key is open) is taken from the root,
    // others from the open key. A missing key is created only when canCreate; a failed open
    // leaves no key open, so every read then fails.
    bool openKey(const QString& keyPath, bool canCreate);
    void closeKey();
    const QString& currentPath() const { return currentPath_; }

    // Typed reads: nullopt when the value is missing or stored with another type or size.
    std::optional<qint32> readInteger(const QString& name) const;
    std::optional<bool> readBool(const QString& name) const;
    std::optional<QByteArray> readBinary8(const QString& name) const; // exactly 8 bytes
    // REG_SZ or REG_EXPAND_SZ as stored; "" when missing (or empty of another type); nullopt
    // for another type, and while no key is open.
    std::optional<QString> readString(const QString& name) const;
    std::optional<RegistryValue> readValue(const QString& name) const;
    bool valueExists(const QString& name) const;

    Status writeInteger(const QString& name, qint32 value);
    Status writeBool(const QString& name, bool value);
    Status writeBinary(const QString& name, const QByteArray& bytes);
    Status writeString(const QString& name, const QString& value);
    Status writeExpandString(const QString& name, const QString& value);

    // Writes from here on reach the file together at commit(), which fails with the write
    // error of the first of them.
    void deferWrites();
    Status commit();

    // Write false reads Name into Data (Default on any failure); Write true writes Data.
    // Codes above 8 do nothing. Only a refused write fails.
    Status readWrite(const QString& name, VariableRef data, const QVariant& defaultValue,
                     VarType varType, bool write);

private:
    void readValue(const QString& name, VariableRef data, const QVariant& defaultValue,
                   VarType varType);
    Status writeValue(const QString& name, VariableRef data, VarType varType);
    Status writeValue(const QString& name, const RegistryValue& value);
    QString resolvePath(const QString& keyPath) const;
    QString fullPath(const QString& relativePath) const;

    RegistryRoot root_ = RegistryRoot::CurrentUser;
    std::unique_ptr<RegistryFile> file_;
    QString currentPath_;
    bool open_ = false;
    bool deferred_ = false;
    std::optional<QString> firstDeferredName_;
};
