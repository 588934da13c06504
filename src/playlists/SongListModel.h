#pragma once

#include "PlayListFile.h"
#include "common/FileIdentity.h"

#include <QAbstractListModel>
#include <QItemSelectionModel>

// The songs of the focused playlist: its entries' bytes (kept once, with an offset table), its
// form, and what the file was when it was read. Entries are decoded for display on demand.
class SongListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SongListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: the decoded entry; tooltip: the full path it stands for.
    QVariant data(const QModelIndex& index, int role) const override;

    QItemSelectionModel* selectionModel() { return &selection_; }

    // Reads the playlist; on failure the list is empty and the status says why.
    Status load(const QString& path);
    void clear();

    int count() const { return int(playlist_.entries.size()); }
    QByteArrayView entry(int row) const { return playlist_.entries.at(row); }
    QString text(int row) const { return DecodeEntry(entry(row)); }
    EntryList entries() const { return playlist_.entries.toList(); }
    PlayListFormat format() const { return playlist_.format; }
    // The playlist shown; empty when none is.
    const QString& playlistPath() const { return identity_.path; }
    const FileIdentity& identity() const { return identity_; }
    // Grows with every load or clear.
    quint64 generation() const { return generation_; }

    int currentRow() const;
    QList<int> selectedRows() const;
    QStringList selectedTexts() const;
    void selectAll();

private:
    void replace(IndexedPlayList playlist, FileIdentity identity);

    IndexedPlayList playlist_;
    FileIdentity identity_;
    QString baseFolder_;
    QItemSelectionModel selection_;
    quint64 generation_ = 0;
};
