// The window toolkit layer over Qt Widgets: the window session that decides where and whether a
// control operation runs, the hand-over of operations from other threads, and the operations.
#include "app/toolkit.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace tovik {

QString ToQString(const Text& text) {
    if (text.empty()) {
        return {};
    }
    const Bytes wide = AnsiToWide(text, 936);
    QString string;
    string.reserve(static_cast<qsizetype>(wide.size() / 2));
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const auto unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        string.append(QChar(unit));
    }
    return string;
}

Text FromQString(const QString& string) {
    if (string.isEmpty()) {
        return {};
    }
    Bytes wide;
    wide.reserve(static_cast<std::size_t>(string.size()) * 2 + 2);
    for (const QChar c : string) {
        if (c.unicode() == 0) {
            break;  // Text ends at a zero, as the conversion would read it
        }
        wide.push_back(static_cast<std::uint8_t>(c.unicode() & 0xFF));
        wide.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
    }
    wide.push_back(0);
    wide.push_back(0);
    return WideToAnsi(wide, 936);
}

namespace {

// One running thread started by StartThread; `done` is set under the session's mutex.
struct Worker {
    std::thread thread;
    bool done = false;
};

struct Session {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::thread::id windowThread;
    int waiting = 0;
    std::vector<QEventLoop*> loops;  // window thread only, but kept under the mutex anyway
    std::list<Worker> workers;       // stable addresses: each thread marks its own entry

    ~Session() {
        // Only reached with threads left when FinishThreads gave up on them; the process is
        // ending, and a joinable std::thread would terminate it here.
        for (Worker& worker : workers) {
            if (worker.thread.joinable()) {
                worker.thread.detach();
            }
        }
    }
};

Session& TheSession() {
    static Session session;
    return session;
}

// The result of one hand-over, shared by the waiting caller and the job queued to the window
// thread, so either may be gone first.
template <typename Result>
struct Handover {
    Result result{};
    bool finished = false;
};

// Owned by the queued job alone. Should Qt drop the job unrun (its context object destroyed),
// the caller is released with the empty result instead of waiting for the session to close.
template <typename Result>
struct Ticket {
    std::shared_ptr<Handover<Result>> handover;
    std::thread::id caller;  // holds the session's mutex while queueing; never released from there

    explicit Ticket(std::shared_ptr<Handover<Result>> h)
        : handover(std::move(h)), caller(std::this_thread::get_id()) {}
    Ticket(Ticket&&) noexcept = default;
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    Ticket& operator=(Ticket&&) = delete;
    ~Ticket() {
        if (!handover || std::this_thread::get_id() == caller) {
            return;
        }
        Session& session = TheSession();
        {
            std::lock_guard lock(session.mutex);
            handover->finished = true;
        }
        session.changed.notify_all();
    }
};

// Runs `op` on the window thread: directly when already there, otherwise queued to `context`'s
// thread while the caller waits. Gives `fallback` at once when the session is not open, and as
// soon as it closes while the caller waits.
template <typename Result, typename Op>
Result OnWindowThread(QObject* context, Result fallback, Op op) {
    Session& session = TheSession();
    std::unique_lock lock(session.mutex);
    if (!session.open || context == nullptr) {
        return fallback;
    }
    if (std::this_thread::get_id() == session.windowThread) {
        lock.unlock();
        return op();
    }

    auto handover = std::make_shared<Handover<Result>>();
    handover->result = fallback;
    // Queued while the mutex is held, and the job takes the mutex before it reads anything: this
    // orders what the caller wrote before what the window thread reads, in a way sanitizers see.
    const bool queued = QMetaObject::invokeMethod(
        context,
        [ticket = Ticket<Result>(handover), op = std::move(op)]() mutable {
            Session& s = TheSession();
            {
                std::lock_guard guard(s.mutex);
                if (!s.open) {
                    return;  // the caller was released when the session closed
                }
            }
            // Run unlocked: the operation may emit signals whose handlers use the toolkit.
            Result result = op();
            {
                std::lock_guard guard(s.mutex);
                ticket.handover->result = std::move(result);
                ticket.handover->finished = true;
            }
            s.changed.notify_all();
        },
        Qt::QueuedConnection);
    if (!queued) {
        return fallback;
    }

    ++session.waiting;
    session.changed.wait(lock, [&] { return handover->finished || !session.open; });
    --session.waiting;
    return handover->finished ? std::move(handover->result) : fallback;
}

// Control operations that give nothing back still wait for their turn, so the caller's next
// operation never overtakes them.
template <typename Op>
void OnWindowThreadNoResult(QObject* context, Op op) {
    OnWindowThread(context, false, [op = std::move(op)]() mutable {
        op();
        return true;
    });
}

// True on every thread but the window thread, whose operations are handed over one at a time.
bool HandedOver() {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    return std::this_thread::get_id() != session.windowThread;
}

// Between two handed-over operations the window thread is idle, so it would repaint the list
// after each: a relayout and every visible cell's text shaped anew, several times per row and
// far dearer than the rows themselves. While rows arrive that way the list is repainted at most
// once a display frame; every change is still made at once and shown within the frame.
constexpr int kFrameMs = 16;
void PaceRepaints(QTreeWidget* list) {
    if (!list->updatesEnabled()) {
        return;  // a repaint is already due
    }
    list->setUpdatesEnabled(false);
    QTimer::singleShot(kFrameMs, list, [list] { list->setUpdatesEnabled(true); });
}

QTreeWidgetItem* RowItem(QTreeWidget* list, int row) {
    return row >= 0 && row < list->topLevelItemCount() ? list->topLevelItem(row) : nullptr;
}

}  // namespace

