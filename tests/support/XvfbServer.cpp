#include "XvfbServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {
bool displayTaken(int number) {
    return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}
} // namespace

XvfbServer::XvfbServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return;
    for (int number = 140; number < 200; ++number) {
        if (displayTaken(number))
            continue;
        const QString display = QStringLiteral(":%1").arg(number);
        server_.start(xvfb, {display, QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        if (!server_.waitForStarted())
            return;
        // Up once its socket exists; gone when another server took the number meanwhile.
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && server_.state() == QProcess::Running &&
               !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            QThread::msleep(50);
        if (server_.state() == QProcess::Running && !deadline.hasExpired()) {
            display_ = display;
            return;
        }
        server_.kill();
        server_.waitForFinished();
    }
}

XvfbServer::~XvfbServer() {
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) {
        server_.kill();
        server_.waitForFinished();
    }
}
