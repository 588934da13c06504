#pragma once

#include <QCollator>
#include <QStringList>

// The user's locale's collation, letter case ignored. In the C/POSIX locale (programs started
// by services and some launchers) it is the neutral collation of the root locale, so that
// "Ä" and "é" sort among the letters rather than after "z".
QCollator sortCollator();

// Order of texts as the collator compares them; equal texts keep their order.
QList<qsizetype> localeSortedOrder(const QStringList& texts, const QCollator& collator);
QList<qsizetype> localeSortedOrder(const QStringList& texts);
void sortLocaleAware(QStringList& texts);
