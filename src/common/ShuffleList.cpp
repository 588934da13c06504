#include "ShuffleList.h"

#include <QDateTime>

#include <numeric>

quint32 utcMillisecondsOfDay() {
    return quint32(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

quint32 ShuffleGenerator::next(quint32 count) {
    // The seed moves first; the draw then scales the new seed to 0 .. count - 1.
    seed_ = seed_ * 134775813u + 1u;
    return quint32((quint64(seed_) * count) >> 32);
}

QList<qsizetype> shufflePermutation(qsizetype count, quint32 seed) {
    QList<qsizetype> remaining(count);
    std::iota(remaining.begin(), remaining.end(), qsizetype(0));
    QList<qsizetype> order;
    order.reserve(count);
    ShuffleGenerator generator(seed);
    while (!remaining.isEmpty())
        order.append(remaining.takeAt(generator.next(quint32(remaining.size()))));
    return order;
}
