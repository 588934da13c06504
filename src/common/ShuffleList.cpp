#include "ShuffleList.h"

#include <QDateTime>

#include <numeric>
#include <vector>

quint32 utcMillisecondsOfDay() {
    return quint32(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

quint32 ShuffleGenerator::next(quint32 count) {
    // The seed moves first; the draw then scales the new seed to 0 .. count - 1.
    seed_ = seed_ * 134775813u + 1u;
    return quint32((quint64(seed_) * count) >> 32);
}

QList<qsizetype> shufflePermutation(qsizetype count, quint32 seed) {
    // Each draw takes the k-th of the rows not drawn yet, as taking it out of a shrinking list
    // would; a Fenwick tree of the rows still there finds it without moving the rest, so a
    // million songs take milliseconds, not minutes. The counts fit 32 bits (a draw's range
    // does), which halves the tree a draw walks through.
    std::vector<quint32> present(size_t(count) + 1, 0); // 1-based: rows not drawn per range
    quint32* tree = present.data();
    for (qsizetype i = 1; i <= count; ++i) {
        tree[i] += 1;
        if (const qsizetype parent = i + (i & -i); parent <= count)
            tree[parent] += tree[i];
    }
    qsizetype highest = 1;
    while (highest * 2 <= count)
        highest *= 2;
    QList<qsizetype> order(count);
    qsizetype* drawn = order.data();
    ShuffleGenerator generator(seed);
    for (qsizetype left = count; left > 0; --left) {
        quint32 wanted = generator.next(quint32(left)) + 1;
        qsizetype row = 0;
        for (qsizetype step = highest; step > 0; step /= 2) {
            if (row + step <= count && tree[row + step] < wanted) {
                row += step;
                wanted -= tree[row];
            }
        }
        *drawn++ = row;
        for (qsizetype i = row + 1; i <= count; i += i & -i)
            tree[i] -= 1;
    }
    return order;
}
