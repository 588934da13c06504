#pragma once

#include <QCollator>
#include <QStringList>

#include <functional>
#include <optional>

// The user's locale's collation, letter case ignored. In the C/POSIX locale (programs started
// by services and some launchers) it is the neutral collation of the root locale, so that
// "Ä" and "é" sort among the letters rather than after "z".
QCollator sortCollator();

// The text of an item, asked for once per item; for a long list from two threads at once. It
// may be put into `buffer` (kept from call to call, so a decoded text costs no allocation).
using SortText = std::function<QStringView(qsizetype item, QString& buffer)>;
// Called now and then during a long sort; false stops it.
using SortTick = std::function<bool()>;

// Order of `count` texts as the collator compares them (an empty text first); equal texts
// keep their order. Each text is asked for once and its collation key made once, so a sort
// costs a key per item instead of two decodings and comparisons per step. None when `tick`
// stopped it.
std::optional<QList<qsizetype>> localeSortedOrder(qsizetype count, const SortText& textOf,
                                                  const QCollator& collator,
                                                  const SortTick& tick = {});
QList<qsizetype> localeSortedOrder(const QStringList& texts, const QCollator& collator);
QList<qsizetype> localeSortedOrder(const QStringList& texts);
void sortLocaleAware(QStringList& texts);
