#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "playlists/ListSorting.h"
#include "playlists/PlaylistFile.h"
#include "playlists/SongListModel.h"

#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QSplitter>
#include <QToolButton>
#include <QtTest>

#include <cstdio>
#include <numeric>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {
QList<int> selectedRows(QListView* view) {
    return selectedRowsOf(view);
}

// How songs were sorted before each text's key was made once: a stable sort comparing texts.
QList<qsizetype> comparedOrder(const QStringList& texts, const QCollator& collator) {
    QList<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(texts.at(a), texts.at(b)) < 0;
    });
    return order;
}

QList<int> toIntList(const QVariantList& values) {
    QList<int> ints;
    for (const QVariant& value : values)
        ints << value.toInt();
    return ints;
}
} // namespace

// Editing both lists through the commands of the popup menu and the keys: sorting, removing
// and editing song entries, renaming playlist files, dragging, removing and deleting playlists.
class TestListEditing : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }

    // Starts the window with these playlists (relative paths, created with the given text).
    MainWindow& start(const QList<QPair<QString, QByteArray>>& playlists) {
        dir_ = std::make_unique<QTemporaryDir>();
        QByteArray ini = "[PlayLists]\r\nTotal=" + QByteArray::number(playlists.size()) + "\r\n";
        for (qsizetype i = 0; i < playlists.size(); ++i) {
            if (!playlists.at(i).second.isNull())
                writeBytes(path(playlists.at(i).first), playlists.at(i).second);
            ini += "File" + QByteArray::number(i) + "=" + playlists.at(i).first.toUtf8() + "\r\n";
        }
        writeBytes(path(QStringLiteral("Platterbox.Ini")), ini);
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        MainWindow& window = f_->createShown(path(QStringLiteral("Platterbox")));
        window.findChild<QSplitter*>(QStringLiteral("listSplitter"))->setSizes({350, 250});
        QCoreApplication::processEvents();
        return window;
    }

    MainWindow& startWithSevenPlaylists() {
        QList<QPair<QString, QByteArray>> lists;
        for (int i = 0; i < 7; ++i)
            lists.append(
                {QStringLiteral("p%1.m3u").arg(i), "song" + QByteArray::number(i) + "\r\n"});
        return start(lists);
    }

    // Selects rows with clicks and Ctrl+clicks, leaving the focus on `current`.
    void select(QListView* view, const QList<int>& rows, int current) {
        const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                              MainWindowFixture::itemCentre(view, row));
            QCoreApplication::processEvents();
        };
        click(rows.isEmpty() ? current : rows.first(), Qt::NoModifier);
        for (qsizetype i = 1; i < rows.size(); ++i)
            click(rows.at(i), Qt::ControlModifier);
        click(current, Qt::ControlModifier);
        // A second Ctrl+click gives the focused row back the state the table asks for.
        if (!rows.isEmpty())
            click(current, Qt::ControlModifier);
    }

