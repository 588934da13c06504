#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// A desktop of its own for shell tests: XDG folders in a temporary folder holding a fake
// player (default for audio/x-mpegurl, with "Play" and "Enqueue" actions) whose command
// records every launch: its arguments and a copy of the playlist it was given.
class FakePlayer {
public:
    struct Launch {
        QStringList arguments;
        QByteArray playlist;
    };

    FakePlayer();
    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }

    // The XDG variables pointing into the fake desktop; GIO caches them per process, so use
    // them for a child process, or apply them before this process first uses GIO.
    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;
    void applyToThisProcess() const;

    // Launches recorded so far, oldest first.
    QList<Launch> launches() const;
    // Waits until at least `count` launches were recorded.
    bool waitForLaunches(int count, int timeoutMs = 10000) const;

private:
    void writeDesktop();

    QTemporaryDir dir_;
};
