#include "CollectionTestSupport.h"
#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "collection/gui/AddPlaylistsDialog.h"
#include "collection/gui/CreatePlaylistsDialog.h"
#include "collection/gui/Mp3CdWizard.h"
#include "platform/ConfigLocations.h"
#include "startup/Installation.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace CollectionTest;
using TestSupport::readBytes;
using TestSupport::writeBytes;

// One fixed session from the first start to the close, and every file it leaves behind, byte
// for byte as they were recorded: a change of names inside the program must not change what
// a user's files hold. PLATTERBOX_WRITE_GOLDEN=1 records the session anew.
class TestGolden : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindowFixture> f_;
    QByteArray outputs_;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    void record(const char* name, QByteArray bytes) {
        bytes.replace(QFile::encodeName(dir_.path()), "<root>");
        outputs_ += QByteArray("== ") + name + " ==\n" + bytes + "\n";
    }

    static QByteArray names(const QString& folder) {
        return QDir(folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
            .join(u'\n')
            .toUtf8();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(player_.isValid() && dir_.isValid());
        player_.applyToThisProcess();
    }

    void cleanupTestCase() {
        f_.reset();
        removeNativeTree(QFile::encodeName(dir_.path()));
    }

    void sessionLeavesTheSameFiles() {
        makeTree(path(QStringLiteral("music")),
                 L({"Rock/b.MP3", "Rock/a.mp3", "Rock/Live/z.wav", "Jazz/x.mid", "old.m3u"}));
        const QByteArray latin1 = QFile::encodeName(path(QStringLiteral("music"))) + "/caf\xe9";
        QVERIFY(::mkdir(latin1.constData(), 0755) == 0);
        ::close(::open(QByteArray(latin1 + "/s.mp3").constData(), O_WRONLY | O_CREAT, 0644));
        makeTree(path(QStringLiteral("cd")), L({"Disc/t.mp3"}));
        writeBytes(path(QStringLiteral("prog/Platterbox.Ini")),
                   "; kept\r\n[General]\r\ngrpShuffle_Tag=0\r\n[PlayLists]\r\nTotal=1\r\n"
                   "File0=../music/old.m3u\r\n");
        QVERIFY(QFile::copy(QStringLiteral(PLATTERBOX_BINARY),
                            path(QStringLiteral("prog/Platterbox"))));

        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        f_->dialogs.answerYesNo(false); // install now? No
        f_->dialogs.answerYesNo(false); // prompt again for this version? No
        QCOMPARE(runInstallationCheck(f_->dialogs, path(QStringLiteral("prog/Platterbox")),
                                      [](const QString&, const QStringList&) { return false; }),
                 InstallationOutcome::Continue);
        MainWindow& window = f_->create(path(QStringLiteral("prog/Platterbox")));

        ModalDialogDriver<CreatePlaylistsDialog> create([&](CreatePlaylistsDialog& dialog) {
            control<QRadioButton>(dialog, "inPlaylistsFolderRadio")->setChecked(true);
            control<QLineEdit>(dialog, "playlistsFolderEdit")->setText(QStringLiteral("Lists"));
            control<QLineEdit>(dialog, "baseFolderEdit")->setText(path(QStringLiteral("music")));
            control<QCheckBox>(dialog, "sortCheck")->setChecked(true);
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(true);
            control<QPushButton>(dialog, "createButton")->click();
        });
        buttonOf(window, "createPlaylistsButton")->click();
        QVERIFY(create.ran() && !create.leftOpen());

        ModalDialogDriver<AddPlaylistsDialog> add([&](AddPlaylistsDialog& dialog) {
            control<QRadioButton>(dialog, "folderRadio")->setChecked(true);
            control<QLineEdit>(dialog, "folderEdit")->setText(path(QStringLiteral("music/Lists")));
            control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(false);
            control<QPushButton>(dialog, "okButton")->click();
        });
        buttonOf(window, "addPlaylistsButton")->click();
        QVERIFY(add.ran() && !add.leftOpen());

        QTest::keyClick(playlistViewOf(window), Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(playlistViewOf(window), Qt::Key_Return);
        QVERIFY(player_.waitForLaunches(1));
        record("played", player_.launches().at(0).playlist);

        ModalDialogDriver<Mp3CdWizard> cd([&](Mp3CdWizard& dialog) {
            control<QLineEdit>(dialog, "folderEdit")->setText(path(QStringLiteral("cd")));
            control<QPushButton>(dialog, "createButton")->click();
        });
        buttonOf(window, "mp3CdButton")->click();
        QVERIFY2(cd.ran() && !cd.leftOpen(), qPrintable(f_->dialogs.messages().join(u'|')));
        QVERIFY(window.close());

        record("dialogs", f_->dialogs.messages().join(u'\n').toUtf8() + '\n' +
                              f_->dialogs.questions().join(u'\n').toUtf8());
        record("created", names(path(QStringLiteral("music/Lists"))));
        for (const QString& list : QDir(path(QStringLiteral("music/Lists"))).entryList(QDir::Files))
            record(list.toUtf8().constData(),
                   readBytes(path(QStringLiteral("music/Lists/")) + list));
        record("cd", names(path(QStringLiteral("cd"))) + '\n' +
                         names(path(QStringLiteral("cd/Platterbox"))) + '\n' +
                         names(path(QStringLiteral("cd/Disc"))));
        record("cd INI", readBytes(path(QStringLiteral("cd/Platterbox/Platterbox.Ini"))));
        record("cd AutoRun.INF", readBytes(path(QStringLiteral("cd/AutoRun.INF"))));
        record("cd autorun.sh", readBytes(path(QStringLiteral("cd/autorun.sh"))));
        record("INI", readBytes(path(QStringLiteral("prog/Platterbox.Ini"))));
        record("user.reg", readBytes(ConfigLocations::userRegistryFile()));
        record("system.reg", readBytes(ConfigLocations::systemRegistryFile()));

        const QString golden = QStringLiteral(PLATTERBOX_SOURCE_DIR "/tests/golden/session.txt");
        if (qEnvironmentVariableIntValue("PLATTERBOX_WRITE_GOLDEN") == 1)
            writeBytes(golden, outputs_);
        QCOMPARE(outputs_, readBytes(golden));
    }
};

QTEST_MAIN(TestGolden)
#include "tst_golden.moc"
