#pragma once

#include "DeviceCopyPlan.h"

#include <QString>
#include <QStringList>

class WalkProgress;

// How far a copy got.
struct DeviceCopyResult {
    qsizetype copied = 0;
    qint64 copiedBytes = 0;
    qsizetype alreadyThere = 0;
    qsizetype playlistsWritten = 0;
    qsizetype kept = 0;   // files of another size or time left as they were
    qsizetype toCopy = 0; // songs the copy set out to copy
    bool aborted = false;
    QString stoppedBy;    // what ended the copy early: a full or removed device
    QStringList failures; // songs and playlists not written, each with its cause
};

// Copies the planned songs, each once, then writes each playlist as soon as its songs are
// there; files of another size or time are replaced only when `replacing`. The progress is
// told the song and the bytes done of the total; its stop (Abort) ends the copy between two
// buffers, and the song under way is dropped whole. Nothing on the device is deleted.
DeviceCopyResult runDeviceCopy(const DeviceCopyPlan& plan, bool replacing, WalkProgress& progress);

// "<n> songs copied (<size>), <m> already there, <k> missing. <p> playlists written." with
// what was left out and why, and how far an aborted or stopped copy got.
QString deviceCopySummary(const DeviceCopyPlan& plan, const DeviceCopyResult& result);

// A size as the copy shows it ("1.5 GB").
QString deviceSizeText(qint64 bytes);
