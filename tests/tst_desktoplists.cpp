#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "XSession.h"

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QSplitter>
#include <QUrl>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// Skips the test (not only a helper) when the desktop it needs is not there.
#define REQUIRE_DESKTOP()                                                                          \
    do {                                                                                           \
        if (const QString missing = missingDesktop(); !missing.isEmpty())                          \
            QSKIP(qPrintable(missing));                                                            \
    } while (false)

namespace {
// A file manager's window: a press and a move start a drag of its files.
class FileSource : public QLabel {
public:
    QStringList files;

protected:
    void mousePressEvent(QMouseEvent*) override { pressed_ = true; }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!pressed_ || !(event->buttons() & Qt::LeftButton))
            return;
        pressed_ = false;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        auto* data = new QMimeData;
        data->setUrls(urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::MoveAction);
    }

private:
    bool pressed_ = false;
};
} // namespace

// The lists on a real X server with a window manager and a real pointer: hints, clicks on
// empty space, reordering without a drag, and files dropped from a file manager.
class TestDesktopLists : public QObject {
    Q_OBJECT

    XSession& session_;
    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }

    // Why the real desktop cannot be used, or empty.
    QString missingDesktop() const {
        if (!session_.isRunning())
            return QStringLiteral("Needs Xvfb and openbox: ") + session_.problem();
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            return QStringLiteral("Needs xdotool for the pointer");
        return {};
    }

    // Starts the window with these playlists (paths relative to a fresh folder), shown and
    // active.
    MainWindow& start(const QStringList& names) {
        dir_ = std::make_unique<QTemporaryDir>();
        QByteArray ini = "[PlayLists]\r\nTotal=" + QByteArray::number(names.size()) + "\r\n";
        for (qsizetype i = 0; i < names.size(); ++i) {
            writeBytes(path(names.at(i)), "song" + QByteArray::number(i) + ".mp3\r\n");
            ini += "File" + QByteArray::number(i) + "=" + names.at(i).toUtf8() + "\r\n";
        }
        writeBytes(path(QStringLiteral("Platterbox.Ini")), ini);
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        f_->settings.preferences.saveIniOnClose = true;
        MainWindow& window = f_->create(path(QStringLiteral("Platterbox")));
        window.setGeometry(400, 100, 500, 600);
        window.show();
        if (QTest::qWaitForWindowExposed(&window)) {
            window.findChild<QSplitter*>(QStringLiteral("listSplitter"))->setSizes({350, 250});
            window.activateWindow();
            if (!QTest::qWaitForWindowActive(&window))
                qWarning("window not active");
        }
        QCoreApplication::processEvents();
        return window;
    }

    static QStringList sevenNames() {
        QStringList names;
        for (int i = 0; i < 7; ++i)
            names << QStringLiteral("p%1.m3u").arg(i);
        return names;
    }

    // The real pointer: xdotool with its arguments.
    static void pointer(const QStringList& arguments) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), arguments);
        QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 15000);
        QCOMPARE(xdotool.exitCode(), 0);
    }

    static QStringList moveTo(const QPoint& global) {
        return {QStringLiteral("mousemove"), QString::number(global.x()),
                QString::number(global.y())};
    }

    static QPoint globalCentre(QListView* view, int row) {
        return view->viewport()->mapToGlobal(MainWindowFixture::itemCentre(view, row));
    }

    static QLabel* hintOf(QWidget& window) {
        return window.findChild<QLabel*>(QStringLiteral("itemHint"));
    }

    // The file names in the order the saved INI file lists them.
    QStringList savedOrder() const {
        QStringList names;
        const QList<QByteArray> lines =
            readBytes(path(QStringLiteral("Platterbox.Ini"))).split('\n');
        for (const QByteArray& line : lines)
            if (line.startsWith("File"))
                names << QFileInfo(QString::fromUtf8(line.mid(line.indexOf('=') + 1).trimmed()))
                             .fileName();
        return names;
    }

    static QStringList names(std::initializer_list<int> numbers) {
        QStringList result;
        for (int n : numbers)
            result << QStringLiteral("p%1.m3u").arg(n);
        return result;
    }

public:
    explicit TestDesktopLists(XSession& session) : session_(session) {}

