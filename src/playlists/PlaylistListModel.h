#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QSet>

#include <utility>

#include "common/PathCaseLookup.h"

// The list of playlists: full paths as the file system's bytes (this model owns them; the
// instance INI file is read into it and written from it); the focus and the selection are the
// view's (RowSelection). Shown
// as file names decoded for display, the full path as hint. Every change costs time in proportion
// to the rows it touches, never to the rows times the selection.
class PlaylistListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The path's bytes.
    static constexpr int PathRole = Qt::UserRole;

    explicit PlaylistListModel(QList<QByteArray> paths = {}, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const QList<QByteArray>& paths() const { return paths_; }
    // A row's path as the list holds it. A path read from an INI file is kept as it was written
    // there until its row is first shown or used; a start costs no look at the disk per row.
    QByteArray path(int row) const;
    // Looks a row's path up on disk: when only the letter case differs, the disk's spelling
    // takes its place in the list (dataChanged). Commands call it for the rows they use; rows
    // shown get it from the event loop right after they were first shown.
    QByteArray adoptDiskSpelling(int row);
    int count() const { return int(paths_.size()); }
    // The rows' paths as the list holds them, for Execute, which finds each on disk anyway
    // (with its folder's listing, cheaper than a look per row here).
    QList<QByteArray> pathsAt(const QList<int>& rows) const;

    // Grows with every change to the list's rows, so a command can tell that the rows it was
    // given are no longer the ones shown.
    quint64 generation() const { return generation_; }

    // Another list takes this one's place (an INI file was read).
    void replaceAll(const QList<QByteArray>& paths);
    void append(const QList<QByteArray>& paths);
    void setPath(int row, const QByteArray& path);
    void removeRowsAt(QList<int> rows);
    // Moves the rows, kept in their order, so that the first lands at `destination`.
    void moveRows(QList<int> rows, int destination);
    // Moves each row one place up (step -1) or down (+1); a row at the end, or behind one
    // that cannot move, stays.
    void moveRowsByOne(QList<int> rows, int step);
    // By the shown form of the full paths, in the user's collation.
    void sortByName();

private:
    void changed();
    // `order` lists the old row of every new row.
    void reorder(const QList<int>& order);
    QList<bool> rowMask(const QList<int>& rows) const;

    // The disk's spelling of a path, looked up once.
    QByteArray diskSpelling(const QByteArray& path) const;
    void adoptShownSpellings();

    QList<QByteArray> paths_;
    // Caches of what the disk says, which showing a row fills; the list itself changes only
    // in adoptDiskSpelling().
    mutable PathCaseLookup lookup_;
    mutable QSet<QByteArray> lookedUp_;
    // Rows shown with a spelling the list does not hold yet, with the path they held then.
    mutable QList<std::pair<int, QByteArray>> shownUnadopted_;
    quint64 generation_ = 0;
};
