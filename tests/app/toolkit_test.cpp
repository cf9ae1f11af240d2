// Tests of the toolkit layer: the code page 936 crossing, the control operations on the window
// thread and from other threads, and the window session's closing and its threads.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "wait_without_events.h"

using namespace tovik;
using tovik::testing::WaitWithoutEvents;
using namespace std::chrono_literals;

namespace {

// A gate a worker waits at until the test opens it; waits are bounded so a fault cannot hang.
class Gate {
  public:
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    bool Wait() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

}  // namespace

class ToolkitTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QWidget> window_;
    QLineEdit* box_ = nullptr;
    QPushButton* button_ = nullptr;
    QTreeWidget* list_ = nullptr;

  private slots:
    void init() {
        window_ = std::make_unique<QWidget>();
        box_ = new QLineEdit(window_.get());
        button_ = new QPushButton(window_.get());
        list_ = new QTreeWidget(window_.get());
        list_->setColumnCount(6);
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        OpenToolkit();
    }
    void cleanup() {
        CloseToolkit();
        QVERIFY(FinishThreads(20s));
        window_.reset();
    }

    void textCrossesAsCodePage936() {
        QCOMPARE(ToQString("\xD6\xD0"), QStringLiteral("中"));
        QCOMPARE(FromQString(QStringLiteral("中")), Text("\xD6\xD0"));
        QCOMPARE(ToQString(""), QString());
        QCOMPARE(FromQString(QString()), Text());
        const QString mixed = QStringLiteral("ab 磁力链接 ^_^ 12");
        QCOMPARE(ToQString(FromQString(mixed)), mixed);
        QCOMPARE(FromQString(QStringLiteral("  ^_^ 已复制下载 ^_^")), Text(kCopiedSuffix));
        QCOMPARE(kCopiedSuffix.size(), 20U);
        // Outside code page 936 a character cannot be held; it arrives as "?", not as nothing.
        QCOMPARE(FromQString(QStringLiteral("a\U0001F600b")), Text("a?b"));
    }

