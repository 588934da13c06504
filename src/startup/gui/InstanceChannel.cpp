#include "InstanceChannel.h"

#include "startup/HandOffFrame.h"
#include "startup/StartupLog.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QVariant>

#include <cstdio>

namespace {

constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_4; // of the reply
// A frame that grows beyond this without being complete is treated as unreadable.
constexpr qint64 MaxFrameBytes = 1 << 20;
constexpr int ConnectMsecs = 1000;
constexpr int RetryMsecs = 50;
// How long a copy waits for a lock holder that does not listen (it is between taking the lock
// and listening, or hangs) before it runs on its own.
constexpr int PatienceMsecs = 2000;
constexpr const char* HandledProperty = "platterboxHandled";
// A live copy greets within its event loop's reaction time; a few seconds spare a busy one.
constexpr int GreetingMsecs = 4000;
constexpr qint32 GreetingCode = 1;
constexpr qint32 ReplyCode = 0;
constexpr qint64 CodeBytes = sizeof(qint32);

// The user may run without the single-copy rule but should learn why, once, where a program
// started from a terminal reports.
void report(const QString& text) {
    qCWarning(lcStartup).noquote() << text;
    std::fprintf(stderr, "Platterbox: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

InstanceChannel::InstanceChannel(const QString& folder, QObject* parent)
    : QObject(parent), folder_(folder),
      lock_(folder + QLatin1Char('/') + QLatin1String(LockFileName)) {
    // Only a dead owner makes the lock stale, never its age.
    lock_.setStaleLockTime(0);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::socketPath() const {
    return folder_ + QLatin1Char('/') + QLatin1String(SocketName);
}

InstanceChannel::Role InstanceChannel::claimOrHandOver(const QStringList& commandLine) {
    const QDeadlineTimer patience(PatienceMsecs);
    for (;;) {
        const Claim claim = tryClaim();
        if (claim == Claim::Taken && !startListening())
            lock_.unlock(); // nobody could reach us: let the next copy run on its own too
        else if (claim == Claim::Taken)
            qCDebug(lcStartup) << "the running copy, listening at" << socketPath();
        if (claim == Claim::Unavailable)
            qCDebug(lcStartup) << "running without the single-copy channel; runtime folder:"
                               << folder_;
        if (claim != Claim::HeldByOther)
            return Role::Running;
        const Delivery delivery = deliver(commandLine);
        if (delivery == Delivery::Answered) {
            qCDebug(lcStartup) << "handed" << commandLine << "to the running copy";
            return Role::HandedOver;
        }
        if (delivery == Delivery::Silent) {
            qCWarning(lcStartup) << "the copy listening at" << socketPath()
                                 << "did not greet within" << GreetingMsecs << "ms";
            return Role::Unanswered;
        }
        if (delivery == Delivery::NotConnected && patience.hasExpired()) {
            report(QLatin1String("the copy holding ") + lock_.fileName() +
                   QLatin1String(" does not answer; this copy runs on its own."));
            return Role::Running;
        }
        QThread::msleep(RetryMsecs);
    }
}

InstanceChannel::Claim InstanceChannel::tryClaim() {
    if (folder_.isEmpty())
        return Claim::Unavailable;
    if (lock_.tryLock(0))
        return Claim::Taken;
    return lock_.error() == QLockFile::LockFailedError ? Claim::HeldByOther : Claim::Unavailable;
}

bool InstanceChannel::startListening() {
    // A socket left by a crashed copy; the lock says no live copy listens on it.
    QLocalServer::removeServer(socketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::acceptConnections);
    if (server_->listen(socketPath()))
        return true;
    report(QLatin1String("cannot listen at ") + socketPath() + QLatin1String(" (") +
           server_->errorString() + QLatin1String("); later copies will run on their own."));
    delete server_;
    server_ = nullptr;
    return false;
}

InstanceChannel::Delivery InstanceChannel::deliver(const QStringList& commandLine) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(ConnectMsecs))
        return Delivery::NotConnected;
    // The connection alone proves nothing: the kernel accepts it for a stopped copy too.
    const QDeadlineTimer greeting(GreetingMsecs);
    while (socket.bytesAvailable() < CodeBytes && !greeting.hasExpired() &&
           socket.waitForReadyRead(int(greeting.remainingTime()))) {
    }
    if (socket.bytesAvailable() < CodeBytes)
        return socket.state() == QLocalSocket::ConnectedState ? Delivery::Silent
                                                              : Delivery::Dropped;
    (void)socket.read(CodeBytes);
    socket.write(HandOffFrame::encode(commandLine));
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(-1)) {
    }
    // The reply comes after the running copy's handler, however long its question is open.
    while (socket.bytesAvailable() < CodeBytes && socket.waitForReadyRead(-1)) {
    }
    return socket.bytesAvailable() >= CodeBytes ? Delivery::Answered : Delivery::Dropped;
}

void InstanceChannel::setHandler(Handler handler) {
    handler_ = std::move(handler);
    if (!server_ || !handler_)
        return;
    // Frames that came before the handler existed.
    for (QLocalSocket* socket : server_->findChildren<QLocalSocket*>())
        if (socket->bytesAvailable() > 0)
            readFrame(socket);
}

void InstanceChannel::acceptConnections() {
    if (!server_)
        return;
    while (server_->hasPendingConnections()) {
        QLocalSocket* socket = server_->nextPendingConnection();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrame(socket); });
        QDataStream(socket) << GreetingCode;
        if (socket->bytesAvailable() > 0)
            readFrame(socket);
    }
}

void InstanceChannel::readFrame(QLocalSocket* socket) {
    if (!handler_ || socket->property(HandledProperty).toBool())
        return; // an early frame waits for the handler
    const QByteArray received = socket->peek(socket->bytesAvailable());
    const HandOffFrame frame = HandOffFrame::decode(received);
    if (frame.state == HandOffFrame::State::Incomplete && received.size() <= MaxFrameBytes)
        return; // the rest of the frame is still on its way
    (void)socket->readAll();
    // An unreadable frame is handled like an empty command line.
    const QStringList commandLine = frame.commandLine;
    if (frame.state == HandOffFrame::State::Complete)
        qCDebug(lcStartup) << "received" << commandLine << "from another copy";
    else
        qCDebug(lcStartup) << "received an unreadable command line from another copy";
    socket->setProperty(HandledProperty, true);
    // The sender can vanish while the handler waits for the user.
    const QPointer<QLocalSocket> guard(socket);
    Reply answer = [guard] {
        if (guard)
            reply(guard, ReplyCode);
    };
    handler_(commandLine, std::move(answer));
}

void InstanceChannel::reply(QLocalSocket* socket, qint32 code) {
    QDataStream out(socket);
    out.setVersion(StreamVersion);
    out << code;
    socket->disconnectFromServer(); // after the reply has been written
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater(); // gone before its disconnected signal was connected
}
