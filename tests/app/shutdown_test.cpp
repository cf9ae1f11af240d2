// Tests of closing the window while work is in flight, run under the application's own event
// loop as the program runs it: during a flash, and while threads wait for or are about to use
// the controls. The loop must end promptly with status 0 and the window go without waiting.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "url_recorder.h"
#include "wait_without_events.h"

using namespace tovik;
using tovik::testing::WaitWithoutEvents;
using namespace std::chrono_literals;

namespace {

const WindowSettings kSettings{"http://127.0.0.1:9/search", "http://127.0.0.1:9/start"};

}  // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

  private:
    testing::UrlRecorder browser_;

  private slots:
    void closingDuringAFlashEndsTheLoopPromptly() {
        auto window = std::make_unique<MainWindow>(kSettings);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTreeWidget* list = window->超级列表框_资源;
        SetCellText(list, InsertRow(list, "1"), 5, "magnet:?xt=urn:btih:AAAA");
        window->编辑框_搜索内容->setText(QStringLiteral("ab"));

        int writesBeforeClose = 0;
        int writesAfterClose = 0;
        bool closed = false;
        connect(window->编辑框_搜索内容, &QLineEdit::textChanged, this,
                [&] { ++(closed ? writesAfterClose : writesBeforeClose); });
        QTimer::singleShot(0, this, [&] {
            const QPoint row(300, list->visualItemRect(list->topLevelItem(0)).center().y());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        });
        QTimer::singleShot(300, this, [&] {
            closed = true;
            window->close();
        });
        QElapsedTimer clock;
        clock.start();
        const int status = QApplication::exec();
        // The whole flash takes a second; closing at 0.3 s must not sit it out.
        QVERIFY2(clock.elapsed() < 900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(status, 0);
        QCOMPARE(writesBeforeClose, 2);  // the suffix shown, then hidden: mid-flash
        QCOMPARE(writesAfterClose, 0);
        QVERIFY(ToolkitClosed());
        clock.restart();
        window.reset();
        QVERIFY(clock.elapsed() < 5000);
    }

    void closingWhileThreadsUseTheControlsEndsPromptly() {
        auto window = std::make_unique<MainWindow>(kSettings);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QLineEdit* keyword = window->编辑框_搜索内容;
        QTreeWidget* list = window->超级列表框_资源;

        // One thread uses the controls until the window goes; it is mostly waiting for them.
        std::atomic<int> reads = 0;
        QVERIFY(StartThread([&] {
            while (!ToolkitClosed()) {
                GetEditText(keyword);
                SetCellText(list, InsertRow(list, "1"), 1, "row");
                ++reads;
            }
        }));
        // Another is about to call when the window closes and only calls afterwards.
        std::mutex mutex;
        std::condition_variable released;
        bool go = false;
        std::atomic<int> lateRow = -2;
        QVERIFY(StartThread([&] {
            std::unique_lock lock(mutex);
            released.wait_for(lock, 20s, [&] { return go; });
            lock.unlock();
            lateRow = InsertRow(list, "late");
            SetEditText(keyword, "late");
        }));

        bool closedWhileWaited = false;
        QTimer::singleShot(0, this, [&] {
            // Close with Esc at a moment the first thread waits for this one; close regardless,
            // so a failure here cannot leave the loop running.
            closedWhileWaited = QTest::qWaitFor([&] { return reads > 3; }, 20000) &&
                                WaitWithoutEvents([] { return WaitingCallers() >= 1; });
            keyword->setFocus();
            QTest::keyClick(keyword, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        const int status = QApplication::exec();
        QCOMPARE(status, 0);
        QVERIFY(closedWhileWaited);
        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(!window->isVisible());

        {
            std::lock_guard lock(mutex);
            go = true;
        }
        released.notify_all();
        // The window waits for its threads, which return at once from every operation now.
        clock.restart();
        window.reset();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(lateRow.load(), -1);
    }
};

QTEST_MAIN(ShutdownTest)
#include "shutdown_test.moc"
