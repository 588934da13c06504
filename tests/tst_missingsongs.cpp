#include "MainWindowFixture.h"
#include "TestSupport.h"

#include "common/PathCaseLookup.h"
#include "playlists/SongListModel.h"

#include <QImage>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QtTest>

using TestSupport::writeBytes;

namespace {

// A row as an item delegate draws it.
QImage drawn(const QAbstractItemDelegate& delegate, QListView* view, const QModelIndex& index) {
    QImage image(300, view->sizeHintForRow(0), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = image.rect();
    QPainter painter(&image);
    delegate.paint(&painter, option, index);
    return image;
}

} // namespace

// The song list marks the songs whose files are missing once the check that follows showing a
// playlist is over: the model's role, the hint's last line, and how the song view draws them.
class TestMissingSongs : public QObject {
    Q_OBJECT

    TestSupport::IsolatedEnvironment env_;

private Q_SLOTS:
    void marksMissingSongs_data();
    void marksMissingSongs();
};

void TestMissingSongs::marksMissingSongs_data() {
    // Files made beside lists/, the playlist lists/songs.m3u ("@" stands for the folder of
    // both), its number of songs, and the rows naming songs that are not there.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("missingRows");

    const QStringList music{QStringLiteral("music/a.mp3"), QStringLiteral("music/Rock/b.mp3"),
                            QStringLiteral("lists/c.mp3")};
    QTest::newRow("healthy") << music
                             << QByteArray("#EXTM3U\r\n#EXTINF:1,A\r\n../music/a.mp3\r\n"
                                           "..\\MUSIC\\ROCK\\B.MP3\r\n@/music/Rock/b.mp3\r\n"
                                           "c.mp3\r\nhttp://radio.example/stream\r\n")
                             << 5 << QList<int>{};
    QTest::newRow("some missing") << music
                                  << QByteArray("../music/a.mp3\r\n../music/gone.mp3\r\nc.mp3\r\n"
                                                "@/music/Pop/b.mp3\r\nC:\\Music\\a.mp3\r\n"
                                                "http://radio.example/stream\r\n")
                                  << 6 << QList<int>{1, 3, 4};
    QTest::newRow("file URIs name their paths")
        << music
        << QByteArray("file://@/music/a.mp3\r\nfile://@/music/gone.mp3\r\n"
                      "file://localhost@/music/Rock/b%2Emp3\r\nfile://server/music/x.mp3\r\n")
        << 4 << QList<int>{1};
    QTest::newRow("a % in a file URI without two hex digits after it")
        << QStringList{QStringLiteral("music/100% pure.mp3")}
        << QByteArray("file://@/music/100% pure.mp3\r\nfile://@/music/100%25%20pure.mp3\r\n"
                      "file://@/music/100%2 pure.mp3\r\n")
        << 3 << QList<int>{2};
    QTest::newRow("a NUL in a file URI names no file")
        << music << QByteArray("file://@/music/a.mp3%00.txt\r\nfile://@/music/a.mp3\r\n") << 2
        << QList<int>{0};
    QTest::newRow("pls") << music
                         << QByteArray("[playlist]\r\nFile1=../music/a.mp3\r\nFile2=d.mp3\r\n"
                                       "NumberOfEntries=2\r\n")
                         << 2 << QList<int>{1};

    // More rows than one batch, with missing songs at the batches' edges.
    const QList<int> gaps{0, 1023, 1024, 2499};
    QStringList many;
    QByteArray manyList;
    for (int row = 0; row < 2500; ++row) {
        const QByteArray name = "music/s" + QByteArray::number(row) + ".mp3";
        manyList += "../" + name + "\r\n";
        if (!gaps.contains(row))
            many << QString::fromLatin1(name);
    }
    QTest::newRow("several batches") << many << manyList << 2500 << gaps;
}

void TestMissingSongs::marksMissingSongs() {
    QFETCH(QStringList, files);
    QFETCH(QByteArray, playlist);
    QFETCH(int, rows);
    QFETCH(QList<int>, missingRows);
    QTemporaryDir dir;
    for (const QString& file : files)
        writeBytes(dir.filePath(file), {});
    const QByteArray folder = QFile::encodeName(dir.path());
    writeBytes(dir.filePath(QStringLiteral("lists/songs.m3u")), playlist.replace('@', folder));
    writeBytes(dir.filePath(QStringLiteral("Platterbox.Ini")),
               "[PlayLists]\r\nTotal=1\r\nFile0=lists/songs.m3u\r\n");
    // A long list of missing songs shown just before, its check under way: it must leave no
    // marks here.
    const QByteArray other = folder + "/lists/other.m3u";
    writeBytes(QFile::decodeName(other), QByteArray("../gone.mp3\r\n").repeated(50000));

    MainWindowFixture f(dir.filePath(QStringLiteral("~PLATBX~.M3U")));
    MainWindow& window = f.create(dir.filePath(QStringLiteral("Platterbox")));
    SongListModel& songs = window.songs();
    QVERIFY(songs.load(other, other).isOk());
    QTRY_VERIFY(songs.isMissing(0));
    window.showFocusedPlaylist();
    QTRY_VERIFY(songs.missingCheckDone());

    QListView* view = f.songView();
    QCOMPARE(view->model()->rowCount(), rows);
    const QStyledItemDelegate plain;
    for (int row = 0; row < songs.count(); ++row) {
        const bool missing = missingRows.contains(row);
        const QModelIndex index = view->model()->index(row, 0);
        QCOMPARE(index.data(SongListModel::MissingRole).toBool(), missing);
        QCOMPARE(songs.presence(row),
                 missing ? SongListModel::Presence::Missing : SongListModel::Presence::Present);
        const QString path = QFile::decodeName(
            resolveEntryOnDisk(songs.entry(row).toByteArray(), folder + "/lists/"));
        QCOMPARE(index.data(Qt::ToolTipRole).toString(),
                 missing ? path + QStringLiteral("\nFile not found") : path);
        QCOMPARE(drawn(*view->itemDelegate(), view, index) != drawn(plain, view, index), missing);
    }
}

QTEST_MAIN(TestMissingSongs)
#include "tst_missingsongs.moc"
