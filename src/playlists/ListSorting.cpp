#include "ListSorting.h"

#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
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
    std::vector<SortItem> items;
    items.reserve(size_t(count));
    for (qsizetype i = 0; i < count && goOn(); ++i) {
        const QString text = textOf(i);
        items.push_back({collator.sortKey(text), text.isEmpty()});
    }
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
