#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "base/PathText.h"
#include "base/TextDecoding.h"
#include "ScriptedDialogs.h"
#include "settings/InstanceIni.h"
#include "startup/HandOffPath.h"
#include "startup/IniPathChoice.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QtTest>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(PathStyle)

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

const PathStyle Win = PathStyle::Windows;
const PathStyle Posix = PathStyle::Posix;

const char* styleName(PathStyle style) {
    return style == Win ? "windows" : "posix";
}

void partsRow(const char* name, PathStyle style, const char* path, const char* folder,
              const char* file, const char* ext) {
    QTest::addRow("%s: %s", styleName(style), name)
        << style << s(path) << s(folder) << s(file) << s(ext);
}

void trailingRow(const char* name, PathStyle style, const char* path, const char* expected) {
    QTest::addRow("%s: %s", styleName(style), name) << style << s(path) << s(expected);
}

void resolveRow(const char* name, PathStyle style, const char* entry, const char* reference,
                const char* expected) {
    QTest::addRow("%s: %s", styleName(style), name)
        << style << s(entry) << s(reference) << s(expected);
}

void relativeRow(const char* name, PathStyle style, const char* path, const char* reference,
                 const char* expected, bool resolvesBack = true) {
    QTest::addRow("%s: %s", styleName(style), name)
        << style << s(path) << s(reference) << s(expected) << resolvesBack;
}

QString callNative(const QString& function, const QString& first, const QString& second) {
    if (function == QLatin1String("AddTrailingBackslash"))
        return NativePath::withTrailingSeparator(first);
    if (function == QLatin1String("ResolveEntryPath"))
        return NativePath::resolveEntry(first, second);
    if (function == QLatin1String("MakeRelativePath"))
        return NativePath::makeRelative(first, second);
    if (function == QLatin1String("ExtractFilePath"))
        return NativePath::folderPart(first);
    if (function == QLatin1String("ExtractFileName"))
        return NativePath::fileName(first);
    if (function == QLatin1String("ExtractFileExt"))
        return NativePath::extension(first);
    return QStringLiteral("<unknown function>");
}

void addResolveEntryPathWindowsRows() {
    resolveRow("name, folder reference", Win, "a.mp3", R"(C:\PL\)", R"(C:\PL\a.mp3)");
    resolveRow("name, file reference", Win, "a.mp3", R"(C:\PL\list.m3u)", R"(C:\PL\a.mp3)");
    resolveRow("subfolder", Win, R"(CD1\a.mp3)", R"(C:\Music\list.m3u)", R"(C:\Music\CD1\a.mp3)");
    resolveRow("one up to the drive", Win, R"(..\a.mp3)", R"(C:\list.m3u)", R"(C:\a.mp3)");
    resolveRow("two up", Win, R"(..\..\x.mp3)", R"(C:\a\b\c\list.m3u)", R"(C:\a\x.mp3)");
    resolveRow("ups stop at the drive", Win, R"(..\..\..\a.mp3)", R"(C:\x\list.m3u)",
               R"(C:\a.mp3)");
    resolveRow("one up from a folder reference", Win, R"(..\a.mp3)", R"(C:\PL\)", R"(C:\a.mp3)");
    resolveRow("up and down", Win, R"(..\Other\a.mp3)", R"(C:\Music\Rock\list.m3u)",
               R"(C:\Music\Other\a.mp3)");
    resolveRow("up on a network path", Win, R"(..\a.mp3)", R"(\\server\share\PL\list.m3u)",
               R"(\\server\share\a.mp3)");
    resolveRow("dot entry kept", Win, R"(.\x.mp3)", R"(C:\a\list.m3u)", R"(C:\a\.\x.mp3)");
    resolveRow("dot file", Win, ".hidden.mp3", R"(C:\a\list.m3u)", R"(C:\a\.hidden.mp3)");
    resolveRow("two dots without backslash", Win, "..x.mp3", R"(C:\a\list.m3u)", R"(C:\a\..x.mp3)");
    resolveRow("slash ups are a name", Win, "../a.mp3", R"(C:\a\list.m3u)", R"(C:\a\../a.mp3)");
    resolveRow("network entry", Win, R"(\\server\share\a.mp3)", R"(C:\a\list.m3u)",
               R"(\\server\share\a.mp3)");
    resolveRow("drive-relative entry", Win, R"(\Music\a.mp3)", R"(C:\PL\list.m3u)",
               R"(C:\Music\a.mp3)");
    // The reference's first two characters are taken as they are, drive or not.
    resolveRow("drive-relative entry, network reference", Win, R"(\Music\a.mp3)",
               R"(\\server\share\list.m3u)", R"(\\\Music\a.mp3)");
    resolveRow("absolute entry", Win, R"(D:\a.mp3)", R"(C:\PL\list.m3u)", R"(D:\a.mp3)");
    resolveRow("drive without backslash", Win, "D:a.mp3", R"(C:\PL\list.m3u)", "D:a.mp3");
    resolveRow("url", Win, "http://host/a.mp3", R"(C:\PL\list.m3u)", "http://host/a.mp3");
    resolveRow("url with a compound scheme", Win, "svn+ssh://host/a.mp3", R"(C:\PL\list.m3u)",
               "svn+ssh://host/a.mp3");
    resolveRow("one slash is no url", Win, "http:/a.mp3", R"(C:\PL\list.m3u)",
               R"(C:\PL\http:/a.mp3)");
    resolveRow("blank entry", Win, "", R"(C:\PL\list.m3u)", R"(C:\PL\)");
    resolveRow("blank entry, bare reference", Win, "", "list.m3u", "");
    resolveRow("bare reference", Win, "a.mp3", "list.m3u", "a.mp3");
    resolveRow("reference with a drive only", Win, "a.mp3", "C:list.m3u", R"(C:\a.mp3)");
    resolveRow("slash reference is one name", Win, "a.mp3", "/media/list.m3u", "a.mp3");
}

