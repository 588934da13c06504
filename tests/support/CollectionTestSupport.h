#pragma once

#include "TestSupport.h"
#include "common/WalkProgress.h"
#include "common/gui/WaitWindow.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QLabel>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <functional>

#include <ftw.h>
#include <stdio.h>

// Folder trees in temporary folders, and driving the collection dialogs without ever blocking.
namespace CollectionTest {

// Texts for tables (the program is built without casts from char strings).
inline QString S(const char* text) {
    return QString::fromUtf8(text);
}
inline QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

// Paths ending in "/" become folders, the others files holding their own name.
inline void makeTree(const QString& root, const QStringList& paths) {
    for (const QString& path : paths) {
        const QString full = root + QLatin1Char('/') + path;
        if (path.endsWith(QLatin1Char('/')))
            QDir().mkpath(full);
        else
            TestSupport::writeBytes(full, path.toUtf8());
    }
}

// Removes a tree by its bytes: Qt cannot name files whose names are not UTF-8.
inline void removeNativeTree(const QByteArray& root) {
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

// The part of a path below the root folder ("" for the root itself).
inline QString below(const QString& root, const QString& path) {
    const QString base = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(base) ? path.mid(base.size()) : path;
}

// The folder part of a relative path ("A/B/" -> "A/", "A/x.m3u" -> "A/", "A/" -> "").
inline QString parentOf(const QString& relative) {
    QString text = relative;
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text.left(text.lastIndexOf(QLatin1Char('/')) + 1);
}

// True when relative folder paths ("" the root, "A/", "A/B/") are in pre-order, depth first:
// every folder comes while the sub-tree of its parent is still open.
inline bool isDepthFirstPreOrder(const QStringList& folders) {
    QStringList open;
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            if (!open.isEmpty())
                return false;
            open.append(folder);
            continue;
        }
        while (!open.isEmpty() && open.last() != parentOf(folder))
            open.removeLast();
        if (open.isEmpty())
            return false;
        open.append(folder);
    }
    return true;
}

// True when relative folder paths may be the folders of one pre-order walk that left some
// folders out: no folder comes after the sub-tree of one of its ancestors was left.
inline bool isPreOrderSubsequence(const QStringList& folders) {
    QStringList open;
    QSet<QString> left;
    for (const QString& folder : folders) {
        while (!open.isEmpty() && !folder.startsWith(open.last())) {
            left.insert(open.last());
            open.removeLast();
        }
        for (qsizetype slash = folder.indexOf(u'/'); slash >= 0;
             slash = folder.indexOf(u'/', slash + 1))
            if (left.contains(folder.left(slash + 1)))
                return false;
        if (left.contains(QString()) || left.contains(folder))
            return false;
        open.append(folder);
    }
    return true;
}

// File-system order is not ours to predict: sorts each run of neighbours that share the folder
// and the extension (the names one mask search gives), keeping the order of the runs.
inline QStringList sortedWithinMaskRuns(QStringList paths) {
    auto key = [](const QString& path) -> QString {
        return parentOf(path) + QLatin1Char('|') +
               path.mid(path.lastIndexOf(QLatin1Char('.'))).toUpper();
    };
    for (qsizetype start = 0; start < paths.size();) {
        qsizetype end = start + 1;
        while (end < paths.size() && key(paths.at(end)) == key(paths.at(start)))
            ++end;
        std::sort(paths.begin() + start, paths.begin() + end);
        start = end;
    }
    return paths;
}

// A dialog's control by its object name, as a user's tools find it; null when there is none.
template <typename W> W* control(const QObject& dialog, const char* name) {
    return dialog.findChild<W*>(QString::fromLatin1(name));
}

// Runs `act` on the modal dialog of type D as soon as its handler has opened it; a dialog that
// is still open afterwards is rejected, so the handler always returns.
template <typename D> class ModalDialogDriver {
public:
    explicit ModalDialogDriver(std::function<void(D&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool ran() const { return ran_; }
    bool leftOpen() const { return leftOpen_; }

private:
    void poll() {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer_.stop();
        ran_ = true;
        act_(*dialog);
        if (dialog->isVisible()) {
            leftOpen_ = true;
            dialog->reject();
        }
    }

    std::function<void(D&)> act_;
    QTimer timer_;
    bool ran_ = false;
    bool leftOpen_ = false;
};

// Clicks Abort of the current wait window while the walk is at `folder`, as a user does who
// clicks while that folder is being processed. Made before the walk starts.
// The wait window on the screen, found as a user sees it, or null.
inline WaitWindow* openWaitWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* wait = qobject_cast<WaitWindow*>(widget); wait && wait->isVisible())
            return wait;
    return nullptr;
}

class AbortWhenShowing {
public:
    explicit AbortWhenShowing(const QString& folder) : folder_(folder) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { watch(); });
        timer_.start();
    }
    bool clicked() const { return clicked_; }

private:
    // Runs in the first tick's events of a new wait window, which show the first folder.
    void watch() {
        auto* wait = openWaitWindow();
        if (!wait || wait == watched_)
            return;
        watched_ = wait;
        QObject::connect(wait, &WaitWindow::folderReached, wait,
                         [this, wait](const QString& folder) { clickAt(*wait, folder); });
        clickAt(*wait, control<QLabel>(*wait, "currentFolderLabel")->text());
    }
    void clickAt(WaitWindow& wait, const QString& folder) {
        if (clicked_ || folder != folder_)
            return;
        control<QPushButton>(wait, "abortButton")->click();
        clicked_ = true;
    }

    QString folder_;
    QTimer timer_;
    QPointer<WaitWindow> watched_;
    bool clicked_ = false;
};

} // namespace CollectionTest
