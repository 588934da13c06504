#include "ListEditingPart.h"
#include "base/PathText.h"

#include "common/gui/TargetCheck.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"

#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "common/gui/WaitWindow.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "playlists/CommandTarget.h"
#include "playlists/ListSorting.h"
#include "playlists/PlaylistsLog.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "playlists/SongListModel.h"

#include <QDir>
#include <QFile>

namespace {
// The most an input box holds.
constexpr qsizetype MaxEditableEntryLength = 32767;
// About a second's sorting; shorter sorts are over before the wait window could show.
constexpr int ManySongs = 1500000;

// The entry's text as the list shows it (decodeEntry), decoded into `buffer`, which is reused
// from song to song.
QStringView entryText(QByteArrayView entry, QString& buffer) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    // UTF-8 never takes more UTF-16 units than bytes.
    buffer.resize(entry.size());
    const QChar* end = utf8.appendToBuffer(buffer.data(), entry);
    if (utf8.hasError())
        buffer = decodeWindows1252(entry);
    else
        buffer.resize(end - buffer.constData());
    return buffer;
}
} // namespace

bool ListEditingPart::rewritable() {
    SongListModel& songs = window_.songs();
    songs.finishReading();
    if (!songs.readWhole()) {
        qCWarning(lcPlaylists).nospace()
            << "not rewriting " << songs.playlistPath() << ": not plain text";
        window_.context().dialogs.showMessage(
            decodeText(songs.playlistPath()) +
            QLatin1String("\rUnable to update file, it is not plain text!"));
    }
    return songs.readWhole();
}

void ListEditingPart::rewriteShownPlaylist(const CommandTarget& target, const SongEdits& edits) {
    rewriteShownPlaylist(target, [&edits](const IndexedPlaylist& playlist) {
        return editedPlaylistText(playlist, edits);
    });
}

void ListEditingPart::rewriteShownPlaylist(const CommandTarget& target, const EditedText& edited) {
    if (!targetStillHolds(window_, target))
        return;
    SongListModel& songs = window_.songs();
    const QString shown = decodeText(target.path());
    {
        // An XML playlist's text is read again, from the file as it was shown.
        IndexedPlaylist playlist = songs.playlist();
        const Status read = withMarkupText(playlist, songs.identity());
        const Result<QByteArray> text = read.isOk() ? edited(playlist) : Result<QByteArray>(read);
        if (const Status& status = text.status(); status.failed()) {
            qCWarning(lcPlaylists).nospace()
                << "not rewriting " << target.path() << ": " << status.message();
            window_.context().dialogs.showMessage(shown + QLatin1Char('\r') + status.message());
            return;
        }
        // A failed write is logged where it failed, with its step and cause.
        if (const Status written = writePlaylistText(target.path(), text.value(), songs.encoding());
            written.failed()) {
            window_.context().dialogs.showMessage(shown +
                                                  QLatin1String("\rUnable to update file!"));
        }
    }
    RowSelection selection = window_.songSelection();
    const int current = selection.currentRow();
    // The old songs go before the file is read again, so a long list is not held twice.
    songs.clear();
    window_.showFocusedPlaylist();
    if (current >= 0 && current < songs.count())
        selection.setCurrentRow(current);
}

void ListEditingPart::sortPlaylists() {
    PlaylistListModel& playlists = window_.playlists();
    if (playlists.count() == 0)
        return;
    RowSelection selection = window_.playlistSelection();
    const int focus = selection.currentRow();
    playlists.sortByName();
    selection.clear();
    window_.focusPlaylist(qMax(focus, 0));
}

void ListEditingPart::sortSongs() {
    const SongListModel& songs = window_.songs();
    if (songs.count() == 0 || songs.playlistPath().isEmpty() || !rewritable())
        return;
    const CommandTarget target =
        CommandTarget::ofSongs(window_.playlists(), songs, window_.songSelection());
    // The sort has both processors; the list shown afterwards is checked anew.
    SongListModel& shown = window_.songs();
    const quint64 generation = shown.generation();
    shown.pauseMissingCheck();
    if (const std::optional<QList<qsizetype>> order = sortedSongOrder()) {
        rewriteShownPlaylist(target, [&order](const IndexedPlaylist& playlist) {
            return reorderedPlaylistText(playlist, *order);
        });
    }
    if (shown.generation() == generation)
        shown.resumeMissingCheck();
}

std::optional<QList<qsizetype>> ListEditingPart::sortedSongOrder() {
    const SongListModel& songs = window_.songs();
    const SortText textOf = [&songs](qsizetype row, QString& buffer) {
        return entryText(songs.entry(int(row)), buffer);
    };
    const QCollator collator = sortCollator();
    if (songs.count() < ManySongs)
        return localeSortedOrder(songs.count(), textOf, collator);
    // Millions of songs take seconds: the wait window keeps the window painted, and Abort
    // leaves the playlist as it was.
    std::optional<QList<qsizetype>> order;
    const QString shown = decodeText(songs.playlistPath());
    (void)WaitWindow::runWalk(QStringLiteral("Sorting"),
                              QStringLiteral("Currently sorting playlist:"),
                              [&](WalkProgress& progress) {
                                  order = localeSortedOrder(songs.count(), textOf, collator,
                                                            [&] { return progress.tick(shown); });
                                  return WalkResult{order.has_value(), Status::ok()};
                              });
    return order;
}

