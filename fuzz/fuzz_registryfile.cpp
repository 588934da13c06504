// Registry files: any bytes parse; after one value is set every other key and value reads as
// before, and the set value as set.
#include "FuzzCheck.h"
#include "base/TextDecoding.h"
#include "settings/RegistryFile.h"

#include <QList>

namespace {

constexpr int MaxNames = 16;

void collectNames(const QByteArray& text, QStringList& keys, QStringList& names) {
    keys = {QStringLiteral("HKEY_CURRENT_USER\\Software\\Fuzz")};
    names = {QStringLiteral("Value"), QString()};
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = decodeText(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 3 &&
            keys.size() < MaxNames)
            keys.append(line.mid(1, line.size() - 2));
        else if (line.startsWith(u'"') && names.size() < MaxNames)
            names.append(line.mid(1, line.indexOf(u'"', 1) - 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    const QString fileName = QStringLiteral("/nonexistent/fuzz.reg");
    // A file of another format is kept below our header and read as ours from then on, so the
    // comparisons start from the file as written once.
    const RegistryFile written =
        RegistryFile::fromText(fileName, RegistryFile::fromText(fileName, bytes).toText());
    const QByteArray text = written.toText();
    FUZZ_CHECK(RegistryFile::fromText(fileName, text).toText() == text);

    QStringList keys;
    QStringList names;
    collectNames(text, keys, names);
    const uint8_t pick = size > 0 ? data[0] : 0;
    const QString key = keys.at(pick % keys.size());
    const QString name = names.at((pick / 16) % names.size());
    const RegistryValue value = RegistryValue::fromString(decodeText(bytes.right(24)));

    RegistryFile edited = written;
    edited.deferWrites(); // changes stay in memory
    if (edited.setValue(key, name, value).failed())
        return 0; // a name that cannot be stored is refused, which is fine
    const RegistryFile reread = RegistryFile::fromText(fileName, edited.toText());
    FUZZ_CHECK(reread.value(key, name) == value);
    for (const QString& k : keys) {
        FUZZ_CHECK(reread.keyExists(k) || !written.keyExists(k));
        for (const QString& n : names) {
            if (k.compare(key, Qt::CaseInsensitive) == 0 &&
                n.compare(name, Qt::CaseInsensitive) == 0)
                continue;
            FUZZ_CHECK(reread.value(k, n) == written.value(k, n));
        }
    }
    return 0;
}
