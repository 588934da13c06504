#pragma once

#include "IniDocument.h"
#include "common/Status.h"

#include <QString>

// The private-profile engine over one file: every write goes to disk at once, atomically
// (temporary file + rename), as WritePrivateProfileString does. A missing file reads as empty.
class IniFile {
public:
    explicit IniFile(const QString& fileName);

    const QString& fileName() const { return fileName_; }

    // The value, or defaultValue when the entry is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    bool hasValue(const QString& section, const QString& key) const;
    // Failure carries "Unable to write to <file name>".
    Status writeString(const QString& section, const QString& key, const QString& value);
    Status eraseSection(const QString& section);

private:
    Status save();

    QString fileName_;
    IniDocument document_;
};