void ListEditingPart::removeSongs() {
    const SongListModel& songs = window_.songs();
    if (songs.count() == 0 || songs.playlistPath().isEmpty() || !rewritable())
        return;
    const CommandTarget target =
        CommandTarget::ofSongs(window_.playlists(), songs, window_.songSelection());
    if (!window_.context().dialogs.askYesNo(
            QStringLiteral("Remove the selected item(s) from playlist?")))
        return;
    if (!targetStillHolds(window_, target))
        return;
    SongEdits kept;
    const QList<int>& removed = target.rows();
    for (int row = 0, next = 0; row < songs.count(); ++row) {
        if (next < removed.size() && removed.at(next) == row) {
            ++next;
            continue;
        }
        kept.append({row, std::nullopt});
    }
    rewriteShownPlaylist(target, kept);
}

void ListEditingPart::editSong() {
    const SongListModel& songs = window_.songs();
    const int row = window_.songSelection().currentRow();
    if (row < 0 || songs.playlistPath().isEmpty() || !rewritable())
        return;
    const CommandTarget target =
        CommandTarget::ofSongs(window_.playlists(), songs, window_.songSelection());
    const QString current = songs.text(row);
    // The input box would cut a longer entry, and the cut one would be written back.
    if (current.size() > MaxEditableEntryLength) {
        qCWarning(lcPlaylists) << "not editing an entry of" << current.size() << "characters in"
                               << songs.playlistPath();
        window_.context().dialogs.showMessage(
            decodeText(songs.playlistPath()) +
            QLatin1String("\rUnable to edit the item, it is too long!"));
        return;
    }
    const QString answer =
        window_.context()
            .dialogs
            .askText(QStringLiteral("Edit item file name"),
                     QStringLiteral("Please enter the new name for the item: "), current)
            .value_or(current);
    if (answer == current || !targetStillHolds(window_, target))
        return;
    SongEdits entries;
    entries.reserve(songs.count());
    for (int song = 0; song < songs.count(); ++song)
        entries.append({song, std::nullopt});
    entries[row].entry = encodeEntry(answer);
    rewriteShownPlaylist(target, entries);
}

namespace {
// The path a typed name stands for. Only what the user changed is taken from the text: a
// folder shown unchanged keeps its bytes, which need not be UTF-8. A bare name lands in the
// current folder; the list keeps where the file really is, so the saved INI file finds it.
QByteArray renamedPath(const QByteArray& current, const QString& answer) {
    const QByteArray folder = NativePath::folderPart(current);
    const QString typedFolder = NativePath::folderPart(answer);
    QByteArray path = typedFolder == decodeText(folder)
                          ? folder + pathBytes(NativePath::fileName(answer))
                          : pathBytes(answer);
    if (!path.startsWith('/'))
        path = NativePath::withTrailingSeparator(pathBytes(QDir::currentPath())) + path;
    return path;
}
} // namespace

void ListEditingPart::renamePlaylist() {
    PlaylistListModel& playlists = window_.playlists();
    const RowSelection selection = window_.playlistSelection();
    const int row = selection.currentRow();
    if (row < 0)
        return;
    const CommandTarget target = CommandTarget::ofPlaylists(playlists, selection);
    UserDialogs& dialogs = window_.context().dialogs;
    const QByteArray current = playlists.adoptDiskSpelling(row);
    const QString shown = decodeText(current);
    const QString answer =
        dialogs
            .askText(QStringLiteral("Edit playlist file name"),
                     QStringLiteral("Please enter the new name for the playlist: "), shown)
            .value_or(shown);
    if (answer == shown || !targetStillHolds(window_, target))
        return;
    const QByteArray renamed = answer.isEmpty() ? QByteArray() : renamedPath(current, answer);
    if (renamed.isEmpty())
        qCWarning(lcPlaylists) << "not renaming" << current << "to an empty name";
    // A failed move logs its own cause.
    if (renamed.isEmpty() || !FileOperations::moveFile(resolveExistingPath(current), renamed)) {
        dialogs.showMessage(QLatin1String("Unable to rename ") + shown + QLatin1String("\rinto ") +
                            answer);
        return;
    }
    playlists.setPath(row, renamed);
    window_.showFocusedPlaylist();
}

void ListEditingPart::movePlaylist(int from, int to) {
    PlaylistListModel& playlists = window_.playlists();
    if (from < 0 || from >= playlists.count() || to < 0 || to >= playlists.count())
        return;
    playlists.moveRows({from}, to);
    RowSelection selection = window_.playlistSelection();
    selection.setCurrentRow(to);
    selection.select(to);
}

QList<int> ListEditingPart::playlistsToMove() const {
    const RowSelection selection = window_.playlistSelection();
    QList<int> rows = selection.rows();
    if (rows.isEmpty() && selection.currentRow() >= 0)
        rows.append(selection.currentRow());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ListEditingPart::moveSelectedPlaylists(int step) {
    window_.playlists().moveRowsByOne(playlistsToMove(), step);
}

bool ListEditingPart::canMoveSelectedPlaylists(int step) const {
    const QList<int> rows = playlistsToMove();
    // Nothing moves only when the rows are already packed at the end they move to.
    const int first = step < 0 ? 0 : int(window_.playlists().count() - rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows.at(i) != first + int(i))
            return true;
    return false;
}
