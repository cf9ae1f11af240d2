// Tests of the pumped delay: the due-time arithmetic, waiting while events are handled, the
// immediate cases, re-entry, and ending when the window session closes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <limits>

#include "app/pumped_delay.h"
#include "app/toolkit.h"

using namespace tovik;

class PumpedDelayTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { OpenToolkit(); }
    void cleanup() { CloseToolkit(); }

    void dueTime_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("unit");
        QTest::addColumn<qint64>("due");
        constexpr int kMax = std::numeric_limits<std::int32_t>::max();
        constexpr int kMin = std::numeric_limits<std::int32_t>::min();
        constexpr qint64 kDueMax = std::numeric_limits<std::int64_t>::max();
        constexpr qint64 kDueMin = std::numeric_limits<std::int64_t>::min();
        QTest::newRow("200 ms") << 200 << 0 << qint64(-2000000);
        QTest::newRow("400 ms") << 400 << 0 << qint64(-4000000);
        QTest::newRow("2 s") << 2 << 1 << qint64(-20000000);
        QTest::newRow("3 min") << 3 << 2 << qint64(-1800000000);
        QTest::newRow("1 h") << 1 << 3 << qint64(-36000000000);
        QTest::newRow("unit 7 is 7 ms") << 3 << 7 << qint64(-210000);
        QTest::newRow("zero interval") << 0 << 0 << qint64(0);
        QTest::newRow("zero hours") << 0 << 3 << qint64(0);
        QTest::newRow("negative interval") << -5 << 0 << qint64(50000);
        QTest::newRow("negative unit") << 5 << -1 << qint64(50000);
        QTest::newRow("largest in ms") << kMax << 0 << qint64(-21474836470000);
        QTest::newRow("too long saturates") << kMax << 3 << kDueMin;
        QTest::newRow("too far past saturates") << kMin << 3 << kDueMax;
        QTest::newRow("both extremes") << kMin << kMin << kDueMin;
    }
    void dueTime() {
        QFETCH(int, interval);
        QFETCH(int, unit);
        QFETCH(qint64, due);
        QCOMPARE(DueTime(interval, unit), due);
    }

    void waitsWhileHandlingEvents() {
        bool timerRan = false;
        bool postedRan = false;
        QTimer::singleShot(50, this, [&] { timerRan = true; });
        QMetaObject::invokeMethod(
            this, [&] { postedRan = true; }, Qt::QueuedConnection);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(PumpedDelay(200));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 200, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
        QVERIFY(timerRan);
        QVERIFY(postedRan);
    }

    void otherUnitsAreMillisecondsPerUnit() {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(PumpedDelay(30, 7));
        QVERIFY(clock.elapsed() >= 210);
    }

    // Each of these would otherwise wait a minute or more.
    void pastDueTimesReturnAtOnce_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("unit");
        QTest::newRow("nothing") << 0 << 0;
        QTest::newRow("negative interval") << -100000 << 0;
        QTest::newRow("negative unit") << 100000 << -1;
        QTest::newRow("negative hours") << -1 << 3;
        QTest::newRow("far past") << std::numeric_limits<std::int32_t>::min() << 3;
    }
    void pastDueTimesReturnAtOnce() {
        QFETCH(int, interval);
        QFETCH(int, unit);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(PumpedDelay(interval, unit));
        QVERIFY(clock.elapsed() < 5000);
    }

    // A handler that runs during the wait may wait again inside it; both waits end, inner first.
    void reentersFromItsOwnEvents() {
        QList<int> order;
        QTimer::singleShot(50, this, [&] {
            PumpedDelay(100);
            order.append(1);
        });
        QElapsedTimer clock;
        clock.start();
        PumpedDelay(300);
        order.append(2);
        QCOMPARE(order, (QList<int>{1, 2}));
        QVERIFY(clock.elapsed() >= 300);
    }

    void closingTheSessionEndsTheWait() {
        QTimer::singleShot(50, this, [] { CloseToolkit(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(PumpedDelay(1, 2));  // a minute
        QVERIFY(clock.elapsed() < 30000);
        clock.restart();
        QVERIFY(PumpedDelay(1, 3));  // an hour, asked for after the window has gone
        QVERIFY(clock.elapsed() < 5000);
    }

    void closingEndsNestedWaitsToo() {
        QTimer::singleShot(50, this, [this] {
            QTimer::singleShot(50, this, [] { CloseToolkit(); });
            PumpedDelay(1, 2);
        });
        QElapsedTimer clock;
        clock.start();
        PumpedDelay(1, 2);
        QVERIFY(clock.elapsed() < 30000);
    }
};

QTEST_MAIN(PumpedDelayTest)
#include "pumped_delay_test.moc"
