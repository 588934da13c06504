#include "FileUri.h"

#include <QString>

#include <cctype>

namespace {

constexpr QLatin1StringView FileScheme("file:");
constexpr QLatin1StringView Localhost("localhost");

// Kept as they are besides the unreserved characters: the separators of a path, and in an
// absolute URI the colon (of a drive); in a reference it would read as a scheme.
const QByteArray KeptInReferences = QByteArrayLiteral("/");
const QByteArray KeptInUris = QByteArrayLiteral("/:");

bool isWindowsDrivePath(QByteArrayView path) {
    return path.size() >= 3 && std::isalpha(uchar(path[0])) && path[1] == ':' &&
           (path[2] == '/' || path[2] == '\\');
}

} // namespace

namespace FileUri {

bool hasScheme(QStringView text) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 2) // one letter before the colon is a drive
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const char16_t c = text[i].unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other))
            return false;
    }
    return true;
}

std::optional<QByteArray> pathOf(QStringView uri) {
    if (!uri.startsWith(FileScheme, Qt::CaseInsensitive))
        return std::nullopt;
    QStringView rest = uri.sliced(FileScheme.size());
    if (rest.startsWith(QLatin1String("//"))) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        const QStringView host = rest.first(slash < 0 ? rest.size() : slash);
        if (!host.isEmpty() && host.compare(Localhost, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        rest = rest.sliced(host.size());
    }
    if (!rest.startsWith(QLatin1Char('/')))
        return std::nullopt;
    QByteArray path = QByteArray::fromPercentEncoding(rest.toUtf8());
    if (isWindowsDrivePath(QByteArrayView(path).sliced(1)))
        path.remove(0, 1);
    return path;
}

QByteArray relativePathOf(QStringView reference) {
    return QByteArray::fromPercentEncoding(reference.toUtf8());
}

bool isAbsolutePath(QByteArrayView path) {
    return path.startsWith('/') || isWindowsDrivePath(path);
}

QByteArray uriOf(const QByteArray& absolutePath) {
    // "C:/x" as "file:///C:/x"; a "\" is escaped like any byte, so the entry comes back whole.
    const QByteArray path = isWindowsDrivePath(absolutePath) ? '/' + absolutePath : absolutePath;
    return "file://" + path.toPercentEncoding(KeptInUris);
}

QByteArray escapedBytes(const QByteArray& bytes) {
    QByteArray out;
    for (const char c : bytes) {
        if (uchar(c) > 0x20 && uchar(c) < 0x7F)
            out += c;
        else
            out += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper();
    }
    return out;
}

QByteArray referenceOf(const QByteArray& relativePath) {
    return relativePath.toPercentEncoding(KeptInReferences);
}

} // namespace FileUri