Text GetEditText(QLineEdit* box) {
    return OnWindowThread(box, Text(), [box] { return FromQString(box->text()); });
}

void SetEditText(QLineEdit* box, const Text& text) {
    OnWindowThreadNoResult(box, [box, text] { box->setText(ToQString(text)); });
}

void SetButtonCaption(QPushButton* button, const Text& caption) {
    OnWindowThreadNoResult(button, [button, caption] { button->setText(ToQString(caption)); });
}

void SetDisabled(QWidget* control, bool disabled) {
    OnWindowThreadNoResult(control, [control, disabled] { control->setDisabled(disabled); });
}

void ClearRows(QTreeWidget* list) {
    OnWindowThreadNoResult(list, [list] { list->clear(); });
}

int RowCount(QTreeWidget* list) {
    return OnWindowThread(list, 0, [list] { return list->topLevelItemCount(); });
}

int InsertRow(QTreeWidget* list, const Text& text) {
    return OnWindowThread(list, -1, [list, text, paced = HandedOver()] {
        if (paced) {
            PaceRepaints(list);
        }
        const int row = list->topLevelItemCount();
        // Owned by the list from here on.
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, ToQString(text));
        return list->indexOfTopLevelItem(item) == row ? row : -1;
    });
}

void SetCellText(QTreeWidget* list, int row, int column, const Text& text) {
    OnWindowThreadNoResult(list, [list, row, column, text, paced = HandedOver()] {
        if (paced) {
            PaceRepaints(list);
        }
        if (QTreeWidgetItem* item = RowItem(list, row);
            item != nullptr && column >= 0 && column < list->columnCount()) {
            item->setText(column, ToQString(text));
        }
    });
}

Text GetCellText(QTreeWidget* list, int row, int column) {
    return OnWindowThread(list, Text(), [list, row, column] {
        const QTreeWidgetItem* item = RowItem(list, row);
        return item != nullptr && column >= 0 ? FromQString(item->text(column)) : Text();
    });
}

int SelectedRow(QTreeWidget* list) {
    return OnWindowThread(list, -1, [list] {
        int first = -1;
        for (QTreeWidgetItem* item : list->selectedItems()) {
            const int row = list->indexOfTopLevelItem(item);
            if (row >= 0 && (first == -1 || row < first)) {
                first = row;
            }
        }
        return first;
    });
}

bool SetClipboardText(const Text& text) {
    return OnWindowThread(QCoreApplication::instance(), false, [text] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr) {
            return false;
        }
        clipboard->setText(ToQString(text));
        return true;
    });
}

void ProcessEvents() {
    Session& session = TheSession();
    {
        std::lock_guard lock(session.mutex);
        if (std::this_thread::get_id() != session.windowThread) {
            return;  // other threads get no events of ours
        }
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void OpenAddress(const Text& address) {
    OnWindowThreadNoResult(QCoreApplication::instance(), [address] {
        const QUrl url(ToQString(address), QUrl::TolerantMode);
        if (url.isValid() && !url.isEmpty()) {
            QDesktopServices::openUrl(url);  // its outcome is not examined
        }
    });
}

bool StartThread(std::function<void()> routine) {
    Session& session = TheSession();
    std::list<Worker> finished;
    bool started = false;
    {
        std::lock_guard lock(session.mutex);
        // Collect the threads that have ended since the last start, so the list stays short.
        for (auto it = session.workers.begin(); it != session.workers.end();) {
            auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), session.workers, it);
            }
            it = next;
        }
        if (session.open && routine) {
            Worker& worker = session.workers.emplace_back();
            try {
                worker.thread = std::thread([&worker, routine = std::move(routine)] {
                    try {
                        routine();
                    } catch (...) {
                        // A failing routine ends its own thread quietly, as a return would.
                    }
                    Session& s = TheSession();
                    {
                        std::lock_guard guard(s.mutex);
                        worker.done = true;
                    }
                    s.changed.notify_all();
                });
                started = true;
            } catch (const std::system_error&) {
                session.workers.pop_back();
            }
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
    return started;
}

void OpenToolkit() {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    session.open = true;
    session.windowThread = std::this_thread::get_id();
}

void CloseToolkit() {
    Session& session = TheSession();
    std::vector<QEventLoop*> loops;
    {
        std::lock_guard lock(session.mutex);
        session.open = false;
        loops = session.loops;
    }
    session.changed.notify_all();
    for (QEventLoop* loop : loops) {
        loop->quit();
    }
}

bool ToolkitClosed() {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    return !session.open;
}

bool FinishThreads(std::chrono::milliseconds limit) {
    Session& session = TheSession();
    std::list<Worker> finished;
    bool allDone = false;
    {
        std::unique_lock lock(session.mutex);
        allDone = session.changed.wait_for(lock, limit, [&] {
            return std::all_of(session.workers.begin(), session.workers.end(),
                               [](const Worker& w) { return w.done; });
        });
        for (auto it = session.workers.begin(); it != session.workers.end();) {
            auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), session.workers, it);
            }
            it = next;
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
    return allDone;
}

int WaitingCallers() {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    return session.waiting;
}

QuitOnClose::QuitOnClose(QEventLoop& loop) : loop_(loop) {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    session.loops.push_back(&loop_);
}

QuitOnClose::~QuitOnClose() {
    Session& session = TheSession();
    std::lock_guard lock(session.mutex);
    std::erase(session.loops, &loop_);
}

}  // namespace tovik
