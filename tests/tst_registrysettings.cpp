#include "TestSupport.h"
#include "platform/ConfigLocations.h"
#include "settings/RegistrySettings.h"
#include "settings/TypedRegistry.h"

#include <QtTest>

#include <sys/stat.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
const QByteArray Header = "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Varnholt\\Platterbox]\r\n";

// The 26 values in their stored order, with the form each must take in the file.
const QList<QPair<QByteArray, QByteArray>> ExpectedValues = {
    {"frmMain_Top", "dword:"},
    {"frmMain_Left", "dword:"},
    {"frmMain_Width", "dword:"},
    {"frmMain_Height", "dword:"},
    {"frmMain_lbPlayLists_Height", "dword:"},
    {"dlgPreferences_radCommand_ItemIndex", "dword:"},
    {"dlgPreferences_radIcon_ItemIndex", "dword:"},
    {"dlgCreatePL_edCommand_Text", "\""},
    {"dlgPreferences_cbSaveIni_Checked", "dword:"},
    {"dlgPreferences_cbShowHints_Checked", "dword:"},
    {"dlgPreferences_cbIgnoreInstances_Checked", "dword:"},
    {"dlgAddPL_radFolder_Checked", "dword:"},
    {"dlgAddPL_cbSubFolders_Checked", "dword:"},
    {"dlgAddPL_edFile_Text", "\""},
    {"dlgAddPL_edFolder_Text", "\""},
    {"dlgCreatePL_radInFolders_Checked", "dword:"},
    {"dlgCreatePL_cbSort_Checked", "dword:"},
    {"dlgCreatePL_cbSubFolders_Checked", "dword:"},
    {"dlgCreatePL_edBaseFolder_Text", "\""},
    {"dlgCreatePL_edPLFolder_Text", "\""},
    {"dlgAutoCD_edFolder_Text", "\""},
    {"dlgFindMissing_edFolder_Text", "\""},
    {"dlgCopyTo_edFolder_Text", "\""},
    {"dlgCopyTo_radLayout_ItemIndex", "dword:"},
    {"dlgCopyTo_cbDeviceNames_Checked", "dword:"},
    {"dlgCopyTo_cbCarStereoM3U_Checked", "dword:"},
};
} // namespace

// The user's general settings in the registry file: defaults, the stored form of all 26
// values, type mismatches and a refused save.
class TestRegistrySettings : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::IsolatedEnvironment> env_;

