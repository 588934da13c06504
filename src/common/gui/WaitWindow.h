#pragma once

#include "collection/FolderWalk.h"
#include "common/WalkProgress.h"

#include <QElapsedTimer>
#include <QWidget>

class FindFolderAnimation;
class QLabel;
class QPushButton;

// The wait window of a folder walk: names the folder being processed and offers Abort.
// It has no close button, stays on top, and while it keeps the foreground takes it back
// when it loses it. While it exists it is the current wait window.
class WaitWindow : public QWidget, public WalkProgress {
    Q_OBJECT
public:
    WaitWindow();
    ~WaitWindow() override;

    // The whole protocol around one walk: a fresh window, owned by the application, shown
    // with this caption and header while the walk runs, destroyed when it ends.
    static WalkResult runWalk(const QString& caption, const QString& header,
                              const WalkWithProgress& walk);

    // Whether the window takes the foreground back when another window takes it.
    bool keepsForeground() const { return keepForeground_; }
    void setKeepsForeground(bool keep) { keepForeground_ = keep; }
    // Set by Abort or a close request, and never reset.
    bool abortRequested() const { return aborted_; }

    // Cheap for every folder: the latest folder is painted about 30 times a second and
    // pending events (Abort, the close box) run every 20 ms, not once per folder.
    bool tick(const QString& folder) override;
    void setStayOnTop(bool onTop) override;

Q_SIGNALS:
    // Every folder the walk reaches, as its tick begins (whether or not it is painted).
    void folderReached(const QString& folder);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    void requestAbort();

private:
    void createComponents();
    // On activation the animation starts; on losing it, the window takes the foreground back.
    void startAnimation();
    void reclaimForegroundSoon();
    void takeForeground();
    void centreOverActiveWindow();

    void showLatestFolder(const QString& folder);

    QLabel* headerLabel_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QPushButton* abortButton_ = nullptr;
    FindFolderAnimation* animation_ = nullptr;
    bool keepForeground_ = false;
    bool aborted_ = false;
    QElapsedTimer sinceEvents_;
    QElapsedTimer sincePaint_;
    bool keepForegroundBeforeMessage_ = false;
    bool placed_ = false;
};
