// The pumped delay: a nested event loop ended by a one-shot timer, re-armed in slices for waits
// longer than a Qt timer can hold.
#include "app/pumped_delay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <limits>

#include "app/toolkit.h"

namespace tovik {

std::int64_t DueTime(std::int32_t interval, std::int32_t unit) {
    double multiplier = 0;
    switch (unit) {
        case 0:
            multiplier = 1;
            break;
        case 1:
            multiplier = 1000;
            break;
        case 2:
            multiplier = 60000;
            break;
        case 3:
            multiplier = 3600000;
            break;
        default:
            multiplier = unit;
            break;
    }
    const double due = static_cast<double>(interval) * multiplier * -10000.0;
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (due >= kTwoTo63) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (due < -kTwoTo63) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(due);  // truncates toward zero
}

bool PumpedDelay(std::int32_t interval, std::int32_t unit) {
    const std::int64_t due = DueTime(interval, unit);
    if (due >= 0) {
        return true;  // a time already past
    }
    if (ToolkitClosed() || QCoreApplication::instance() == nullptr ||
        QCoreApplication::closingDown()) {
        return true;
    }
    // Whole milliseconds, rounded up so the wait never ends early; at most 2^63 units, so the
    // unsigned arithmetic cannot overflow.
    const std::uint64_t units = 0 - static_cast<std::uint64_t>(due);
    const auto total = static_cast<qint64>((units + 9999) / 10000);

    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    const QuitOnClose endsWithWindow(loop);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool fired = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fired = true;
        loop.quit();
    });
    for (;;) {
        const qint64 remaining = total - clock.elapsed();
        if (remaining <= 0) {
            return true;
        }
        fired = false;
        timer.start(static_cast<int>(std::min<qint64>(remaining, std::numeric_limits<int>::max())));
        loop.exec();
        // Anything but our timer ending the loop means the window or the application is going:
        // the session closed, or the application asked its loops to quit (and a loop started
        // after that returns at once, so waiting again would spin).
        if (!fired || ToolkitClosed()) {
            return true;
        }
    }
}

}  // namespace tovik
