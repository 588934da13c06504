#include "PlayingModule.h"
#include "ListedPlaylistsGathering.h"

#include "common/WalkProgress.h"
#include "base/PathText.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "platform/RuntimeFolder.h"

#include <cstring>

namespace {
bool partialShuffle(const Preferences& options) {
    return options.shuffleMode == ShuffleMode::Partial;
}
} // namespace

PlayingModule::PlayingModule(UserDialogs& dialogs, Launcher launcher, QString temporaryPlaylistPath,
                             ShuffleClock clock)
    : dialogs_(dialogs), launcher_(std::move(launcher)),
      temporaryPlaylistPath_(std::move(temporaryPlaylistPath)), clock_(std::move(clock)),
      gathering_(clock_) {}

PlayingModule::~PlayingModule() {
    FileOperations::deleteFile(temporaryPlaylistPath_);
}

void PlayingModule::executePlaylists(const QStringList& paths, const Preferences& options) {
    QList<QByteArray> bytes;
    for (const QString& path : paths)
        bytes.append(pathBytes(path));
    executePlaylists(bytes, options);
}

void PlayingModule::executePlaylists(const QList<QByteArray>& paths, Preferences options,
                                     WalkProgress* progress) {
    // Shuffled playlists are still read in list order, where neighbours share folders the
    // system has just looked at, and put in their shuffled order afterwards. The one that
    // stops the execution is the first unreadable one in that order, as if read in it.
    const bool shuffled = partialShuffle(options) && options.shufflePlaylists;
    const QList<qsizetype> order =
        shuffled ? shufflePermutation(paths.size(), clock_()) : QList<qsizetype>();
    QList<qsizetype> place(order.size());
    for (qsizetype at = 0; at < order.size(); ++at)
        place[order.at(at)] = at;
    endExecution();
    qsizetype songs = 0;
    QByteArray text;
    {
        ListedPlaylistsGathering gathering(paths, options, std::move(place), clock_);
        if (!gathering.run(progress))
            return;
        if (progress)
            progress->setStayOnTop(false); // a message comes in front
        if (gathering.failure().failed()) {
            abandon(gathering.failure());
            return;
        }
        songs = gathering.songCount();
        text = options.shuffleMode == ShuffleMode::Total
                   ? joinedInOrder(gathering.songPieces(), shufflePermutation(songs, clock_()))
                   : joinedInOrder(gathering.playlistPieces(), order);
    }
    // The gathered pieces are let go first: the file's pages can then be the ones they held.
    play(text, songs, options);
}

QByteArray PlayingModule::joinedInOrder(const QList<QByteArrayView>& pieces,
                                        const QList<qsizetype>& order) {
    qsizetype size = 0;
    for (const QByteArrayView piece : pieces)
        size += piece.size();
    QByteArray joined(size, Qt::Uninitialized);
    char* to = joined.data();
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QByteArrayView piece = pieces.at(order.isEmpty() ? i : order.at(i));
        std::memcpy(to, piece.data(), size_t(piece.size()));
        to += piece.size();
    }
    return joined;
}

void PlayingModule::executeSongs(const EntryList& songs, const QByteArray& base,
                                 const Preferences& options) {
    endExecution();
    for (const QByteArray& song : songs) {
        if (Status status = gathering_.addEntry(song, base, options); status.failed()) {
            abandon(status);
            return;
        }
    }
    const qsizetype count = gathering_.count();
    const QByteArray text =
        options.shuffleMode == ShuffleMode::Total
            ? joinedInOrder(gathering_.eachLine(), shufflePermutation(count, clock_()))
            : gathering_.takeText();
    play(text, count, options);
}

void PlayingModule::executeSongs(const QStringList& songs, const QString& base,
                                 const Preferences& options) {
    EntryList entries;
    for (const QString& song : songs)
        entries.append(encodeEntry(song));
    executeSongs(entries, pathBytes(base), options);
}

QString PlayingModule::chosenVerb(const Preferences& options) {
    if (options.verb == PlayVerb::Custom)
        return options.customVerb;
    const int index = int(options.verb);
    // An index the options dialog never produces falls back to "open".
    return (index >= 0 && index < int(PlayVerbs.size())) ? PlayVerbs.at(size_t(index))
                                                         : PlayVerbs.at(0);
}

void PlayingModule::play(const QByteArray& text, qsizetype songs, const Preferences& options) {
    endExecution();
    if (songs == 0)
        return;
    const QString verb = chosenVerb(options);
    if (RuntimeFolder::writeFileNoFollow(temporaryPlaylistPath_, text).failed()) {
        dialogs_.showMessage(QLatin1String("Unable to save temporary playlist file!\r") +
                             temporaryPlaylistPath_);
        return;
    }
    reportLaunchResult(launcher_(verb, temporaryPlaylistPath_), verb);
}

void PlayingModule::reportLaunchResult(ShellResult result, const QString& verb) {
    // As on Windows, every result above 32 is a success.
    if (int(result) > 32)
        return;
    if (result == ShellResult::AssociationIncomplete || result == ShellResult::NoAssociation) {
        dialogs_.showMessage(
            QLatin1String("M3U files are incorrectly associated! Please install a\r"
                          "proper MP3 player and associate M3U files with it.\r"
                          "Current command is: ") +
            verb);
        return;
    }
    dialogs_.showMessage(QLatin1String("Error trying to \"") + verb +
                         QLatin1String("\" the file!"));
}

void PlayingModule::endExecution() {
    gathering_.clear();
}

void PlayingModule::abandon(const Status& status) {
    endExecution();
    dialogs_.showMessage(status.message());
}
