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

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

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
    return localPathOf(uri.toUtf8());
}

std::optional<QByteArray> localPathOf(QByteArrayView uri) {
    if (!QLatin1StringView(uri).startsWith(FileScheme, Qt::CaseInsensitive))
        return std::nullopt;
    QByteArrayView rest = uri.sliced(FileScheme.size());
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        const QByteArrayView host = rest.first(slash < 0 ? rest.size() : slash);
        if (!host.isEmpty() && QLatin1StringView(host).compare(Localhost, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        rest = rest.sliced(host.size());
    }
    if (!rest.startsWith('/'))
        return std::nullopt;
    QByteArray path = decoded(rest);
    // A drive only where its colon is written as one: "/c%3A/x" is a folder named "c:".
    if (rest.size() > 2 && rest[2] == ':' && isWindowsDrivePath(QByteArrayView(path).sliced(1)))
        path.remove(0, 1);
    return path;
}

QByteArray relativePathOf(QStringView reference) {
    return decoded(reference.toUtf8());
}

QByteArray decoded(QByteArrayView text) {
    // Written through a pointer: a million songs' paths made a byte-wise append the cost.
    QByteArray out(text.size(), Qt::Uninitialized);
    char* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low < 0) {
            *to++ = text[i];
            continue;
        }
        *to++ = char(high * 16 + low);
        i += 2;
    }
    out.truncate(to - out.data());
    return out;
}

bool isAbsolutePath(QByteArrayView path) {
    return path.startsWith('/') || isWindowsDrivePath(path);
}

QByteArray uriOf(const QByteArray& absolutePath) {
    // "C:/x" as "file:///C:/x"; a "\" is escaped like any byte, so the entry comes back whole.
    if (isWindowsDrivePath(absolutePath))
        return "file:///" + absolutePath.toPercentEncoding(KeptInUris);
    QByteArray uri = "file://" + absolutePath.toPercentEncoding(KeptInUris);
    // A first folder named like a drive ("/c:/x") has its colon escaped, or it would read
    // back as the drive.
    constexpr qsizetype Colon = 9; // "file://" "/" "c"
    if (isWindowsDrivePath(QByteArrayView(absolutePath).sliced(1)))
        uri.replace(Colon, 1, "%3A");
    return uri;
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
