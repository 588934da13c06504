#include "TestSupport.h"
#include "ScriptedDialogs.h"
#include "settings/InstanceIni.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
QByteArray crlf(const QList<QByteArray>& lines) {
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + "\r\n";
    return text;
}

const QList<QByteArray> DefaultGeneralLines = {
    "cbAutoExecuteDelay_Checked=1",       "cbAutoExecuteHide_Checked=1",
    "cbAutoExecuteClose_Checked=1",       "cbShufflePL_Checked=1",
    "cbShuffleWithinPL_Checked=0",        "spinAutoExecuteDelay_Value=5",
    "spinAutoExecuteCloseDelay_Value=30", "grpShuffle_Tag=0"};

Settings loadedDefaults() {
    Settings settings;
    setPerCopyDefaults(settings);
    return settings;
}
} // namespace

// The per-copy INI file: its exact layout, relative paths, the older auto-play key and every
// failure message.
class TestInstanceIni : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& relative) const { return dir_.filePath(relative); }

private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    void saveWritesTheExactLayout() {
        Settings settings = loadedDefaults();
        QList<QByteArray> playlists;
        settings.preferences.autoPlay = true;
        playlists = TestSupport::pathBytes(
            {path(QStringLiteral("Rock/_Rock.M3U")), path(QStringLiteral("Jazz/_Jazz.M3U"))});
        const QString ini = path(QStringLiteral("Platterbox/Platterbox.Ini"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("Platterbox"))));
        ScriptedDialogs dialogs;
        writeInstanceIni(ini, settings, playlists, dialogs);
        QCOMPARE(dialogs.records().size(), 0);
        QCOMPARE(readBytes(ini),
                 crlf(QList<QByteArray>{"[General]", "cbAutoExecute_Checked=1"} +
                      DefaultGeneralLines +
                      QList<QByteArray>{"[PlayLists]", "Total=2", "File0=../Rock/_Rock.M3U",
                                        "File1=../Jazz/_Jazz.M3U"}));
    }

    void secondSaveLeavesNoStaleKeysAndKeepsForeignLines() {
        const QString ini = path(QStringLiteral("keep.Ini"));
        writeBytes(ini, crlf({"; my notes", "[General]", "Unknown=yes", "grpShuffle_Tag=2",
                              "[Other]", "Keep=1"}));
        Settings settings = loadedDefaults();
        QList<QByteArray> playlists;
        for (int i = 0; i < 11; ++i)
            playlists << QFile::encodeName(path(QStringLiteral("list%1.m3u").arg(i)));
        ScriptedDialogs dialogs;
        writeInstanceIni(ini, settings, playlists, dialogs);
        QVERIFY(readBytes(ini).contains("File10=list10.m3u\r\n"));
        QVERIFY(readBytes(ini).contains("Total=11\r\n"));

        playlists = playlists.mid(0, 3);
        writeInstanceIni(ini, settings, playlists, dialogs);
        const QByteArray text = readBytes(ini);
        QVERIFY(text.contains("Total=3\r\n"));
        QVERIFY(text.contains("File2=list2.m3u\r\n"));
        for (int i = 3; i <= 10; ++i)
            QVERIFY2(!text.contains(QByteArray("File" + QByteArray::number(i) + "=")),
                     text.constData());
        // Foreign lines survive; known keys are updated where they stood.
        QVERIFY(text.startsWith("; my notes\r\n[General]\r\nUnknown=yes\r\ngrpShuffle_Tag=0\r\n"));
        QVERIFY(text.contains("[Other]\r\nKeep=1\r\n"));
        QCOMPARE(dialogs.records().size(), 0);
    }

    void loadCases_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expectedLists");
        QTest::addColumn<bool>("autoExecute");
        QTest::addColumn<int>("delay");
        QTest::addColumn<QStringList>("messages");
        const QString error = QStringLiteral("Error reading initialization information!");
        QTest::newRow("general only") << crlf({"[General]", "spinAutoExecuteDelay_Value=9"})
                                      << QStringList() << false << 9 << QStringList();
        QTest::newRow("relative files")
            << crlf({"[PlayLists]", "Total=2", "File0=a.m3u", "File1=../up/b.pls"})
            << QStringList{QStringLiteral("sub/a.m3u"), QStringLiteral("up/b.pls")} << false << 5
            << QStringList();
        QTest::newRow("windows separators")
            << crlf({"[PlayLists]", "Total=1", "File0=..\\Rock\\_Rock.M3U"})
            << QStringList{QStringLiteral("Rock/_Rock.M3U")} << false << 5 << QStringList();
        QTest::newRow("older auto-play key wins")
            << crlf({"[General]", "cbAutoExecute_Checked=0", "AutoExecute=1"}) << QStringList()
            << true << 5 << QStringList();
        QTest::newRow("missing Total with file keys")
            << crlf({"[PlayLists]", "File0=a.m3u"}) << QStringList() << false << 5
            << QStringList{error};
        QTest::newRow("negative Total") << crlf({"[PlayLists]", "Total=-3", "File0=a.m3u"})
                                        << QStringList() << false << 5 << QStringList();
        QTest::newRow("missing file key keeps the ones before")
            << crlf({"[General]", "spinAutoExecuteDelay_Value=7", "[PlayLists]", "Total=3",
                     "File0=a.m3u", "File2=c.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u")} << false << 7 << QStringList{error};
        QTest::newRow("empty file key") << crlf({"[PlayLists]", "Total=1", "File0="})
                                        << QStringList() << false << 5 << QStringList{error};
        QTest::newRow("file keys in any case and order")
            << crlf({"[PlayLists]", "Total=3", "file2=c.m3u", "FILE0=a.m3u", "File1=b.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u"), QStringLiteral("sub/b.m3u"),
                           QStringLiteral("sub/c.m3u")}
            << false << 5 << QStringList();
        QTest::newRow("Total after the files")
            << crlf({"[PlayLists]", "File0=a.m3u", "File1=b.m3u", "Total=2"})
            << QStringList{QStringLiteral("sub/a.m3u"), QStringLiteral("sub/b.m3u")} << false << 5
            << QStringList();
        QTest::newRow("the first of a repeated key wins")
            << crlf({"[PlayLists]", "Total=1", "file0=a.m3u", "File0=b.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u")} << false << 5 << QStringList();
        QTest::newRow("blanks and quotes around a value")
            << crlf({"[PlayLists]", "Total=1", " File0 = \"a b.m3u\" "})
            << QStringList{QStringLiteral("sub/a b.m3u")} << false << 5 << QStringList();
        QTest::newRow("keys beyond Total are left out")
            << crlf({"[PlayLists]", "Total=1", "File0=a.m3u", "File1=b.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u")} << false << 5 << QStringList();
        QTest::newRow("File01 is not File1")
            << crlf({"[PlayLists]", "Total=2", "File0=a.m3u", "File01=b.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u")} << false << 5 << QStringList{error};
        QTest::newRow("lookalike keys and comments are not files")
            << crlf({"[PlayLists]", "Total=1", "File+0=b.m3u", ";File0=c.m3u", "Fil0=d.m3u",
                     "Dile0=e.m3u", "File0=a.m3u"})
            << QStringList{QStringLiteral("sub/a.m3u")} << false << 5 << QStringList();
        QTest::newRow("a later section of the same name is not read")
            << crlf({"[PlayLists]", "Total=1", "[Other]", "File0=b.m3u", "[playlists]",
                     "File0=c.m3u"})
            << QStringList() << false << 5 << QStringList{error};
    }

    void loadCases() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expectedLists);
        QFETCH(bool, autoExecute);
        QFETCH(int, delay);
        QFETCH(QStringList, messages);
        const QString ini = path(QStringLiteral("sub/Platterbox.Ini"));
        writeBytes(ini, text);
        Settings settings;
        QList<QByteArray> playlists;
        ScriptedDialogs dialogs;
        readInstanceIni(ini, settings, playlists, dialogs);
        QStringList expected;
        for (const QString& relative : expectedLists)
            expected << QDir::cleanPath(path(relative));
        QStringList cleaned;
        for (const QString& loaded : TestSupport::pathTexts(playlists))
            cleaned << QDir::cleanPath(loaded);
        QCOMPARE(cleaned, expected);
        QCOMPARE(settings.preferences.autoPlay, autoExecute);
        QCOMPARE(settings.preferences.autoPlayDelaySeconds, delay);
        QCOMPARE(dialogs.messages(), messages);
    }

    void olderAutoPlayKeyStaysAfterSave() {
        const QString ini = path(QStringLiteral("old.Ini"));
        writeBytes(ini, crlf({"[General]", "AutoExecute=1"}));
        Settings settings;
        QList<QByteArray> playlists;
        ScriptedDialogs dialogs;
        readInstanceIni(ini, settings, playlists, dialogs);
        writeInstanceIni(ini, settings, playlists, dialogs);
        const QByteArray text = readBytes(ini);
        QVERIFY(text.contains("AutoExecute=1\r\n"));
        QVERIFY(text.contains("cbAutoExecute_Checked=1\r\n"));
    }

    void missingFileGivesMessageAndDefaults() {
        const QString ini = path(QStringLiteral("none/Platterbox.Ini"));
        Settings settings;
        QList<QByteArray> playlists;
        settings.preferences.autoPlay = true;
        settings.preferences.shuffleMode = ShuffleMode::Total;
        ScriptedDialogs dialogs;
        readInstanceIni(ini, settings, playlists, dialogs);
        QCOMPARE(dialogs.messages(),
                 QStringList{ini + QStringLiteral("\rInitialization file not found!\r"
                                                  "Default preferences will be used.")});
        const Preferences& p = settings.preferences;
        QCOMPARE(p.autoPlay, false);
        QCOMPARE(p.autoPlayAfterDelay, true);
        QCOMPARE(p.autoPlayDelaySeconds, 5);
        QCOMPARE(p.hideWhileAutoPlaying, true);
        QCOMPARE(p.closeAfterAutoPlay, true);
        QCOMPARE(p.closeDelaySeconds, 30);
        QCOMPARE(p.shuffleMode, ShuffleMode::Normal);
        QCOMPARE(p.shufflePlaylists, true);
        QCOMPARE(p.shuffleWithinPlaylists, false);
        QVERIFY(playlists.isEmpty());
    }

    void saveAndLoadGiveTheSameList() {
        const QString ini = path(QStringLiteral("cd/Platterbox/Platterbox.Ini"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("cd/Platterbox"))));
        Settings saved = loadedDefaults();
        QList<QByteArray> savedPlaylists;
        saved.preferences.shuffleMode = ShuffleMode::Partial;
        savedPlaylists = TestSupport::pathBytes({path(QStringLiteral("cd/Rock/a.m3u")),
                                                 path(QStringLiteral("cd/Platterbox/b.pls")),
                                                 QStringLiteral("/elsewhere/c.m3u")});
        ScriptedDialogs dialogs;
        writeInstanceIni(ini, saved, savedPlaylists, dialogs);
        QVERIFY(readBytes(ini).contains("File2=/elsewhere/c.m3u\r\n"));
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        readInstanceIni(ini, loaded, loadedPlaylists, dialogs);
        QCOMPARE(loadedPlaylists, savedPlaylists);
        QCOMPARE(loaded.preferences, saved.preferences);

        // The same folder moved elsewhere resolves to its new place.
        QVERIFY(QDir().rename(path(QStringLiteral("cd")), path(QStringLiteral("moved"))));
        Settings moved;
        QList<QByteArray> movedPlaylists;
        readInstanceIni(path(QStringLiteral("moved/Platterbox/Platterbox.Ini")), moved,
                        movedPlaylists, dialogs);
        QCOMPARE(QFile::decodeName(movedPlaylists.at(0)), path(QStringLiteral("moved/Rock/a.m3u")));
        QCOMPARE(dialogs.records().size(), 0);
    }

    void oddNamesSurviveSaveAndLoad_data() {
        QTest::addColumn<QString>("name");     // as the user chose it, below the INI's folder
        QTest::addColumn<QString>("expected"); // after a save and a load
        QTest::addColumn<QByteArray>("stored");

        const auto row = [](const char* title, const char* name, const char* expected,
                            const QByteArray& stored) {
            QTest::newRow(title) << QString::fromUtf8(name) << QString::fromUtf8(expected)
                                 << stored;
        };
        row("leading blank", " lead.m3u", " lead.m3u", "File0=\" lead.m3u\"");
        row("trailing blank", "trail.m3u ", "trail.m3u ", "File0=\"trail.m3u \"");
        row("single quotes", "'q'", "'q'", "File0=\"'q'\"");
        row("double quotes", "\"dq\"", "\"dq\"", "File0=\"\"dq\"\"");
        row("line break", "two\nlines.m3u", "two\nlines.m3u", "File0=file://");
        row("carriage return", "cr\r.m3u", "cr\r.m3u", "File0=file://");
        row("percent sign", "100%\n.m3u", "100%\n.m3u", "File0=file://");
        row("doubled separator", "rt//dbl.m3u", "rt/dbl.m3u", "File0=rt/dbl.m3u");
        row("dot component", "rt/./dot.m3u", "rt/dot.m3u", "File0=rt/dot.m3u");
    }

    // Every name a Linux folder can hold comes back as the same file.
    void oddNamesSurviveSaveAndLoad() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(QByteArray, stored);
        const QString ini = path(QStringLiteral("Platterbox.Ini"));
        Settings saved = loadedDefaults();
        QList<QByteArray> savedPlaylists;
        savedPlaylists =
            TestSupport::pathBytes({dir_.path() + u'/' + name, path(QStringLiteral("after.m3u"))});
        ScriptedDialogs dialogs;
        writeInstanceIni(ini, saved, savedPlaylists, dialogs);
        const QByteArray text = readBytes(ini);
        QVERIFY2(text.contains(QByteArray("\r\n" + stored)), text.constData());
        QVERIFY(text.contains("\r\nFile1=after.m3u\r\n"));
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        readInstanceIni(ini, loaded, loadedPlaylists, dialogs);
        QCOMPARE(TestSupport::pathTexts(loadedPlaylists),
                 QStringList({dir_.path() + u'/' + expected, path(QStringLiteral("after.m3u"))}));
        QCOMPARE(dialogs.records().size(), 0);
    }

    // A UTF-16 file stays UTF-16; a name it cannot hold as text goes in as a file URL.
    void utf16FileKeepsItsEncoding() {
        const QString ini = path(QStringLiteral("Platterbox.Ini"));
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom);
        writeBytes(ini, utf16.encode(QStringLiteral("; Windows\r\n[PlayLists]\r\nTotal=0\r\n")));
        Settings saved = loadedDefaults();
        QList<QByteArray> savedPlaylists;
        const QByteArray latin1 = QFile::encodeName(dir_.path()) + "/caf\xE9.m3u";
        savedPlaylists = {latin1, QFile::encodeName(path(QStringLiteral("b\u00e9.m3u")))};
        ScriptedDialogs dialogs;
        writeInstanceIni(ini, saved, savedPlaylists, dialogs);
        const QByteArray text = readBytes(ini);
        QVERIFY(text.startsWith(QByteArray("\xFF\xFE;\0", 4)));
        const QString shown = QStringDecoder(QStringConverter::Utf16LE).decode(text);
        QVERIFY2(shown.contains(QStringLiteral("File0=file://")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("File1=b\u00e9.m3u")));
        Settings loaded;
        QList<QByteArray> loadedPlaylists;
        readInstanceIni(ini, loaded, loadedPlaylists, dialogs);
        QCOMPARE(loadedPlaylists, savedPlaylists);
        QCOMPARE(dialogs.records().size(), 0);
    }

    // Files made by other programs, through a real start and close of the program: what it
    // could read loads, and what it could not is neither dropped nor rewritten.
    void hostileFilesLoadOrStayAsTheyWere_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after"); // empty: the same bytes
        QTest::addColumn<QStringList>("messages");
        // Beyond the 2047 bytes a value once held, and beyond 255 bytes per name.
        QString longFolder;
        for (int i = 0; i < 14; ++i)
            longFolder += QLatin1Char('/') + QString(200, QChar(u'a' + i));
        QVERIFY(QDir().mkpath(path(QStringLiteral("Music") + longFolder)));
        const QByteArray longList = "../Music" + longFolder.toUtf8() + "/c.m3u";
        writeBytes(path(QStringLiteral("Music") + longFolder + QStringLiteral("/c.m3u")),
                   "c.mp3\n");
        for (const char* name : {"Music/a.m3u", "Music/b.m3u"})
            writeBytes(path(QString::fromLatin1(name)), "a.mp3\n");
        const auto file = [](const QByteArray& total, const QByteArray& second) {
            return crlf(QList<QByteArray>{"[General]", "cbAutoExecute_Checked=0"} +
                        DefaultGeneralLines + QList<QByteArray>{"[PlayLists]"} +
                        (total.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{total}) +
                        QList<QByteArray>{"File0=../Music/a.m3u", "File1=" + second});
        };
        const auto utf16 = [](QStringConverter::Encoding encoding, const QByteArray& text) {
            QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
            return QByteArray(encoder(QString::fromUtf8(text)));
        };
        const QByteArray plain = file("Total=2", "../Music/b.m3u");
        const QString reading = QStringLiteral("message:Error reading initialization information!");
        const QString saving = QStringLiteral("message:Error saving initialization information!");
        QTest::newRow("UTF-16LE") << utf16(QStringConverter::Utf16LE, plain) << QByteArray()
                                  << QStringList();
        QTest::newRow("UTF-16BE") << utf16(QStringConverter::Utf16BE, plain) << QByteArray()
                                  << QStringList();
        QTest::newRow("UTF-16 with half a character")
            << utf16(QStringConverter::Utf16LE, plain) + "A" << QByteArray()
            << QStringList{reading, saving};
        QTest::newRow("UTF-16 with a lone surrogate")
            << utf16(QStringConverter::Utf16LE, plain) + QByteArray("\x00\xD8", 2) << QByteArray()
            << QStringList{reading, saving};
        QTest::newRow("path longer than 2047 bytes")
            << file("Total=2", longList) << QByteArray() << QStringList();
        QTest::newRow("count with a plus sign")
            << file("Total=+2", "../Music/b.m3u") << plain << QStringList();
        QTest::newRow("count that is no number")
            << file("Total=two", "../Music/b.m3u") << QByteArray() << QStringList{reading};
        QTest::newRow("count missing")
            << file({}, "../Music/b.m3u") << QByteArray() << QStringList{reading};
        QTest::newRow("file URL with a NUL")
            << file("Total=2",
                    "file://" + QFile::encodeName(path(QStringLiteral("Music/b.m3u"))) + "%00.m3u")
            << QByteArray() << QStringList();
    }

    void hostileFilesLoadOrStayAsTheyWere() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, messages);
        const QString program = path(QStringLiteral("prog/Platterbox"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("prog"))));
        QFile::remove(program);
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program));
        const QString ini = path(QStringLiteral("prog/Platterbox.Ini"));
        writeBytes(ini, before);
        const QString script = path(QStringLiteral("answers"));
        writeBytes(script, QByteArray());
        QFile::remove(script + QStringLiteral(".log"));

        QVERIFY(TestSupport::startAndClose(program, path(QStringLiteral("config")),
                                           path(QStringLiteral("run")), script));
        QCOMPARE(TestSupport::dialogLog(script), messages);
        QCOMPARE(readBytes(ini), after.isEmpty() ? before : after);
    }

    void failedSavesAreReported() {
        ScriptedDialogs dialogs;
        Settings settings = loadedDefaults();
        QList<QByteArray> playlists;
        writeInstanceIni(path(QStringLiteral("missing/folder/x.Ini")), settings, playlists,
                         dialogs);
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("Error saving initialization information!")});

        const QString folder = path(QStringLiteral("readonly"));
        const QString ini = folder + QStringLiteral("/x.Ini");
        writeBytes(ini, crlf({"[General]", "grpShuffle_Tag=1"}));
        QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray before = readBytes(ini);
        {
            TestSupport::ReadOnlyFolder guard(folder);
            QVERIFY(guard.effective());
            dialogs.clear();
            writeInstanceIni(ini, settings, playlists, dialogs);
            QCOMPARE(dialogs.messages(),
                     QStringList{QStringLiteral("Error saving initialization information!")});
        }
        QCOMPARE(readBytes(ini), before);
    }
};

QTEST_GUILESS_MAIN(TestInstanceIni)
#include "tst_instanceini.moc"
