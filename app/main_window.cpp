// The main window: controls, fixed geometry and look, event wiring and the creation handler.
#include "app/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include <chrono>
#include <utility>

#include "app/controls.h"
#include "app/settings.h"
#include "app/toolkit.h"
#include "http/http.h"

namespace tovik {
namespace {

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

struct Column {
    const char16_t* title;
    int width;
};
constexpr Column kColumns[] = {{u"ID", 35},   {u"描述", 263},  {u"大小", 70},
                               {u"日期", 75}, {u"文件数", 50}, {u"下载", 167}};

// The key codes the handlers speak in: 13 is Enter. Letters and digits share Qt's codes.
int VirtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Space:
            return 32;
        default:
            break;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;
    }
    return 0;
}

}  // namespace

WindowSettings DefaultWindowSettings() {
    return {TOVIK_SERVICE_URL, TOVIK_STARTUP_URL};
}

MainWindow::MainWindow(WindowSettings settings)
    : QWidget(nullptr, kWindowFlags),
      编辑框_搜索内容(new QLineEdit(this)),
      编辑框_搜索页数(new DigitsEdit(this)),
      按钮_搜索(new QPushButton(this)),
      超级列表框_资源(new QTreeWidget(this)),
      标签1(new QLabel(this)),
      settings_(std::move(settings)) {
    OpenToolkit();
    ResumeHttpRequests();
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("TovikBT磁力链接搜索"));

    编辑框_搜索内容->setObjectName(QStringLiteral("编辑框_搜索内容"));
    编辑框_搜索内容->setGeometry(8, 8, 547, 28);
    编辑框_搜索内容->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    编辑框_搜索内容->setText(QStringLiteral("debian 12"));

    编辑框_搜索页数->setObjectName(QStringLiteral("编辑框_搜索页数"));
    编辑框_搜索页数->setGeometry(563, 8, 38, 28);
    编辑框_搜索页数->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    编辑框_搜索页数->setText(QStringLiteral("3"));

    按钮_搜索->setObjectName(QStringLiteral("按钮_搜索"));
    按钮_搜索->setGeometry(609, 8, 80, 28);
    按钮_搜索->setText(QStringLiteral("搜索"));
    按钮_搜索->setAutoDefault(false);
    按钮_搜索->setDefault(false);

    QTreeWidget* list = 超级列表框_资源;
    list->setObjectName(QStringLiteral("超级列表框_资源"));
    // The left edge lies 32 pixels outside the window, hiding most of the ID column; the other
    // five columns fit exactly up to x = 696.
    list->setGeometry(-32, 44, 728, 352);
    list->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList titles;
    for (const Column& column : kColumns) {
        titles.append(QString::fromUtf16(column.title));
    }
    list->setHeaderLabels(titles);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        list->setColumnWidth(i, kColumns[i].width);
    }
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    QHeaderView* header = list->header();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);  // drawn as buttons; nothing sorts on a click
    header->setSortIndicatorShown(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    QPalette colours = list->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::white);
        colours.setColor(group, QPalette::AlternateBase, Qt::white);
        colours.setColor(group, QPalette::Text, Qt::black);
    }
    list->setPalette(colours);
    listViewport_ = list->viewport();

    标签1->setObjectName(QStringLiteral("标签1"));
    标签1->setGeometry(88, 400, 464, 16);
    标签1->setText(QStringLiteral("输入关键词和页数，回车或点搜索；双击一行复制磁力链接"));
    标签1->setWordWrap(false);

    HideSelectionWithoutFocus(编辑框_搜索内容);
    HideSelectionWithoutFocus(编辑框_搜索页数);
    HideSelectionWithoutFocus(list);

    setTabOrder(编辑框_搜索内容, 编辑框_搜索页数);
    setTabOrder(编辑框_搜索页数, 按钮_搜索);
    setTabOrder(按钮_搜索, list);

    编辑框_搜索内容->installEventFilter(this);
    编辑框_搜索页数->installEventFilter(this);
    listViewport_->installEventFilter(this);
    connect(按钮_搜索, &QPushButton::clicked, this, [this] { StartSearch(); });

    FitOuterSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 0, 0);
    move(area.x() + (area.width() - kWindowWidth) / 2,
         area.y() + (area.height() - kWindowHeight) / 2);

    OnCreated();
}

MainWindow::~MainWindow() {
    编辑框_搜索内容->removeEventFilter(this);
    编辑框_搜索页数->removeEventFilter(this);
    listViewport_->removeEventFilter(this);
    EndSession();
    // Every control operation and request now returns at once, so the threads end promptly; one
    // that does not would go on to use the controls destroyed below.
    if (!FinishThreads(std::chrono::seconds(30))) {
        qFatal("A thread of the window is still running after it closed");
    }
}

void MainWindow::EndSession() {
    CloseToolkit();
    // A worker waiting for a server that never answers must not hold up the end.
    AbortAllHttpRequests();
}

void MainWindow::OnCreated() {
    OpenAddress(settings_.startupAddress);
}

void MainWindow::OnEditKeyDown(int virtualKey) {
    if (virtualKey == 13) {
        StartSearch();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == 编辑框_搜索内容 || watched == 编辑框_搜索页数) &&
        event->type() == QEvent::KeyPress) {
        // Never consumed: the box handles every key as usual afterwards.
        OnEditKeyDown(VirtualKeyCode(*static_cast<QKeyEvent*>(event)));
    } else if (watched == listViewport_ && event->type() == QEvent::MouseButtonDblClick &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        CopySelectedLink();
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Reaches the window when the focused control leaves Esc alone, as the edit boxes do.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    EndSession();
    QWidget::closeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitOuterSize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FitOuterSize();  // the platform may report its frame only once the window is placed
}

void MainWindow::FitOuterSize() {
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize client(kWindowWidth - frame.width(), kWindowHeight - frame.height());
    if (minimumSize() != client || maximumSize() != client) {
        setFixedSize(client);
    }
}

}  // namespace tovik
