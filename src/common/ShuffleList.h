#pragma once

#include <QList>
#include <QStringList>

#include <functional>

// Milliseconds since midnight, UTC; seeds every shuffle.
using ShuffleClock = std::function<quint32()>;
quint32 utcMillisecondsOfDay();

// The 32-bit linear congruential generator that draws the shuffle.
class ShuffleGenerator {
public:
    explicit ShuffleGenerator(quint32 seed) : seed_(seed) {}
    // Uniform in 0 .. count - 1 (count > 0).
    quint32 next(quint32 count);

private:
    quint32 seed_;
};

// The permutation a shuffle of `count` items takes with this seed: result[i] is the index in
// the original list of the item that ends up at position i.
QList<qsizetype> shufflePermutation(qsizetype count, quint32 seed);

template <typename T>
void shuffleList(QList<T>& list, const ShuffleClock& clock = utcMillisecondsOfDay) {
    const QList<qsizetype> order = shufflePermutation(list.size(), clock());
    QList<T> shuffled;
    shuffled.reserve(list.size());
    for (qsizetype index : order)
        shuffled.append(list.at(index));
    list = shuffled;
}
