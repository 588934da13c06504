#include "MainWindowFixture.h"

#include "platform/DesktopLauncher.h"
#include "playlists/PlaylistListModel.h"
#include "startup/gui/TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>

MainWindowFixture::MainWindowFixture(const QString& temporaryPlaylist)
    : playing(std::make_unique<PlayingModule>(dialogs, Shell::openWithVerb, temporaryPlaylist)) {}

MainWindow& MainWindowFixture::create(const QString& programPath, const QStringList& parameters) {
    window = std::make_unique<MainWindow>(
        ProgramContext{settings, dialogs, hints, *playing, programPath, parameters});
    return *window;
}

MainWindow& MainWindowFixture::createShown(const QString& programPath, QSize size) {
    create(programPath);
    window->resize(size);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window not exposed");
    return *window;
}

const QList<QByteArray>& MainWindowFixture::playlists() const {
    return window->playlists().paths();
}

QListView* MainWindowFixture::playlistView() const {
    return window->findChild<QListView*>(QStringLiteral("playlistView"));
}

QListView* MainWindowFixture::songView() const {
    return window->findChild<QListView*>(QStringLiteral("songView"));
}

QToolButton* MainWindowFixture::button(const char* name) const {
    return window->findChild<QToolButton*>(QLatin1String(name));
}

QAction* MainWindowFixture::menuItem(const char* name) const {
    return window->findChild<QAction*>(QLatin1String(name));
}

QTimer* MainWindowFixture::timer(const char* name) const {
    return window->findChild<QTimer*>(QLatin1String(name));
}

TrayIcon* MainWindowFixture::trayIcon() const {
    return window->findChild<TrayIcon*>(QStringLiteral("trayIcon"));
}

namespace {
QStringList textsOf(const QListView* view) {
    QStringList texts;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}
} // namespace

QStringList MainWindowFixture::playlistNames() const {
    return textsOf(playlistView());
}

QStringList MainWindowFixture::songTexts() const {
    return textsOf(songView());
}

QList<int> MainWindowFixture::selectedRows(QListView* view) {
    QList<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int MainWindowFixture::currentRow(QListView* view) {
    const QModelIndex current = view->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void MainWindowFixture::clickPlaylist(int row, Qt::KeyboardModifiers modifiers) {
    QListView* view = playlistView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, itemCentre(view, row));
    QCoreApplication::processEvents();
}

void MainWindowFixture::clickSong(int row, Qt::KeyboardModifiers modifiers) {
    QListView* view = songView();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, itemCentre(view, row));
    QCoreApplication::processEvents();
}

void MainWindowFixture::pressKey(QListView* view, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    view->setFocus();
    QTest::keyClick(view, key, modifiers);
    QCoreApplication::processEvents();
}

void MainWindowFixture::chooseFromPopup(QListView* view, int row, const char* item) {
    auto* menu = window->findChild<QMenu*>(QStringLiteral("listsMenu"));
    const QPoint at = row >= 0 ? itemCentre(view, row) : QPoint(2, view->viewport()->height() - 2);
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
    QAction* action = menuItem(item);
    if (menu->isVisible() && action->isVisible() && action->isEnabled())
        action->trigger();
    menu->hide();
    QCoreApplication::processEvents();
}

QPoint MainWindowFixture::itemCentre(QListView* view, int row) {
    return view->visualRect(view->model()->index(row, 0)).center();
}

QListView* playlistViewOf(MainWindow& window) {
    return window.findChild<QListView*>(QStringLiteral("playlistView"));
}

QListView* songViewOf(MainWindow& window) {
    return window.findChild<QListView*>(QStringLiteral("songView"));
}

QToolButton* buttonOf(MainWindow& window, const char* name) {
    return window.findChild<QToolButton*>(QLatin1String(name));
}

QAction* menuItemOf(MainWindow& window, const char* name) {
    return window.findChild<QAction*>(QLatin1String(name));
}

QTimer* timerOf(MainWindow& window, const char* name) {
    return window.findChild<QTimer*>(QLatin1String(name));
}

TrayIcon* trayIconOf(MainWindow& window) {
    return window.findChild<TrayIcon*>(QStringLiteral("trayIcon"));
}

QStringList rowTexts(QListView* view) {
    return textsOf(view);
}

QList<int> selectedRowsOf(QListView* view) {
    return MainWindowFixture::selectedRows(view);
}

int currentRowOf(QListView* view) {
    return MainWindowFixture::currentRow(view);
}
