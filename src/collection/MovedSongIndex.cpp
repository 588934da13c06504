#include "MovedSongIndex.h"

#include "FolderListing.h"
#include "MissingSongs.h"
#include "platform/RawNames.h"
#include "base/TextDecoding.h"

#include <algorithm>

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Where the last component begins, "/" and "\" both separating (old entries may be Windows').
qsizetype lastComponentStart(QByteArrayView path) {
    qsizetype at = path.size();
    while (at > 0 && !isSeparator(path.at(at - 1)))
        --at;
    return at;
}

} // namespace

QByteArray MovedSongIndex::foldedName(QByteArrayView name) {
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii)
        return name.toByteArray().toLower();
    // As decodeEntry decodes, without making a decoder for every name of a walk.
    QString text = name.isValidUtf8() ? QString::fromUtf8(name) : decodeWindows1252(name);
    return std::move(text).toCaseFolded().toUtf8();
}

MovedSongIndex::MovedSongIndex(const QList<PlaylistRelocation>& playlists) {
    for (const PlaylistRelocation& playlist : playlists)
        for (const SongRelocation& song : playlist.songs) {
            const QByteArrayView old(song.oldPath);
            const QByteArray name = foldedName(old.sliced(lastComponentStart(old)));
            auto known = wanted_.constFind(name);
            if (known == wanted_.cend())
                known = wanted_.insert(name, int(wanted_.size()));
            songNames_.append(*known);
        }
}

int MovedSongIndex::nameNumber(const QByteArray& folded) {
    if (const auto known = names_.constFind(folded); known != names_.cend())
        return *known;
    return *names_.insert(folded, int(names_.size()));
}

// The folder's number; the first folder of a walk brings its parents along, so that the
// folders above the searched one count too.
int MovedSongIndex::folderOf(const QByteArray& path) {
    if (const auto known = folderNumbers_.constFind(path); known != folderNumbers_.cend())
        return *known;
    // The root has no parent and an empty name.
    const bool root = path.size() <= 1;
    const qsizetype start = root ? 0 : path.lastIndexOf('/', path.size() - 2) + 1;
    const int parent = root ? -1 : folderOf(path.first(start));
    const int name =
        nameNumber(root ? QByteArray()
                        : foldedName(QByteArrayView(path).sliced(start, path.size() - 1 - start)));
    folders_.append({parent, name, path});
    folderNumbers_.insert(path, int(folders_.size() - 1));
    return int(folders_.size() - 1);
}

void MovedSongIndex::addFolder(FolderListing& listing) {
    int folder = -1;
    for (const NativeFolder::Entry& entry : listing.entries()) {
        const auto wanted = wanted_.constFind(foldedName(entry.name));
        if (wanted == wanted_.cend())
            continue;
        if (entry.maybeFolder && RawNames::isFolder(listing.nativePath() + entry.name))
            continue;
        if (folder < 0)
            folder = folderOf(listing.nativePath());
        files_.append({*wanted, folder, entry.name});
    }
}

// Sorts the files by name number, keeping walk order within a name.
void MovedSongIndex::groupFiles() {
    filesStart_.fill(0, wanted_.size() + 1);
    for (const File& file : std::as_const(files_))
        ++filesStart_[file.wanted + 1];
    for (qsizetype name = 0; name < wanted_.size(); ++name)
        filesStart_[name + 1] += filesStart_.at(name);
    QList<File> grouped(files_.size());
    QList<qsizetype> next = filesStart_;
    for (File& file : files_)
        grouped[next[file.wanted]++] = std::move(file);
    files_ = std::move(grouped);
    roots_.fill(-1, wanted_.size());
}

MovedSongIndex::Files MovedSongIndex::filesNamed(int wanted) const {
    const qsizetype start = filesStart_.at(wanted);
    return Files(files_.constData() + start, size_t(filesStart_.at(wanted + 1) - start));
}

QByteArray MovedSongIndex::pathOf(const File& file) const {
    return folders_.at(file.folder).path + file.name;
}

