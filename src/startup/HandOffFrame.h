#pragma once

#include <QByteArray>
#include <QStringList>

// The one frame a second copy sends: a QDataStream (Qt 6.4 format) of a QStringList. The
// reader trusts no count in it: a list or text longer than the bytes received is incomplete,
// never an allocation of the size it claims.
struct HandOffFrame {
    enum class State { Complete, Incomplete, Unreadable };

    State state = State::Incomplete;
    QStringList commandLine;

    static QByteArray encode(const QStringList& commandLine);
    // Reads the frame at the start of the bytes received so far.
    static HandOffFrame decode(QByteArrayView received);
};
