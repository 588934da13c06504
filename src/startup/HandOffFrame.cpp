#include "HandOffFrame.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr QDataStream::Version FrameVersion = QDataStream::Qt_6_4;
// List sizes from this value on announce a 64-bit size in later stream versions; no frame of
// ours is that large.
constexpr quint32 FirstExtendedSize = 0xFFFFFFFE;

} // namespace

QByteArray HandOffFrame::encode(const QStringList& commandLine) {
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(FrameVersion);
    out << commandLine;
    return frame;
}

// Read element by element rather than with the list operator, which reserves room for as
// many texts as the count claims; QDataStream reads a text in steps as its bytes arrive.
HandOffFrame HandOffFrame::decode(QByteArrayView received) {
    HandOffFrame frame;
    const QByteArray bytes = QByteArray::fromRawData(received.data(), received.size());
    QDataStream in(bytes);
    in.setVersion(FrameVersion);
    in.startTransaction();
    quint32 count = 0;
    in >> count;
    if (in.status() == QDataStream::Ok && count >= FirstExtendedSize)
        in.setStatus(QDataStream::ReadCorruptData);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString text;
        in >> text;
        if (in.status() == QDataStream::Ok)
            frame.commandLine.append(text);
    }
    // An odd text size is corrupt; too few bytes leave the frame incomplete.
    const QDataStream::Status status = in.status();
    if (in.commitTransaction()) {
        frame.state = State::Complete;
        return frame;
    }
    frame.commandLine.clear();
    frame.state = status == QDataStream::ReadCorruptData ? State::Unreadable : State::Incomplete;
    return frame;
}
