#pragma once

#include "MissingSongs.h"

#include <QAbstractItemModel>

// The review of a search for missing songs: a row per playlist, under it a row per missing
// song with its old entry (checkable when there is something to write) and the proposed new
// entry, which the user may change to any other candidate.
class MissingSongsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { OldEntry, NewEntry, ColumnCount };
    // The new-entry column's candidates, as they would be written (a QStringList).
    static constexpr int CandidatesRole = Qt::UserRole + 1;

    explicit MissingSongsModel(QList<PlaylistRelocation> playlists, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Qt::CheckStateRole on the old entry; on the new entry the candidate's number (EditRole).
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QList<PlaylistRelocation>& playlists() const { return playlists_; }

    struct Counts {
        int missing = 0;
        int found = 0;
        int ambiguous = 0;
        int notFound = 0;
        int checked = 0;
    };
    Counts counts() const;
    // "N missing songs in P playlists: ..." for the dialog.
    QString summary() const;

Q_SIGNALS:
    void countsChanged();

private:
    const SongRelocation* song(const QModelIndex& index) const;
    SongRelocation* song(const QModelIndex& index);
    QVariant playlistData(const PlaylistRelocation& playlist, int column, int role) const;
    QVariant songData(const PlaylistRelocation& playlist, const SongRelocation& song, int column,
                      int role) const;

    QList<PlaylistRelocation> playlists_;
};
