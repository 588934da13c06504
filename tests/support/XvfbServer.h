#pragma once

#include <QProcess>
#include <QString>

// An X server of the test's own on a free display, stopped when the object goes.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    // False when Xvfb is not installed or did not come up.
    bool isRunning() const { return !display_.isEmpty(); }
    QString display() const { return display_; } // ":N"

private:
    QProcess server_;
    QString display_;
};
