#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, `kill`, Ctrl+C) into a signal of the event loop,
// so the program can close its window the normal way and save what it would save on close.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void requested();

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};
