#include "FolderWalk.h"
#include "base/PathText.h"

#include "CollectionLog.h"
#include "FolderListing.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "platform/RawNames.h"

#include <QFile>
#include <QSet>

#include <optional>

namespace {

class Walk {
public:
    Walk(const ListingStep& step, std::optional<QByteArray> inside)
        : step_(step), inside_(std::move(inside)) {}

    // Remembers the folder; false when it is none or was walked before (a cycle, a second link).
    bool firstTime(const FolderListing& listing);
    // The result of the last sub-folder visited, or of the folder's own step.
    bool visit(FolderListing& listing);
    const Status& error() const { return error_; }
    qsizetype folderCount() const { return walked_.size(); }

private:
    bool visitSubFolders(FolderListing& listing);
    bool leavesTree(const QByteArray& folder) const;

    const ListingStep& step_;
    // The real path of the start folder, ending in "/", when links must not lead out of it.
    std::optional<QByteArray> inside_;
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

bool Walk::visit(FolderListing& listing) {
    const StepResult result = step_(decodeText(listing.nativePath()), listing);
    if (result.error().failed()) {
        error_ = result.error();
        return false;
    }
    if (!result.goesOn())
        return false;
    return visitSubFolders(listing);
}

bool Walk::leavesTree(const QByteArray& folder) const {
    if (!inside_)
        return false;
    const std::optional<QByteArray> real = RawNames::realPath(folder);
    return !real || !QByteArray(*real + '/').startsWith(*inside_);
}

bool Walk::visitSubFolders(FolderListing& listing) {
    bool current = true;
    for (const NativeFolder::Entry& entry : listing.entries()) {
        if (!entry.maybeFolder || isSkippedName(entry.name))
            continue;
        const QByteArray path = listing.nativePath() + entry.name + '/';
        if (entry.maybeLink && leavesTree(path))
            continue;
        FolderListing subFolder(path);
        if (!firstTime(subFolder))
            continue;
        current = visit(subFolder);
        if (error_.failed())
            return false;
    }
    return current;
}

} // namespace

WalkResult walkFolders(const QByteArray& startFolder, const ListingStep& step, LinkScope links) {
    const QByteArray start = NativePath::withTrailingSeparator(startFolder);
    if (start.isEmpty())
        return {};
    std::optional<QByteArray> inside;
    if (links == LinkScope::StayInside)
        inside = NativePath::withTrailingSeparator(RawNames::realPath(start).value_or(start));
    FolderListing listing(start);
    Walk walk(step, std::move(inside));
    if (!walk.firstTime(listing)) {
        qCDebug(lcCollection) << "no walk: no folder" << start;
        return {};
    }
    qCDebug(lcCollection) << "walking" << start;
    const bool completed = walk.visit(listing);
    // One line for the whole walk, however many folders it saw; a failure logged its cause.
    qCDebug(lcCollection).nospace()
        << "walked " << start << ": " << walk.folderCount() << " folders, "
        << (walk.error().failed() ? "ended by a failure"
            : completed           ? "to the end"
                                  : "stopped");
    return {completed && walk.error().isOk(), walk.error()};
}

WalkResult walkFolders(const QString& startFolder, const ListingStep& step) {
    return walkFolders(pathBytes(startFolder), step);
}

WalkResult walkFolders(const QString& startFolder, const FolderStep& step) {
    return walkFolders(startFolder, ListingStep([&](const QString& folder, FolderListing&) {
                           return step(folder);
                       }));
}

WalkResult runWithoutWaitWindow(const QString&, const QString&, const WalkWithProgress& walk) {
    NoProgress silent;
    return walk(silent);
}
