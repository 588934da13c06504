#pragma once

#include "RegistryValue.h"
#include "common/Status.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// One registry root kept as a text file in the "Windows Registry Editor Version 5.00" format:
//   [HKEY_CURRENT_USER\Software\Varnholt\Platterbox]
//   "name"=dword:0000001e        REG_DWORD
//   "name"="text"                REG_SZ (\\ and \" escaped)
//   "name"=hex(2):41,00,00,00    REG_EXPAND_SZ (UTF-16LE with terminating zero)
//   "name"=hex:01,02             REG_BINARY; other types as hex(N):
// (REG_SZ text holding a line break is written as hex(1): so that it stays one value line.)
// Hex data may continue on the next line after a trailing "\". Key paths and value names match
// ignoring case. A damaged file reads as holding no keys, never crashes; lines it does not
// understand are kept when the file is written back. Each change is written at once: under a
// lock file the file is read again, changed and replaced atomically, so two writers never lose
// each other's values.
class RegistryFile {
public:
    explicit RegistryFile(const QString& fileName);

    const QString& fileName() const { return fileName_; }

    // Re-reads the file from disk.
    void reload();
    bool keyExists(const QString& keyPath) const;
    std::optional<RegistryValue> value(const QString& keyPath, const QString& name) const;

    // Each writes the file; a failure leaves it as it was.
    Status createKey(const QString& keyPath);
    Status setValue(const QString& keyPath, const QString& name, const RegistryValue& value);
    Status deleteValue(const QString& keyPath, const QString& name);

    // Parsing and writing the text form, for tests and tools.
    static RegistryFile fromText(const QString& fileName, const QByteArray& text);
    QByteArray toText() const;

private:
    RegistryFile() = default;

    struct Line {
        QString raw; // as read (physical lines joined by LF); empty for a value set since
        std::optional<QString> name; // a value line: its name ("" for @)
        std::optional<RegistryValue> value;
    };
    struct Key {
        QString path;
        QList<Line> lines;
    };

    // False when the file exists but cannot be read.
    bool load();
    void parse(const QByteArray& text);
    void parseLines(const QStringList& lines);
    Key& keyForWriting(const QString& keyPath);
    Key* findKey(const QString& keyPath);
    const Key* findKey(const QString& keyPath) const;
    Status change(const std::function<void(RegistryFile&)>& edit);

    QString fileName_;
    QList<QString> preamble_; // lines before the first key, after the header
    QList<Key> keys_;
};
