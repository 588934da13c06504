#include "CollectionTestSupport.h"
#include "FakePlayer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "collection/gui/FindMissingSongsDialog.h"

#include <QComboBox>
#include <QSplitter>
#include <QTreeView>
#include <QtTest>

using CollectionTest::control;
using CollectionTest::ModalDialogDriver;
using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

// What the user does in the review before OK, or what happens meanwhile.
enum class Review {
    Accept,
    ChooseSecondOfTie,
    ChooseBeyondTheCandidates,
    UncheckFirst,
    ChangeFile,
    ReplaceList,
    AbortWriting,
    Cancel
};

// The playlists under lists/, with the place of the collection "D" written into them.
const QList<QPair<QString, QByteArray>> Playlists = {
    {QStringLiteral("lists/mix.m3u"),
     "#EXTM3U\r\n#EXTINF:61,One\r\n../old/Artist/Album/01.mp3\r\n../keep/present.mp3\r\n"
     "#EXTINF:62,Gone\r\n../old/Artist/Album/99.mp3\r\n../old/X/Album/03.mp3\r\n"},
    {QStringLiteral("lists/abs.m3u"),
     "D/old/Band/LIVE/Track.mp3\nD/keep/present.mp3\nD/old/Rock/Live/a.mp3\n"},
    {QStringLiteral("lists/list.pls"),
     "[playlist]\r\nFile1=../old/Artist/Album/02 H\xc3\xa9llo.mp3\r\nTitle1=Hello\r\n"
     "File2=\" ../keep/present.mp3\"\r\nFile3=file://D/old/Artist/Album/02%20H%C3%A9llo.mp3\r\n"
     "NumberOfEntries=3\r\nVersion=2\r\n"},
    {QStringLiteral("lists/win.m3u"),
     "..\\old\\Artist\\Album\\01.mp3\r\n..\\keep\\present.mp3\r\n"},
};

// The collection after the move: albums in new places and other letter case, 01 also in a
// folder sharing less, 03 twice alike, 99 gone, " present.mp3" where it always was, and
// a.mp3 in its own folder's namesake and in a sibling of it.
const QStringList Songs = {
    QStringLiteral("new/Artist/Album/01.mp3"),
    QStringLiteral("new/Misc/01.mp3"),
    QStringLiteral("new/Artist/Album/02 Héllo.mp3"),
    QStringLiteral("new/Band/Live/track.MP3"),
    QStringLiteral("new/Artist/Album/03.mp3"),
    QStringLiteral("new/Other/Album/03.mp3"),
    QStringLiteral("keep/present.mp3"),
    QStringLiteral("keep/ present.mp3"),
    QStringLiteral("new/Rock/Live/a.mp3"),
    QStringLiteral("new/Rock/Studio/a.mp3"),
};

using Contents = QMap<QString, QByteArray>;
// A line of a playlist as first written, and what it is after the repair.
using Change = std::tuple<QString, QByteArray, QByteArray>;
using Changes = QList<Change>;

// Every song found once it is looked for in new/: the tie is no find.
const Changes EveryFound = {
    {QStringLiteral("lists/mix.m3u"), "../old/Artist/Album/01.mp3", "../new/Artist/Album/01.mp3"},
    {QStringLiteral("lists/abs.m3u"), "D/old/Band/LIVE/Track.mp3", "D/new/Band/Live/track.MP3"},
    {QStringLiteral("lists/list.pls"), "../old/Artist/Album/02", "../new/Artist/Album/02"},
    {QStringLiteral("lists/win.m3u"), "..\\old\\Artist\\Album\\01.mp3",
     "..\\new\\Artist\\Album\\01.mp3"},
    {QStringLiteral("lists/abs.m3u"), "D/old/Rock/Live/a.mp3", "D/new/Rock/Live/a.mp3"},
    // As GNOME's playlist parser writes PLS: a file URI stays one.
    {QStringLiteral("lists/list.pls"), "file://D/old/Artist/Album/02%20H",
     "file://D/new/Artist/Album/02%20H"},
};

} // namespace

