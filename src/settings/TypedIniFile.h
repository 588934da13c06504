#pragma once

#include "IniFile.h"
#include "VarType.h"

// INI file with typed reads and writes and the one typed operation readWrite.
class TypedIniFile : public IniFile {
public:
    using IniFile::IniFile;

    // Typed reads with their defaults, as the private-profile typed readers behave.
    qint32 readInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    double readFloat(const QString& section, const QString& key, double defaultValue) const;
    double readDate(const QString& section, const QString& key, double defaultValue) const;
    double readTime(const QString& section, const QString& key, double defaultValue) const;
    double readDateTime(const QString& section, const QString& key, double defaultValue) const;

    Status writeInteger(const QString& section, const QString& key, qint32 value);
    Status writeBool(const QString& section, const QString& key, bool value);
    Status writeFloat(const QString& section, const QString& key, double value);
    Status writeDate(const QString& section, const QString& key, double value);
    Status writeTime(const QString& section, const QString& key, double value);
    Status writeDateTime(const QString& section, const QString& key, double value);

    // Fails with "VarType is not recognized in TEnhIniFile.ReadValue" / "...WriteValue" for
    // the unsupported codes, or with the write error of the file.
    Status readWrite(const QString& section, const QString& name, VariableRef data,
                     const QVariant& defaultValue, VarType varType, bool write);

private:
    Status readValue(const QString& section, const QString& name, VariableRef data,
                     const QVariant& defaultValue, VarType varType);
    Status writeValue(const QString& section, const QString& name, VariableRef data,
                      VarType varType);
};
