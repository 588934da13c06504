#include "common/ShuffleList.h"

#include <QDateTime>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <time.h>

namespace {

const quint32 Noon = 12u * 60u * 60u * 1000u;

QList<int> range(int count) {
    QList<int> items(count);
    std::iota(items.begin(), items.end(), 0);
    return items;
}

QList<int> asInts(const QList<qsizetype>& indexes) {
    QList<int> result;
    for (qsizetype index : indexes)
        result.append(int(index));
    return result;
}

} // namespace

class TestShuffle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row's draws worked out by hand: seed <- seed * 134775813 + 1 (mod 2^32), then
    // r = (seed * count) >> 32.
    void generatorDraws_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<quint32>("count");
        QTest::addColumn<QList<quint32>>("draws");
        // Seeds 1, 134775814, 3698175007, 870078620; 3698175007 * 3 = 11094525021 -> 2.
        QTest::newRow("seed 0, three items") << 0u << 3u << QList<quint32>{0, 0, 2, 0};
        // With count 2^32 - 1 a draw is the new seed minus one, so the seeds show directly.
        QTest::newRow("full range shows the seeds")
            << 0u << 0xFFFFFFFFu << QList<quint32>{0, 134775813u, 3698175006u};
        // Seeds 4160191484 (= 2^32 - 134775812), 866343917, 2231304098.
        QTest::newRow("seed all ones, ten items") << 0xFFFFFFFFu << 10u << QList<quint32>{9, 2, 5};
        // 7 * 134775813 + 1 = 943430692, times 5 = 4717153460 >= 2^32 -> 1; a draw taken before
        // the seed moves would give (7 * 5) >> 32 = 0.
        QTest::newRow("seed moves before the draw") << 7u << 5u << QList<quint32>{1};
        // Seeds 1655067934, 1242767767, 342459380, 2377737157.
        QTest::newRow("seed 12345, hundred items")
            << 12345u << 100u << QList<quint32>{38, 28, 7, 55};
        QTest::newRow("one item") << 12345u << 1u << QList<quint32>{0, 0, 0};
    }
    void generatorDraws() {
        QFETCH(quint32, seed);
        QFETCH(quint32, count);
        QFETCH(QList<quint32>, draws);
        ShuffleGenerator generator(seed);
        QList<quint32> actual;
        for (qsizetype i = 0; i < draws.size(); ++i)
            actual.append(generator.next(count));
        QCOMPARE(actual, draws);
    }

    void permutation_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<qsizetype>("count");
        QTest::addColumn<QList<int>>("order");
        // Draws 1, 1, 0, 1, 0 over 5, 4, 3, 2, 1 items: take 1 from 01234, 2 from 0234,
        // 0 from 034, 4 from 34, then 3.
        QTest::newRow("seed 12345") << 12345u << qsizetype(5) << QList<int>{1, 2, 0, 4, 3};
        // Draws 0, 0, 2, 0, 0: take 0, 1, then 4 from 234, then 2 and 3.
        QTest::newRow("seed 0") << 0u << qsizetype(5) << QList<int>{0, 1, 4, 2, 3};
        QTest::newRow("one item") << 12345u << qsizetype(1) << QList<int>{0};
        QTest::newRow("no items") << 12345u << qsizetype(0) << QList<int>{};
    }
    void permutation() {
        QFETCH(quint32, seed);
        QFETCH(qsizetype, count);
        QFETCH(QList<int>, order);
        QCOMPARE(asInts(shufflePermutation(count, seed)), order);
    }

    // The definition itself, a draw at a time from a shrinking list, against the fast one at
    // the sizes where its word and tree boundaries lie.
    void permutationTakesEachDrawFromTheRest_data() {
        QTest::addColumn<qsizetype>("count");
        for (qsizetype count : {2, 63, 64, 65, 127, 128, 129, 4097, 70000})
            QTest::addRow("%lld items", static_cast<long long>(count)) << count;
    }
    void permutationTakesEachDrawFromTheRest() {
        QFETCH(qsizetype, count);
        QList<int> rest = range(int(count));
        QList<int> expected;
        ShuffleGenerator generator(Noon);
        while (!rest.isEmpty())
            expected.append(rest.takeAt(generator.next(quint32(rest.size()))));
        QCOMPARE(asInts(shufflePermutation(count, Noon)), expected);
    }

    void everyItemSurvivesOnce_data() {
        QTest::addColumn<int>("length");
        for (int length : {0, 1, 2, 7, 1000})
            QTest::addRow("%d items", length) << length;
    }
    void everyItemSurvivesOnce() {
        QFETCH(int, length);
        QList<int> items = range(length);
        shuffleList(items, [] { return Noon; });
        QList<int> sorted = items;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, range(length));
        // The items are their own indexes, so the list shows the order the shuffle took.
        QCOMPARE(items, asInts(shufflePermutation(length, Noon)));
        if (length >= 7)
            QVERIFY(items != range(length));
    }

    void sameClockSameOrder_data() {
        QTest::addColumn<quint32>("clock");
        QTest::newRow("midnight") << 0u;
        QTest::newRow("noon") << Noon;
        QTest::newRow("last millisecond") << 86399999u;
    }
    void sameClockSameOrder() {
        QFETCH(quint32, clock);
        QStringList names;
        for (int i = 0; i < 9; ++i)
            names.append(QStringLiteral("song%1.mp3").arg(i));
        const QStringList original = names;
        QList<int> numbers = range(9);
        shuffleList(names, [clock] { return clock; });
        shuffleList(numbers, [clock] { return clock; });
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(names.at(i), original.at(numbers.at(i)));
    }

    void injectedClockIsUsed() {
        int calls = 0;
        const auto clock = [&calls] {
            ++calls;
            return Noon;
        };
        QList<int> items = range(7);
        shuffleList(items, clock);
        QCOMPARE(calls, 1);
        QCOMPARE(items, asInts(shufflePermutation(7, Noon)));
        QVERIFY(items != asInts(shufflePermutation(7, Noon + 1)));
        // Every shuffle reads the clock again.
        shuffleList(items, clock);
        QCOMPARE(calls, 2);
    }

    // The seed is UTC time of day, whatever the local time zone.
    void clockIsUtcTimeOfDay() {
        const QByteArray savedZone = qgetenv("TZ");
        qputenv("TZ", "UTC-14");
        tzset();
        const int before = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
        const quint32 now = utcMillisecondsOfDay();
        const int after = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
        qputenv("TZ", savedZone);
        tzset();
        QVERIFY(now < 86400000u);
        if (before <= after)
            QVERIFY2(quint32(before) <= now && now <= quint32(after), QByteArray::number(now));
        else // midnight passed between the readings
            QVERIFY2(now >= quint32(before) || now <= quint32(after), QByteArray::number(now));
    }
};

QTEST_GUILESS_MAIN(TestShuffle)
#include "tst_shuffle.moc"
