#pragma once

#include <QListView>

class QLabel;
class SongListModel;

// The list of songs: missing songs drawn as such, and the row in view reported whenever it
// scrolls or resizes, so the check for missing songs looks there first. While a long playlist
// is still being read, a line at the bottom says so and counts the songs read.
class SongListView : public QListView {
    Q_OBJECT
public:
    explicit SongListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // The line shown while songs are read; hidden otherwise.
    const QLabel* readingLine() const { return readingLine_; }

Q_SIGNALS:
    void firstVisibleRowChanged(int row);

protected:
    // A missing mark changes neither text nor size: only rows in view are repainted, where
    // QListView would lay out every row again (tens of milliseconds for a million songs).
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void reportFirstVisibleRow();
    bool inView(int first, int last) const;
    void showReading();
    void placeReadingLine();

    SongListModel* songs_ = nullptr;
    QLabel* readingLine_ = nullptr;
};