void addResolveEntryPathPosixRows() {
    resolveRow("name, folder reference", Posix, "a.mp3", "/PL/", "/PL/a.mp3");
    resolveRow("name, file reference", Posix, "a.mp3", "/PL/list.m3u", "/PL/a.mp3");
    resolveRow("backslash subfolder", Posix, R"(CD1\a.mp3)", "/Music/list.m3u", "/Music/CD1/a.mp3");
    resolveRow("one up", Posix, "../a.mp3", "/m/PL/list.m3u", "/m/a.mp3");
    resolveRow("one up with backslashes", Posix, R"(..\Rock\a.mp3)", "/media/E/PL/list.m3u",
               "/media/E/Rock/a.mp3");
    resolveRow("two up", Posix, "../../x.mp3", "/a/b/c/list.m3u", "/a/x.mp3");
    resolveRow("mixed ups", Posix, R"(..\../x.mp3)", "/a/b/c/list.m3u", "/a/x.mp3");
    resolveRow("one up to the root", Posix, "../x.mp3", "/a/list.m3u", "/x.mp3");
    resolveRow("ups stop at the root", Posix, "../../../x.mp3", "/a/list.m3u", "/x.mp3");
    resolveRow("up from the root", Posix, "../x.mp3", "/list.m3u", "/x.mp3");
    resolveRow("up from a folder reference", Posix, "../a.mp3", "/PL/", "/a.mp3");
    resolveRow("dot entry kept", Posix, "./x.mp3", "/a/list.m3u", "/a/./x.mp3");
    resolveRow("dot entry with backslash", Posix, R"(.\x.mp3)", "/a/list.m3u", "/a/./x.mp3");
    resolveRow("dot file", Posix, ".hidden.mp3", "/a/list.m3u", "/a/.hidden.mp3");
    resolveRow("absolute entry", Posix, "/media/a.mp3", "/b/list.m3u", "/media/a.mp3");
    resolveRow("rooted backslash entry", Posix, R"(\Music\a.mp3)", "/b/list.m3u", "/Music/a.mp3");
    resolveRow("windows absolute entry", Posix, R"(C:\Music\a.mp3)", "/PL/list.m3u",
               R"(C:\Music\a.mp3)");
    resolveRow("windows absolute entry, lower-case drive", Posix, R"(d:\a.mp3)", "/PL/list.m3u",
               R"(d:\a.mp3)");
    resolveRow("drive without backslash is a name", Posix, "C:a.mp3", "/PL/list.m3u",
               "/PL/C:a.mp3");
    resolveRow("url", Posix, "http://host/a%20b.mp3", "/PL/list.m3u", "http://host/a%20b.mp3");
    resolveRow("url keeps its backslashes", Posix, R"(smb://host/a\b.mp3)", "/PL/list.m3u",
               R"(smb://host/a\b.mp3)");
    resolveRow("one slash is no url", Posix, "http:/a.mp3", "/PL/list.m3u", "/PL/http:/a.mp3");
    resolveRow("blank entry", Posix, "", "/PL/list.m3u", "/PL/");
    resolveRow("bare reference", Posix, "a.mp3", "list.m3u", "a.mp3");
}

