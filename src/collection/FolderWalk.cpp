#include "FolderWalk.h"

#include "FolderListing.h"
#include "common/PathRules.h"

#include <QFile>
#include <QSet>

namespace {

class Walk {
public:
    explicit Walk(const ListingStep& step) : step_(step) {}

    // Remembers the folder; false when it is none or was walked before (a cycle, a second link).
    bool firstTime(const FolderListing& listing);
    // The result of the last sub-folder visited, or of the folder's own step.
    bool visit(const QString& folder, FolderListing& listing);
    const Status& error() const { return error_; }

private:
    bool visitSubFolders(const QString& folder, FolderListing& listing);

    const ListingStep& step_;
    QSet<NativeFolder::Id> walked_;
    Status error_ = Status::ok();
};

bool isSkippedName(const QByteArray& name) {
    return name.startsWith('.') || name.endsWith('.');
}

bool Walk::firstTime(const FolderListing& listing) {
    if (!listing.exists() || walked_.contains(listing.id()))
        return false;
    walked_.insert(listing.id());
    return true;
}

bool Walk::visit(const QString& folder, FolderListing& listing) {
    const StepResult result = step_(folder, listing);
    if (result.error().failed()) {
        error_ = result.error();
        return false;
    }
    if (!result.goesOn())
        return false;
    return visitSubFolders(folder, listing);
}

bool Walk::visitSubFolders(const QString& folder, FolderListing& listing) {
    bool current = true;
    for (const NativeFolder::Entry& entry : listing.entries()) {
        if (!entry.maybeFolder || isSkippedName(entry.name))
            continue;
        FolderListing subFolder(listing.nativePath() + entry.name + '/');
        if (!firstTime(subFolder))
            continue;
        current = visit(folder + QFile::decodeName(entry.name) + QLatin1Char('/'), subFolder);
        if (error_.failed())
            return false;
    }
    return current;
}

} // namespace

WalkResult WalkFolders(const QString& startFolder, const ListingStep& step) {
    const QString start = AddTrailingBackslash(startFolder);
    if (start.isEmpty())
        return {};
    FolderListing listing(QFile::encodeName(start));
    Walk walk(step);
    if (!walk.firstTime(listing))
        return {};
    const bool completed = walk.visit(start, listing);
    return {completed && walk.error().isOk(), walk.error()};
}

WalkResult WalkFolders(const QString& startFolder, const FolderStep& step) {
    return WalkFolders(startFolder, ListingStep([&](const QString& folder, FolderListing&) {
                           return step(folder);
                       }));
}

WalkResult RunWithoutWaitWindow(const QString&, const QString&,
                                const std::function<WalkResult()>& walk) {
    return walk();
}
