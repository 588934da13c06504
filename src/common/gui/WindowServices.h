#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct ProgramContext;
class PlaylistListModel;
class PresencePart;
class RowSelection;
class QWidget;
class SongListModel;

// What the window's parts may ask of the window: the shared program state, the two models and
// the few things only the window does. Parts get this instead of the window class, so no
// include circle ties them to it.
class WindowServices {
public:
    enum class List { Playlists, Songs };

    // The window itself, as a parent for dialogs and for showing, hiding and minimising.
    virtual QWidget& widget() = 0;
    virtual ProgramContext& context() = 0;
    virtual PlaylistListModel& playlists() = 0;
    // The playlist view's focus and selection.
    virtual RowSelection playlistSelection() = 0;
    virtual SongListModel& songs() = 0;
    // The song view's focus and selection.
    virtual RowSelection songSelection() = 0;
    virtual PresencePart& presence() = 0;
    virtual const QString& currentIniPath() const = 0;
    virtual void setCurrentIniPath(const QString& path) = 0;
    // True while one of the program's questions, input boxes or choosers is open.
    virtual bool isAskingUser() const = 0;

    virtual void focusList(List list) = 0;
    virtual void selectAll(List list) = 0;
    // Plays the selection of a list, as Enter on it does.
    virtual void execute(List list) = 0;
    // The song list reads the focused playlist's file (again).
    virtual void showFocusedPlaylist() = 0;
    // Moves the focus to a playlist (none for -1); its songs are read once, moved or not.
    virtual void focusPlaylist(int row) = 0;
    virtual void updateToolButtons() = 0;
    // Found or created playlists join the list selected; the focus moves to the last one.
    virtual void appendPlaylists(const QList<QByteArray>& paths) = 0;
    // Reads an instance INI file into the settings and shows its list.
    virtual void loadIniFile(const QString& path) = 0;
    // Brings the window up on the screen (un-minimised, shown, in front).
    virtual void bringUp() = 0;

protected:
    ~WindowServices() = default;
};