private Q_SLOTS:
    void cleanup() {
        f_.reset();
        dir_.reset();
    }

    void removingPlaylists_data() {
        QTest::addColumn<bool>("deleteFiles");
        QTest::addColumn<QVariantList>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("readOnly"); // a playlist made read-only first, or -1
        const auto names = [](const QList<int>& indices) {
            QStringList result;
            for (int i : indices)
                result << QStringLiteral("p%1.m3u").arg(i);
            return result;
        };
        QTest::newRow("3 and 5 of seven")
            << false << QVariantList{3, 5} << true << names({0, 1, 2, 4, 6}) << 2 << -1;
        QTest::newRow("first among them")
            << false << QVariantList{0, 4} << true << names({1, 2, 3, 5, 6}) << 0 << -1;
        QTest::newRow("nothing selected")
            << false << QVariantList{} << true << names({0, 1, 2, 3, 4, 5, 6}) << 0 << -1;
        QTest::newRow("answered No")
            << false << QVariantList{3, 5} << false << names({0, 1, 2, 3, 4, 5, 6}) << 4 << -1;
        QTest::newRow("all") << false << QVariantList{0, 1, 2, 3, 4, 5, 6} << true << QStringList()
                             << -1 << -1;
        QTest::newRow("delete 1 and 6")
            << true << QVariantList{1, 6} << true << names({0, 2, 3, 4, 5}) << 0 << -1;
        // It cannot be deleted, but leaves the list all the same.
        QTest::newRow("delete 1 and read-only 6")
            << true << QVariantList{1, 6} << true << names({0, 2, 3, 4, 5}) << 0 << 6;
    }

    void removingPlaylists() {
        QFETCH(bool, deleteFiles);
        QFETCH(QVariantList, selected);
        QFETCH(bool, answer);
        QFETCH(QStringList, remaining);
        QFETCH(int, current);
        QFETCH(int, readOnly);
        MainWindow& window = startWithSevenPlaylists();
        const QString lockedName = QStringLiteral("p%1.m3u").arg(readOnly);
        if (readOnly >= 0)
            QVERIFY(QFile::setPermissions(path(lockedName), QFile::ReadOwner | QFile::ReadGroup));
        select(playlistViewOf(window), toIntList(selected), 4);
        f_->dialogs.answerYesNo(answer);
        if (deleteFiles)
            f_->chooseFromPopup(f_->playlistView(), -1, "deletePlaylistsAction");
        else
            buttonOf(window, "removePlaylistsButton")->click();

        QCOMPARE(f_->dialogs.questions(),
                 QStringList{deleteFiles
                                 ? QStringLiteral("Actually delete the selected playlists file(s)?")
                                 : QStringLiteral("Remove the selected item(s)?")});
        QCOMPARE(f_->playlistNames(), remaining);
        QCOMPARE(f_->playlists().size(), remaining.size());
        for (qsizetype i = 0; i < remaining.size(); ++i)
            QCOMPARE(QFile::decodeName(f_->playlists().at(i)), path(remaining.at(i)));
        QCOMPARE(currentRowOf(playlistViewOf(window)), current);
        if (!answer) {
            QCOMPARE(selectedRows(playlistViewOf(window)), toIntList(selected));
        } else if (current >= 0) {
            QCOMPARE(selectedRows(playlistViewOf(window)), QList<int>{current});
            QCOMPARE(f_->songTexts(),
                     QStringList{QStringLiteral("song") + remaining.at(current).mid(1, 1)});
        }
        QCOMPARE(buttonOf(window, "executeButton")->isEnabled(), !remaining.isEmpty());
        QCOMPARE(buttonOf(window, "removePlaylistsButton")->isEnabled(), !remaining.isEmpty());
        for (int i = 0; i < 7; ++i) {
            const QString name = QStringLiteral("p%1.m3u").arg(i);
            const bool deleted =
                deleteFiles && answer && !remaining.contains(name) && name != lockedName;
            QCOMPARE(QFileInfo::exists(path(name)), !deleted);
        }
    }

    void deletingAPlaylistListedTwice() {
        MainWindow& window = start({{QStringLiteral("a.m3u"), "x\r\n"},
                                    {QStringLiteral("a.m3u"), "x\r\n"},
                                    {QStringLiteral("b.m3u"), "y\r\n"}});
        select(playlistViewOf(window), {0, 1}, 0);
        f_->dialogs.answerYesNo(true);
        QTest::keyClick(playlistViewOf(window), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(f_->playlistNames(), QStringList{QStringLiteral("b.m3u")});
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("a.m3u"))));
        QVERIFY(QFileInfo::exists(path(QStringLiteral("b.m3u"))));
        QCOMPARE(f_->dialogs.messages(), QStringList());
    }

    void removingSongEntries_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QVariantList>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QByteArray>("written");
        const QByteArray extended = "#EXTM3U\r\n#EXTINF:1,A\r\na.mp3\n#EXTINF:2,B\r\nb.mp3\r\n";
        QTest::newRow("one of three")
            << QByteArray("a\r\nb\r\nc\r\n") << QVariantList{1} << true << QByteArray("a\r\nc\r\n");
        QTest::newRow("all") << QByteArray("a\r\nb\r\n") << QVariantList{0, 1} << true
                             << QByteArray("");
        QTest::newRow("Yes with none selected drops the #EXT lines")
            << extended << QVariantList{} << true << QByteArray("a.mp3\r\nb.mp3\r\n");
        QTest::newRow("No keeps the file") << extended << QVariantList{0} << false << extended;
        QTest::newRow("PLS stays PLS")
            << QByteArray("[playlist]\r\nNumberOfEntries=2\r\nFile1=a\r\nFile2=b\r\n")
            << QVariantList{0} << true
            << QByteArray("[playlist]\r\nFile1=b\r\nNumberOfEntries=1\r\nVersion=2\r\n");
        QTest::newRow("untouched entries keep their bytes")
            << QByteArray("caf\xe9.mp3\r\nx\r\n") << QVariantList{1} << true
            << QByteArray("caf\xe9.mp3\r\n");
        QTest::newRow("XSPF drops whole tracks, every other byte kept")
            << QByteArray("<playlist><title>T</title><trackList>\n <track><location>a</location>"
                          "</track>\n <track><location>b</location></track>\n</trackList>"
                          "</playlist>")
            << QVariantList{0} << true
            << QByteArray("<playlist><title>T</title><trackList>\n <track><location>b</location>"
                          "</track>\n</trackList></playlist>");
    }

    void removingSongEntries() {
        QFETCH(QByteArray, content);
        QFETCH(QVariantList, selected);
        QFETCH(bool, answer);
        QFETCH(QByteArray, written);
        MainWindow& window = start({{QStringLiteral("list.pls"), content}});
        songViewOf(window)->setFocus();
        select(songViewOf(window), toIntList(selected), 0);
        f_->dialogs.answerYesNo(answer);
        QTest::keyClick(songViewOf(window), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(f_->dialogs.questions(),
                 QStringList{QStringLiteral("Remove the selected item(s) from playlist?")});
        QCOMPARE(readBytes(path(QStringLiteral("list.pls"))), written);
        QCOMPARE(f_->songTexts().size(), songViewOf(window)->model()->rowCount());
    }

    void readOnlyPlaylistIsNotChanged() {
        const QByteArray content = "#EXTM3U\r\nb.mp3\r\na.mp3\r\n";
        MainWindow& window = start({{QStringLiteral("ro.m3u"), content}});
        QVERIFY(QFile::setPermissions(path(QStringLiteral("ro.m3u")), QFile::ReadOwner));
        songViewOf(window)->setFocus();
        QTest::keyClick(songViewOf(window), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(f_->dialogs.messages(), QStringList{path(QStringLiteral("ro.m3u")) +
                                                     QStringLiteral("\rUnable to update file!")});
        QCOMPARE(readBytes(path(QStringLiteral("ro.m3u"))), content);
        // The list shows the file's content again: the edit is lost, not kept.
        QCOMPARE(f_->songTexts(), QStringList({QStringLiteral("b.mp3"), QStringLiteral("a.mp3")}));
    }

    // A playlist is rewritten only from all it holds: UTF-16 text is read and written back as
    // UTF-16; a NUL byte or binary data cut the reading short, so the file is left alone.
    void playlistsNotReadWhole_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("written"); // null: refused, the file stays as it was
        QTest::addColumn<QStringList>("shown");
        const auto utf16 = [](const QString& text, bool little) {
            QStringEncoder encoder(little ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                                   QStringEncoder::Flag::WriteBom);
            return QByteArray(encoder.encode(text));
        };
        QByteArray binary(4096, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 37 + 11) % 256);
        const QByteArray nul("a.mp3\r\nb\0c.mp3\r\nd.mp3\r\n", 22);
        QTest::newRow("UTF-16LE sorted")
            << utf16(QStringLiteral("b\u00e9.mp3\r\na.mp3\r\n"), true) << int(Qt::Key_S)
            << int(Qt::AltModifier) << utf16(QStringLiteral("a.mp3\r\nb\u00e9.mp3\r\n"), true)
            << QStringList{QStringLiteral("a.mp3"), QStringLiteral("b\u00e9.mp3")};
        QTest::newRow("UTF-16BE extended, entry removed")
            << utf16(QStringLiteral("#EXTM3U\r\n#EXTINF:1,x\r\nb.mp3\r\n#EXTINF:2,y\r\na.mp3\r\n"),
                     false)
            << int(Qt::Key_Delete) << int(Qt::ShiftModifier)
            << utf16(QStringLiteral("a.mp3\r\n"), false) << QStringList{QStringLiteral("a.mp3")};
        QTest::newRow("UTF-16LE with a lone surrogate")
            << QByteArray("\xFF\xFEx\0\x00\xD8\r\0\n\0", 10) << int(Qt::Key_S)
            << int(Qt::AltModifier) << QByteArray() << QStringList();
        QTest::newRow("NUL inside a line, sort")
            << nul << int(Qt::Key_S) << int(Qt::AltModifier) << QByteArray() << QStringList();
        QTest::newRow("NUL inside a line, remove")
            << nul << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << QByteArray()
            << QStringList();
        QTest::newRow("NUL inside a line, edit")
            << nul << int(Qt::Key_F2) << 0 << QByteArray() << QStringList();
        // A binary first line makes no playlist at all (no song to act on); after a line of
        // text, the rest is read and refused a rewrite.
        QTest::newRow("binary after a first line of text, remove")
            << "a.mp3\r\n" + binary << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << QByteArray()
            << QStringList();
    }

    void playlistsNotReadWhole() {
        QFETCH(QByteArray, content);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, shown);
        MainWindow& window = start({{QStringLiteral("w.m3u"), content}});
        f_->clickSong(0);
        f_->dialogs.answerYesNo(true);
        f_->dialogs.answerText(QStringLiteral("new.mp3"));
        QTest::keyClick(songViewOf(window), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (written.isNull()) {
            QCOMPARE(f_->dialogs.records().size(), 1);
            QCOMPARE(f_->dialogs.messages(),
                     QStringList{path(QStringLiteral("w.m3u")) +
                                 QStringLiteral("\rUnable to update file, it is not plain text!")});
            QCOMPARE(readBytes(path(QStringLiteral("w.m3u"))), content);
        } else {
            QCOMPARE(f_->dialogs.messages(), QStringList());
            QCOMPARE(readBytes(path(QStringLiteral("w.m3u"))), written);
            QCOMPARE(f_->songTexts(), shown);
        }
    }

    // The order by keys is the order by comparisons, texts as shown (non-UTF-8 entries as
    // Windows-1252), in the collation of the user's locale and of a few others.
    void sortingByKeysKeepsTheOrderOfComparisons_data() {
        QTest::addColumn<QList<QByteArray>>("entries");
        QTest::newRow("letter case")
            << QList<QByteArray>{"b.mp3", "A.mp3", "a.mp3", "B.mp3", "C.mp3", "c.MP3"};
        QTest::newRow("accents") << QList<QByteArray>{
            "\xC3\xA9t\xC3\xA9", "ete", "Ete", "f", "\xC3\x84rger", "Arger", "z", "\xC3\xB8", "o"};
        QTest::newRow("digits") << QList<QByteArray>{"file10", "file2", "file1", "File1",
                                                     "9",      "10",    "1 0",   "\xD9\xA3"};
        QTest::newRow("equal texts keep their order")
            << QList<QByteArray>{"Song.mp3", "x.mp3", "song.mp3", "SONG.mp3", "sonG.mp3"};
        QTest::newRow("bytes beyond UTF-8") << QList<QByteArray>{
            "caf\xE9.mp3", "cafe.mp3", "caf\xC3\xA9.mp3", "\xFF", "\x80", "Caf\xC9.mp3"};
        QTest::newRow("empty and ignorable texts")
            << QList<QByteArray>{"a", "", "\x01", "", "\xE2\x80\x8B", "\x01"};
        QTest::newRow("punctuation and blanks")
            << QList<QByteArray>{"a b", "a-b", "ab", "a_b", "a.b", "a  b", "-ab", " ab"};
        QTest::newRow("paths with a long common part") << QList<QByteArray>{
            "..\\Music\\Artist 1\\Album 10\\2 Title.mp3",
            "..\\Music\\Artist 1\\Album 1\\2 Title.mp3", "../Music/Artist 1/Album 1/2 title.mp3",
            "..\\Music\\Artist 10\\Album 1\\2 Title.mp3"};
    }

    void sortingByKeysKeepsTheOrderOfComparisons() {
        QFETCH(QList<QByteArray>, entries);
        QStringList texts;
        for (const QByteArray& entry : entries)
            texts << decodeEntry(entry);
        QList<QCollator> collators{sortCollator()};
        for (const char* name : {"de_DE", "sv_SE", "en_US", "fr_FR"}) {
            QCollator collator{QLocale(QString::fromLatin1(name))};
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            collators << collator;
        }
        for (const QCollator& collator : std::as_const(collators)) {
            const QList<qsizetype> expected = comparedOrder(texts, collator);
            QCOMPARE(localeSortedOrder(texts, collator), expected);
            const auto sorted = localeSortedOrder(
                texts.size(), [&](qsizetype i, QString&) { return QStringView(texts.at(i)); },
                collator, [] { return true; });
            QVERIFY(sorted);
            QCOMPARE(*sorted, expected);
        }
    }

    // A long sort asks now and then whether to go on; told to stop, it gives no order.
    void aLongSortStopsWhenTold_data() {
        QTest::addColumn<int>("goOnTicks");
        QTest::addColumn<bool>("sorted");
        QTest::newRow("stopped while making keys") << 0 << false;
        QTest::newRow("stopped while sorting") << 1 << false;
        QTest::newRow("never stopped") << 1000 << true;
    }

    void aLongSortStopsWhenTold() {
        QFETCH(int, goOnTicks);
        QFETCH(bool, sorted);
        QStringList texts;
        // Keys of half of them are made on this thread, more than go between two ticks.
        for (int i = 0; i < 150000; ++i)
            texts << QString::number((i * 7919) % 150000);
        int ticks = 0;
        const auto order = localeSortedOrder(
            texts.size(), [&](qsizetype i, QString&) { return QStringView(texts.at(i)); },
            sortCollator(), [&] { return ticks++ < goOnTicks; });
        // Stopped at the first "no", or asked a few times over the whole sort.
        QCOMPARE(order.has_value(), sorted);
        if (!sorted)
            QCOMPARE(ticks, goOnTicks + 1);
        else
            QVERIFY(ticks > 1);
        if (sorted)
            QCOMPARE(*order, comparedOrder(texts, sortCollator()));
    }

    // Sort Songs orders the file's entries as the list shows them, whatever its form.
    void sortingSongsOrdersEntriesAsShown_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<QByteArray>>("entries");
        // Windows-1252 puts U+0153 at 0x9C, which must sort as "oe", not as an ignored control.
        const QList<QByteArray> windows1252{"p.mp3",  "\x9C.mp3", "oa.mp3",
                                            "of.mp3", "\x80.mp3", "n.mp3"};
        QTest::newRow("M3U, bytes beyond UTF-8") << QStringLiteral("s.m3u") << windows1252;
        QTest::newRow("PLS, bytes beyond UTF-8") << QStringLiteral("s.pls") << windows1252;
        // U+FDFA and U+FDFB stand for whole phrases: their keys outgrow the room first made.
        QTest::newRow("ligatures of whole phrases, long keys")
            << QStringLiteral("s.m3u")
            << QList<QByteArray>{QString::fromUtf16(u"\uFDFA\uFDFA\uFDFB").toUtf8(),
                                 QString::fromUtf16(u"\uFDFA\uFDFA\uFDFA").toUtf8(),
                                 QString::fromUtf16(u"\uFDFA\uFDFA").toUtf8(), "a.mp3"};
        QTest::newRow("a UTF-8 mark before an entry") << QStringLiteral("s.m3u")
                                                      << QList<QByteArray>{"c.mp3",
                                                                           "\xEF\xBB\xBF"
                                                                           "b.mp3",
                                                                           "B.mp3", "a.mp3"};
    }

    void sortingSongsOrdersEntriesAsShown() {
        QFETCH(QString, name);
        QFETCH(QList<QByteArray>, entries);
        const bool pls = name.endsWith(QLatin1String(".pls"));
        QByteArray content = pls ? "[playlist]\r\n" : "#EXTM3U\r\n";
        QStringList texts;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            content += (pls ? "File" + QByteArray::number(i + 1) + '=' : QByteArray()) +
                       entries.at(i) + "\r\n";
            texts << decodeEntry(entries.at(i));
        }
        if (pls)
            content += "NumberOfEntries=" + QByteArray::number(entries.size()) + "\r\n";
        EntryList sorted;
        for (qsizetype row : comparedOrder(texts, sortCollator()))
            sorted << entries.at(row);
        MainWindow& window = start({{name, content}});
        f_->chooseFromPopup(songViewOf(window), 0, "sortSongsAction");
        QCOMPARE(readBytes(path(name)), pls ? plsText(sorted) : playlistText(sorted));
        QCOMPARE(f_->dialogs.records().size(), 0);
    }

    // A long list is keyed and sorted in two halves, then merged: equal texts keep their order
    // across the halves too.
    void aLongSortKeepsEqualTextsInOrder_data() {
        QTest::addColumn<int>("distinct");
        QTest::newRow("every text once") << 120000;
        QTest::newRow("a few texts over and over") << 7;
        QTest::newRow("one text") << 1;
    }

    void aLongSortKeepsEqualTextsInOrder() {
        QFETCH(int, distinct);
        QStringList texts;
        for (int i = 0; i < 120000; ++i) {
            const QString text = QStringLiteral("Song %1").arg((i * 7919) % distinct);
            // Letter case differs among equal texts, so a sort by text alone would show.
            texts << (i % 3 == 0 ? text.toUpper() : text);
        }
        QCOMPARE(localeSortedOrder(texts, sortCollator()), comparedOrder(texts, sortCollator()));
    }

    void sortingSongsRewritesTheFile() {
        MainWindow& window =
            start({{QStringLiteral("s.m3u"), "b.mp3\r\nA.mp3\r\n#EXTINF\r\nc.mp3\r\n"}});
        f_->chooseFromPopup(songViewOf(window), 0, "sortSongsAction");
        QCOMPARE(readBytes(path(QStringLiteral("s.m3u"))),
                 QByteArray("#EXTINF\r\nA.mp3\r\nb.mp3\r\nc.mp3\r\n"));
        QCOMPARE(f_->dialogs.records().size(), 0);
    }

    // A long XML playlist is still being read when the window shows; a sort takes every song.
    void sortingALongXspfWhileItIsRead() {
        // More than a turn of the event loop reads: not UTF-8, so QXmlStreamReader reads it.
        const int tracks = 200000;
        QByteArray xspf = "<playlist><!-- caf\xE9 --><trackList>";
        for (int i = tracks; i > 0; --i)
            xspf += "<track><location>" + QByteArray::number(i).rightJustified(6, '0') +
                    ".mp3</location></track>";
        MainWindow& window =
            start({{QStringLiteral("long.xspf"), xspf + "</trackList></playlist>"}});
        QVERIFY(songViewOf(window)->model()->rowCount() < tracks);
        f_->chooseFromPopup(songViewOf(window), 0, "sortSongsAction");
        const IndexedPlaylist sorted = indexPlaylist(readBytes(path(QStringLiteral("long.xspf"))));
        QCOMPARE(sorted.entries.size(), tracks);
        QCOMPARE(sorted.entries.at(0), QByteArray("000001.mp3"));
        QCOMPARE(sorted.entries.at(tracks - 1), QByteArray("200000.mp3"));
        QCOMPARE(f_->dialogs.records().size(), 0);
    }

    // While a long playlist is read, a line below the songs says so and counts them; it goes
    // when the last song is in.
    void aLineSaysWhileSongsAreRead() {
        QByteArray xspf = "<playlist><!-- caf\xE9 --><trackList>";
        for (int i = 0; i < 200000; ++i)
            xspf += "<track><location>" + QByteArray::number(i) + ".mp3</location></track>";
        MainWindow& window =
            start({{QStringLiteral("long.xspf"), xspf + "</trackList></playlist>"}});
        const auto* view = songViewOf(window);
        const auto* line = view->findChild<QLabel*>(QStringLiteral("readingLine"));
        QVERIFY(line);
        QVERIFY(window.songs().isReading());
        QVERIFY(line->isVisible());
        QVERIFY(line->text().startsWith(QLatin1String("Reading songs... ")));
        QVERIFY(line->text().size() > QLatin1String("Reading songs... ").size());
        QTRY_VERIFY_WITH_TIMEOUT(!window.songs().isReading(), 60000);
        QCOMPARE(view->model()->rowCount(), 200000);
        QVERIFY(!line->isVisible());
    }

    void sortingPlaylistsByFullPath() {
        MainWindow& window = start({{QStringLiteral("B/x.m3u"), "bx\r\n"},
                                    {QStringLiteral("A/y.m3u"), "ay\r\n"},
                                    {QStringLiteral("a/z.m3u"), "az\r\n"}});
        select(playlistViewOf(window), {0, 1}, 1);
        QTest::keyClick(playlistViewOf(window), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(f_->playlistNames(), QStringList({QStringLiteral("y.m3u"), QStringLiteral("z.m3u"),
                                                   QStringLiteral("x.m3u")}));
        QCOMPARE(QFile::decodeName(f_->playlists().at(2)), path(QStringLiteral("B/x.m3u")));
        QCOMPARE(selectedRows(playlistViewOf(window)), QList<int>());
        QCOMPARE(currentRowOf(playlistViewOf(window)), 1);
        QCOMPARE(f_->songTexts(), QStringList{QStringLiteral("az")});
        QVERIFY(!readBytes(path(QStringLiteral("Platterbox.Ini"))).contains("File0=A/y.m3u"));
    }

    void editingAnEntry_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QByteArray>("written");
        const QByteArray original = "#EXTM3U\r\n#EXTINF:1,x\r\nold.mp3\r\nk\xe4se.mp3\r\n";
        QTest::newRow("new text") << std::optional<QString>(QStringLiteral("n\u00e9w.mp3"))
                                  << QByteArray("n\xc3\xa9w.mp3\r\nk\xe4se.mp3\r\n");
        QTest::newRow("cancel") << std::optional<QString>() << original;
        QTest::newRow("same text") << std::optional<QString>(QStringLiteral("old.mp3")) << original;
    }

    void editingAnEntry() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QByteArray, written);
        MainWindow& window = start(
            {{QStringLiteral("e.m3u"), "#EXTM3U\r\n#EXTINF:1,x\r\nold.mp3\r\nk\xe4se.mp3\r\n"}});
        f_->clickSong(0);
        f_->dialogs.answerText(answer);
        QTest::keyClick(songViewOf(window), Qt::Key_F2);
        const ScriptedDialogs::Record& asked = f_->dialogs.records().at(0);
        QCOMPARE(asked.caption, QStringLiteral("Edit item file name"));
        QCOMPARE(asked.text, QStringLiteral("Please enter the new name for the item: "));
        QCOMPARE(asked.defaultText, QStringLiteral("old.mp3"));
        QCOMPARE(readBytes(path(QStringLiteral("e.m3u"))), written);
    }

    // The input box holds 32,767 characters: a longer entry is refused, never cut.
    void tooLongAnEntryIsNotEdited() {
        const QByteArray list = QByteArray(40000, 'a') + ".mp3\r\nb.mp3\r\n";
        MainWindow& window = start({{QStringLiteral("long.m3u"), list}});
        f_->clickSong(0);
        QTest::keyClick(songViewOf(window), Qt::Key_F2);
        QCOMPARE(f_->dialogs.messages(),
                 {path(QStringLiteral("long.m3u")) +
                  QStringLiteral("\rUnable to edit the item, it is too long!")});
        QCOMPARE(f_->dialogs.records().size(), 1); // nothing asked
        QCOMPARE(readBytes(path(QStringLiteral("long.m3u"))), list);
    }

    void renamingAPlaylist_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("new name") << QStringLiteral("Rock/new.m3u") << true;
        QTest::newRow("target exists") << QStringLiteral("other.m3u") << false;
        QTest::newRow("missing folder") << QStringLiteral("nowhere/new.m3u") << false;
    }

    void renamingAPlaylist() {
        QFETCH(QString, answer);
        QFETCH(bool, renamed);
        MainWindow& window = start(
            {{QStringLiteral("Rock/old.m3u"), "a\r\n"}, {QStringLiteral("other.m3u"), "b\r\n"}});
        const QString target = path(answer);
        f_->dialogs.answerText(target);
        f_->chooseFromPopup(playlistViewOf(window), 0, "editPlaylistNameAction");
        const ScriptedDialogs::Record& asked = f_->dialogs.records().at(0);
        QCOMPARE(asked.caption, QStringLiteral("Edit playlist file name"));
        QCOMPARE(asked.text, QStringLiteral("Please enter the new name for the playlist: "));
        QCOMPARE(asked.defaultText, path(QStringLiteral("Rock/old.m3u")));
        if (renamed) {
            QCOMPARE(QFile::decodeName(f_->playlists().at(0)), target);
            QCOMPARE(f_->playlistNames().at(0), QStringLiteral("new.m3u"));
            QCOMPARE(readBytes(target), QByteArray("a\r\n"));
            QVERIFY(!QFileInfo::exists(path(QStringLiteral("Rock/old.m3u"))));
            QCOMPARE(f_->dialogs.messages(), QStringList());
        } else {
            QCOMPARE(f_->dialogs.messages(), QStringList{QStringLiteral("Unable to rename ") +
                                                         path(QStringLiteral("Rock/old.m3u")) +
                                                         QStringLiteral("\rinto ") + target});
            QCOMPARE(QFile::decodeName(f_->playlists().at(0)),
                     path(QStringLiteral("Rock/old.m3u")));
            QCOMPARE(readBytes(path(QStringLiteral("other.m3u"))), QByteArray("b\r\n"));
        }
    }

    void renamingToABareNameKeepsWhereTheFileIs() {
        MainWindow& window = start({{QStringLiteral("Rock/old.m3u"), "a\r\n"}});
        QVERIFY(QDir().mkpath(path(QStringLiteral("cwd"))));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(path(QStringLiteral("cwd"))));
        f_->dialogs.answerText(QStringLiteral("bare.m3u"));
        f_->chooseFromPopup(playlistViewOf(window), 0, "editPlaylistNameAction");
        QDir::setCurrent(before);
        // The file went to the current folder, and the list (saved in the INI file later)
        // names it there, not relative to wherever the INI file is.
        QCOMPARE(QFile::decodeName(f_->playlists().at(0)), path(QStringLiteral("cwd/bare.m3u")));
        QCOMPARE(readBytes(path(QStringLiteral("cwd/bare.m3u"))), QByteArray("a\r\n"));
        QCOMPARE(f_->playlistNames(), QStringList{QStringLiteral("bare.m3u")});
    }

    static bool onRealDisplay() {
        return QGuiApplication::platformName() == QLatin1String("xcb") &&
               !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
    }

    // The user's gesture on the X server: Alt held, press on a playlist, move, release at
    // `target` (viewport coordinates).
    void altDrag(int fromRow, const QPoint& target) {
        QListView* view = f_->playlistView();
        QWidget* viewport = view->viewport();
        viewport->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(viewport->window()));
        const QPoint from = viewport->mapToGlobal(MainWindowFixture::itemCentre(view, fromRow));
        const QPoint to = viewport->mapToGlobal(target);
        const auto at = [](const QPoint& point) {
            return QStringList{QStringLiteral("mousemove"), QString::number(point.x()),
                               QString::number(point.y()), QStringLiteral("sleep"),
                               QStringLiteral("0.15")};
        };
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
                      at(from) +
                          QStringList{QStringLiteral("keydown"), QStringLiteral("alt"),
                                      QStringLiteral("mousedown"), QStringLiteral("1")} +
                          at(from + QPoint(0, 6)) + at(from + QPoint(0, 12)) + at(to) +
                          at(to + QPoint(1, 0)) +
                          QStringList{QStringLiteral("mouseup"), QStringLiteral("1"),
                                      QStringLiteral("keyup"), QStringLiteral("alt")});
        QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 15000);
        QTest::qWait(200);
    }

    void draggingMovesThePressedPlaylist() {
        if (!onRealDisplay())
            QSKIP("Dragging needs an X server and xdotool; tst_listediting_x11 runs it there");
        MainWindow& window = startWithSevenPlaylists();
        select(playlistViewOf(window), {0, 4}, 4);
        QListView* list = playlistViewOf(window);
        altDrag(1, MainWindowFixture::itemCentre(list, 3));
        QCOMPARE(f_->playlistNames().mid(0, 5),
                 QStringList({QStringLiteral("p0.m3u"), QStringLiteral("p2.m3u"),
                              QStringLiteral("p3.m3u"), QStringLiteral("p1.m3u"),
                              QStringLiteral("p4.m3u")}));
        QCOMPARE(QFile::decodeName(f_->playlists().at(3)), path(QStringLiteral("p1.m3u")));
        QCOMPARE(currentRowOf(list), 3);
        QVERIFY(selectedRows(list).contains(3));
        // The songs shown are those of the dragged (focused) playlist.
        QCOMPARE(f_->songTexts(), QStringList{QStringLiteral("song1")});
    }

    // A drag moves the focus with the press; whatever happens to the drop, the song list
    // shows the focused playlist, so a sort writes that playlist's own songs into it.
    void sortAfterADragWritesOnlyTheFocusedPlaylist_data() {
        QTest::addColumn<bool>("dropOnItem");
        QTest::newRow("dropped on an item") << true;
        QTest::newRow("dropped below the items") << false;
    }

    void sortAfterADragWritesOnlyTheFocusedPlaylist() {
        if (!onRealDisplay())
            QSKIP("Dragging needs an X server and xdotool; tst_listediting_x11 runs it there");
        QFETCH(bool, dropOnItem);
        MainWindow& window =
            start({{QStringLiteral("a.m3u"), "z.mp3\r\ny.mp3\r\n"},
                   {QStringLiteral("b.pls"), "[playlist]\r\nFile1=d.mp3\r\n"
                                             "File2=c.mp3\r\nNumberOfEntries=2\r\n"}});
        QListView* list = playlistViewOf(window);
        QCOMPARE(f_->songTexts(), QStringList({QStringLiteral("z.mp3"), QStringLiteral("y.mp3")}));
        altDrag(1, dropOnItem ? MainWindowFixture::itemCentre(list, 0)
                              : QPoint(5, list->viewport()->height() - 2));
        QCOMPARE(f_->songTexts(), QStringList({QStringLiteral("d.mp3"), QStringLiteral("c.mp3")}));
        f_->clickSong(0);
        f_->pressKey(songViewOf(window), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(readBytes(path(QStringLiteral("a.m3u"))), QByteArray("z.mp3\r\ny.mp3\r\n"));
        QCOMPARE(readBytes(path(QStringLiteral("b.pls"))),
                 QByteArray("[playlist]\r\nFile1=c.mp3\r\nFile2=d.mp3\r\nNumberOfEntries=2\r\n"
                            "Version=2\r\n"));
    }

    // A file changed on disk after it was shown is not overwritten with the shown songs.
    void aPlaylistChangedOnDiskIsNotOverwritten_data() {
        QTest::addColumn<bool>("renamedOver");
        QTest::newRow("written later") << false;
        // Only its birth time tells the new file from the old one.
        QTest::newRow("renamed over it, same size and time") << true;
    }
    void aPlaylistChangedOnDiskIsNotOverwritten() {
        QFETCH(bool, renamedOver);
        MainWindow& window = start({{QStringLiteral("a.m3u"), "b.mp3\r\na.mp3\r\n"}});
        const QByteArray other =
            renamedOver ? "B.MP3\r\nA.MP3\r\n" : "written by another program\r\n";
        QTest::qWait(20); // a later modification or birth time
        if (renamedOver) {
            const QString original = path(QStringLiteral("a.m3u"));
            const QString replacement = path(QStringLiteral("a.m3u.new"));
            writeBytes(replacement, other);
            QFile file(replacement);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QFileInfo(original).lastModified(),
                                     QFileDevice::FileModificationTime));
            file.close();
            QVERIFY(::rename(QFile::encodeName(replacement).constData(),
                             QFile::encodeName(original).constData()) == 0);
        } else {
            writeBytes(path(QStringLiteral("a.m3u")), other);
        }
        f_->clickSong(0);
        f_->pressKey(songViewOf(window), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(readBytes(path(QStringLiteral("a.m3u"))), other);
        QCOMPARE(f_->dialogs.messages().size(), 1);
        QVERIFY(f_->dialogs.messages().at(0).startsWith(path(QStringLiteral("a.m3u")) + u'\r'));
    }

    void keysWithNothingToActOnDoNothing() {
        MainWindow& window = start({});
        for (int key : {Qt::Key_Delete, Qt::Key_F2, Qt::Key_S})
            QTest::keyClick(playlistViewOf(window), Qt::Key(key),
                            key == Qt::Key_S ? Qt::AltModifier : Qt::ShiftModifier);
        QTest::keyClick(playlistViewOf(window), Qt::Key_Delete);
        songViewOf(window)->setFocus();
        QTest::keyClick(songViewOf(window), Qt::Key_Delete, Qt::ShiftModifier);
        QTest::keyClick(songViewOf(window), Qt::Key_F2);
        QCOMPARE(f_->dialogs.records().size(), 0);
    }
};

QTEST_MAIN(TestListEditing)
#include "tst_listediting.moc"
