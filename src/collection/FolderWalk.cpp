#include "FolderWalk.h"

#include "FolderListing.h"
#include "common/PathRules.h"

#include <QFile>
#include <QSet>

#include <sys/stat.h>

namespace {

using FolderId = QPair<quint64, quint64>; // device and inode

class Walk {
public:
    explicit Walk(const FolderStep& step) : step_(step) {}

    // Remembers the folder; false when it was walked before (a cycle or a second link).
    bool firstTime(const QString& folder);
    // The result of the last sub-folder visited, or of the folder's own step.
    bool visit(const QString& folder);
    const Status& error() const { return error_; }

private:
    bool visitSubFolders(const QString& folder);

    const FolderStep& step_;
    QSet<FolderId> walked_;
    Status error_ = Status::ok();
};

bool isSkippedName(const QString& name) {
    return name.startsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('.'));
}

bool Walk::firstTime(const QString& folder) {
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    const FolderId id(quint64(info.st_dev), quint64(info.st_ino));
    if (walked_.contains(id))
        return false;
    walked_.insert(id);
    return true;
}

bool Walk::visit(const QString& folder) {
    const StepResult result = step_(folder);
    if (result.error().failed()) {
        error_ = result.error();
        return false;
    }
    if (!result.goesOn())
        return false;
    return visitSubFolders(folder);
}

bool Walk::visitSubFolders(const QString& folder) {
    bool current = true;
    FolderReader reader(folder);
    FolderReader::Entry entry;
    while (reader.next(entry)) {
        if (!entry.maybeFolder || isSkippedName(entry.name))
            continue;
        const QString subFolder = folder + entry.name + QLatin1Char('/');
        if (!firstTime(subFolder))
            continue;
        current = visit(subFolder);
        if (error_.failed())
            return false;
    }
    return current;
}

} // namespace

WalkResult WalkFolders(const QString& startFolder, const FolderStep& step) {
    const QString start = AddTrailingBackslash(startFolder);
    if (!FolderExists(start))
        return {};
    Walk walk(step);
    walk.firstTime(start);
    const bool completed = walk.visit(start);
    return {completed && walk.error().isOk(), walk.error()};
}

WalkResult RunWithoutWaitWindow(const QString&, const QString&,
                                const std::function<WalkResult()>& walk) {
    return walk();
}
