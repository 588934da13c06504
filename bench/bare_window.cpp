// The floor for the start and idle benchmarks: a plain Qt window of the program's shape (a
// toolbar of nine icon buttons above two list views with their models), nothing else.
#include <QApplication>
#include <QIcon>
#include <QListView>
#include <QMainWindow>
#include <QSplitter>
#include <QStringListModel>
#include <QToolBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    QToolBar* toolBar = window.addToolBar(QStringLiteral("Commands"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const char* name :
         {"Execute", "Add", "Remove", "Create", "MP3CD", "Edit", "Delete", "Options", "Help"})
        toolBar->addAction(QIcon::fromTheme(QStringLiteral("media-playback-start")),
                           QString::fromLatin1(name));
    auto* splitter = new QSplitter(Qt::Vertical, &window);
    QStringListModel playlists({QStringLiteral("one.m3u")});
    QStringListModel songs;
    auto* playlistView = new QListView(splitter);
    playlistView->setModel(&playlists);
    auto* songView = new QListView(splitter);
    songView->setModel(&songs);
    window.setCentralWidget(splitter);
    window.resize(471, 340);
    window.show();
    return QApplication::exec();
}
