#pragma once

#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"
#include "playlists/RowSelection.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <memory>

class QAbstractItemView;
class QAction;
class QKeyEvent;
class QListView;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class PlaylistListModel;
class SongListModel;
class PlayingPart;
class ListEditingPart;
class CollectionPart;
class MissingSongsPart;
class CopyToFolderPart;
class OptionsPart;
class PresencePart;
class HandOffPart;
class ItemHint;
class TrackedDialogs;

// The main window: a toolbar over the list of playlists and the songs of the focused one. It
// lays out its controls and routes buttons, menu items and keys to its parts, which own the
// commands; nothing outside the window reaches its controls.
class MainWindow : public QMainWindow, public WindowServices {
    Q_OBJECT
public:
    // Reads the settings and fills the lists.
    explicit MainWindow(ProgramContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr int ToolButtonWidth = 47;
    static constexpr int ToolButtonHeight = 36;
    static constexpr int ListMinimumHeight = 30;

    QWidget& widget() override { return *this; }
    ProgramContext& context() override { return context_; }
    const QString& currentIniPath() const override { return currentIniPath_; }
    void setCurrentIniPath(const QString& path) override { currentIniPath_ = path; }
    PlaylistListModel& playlists() override { return *playlists_; }
    RowSelection playlistSelection() override;
    RowSelection songSelection() override;
    SongListModel& songs() override { return *songs_; }
    PresencePart& presence() override { return *presence_; }
    HandOffPart& handOff() { return *handOff_; }
    bool isAskingUser() const override;

    // The list that has the focus; the playlist list (which then takes it) when neither has.
    List focusedList();
    void focusList(List list) override;
    void selectAll(List list) override;
    void showFocusedPlaylist() override;
    void focusPlaylist(int row) override;
    void updateToolButtons() override;
    void appendPlaylists(const QList<QByteArray>& paths) override;
    // Reads an instance INI file into the settings and shows its list, the first playlist
    // focused; the list changes in one step, after any message about the file.
    void loadIniFile(const QString& path) override;
    // Where the pointer's hint over a list item was last placed, in screen coordinates.
    QPoint lastHintPosition() const { return lastHintPosition_; }
    // The popup of the lists at a point of the focused list's area (global coordinates).
    void popupListsMenu(const QPoint& globalPosition);
    void bringUp() override;
    void execute(List list) override;
    // A logout or `kill`: closes as the close box does. A question or dialog open meanwhile, or
    // a close already under way, means nobody is there to answer: what is open is cancelled
    // and nothing more is asked, so the program ends.
    void terminate();

Q_SIGNALS:
    // Closing asks for the message loop to end.
    void terminationRequested();
    void helpRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createToolBar();
    QToolButton* addToolButton(const QString& name, const QString& caption, const QString& hint,
                               const QString& icon);
    void createLists();
    QListView* createListView(const QString& name, QListView* view);
    void createListsMenu();
    QAction* addMenuItem(const QString& name, const QString& caption, const QString& shortcut,
                         const QString& icon);
    void connectCommands();
    void readSettings();
    void saveOnClose();
    void updateListsMenu();

    // Keys of the lists and the window; true when the key was used.
    bool handleKey(QKeyEvent* event);

    // Mouse of the lists.
    QListView* listView(List list) const;
    bool listEvent(QListView* view, QEvent* event);
    bool mousePress(QListView* view, QMouseEvent* event);
    bool mouseRelease(QListView* view, QMouseEvent* event);
    bool mouseMove(QListView* view, QMouseEvent* event);
    bool dragEvent(QEvent* event);
    bool fileDragEvent(QEvent* event);
    void startPlaylistDrag(int row);
    void playlistFocusChanged();

    // Hints over the hovered item.
    void trackHover(QListView* view, const QPoint& position);
    bool showHint(QListView* view);
    void hideHint();
    void refreshHint();

    std::unique_ptr<TrackedDialogs> trackedDialogs_;
    ProgramContext context_;
    QString currentIniPath_;
    std::unique_ptr<PlaylistListModel> playlists_;
    std::unique_ptr<SongListModel> songs_;

    QToolBar* toolBar_ = nullptr;
    QToolButton* executeButton_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    QToolButton* createButton_ = nullptr;
    QToolButton* mp3CdButton_ = nullptr;
    QToolButton* optionsButton_ = nullptr;
    QToolButton* helpButton_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QListView* playlistView_ = nullptr;
    QListView* songView_ = nullptr;
    QMenu* listsMenu_ = nullptr;
    struct MenuItems {
        QAction* executePlaylists = nullptr;
        QAction* executeSongs = nullptr;
        QAction* selectAll = nullptr;
        QAction* sortPlaylists = nullptr;
        QAction* sortSongs = nullptr;
        QAction* movePlaylistsUp = nullptr;
        QAction* movePlaylistsDown = nullptr;
        QAction* addPlaylists = nullptr;
        QAction* createPlaylists = nullptr;
        QAction* editItem = nullptr;
        QAction* editPlaylistName = nullptr;
        QAction* removePlaylists = nullptr;
        QAction* deletePlaylists = nullptr;
        QAction* removeItems = nullptr;
        QAction* findMissingSongs = nullptr;
        QAction* copyToFolder = nullptr;
    } menu_;

    std::unique_ptr<PlayingPart> playing_;
    std::unique_ptr<ListEditingPart> editing_;
    std::unique_ptr<CollectionPart> collection_;
    std::unique_ptr<MissingSongsPart> missingSongs_;
    std::unique_ptr<CopyToFolderPart> copyToFolder_;
    std::unique_ptr<OptionsPart> options_;
    std::unique_ptr<PresencePart> presence_;
    std::unique_ptr<HandOffPart> handOff_;

    QPointer<QListView> hoveredView_;
    QRect hoveredItemRect_;
    QString hoveredText_;
    QPoint lastHintPosition_;
    QTimer* hintTimer_ = nullptr;
    ItemHint* hint_ = nullptr;
    int dragStartRow_ = -1;
    QPoint dragStartPosition_;
    // The focus moved during the current press, and the songs were read for it then.
    bool focusMovedByPress_ = false;
    bool closing_ = false;
};
