#include "XvfbServer.h"

#include <QStandardPaths>

XvfbServer::XvfbServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return;
    // The server picks a free display itself and writes its number once it accepts clients.
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.start(xvfb,
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    if (!server_.waitForStarted())
        return;
    while (!server_.canReadLine() && server_.waitForReadyRead(10000)) {
    }
    bool ok = false;
    const int number = QString::fromLatin1(server_.readLine()).trimmed().toInt(&ok);
    if (ok)
        display_ = QStringLiteral(":%1").arg(number);
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
