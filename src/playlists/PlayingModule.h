#pragma once

#include "ExecutionGathering.h"
#include "common/ShuffleList.h"
#include "base/Status.h"
#include "platform/DesktopLauncher.h"
#include "settings/Settings.h"

#include <QStringList>
#include <functional>

class UserDialogs;
class WalkProgress;

// Gathers what a selection stands for into the execution list, writes it as the temporary
// playlist and hands that to the desktop's player with the chosen verb. Entries keep their
// bytes on the way, and each path handed on is the one found on disk ignoring letter case
// when the exact one does not exist; folder listings are read once per execution.
class PlayingModule {
public:
    // Opens a file with a verb.
    using Launcher = std::function<ShellResult(const QString& verb, const QString& file)>;

    PlayingModule(UserDialogs& dialogs, Launcher launcher, QString temporaryPlaylistPath,
                  ShuffleClock clock = utcMillisecondsOfDay);
    // The temporary playlist goes with the program.
    ~PlayingModule();
    PlayingModule(const PlayingModule&) = delete;
    PlayingModule& operator=(const PlayingModule&) = delete;

    // Selected playlists in list order (full paths, as the file system's bytes). With a
    // progress (a wait window), each playlist is shown as it is read, and a stop there plays
    // nothing. The preferences are the command's own copy: the progress hands events on, which
    // may change the live ones.
    void executePlaylists(const QList<QByteArray>& paths, Preferences options,
                          WalkProgress* progress = nullptr);
    void executePlaylists(const QStringList& paths, const Preferences& options);
    // Selected songs, resolved against the focused playlist's folder: the entries as read
    // (their bytes), or as shown (edited text, written as UTF-8).
    void executeSongs(const EntryList& songs, const QByteArray& base, const Preferences& options);
    void executeSongs(const QStringList& songs, const QString& base, const Preferences& options);

    // How many paths were gathered so far.
    qsizetype executionCount() const { return gathering_.count(); }
    const QString& temporaryPlaylistPath() const { return temporaryPlaylistPath_; }

    // The verb the options choose: "open", "Play", "Enqueue" or the custom text.
    static QString chosenVerb(const Preferences& options);

private:
    // The gathered paths and the folder listings start afresh.
    void endExecution();
    // The pieces joined in the given order (none: as they are).
    static QByteArray joinedInOrder(const QList<QByteArrayView>& pieces,
                                    const QList<qsizetype>& order);
    // Writes the text of the songs gathered, launches, reports.
    void play(const QByteArray& text, qsizetype songs, const Preferences& options);
    void reportLaunchResult(ShellResult result, const QString& verb);
    // An unreadable playlist ends the execution with the file-open message.
    void abandon(const Status& status);

    UserDialogs& dialogs_;
    Launcher launcher_;
    QString temporaryPlaylistPath_;
    ShuffleClock clock_;
    // What selected songs gather; a listed playlists' execution gathers on its own.
    ExecutionGathering gathering_;
};
