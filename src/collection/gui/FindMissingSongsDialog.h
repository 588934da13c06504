#pragma once

#include <QDialog>

class MissingSongsModel;
class QLabel;
class QTreeView;

// The review of a search for missing songs: every playlist with its missing entries, the new
// entry proposed for each (or why there is none), a check box per song and the counts. The
// user picks among the candidates of a tie; nothing is written by the dialog itself.
class FindMissingSongsDialog : public QDialog {
    Q_OBJECT
public:
    FindMissingSongsDialog(MissingSongsModel& model, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCounts();

    MissingSongsModel& model_;
    QLabel* summary_ = nullptr;
    QTreeView* view_ = nullptr;
};
