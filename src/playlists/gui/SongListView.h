#pragma once

#include <QListView>

// The list of songs: missing songs drawn as such, and the row in view reported whenever it
// scrolls or resizes, so the check for missing songs looks there first.
class SongListView : public QListView {
    Q_OBJECT
public:
    explicit SongListView(QWidget* parent = nullptr);

Q_SIGNALS:
    void firstVisibleRowChanged(int row);

protected:
    // A missing mark changes neither text nor size: only rows in view are repainted, where
    // QListView would lay out every row again (tens of milliseconds for a million songs).
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;

private:
    void reportFirstVisibleRow();
    bool inView(int first, int last) const;
};
