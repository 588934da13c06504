#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QStringList>

// The list of playlists: full paths (kept in the settings record, which this model alone
// changes), the focused one and the selection. Shown as file names, the full path as hint.
class PlaylistListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole;

    explicit PlaylistListModel(QStringList& paths, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QItemSelectionModel* selectionModel() { return &selection_; }
    const QStringList& paths() const { return paths_; }
    QString path(int row) const { return paths_.value(row); }
    int count() const { return int(paths_.size()); }

    int currentRow() const;
    QString currentPath() const { return path(currentRow()); }
    // Moves the focus without touching the selection.
    void setCurrentRow(int row);
    QList<int> selectedRows() const;
    QStringList selectedPaths() const;
    void select(int row);
    void selectAll();

    // Grows with every change to the list's rows, so a command can tell that the rows it was
    // given are no longer the ones shown.
    quint64 generation() const { return generation_; }

    // Another list takes this one's place (an INI file was read).
    void replaceAll(const QStringList& paths);
    void append(const QStringList& paths);
    void setPath(int row, const QString& path);
    void removeRowsAt(QList<int> rows);
    // Moves the rows, kept in their order, so that the first lands at `destination`.
    void moveRows(QList<int> rows, int destination);
    // Moves each row one place up (step -1) or down (+1); a row at the end, or behind one
    // that cannot move, stays.
    void moveRowsByOne(QList<int> rows, int step);
    void sortByName();

private:
    void changed();
    // `order` lists the old row of every new row.
    void reorder(const QList<int>& order);

    QStringList& paths_;
    QItemSelectionModel selection_;
    quint64 generation_ = 0;
};
