// The tool's one window: its five controls, its fixed look and place, and the handlers its key,
// click and double-click events run.
#pragma once

#include <QWidget>

#include <string_view>

#include "text/text.h"

class QCloseEvent;
class QKeyEvent;
class QMoveEvent;
class QShowEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tovik {

// Settings compiled into the program; tests hand the window their own.
struct WindowSettings {
    Text serviceAddress;  // where the search requests are posted
    Text startupAddress;  // opened in the browser when the window is created
};
WindowSettings DefaultWindowSettings();

// Shown after the keyword to confirm a copied link: two spaces, ^_^, 已复制下载, ^_^ (code page
// 936).
inline constexpr std::string_view kCopiedSuffix =
    "  ^_^ \xD2\xD1\xB8\xB4\xD6\xC6\xCF\xC2\xD4\xD8 ^_^";

// Outer size of the window, frame included.
inline constexpr int kWindowWidth = 702;
inline constexpr int kWindowHeight = 453;

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Opens the window session (letting requests through again after an earlier window's end)
    // and the start-up page; the window is centred but not yet shown.
    explicit MainWindow(WindowSettings settings = DefaultWindowSettings());
    // Closes the session, aborts the requests in flight and waits for the threads it started,
    // which by then return at once from every control operation and request.
    ~MainWindow() override;

    // Enter in either edit box, or a click on the button: resets the button and the list and
    // runs SearchWorker on a new thread, returning at once.
    void StartSearch();
    // One search run, on its own thread: pages 1 to N of the keyword, a row per hit.
    void SearchWorker();
    // A double-click on the result list: copies the selected row's link and flashes a suffix.
    void CopySelectedLink();

    const WindowSettings& Settings() const { return settings_; }

    QLineEdit* 编辑框_搜索内容;
    QLineEdit* 编辑框_搜索页数;
    QPushButton* 按钮_搜索;
    QTreeWidget* 超级列表框_资源;
    QLabel* 标签1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void OnCreated();
    // The window is going: control operations and requests return their empty result from now.
    void EndSession();
    void OnEditKeyDown(int virtualKey);
    // Keeps the outer size at 702 x 453 whatever frame the platform draws around the client area.
    void FitOuterSize();

    WindowSettings settings_;
    QWidget* listViewport_ = nullptr;  // compared against without touching the list
};

}  // namespace tovik
