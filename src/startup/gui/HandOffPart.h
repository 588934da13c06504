#pragma once

#include <QObject>
#include <QQueue>
#include <QStringList>
#include <functional>

class WindowServices;
class QTimer;

// The running copy's side of a hand-off: a second copy's command line arrives and the user is
// asked whether to switch to that copy's INI file. While any question or other modal window is
// open the request waits (and so does the second copy) until the last one has closed. Refused
// without a question (the window only comes back) while a hand-off question is open, when new
// instances are ignored, or for an empty command line.
class HandOffPart : public QObject {
    Q_OBJECT
public:
    using Reply = std::function<void()>;

    explicit HandOffPart(WindowServices& window);

    // `reply` is called once the request is done, after the user's answer.
    void receive(const QStringList& commandLine, Reply reply);
    // Requests waiting for a modal window to close.
    int waiting() const { return int(queue_.size()); }

private:
    struct Request {
        QStringList commandLine;
        Reply reply;
    };

    bool modalWindowOpen() const;
    void serveWaiting();
    // True when the user was asked.
    bool handle(const QStringList& commandLine);
    void refuse();
    void switchTo(const QString& iniPath);
    void bringToFront();

    WindowServices& window_;
    QQueue<Request> queue_;
    QTimer* waitTimer_ = nullptr;
    bool asking_ = false;
};
