#include "ListSorting.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

QCollator SortCollator() {
    const QLocale user;
    // English has no rules of its own, so its collation is the root locale's.
    QCollator collator(user.language() == QLocale::C ? QLocale(QLocale::English) : user);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QList<qsizetype> LocaleSortedOrder(const QStringList& texts, const QCollator& collator) {
    QList<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(texts.at(a), texts.at(b)) < 0;
    });
    return order;
}

QList<qsizetype> LocaleSortedOrder(const QStringList& texts) {
    return LocaleSortedOrder(texts, SortCollator());
}

void SortLocaleAware(QStringList& texts) {
    QStringList sorted;
    for (qsizetype index : LocaleSortedOrder(texts))
        sorted << texts.at(index);
    texts = sorted;
}