void addMakeRelativePathWindowsRows() {
    relativeRow("same folder", Win, R"(C:\Music\CD1\a.mp3)", R"(C:\Music\CD1\list.m3u)", "a.mp3");
    relativeRow("sibling folder", Win, R"(C:\Music\CD1\a.mp3)", R"(C:\Music\PlayLists\list.m3u)",
                R"(..\CD1\a.mp3)");
    relativeRow("other drive", Win, R"(D:\a.mp3)", R"(C:\list.m3u)", R"(D:\a.mp3)");
    relativeRow("two up", Win, R"(C:\x.mp3)", R"(C:\a\b\list.m3u)", R"(..\..\x.mp3)");
    relativeRow("ini: subfolder", Win, R"(C:\Music\Rock\a.m3u)", R"(C:\Music\Platterbox.Ini)",
                R"(Rock\a.m3u)");
    relativeRow("ini: other folder", Win, R"(C:\Other\b.pls)", R"(C:\Music\Platterbox.Ini)",
                R"(..\Other\b.pls)");
    relativeRow("ini: other drive", Win, R"(D:\c.m3u)", R"(C:\Music\Platterbox.Ini)",
                R"(D:\c.m3u)");
    relativeRow("ini: letter case counts", Win, R"(C:\music\x.m3u)", R"(C:\Music\Platterbox.Ini)",
                R"(..\music\x.m3u)");
    relativeRow("ini: rock list", Win, R"(E:\Rock\_Rock.M3U)", R"(E:\Platterbox\Platterbox.Ini)",
                R"(..\Rock\_Rock.M3U)");
    relativeRow("ini: jazz list", Win, R"(E:\Jazz\_Jazz.M3U)", R"(E:\Platterbox\Platterbox.Ini)",
                R"(..\Jazz\_Jazz.M3U)");
    relativeRow("drive letter case counts", Win, R"(c:\a.mp3)", R"(C:\list.m3u)", R"(c:\a.mp3)");
    relativeRow("prefix of a component is not common", Win, R"(C:\Music2\a.mp3)",
                R"(C:\Music\list.m3u)", R"(..\Music2\a.mp3)");
    relativeRow("deeper path", Win, R"(C:\Music\CD1\Disc\a.mp3)", R"(C:\Music\list.m3u)",
                R"(CD1\Disc\a.mp3)");
    relativeRow("folder reference", Win, R"(C:\PL\a.mp3)", R"(C:\PL\)", "a.mp3");
    relativeRow("network path", Win, R"(\\server\share\a.mp3)", R"(\\server\share\PL\list.m3u)",
                R"(..\a.mp3)");
    relativeRow("slashes do not separate", Win, "C:/x/a.mp3", "C:/x/list.m3u", "C:/x/a.mp3");
    relativeRow("path without backslash", Win, "a.mp3", R"(C:\list.m3u)", "a.mp3", false);
}

void addMakeRelativePathPosixRows() {
    relativeRow("ini: rock list", Posix, "/media/E/Rock/_Rock.M3U",
                "/media/E/Platterbox/Platterbox.Ini", "../Rock/_Rock.M3U");
    relativeRow("same folder", Posix, "/m/CD1/a.mp3", "/m/CD1/list.m3u", "a.mp3");
    relativeRow("only the root shared", Posix, "/x.mp3", "/a/b/list.m3u", "/x.mp3");
    relativeRow("only the root shared, deeper", Posix, "/home/a.mp3", "/media/list.m3u",
                "/home/a.mp3");
    relativeRow("two up", Posix, "/m/x.mp3", "/m/a/b/list.m3u", "../../x.mp3");
    relativeRow("first component case differs", Posix, "/Music/a.mp3", "/music/list.m3u",
                "/Music/a.mp3");
    relativeRow("letter case counts", Posix, "/m/music/x.m3u", "/m/Music/Platterbox.Ini",
                "../music/x.m3u");
    relativeRow("prefix of a component is not common", Posix, "/m/Music2/a.mp3",
                "/m/Music/list.m3u", "../Music2/a.mp3");
    relativeRow("folder reference", Posix, "/PL/a.mp3", "/PL/", "a.mp3");
    relativeRow("relative paths", Posix, "a/b.mp3", "a/list.m3u", "b.mp3");
    // A native name may hold a backslash; resolving would read it as a separator.
    relativeRow("backslash does not separate", Posix, R"(/m/a\b.mp3)", R"(/m/a\list.m3u)",
                R"(a\b.mp3)", false);
    relativeRow("path without slash", Posix, "a.mp3", "/list.m3u", "a.mp3", false);
    // File choosers may return such paths; they name the same file as the clean form.
    relativeRow("doubled separator", Posix, "/m/rt//dbl.m3u", "/m/rt/Platterbox.Ini", "dbl.m3u",
                false);
    relativeRow("doubled separator in the reference", Posix, "/m/a.m3u", "/m//rt/Platterbox.Ini",
                "../a.m3u", false);
    relativeRow("dot component", Posix, "/m/./rt/a.m3u", "/m/Platterbox.Ini", "rt/a.m3u", false);
    relativeRow("leading doubled separator", Posix, "//m/a.m3u", "/m/Platterbox.Ini", "a.m3u",
                false);
}

