#pragma once

#include "IniDocument.h"
#include "base/Status.h"

#include <QString>

#include <functional>
#include <optional>

// The private-profile engine over one file: every write goes to disk at once, atomically
// (temporary file + rename). A missing file reads as empty.
class IniFile {
public:
    explicit IniFile(const QString& fileName);

    const QString& fileName() const { return fileName_; }

    // The value, or defaultValue when the entry is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    bool hasValue(const QString& section, const QString& key) const;
    // The value's bytes as they stand in the file (paths need not be UTF-8).
    std::optional<QByteArray> readBytes(const QString& section, const QString& key) const;
    Status writeBytes(const QString& section, const QString& key, const QByteArray& value);
    // Every key line of a section in file order, as views valid until the next write.
    QList<IniDocument::KeyValue> keyValues(const QString& section) const {
        return document_.keyValues(section.toUtf8());
    }
    // False when the file is there but was not read whole (not a regular file, not readable,
    // broken UTF-16): it reads as empty and every write to it fails.
    bool isReadable() const { return readable_; }
    // True when the file can hold text only (UTF-16), not any bytes.
    bool holdsOnlyText() const { return document_.holdsOnlyText(); }
    // Failure carries "Unable to write to <file name>".
    Status writeString(const QString& section, const QString& key, const QString& value);
    Status eraseSection(const QString& section);

    // From here on writes collect in memory until commit() replaces the file once: saving a
    // whole file then costs one write instead of one per key, and a failure leaves the old
    // file whole.
    void deferWrites() { deferred_ = true; }
    Status commit();

private:
    Status save();

    Status change(const std::function<void(IniDocument&)>& edit);

    QString fileName_;
    IniDocument document_;
    bool deferred_ = false;
    bool dirty_ = false;
    bool readable_ = true;
};
