#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <span>

class FolderListing;
struct PlaylistRelocation;
struct SongRelocation;

// The files named like the missing songs of some playlists, letter case ignored, gathered in
// one walk; then, for every missing song, the files that name the most folders alike with the
// song's old place, from the file's own folder upwards.
//
// Folders and folded names are numbered. The files of one name are sorted into a tree by the
// names of their folders, upwards, built only as far as some song asks, so a song costs a few
// look-ups even when its name is found thousands of times (cover.jpg): a tie keeps its count,
// and only the first MaxCandidates of it (by path) are offered.
class MovedSongIndex {
public:
    static constexpr int MaxCandidates = 100;

    explicit MovedSongIndex(const QList<PlaylistRelocation>& playlists);

    // The walk's step: keeps the folder's files whose names are wanted.
    void addFolder(FolderListing& listing);
    // Fills in every song's candidates; a single best candidate is chosen and checked, a tie
    // for the best is left to the user.
    void propose(QList<PlaylistRelocation>& playlists);

    // A name folded for comparing without letter case, as UTF-8 (ASCII names take a short
    // way; others are decoded as entries are).
    static QByteArray foldedName(QByteArrayView name);

private:
    struct Folder {
        int parent;      // -1 above the root
        int name;        // folded name's number
        QByteArray path; // ends in "/"
    };
    struct File {
        int wanted; // the song name's number
        int folder;
        QByteArray name;
    };
    using Files = std::span<const File>;
    // Files of one name whose folders, up to this node's depth, are named alike.
    struct Node {
        QList<int> files;      // indexes into the name's files
        QHash<int, int> below; // next folder name's number -> node; filled when first asked
        bool sorted = false;
        QList<QByteArray> offered; // the first MaxCandidates paths; made when first asked
    };

    int folderOf(const QByteArray& path);
    int nameNumber(const QByteArray& folded);
    int folderNameNumber(QByteArrayView name);
    int ancestor(int folder, int depth) const;
    void groupFiles();
    Files filesNamed(int wanted) const;
    void sortBelow(int node, Files files, int depth);
    int bestNode(int wanted, const QList<int>& oldFolders);
    const QList<QByteArray>& offered(int node, Files files);
    QByteArray pathOf(const File& file) const;
    void propose(SongRelocation& song, int wanted);

    QHash<QByteArray, int> wanted_; // folded song name -> its number
    QList<int> songNames_;          // each song's name number, in playlist order
    QList<File> files_;             // found in walk order; then grouped by name
    QList<qsizetype> filesStart_;   // where each name's files begin, once grouped
    QList<int> roots_;              // each name's node of all its files, or -1
    QList<Node> nodes_;
    QList<Folder> folders_;
    QHash<QByteArray, int> folderNumbers_;  // path -> index in folders_
    QHash<QByteArray, int> names_;          // folded folder name -> number
    QHash<QByteArray, int> oldFolderNames_; // an old folder's name as written -> number
};
