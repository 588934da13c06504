#pragma once

#include "playlists/PlayListFile.h"
#include "startup/gui/ProgramContext.h"

#include <QMainWindow>
#include <QPointer>

class QListWidget;
class QMenu;
class QAction;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class TrayIcon;

// The main window: a toolbar over the playlist list and the song list of the focused playlist.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit MainWindow(ProgramContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr int ToolButtonWidth = 47;
    static constexpr int ToolButtonHeight = 36;
    static constexpr int ListMinimumHeight = 30;

    // Components, named as the program refers to them.
    QToolBar* MainToolBar = nullptr;
    QToolButton* btnExecute = nullptr;
    QToolButton* btnAddPL = nullptr;
    QToolButton* btnRemovePL = nullptr;
    QToolButton* btnCreatePL = nullptr;
    QToolButton* btnMP3CD = nullptr;
    QToolButton* btnOptions = nullptr;
    QToolButton* btnAbout = nullptr;
    QListWidget* lbPlayLists = nullptr;
    QSplitter* Splitter1 = nullptr;
    QListWidget* lbMP3Songs = nullptr;
    QMenu* popupLists = nullptr;
    QAction* miExecutePL = nullptr;
    QAction* miExecuteSongs = nullptr;
    QAction* miSelectAll = nullptr;
    QAction* miSortPL = nullptr;
    QAction* miSortSongs = nullptr;
    QAction* miAddPL = nullptr;
    QAction* miCreatePL = nullptr;
    QAction* miEditItem = nullptr;
    QAction* miEditPLfn = nullptr;
    QAction* miRemovePL = nullptr;
    QAction* miDeletePL = nullptr;
    QAction* miRemoveItems = nullptr;
    QMenu* popupSystemTray = nullptr;
    QAction* Restore1 = nullptr;
    QAction* Exit1 = nullptr;
    QTimer* timerAutoPlayOnce = nullptr;
    QTimer* timerSuicide = nullptr;
    TrayIcon* trayIcon = nullptr;

    const QString& currentIniPath() const { return currentIniPath_; }
    void setCurrentIniPath(const QString& path) { currentIniPath_ = path; }
    const ProgramContext& context() const { return context_; }

    // Playlist list operations shared by several commands.
    void UpdateToolButtons();
    // Saves the general settings and the instance INI file; a refused registry write is
    // reported and the INI file is still saved.
    void saveSettings();
    void AddPlayListItem(const QString& path);
    void FillPlayListBox();
    void lbPlayListsClick();

    // Commands.
    void btnExecuteClick(QObject* sender = nullptr);
    void btnAboutClick();
    void btnAddPLClick();
    void btnCreatePLClick();
    void btnRemovePLClick(QObject* sender = nullptr);
    void btnMP3CDClick();
    void btnOptionsClick();
    void miSortClick(QObject* sender);
    void miEditClick(QObject* sender);
    void miRemoveItemsClick();
    void miSelectAllClick();
    void popupListsPopup();
    void timerSuicideTimer();
    // Tray icon and taskbar button as the icon placement setting wants them.
    void ApplyIconPlacement();
    // The window comes back (shown, in front) and a pending timed close is cancelled.
    void ApplicationEvents1Restore();
    // Un-minimises the window, then ApplicationEvents1Restore.
    void restoreApplication();
    void TrayIconClick();
    void TrayIconRightClick(Qt::MouseButton button, const QPoint& position);
    // The minimise box: the tray only (hidden) or minimised, as the placement says.
    void minimiseByPlacement();
    // The first tick of timerAutoPlayOnce: show the window, then auto-play.
    void timerAutoPlayOnceTimer();

    // Mouse and keys of the lists.
    void lbListsMouseDown(QListWidget* list, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers, const QPoint& position);
    void lbListsDblClick(QListWidget* list);
    void lbListMouseMove(QListWidget* list, const QPoint& position);
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Shows the hint of a list over its hovered item; true when one is shown.
    bool ApplicationEvents1ShowHint(QListWidget* list);
    // Where the last list hint was placed, in screen coordinates.
    QPoint lastHintPosition() const { return lastHintPosition_; }

    // Reordering of playlists by dragging.
    bool lbPlayListsDragOver(QObject* source, const QPoint& position);
    void lbPlayListsDragDrop(QObject* source, const QPoint& position);

    // The list that has the focus, lbPlayLists when neither has it.
    QListWidget* focusedList();

Q_SIGNALS:
    // FormClose asks for the message loop to end.
    void terminationRequested();
    // Set by the start-up once the help dialog exists.
    void helpRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createComponents();
    void createToolBar();
    void createLists();
    void createPopupMenus();
    void createListsMenu();
    void connectListsMenu();
    void createTrayMenu();
    void createTimers();
    QToolButton* addToolButton(const QString& name, const QString& caption, const QString& hint,
                               const QString& icon);
    QAction* addMenuItem(const QString& name, const QString& caption, const QString& shortcut,
                         const QString& icon);
    void FormCreate();
    void FormClose();
    void createTrayIcon();
    void hideOrMinimiseAfterAutoPlay();

    bool listMouseEvent(QListWidget* list, QEvent* event);
    // Every key goes to FormKeyDown and is then discarded; Tab still moves the focus.
    bool keyEvent(QKeyEvent* event);
    void startPlayListDrag(int row);
    void refreshHint();
    QString hintTextFor(QListWidget* list, int row) const;
    QString focusedPlayListPath() const;
    QStringList selectedPlayListPaths() const;
    QStringList selectedSongTexts() const;
    // The song list's entries with their original bytes (edited ones in UTF-8).
    EntryList songEntries() const;
    void showSongs(const PlayListContent& content);
    // Writes the song list over the focused playlist; tells the user when that fails.
    bool rewriteFocusedPlayList();
    void sortPlayLists();
    void sortSongs();
    void editSongEntry();
    void renameFocusedPlayList();

    ProgramContext context_;
    QString currentIniPath_;
    // The form the focused playlist was read in, so a rewrite keeps PLS files PLS.
    PlayListFormat songsFormat_ = PlayListFormat::PlainM3U;
    QPointer<QListWidget> hoveredList_;
    QRect hoveredItemRect_;
    QPoint lastHintPosition_;
    QTimer* hintTimer_ = nullptr;
    int dragStartRow_ = -1;
    QPoint dragStartPosition_;
    bool closing_ = false;
};
