#pragma once

#include "base/Result.h"
#include "platform/DeviceFiles.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class WalkProgress;

// Where the songs go on the device.
enum class DeviceLayout : qint32 {
    KeepFolders = 0,      // under their folders below the deepest folder all songs share
    FolderPerPlaylist = 1 // a folder per playlist, numbered in playlist order
};

struct DeviceCopyOptions {
    QByteArray target; // the device's folder
    DeviceLayout layout = DeviceLayout::KeepFolders;
    bool deviceNames = true;   // names valid on FAT32 and exFAT
    bool carStereoM3u = false; // every playlist as M3U with "\" and CR LF
};

// What stands at a song's or a playlist's place on the device before the copy.
enum class DevicePlace { Free, Same, Differs };

struct DeviceSong {
    QByteArray source; // as the playlist resolves it
    QByteArray target;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    DevicePlace place = DevicePlace::Free;
};

struct DevicePlaylist {
    QByteArray listPath; // as the playlist list names it
    QByteArray target;
    QByteArray bytes; // the file as written on the device
    DevicePlace place = DevicePlace::Free;
    qsizetype lastSong = -1; // the last of the copy's songs it holds
};

// Everything the copy will do, decided before the first byte.
struct DeviceCopyPlan {
    DeviceCopyOptions options;
    DeviceFiles::Volume volume;
    QList<DeviceSong> songs;         // each once, in the order the playlists first name them
    QList<DevicePlaylist> playlists; // in the order selected
    QStringList missing;             // songs not found, as shown
    QStringList leftOut;             // songs that cannot go, each with why
    QStringList problems;            // playlists that cannot be copied, with the message

    // Files of another size or time (or, for a playlist, other bytes) at the copy's places.
    qsizetype replacements() const;
    // The bytes to copy, the files replaced counted when `replacing`.
    qint64 bytesToCopy(bool replacing) const;
};

// Reads the playlists, finds their songs, names every file on the device and looks at what
// the device already holds there; ticks once per playlist. Fails with the message to show
// when the copy cannot begin: no such folder, a read-only medium, a folder inside the music.
// An abort by the progress is a failure without a message.
Result<DeviceCopyPlan> planDeviceCopy(const QList<QByteArray>& playlists,
                                      const DeviceCopyOptions& options, WalkProgress& progress);

// Fails with "<n> MB more are needed on <folder>." when the device cannot take the copy.
Status checkDeviceSpace(const DeviceCopyPlan& plan, bool replacing);

// The path of `to` from the folder of `from`, both below the same folder; "\" between folders
// when asked.
QByteArray devicePathFrom(const QByteArray& from, const QByteArray& to, bool backslashes);
