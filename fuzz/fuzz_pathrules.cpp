// Path rules: a path made relative to a reference resolves back to the same (cleaned) path.
// The input is a path and a reference, separated by a line feed.
#include "FuzzCheck.h"
#include "common/PathRules.h"

#include <QStringList>

namespace {

// What cleaning keeps: "//" and "/./" stand for "/".
QString cleaned(const QString& path) {
    QString result = path;
    while (result.contains(QLatin1String("/./")))
        result.replace(QLatin1String("/./"), QLatin1String("/"));
    while (result.contains(QLatin1String("//")))
        result.replace(QLatin1String("//"), QLatin1String("/"));
    return result;
}

// Absolute POSIX paths without "." or ".." as their last part and without a backslash (which a
// stored entry reads as a separator); such names are another rule's business.
bool usable(const QString& path) {
    if (!path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)))
        return false;
    const QString last = path.section(u'/', -1);
    for (const QString& part : path.split(u'/'))
        if (part == QLatin1String(".."))
            return false;
    return last != QLatin1String(".");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    const qsizetype split = bytes.indexOf('\n');
    if (split < 0)
        return 0;
    const QString path = QString::fromUtf8(bytes.left(split));
    const QString reference = QString::fromUtf8(bytes.mid(split + 1));
    const PathRules rules(PathStyle::Posix);
    // Nothing may crash, whatever the text.
    (void)rules.resolveEntryPath(path, reference);
    (void)rules.folderPart(path);
    (void)rules.extension(path);
    if (!usable(path) || !usable(reference))
        return 0;
    const QString relative = rules.makeRelativePath(path, reference);
    FUZZ_CHECK(!relative.contains(QLatin1String("//")));
    FUZZ_CHECK(rules.resolveEntryPath(relative, reference) == cleaned(path) ||
               rules.resolveEntryPath(relative, cleaned(reference)) == cleaned(path));
    return 0;
}
