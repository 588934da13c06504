#include "TestSupport.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "playlists/SongListModel.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>

namespace {
QList<QByteArray> numberedPaths(int count) {
    QList<QByteArray> paths;
    for (int i = 0; i < count; ++i)
        paths << "/music/" + QByteArray::number(i) + ".m3u";
    return paths;
}

// Every signal by which a model or its selection tells a view about a change.
struct ChangeCounter {
    ChangeCounter(PlaylistListModel& model, QItemSelectionModel& selectionModel)
        : inserted(&model, &QAbstractItemModel::rowsInserted),
          removed(&model, &QAbstractItemModel::rowsRemoved),
          reset(&model, &QAbstractItemModel::modelReset),
          layout(&model, &QAbstractItemModel::layoutChanged),
          selection(&selectionModel, &QItemSelectionModel::selectionChanged) {}
    qsizetype total() const {
        return inserted.size() + removed.size() + reset.size() + layout.size() + selection.size();
    }
    QSignalSpy inserted, removed, reset, layout, selection;
};
} // namespace

// The playlist list's rules without a window: every command costs a bounded number of model
// and selection changes whatever the number of rows, and every change of rows is noticed by a
// command that was given before it.
class TestPlaylistListModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Paths as an INI file wrote them take the disk's spelling when their row is first shown
    // or used, and only then; the list keeps what it shows.
    void letterCaseIsFoundWhenARowIsUsed() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TestSupport::writeBytes(dir.filePath(QStringLiteral("lists/rock.m3u")), "a.mp3\r\n");
        const QByteArray root = QFile::encodeName(dir.path());
        PlaylistListModel model;
        model.replaceAll({root + "/LISTS/Rock.M3U", root + "/gone/x.m3u"});
        QCOMPARE(model.paths().first(), root + "/LISTS/Rock.M3U");
        QCOMPARE(model.index(0).data().toString(), QStringLiteral("rock.m3u"));
        QTRY_COMPARE(model.paths().first(), root + "/lists/rock.m3u");
        QCOMPARE(model.path(1), root + "/gone/x.m3u");
    }

    // A row shown takes the disk's spelling once the event loop is back, unless the list
    // changed meanwhile: a row then never takes the spelling of the file shown in its place.
    void shownSpellingGoesToTheRowShown_data() {
        QTest::addColumn<QString>("change");       // between the showing and the event loop
        QTest::addColumn<QStringList>("expected"); // the rows' paths below the folder
        QTest::newRow("none") << QStringLiteral("none")
                              << QStringList{QStringLiteral("lists/rock.m3u"),
                                             QStringLiteral("LISTS/POP.M3U")};
        QTest::newRow("rows swapped")
            << QStringLiteral("swap")
            << QStringList{QStringLiteral("LISTS/POP.M3U"), QStringLiteral("LISTS/ROCK.M3U")};
        QTest::newRow("first row removed")
            << QStringLiteral("remove") << QStringList{QStringLiteral("LISTS/POP.M3U")};
        QTest::newRow("list replaced")
            << QStringLiteral("replace")
            << QStringList{QStringLiteral("LISTS/POP.M3U"), QStringLiteral("LISTS/ROCK.M3U")};
    }

    void shownSpellingGoesToTheRowShown() {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TestSupport::writeBytes(dir.filePath(QStringLiteral("lists/rock.m3u")), "a.mp3\r\n");
        TestSupport::writeBytes(dir.filePath(QStringLiteral("lists/pop.m3u")), "b.mp3\r\n");
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        PlaylistListModel model({root + "LISTS/ROCK.M3U", root + "LISTS/POP.M3U"});
        QCOMPARE(model.index(0).data().toString(), QStringLiteral("rock.m3u"));
        if (change == QLatin1String("swap"))
            model.moveRowsByOne({1}, -1);
        else if (change == QLatin1String("remove"))
            model.removeRowsAt({0});
        else if (change == QLatin1String("replace"))
            model.replaceAll({root + "LISTS/POP.M3U", root + "LISTS/ROCK.M3U"});
        QCoreApplication::processEvents();
        QStringList paths;
        for (const QByteArray& path : model.paths())
            paths << QFile::decodeName(path.mid(root.size()));
        QCOMPARE(paths, expected);
    }

    void commandsOnManyRowsChangeTheModelAFewTimes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("maxChanges");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<int>("selectionRanges"); // at most
        QTest::newRow("append found playlists") << QStringLiteral("append") << 2 << 40000 << 2;
        QTest::newRow("select all") << QStringLiteral("selectAll") << 1 << 20000 << 1;
        QTest::newRow("remove the selected") << QStringLiteral("removeAll") << 2 << 0 << 0;
        QTest::newRow("remove every other row") << QStringLiteral("removeOdd") << 2 << 10000 << 0;
        QTest::newRow("move every other row up") << QStringLiteral("upOdd") << 2 << 20000 << 1;
        QTest::newRow("sort") << QStringLiteral("sort") << 2 << 20000 << 0;
    }

    void commandsOnManyRowsChangeTheModelAFewTimes() {
        QFETCH(QString, command);
        QFETCH(int, maxChanges);
        QFETCH(int, rowsAfter);
        QFETCH(int, selectionRanges);
        PlaylistListModel model;
        QItemSelectionModel selectionModel(&model); // as the view makes it
        RowSelection selection(selectionModel);
        model.append(numberedPaths(20000));
        selection.selectAll();
        QList<int> odd;
        for (int row = 1; row < 20000; row += 2)
            odd << row;
        const quint64 generation = model.generation();
        const ChangeCounter changes(model, selectionModel);
        const std::map<QString, std::function<void()>> commands{
            {QStringLiteral("append"),
             [&] {
                 model.append(numberedPaths(20000));
                 selection.selectRange(20000, model.count() - 1);
             }},
            {QStringLiteral("selectAll"), [&] { selection.selectAll(); }},
            {QStringLiteral("removeAll"), [&] { model.removeRowsAt(selection.rows()); }},
            {QStringLiteral("removeOdd"), [&] { model.removeRowsAt(odd); }},
            {QStringLiteral("upOdd"), [&] { model.moveRowsByOne(odd, -1); }},
            {QStringLiteral("sort"), [&] { model.sortByName(); }},
        };
        commands.at(command)();
        QVERIFY2(changes.total() <= maxChanges, qPrintable(QString::number(changes.total())));
        QCOMPARE(model.count(), rowsAfter);
        const QList<QByteArray>& paths = model.paths();
        QCOMPARE(paths.size(), rowsAfter);
        QVERIFY(selectionModel.selection().size() <= selectionRanges);
        if (command != QLatin1String("selectAll"))
            QVERIFY(model.generation() > generation);
        if (command == QLatin1String("removeOdd"))
            QCOMPARE(paths.at(1), QByteArray("/music/2.m3u"));
        if (command == QLatin1String("upOdd"))
            QCOMPARE(paths.first(2), QList<QByteArray>({"/music/1.m3u", "/music/0.m3u"}));
    }

    // A command's target holds until the list's rows, the shown playlist or its file change.
    void commandTargetNoticesChanges_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        const QString list =
            QStringLiteral("The list of playlists has changed meanwhile; nothing was changed.");
        QTest::newRow("nothing") << QStringLiteral("nothing") << QString();
        QTest::newRow("rows removed") << QStringLiteral("remove") << list;
        QTest::newRow("rows appended") << QStringLiteral("append") << list;
        QTest::newRow("rows moved") << QStringLiteral("move") << list;
        QTest::newRow("list replaced") << QStringLiteral("replace") << list;
        QTest::newRow("other playlist shown")
            << QStringLiteral("focus")
            << QStringLiteral("Another playlist is shown now; nothing was changed.");
        QTest::newRow("file rewritten")
            << QStringLiteral("rewrite")
            << QStringLiteral("\rThe file was changed by another program since it was shown; "
                              "nothing was written.");
    }

    void commandTargetNoticesChanges() {
        QFETCH(QString, change);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QByteArray first = QFile::encodeName(dir.filePath(QStringLiteral("caf\u00e9.m3u")));
        const QByteArray second = QFile::encodeName(dir.filePath(QStringLiteral("b.m3u")));
        TestSupport::writeBytes(QFile::decodeName(first), "a.mp3\r\n");
        TestSupport::writeBytes(QFile::decodeName(second), "b.mp3\r\n");
        PlaylistListModel list({first, second});
        QItemSelectionModel selectionModel(&list);
        RowSelection selection(selectionModel);
        SongListModel songs;
        selection.setCurrentRow(0);
        selection.select(0);
        QVERIFY(songs.load(first, first).isOk());
        QItemSelectionModel songSelectionModel(&songs);
        const CommandTarget target =
            CommandTarget::ofSongs(list, songs, RowSelection(songSelectionModel));
        if (change == QLatin1String("remove"))
            list.removeRowsAt({1});
        else if (change == QLatin1String("append"))
            list.append({second});
        else if (change == QLatin1String("move"))
            list.moveRowsByOne({1}, -1);
        else if (change == QLatin1String("replace"))
            list.replaceAll({first, second});
        else if (change == QLatin1String("focus"))
            selection.setCurrentRow(1), (void)songs.load(second, second);
        else if (change == QLatin1String("rewrite"))
            TestSupport::writeBytes(QFile::decodeName(first), "a.mp3\r\nadded.mp3\r\n");
        const Status holds = target.stillHolds(list, selection, songs);
        QCOMPARE(holds.failed(), !message.isEmpty());
        if (change == QLatin1String("rewrite"))
            QCOMPARE(holds.message(), QFile::decodeName(first) + message);
        else if (holds.failed())
            QCOMPARE(holds.message(), message);
    }
};

QTEST_MAIN(TestPlaylistListModel)
#include "tst_playlistlistmodel.moc"