// Find Missing Songs through the window: the playlists as written, and what is refused.
class TestFindMissing : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;
    FakePlayer player_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MainWindowFixture> f_;
    std::unique_ptr<CollectionTest::AbortWhenShowing> abortWriting_;

    QString path(const QString& relative) const { return dir_->filePath(relative); }
    QByteArray root() const { return QFile::encodeName(dir_->path()); }

    MainWindow& start() {
        dir_ = std::make_unique<QTemporaryDir>();
        QByteArray ini = "[PlayLists]\r\nTotal=" + QByteArray::number(Playlists.size()) + "\r\n";
        for (qsizetype i = 0; i < Playlists.size(); ++i) {
            writeBytes(path(Playlists.at(i).first),
                       QByteArray(Playlists.at(i).second).replace("D/", QByteArray(root() + '/')));
            ini += "File" + QByteArray::number(i) + '=' + Playlists.at(i).first.toUtf8() + "\r\n";
        }
        CollectionTest::makeTree(dir_->path(), Songs);
        writeBytes(path(QStringLiteral("Platterbox.Ini")), ini);
        f_ = std::make_unique<MainWindowFixture>(path(QStringLiteral("~PLATBX~.M3U")));
        return f_->createShown(path(QStringLiteral("Platterbox")));
    }

    Contents written() const {
        Contents contents;
        for (const auto& [name, text] : Playlists)
            contents.insert(name, readBytes(path(name)));
        return contents;
    }

    // The playlists as first written, with these lines (of the given playlists) replaced.
    Contents expected(const Changes& changes) const {
        Contents contents = written();
        for (const auto& [name, from, to] : changes)
            contents[name].replace(QByteArray(from).replace("D/", QByteArray(root() + '/')),
                                   QByteArray(to).replace("D/", QByteArray(root() + '/')));
        return contents;
    }

    // Runs the command from a list's popup, answering the folder chooser with new/ and acting
    // in the review.
    void findMissing(bool fromSongs, Review review) {
        MainWindow& window = *f_->window;
        f_->dialogs.answerFolder(path(QStringLiteral("new")));
        ModalDialogDriver<FindMissingSongsDialog> driver(
            [&](FindMissingSongsDialog& dialog) { act(window, dialog, review); });
        if (fromSongs) {
            f_->songView()->setFocus();
            f_->chooseFromPopup(f_->songView(), 0, "findMissingSongsAction");
        } else {
            f_->playlistView()->setFocus();
            f_->pressKey(f_->playlistView(), Qt::Key_A, Qt::AltModifier);
            f_->chooseFromPopup(f_->playlistView(), 0, "findMissingSongsAction");
        }
        QVERIFY(driver.ran());
    }

    void act(MainWindow& window, FindMissingSongsDialog& dialog, Review review) {
        auto* view = control<QTreeView>(dialog, "missingView");
        QAbstractItemModel* model = view->model();
        const auto songRow = [&](const char* newText) {
            for (int p = 0; p < model->rowCount(); ++p)
                for (int s = 0; s < model->rowCount(model->index(p, 0)); ++s)
                    if (model->index(s, 1, model->index(p, 0))
                            .data()
                            .toString()
                            .startsWith(QLatin1String(newText)))
                        return model->index(s, 1, model->index(p, 0));
            return QModelIndex();
        };
        switch (review) {
        case Review::ChooseSecondOfTie: {
            const QModelIndex tie = songRow("ambiguous: 2 candidates");
            // From the keyboard, wherever in the row the focus is.
            view->setCurrentIndex(tie.siblingAtColumn(0));
            view->setFocus();
            QTest::keyClick(view, Qt::Key_F2);
            auto* box = control<QComboBox>(*view, "candidateBox");
            QVERIFY(box);
            QCOMPARE(box->currentIndex(), -1);
            QTest::keyClick(box, Qt::Key_End);
            break;
        }
        case Review::ChooseBeyondTheCandidates: {
            const QModelIndex tie = songRow("ambiguous: 2 candidates");
            QVERIFY(!model->setData(tie, 2, Qt::EditRole));
            break;
        }
        case Review::UncheckFirst: {
            const QModelIndex first = songRow("../new/Artist/Album/01.mp3").siblingAtColumn(0);
            model->setData(first, Qt::Unchecked, Qt::CheckStateRole);
            break;
        }
        case Review::ChangeFile:
            writeBytes(path(QStringLiteral("lists/mix.m3u")), "changed meanwhile\r\n");
            writeBytes(path(QStringLiteral("lists/win.m3u")), "changed meanwhile\r\n");
            break;
        case Review::ReplaceList:
            window.appendPlaylists({QFile::encodeName(path(QStringLiteral("lists/abs.m3u")))});
            break;
        case Review::AbortWriting: // while the second playlist is written
            abortWriting_ = std::make_unique<CollectionTest::AbortWhenShowing>(
                path(QStringLiteral("lists/abs.m3u")));
            break;
        case Review::Cancel:
            control<QPushButton>(dialog, "cancelButton")->click();
            return;
        case Review::Accept:
            break;
        }
        control<QPushButton>(dialog, "okButton")->click();
    }

