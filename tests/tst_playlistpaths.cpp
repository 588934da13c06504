#include "CollectionTestSupport.h"
#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "collection/gui/AddPlaylistsDialog.h"
#include "collection/gui/CreatePlaylistsDialog.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace CollectionTest;

namespace {
// Qt names files in UTF-8, so files whose names are not are made by their bytes.
void writeNative(const QByteArray& path, const QByteArray& bytes) {
    ::mkdir(path.left(path.lastIndexOf('/')).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size(),
             path.constData());
    ::close(fd);
}

bool existsNative(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0;
}
} // namespace

// A playlist whose name is not UTF-8 (Latin-1, as discs and disks written on Windows hold)
// keeps its bytes on every way into the list and out of it: shown, played and saved.
class TestPlaylistPaths : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QByteArray root() const { return QFile::encodeName(dir_->path()) + '/'; }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(player_.isValid());
        player_.applyToThisProcess();
    }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void cleanup() {
        f_.reset();
        removeNativeTree(root());
    }

    void latin1NamesKeepTheirBytes_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QByteArray>("listed"); // below the test folder
        QTest::newRow("read from the INI file") << S("ini") << QByteArray("caf\xe9/caf\xe9.m3u");
        // Written on Windows in its code page, read where the disk shows the names in UTF-8.
        QTest::newRow("INI file in Windows-1252, the disk in UTF-8")
            << S("ini") << QByteArray("caf\xc3\xa9/caf\xc3\xa9.m3u");
        QTest::newRow("found by Add") << S("add") << QByteArray("caf\xe9/caf\xe9.m3u");
        QTest::newRow("written by Create") << S("create") << QByteArray("caf\xe9/_caf\xe9.M3U");
        QTest::newRow("dropped") << S("drop") << QByteArray("caf\xe9/caf\xe9.m3u");
        QTest::newRow("renamed") << S("rename") << QByteArray("caf\xe9/new.m3u");
    }

    void latin1NamesKeepTheirBytes() {
        QFETCH(QString, way);
        QFETCH(QByteArray, listed);
        const QByteArray folder = root() + listed.left(listed.indexOf('/') + 1);
        writeNative(folder + "song.mp3", "ID3");
        if (way != QLatin1String("create"))
            writeNative(way == QLatin1String("rename") ? QByteArray(folder + "caf\xe9.m3u")
                                                       : QByteArray(root() + listed),
                        "song.mp3\r\n");
        const QByteArray ini = root() + "Platterbox.Ini";
        writeNative(ini, way == QLatin1String("ini") || way == QLatin1String("rename")
                             ? "[PlayLists]\r\nTotal=1\r\nFile0=caf\xe9/caf\xe9.m3u\r\n"
                             : "[PlayLists]\r\nTotal=0\r\n");
        f_ = std::make_unique<MainWindowFixture>(dir_->filePath(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->create(dir_->filePath(QStringLiteral("Platterbox")));

        if (way == QLatin1String("add")) {
            ModalDialogDriver<AddPlaylistsDialog> driver([&](AddPlaylistsDialog& dialog) {
                control<QRadioButton>(dialog, "folderRadio")->setChecked(true);
                control<QLineEdit>(dialog, "folderEdit")->setText(dir_->path());
                control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(true);
                control<QPushButton>(dialog, "okButton")->click();
            });
            buttonOf(window, "addPlaylistsButton")->click();
            QVERIFY(driver.ran() && !driver.leftOpen());
        } else if (way == QLatin1String("create")) {
            ModalDialogDriver<CreatePlaylistsDialog> driver([&](CreatePlaylistsDialog& dialog) {
                control<QRadioButton>(dialog, "inMusicFoldersRadio")->setChecked(true);
                control<QLineEdit>(dialog, "baseFolderEdit")->setText(dir_->path());
                control<QCheckBox>(dialog, "subFoldersCheck")->setChecked(true);
                control<QPushButton>(dialog, "createButton")->click();
            });
            buttonOf(window, "createPlaylistsButton")->click();
            QVERIFY(driver.ran() && !driver.leftOpen());
            f_->dialogs.clear(); // the success message
        } else if (way == QLatin1String("drop")) {
            auto* data = new QMimeData;
            data->setUrls(
                {QUrl::fromEncoded("file://" + folder.toPercentEncoding("/") + "caf%E9.m3u")});
            // As a file manager's drop arrives: entering the list, then dropping on it.
            QWidget* viewport = playlistViewOf(window)->viewport();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &drop);
            QTRY_COMPARE(f_->playlists().size(), 1);
            delete data;
        } else if (way == QLatin1String("rename")) {
            f_->dialogs.answerText(QStringLiteral("%1caf\u00e9/new.m3u").arg(dir_->path() + u'/'));
            QTest::keyClick(playlistViewOf(window), Qt::Key_F2);
            QVERIFY(!existsNative(folder + "caf\xe9.m3u"));
        }

        QCOMPARE(f_->playlists(), QList<QByteArray>{root() + listed});
        QVERIFY(existsNative(f_->playlists().at(0)));
        QCOMPARE(f_->playlistNames(), QStringList{decodeText(NativePath::fileName(listed))});
        f_->clickPlaylist(0);
        QCOMPARE(f_->songTexts(), QStringList{QStringLiteral("song.mp3")});
        QCOMPARE(f_->dialogs.messages(), QStringList());

        const int before = int(player_.launches().size());
        QTest::keyClick(playlistViewOf(window), Qt::Key_Return);
        QVERIFY(player_.waitForLaunches(before + 1));
        QCOMPARE(player_.launches().at(before).playlist, folder + "song.mp3\r\n");

        QVERIFY(window.close());
        const QByteArray saved = TestSupport::readBytes(QFile::decodeName(ini));
        QVERIFY2(saved.contains(QByteArray("File0=" + listed + "\r\n")), saved.constData());
    }
};

QTEST_MAIN(TestPlaylistPaths)
#include "tst_playlistpaths.moc"
