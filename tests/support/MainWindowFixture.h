#pragma once

#include "ScriptedDialogs.h"
#include "playlists/PlayingModule.h"
#include "shell/MainWindow.h"
#include "settings/Settings.h"
#include "settings/gui/HintSwitch.h"

#include <QListView>
#include <QToolButton>
#include <memory>

class QAction;
class QTimer;
class TrayIcon;

// Everything a main window needs, with scripted dialogs and the real shell; the window is
// created (its settings read) by create(). The window is used as a user uses it: through its
// buttons, lists, menu items and keys, found by their object names.
struct MainWindowFixture {
    Settings settings;
    ScriptedDialogs dialogs;
    HintSwitch hints;
    std::unique_ptr<PlayingModule> playing;
    std::unique_ptr<MainWindow> window;

    explicit MainWindowFixture(const QString& temporaryPlaylist);
    MainWindow& create(const QString& programPath, const QStringList& parameters = {});
    // Creates the window and shows it at this size, waiting until it is on the screen.
    MainWindow& createShown(const QString& programPath, QSize size = QSize(500, 600));

    // The playlist list as the window's model holds it.
    const QList<QByteArray>& playlists() const;
    QListView* playlistView() const;
    QListView* songView() const;
    QToolButton* button(const char* name) const;
    QAction* menuItem(const char* name) const;
    QTimer* timer(const char* name) const;
    TrayIcon* trayIcon() const;

    QStringList playlistNames() const;
    QStringList songTexts() const;
    // Rows selected in a list, in order.
    static QList<int> selectedRows(QListView* view);
    static int currentRow(QListView* view);
    // A left click on an item of the playlist list, as the user gives it.
    void clickPlaylist(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void clickSong(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A key pressed while a list has the focus.
    void pressKey(QListView* view, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    // Opens the lists' popup over a list (a right click) and triggers one of its items.
    void chooseFromPopup(QListView* view, int row, const char* item);
    // Centre of an item of a list, in viewport coordinates.
    static QPoint itemCentre(QListView* view, int row);
};

// The window's controls as a user finds them, by their names.
QListView* playlistViewOf(MainWindow& window);
QListView* songViewOf(MainWindow& window);
QToolButton* buttonOf(MainWindow& window, const char* name);
QAction* menuItemOf(MainWindow& window, const char* name);
QTimer* timerOf(MainWindow& window, const char* name);
TrayIcon* trayIconOf(MainWindow& window);
// Texts of a list's rows, the rows selected and the focused row.
QStringList rowTexts(QListView* view);
QList<int> selectedRowsOf(QListView* view);
int currentRowOf(QListView* view);