int MovedSongIndex::ancestor(int folder, int depth) const {
    for (; folder >= 0 && depth > 0; --depth)
        folder = folders_.at(folder).parent;
    return folder;
}

void MovedSongIndex::sortBelow(int node, Files files, int depth) {
    if (nodes_.at(node).sorted)
        return;
    nodes_[node].sorted = true;
    const QList<int> own = nodes_.at(node).files;
    for (int file : own) {
        const int folder = ancestor(files[size_t(file)].folder, depth);
        if (folder < 0)
            continue;
        const int name = folders_.at(folder).name;
        int child = nodes_.at(node).below.value(name, -1);
        if (child < 0) {
            child = int(nodes_.size());
            nodes_.append(Node());
            nodes_[node].below.insert(name, child);
        }
        nodes_[child].files.append(file);
    }
}

// The node of the files sharing the most folders with the old place, or -1 when none has
// the name.
int MovedSongIndex::bestNode(int wanted, const QList<int>& oldFolders) {
    const Files files = filesNamed(wanted);
    if (files.empty())
        return -1;
    int node = roots_.at(wanted);
    if (node < 0) {
        node = int(nodes_.size());
        Node all;
        for (int i = 0; i < int(files.size()); ++i)
            all.files.append(i);
        nodes_.append(std::move(all));
        roots_[wanted] = node;
    }
    for (int depth = 0; depth < oldFolders.size() && nodes_.at(node).files.size() > 1; ++depth) {
        sortBelow(node, files, depth);
        const int next = nodes_.at(node).below.value(oldFolders.at(depth), -1);
        if (next < 0)
            break;
        node = next;
    }
    return node;
}

const QList<QByteArray>& MovedSongIndex::offered(int node, Files files) {
    Node& tied = nodes_[node];
    if (tied.offered.isEmpty()) {
        QList<QByteArray> paths;
        paths.reserve(tied.files.size());
        for (int file : tied.files)
            paths.append(pathOf(files[size_t(file)]));
        const qsizetype kept = qMin(paths.size(), qsizetype(MaxCandidates));
        std::partial_sort(paths.begin(), paths.begin() + kept, paths.end());
        tied.offered = paths.first(kept);
    }
    return tied.offered;
}

// Songs of one album share their folders' names, so each is folded once.
int MovedSongIndex::folderNameNumber(QByteArrayView name) {
    const QByteArray written = name.toByteArray();
    if (const auto known = oldFolderNames_.constFind(written); known != oldFolderNames_.cend())
        return *known;
    return *oldFolderNames_.insert(written, names_.value(foldedName(name), -1));
}

void MovedSongIndex::propose(SongRelocation& song, int wanted) {
    const Files files = filesNamed(wanted);
    if (files.size() <= 1) {
        // Found once or not at all: nothing to rank.
        song.candidates.clear();
        if (!files.empty())
            song.candidates.append(pathOf(files.front()));
        song.candidateCount = song.candidates.size();
    } else {
        // The old place's folders, the file's own first, "/" and "\" both separating.
        const QByteArrayView old(song.oldPath);
        QList<int> oldFolders;
        for (qsizetype end = lastComponentStart(old); end > 0;) {
            const qsizetype start = lastComponentStart(old.first(end - 1));
            if (end - 1 > start)
                oldFolders.append(folderNameNumber(old.sliced(start, end - 1 - start)));
            end = start;
        }
        const int node = bestNode(wanted, oldFolders);
        song.candidates = offered(node, files);
        song.candidateCount = nodes_.at(node).files.size();
    }
    song.chosen = song.candidateCount == 1 ? 0 : -1;
    song.checked = song.chosen == 0;
}

void MovedSongIndex::propose(QList<PlaylistRelocation>& playlists) {
    groupFiles();
    qsizetype next = 0;
    for (PlaylistRelocation& playlist : playlists)
        for (SongRelocation& song : playlist.songs)
            propose(song, songNames_.at(next++));
}