// Removes a folder whose names need not be UTF-8 (Qt's own removal skips those).
struct RawRemoval {
    QByteArray path;
    ~RawRemoval() {
        std::error_code ignored;
        std::filesystem::remove_all(path.toStdString(), ignored);
    }
};

// Creates a file (and its folders) under a byte path: names need not be UTF-8.
void makeRawFile(const QByteArray& root, const QByteArray& relative) {
    QByteArray path = root;
    const QList<QByteArray> parts = relative.split('/');
    for (qsizetype index = 0; index + 1 < parts.size(); ++index) {
        path += '/' + parts.at(index);
        ::mkdir(path.constData(), 0700);
    }
    path += '/' + parts.last();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

QByteArray b(const char* text) {
    return QByteArray(text);
}

} // namespace

// Both path styles run through the same tables; the Windows rows are the Windows program's
// behaviour, the POSIX rows the native one.
class TestPathRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A path as text keeps every byte: UTF-8 reads as itself, any other byte comes back.
    void pathTextKeepsTheBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << QByteArray("/M\xC3\xBCsik/\xF0\x9F\x8E\xB5.m3u");
        QTest::newRow("Latin-1") << QByteArray("/cd\xE9/Platterbox");
        QTest::newRow("both") << QByteArray("/\xC3\xA9/\xE9/\xC3");
        QTest::newRow("overlong and surrogate forms") << QByteArray("/\xC0\xAF/\xED\xA0\x80");
        QTest::newRow("cut sequence, then ASCII") << QByteArray("/\xE2\x82/x");
    }

    void pathTextKeepsTheBytes() {
        QFETCH(QByteArray, bytes);
        const QString text = pathText(bytes);
        QCOMPARE(pathBytes(text), bytes);
        QCOMPARE(shownPath(text), decodeText(bytes));
        if (bytes.isValidUtf8())
            QCOMPARE(text, QString::fromUtf8(bytes));
        // Text joined to it, as a file name is, stays text.
        QCOMPARE(pathBytes(QString(text + QStringLiteral("/\u00e9.Ini"))),
                 QByteArray(bytes + "/\xC3\xA9.Ini"));
    }

    void pathParts_data() {
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("extension");
        partsRow("drive path", Win, R"(C:\Music\a.mp3)", R"(C:\Music\)", "a.mp3", ".mp3");
        partsRow("colon ends the folder", Win, "C:a.mp3", "C:", "a.mp3", ".mp3");
        partsRow("colon after a backslash", Win, R"(C:\a\b:c.mp3)", R"(C:\a\b:)", "c.mp3", ".mp3");
        partsRow("no folder", Win, "a.mp3", "", "a.mp3", ".mp3");
        partsRow("dot only in the folder", Win, R"(C:\Music.d\a)", R"(C:\Music.d\)", "a", "");
        partsRow("last dot counts", Win, R"(C:\a\b.tar.gz)", R"(C:\a\)", "b.tar.gz", ".gz");
        partsRow("folder path", Win, R"(C:\a\)", R"(C:\a\)", "", "");
        partsRow("slash is ordinary", Win, R"(C:\x.y/z)", R"(C:\)", "x.y/z", ".y/z");
        partsRow("network path", Win, R"(\\server\share\a.m3u)", R"(\\server\share\)", "a.m3u",
                 ".m3u");
        partsRow("dot file", Win, R"(C:\a\.hidden)", R"(C:\a\)", ".hidden", ".hidden");
        partsRow("empty", Win, "", "", "", "");
        partsRow("absolute path", Posix, "/media/E/Rock/a.mp3", "/media/E/Rock/", "a.mp3", ".mp3");
        partsRow("file in the root", Posix, "/a.mp3", "/", "a.mp3", ".mp3");
        partsRow("backslash is ordinary", Posix, R"(/m/Rock\a.mp3)", "/m/", R"(Rock\a.mp3)",
                 ".mp3");
        partsRow("colon is ordinary", Posix, "C:a.mp3", "", "C:a.mp3", ".mp3");
        partsRow("dot only in the folder", Posix, "/a.d/b", "/a.d/", "b", "");
        partsRow("folder path", Posix, "/a/", "/a/", "", "");
        partsRow("empty", Posix, "", "", "", "");
    }
    void pathParts() {
        QFETCH(PathStyle, style);
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, fileName);
        QFETCH(QString, extension);
        const PathRules rules(style);
        QCOMPARE(rules.folderPart(path), folder);
        QCOMPARE(rules.fileNamePart(path), fileName);
        QCOMPARE(rules.extension(path), extension);
    }

    void addTrailingSeparator_data() {
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        trailingRow("empty stays empty", Win, "", "");
        trailingRow("folder", Win, R"(C:\a)", R"(C:\a\)");
        trailingRow("already there", Win, R"(C:\a\)", R"(C:\a\)");
        trailingRow("drive", Win, "C:", R"(C:\)");
        trailingRow("slash is not a separator", Win, R"(C:\a/)", R"(C:\a/\)");
        trailingRow("empty stays empty", Posix, "", "");
        trailingRow("folder", Posix, "/a", "/a/");
        trailingRow("root", Posix, "/", "/");
        trailingRow("backslash is not a separator", Posix, R"(a\)", R"(a\/)");
    }
    void addTrailingSeparator() {
        QFETCH(PathStyle, style);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(PathRules(style).addTrailingSeparator(path), expected);
    }

    void resolveEntryPath_data() {
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("expected");
        addResolveEntryPathWindowsRows();
        addResolveEntryPathPosixRows();
    }
    void resolveEntryPath() {
        QFETCH(PathStyle, style);
        QFETCH(QString, entry);
        QFETCH(QString, reference);
        QFETCH(QString, expected);
        QCOMPARE(PathRules(style).resolveEntryPath(entry, reference), expected);
    }

    void makeRelativePath_data() {
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("resolvesBack");
        addMakeRelativePathWindowsRows();
        addMakeRelativePathPosixRows();
    }
    void makeRelativePath() {
        QFETCH(PathStyle, style);
        QFETCH(QString, path);
        QFETCH(QString, reference);
        QFETCH(QString, expected);
        QFETCH(bool, resolvesBack);
        const PathRules rules(style);
        const QString relative = rules.makeRelativePath(path, reference);
        QCOMPARE(relative, expected);
        // Stored relative paths must lead back to the same file.
        if (resolvesBack)
            QCOMPARE(rules.resolveEntryPath(relative, reference), path);
    }

    void isUrlEntry_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("expected");
        QTest::newRow("http") << s("http://host/a.mp3") << true;
        QTest::newRow("file with empty host") << s("file:///m/a.mp3") << true;
        QTest::newRow("plus, dot, minus and digits") << s("a1.b-c+d://x") << true;
        QTest::newRow("two-letter scheme") << s("xy://x") << true;
        QTest::newRow("one letter is a drive") << s("C://x") << false;
        QTest::newRow("one slash") << s("http:/x") << false;
        QTest::newRow("backslashes") << s(R"(http:\\x)") << false;
        QTest::newRow("blank in scheme") << s("ht tp://x") << false;
        QTest::newRow("path before the marker") << s("/m/a://x") << false;
        QTest::newRow("no scheme") << s("://x") << false;
        QTest::newRow("windows path") << s(R"(C:\a.mp3)") << false;
        QTest::newRow("non-ascii letter in scheme") << s("hättp://x") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void isUrlEntry() {
        QFETCH(QString, entry);
        QFETCH(bool, expected);
        QCOMPARE(::isUrlEntry(entry), expected);
    }

    void asciiUpperCase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << s("#extm3u az AZ 09") << s("#EXTM3U AZ AZ 09");
        QTest::newRow("neighbours of a and z") << s("`{@[") << s("`{@[");
        QTest::newRow("accented letters stay") << s("äöü é") << s("äöü é");
        QTest::newRow("sharp s stays one letter") << s("straße") << s("STRAßE");
        QTest::newRow("dotless i stays") << s("ı") << s("ı");
        QTest::newRow("empty") << QString() << QString();
    }
    void asciiUpperCase() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(::asciiUpperCase(text), expected);
    }

    void nativeHelpers_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing slash")
            << s("AddTrailingBackslash") << s("/a") << QString() << s("/a/");
        QTest::newRow("backslash is no trailing separator")
            << s("AddTrailingBackslash") << s(R"(C:\a\)") << QString() << s(R"(C:\a\/)");
        QTest::newRow("windows playlist entry")
            << s("ResolveEntryPath") << s(R"(..\Rock\a.mp3)") << s("/media/E/PL/list.m3u")
            << s("/media/E/Rock/a.mp3");
        QTest::newRow("url entry") << s("ResolveEntryPath") << s("https://h/a.mp3")
                                   << s("/m/list.m3u") << s("https://h/a.mp3");
        QTest::newRow("windows absolute entry") << s("ResolveEntryPath") << s(R"(C:\Music\a.mp3)")
                                                << s("/m/list.m3u") << s(R"(C:\Music\a.mp3)");
        QTest::newRow("relative to the ini file")
            << s("MakeRelativePath") << s("/media/E/Rock/_Rock.M3U")
            << s("/media/E/Platterbox/Platterbox.Ini") << s("../Rock/_Rock.M3U");
        QTest::newRow("folder") << s("ExtractFilePath") << s(R"(/a/b\c.mp3)") << QString()
                                << s("/a/");
        QTest::newRow("file name")
            << s("ExtractFileName") << s(R"(/a/b\c.mp3)") << QString() << s(R"(b\c.mp3)");
        QTest::newRow("extension")
            << s("ExtractFileExt") << s("/a/c.MP3") << QString() << s(".MP3");
        QTest::newRow("no extension")
            << s("ExtractFileExt") << s("/a.b/c") << QString() << QString();
    }
    void nativeHelpers() {
        QFETCH(QString, function);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, expected);
        QCOMPARE(callNative(function, first, second), expected);
    }

    // Entries resolved the native way find real files, whichever separator the playlist used.
    void resolvedEntriesFindFiles_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("playlist");
        QTest::newRow("windows up") << s(R"(..\Rock\a.mp3)") << s("PL/list.m3u");
        QTest::newRow("posix up") << s("../Rock/a.mp3") << s("PL/list.m3u");
        QTest::newRow("two windows ups") << s(R"(..\..\Rock\a.mp3)") << s("PL/Sub/list.m3u");
        QTest::newRow("windows subfolder") << s(R"(Rock\a.mp3)") << s("top.m3u");
        QTest::newRow("windows dot") << s(R"(.\Rock\a.mp3)") << s("top.m3u");
        QTest::newRow("posix dot") << s("./Rock/a.mp3") << s("top.m3u");
    }
    void resolvedEntriesFindFiles() {
        QFETCH(QString, entry);
        QFETCH(QString, playlist);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString song = dir.filePath(QStringLiteral("Rock/a.mp3"));
        const QString list = dir.filePath(playlist);
        TestSupport::writeBytes(song, "song");
        TestSupport::writeBytes(list, "");
        const QFileInfo resolved(NativePath::resolveEntry(entry, list));
        QVERIFY2(resolved.exists(), qPrintable(resolved.filePath()));
        QCOMPARE(resolved.canonicalFilePath(), QFileInfo(song).canonicalFilePath());
        const QString relative = NativePath::makeRelative(song, list);
        QVERIFY(!relative.startsWith(u'/'));
        QCOMPARE(QFileInfo(NativePath::resolveEntry(relative, list)).canonicalFilePath(),
                 QFileInfo(song).canonicalFilePath());
    }

    // A Linux name may hold a backslash: it stays a character when such a name exists, and
    // separates otherwise (Windows playlists). Stored relative paths lead back to the file.
    void backslashInLinuxNames_data() {
        QTest::addColumn<QStringList>("disk");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("expected");
        const QString list = s("PL/list.m3u");
        const QString ini = s("Platterbox/Platterbox.Ini");
        QTest::newRow("song name")
            << QStringList{s(R"(PL/AC\DC - Live.mp3)")} << s(R"(AC\DC - Live.mp3)") << list
            << s(R"(PL/AC\DC - Live.mp3)");
        QTest::newRow("folder name") << QStringList{s(R"(PL/AC\DC/Live.mp3)")}
                                     << s(R"(AC\DC/Live.mp3)") << list << s(R"(PL/AC\DC/Live.mp3)");
        QTest::newRow("playlist stored in the ini file")
            << QStringList{s(R"(music/AC\DC.m3u)")} << s(R"(../music/AC\DC.m3u)") << ini
            << s(R"(music/AC\DC.m3u)");
        QTest::newRow("windows entry still separates")
            << QStringList{s("Rock/a.mp3")} << s(R"(..\Rock\a.mp3)") << list << s("Rock/a.mp3");
        QTest::newRow("no such name: separates")
            << QStringList{s("PL/AC/DC.mp3")} << s(R"(AC\DC.mp3)") << list << s("PL/AC/DC.mp3");
        QTest::newRow("nothing on disk: separates")
            << QStringList() << s(R"(AC\DC.mp3)") << list << s("PL/AC/DC.mp3");
    }
    void backslashInLinuxNames() {
        QFETCH(QStringList, disk);
        QFETCH(QString, entry);
        QFETCH(QString, reference);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString& file : disk)
            TestSupport::writeBytes(dir.filePath(file), "x");
        const QString referencePath = dir.filePath(reference);
        const QString want = dir.filePath(expected);
        QCOMPARE(NativePath::resolveEntry(entry, referencePath), want);
        QCOMPARE(resolveEntryOnDisk(entry, referencePath), want);
        if (!disk.isEmpty()) {
            const QString stored =
                NativePath::makeRelative(dir.filePath(disk.first()), referencePath);
            QCOMPARE(resolveEntryOnDisk(stored, referencePath), dir.filePath(disk.first()));
        }
    }

    // A folder's names are found by their exact bytes only, among a thousand that share their
    // start and end, and the last one of the buffer too.
    void folderNamesFoundExactly_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("listed") << b("01 - Song.mp3") << true;
        QTest::newRow("one of many") << b("track 0999.mp3") << true;
        QTest::newRow("last in the buffer") << b("Z") << true;
        QTest::newRow("its start") << b("01 - Song") << false;
        QTest::newRow("longer") << b("01 - Song.mp3x") << false;
        QTest::newRow("other case") << b("01 - song.mp3") << false;
        QTest::newRow("with a NUL") << QByteArray("Z\0", 2) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void folderNamesFoundExactly() {
        QFETCH(QByteArray, name);
        QFETCH(bool, found);
        QByteArray names;
        for (int i = 0; i < 1000; ++i)
            names += "track " + QByteArray::number(i).rightJustified(4, '0') + ".mp3" + '\0';
        names += QByteArray("01 - Song.mp3\0Z\0", 16);
        PathCaseLookup lookup;
        lookup.takeFolderListing("/music", true, names);
        QCOMPARE(lookup.holdsPlainName(name), found);
    }

    // Paths found on disk when only letter case differs; the exact path always wins.
    void caseInsensitiveLookup_data() {
        QTest::addColumn<QList<QByteArray>>("disk");
        QTest::addColumn<QByteArray>("asked");
        QTest::addColumn<QByteArray>("expected");
        using Names = QList<QByteArray>;
        QTest::newRow("exact match") << Names{b("Rock/Song.mp3"), b("rock/song.mp3")}
                                     << b("Rock/Song.mp3") << b("Rock/Song.mp3");
        QTest::newRow("whole path in other case")
            << Names{b("rock/song.mp3")} << b("ROCK/SONG.MP3") << b("rock/song.mp3");
        QTest::newRow("only the file name")
            << Names{b("Rock/song.mp3")} << b("Rock/Song.MP3") << b("Rock/song.mp3");
        QTest::newRow("only one folder")
            << Names{b("music/Jazz/Live/x.mp3")} << b("music/JAZZ/Live/x.mp3")
            << b("music/Jazz/Live/x.mp3");
        QTest::newRow("folder in other case, trailing slash")
            << Names{b("jazz/Live/x.mp3")} << b("Jazz/LIVE/") << b("jazz/Live/");
        QTest::newRow("exact folder wins over a sorted-first one")
            << Names{b("Rock/x.mp3"), b("rock/y.mp3")} << b("rock/Y.MP3") << b("rock/y.mp3");
        QTest::newRow("two names in other case: sorted first")
            << Names{b("a/song.mp3"), b("a/Song.mp3"), b("a/SONG.MP3x")} << b("a/sOnG.mp3")
            << b("a/Song.mp3");
        QTest::newRow("exact file wins in a folder found by case")
            << Names{b("cd/Song.mp3"), b("cd/song.mp3")} << b("CD/song.mp3") << b("cd/song.mp3");
        QTest::newRow("a file is no folder")
            << Names{b("MUSIC"), b("music/a.mp3")} << b("Music/a.mp3") << b("music/a.mp3");
        QTest::newRow("a file spelled exactly like the folder is no folder")
            << Names{b("Music"), b("music/a.mp3")} << b("Music/a.mp3") << b("music/a.mp3");
        QTest::newRow("non-ascii letters") << Names{b("musique/\xc3\xa9t\xc3\xa9 \xc5\x93uvre.mp3")}
                                           << b("MUSIQUE/\xc3\x89T\xc3\x89 \xc5\x92UVRE.mp3")
                                           << b("musique/\xc3\xa9t\xc3\xa9 \xc5\x93uvre.mp3");
        QTest::newRow("latin-1 bytes") << Names{b("caf\xe9/\xe9t\xe9.mp3")}
                                       << b("CAF\xc9/\xc9T\xc9.MP3") << b("caf\xe9/\xe9t\xe9.mp3");
        QTest::newRow("dot components")
            << Names{b("rock/song.mp3")} << b("ROCK/./SONG.mp3") << b("rock/./song.mp3");
        QTest::newRow("nothing matching: file")
            << Names{b("rock/song.mp3")} << b("ROCK/other.mp3") << QByteArray();
        QTest::newRow("nothing matching: folder")
            << Names{b("rock/song.mp3")} << b("pop/song.mp3") << QByteArray();
    }
    void caseInsensitiveLookup() {
        QFETCH(QList<QByteArray>, disk);
        QFETCH(QByteArray, asked);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        const RawRemoval removal{root};
        for (const QByteArray& file : disk)
            makeRawFile(root, file);
        const QByteArray askedPath = root + '/' + asked;
        // Nothing matching leaves the path as it was asked.
        const QByteArray want = expected.isEmpty() ? askedPath : root + '/' + expected;
        QCOMPARE(resolveExistingPath(askedPath), want);
        // The same through the path rules, from a playlist written on Windows.
        const QByteArray entry = QByteArray(asked).replace('/', '\\');
        QCOMPARE(resolveEntryOnDisk(entry, root + "/list.m3u"), want);
    }

    // INI names the program derives are found as on Windows, the folder part included (a
    // CD mounted with lower-case names): at start-up and by the copy that hands off.
    void derivedIniNamesIgnoreCase_data() {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exact") << s("cd/Platterbox/Platterbox.INI")
                               << s("cd/Platterbox/Platterbox.INI");
        QTest::newRow("file name in other case")
            << s("cd/Platterbox/PLATTERBOX.INI") << s("cd/Platterbox/PLATTERBOX.INI");
        QTest::newRow("folder in other case")
            << s("CD/platterbox/platterbox.ini") << s("CD/platterbox/platterbox.ini");
    }
    void derivedIniNamesIgnoreCase() {
        QFETCH(QString, disk);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TestSupport::writeBytes(dir.filePath(disk), "[General]\r\n");
        const QString program = dir.filePath(s("prog/Platterbox"));
        QCOMPARE(chooseIniPath(dir.filePath(s("cd/Platterbox/Platterbox")), program),
                 dir.filePath(expected));
        QCOMPARE(handOffIniPath({program, dir.filePath(s("cd/Platterbox/list.m3u"))}),
                 std::optional<QString>(dir.filePath(expected)));
    }

    // Playlists named in the INI file in other letter case, or with a backslash in a name,
    // load as the files on disk and survive a save.
    void iniPlaylistsFoundOnDisk() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList real = {dir.filePath(s("lists/rock.m3u")),
                                  dir.filePath(s(R"(music/AC\DC.m3u)")),
                                  dir.filePath(s("music/Jazz/x.pls"))};
        for (const QString& file : real)
            TestSupport::writeBytes(file, "a.mp3\r\n");
        const QString ini = dir.filePath(s("Platterbox/Platterbox.Ini"));
        TestSupport::writeBytes(ini, "[PlayLists]\r\nTotal=4\r\nFile0=../LISTS/Rock.M3U\r\n"
                                     "File1=../music/AC\\DC.m3u\r\nFile2=..\\Music\\JAZZ\\X.PLS\r\n"
                                     "File3=../gone/Missing.m3u\r\n");
        ScriptedDialogs dialogs;
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        readInstanceIni(ini, loaded, loadedPlaylists, dialogs);
        const QStringList expected = real + QStringList{dir.filePath(s("gone/Missing.m3u"))};
        QCOMPARE(TestSupport::pathTexts(loadedPlaylists), expected);
        writeInstanceIni(ini, loaded, loadedPlaylists, dialogs);
        Settings reloaded;
        QList<QByteArray> reloadedPlaylists;
        readInstanceIni(ini, reloaded, reloadedPlaylists, dialogs);
        QCOMPARE(TestSupport::pathTexts(reloadedPlaylists), expected);
        QCOMPARE(dialogs.records().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
