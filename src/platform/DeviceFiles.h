#pragma once

#include "FileHandle.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// What copying songs onto a device (a USB stick, an SD card, a phone) needs from the system.
// Paths are the file system's bytes.
namespace DeviceFiles {

// The kinds of file system whose name rules the copy follows.
enum class FileSystemKind { Other, Fat, ExFat };

// The file system that holds a folder, as the copy sees it.
struct Volume {
    quint64 device = 0;   // the folder's device (major << 32 | minor): another means unmounted
    qint64 freeBytes = 0; // what an unprivileged writer may still use
    bool readOnly = false;
    FileSystemKind kind = FileSystemKind::Other;
    // A file system in user space (exfat-fuse): syncfs() may not reach it, fsync() does.
    bool userSpace = false;
};
// Nothing when the folder cannot be looked at; `cause` then says why.
std::optional<Volume> volumeOf(const QByteArray& folder, QString* cause = nullptr);

// What a look at a name tells: only what the copy compares.
struct PlaceStatus {
    bool isRegular = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
};

// Looks at many files folder by folder: each folder is opened once while the files asked for
// stay in it, so a look walks one name, not the whole path, and a missing folder answers for
// all its names without a look at each.
class FolderLook {
public:
    FolderLook() = default;
    FolderLook(const FolderLook&) = delete;
    FolderLook& operator=(const FolderLook&) = delete;

    // The file at the absolute `path`, symbolic links followed; nothing when there is none.
    std::optional<PlaceStatus> status(const QByteArray& path);

private:
    enum class Folder { None, Open, Missing, Unopened };
    void enter(QByteArrayView folder);

    QByteArray folder_;
    FileHandle handle_;
    Folder state_ = Folder::None;
};

// The folder and every missing folder above it; 0 or the errno of the step that failed.
int makeFolders(const QByteArray& folder);

// How a copy ended: the source could not be read (the song is left out), the target could
// not be written (the device is full or gone: the copy stops), or the tick asked to stop.
struct CopyOutcome {
    enum class Kind { Done, SourceFailed, TargetFailed, Stopped };
    Kind kind = Kind::Done;
    int error = 0;
    QString cause; // the step and the system's reason, for the log and the summary
};
// Told how many bytes are done so far; false stops the copy.
using CopyTick = std::function<bool(qint64 copied)>;

// A song copied into a temporary file beside the name it is to take.
struct PendingCopy {
    QByteArray temporary;
    QByteArray target;
};

// Copies a regular file into a temporary file beside `to` (kernel to kernel where the file
// systems allow, else through one fixed buffer) and gives it the source's modification time;
// the name is not taken yet, so a failure leaves nothing under it (and removes the temporary).
// A FIFO or a device is refused without waiting on it.
CopyOutcome copyToTemporary(const QByteArray& from, const QByteArray& to, const CopyTick& tick,
                            PendingCopy& pending);

// Makes the copies durable and only then renames each over its name, in order: a stick pulled
// at any moment holds whole songs under their names. One syncfs() of the device serves the
// whole batch, or with `eachFile` one fsync() a copy (file systems in user space). Fails at the
// first that cannot be committed; it and the ones after it are removed. `committed` counts
// the ones renamed.
CopyOutcome commitCopies(const QList<PendingCopy>& copies, const QByteArray& deviceFolder,
                         bool eachFile, qsizetype& committed);

// Removes temporaries that will not be committed.
void discardCopies(const QList<PendingCopy>& copies);

} // namespace DeviceFiles