private Q_SLOTS:
    void init() { env_ = std::make_unique<TestSupport::IsolatedEnvironment>(); }
    void cleanup() { env_.reset(); }

    void recordStartsAtZero() {
        const Settings settings;
        QCOMPARE(settings.window.top, 0);
        QCOMPARE(settings.window.playlistListHeight, 0);
        QCOMPARE(settings.preferences, Preferences());
        QCOMPARE(settings.preferences.saveIniOnClose, false);
        QCOMPARE(settings.createPlaylists.inMusicFolders, false);
        QVERIFY(settings.mp3Cd.folder.isEmpty());
    }

    void createPLRecordCopiesWhole() {
        Settings settings;
        settings.createPlaylists = {true, false, true, QStringLiteral("/base"),
                                    QStringLiteral("PL")};
        const CreatePlaylistsInputs saved = settings.createPlaylists;
        settings.createPlaylists = {false, true, false, QStringLiteral("/cd"), QString()};
        settings.createPlaylists = saved;
        QCOMPARE(settings.createPlaylists.inMusicFolders, true);
        QCOMPARE(settings.createPlaylists.sorted, false);
        QCOMPARE(settings.createPlaylists.withSubFolders, true);
        QCOMPARE(settings.createPlaylists.baseFolder, QStringLiteral("/base"));
        QCOMPARE(settings.createPlaylists.playlistsFolder, QStringLiteral("PL"));
    }

    void firstRunGivesDefaultsAndCreatesNothing() {
        Settings settings;
        bool hints = false;
        loadRegistrySettings(settings, hints);
        QCOMPARE(settings.window.left, 100);
        QCOMPARE(settings.window.top, 100);
        QCOMPARE(settings.window.width, 505);
        QCOMPARE(settings.window.height, 385);
        QCOMPARE(settings.window.playlistListHeight, 30);
        QCOMPARE(settings.preferences.verb, PlayVerb::Open);
        QCOMPARE(settings.preferences.iconPlacement, IconPlacement::Taskbar);
        QCOMPARE(settings.preferences.saveIniOnClose, true);
        QCOMPARE(settings.preferences.ignoreOtherCopies, false);
        QCOMPARE(settings.createPlaylists.inMusicFolders, true);
        QCOMPARE(settings.createPlaylists.sorted, true);
        QCOMPARE(settings.createPlaylists.withSubFolders, true);
        QCOMPARE(settings.addPlaylists.fromFolder, false);
        QCOMPARE(hints, true);
        QVERIFY(!QFileInfo::exists(ConfigLocations::userRegistryFile()));
    }

    void saveWritesAll26ValuesWithTheirTypes() {
        Settings settings;
        bool hints = true;
        loadRegistrySettings(settings, hints);
        settings.window.width = 640;
        settings.preferences.customVerb = QStringLiteral("Say \"hi\"");
        hints = false;
        QVERIFY(saveRegistrySettings(settings, hints).isOk());

        const QByteArray text = readBytes(ConfigLocations::userRegistryFile());
        QVERIFY2(text.startsWith(Header), text.constData());
        const QList<QByteArray> lines = text.mid(Header.size()).split('\n');
        QList<QByteArray> valueLines;
        for (const QByteArray& line : lines)
            if (line.startsWith('"'))
                valueLines << line.trimmed();
        QCOMPARE(valueLines.size(), ExpectedValues.size());
        for (qsizetype i = 0; i < ExpectedValues.size(); ++i) {
            const QByteArray prefix =
                '"' + ExpectedValues.at(i).first + "\"=" + ExpectedValues.at(i).second;
            QVERIFY2(valueLines.at(i).startsWith(prefix), valueLines.at(i).constData());
        }
        QVERIFY(text.contains("\"frmMain_Width\"=dword:00000280"));
        QVERIFY(text.contains("\"dlgPreferences_cbShowHints_Checked\"=dword:00000000"));
        QVERIFY(text.contains("\"dlgCreatePL_edCommand_Text\"=\"Say \\\"hi\\\"\""));

        Settings again;
        bool hintsAgain = true;
        loadRegistrySettings(again, hintsAgain);
        QCOMPARE(again.window.width, 640);
        QCOMPARE(again.preferences.customVerb, QStringLiteral("Say \"hi\""));
        QCOMPARE(hintsAgain, false);
    }

    void storedValuesOfTheWrongTypeReadAsDefaults_data() {
        QTest::addColumn<QByteArray>("valueLines");
        QTest::addColumn<bool>("saveIni");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("hints");
        QTest::newRow("REG_SZ 1 is not a DWORD")
            << QByteArray("\"dlgPreferences_cbSaveIni_Checked\"=\"1\"\r\n") << true << 0 << true;
        QTest::newRow("DWORD 0 switches saving off")
            << QByteArray("\"dlgPreferences_cbSaveIni_Checked\"=dword:00000000\r\n") << false << 0
            << true;
        QTest::newRow("custom command index kept with empty text")
            << QByteArray("\"dlgPreferences_radCommand_ItemIndex\"=dword:00000003\r\n"
                          "\"dlgCreatePL_edCommand_Text\"=\"\"\r\n")
            << true << 3 << true;
        QTest::newRow("hints off from the start")
            << QByteArray("\"dlgPreferences_cbShowHints_Checked\"=dword:00000000\r\n") << true << 0
            << false;
        QTest::newRow("binary where a DWORD belongs")
            << QByteArray("\"dlgPreferences_radCommand_ItemIndex\"=hex:01,00,00,00\r\n") << true
            << 0 << true;
    }

    void storedValuesOfTheWrongTypeReadAsDefaults() {
        QFETCH(QByteArray, valueLines);
        QFETCH(bool, saveIni);
        QFETCH(int, command);
        QFETCH(bool, hints);
        writeBytes(ConfigLocations::userRegistryFile(), Header + valueLines);
        Settings settings;
        bool switchState = !hints;
        loadRegistrySettings(settings, switchState);
        QCOMPARE(settings.preferences.saveIniOnClose, saveIni);
        QCOMPARE(settings.preferences.verb, PlayVerb(command));
        QVERIFY(settings.preferences.customVerb.isEmpty());
        QCOMPARE(switchState, hints);
    }

    void refusedSaveStopsAtTheFirstValue() {
        Settings settings;
        bool hints = true;
        loadRegistrySettings(settings, hints);
        QVERIFY(saveRegistrySettings(settings, hints).isOk());
        const QByteArray before = readBytes(ConfigLocations::userRegistryFile());
        settings.window.top = 7;
        QVERIFY(QFile::setPermissions(ConfigLocations::userRegistryFile(), QFile::ReadOwner));
        {
            TestSupport::ReadOnlyFolder guard(ConfigLocations::configFolder());
            QVERIFY(guard.effective());
            hints = false;
            const Status status = saveRegistrySettings(settings, hints);
            QVERIFY(status.failed());
            QCOMPARE(status.message(), QStringLiteral("Failed to set data for 'frmMain_Top'"));
            QCOMPARE(hints, false); // the switch itself is never changed by a failed save
        }
        QCOMPARE(readBytes(ConfigLocations::userRegistryFile()), before);
    }

    // Text written on Windows (Windows-1252) reads as such; a save of the same values leaves the
    // file byte for byte, and a changed value changes its own line only.
    void untouchedLinesKeepTheirBytes() {
        Settings settings;
        bool hints = true;
        loadRegistrySettings(settings, hints);
        settings.addPlaylists.file = QStringLiteral("/music/Caf\u00E9.m3u");
        settings.mp3Cd.folder = QStringLiteral("\u20AC");
        QVERIFY(saveRegistrySettings(settings, hints).isOk());
        const QString file = ConfigLocations::userRegistryFile();
        QByteArray before = readBytes(file);
        before.replace("Caf\xC3\xA9", "Caf\xE9").replace("\xE2\x82\xAC", "\x80");
        before.replace("Platterbox]\r\n", "Platterbox]\r\n; r\xE9sum\xE9\r\n");
        writeBytes(file, before);

        Settings loaded;
        loadRegistrySettings(loaded, hints);
        QCOMPARE(loaded.addPlaylists.file, settings.addPlaylists.file);
        QCOMPARE(loaded.mp3Cd.folder, settings.mp3Cd.folder);
        QVERIFY(saveRegistrySettings(loaded, hints).isOk());
        QCOMPARE(readBytes(file), before);
        loaded.window.top = 0x2A;
        QVERIFY(saveRegistrySettings(loaded, hints).isOk());
        QCOMPARE(readBytes(file), QByteArray(before).replace("\"frmMain_Top\"=dword:00000064",
                                                             "\"frmMain_Top\"=dword:0000002a"));
    }

    // A FIFO or a device where a settings file belongs, through a real start and close: the
    // program never waits on it and leaves it as it is. In place of user.reg it reads as no
    // settings and takes none, so the close goes on and saves the INI file without a message;
    // in place of the INI file it is reported, as an unreadable one is.
    void fifoInPlaceOfASettingsFile_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("planted"); // "fifo", or the device a link leads to
        QTest::addColumn<QStringList>("messages");
        const QString userReg = QStringLiteral("config/Platterbox/user.reg");
        QTest::newRow("user.reg, a FIFO") << userReg << QStringLiteral("fifo") << QStringList();
        QTest::newRow("user.reg, a link to /dev/null")
            << userReg << QStringLiteral("/dev/null") << QStringList();
        QTest::newRow("user.reg, a link to /dev/zero")
            << userReg << QStringLiteral("/dev/zero") << QStringList();
        QTest::newRow("INI file")
            << QStringLiteral("cd/Platterbox.Ini") << QStringLiteral("fifo")
            << QStringList{QStringLiteral("message:Error reading initialization information!"),
                           QStringLiteral("message:Error saving initialization information!")};
    }

    void fifoInPlaceOfASettingsFile() {
        QFETCH(QString, place);
        QFETCH(QString, planted);
        QFETCH(QStringList, messages);
        const QString folder = env_->path();
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/cd")));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/config/Platterbox")));
        const QString program = folder + QStringLiteral("/cd/Platterbox");
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY), program));
        const QString ini = folder + QStringLiteral("/cd/Platterbox.Ini");
        writeBytes(ini, "[General]\r\n");
        const QByteArray path = QFile::encodeName(folder + u'/' + place);
        QFile::remove(QFile::decodeName(path));
        if (planted == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else
            QCOMPARE(::symlink(QFile::encodeName(planted).constData(), path.constData()), 0);
        struct stat before {};
        QCOMPARE(::lstat(path.constData(), &before), 0);
        const QString script = folder + QStringLiteral("/answers");
        writeBytes(script, QByteArray());

        QVERIFY(TestSupport::startAndClose(program, folder + QStringLiteral("/config"),
                                           folder + QStringLiteral("/run"), script));
        QCOMPARE(TestSupport::dialogLog(script), messages);
        struct stat after {};
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        if (!place.endsWith(QLatin1String(".Ini")))
            QVERIFY(readBytes(ini).contains("grpShuffle_Tag="));
    }
};

QTEST_GUILESS_MAIN(TestRegistrySettings)
#include "tst_registrysettings.moc"
