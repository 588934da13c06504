#pragma once

#include <QStringList>

// Order of texts as the user's locale compares them, letter case ignored; equal texts keep
// their order.
QList<qsizetype> LocaleSortedOrder(const QStringList& texts);
void SortLocaleAware(QStringList& texts);
