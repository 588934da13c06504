#include "ListSorting.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

QList<qsizetype> LocaleSortedOrder(const QStringList& texts) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QList<qsizetype> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(texts.at(a), texts.at(b)) < 0;
    });
    return order;
}

void SortLocaleAware(QStringList& texts) {
    QStringList sorted;
    for (qsizetype index : LocaleSortedOrder(texts))
        sorted << texts.at(index);
    texts = sorted;
}