    void operationsOnTheWindowThread() {
        QCOMPARE(GetEditText(box_), Text());
        SetEditText(box_, "\xC4\xE3\xBA\xC3 x");
        QCOMPARE(box_->text(), QStringLiteral("你好 x"));
        QCOMPARE(GetEditText(box_), Text("\xC4\xE3\xBA\xC3 x"));

        SetButtonCaption(button_, "\xCB\xD1\xCB\xF7(1)");
        QCOMPARE(button_->text(), QStringLiteral("搜索(1)"));
        SetDisabled(button_, true);
        QVERIFY(!button_->isEnabled());
        SetDisabled(button_, false);
        QVERIFY(button_->isEnabled());

        QCOMPARE(RowCount(list_), 0);
        QCOMPARE(SelectedRow(list_), -1);
        QCOMPARE(InsertRow(list_, "1"), 0);
        QCOMPARE(InsertRow(list_, "2"), 1);
        QCOMPARE(RowCount(list_), 2);
        QCOMPARE(GetCellText(list_, 1, 0), Text("2"));
        QCOMPARE(GetCellText(list_, 1, 3), Text());
        const Text longText(100000, 'm');
        SetCellText(list_, 1, 5, longText);
        QCOMPARE(GetCellText(list_, 1, 5), longText);
        SetCellText(list_, 1, 5, "");
        QCOMPARE(GetCellText(list_, 1, 5), Text());
        // Out of range: nothing written, nothing read, no crash.
        SetCellText(list_, 7, 1, "x");
        SetCellText(list_, 0, 9, "x");
        QCOMPARE(GetCellText(list_, -1, 0), Text());
        QCOMPARE(GetCellText(list_, 7, 0), Text());

        list_->setCurrentItem(list_->topLevelItem(1));
        QCOMPARE(SelectedRow(list_), 1);
        ClearRows(list_);
        QCOMPARE(RowCount(list_), 0);
        QCOMPARE(SelectedRow(list_), -1);
        QCOMPARE(list_->columnCount(), 6);

        QVERIFY(SetClipboardText("magnet:?xt=\xD6\xD0"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("magnet:?xt=中"));
        QVERIFY(SetClipboardText(""));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    void processEventsHandlesWhatIsWaiting() {
        bool ran = false;
        QMetaObject::invokeMethod(
            box_, [&] { ran = true; }, Qt::QueuedConnection);
        ProcessEvents();
        QVERIFY(ran);
    }

    // A worker's operations come back with their results, in its order, each carried out on the
    // window thread while the window thread keeps handling events.
    void operationsFromAWorkerThread() {
        QThread* windowThread = QThread::currentThread();
        std::vector<bool> onWindowThread;
        connect(box_, &QLineEdit::textChanged, this,
                [&] { onWindowThread.push_back(QThread::currentThread() == windowThread); });

        struct Seen {
            Text keyword, cell, clipboard;
            int first = -2, second = -2, count = -2, selected = -2;
            std::vector<Text> echoes;
        } seen;
        std::atomic<bool> done = false;
        QVERIFY(StartThread([&] {
            for (const char* text : {"1", "2", "3", "4", "5"}) {
                SetEditText(box_, text);
                seen.echoes.push_back(GetEditText(box_));
            }
            SetButtonCaption(button_, "\xCB\xD1\xCB\xF7(\xCD\xEA)");
            SetDisabled(button_, true);
            ClearRows(list_);
            seen.first = InsertRow(list_, "1");
            seen.second = InsertRow(list_, "2");
            SetCellText(list_, seen.second, 5, "magnet:?xt=urn:btih:ABC");
            seen.cell = GetCellText(list_, seen.second, 5);
            seen.count = RowCount(list_);
            seen.selected = SelectedRow(list_);
            SetClipboardText(seen.cell);
            ProcessEvents();  // nothing of ours is queued to a worker: returns at once
            done = true;
        }));
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY(FinishThreads(20s));

        QCOMPARE(seen.echoes, (std::vector<Text>{"1", "2", "3", "4", "5"}));
        QCOMPARE(onWindowThread, std::vector<bool>(5, true));
        QCOMPARE(button_->text(), QStringLiteral("搜索(完)"));
        QVERIFY(!button_->isEnabled());
        QCOMPARE(seen.first, 0);
        QCOMPARE(seen.second, 1);
        QCOMPARE(seen.cell, Text("magnet:?xt=urn:btih:ABC"));
        QCOMPARE(seen.count, 2);
        QCOMPARE(seen.selected, -1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("magnet:?xt=urn:btih:ABC"));
    }

    // Two workers writing rows at once: each of their operations is whole, so every row holds
    // what one worker wrote into the index its own InsertRow returned.
    void workersNeverOverlap() {
        constexpr int kRows = 150;
        std::atomic<int> finished = 0;
        std::atomic<bool> allConsistent = true;
        for (const char* tag : {"A", "B"}) {
            QVERIFY(StartThread([&, tag = Text(tag)] {
                for (int i = 0; i < kRows; ++i) {
                    const int row = InsertRow(list_, tag);
                    const Text value = tag + std::to_string(i);
                    SetCellText(list_, row, 1, value);
                    if (GetCellText(list_, row, 1) != value || GetCellText(list_, row, 0) != tag) {
                        allConsistent = false;
                    }
                }
                ++finished;
            }));
        }
        QTRY_VERIFY_WITH_TIMEOUT(finished == 2, 60000);
        QVERIFY(FinishThreads(20s));
        QVERIFY(allConsistent);
        QCOMPARE(list_->topLevelItemCount(), 2 * kRows);
    }

    // Closing while a worker waits for the window thread releases it with the empty result,
    // without the window thread ever carrying out the operation.
    void closingReleasesAWaitingWorker() {
        std::atomic<bool> returned = false;
        Text text = "unset";
        int row = -2;
        QVERIFY(StartThread([&] {
            text = GetEditText(box_);
            row = InsertRow(list_, "late");
            returned = true;
        }));
        box_->setText(QStringLiteral("never read"));
        QVERIFY(WaitWithoutEvents([] { return WaitingCallers() == 1; }));
        QVERIFY(!returned);
        CloseToolkit();
        QVERIFY(FinishThreads(20s));  // no events handled: the worker did not need the window
        QVERIFY(returned);
        QCOMPARE(text, Text());
        QCOMPARE(row, -1);
        QCoreApplication::processEvents();  // the queued read, if Qt still delivers it, is inert
        QCOMPARE(list_->topLevelItemCount(), 0);
        QCOMPARE(WaitingCallers(), 0);
    }

    // A worker that calls after the window has gone gets every empty result at once.
    void callsAfterClosingReturnAtOnce() {
        Gate gate;
        struct Seen {
            Text text = "unset", cell = "unset";
            int row = -2, count = -2, selected = -2;
            bool clipboard = true;
        } seen;
        QVERIFY(StartThread([&] {
            if (!gate.Wait()) {
                return;
            }
            seen.text = GetEditText(box_);
            SetEditText(box_, "x");
            seen.row = InsertRow(list_, "x");
            seen.count = RowCount(list_);
            seen.selected = SelectedRow(list_);
            seen.cell = GetCellText(list_, 0, 0);
            seen.clipboard = SetClipboardText("x");
            OpenAddress("http://127.0.0.1:9/");
        }));
        CloseToolkit();
        QVERIFY(ToolkitClosed());
        gate.Open();
        QVERIFY(FinishThreads(20s));
        QCOMPARE(seen.text, Text());
        QCOMPARE(seen.cell, Text());
        QCOMPARE(seen.row, -1);
        QCOMPARE(seen.count, 0);
        QCOMPARE(seen.selected, -1);
        QVERIFY(!seen.clipboard);
        QCOMPARE(box_->text(), QString());
        QVERIFY(!StartThread([] {}));  // and nothing new starts for a window that is gone
    }

    void finishThreadsGivesUpAfterItsLimit() {
        Gate gate;
        QVERIFY(StartThread([&] { gate.Wait(); }));
        QVERIFY(!FinishThreads(50ms));
        gate.Open();
        QVERIFY(FinishThreads(20s));
    }
};

QTEST_MAIN(ToolkitTest)
#include "toolkit_test.moc"