private Q_SLOTS:
    void initTestCase() { player_.applyToThisProcess(); }
    void cleanup() { f_.reset(); }

    // The hint stays while the pointer rests, follows it to the next item, and lets a click
    // through to the item under it.
    void hintStaysAndLetsClicksThrough() {
        REQUIRE_DESKTOP();
        const QString deep = QStringLiteral("a/rather/long/folder/name/for/the/hint/to/cover/");
        MainWindow& window =
            start({deep + QStringLiteral("first.m3u"), deep + QStringLiteral("second.m3u"),
                   deep + QStringLiteral("third.m3u")});
        QListView* list = playlistViewOf(window);
        QLabel* hint = hintOf(window);
        pointer(moveTo(globalCentre(list, 1) - QPoint(2, 0)));
        pointer(moveTo(globalCentre(list, 1)));
        QTRY_VERIFY_WITH_TIMEOUT(hint->isVisible(), 10000); // roomy for a busy machine
        QCOMPARE(hint->text(), path(deep + QStringLiteral("second.m3u")));
        for (int sample = 0; sample < 10; ++sample) {
            QTest::qWait(100);
            QVERIFY2(hint->isVisible(),
                     qPrintable(QStringLiteral("gone after %1 ms").arg((sample + 1) * 100)));
        }
        // Over the item's text, under the pointer: the click must still reach the list.
        QVERIFY(hint->geometry().contains(QCursor::pos()));
        pointer(moveTo(globalCentre(list, 2)));
        QTRY_COMPARE_WITH_TIMEOUT(hint->text(), path(deep + QStringLiteral("third.m3u")), 300);
        QVERIFY(hint->geometry().contains(QCursor::pos()));
        pointer({QStringLiteral("click"), QStringLiteral("1")});
        QTRY_COMPARE(selectedRowsOf(list), QList<int>{2});
        QCOMPARE(currentRowOf(list), 2);
        // Off the list, the hint goes.
        pointer(moveTo(window.mapToGlobal(QPoint(-50, -50))));
        QTRY_VERIFY(!hint->isVisible());
    }

    // A press on the empty space below the items leaves the selection; a double-click there
    // plays it, and leaves it too.
    void emptySpaceKeepsTheSelection() {
        REQUIRE_DESKTOP();
        MainWindow& window = start(sevenNames().mid(0, 3));
        QListView* list = playlistViewOf(window);
        f_->clickPlaylist(0);
        f_->clickPlaylist(2, Qt::ControlModifier);
        QCOMPARE(selectedRowsOf(list), QList<int>({0, 2}));
        const int launches = int(player_.launches().size());
        pointer(moveTo(list->viewport()->mapToGlobal(QPoint(10, list->viewport()->height() - 5))));
        pointer({QStringLiteral("click"), QStringLiteral("1")});
        QTest::qWait(300);
        pointer({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
        QVERIFY(player_.waitForLaunches(launches + 1));
        QCOMPARE(selectedRowsOf(list), QList<int>({0, 2}));
        QCOMPARE(player_.launches().at(launches).playlist,
                 (path(QStringLiteral("song0.mp3")) + QStringLiteral("\r\n") +
                  path(QStringLiteral("song2.mp3")) + QStringLiteral("\r\n"))
                     .toUtf8());
        // The same double-click on an item plays it.
        pointer(moveTo(globalCentre(list, 1)));
        pointer({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
        QVERIFY(player_.waitForLaunches(launches + 2));
    }

    void reorderingWithoutADrag_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<bool>("possible");
        QTest::newRow("Ctrl+Up moves a block")
            << QList<int>{2, 3} << "Ctrl+Up" << names({0, 2, 3, 1, 4, 5, 6}) << true;
        QTest::newRow("Ctrl+Down moves a block")
            << QList<int>{2, 3} << "Ctrl+Down" << names({0, 1, 4, 2, 3, 5, 6}) << true;
        QTest::newRow("Move Up on scattered rows")
            << QList<int>{1, 4} << "moveUpAction" << names({1, 0, 2, 4, 3, 5, 6}) << true;
        QTest::newRow("Move Down to the end")
            << QList<int>{5} << "moveDownAction" << names({0, 1, 2, 3, 4, 6, 5}) << true;
        QTest::newRow("Ctrl+Up at the top moves nothing")
            << QList<int>{0, 1} << "Ctrl+Up" << names({0, 1, 2, 3, 4, 5, 6}) << false;
        QTest::newRow("Move Down at the end is disabled")
            << QList<int>{6} << "moveDownAction" << names({0, 1, 2, 3, 4, 5, 6}) << false;
    }

    // The keys and the popup reorder the playlists, the selection goes with them, and the
    // INI file saved on closing has the new order.
    void reorderingWithoutADrag() {
        QFETCH(QList<int>, selected);
        QFETCH(QString, command);
        QFETCH(QStringList, order);
        QFETCH(bool, possible);
        MainWindow& window = start(sevenNames());
        QListView* list = playlistViewOf(window);
        f_->clickPlaylist(selected.first());
        for (int row : selected.mid(1))
            f_->clickPlaylist(row, Qt::ControlModifier);
        const QString focused = f_->playlistNames().at(selected.last());
        if (command.startsWith(QLatin1String("Ctrl+"))) {
            f_->pressKey(list, command.endsWith(QLatin1String("Up")) ? Qt::Key_Up : Qt::Key_Down,
                         Qt::ControlModifier);
        } else {
            f_->chooseFromPopup(list, selected.last(), command.toLatin1().constData());
            QCOMPARE(f_->menuItem(command.toLatin1().constData())->isEnabled(), possible);
        }
        QCOMPARE(f_->playlistNames(), order);
        QCOMPARE(f_->playlistNames().at(currentRowOf(list)), focused);
        QStringList selectedNames;
        for (int row : selectedRowsOf(list))
            selectedNames << f_->playlistNames().at(row);
        QStringList before;
        for (int row : selected)
            before << QStringLiteral("p%1.m3u").arg(row);
        selectedNames.sort();
        QCOMPARE(selectedNames, before);
        window.close();
        QCOMPARE(savedOrder(), order);
    }

    // The moves belong to the playlist list: its popup has them, the song list's has not.
    void moveItemsOnlyForPlaylists() {
        MainWindow& window = start(sevenNames().mid(0, 2));
        f_->clickPlaylist(1);
        f_->chooseFromPopup(playlistViewOf(window), 1, "moveUpAction");
        QCOMPARE(f_->playlistNames(), names({1, 0}));
        f_->chooseFromPopup(songViewOf(window), 0, "moveUpAction");
        QVERIFY(!f_->menuItem("moveUpAction")->isVisible());
        QVERIFY(!f_->menuItem("moveDownAction")->isVisible());
        QCOMPARE(f_->playlistNames(), names({1, 0}));
        songViewOf(window)->setFocus();
        QTest::keyClick(songViewOf(window), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f_->playlistNames(), names({1, 0}));
    }

    // Two playlist files and a folder dragged from a file manager: the playlists join the
    // list in order, the folder's found down its sub-folders; other files stay out, and
    // nothing already listed moves or goes.
    void droppedFilesAreAdded() {
        REQUIRE_DESKTOP();
        MainWindow& window = start(sevenNames().mid(0, 2));
        f_->clickPlaylist(1);
        writeBytes(path(QStringLiteral("drop/First.M3U")), "a.mp3\r\n");
        writeBytes(path(QStringLiteral("drop/notes.txt")), "not a playlist\r\n");
        writeBytes(path(QStringLiteral("drop/Tree/one/two/deep.m3u")), "b.mp3\r\n");
        writeBytes(path(QStringLiteral("drop/Tree/one/two/deep.PLS")),
                   "[playlist]\r\nFile1=c.mp3\r\nNumberOfEntries=1\r\n");
        writeBytes(path(QStringLiteral("drop/Tree/one/cover.jpg")), "jpeg");
        writeBytes(path(QStringLiteral("drop/last.pls")),
                   "[playlist]\r\nFile1=d.mp3\r\nNumberOfEntries=1\r\n");
        FileSource source;
        source.setText(QStringLiteral("files"));
        source.files = QStringList{
            path(QStringLiteral("drop/First.M3U")), path(QStringLiteral("drop/notes.txt")),
            path(QStringLiteral("drop/Tree")), path(QStringLiteral("drop/last.pls"))};
        source.setGeometry(50, 100, 200, 120);
        source.show();
        QVERIFY(QTest::qWaitForWindowExposed(&source));
        const QPoint from = source.mapToGlobal(QPoint(100, 60));
        QListView* list = playlistViewOf(window);
        const QPoint to = globalCentre(list, 0);
        const QStringList pause{QStringLiteral("sleep"), QStringLiteral("0.15")};
        pointer(moveTo(from) + pause +
                QStringList{QStringLiteral("mousedown"), QStringLiteral("1")} +
                moveTo(from + QPoint(10, 0)) + pause + moveTo(from + QPoint(30, 0)) + pause +
                moveTo(to) + pause + moveTo(to + QPoint(1, 1)) + pause +
                QStringList{QStringLiteral("mouseup"), QStringLiteral("1")});
        QTRY_COMPARE(f_->playlistNames().size(), 6);
        QCOMPARE(TestSupport::pathTexts(f_->playlists()),
                 QStringList({path(QStringLiteral("p0.m3u")), path(QStringLiteral("p1.m3u")),
                              path(QStringLiteral("drop/First.M3U")),
                              path(QStringLiteral("drop/Tree/one/two/deep.m3u")),
                              path(QStringLiteral("drop/Tree/one/two/deep.PLS")),
                              path(QStringLiteral("drop/last.pls"))}));
        // They join selected, as found playlists do.
        QCOMPARE(selectedRowsOf(list), QList<int>({1, 2, 3, 4, 5}));
        QVERIFY(QFileInfo::exists(path(QStringLiteral("drop/First.M3U"))));
    }
};

int main(int argc, char* argv[]) {
    // The X server and window manager come before the application connects to a display.
    XSession session;
    QApplication app(argc, argv);
    TestDesktopLists test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktoplists.moc"
