#include "ListSorting.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>
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

// QCollator::compare puts an empty text before any other, even one the collation ignores
// whole (a control character); its key would tie with such a text.
struct SortItem {
    QCollatorSortKey key;
    bool empty;
};

// Enough items to be worth a second thread.
constexpr qsizetype ManyItems = 50000;

SortItem sortItem(const QCollator& collator, const QString& text) {
    return {collator.sortKey(text), text.isEmpty()};
}

// A collator of its own for another thread, set as the one given.
QCollator twinOf(const QCollator& collator) {
    QCollator twin(collator.locale());
    twin.setCaseSensitivity(collator.caseSensitivity());
    twin.setNumericMode(collator.numericMode());
    twin.setIgnorePunctuation(collator.ignorePunctuation());
    return twin;
}

// The items' keys; a long list's second half is made on a second thread meanwhile. Ticks
// come from this thread only.
std::vector<SortItem> sortItems(qsizetype count, const SortText& textOf, const QCollator& collator,
                                const std::function<bool()>& goOn) {
    std::vector<SortItem> items;
    items.reserve(size_t(count));
    const qsizetype half = count >= ManyItems ? count / 2 : count;
    std::vector<SortItem> secondHalf;
    std::atomic<bool> stop{false};
    std::unique_ptr<QThread> helper;
    if (half < count) {
        secondHalf.reserve(size_t(count - half));
        helper.reset(QThread::create([&, twin = twinOf(collator)] {
            for (qsizetype i = half; i < count && !stop.load(std::memory_order_relaxed); ++i)
                secondHalf.push_back(sortItem(twin, textOf(i)));
        }));
        helper->start();
    }
    for (qsizetype i = 0; i < half && goOn(); ++i)
        items.push_back(sortItem(collator, textOf(i)));
    if (helper) {
        stop = items.size() < size_t(half);
        helper->wait();
        std::move(secondHalf.begin(), secondHalf.end(), std::back_inserter(items));
    }
    return items;
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
    std::vector<SortItem> items = sortItems(count, textOf, collator, goOn);
    // Row numbers of four bytes: half the memory of qsizetype while sorting.
    std::vector<quint32> order(size_t(items.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(i);
    // Once stopped, every pair is equal, so the sort ends quickly.
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        if (!goOn())
            return false;
        if (items[a].empty != items[b].empty)
            return items[a].empty;
        return items[a].key.compare(items[b].key) < 0;
    });
    if (stopped)
        return std::nullopt;
    std::vector<SortItem>().swap(items);
    return QList<qsizetype>(order.cbegin(), order.cend());
}

QList<qsizetype> localeSortedOrder(const QStringList& texts, const QCollator& collator) {
    return *localeSortedOrder(
        texts.size(), [&texts](qsizetype i) { return texts.at(i); }, collator);
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