private Q_SLOTS:
    void initTestCase() { player_.applyToThisProcess(); }

    void repairs_data() {
        QTest::addColumn<bool>("fromSongs");
        QTest::addColumn<int>("review");
        QTest::addColumn<Changes>("changes");
        QTest::newRow("every playlist, the tie left alone")
            << false << int(Review::Accept) << EveryFound;
        QTest::newRow("the tie decided by the user")
            << false << int(Review::ChooseSecondOfTie)
            << (Changes(EveryFound)
                << Change{QStringLiteral("lists/mix.m3u"), "../old/X/Album/03.mp3",
                          "../new/Other/Album/03.mp3"});
        QTest::newRow("a candidate beyond the tie's is refused")
            << false << int(Review::ChooseBeyondTheCandidates) << EveryFound;
        QTest::newRow("an unchecked song stays")
            << false << int(Review::UncheckFirst) << EveryFound.sliced(1);
        QTest::newRow("the shown playlist only")
            << true << int(Review::Accept) << EveryFound.first(1);
        QTest::newRow("cancelled") << false << int(Review::Cancel) << Changes();
    }
    void repairs() {
        QFETCH(bool, fromSongs);
        QFETCH(int, review);
        QFETCH(Changes, changes);
        start();
        const Contents wanted = expected(changes);
        findMissing(fromSongs, Review(review));
        QCOMPARE(written(), wanted);
        QCOMPARE(f_->dialogs.messages(), QStringList());
        const QString fullyMended = QStringLiteral("lists/abs.m3u");
        if (std::none_of(changes.begin(), changes.end(),
                         [&](const Change& change) { return std::get<0>(change) == fullyMended; }))
            return;
        // A mended playlist gives the player only songs that exist.
        const int before = int(player_.launches().size());
        f_->playlistView()->setFocus();
        f_->clickPlaylist(1);
        f_->pressKey(f_->playlistView(), Qt::Key_Return);
        QVERIFY(player_.waitForLaunches(before + 1));
        const QList<QByteArray> handed = player_.launches().at(before).playlist.split('\n');
        QVERIFY(handed.size() > 1);
        for (QByteArray song : handed)
            if (!song.trimmed().isEmpty() && !song.startsWith('#'))
                QVERIFY2(QFile::exists(QString::fromUtf8(song.trimmed())), song);
    }

    void reviewKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("alt");
        QTest::addColumn<bool>("pickFirst"); // the tie's second candidate picked with F2, End
        QTest::addColumn<bool>("opens");     // the key opens the drop-down; else it confirms
        QTest::newRow("F2 opens") << int(Qt::Key_F2) << false << false << true;
        QTest::newRow("F4 opens") << int(Qt::Key_F4) << false << false << true;
        QTest::newRow("Alt+Down opens") << int(Qt::Key_Down) << true << false << true;
        QTest::newRow("Enter confirms") << int(Qt::Key_Return) << false << false << false;
        QTest::newRow("keypad Enter confirms") << int(Qt::Key_Enter) << false << false << false;
        QTest::newRow("Enter after a pick confirms it")
            << int(Qt::Key_Return) << false << true << false;
    }

    // The keys on the tie's row, whose new entry has candidates to choose from.
    void reviewKeys() {
        QFETCH(int, key);
        QFETCH(bool, alt);
        QFETCH(bool, pickFirst);
        QFETCH(bool, opens);
        start();
        const Contents original = written();
        Changes changes = EveryFound;
        if (pickFirst)
            changes << Change{QStringLiteral("lists/mix.m3u"), "../old/X/Album/03.mp3",
                              "../new/Other/Album/03.mp3"};
        const Contents confirmed = expected(changes);
        bool dropDownShown = false;
        f_->dialogs.answerFolder(path(QStringLiteral("new")));
        ModalDialogDriver<FindMissingSongsDialog> driver([&](FindMissingSongsDialog& dialog) {
            auto* view = control<QTreeView>(dialog, "missingView");
            const QAbstractItemModel* model = view->model();
            const QModelIndex mix = model->index(0, 0);
            QVERIFY(mix.data().toString().endsWith(QLatin1String("mix.m3u")));
            const QModelIndex tie = model->index(2, 0, mix);
            QVERIFY(tie.siblingAtColumn(1).data().toString().startsWith(QLatin1String("ambig")));
            view->setCurrentIndex(tie);
            view->setFocus();
            if (pickFirst) {
                QTest::keyClick(view, Qt::Key_F2);
                auto* box = control<QComboBox>(*view, "candidateBox");
                QVERIFY(box);
                QTest::keyClick(box, Qt::Key_End);
                QTRY_VERIFY(!view->findChild<QComboBox*>());
                QCOMPARE(view->currentIndex().row(), tie.row());
            }
            QTest::keyClick(view, Qt::Key(key), alt ? Qt::AltModifier : Qt::NoModifier);
            auto* box = view->findChild<QComboBox*>();
            if (box)
                QTRY_VERIFY(box->view()->isVisible());
            dropDownShown = box && box->view()->isVisible();
        });
        f_->playlistView()->setFocus();
        f_->pressKey(f_->playlistView(), Qt::Key_A, Qt::AltModifier);
        f_->chooseFromPopup(f_->playlistView(), 0, "findMissingSongsAction");
        QVERIFY(driver.ran());
        QCOMPARE(dropDownShown, opens);
        // Left open by a key that opens the drop-down: the driver cancels it.
        QCOMPARE(driver.leftOpen(), opens);
        QCOMPARE(written(), opens ? original : confirmed);
    }

    void refusals_data() {
        QTest::addColumn<bool>("fromSongs");
        QTest::addColumn<int>("review");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("mended");
        const QString read = QStringLiteral(
            "%1/lists/%2\rThe file was changed by another program since it was read; nothing "
            "was written.");
        QTest::newRow("files changed meanwhile: the others are mended")
            << false << int(Review::ChangeFile)
            << QStringList{read.arg(QStringLiteral("%1"), QStringLiteral("mix.m3u")) + u'\r' +
                           read.arg(QStringLiteral("%1"), QStringLiteral("win.m3u"))}
            << QStringList{QStringLiteral("lists/abs.m3u"), QStringLiteral("lists/list.pls")};
        // As when a second copy's list is taken over: the files reviewed are still mended.
        QTest::newRow("the list changed meanwhile")
            << false << int(Review::ReplaceList) << QStringList()
            << QStringList{QStringLiteral("lists/mix.m3u"), QStringLiteral("lists/win.m3u"),
                           QStringLiteral("lists/abs.m3u"), QStringLiteral("lists/list.pls")};
        QTest::newRow("writing stopped: what was written stays")
            << false << int(Review::AbortWriting)
            << QStringList{QStringLiteral(
                   "2 of 4 playlists were updated, the others were left as they were.")}
            << QStringList{QStringLiteral("lists/mix.m3u"), QStringLiteral("lists/abs.m3u")};
        QTest::newRow("the shown file changed meanwhile")
            << true << int(Review::ChangeFile)
            << QStringList{read.arg(QStringLiteral("%1"), QStringLiteral("mix.m3u"))}
            << QStringList();
    }
    void refusals() {
        QFETCH(bool, fromSongs);
        QFETCH(int, review);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, mended);
        start();
        const Contents original = written();
        const Contents repaired = expected(EveryFound);
        findMissing(fromSongs, Review(review));
        for (QString& message : messages)
            message.replace(QLatin1String("%1"), QFile::decodeName(root()));
        QCOMPARE(f_->dialogs.messages(), messages);
        for (const auto& [name, text] : Playlists) {
            const bool changed =
                review == int(Review::ChangeFile) && (name.endsWith(QLatin1String("mix.m3u")) ||
                                                      name.endsWith(QLatin1String("win.m3u")));
            const QByteArray wanted = changed                 ? QByteArray("changed meanwhile\r\n")
                                      : mended.contains(name) ? repaired.value(name)
                                                              : original.value(name);
            QCOMPARE(readBytes(path(name)), wanted);
        }
    }
};

QTEST_MAIN(TestFindMissing)
#include "tst_findmissing.moc"
