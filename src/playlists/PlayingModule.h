#pragma once

#include "PlaylistFile.h"
#include "common/PathCaseLookup.h"
#include "common/ShuffleList.h"
#include "common/Status.h"
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
    // nothing.
    void executePlaylists(const QList<QByteArray>& paths, const Preferences& options,
                          WalkProgress* progress = nullptr);
    void executePlaylists(const QStringList& paths, const Preferences& options);
    // Selected songs, resolved against the focused playlist's folder: the entries as read
    // (their bytes), or as shown (edited text, written as UTF-8).
    void executeSongs(const EntryList& songs, const QByteArray& base, const Preferences& options);
    void executeSongs(const QStringList& songs, const QString& base, const Preferences& options);

    // Adds what one name stands for: an M3U, M3U8, XSPF, WPL or ASX is expanded one level into
    // its songs, anything else is one line. Fails with "Cannot open file <path>" for an M3U that
    // cannot be read.
    Status addToExecutionList(const QString& name, const QString& base, const Preferences& options);
    Status addToExecutionList(const QByteArray& name, const QByteArray& base,
                              const Preferences& options);
    // Writes, launches, reports; the execution list is empty afterwards in every case.
    void playExecutionList(const Preferences& options);

    // How many paths were gathered so far.
    qsizetype executionCount() const { return executionStarts_.size(); }
    const QString& temporaryPlaylistPath() const { return temporaryPlaylistPath_; }

    // The verb the options choose: "open", "Play", "Enqueue" or the custom text.
    static QString chosenVerb(const Preferences& options);

private:
    // The list and the folder listings start afresh.
    void endExecution();
    // Appends the path folder + name (a folder part saves joining them first).
    void appendToExecution(QByteArrayView folder, QByteArrayView name);
    // Puts the songs gathered per listed playlist (from firstSongs[i] up to firstSongs[i + 1])
    // in the playlists' played order. Where each path begins is not moved with them: only a
    // total shuffle looks at that, and it never regroups.
    void regroupExecution(const QList<qsizetype>& order, const QList<qsizetype>& firstSongs);
    // The pieces of the text (piece i from bounds[i] up to bounds[i + 1]) in the given order.
    static QByteArray piecesInOrder(const QByteArray& text, const QList<qsizetype>& bounds,
                                    const QList<qsizetype>& order);
    // An entry of a playlist as found on disk.
    QByteArray songPath(QByteArrayView entry, const QByteArray& playlist);
    // The temporary playlist's text: the gathered paths, in a total shuffle's order if asked.
    QByteArray executionText(const Preferences& options);
    void reportLaunchResult(ShellResult result, const QString& verb);
    // An unreadable playlist ends the execution with the file-open message.
    void abandon(const Status& status);

    UserDialogs& dialogs_;
    Launcher launcher_;
    QString temporaryPlaylistPath_;
    ShuffleClock clock_;
    // The gathered paths in the written form (each followed by CR LF) and where each begins:
    // a playlist of a million entries is gathered without a copy per entry.
    QByteArray executionText_;
    QList<qsizetype> executionStarts_;
    PathCaseLookup lookup_;
    // The status of the next playlist to read, when looked at ahead of it.
    std::optional<std::pair<QByteArray, std::optional<RawNames::FileStatus>>> prefetched_;
};
