#pragma once

#include "RegistryValue.h"
#include "base/Status.h"

#include <QHash>
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
// each other's values. Text that is not UTF-8 reads as Windows-1252, and every line nobody
// changed is written back byte for byte (a UTF-8 byte-order mark included).
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

    // From here on changes collect in memory until commit() makes them all under one lock and
    // one replacement of the file: a save of many values then reads and writes it once.
    void deferWrites() { deferred_ = true; }
    Status commit();

    // Parsing and writing the text form, for tests and tools.
    static RegistryFile fromText(const QString& fileName, const QByteArray& text);
    QByteArray toText() const;

private:
    RegistryFile() = default;

    struct Line {
        QByteArray raw; // as read (physical lines joined by LF); empty for a value set since
        std::optional<QString> name; // a value line: its name ("" for @)
        std::optional<RegistryValue> value;
    };
    // A key's lines are read into values on first use: a file of many keys loads at the cost
    // of splitting it, and a save touches only the key it changes.
    struct Key {
        QString path;
        QByteArray header; // the "[path]" line as read; empty for a key created since
        mutable QList<QByteArray> unread; // lines not read into `lines` yet (as Line::raw)
        mutable QList<Line> lines;
    };
    static QList<Line>& linesOf(const Key& key);
    using Edit = std::function<void(RegistryFile&)>;

    // False when the file exists but cannot be read.
    bool load();
    void parse(const QByteArray& text);
    void parseLines(const QList<QByteArray>& lines);
    Key& keyForWriting(const QString& keyPath);
    Key* findKey(const QString& keyPath);
    const Key* findKey(const QString& keyPath) const;
    Status change(const Edit& edit);
    Status replaceOnDisk(const QList<Edit>& edits);
    // True when a FIFO or a device has the file's place: the edits are kept in memory only.
    bool keepsNothing(const QList<Edit>& edits);
    // Takes the other's content, keeping this object's deferred changes.
    void adopt(RegistryFile&& other);

    QString fileName_;
    bool byteOrderMark_ = false;
    bool knownFormat_ = false;   // the file began with our header line
    QList<QByteArray> preamble_; // lines before the first key, after the header
    QList<Key> keys_;
    QHash<QString, qsizetype> keyIndex_; // case-folded path -> index into keys_
    bool deferred_ = false;
    QList<Edit> pending_;
};
