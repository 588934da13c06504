#include "CollectionTestSupport.h"
#include "collection/FileNameCheck.h"
#include "collection/FolderWalk.h"
#include "common/gui/FindFolderAnimation.h"

#include <QFileInfo>
#include <QtTest>

using namespace CollectionTest;

// The folder walk, its wait window and the small helpers of the collection commands, on real
// folder trees.
class TestFolderWalk : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;

    // Walks with a step that records each folder (relative to the root) and goes on.
    static QStringList walkedFolders(const QString& root, WalkResult* result = nullptr) {
        QStringList folders;
        const WalkResult walked = walkFolders(root, [&](const QString& folder) {
            folders << below(root, folder);
            return StepResult::goOn();
        });
        if (result)
            *result = walked;
        return folders;
    }

    struct PaintCounter : QObject {
        explicit PaintCounter(int& paints) : paints_(paints) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++paints_;
            return false;
        }
        int& paints_;
    };

    static QStringList branchedTree() {
        return L({"A/A1/A1x/A1xy/", "A/A2/A2a/", "B/B1/", "C/", "A/song.mp3"});
    }

private Q_SLOTS:
    void walksEveryVisibleFolderDepthFirst_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("visited");
        QTest::newRow("no sub-folders") << L({"a.mp3"}) << L({""});
        QTest::newRow("branches") << branchedTree()
                                  << L({"", "A/", "A/A1/", "A/A1/A1x/", "A/A1/A1x/A1xy/", "A/A2/",
                                        "A/A2/A2a/", "B/", "B/B1/", "C/"});
        QTest::newRow("hidden and dotted folders are skipped with their sub-trees")
            << L({".hidden/inner/", "name./inner/", ".../", "x../", "A/.git/objects/", "A/.m3u/"})
            << L({"", "A/"});
        QTest::newRow("a folder named like a song is a folder")
            << L({"Best.MP3/inner/", "Best.MP3/inner/x.mp3"})
            << L({"", "Best.MP3/", "Best.MP3/inner/"});
    }

    void walksEveryVisibleFolderDepthFirst() {
        QFETCH(QStringList, tree);
        QFETCH(QStringList, visited);
        QTemporaryDir dir;
        makeTree(dir.path(), tree);
        WalkResult result;
        const QStringList folders = walkedFolders(dir.path(), &result);
        QVERIFY(result.completed);
        QVERIFY2(isDepthFirstPreOrder(folders), qPrintable(folders.join(u' ')));
        QStringList sorted = folders;
        sorted.sort();
        visited.sort();
        QCOMPARE(sorted, visited);
    }

    void startFolder_data() {
        QTest::addColumn<QString>("start"); // relative to the temporary folder, "-" for empty
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("completed");
        QTest::newRow("with trailing slash") << S("tree/") << 2 << true;
        QTest::newRow("without trailing slash") << S("tree") << 2 << true;
        QTest::newRow("missing") << S("gone") << 0 << false;
        QTest::newRow("a file") << S("tree/file.mp3") << 0 << false;
        QTest::newRow("empty") << S("-") << 0 << false;
    }

    void startFolder() {
        QFETCH(QString, start);
        QFETCH(int, steps);
        QFETCH(bool, completed);
        QTemporaryDir dir;
        makeTree(dir.path(), {QStringLiteral("tree/sub/"), QStringLiteral("tree/file.mp3")});
        const QString path = start == QLatin1String("-") ? QString() : dir.filePath(start);
        QStringList folders;
        const WalkResult result = walkFolders(path, [&](const QString& folder) {
            folders << folder;
            return StepResult::goOn();
        });
        QCOMPARE(folders.size(), steps);
        QCOMPARE(result.completed, completed);
        for (const QString& folder : std::as_const(folders))
            QVERIFY(folder.endsWith(u'/') && !folder.endsWith(QLatin1String("//")));
        if (steps > 0)
            QCOMPARE(folders.first(), dir.filePath(QStringLiteral("tree/")));
    }

    // Abort is noticed by the tick after the one whose events handled the click: the folder
    // shown then is processed completely, every later folder at the open levels gets one
    // tick and no search, and nothing deeper is listed.
    void abortIsNoticedByTheNextTick_data() {
        QTest::addColumn<QString>("abortAt"); // relative folder, "<last>" for the last one
        QTest::newRow("at the root") << S("");
        QTest::newRow("deep in the first branch") << S("A/A1/");
        QTest::newRow("at a leaf") << S("B/B1/");
        QTest::newRow("at the very last folder") << S("<last>");
    }

    void abortIsNoticedByTheNextTick() {
        QFETCH(QString, abortAt);
        QTemporaryDir dir;
        makeTree(dir.path(), branchedTree());
        const QString root = dir.path() + u'/';
        const QStringList order = walkedFolders(root); // the file system's order, stable
        if (abortAt == QLatin1String("<last>"))
            abortAt = order.last();

        QStringList ticked;
        QStringList processed;
        AbortWhenShowing abort(root + abortAt);
        const WalkResult result = WaitWindow::runWalk(
            QStringLiteral("Caption"), QStringLiteral("Header"), [&](WalkProgress& progress) {
                return walkFolders(root, [&](const QString& folder) {
                    ticked << below(root, folder);
                    if (!progress.tick(folder))
                        return StepResult::stop();
                    processed << below(root, folder);
                    return StepResult::goOn();
                });
            });
        QVERIFY(abort.clicked());

        const qsizetype at = order.indexOf(abortAt);
        QCOMPARE(processed, order.mid(0, at + 1));
        QCOMPARE(result.completed, at == order.size() - 1);
        // After the abort: exactly the not yet visited folders whose parent is the aborted
        // folder or one of its ancestors.
        QStringList expectedAfter;
        for (const QString& folder : order.mid(at + 1))
            if (abortAt.startsWith(parentOf(folder)))
                expectedAfter << folder;
        QCOMPARE(ticked.mid(at + 1), expectedAfter);
        QVERIFY(openWaitWindow() == nullptr);
    }

    void failingStepEndsTheWalkAtOnce() {
        QTemporaryDir dir;
        makeTree(dir.path(), branchedTree());
        const QStringList order = walkedFolders(dir.path());
        QStringList steps;
        const WalkResult result = walkFolders(dir.path(), [&](const QString& folder) {
            steps << below(dir.path(), folder);
            if (steps.size() == 3)
                return StepResult::fail(Status::failure(QStringLiteral("Cannot create file x")));
            return StepResult::goOn();
        });
        QCOMPARE(steps, order.mid(0, 3));
        QVERIFY(!result.completed);
        QCOMPARE(result.error.message(), QStringLiteral("Cannot create file x"));
    }

    void folderMadeByAStepIsVisitedLater() {
        QTemporaryDir dir;
        QStringList folders;
        const WalkResult result = walkFolders(dir.path(), [&](const QString& folder) {
            folders << below(dir.path(), folder);
            if (folders.size() == 1)
                QDir().mkdir(folder + QStringLiteral("made"));
            return StepResult::goOn();
        });
        QVERIFY(result.completed);
        QCOMPARE(folders, L({"", "made/"}));
    }

    // Links to folders are followed, but no folder is walked twice, so a loop ends.
    void symbolicLinkLoopsEnd() {
        QTemporaryDir dir;
        QTemporaryDir outside;
        makeTree(dir.path(), {QStringLiteral("A/deep/"), QStringLiteral("B/")});
        makeTree(outside.path(), {QStringLiteral("ext/")});
        QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("A/deep/loop"))));
        QVERIFY(QFile::link(QStringLiteral("../A"), dir.filePath(QStringLiteral("B/toA"))));
        QVERIFY(QFile::link(outside.path(), dir.filePath(QStringLiteral("B/out"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")),
                            dir.filePath(QStringLiteral("broken"))));

        QStringList canonical;
        const WalkResult result = walkFolders(dir.path(), [&](const QString& folder) {
            canonical << QFileInfo(folder).canonicalFilePath();
            return canonical.size() < 100 ? StepResult::goOn() : StepResult::stop();
        });
        QVERIFY(result.completed);
        QStringList real = {dir.path(),
                            dir.filePath(QStringLiteral("A")),
                            dir.filePath(QStringLiteral("A/deep")),
                            dir.filePath(QStringLiteral("B")),
                            outside.path(),
                            outside.filePath(QStringLiteral("ext"))};
        for (QString& path : real)
            path = QFileInfo(path).canonicalFilePath();
        canonical.sort();
        real.sort();
        QCOMPARE(canonical, real);
    }

    void waitWindowRunsTheProtocol() {
        QTemporaryDir dir;
        QPointer<WaitWindow> seen;
        bool checked = false;
        const WalkResult result = WaitWindow::runWalk(
            QStringLiteral("Creating Playlists"),
            QStringLiteral("Currently creating playlist for folder:"), [&](WalkProgress& progress) {
                return walkFolders(dir.path(), [&](const QString& folder) {
                    const bool goOn = progress.tick(folder);
                    seen = openWaitWindow();
                    if (!seen)
                        return StepResult::stop();
                    checked = seen->isVisible() && seen->keepsForeground() &&
                              !seen->abortRequested() &&
                              control<QLabel>(*seen, "currentFolderLabel")->text() == folder &&
                              seen->parentWidget() == nullptr &&
                              seen->windowTitle() == QLatin1String("Creating Playlists") &&
                              control<QLabel>(*seen, "headerLabel")->text() ==
                                  QLatin1String("Currently creating playlist for folder:");
                    return goOn ? StepResult::goOn() : StepResult::stop();
                });
            });
        QVERIFY(result.completed);
        QVERIFY(checked);
        QVERIFY(seen.isNull()); // destroyed when the walk ended
        QVERIFY(openWaitWindow() == nullptr);
    }

    // A slow walk: the folder shown is repainted about 30 times a second, not once a folder,
    // and the close box is answered within 50 ms (counted in folders of at least 2 ms each).
    void waitWindowPaintsSeldomAndAnswersQuickly() {
        QTemporaryDir dir;
        QStringList tree;
        for (int i = 0; i < 300; ++i)
            tree << QStringLiteral("f%1/").arg(i);
        makeTree(dir.path(), tree);
        constexpr qint64 closeAfterMs = 150;
        QElapsedTimer clock;
        int steps = 0;
        int dueAt = -1;
        int answeredAt = -1;
        int paints = 0;
        PaintCounter counter(paints);
        QTimer::singleShot(closeAfterMs, [&] {
            answeredAt = steps;
            if (auto* wait = openWaitWindow())
                wait->close();
        });
        clock.start();
        const WalkResult result = WaitWindow::runWalk(
            QStringLiteral("Caption"), QStringLiteral("Header"), [&](WalkProgress& progress) {
                control<QLabel>(*openWaitWindow(), "currentFolderLabel")
                    ->installEventFilter(&counter);
                return walkFolders(dir.path(), [&](const QString& folder) {
                    if (!progress.tick(folder))
                        return StepResult::stop();
                    if (dueAt < 0 && clock.elapsed() >= closeAfterMs)
                        dueAt = steps;
                    ++steps;
                    QThread::msleep(2);
                    return StepResult::goOn();
                });
            });
        const qint64 elapsed = clock.elapsed();
        QVERIFY(!result.completed);
        QVERIFY(answeredAt >= 0 && dueAt >= 0);
        QVERIFY2(answeredAt - dueAt <= 25, qPrintable(QString::number(answeredAt - dueAt)));
        QVERIFY2(paints >= 2 && paints <= elapsed / 33 + 2,
                 qPrintable(QStringLiteral("%1 paints in %2 ms").arg(paints).arg(elapsed)));
    }

    void waitWindowLooksTheWay() {
        WaitWindow wait;
        QCOMPARE(wait.size(), QSize(341, 114));
        const Qt::WindowFlags flags = wait.windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint)));
        QCOMPARE(control<QPushButton>(wait, "abortButton")->text(), QStringLiteral("Abort"));
        QCOMPARE(control<QPushButton>(wait, "abortButton")->toolTip(),
                 QStringLiteral("Abort operation"));
        QCOMPARE(control<QPushButton>(wait, "abortButton")->size(), QSize(75, 25));
        QVERIFY(!control<QPushButton>(wait, "abortButton")->icon().isNull());
        QCOMPARE(control<FindFolderAnimation>(wait, "findFolderAnimation")->size(), QSize(80, 50));
        QVERIFY(control<QLabel>(wait, "currentFolderLabel")->wordWrap());
        QVERIFY(!wait.keepsForeground() && !wait.abortRequested());
        QVERIFY(!control<FindFolderAnimation>(wait, "findFolderAnimation")
                     ->isActive()); // until the window is activated

        // A close request does not close it; it counts as Abort.
        wait.show();
        QVERIFY(!wait.close());
        QVERIFY(wait.isVisible());
        QVERIFY(wait.abortRequested());
        QVERIFY(!wait.tick(QStringLiteral("/x/")));
        QVERIFY(!wait.tick(QStringLiteral("/y/"))); // never reset
    }

    // A folder too long for the window keeps its start and its end, on one line.
    void waitWindowElidesLongFoldersInTheMiddle() {
        WaitWindow wait;
        wait.show();
        const QString folder = QStringLiteral("/home/listener/Music/") +
                               QString(30, QLatin1Char('a')) + QLatin1Char('/') +
                               QString(30, QLatin1Char('b')) + QStringLiteral("/Last Album/");
        wait.tick(folder);
        const QString shown = control<QLabel>(wait, "currentFolderLabel")->text();
        QVERIFY(shown.startsWith(QLatin1String("/home/lis")));
        QVERIFY(shown.endsWith(QLatin1String("Last Album/")));
        QVERIFY(shown.contains(QChar(0x2026)));
        QVERIFY(
            control<QLabel>(wait, "currentFolderLabel")->fontMetrics().horizontalAdvance(shown) <=
            control<QLabel>(wait, "currentFolderLabel")->contentsRect().width());
        // The window paints at most about 30 times a second: the next folder shows later.
        QTest::qWait(50);
        wait.tick(QStringLiteral("/short/"));
        QCOMPARE(control<QLabel>(wait, "currentFolderLabel")->text(), QStringLiteral("/short/"));
    }

    void waitWindowTakesTheForegroundBack() {
        WaitWindow wait;
        wait.setKeepsForeground(true);
        wait.show();
        wait.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&wait));
        QTRY_VERIFY(control<FindFolderAnimation>(wait, "findFolderAnimation")->isActive());
        const int frame = control<FindFolderAnimation>(wait, "findFolderAnimation")->frame();
        QTRY_VERIFY(control<FindFolderAnimation>(wait, "findFolderAnimation")->frame() != frame);

        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(wait.isActiveWindow());

        // Out of the way of a message box, and back.
        wait.setStayOnTop(false);
        QVERIFY(!(wait.windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!wait.keepsForeground());
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QTest::qWait(50);
        QVERIFY(other.isActiveWindow());
        wait.setStayOnTop(true);
        QVERIFY(wait.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(wait.keepsForeground());
        QVERIFY(wait.isVisible());
    }

    void validFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << S("PlayLists") << true;
        QTest::newRow("empty") << S("") << true;
        QTest::newRow("blanks and dots") << S("My Lists. 2") << true;
        QTest::newRow("nested path") << S("Lists/Rock") << false;
        QTest::newRow("backslash") << S("Lists\\Rock") << false;
        for (const char* c : {":", "*", "?", "<", ">", "|"})
            QTest::newRow(c) << (QStringLiteral("a") + QLatin1String(c) + QStringLiteral("b"))
                             << false;
        QTest::newRow("NUL") << QString(QStringLiteral("a") + QChar(0)) << false;
    }

    void validFileNames() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(isValidFileName(name), valid);
    }
};

QTEST_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
