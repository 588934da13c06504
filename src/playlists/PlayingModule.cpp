#include "PlayingModule.h"

#include "PlayListFile.h"
#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"
#include "platform/RuntimeFolder.h"

#include <QFile>

namespace {
bool partialShuffle(const TVARdlgPreferences& options) {
    return options.grpShuffle_Tag == 1;
}

// A blank line of a playlist names no file; handing it over would give the player a folder.
bool isBlankEntry(QByteArrayView entry) {
    return DecodeEntry(entry).trimmed().isEmpty();
}

} // namespace

PlayingModule::PlayingModule(UserDialogs& dialogs, Launcher launcher, QString temporaryPlayListPath,
                             ShuffleClock clock)
    : dialogs_(dialogs), launcher_(std::move(launcher)),
      temporaryPlayListPath_(std::move(temporaryPlayListPath)), clock_(std::move(clock)) {}

PlayingModule::~PlayingModule() {
    FileOperations::deleteFile(temporaryPlayListPath_);
}

void PlayingModule::ExecuteSelectedPlayLists(const QStringList& paths,
                                             const TVARdlgPreferences& options) {
    QList<QByteArray> bytes;
    for (const QString& path : paths)
        bytes.append(QFile::encodeName(path));
    ExecuteSelectedPlayLists(bytes, options);
}

void PlayingModule::ExecuteSelectedPlayLists(const QList<QByteArray>& paths,
                                             const TVARdlgPreferences& options) {
    QList<QByteArray> order = paths;
    if (partialShuffle(options) && options.cbShufflePL_Checked)
        ShuffleList(order, clock_);
    for (const QByteArray& path : order) {
        if (Status status = AddToExecutionList(path, ExtractFilePath(path), options);
            status.failed()) {
            abandon(status);
            return;
        }
    }
    PlayExecutionList(options);
}

void PlayingModule::ExecuteSelectedSongs(const EntryList& songs, const QByteArray& base,
                                         const TVARdlgPreferences& options) {
    for (const QByteArray& song : songs) {
        if (Status status = AddToExecutionList(song, base, options); status.failed()) {
            abandon(status);
            return;
        }
    }
    PlayExecutionList(options);
}

void PlayingModule::ExecuteSelectedSongs(const QStringList& songs, const QString& base,
                                         const TVARdlgPreferences& options) {
    EntryList entries;
    for (const QString& song : songs)
        entries.append(EncodeEntry(song));
    ExecuteSelectedSongs(entries, QFile::encodeName(base), options);
}

Status PlayingModule::AddToExecutionList(const QString& name, const QString& base,
                                         const TVARdlgPreferences& options) {
    return AddToExecutionList(QFile::encodeName(name), QFile::encodeName(base), options);
}

Status PlayingModule::AddToExecutionList(const QByteArray& name, const QByteArray& base,
                                         const TVARdlgPreferences& options) {
    if (isBlankEntry(name))
        return Status::ok();
    const QByteArray full = lookup_.resolveEntry(name, base);
    if (AsciiUpperCase(ExtractFileExt(QString::fromLatin1(name))) != QLatin1String(".M3U")) {
        appendToExecution(full);
        return Status::ok();
    }
    IndexedPlayList playlist;
    if (Status status = loadIndexedPlaylist(full, playlist); status.failed())
        return status;
    const EntryTable& entries = playlist.entries;
    const bool shuffled = partialShuffle(options) && options.cbShuffleWithinPL_Checked;
    const QList<qsizetype> order =
        shuffled ? ShufflePermutation(entries.size(), clock_()) : QList<qsizetype>();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArrayView entry = entries.at(shuffled ? order.at(i) : i);
        if (!isBlankEntry(entry))
            appendToExecution(lookup_.resolveEntry(entry.toByteArray(), full));
    }
    return Status::ok();
}

void PlayingModule::appendToExecution(const QByteArray& path) {
    // A line end inside a name would split it into two lines of the playlist: such a path goes
    // as a file URL of its percent-encoded bytes. A relative one (no gathered path is) cannot
    // be a URL and is left out.
    const bool oneLine = !path.contains('\n') && !path.contains('\r');
    if (!oneLine && !path.startsWith('/'))
        return;
    executionStarts_.append(executionText_.size());
    executionText_ += oneLine ? path : "file://" + path.toPercentEncoding("/");
    executionText_ += "\r\n";
}

QByteArray PlayingModule::executionText(const TVARdlgPreferences& options) {
    if (options.grpShuffle_Tag != 2)
        return std::exchange(executionText_, QByteArray());
    const qsizetype count = executionStarts_.size();
    const auto entryAt = [this, count](qsizetype index) {
        const qsizetype end =
            index + 1 < count ? executionStarts_.at(index + 1) : executionText_.size();
        return QByteArrayView(executionText_)
            .sliced(executionStarts_.at(index), end - executionStarts_.at(index));
    };
    QByteArray text;
    text.reserve(executionText_.size());
    for (qsizetype index : ShufflePermutation(count, clock_()))
        text += entryAt(index);
    return text;
}

QString PlayingModule::chosenVerb(const TVARdlgPreferences& options) {
    if (options.radCommand_ItemIndex == 3)
        return options.edCommand_Text;
    const int index = options.radCommand_ItemIndex;
    // An index the options dialog never produces falls back to "open".
    return (index >= 0 && index < int(PlayVerbs.size())) ? PlayVerbs.at(size_t(index))
                                                         : PlayVerbs.at(0);
}

void PlayingModule::PlayExecutionList(const TVARdlgPreferences& options) {
    if (executionStarts_.isEmpty()) {
        endExecution();
        return;
    }
    const QString verb = chosenVerb(options);
    const QByteArray text = executionText(options);
    endExecution();
    if (RuntimeFolder::writeFileNoFollow(temporaryPlayListPath_, text).failed()) {
        dialogs_.showMessage(QLatin1String("Unable to save temporary playlist file!\r") +
                             temporaryPlayListPath_);
        return;
    }
    reportLaunchResult(launcher_(verb, temporaryPlayListPath_), verb);
}

void PlayingModule::reportLaunchResult(int result, const QString& verb) {
    if (result > 32)
        return;
    if (result == 27 || result == 31) {
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
    executionText_.clear();
    executionStarts_.clear();
    lookup_ = PathCaseLookup();
}

void PlayingModule::abandon(const Status& status) {
    endExecution();
    dialogs_.showMessage(status.message());
}
