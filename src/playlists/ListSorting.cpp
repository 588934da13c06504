#include "ListSorting.h"

#include <QLocale>
#include <QThread>

#include <unicode/ucol.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

QCollator sortCollator() {
    const QLocale user;
    // English has no rules of its own, so its collation is the root locale's.
    QCollator collator(user.language() == QLocale::C ? QLocale(QLocale::English) : user);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

namespace {

// Keys made or comparisons done between two ticks.
constexpr quint32 TickEvery = 1 << 16;

// Enough items to be worth a second thread.
constexpr qsizetype ManyItems = 50000;

using Collator = std::unique_ptr<UCollator, decltype(&ucol_close)>;

// An ICU collator set as QCollator sets its own, so that its keys order texts as
// QCollator::compare does; none where QCollator would not use ICU either.
Collator icuCollator(const QCollator& collator) {
    Collator none(nullptr, &ucol_close);
    if (collator.locale().language() == QLocale::C)
        return none;
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name = collator.locale().bcp47Name().toLatin1().replace('-', '_');
    Collator icu(ucol_open(name.constData(), &status), &ucol_close);
    if (U_FAILURE(status))
        return none;
    ucol_setAttribute(icu.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(icu.get(), UCOL_STRENGTH,
                      collator.caseSensitivity() == Qt::CaseSensitive ? UCOL_DEFAULT_STRENGTH
                                                                      : UCOL_SECONDARY,
                      &status);
    ucol_setAttribute(icu.get(), UCOL_NUMERIC_COLLATION,
                      collator.numericMode() ? UCOL_ON : UCOL_OFF, &status);
    ucol_setAttribute(icu.get(), UCOL_ALTERNATE_HANDLING,
                      collator.ignorePunctuation() ? UCOL_SHIFTED : UCOL_NON_IGNORABLE, &status);
    return U_FAILURE(status) ? std::move(none) : std::move(icu);
}

// The keys of a run of items, end to end in one buffer. An empty text gets an empty key,
// before every other: QCollator::compare puts it first, even before a text the collation
// ignores whole (a control character), whose key is not empty.
class SortKeys {
public:
    void reserve(qsizetype count) { ends_.reserve(size_t(count)); }

    void add(const UCollator* collator, QStringView text) {
        const qsizetype start = bytes_.size();
        if (!text.isEmpty()) {
            const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
            const auto length = int32_t(qMin(text.size(), qsizetype(INT32_MAX)));
            qsizetype room = qMax(bytes_.capacity() - start, 4 * text.size() + 16);
            for (;;) {
                bytes_.resize(start + room);
                const int32_t size =
                    ucol_getSortKey(collator, chars, length, keyBytes(start), int32_t(room));
                if (size <= room) {
                    // Without the closing 0, which no key holds before its end.
                    bytes_.resize(start + qMax(size - 1, 0));
                    break;
                }
                room = size;
            }
        }
        ends_.push_back(quint64(bytes_.size()));
    }

    QByteArrayView key(size_t i) const {
        const quint64 start = i == 0 ? 0 : ends_[i - 1];
        return QByteArrayView(bytes_.constData() + start, qsizetype(ends_[i] - start));
    }
    size_t size() const { return ends_.size(); }

private:
    uint8_t* keyBytes(qsizetype at) { return reinterpret_cast<uint8_t*>(bytes_.data() + at); }

    // Grows by reallocation, which moves a large block's pages rather than copying them.
    QByteArray bytes_;
    std::vector<quint64> ends_;
};

// Makes the keys of items [from, to) while `goOn` says so.
void makeKeys(SortKeys& keys, const UCollator* collator, const SortText& textOf, qsizetype from,
              qsizetype to, const std::function<bool()>& goOn) {
    keys.reserve(to - from);
    QString buffer;
    for (qsizetype i = from; i < to && goOn(); ++i)
        keys.add(collator, textOf(i, buffer));
}

bool keyLess(QByteArrayView a, QByteArrayView b) {
    const int order = std::memcmp(a.data(), b.data(), size_t(qMin(a.size(), b.size())));
    return order < 0 || (order == 0 && a.size() < b.size());
}

// Row numbers of four bytes: half the memory of qsizetype while sorting.
using Rows = std::vector<quint32>;

Rows rowsUpTo(qsizetype count) {
    Rows rows(static_cast<size_t>(count));
    std::iota(rows.begin(), rows.end(), quint32(0));
    return rows;
}

// Once stopped, every pair is equal, so the sort ends quickly.
template <typename Less>
void stableSort(Rows::iterator begin, Rows::iterator end, const std::function<bool()>& goOn,
                Less less) {
    std::stable_sort(begin, end, [&](quint32 a, quint32 b) { return goOn() && less(a, b); });
}

std::optional<QList<qsizetype>> finished(const Rows& rows, bool stopped) {
    if (stopped)
        return std::nullopt;
    return QList<qsizetype>(rows.cbegin(), rows.cend());
}

// Without ICU, texts are compared as QCollator compares them, decoded anew each time.
std::optional<QList<qsizetype>> comparedOrder(qsizetype count, const SortText& textOf,
                                              const QCollator& collator,
                                              const std::function<bool()>& goOn) {
    Rows rows = rowsUpTo(count);
    QString first;
    QString second;
    stableSort(rows.begin(), rows.end(), goOn, [&](quint32 a, quint32 b) {
        return collator.compare(textOf(a, first), textOf(b, second)) < 0;
    });
    return finished(rows, !goOn());
}

// The rows sorted by their keys; a long list's second half is keyed and sorted on a second
// thread meanwhile, with a collator of its own, and the halves merged. Ticks come from this
// thread only. The keys are gone when it returns.
Rows keySortedRows(qsizetype count, const SortText& textOf, const UCollator* collator,
                   const std::function<bool()>& goOn) {
    UErrorCode status = U_ZERO_ERROR;
    const Collator twin(count >= ManyItems ? ucol_clone(collator, &status) : nullptr, &ucol_close);
    const qsizetype half = twin ? count / 2 : count;
    Rows rows = rowsUpTo(count);
    const auto middle = rows.begin() + half;
    SortKeys first;
    SortKeys second;
    const auto keyOf = [&](quint32 row) {
        return row < quint32(half) ? first.key(row) : second.key(row - quint32(half));
    };
    const auto less = [&](quint32 a, quint32 b) { return keyLess(keyOf(a), keyOf(b)); };
    std::unique_ptr<QThread> helper;
    std::atomic<bool> stop{false};
    if (twin) {
        helper.reset(QThread::create([&] {
            const auto goOnToo = [&] { return !stop.load(std::memory_order_relaxed); };
            makeKeys(second, twin.get(), textOf, half, count, goOnToo);
            stableSort(middle, rows.end(), goOnToo, less);
        }));
        helper->start();
    }
    makeKeys(first, collator, textOf, 0, half, goOn);
    stableSort(rows.begin(), middle, goOn, less);
    if (helper) {
        stop = !goOn();
        helper->wait();
        // Equal keys of the first half stay before those of the second.
        std::inplace_merge(rows.begin(), middle, rows.end(),
                           [&](quint32 a, quint32 b) { return goOn() && less(a, b); });
    }
    return rows;
}

} // namespace

std::optional<QList<qsizetype>> localeSortedOrder(qsizetype count, const SortText& textOf,
                                                  const QCollator& collator, const SortTick& tick) {
    bool stopped = false;
    quint32 sinceTick = 0;
    const auto goOn = [&] {
        if (tick && !stopped && ++sinceTick == TickEvery) {
            sinceTick = 0;
            stopped = !tick();
        }
        return !stopped;
    };
    const Collator icu = icuCollator(collator);
    if (!icu)
        return comparedOrder(count, textOf, collator, goOn);
    const Rows rows = keySortedRows(count, textOf, icu.get(), goOn);
    return finished(rows, stopped);
}

QList<qsizetype> localeSortedOrder(const QStringList& texts, const QCollator& collator) {
    return *localeSortedOrder(
        texts.size(), [&texts](qsizetype i, QString&) { return QStringView(texts.at(i)); },
        collator);
}

QList<qsizetype> localeSortedOrder(const QStringList& texts) {
    return localeSortedOrder(texts, sortCollator());
}

void sortLocaleAware(QStringList& texts) {
    QStringList sorted;
    for (qsizetype index : localeSortedOrder(texts))
        sorted << texts.at(index);
    texts = sorted;
}
