#pragma once

#include <QLockFile>
#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

// One running copy per user. The copy that takes the lock file "instance.lock" in the
// program's runtime folder is the running one: it removes a socket left by a crashed copy and
// listens on the local socket "TfrmPlatterboxMain" (user-only access). Any other copy connects
// and waits a few seconds for the running copy's greeting, which its event loop sends on every
// connection at once; then it sends its command line as one frame (a QDataStream of a
// QStringList) and waits until the running copy replies, which it does after its handler has
// run, the user's answer included. Hand-offs that arrive before the handler exists wait for it.
// A copy that is stopped or hung sends no greeting: the frame is then never sent, so it finds
// nothing to act on when it comes back.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // Unanswered: a copy holds the channel but does not greet; it keeps the lock and socket.
    enum class Role { Running, HandedOver, Unanswered };
    // Sends the sender its reply; harmless once the sender is gone.
    using Reply = std::function<void()>;
    // Calls `reply` once it is done with the command line, then or later.
    using Handler = std::function<void(const QStringList& commandLine, Reply reply)>;

    static constexpr const char* LockFileName = "instance.lock";
    static constexpr const char* SocketName = "TfrmPlatterboxMain";

    // folder: the private runtime folder; empty when there is none (every copy then runs).
    explicit InstanceChannel(const QString& folder, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Becomes the running copy, or hands the command line to the running copy and returns
    // once it has replied. A running copy that ends without replying is replaced: this copy
    // then tries again to become the running one.
    Role claimOrHandOver(const QStringList& commandLine);

    // Each command line received from now on (and each already waiting) goes to the handler;
    // the sender gets its reply when the handler calls the reply it was given.
    void setHandler(Handler handler);

private:
    enum class Claim { Taken, HeldByOther, Unavailable };
    enum class Delivery { Answered, NotConnected, Dropped, Silent };

    Claim tryClaim();
    bool startListening();
    Delivery deliver(const QStringList& commandLine) const;
    void acceptConnections();
    void readFrame(QLocalSocket* socket);
    static void reply(QLocalSocket* socket, qint32 code);
    QString socketPath() const;

    QString folder_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
    Handler handler_;
};
