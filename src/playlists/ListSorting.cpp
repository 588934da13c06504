#include "ListSorting.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

QCollator sortCollator() {
    const QLocale user;
    // English has no rules of its own, so its collation is the root locale's.
    QCollator collator(user.language() == QLocale::C ? QLocale(QLocale::English) : user);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QList<qsizetype> localeSortedOrder(const QStringList& texts, const QCollator& collator) {
    QList<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(texts.at(a), texts.at(b)) < 0;
    });
    return order;
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
