#include "HandOffFrame.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace {

constexpr quint32 NullString = 0xFFFFFFFF;
// Sizes from this value on announce a 64-bit size in later stream versions; no frame of ours
// is that large.
constexpr quint32 FirstExtendedSize = 0xFFFFFFFE;

struct Reader {
    QByteArrayView bytes;
    qsizetype pos = 0;

    bool has(qsizetype count) const { return bytes.size() - pos >= count; }
    quint32 number() {
        const quint32 value = qFromBigEndian<quint32>(bytes.data() + pos);
        pos += 4;
        return value;
    }
};

} // namespace

QByteArray HandOffFrame::encode(const QStringList& commandLine) {
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << commandLine;
    return frame;
}

HandOffFrame HandOffFrame::decode(QByteArrayView received) {
    HandOffFrame frame;
    Reader in{received};
    if (!in.has(4))
        return frame;
    const quint32 count = in.number();
    if (count >= FirstExtendedSize) {
        frame.state = State::Unreadable;
        return frame;
    }
    for (quint32 i = 0; i < count; ++i) {
        if (!in.has(4)) {
            frame.commandLine.clear();
            return frame;
        }
        const quint32 size = in.number();
        if (size == NullString) {
            frame.commandLine.append(QString());
            continue;
        }
        if (size % 2 != 0) {
            frame.state = State::Unreadable;
            frame.commandLine.clear();
            return frame;
        }
        if (!in.has(qsizetype(size))) {
            frame.commandLine.clear();
            return frame;
        }
        QString text(qsizetype(size / 2), Qt::Uninitialized);
        for (qsizetype c = 0; c < text.size(); ++c)
            text[c] = QChar(qFromBigEndian<quint16>(in.bytes.data() + in.pos + 2 * c));
        in.pos += size;
        frame.commandLine.append(text);
    }
    frame.state = State::Complete;
    return frame;
}
