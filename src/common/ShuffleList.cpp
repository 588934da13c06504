#include "ShuffleList.h"

#include <QDateTime>

#include <array>
#include <bit>
#include <vector>

quint32 utcMillisecondsOfDay() {
    return quint32(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

quint32 ShuffleGenerator::next(quint32 count) {
    // The seed moves first; the draw then scales the new seed to 0 .. count - 1.
    seed_ = seed_ * 134775813u + 1u;
    return quint32((quint64(seed_) * count) >> 32);
}

namespace {
// The position of each byte's n-th set bit (from 0), n below 8.
constexpr std::array<std::array<quint8, 8>, 256> SetBitInByte = [] {
    std::array<std::array<quint8, 8>, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        int n = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (byte & (1 << bit))
                table[size_t(byte)][size_t(n++)] = quint8(bit);
    }
    return table;
}();

// The position of the n-th (from 1) set bit of a word that has at least n: the running count
// of set bits per byte, all eight bytes at once, finds the byte without a branch.
int nthSetBit(quint64 bits, quint32 n) {
    constexpr quint64 Ones = 0x0101010101010101;
    quint64 counts = bits - ((bits >> 1) & 0x5555555555555555);
    counts = (counts & 0x3333333333333333) + ((counts >> 2) & 0x3333333333333333);
    counts = (counts + (counts >> 4)) & 0x0f0f0f0f0f0f0f0f;
    const quint64 running = counts * Ones; // byte i: set bits in bytes 0 .. i
    // Each running count is at most 64, so no byte borrows from the next.
    const quint64 reached = ((running | (Ones << 7)) - n * Ones) & (Ones << 7);
    const int byte = std::countr_zero(reached) / 8;
    const quint32 before = byte == 0 ? 0 : quint32(running >> (byte * 8 - 8)) & 0xff;
    return byte * 8 + SetBitInByte[size_t((bits >> (byte * 8)) & 0xff)][size_t(n - before - 1)];
}

// The rows not drawn yet, as one bit each, with a Fenwick tree over the count per 64-bit word:
// the tree is 64 times smaller than one over the rows, so a draw's walk stays in the
// processor's first cache even for a million songs. Its size is a power of two, so the walk
// needs no bounds check and takes no branch.
class RowsLeft {
public:
    explicit RowsLeft(qsizetype count) : bits_(size_t((count + 63) / 64), ~quint64(0)) {
        if (count % 64)
            bits_.back() = (quint64(1) << (count % 64)) - 1;
        size_ = 1;
        while (size_ < qsizetype(bits_.size()))
            size_ *= 2;
        tree_.assign(size_t(size_) + 1, 0);
        for (qsizetype i = 1; i <= size_; ++i) {
            if (i <= qsizetype(bits_.size()))
                tree_[size_t(i)] += quint32(std::popcount(bits_[size_t(i - 1)]));
            if (const qsizetype parent = i + (i & -i); parent <= size_)
                tree_[size_t(parent)] += tree_[size_t(i)];
        }
    }

    // Takes out the row that is the `wanted`-th (from 1) of those left, and returns it.
    qsizetype take(quint32 wanted) {
        const quint32* tree = tree_.data();
        qsizetype word = 0;
        for (qsizetype step = size_ / 2; step > 0; step /= 2) {
            const quint32 below = tree[word + step];
            const bool further = below < wanted;
            word += further ? step : 0;
            wanted -= further ? below : 0;
        }
        quint64& bits = bits_[size_t(word)];
        const int bit = nthSetBit(bits, wanted);
        bits &= ~(quint64(1) << bit);
        for (qsizetype i = word + 1; i <= size_; i += i & -i)
            tree_[size_t(i)] -= 1;
        return word * 64 + bit;
    }

private:
    std::vector<quint64> bits_;
    std::vector<quint32> tree_; // 1-based: rows left per range of words
    qsizetype size_ = 1;
};
} // namespace

QList<qsizetype> shufflePermutation(qsizetype count, quint32 seed) {
    // Each draw takes the k-th of the rows not drawn yet, as taking it out of a shrinking list
    // would, without moving the rest: a million songs take milliseconds, not minutes.
    QList<qsizetype> order(count);
    qsizetype* drawn = order.data();
    ShuffleGenerator generator(seed);
    if (count <= 64) {
        // A playlist's songs mostly fit one word: no tree to build.
        quint64 bits = count == 64 ? ~quint64(0) : (quint64(1) << count) - 1;
        for (qsizetype left = count; left > 0; --left) {
            const int bit = nthSetBit(bits, generator.next(quint32(left)) + 1);
            bits &= ~(quint64(1) << bit);
            *drawn++ = bit;
        }
        return order;
    }
    RowsLeft rows(count);
    for (qsizetype left = count; left > 0; --left)
        *drawn++ = rows.take(generator.next(quint32(left)) + 1);
    return order;
}
