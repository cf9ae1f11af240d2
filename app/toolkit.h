// The window toolkit layer: control operations over Qt Widgets that any thread may call, the
// clipboard, the desktop shell and threads, plus the window session they all depend on.
// Texts cross this layer as code page 936 bytes and are converted to and from QString here only.
#pragma once

#include <chrono>
#include <functional>

#include "text/text.h"

class QEventLoop;
class QLineEdit;
class QPushButton;
class QString;
class QTreeWidget;
class QWidget;

namespace tovik {

// --- The one Text <-> QString crossing -------------------------------------------------------

QString ToQString(const Text& text);
Text FromQString(const QString& string);

// --- Control operations ------------------------------------------------------------------------
// On the window thread they run directly. From any other thread each one is carried out on the
// window thread while the caller waits, so no two ever overlap. Once the session is closed (or
// before it is opened) every one returns its empty result at once: "", 0, -1 or false.

Text GetEditText(QLineEdit* box);
void SetEditText(QLineEdit* box, const Text& text);
void SetButtonCaption(QPushButton* button, const Text& caption);
void SetDisabled(QWidget* control, bool disabled);
void ClearRows(QTreeWidget* list);
int RowCount(QTreeWidget* list);
// The new row's index, or -1 when no row was added.
int InsertRow(QTreeWidget* list, const Text& text);
void SetCellText(QTreeWidget* list, int row, int column, const Text& text);
Text GetCellText(QTreeWidget* list, int row, int column);
// The lowest selected row, -1 when none is selected.
int SelectedRow(QTreeWidget* list);
bool SetClipboardText(const Text& text);
// Handles the events already waiting for the window thread; elsewhere there are none of ours.
void ProcessEvents();
// Hands the address to the desktop's default handler without waiting; failures show nothing.
void OpenAddress(const Text& address);
// Runs `routine` on a new thread; false when the session is closed or no thread could start.
bool StartThread(std::function<void()> routine);

// --- The window session ------------------------------------------------------------------------

// Window thread: makes the calling thread the window thread and serves control operations.
void OpenToolkit();
// Window thread, when the window goes: callers waiting for the window thread get the empty result
// now, later calls get it at once, nested waits registered with QuitOnClose end. Idempotent.
void CloseToolkit();
// Any thread: true before OpenToolkit and after CloseToolkit. Long-running work polls it to stop.
bool ToolkitClosed();
// Window thread, after CloseToolkit: joins the threads StartThread started. False when some are
// still running after `limit`; those are left running.
bool FinishThreads(std::chrono::milliseconds limit);
// Threads currently waiting for the window thread to carry out their operation.
int WaitingCallers();

// Window thread: while it lives, CloseToolkit ends `loop`, so no nested wait outlives the window.
class QuitOnClose {
  public:
    explicit QuitOnClose(QEventLoop& loop);
    ~QuitOnClose();
    QuitOnClose(const QuitOnClose&) = delete;
    QuitOnClose& operator=(const QuitOnClose&) = delete;

  private:
    QEventLoop& loop_;
};

}  // namespace tovik
