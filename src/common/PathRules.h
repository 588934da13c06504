#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// The program's path rules, written once over a path style.
//
// Windows style: "\" separates, ":" ends a drive, "\\server" paths, exactly as the Windows
// program behaves. POSIX style (used at run time): "/" separates and begins absolute paths;
// inside an entry read from a playlist or INI file "\" counts as a separator too, so playlists
// made on Windows resolve, unless a name holding it exists (Linux names may hold a backslash);
// a URL entry ("scheme://...") and a Windows absolute entry ("C:\...") are kept as they are.
// The rules only look at ASCII characters, so a path of raw bytes carried one byte to one
// character (Latin-1) comes back with its bytes unchanged.
enum class PathStyle { Windows, Posix };

class PathRules {
public:
    explicit PathRules(PathStyle style) : style_(style) {}

    PathStyle style() const { return style_; }
    QChar separator() const;

    // Text up to and including the last separator (Windows: or colon); empty if none.
    QString folderPart(const QString& path) const;
    // Text after that character.
    QString fileNamePart(const QString& path) const;
    // From the last "." after the last separator (Windows: or colon); empty if none.
    QString extension(const QString& path) const;
    // Appends the separator to a non-empty path not ending in it.
    QString addTrailingSeparator(const QString& path) const;
    // The full path an entry stands for, against a reference file or folder path.
    QString resolveEntryPath(const QString& entry, const QString& reference) const;
    // True when the path's last component exists with exactly that name.
    using NameExists = std::function<bool(const QString& path)>;
    // As above; in the POSIX style a "/"-separated part of the entry that holds a backslash
    // keeps it as a character when `exists` finds a name spelled that way.
    QString resolveEntryPath(const QString& entry, const QString& reference,
                             const NameExists& exists) const;
    // The path relative to the reference's folder, or unchanged without a common component
    // (POSIX: "//" and "/./" cleaned first).
    QString makeRelativePath(const QString& path, const QString& reference) const;

private:
    // Resolves a path whose separators are already the style's own.
    QString resolveSeparatedPath(const QString& path, const QString& reference) const;

    PathStyle style_;
};

// Changes only the ASCII letters a to z.
QString asciiUpperCase(const QString& text);
// True for "scheme://..." entries.
bool isUrlEntry(const QString& entry);
// True for "C:\..." entries: a drive letter, a colon and a backslash.
bool isWindowsAbsoluteEntry(const QString& entry);

// The native (POSIX) rules the rest of the program works with, on text and on paths as the
// file system's bytes (the rules only look at ASCII, so any bytes pass through).
namespace NativePath {
QString withTrailingSeparator(const QString& path);
// Resolves with the file system deciding what a backslash is (see resolveEntryPath).
QString resolveEntry(const QString& entry, const QString& reference);
QString makeRelative(const QString& path, const QString& reference);
QString folderPart(const QString& path);
QString fileName(const QString& path);
QString extension(const QString& path);

QByteArray withTrailingSeparator(const QByteArray& path);
QByteArray makeRelative(const QByteArray& path, const QByteArray& reference);
QByteArray folderPart(const QByteArray& path);
QByteArray fileName(const QByteArray& path);
// The entry checks above on bytes.
bool isUrlEntry(QByteArrayView entry);
bool isWindowsAbsoluteEntry(QByteArrayView entry);
// "//", "/./" and "name/.." taken out by the text alone, as a reference must be before paths
// are made relative to it; a leading ".." of a relative path stays.
QByteArray clean(const QByteArray& path);
} // namespace NativePath
