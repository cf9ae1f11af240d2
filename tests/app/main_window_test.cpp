// Tests of the main window: start-up page, geometry and flags, controls and columns, the typed
// filter of the page-count box, keys, and selections hidden without the focus.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "app_test_main.h"
#include "url_recorder.h"

using namespace tovik;

namespace {

const WindowSettings kSettings{"http://127.0.0.1:9/search", "http://127.0.0.1:9/start"};

// Pixels of `image` in exactly `colour`.
int CountPixels(const QImage& image, QColor colour) {
    int count = 0;
    const QRgb wanted = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == wanted ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::UrlRecorder> browser_;
    std::unique_ptr<MainWindow> window_;

    // Shows the window and makes it the active one, so focus and keys behave as on a desktop.
    MainWindow& ShowActive() {
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) {
            qWarning("window did not become active");
        }
        return *window_;
    }

  private slots:
    void init() {
        browser_ = std::make_unique<testing::UrlRecorder>();
        window_ = std::make_unique<MainWindow>(kSettings);
    }
    void cleanup() {
        window_.reset();
        browser_.reset();
    }

    void creationOpensTheStartupPageOnce() {
        QCOMPARE(browser_->opened.size(), 1);
        QCOMPARE(browser_->opened.front(), QUrl(QStringLiteral("http://127.0.0.1:9/start")));
        QCOMPARE(window_->Settings().serviceAddress, kSettings.serviceAddress);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCOMPARE(browser_->opened.size(), 1);  // showing is not creating
    }

    void unopenableAddressShowsNothing() {
        const int before = browser_->opened.size();
        OpenAddress("");
        OpenAddress("no-such-scheme-here:whatever");
        QCOMPARE(browser_->opened.size(), before);
        QCOMPARE(QApplication::topLevelWidgets().size(), 1);  // no message window appeared
    }

    void windowIsFixedCentredAndTitled() {
        MainWindow& w = ShowActive();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect expected(screen.x() + (screen.width() - 702) / 2,
                             screen.y() + (screen.height() - 453) / 2, 702, 453);
        QCOMPARE(w.frameGeometry(), expected);
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.windowTitle(), QStringLiteral("TovikBT磁力链接搜索"));

        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!flags.testFlag(Qt::Tool));
        QCOMPARE(w.font(), QApplication::font());
    }

    void controlsAreInPlace_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("keyword") << QStringLiteral("编辑框_搜索内容") << QRect(8, 8, 547, 28);
        QTest::newRow("page count") << QStringLiteral("编辑框_搜索页数") << QRect(563, 8, 38, 28);
        QTest::newRow("button") << QStringLiteral("按钮_搜索") << QRect(609, 8, 80, 28);
        QTest::newRow("list") << QStringLiteral("超级列表框_资源") << QRect(-32, 44, 728, 352);
        QTest::newRow("label") << QStringLiteral("标签1") << QRect(88, 400, 464, 16);
    }
    void controlsAreInPlace() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        ShowActive();
        const auto* control = window_->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), geometry);
        QVERIFY(control->isVisible());
    }

    void controlsStartAsDesigned() {
        MainWindow& w = ShowActive();
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("编辑框_搜索内容")), w.编辑框_搜索内容);
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("编辑框_搜索页数")), w.编辑框_搜索页数);
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("按钮_搜索")), w.按钮_搜索);
        QCOMPARE(w.findChild<QTreeWidget*>(QStringLiteral("超级列表框_资源")), w.超级列表框_资源);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("标签1")), w.标签1);

        QVERIFY(!w.编辑框_搜索内容->text().isEmpty());
        QVERIFY(w.编辑框_搜索内容->alignment().testFlag(Qt::AlignLeft));
        QCOMPARE(w.编辑框_搜索页数->text(), QStringLiteral("3"));
        QVERIFY(w.编辑框_搜索页数->alignment().testFlag(Qt::AlignHCenter));
        QCOMPARE(w.按钮_搜索->text(), QStringLiteral("搜索"));
        QVERIFY(w.按钮_搜索->isEnabled());
        QVERIFY(!w.按钮_搜索->isDefault());
        QVERIFY(!w.按钮_搜索->autoDefault());
        QCOMPARE(w.超级列表框_资源->topLevelItemCount(), 0);
        // The label's hint is one line that fits its box.
        QVERIFY(!w.标签1->text().isEmpty());
        QVERIFY(!w.标签1->wordWrap());
        QVERIFY(w.标签1->fontMetrics().horizontalAdvance(w.标签1->text()) <= 464);
    }

    void listHasItsColumnsAndLook() {
        MainWindow& w = ShowActive();
        QTreeWidget* list = w.超级列表框_资源;
        const QStringList titles{QStringLiteral("ID"),     QStringLiteral("描述"),
                                 QStringLiteral("大小"),   QStringLiteral("日期"),
                                 QStringLiteral("文件数"), QStringLiteral("下载")};
        const int widths[] = {35, 263, 70, 75, 50, 167};
        QCOMPARE(list->columnCount(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(list->headerItem()->text(i), titles[i]);
            QCOMPARE(list->columnWidth(i), widths[i]);
        }
        // The five columns after ID are in view and end at the list's right edge, x = 696.
        QCOMPARE(list->geometry().right() + 1, 696);
        QVERIFY(list->header()->defaultAlignment().testFlag(Qt::AlignLeft));
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!list->rootIsDecorated());
        QVERIFY(!list->isSortingEnabled());
        QVERIFY(list->header()->sectionsClickable());
        QCOMPARE(list->frameShadow(), QFrame::Sunken);
        QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(list->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void headerClicksDoNothing() {
        MainWindow& w = ShowActive();
        QTreeWidget* list = w.超级列表框_资源;
        for (const char* title : {"b", "c", "a"}) {
            SetCellText(list, InsertRow(list, "x"), 1, title);
        }
        QHeaderView* header = list->header();
        for (int column : {1, 1, 2}) {
            const QPoint centre(header->sectionViewportPosition(column) + 10, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        }
        QCOMPARE(GetCellText(list, 0, 1), Text("b"));
        QCOMPARE(GetCellText(list, 1, 1), Text("c"));
        QCOMPARE(GetCellText(list, 2, 1), Text("a"));
        QVERIFY(!header->isSortIndicatorShown());
    }

    void pageCountDropsTypedCharacters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("digits") << QStringLiteral("1234567890") << QStringLiteral("1234567890");
        QTest::newRow("minus one") << QStringLiteral("-1") << QStringLiteral("-1");
        QTest::newRow("letters") << QStringLiteral("abcXYZ") << QString();
        QTest::newRow("mixed") << QStringLiteral("1a2b-c") << QStringLiteral("12-");
        QTest::newRow("punctuation and blanks")
            << QStringLiteral("+1. 2,e") << QStringLiteral("12");
    }
    void pageCountDropsTypedCharacters() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        MainWindow& w = ShowActive();
        w.编辑框_搜索页数->clear();
        w.编辑框_搜索页数->setFocus();
        QTest::keyClicks(w.编辑框_搜索页数, typed);
        QCOMPARE(w.编辑框_搜索页数->text(), shown);
    }

    void pageCountDropsComposedCharactersToo() {
        MainWindow& w = ShowActive();
        w.编辑框_搜索页数->clear();
        w.编辑框_搜索页数->setFocus();
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("1第2页-"));
        QApplication::sendEvent(w.编辑框_搜索页数, &composed);
        QCOMPARE(w.编辑框_搜索页数->text(), QStringLiteral("12-"));
    }

    void pageCountControlKeysWork() {
        MainWindow& w = ShowActive();
        QLineEdit* box = w.编辑框_搜索页数;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, QStringLiteral("45"));
        QCOMPARE(box->text(), QStringLiteral("345"));
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("4"));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("7"));
        QCOMPARE(box->text(), QStringLiteral("7"));
    }

    void pastedTextIsNotFiltered() {
        MainWindow& w = ShowActive();
        QLineEdit* box = w.编辑框_搜索页数;
        QGuiApplication::clipboard()->setText(QStringLiteral("12abc"));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("12abc"));
        w.编辑框_搜索内容->setFocus();  // and losing the focus corrects nothing
        QTRY_VERIFY(!box->hasFocus());
        QCOMPARE(box->text(), QStringLiteral("12abc"));
    }

    void keywordBoxTakesAnyText() {
        MainWindow& w = ShowActive();
        w.编辑框_搜索内容->clear();
        w.编辑框_搜索内容->setFocus();
        QTest::keyClicks(w.编辑框_搜索内容, QStringLiteral("Abc 12-x"));
        QCOMPARE(w.编辑框_搜索内容->text(), QStringLiteral("Abc 12-x"));
    }

    void escClosesTheWindow_data() {
        QTest::addColumn<QString>("focused");
        QTest::newRow("keyword box") << QStringLiteral("编辑框_搜索内容");
        QTest::newRow("page-count box") << QStringLiteral("编辑框_搜索页数");
    }
    void escClosesTheWindow() {
        QFETCH(QString, focused);
        MainWindow& w = ShowActive();
        auto* box = w.findChild<QLineEdit*>(focused);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QVERIFY(ToolkitClosed());
    }

    void enterKeepsTheFocusAndTabMovesIt() {
        MainWindow& w = ShowActive();
        w.编辑框_搜索页数->setText(QStringLiteral("0"));
        w.编辑框_搜索内容->setFocus();
        QTRY_VERIFY(w.编辑框_搜索内容->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(w.编辑框_搜索内容->hasFocus());
        // Enter started a search, which disables the button until it ends; Tab skips it then.
        QTRY_VERIFY(w.按钮_搜索->isEnabled());
        const QWidget* order[] = {w.编辑框_搜索页数, w.按钮_搜索, w.超级列表框_资源};
        for (const QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    // The search handlers never consume a key: both boxes still get their Enter. (What the
    // search does is the search test's; a page count of 0 keeps it off the network.)
    void searchKeysReachTheBoxes() {
        MainWindow& w = ShowActive();
        w.编辑框_搜索页数->setText(QStringLiteral("0"));
        QSignalSpy keywordEnter(w.编辑框_搜索内容, &QLineEdit::returnPressed);
        QSignalSpy pagesEnter(w.编辑框_搜索页数, &QLineEdit::returnPressed);
        w.编辑框_搜索内容->setFocus();
        QTest::keyClick(w.编辑框_搜索内容, Qt::Key_Return);
        w.编辑框_搜索页数->setFocus();
        QTest::keyClick(w.编辑框_搜索页数, Qt::Key_Enter);
        QCOMPARE(keywordEnter.size(), 1);
        QCOMPARE(pagesEnter.size(), 1);
        QCOMPARE(w.编辑框_搜索页数->text(), QStringLiteral("0"));
        QTRY_COMPARE(w.按钮_搜索->text(), QStringLiteral("搜索(完)"));
        QTRY_VERIFY(w.按钮_搜索->isEnabled());
        QVERIFY(w.isVisible());
    }

    void selectionsAreHiddenWithoutFocus() {
        MainWindow& w = ShowActive();
        QTreeWidget* list = w.超级列表框_资源;
        SetCellText(list, InsertRow(list, "1"), 1, "row");
        list->setCurrentItem(list->topLevelItem(0));
        w.编辑框_搜索内容->setText(QStringLiteral("selected text"));
        w.编辑框_搜索内容->selectAll();
        const QColor highlight =
            QApplication::palette().color(QPalette::Active, QPalette::Highlight);

        struct Case {
            QWidget* control;
            QWidget* painted;
        };
        for (const Case c :
             {Case{w.编辑框_搜索内容, w.编辑框_搜索内容}, Case{list, list->viewport()}}) {
            c.control->setFocus();
            QTRY_VERIFY(c.control->hasFocus());
            QVERIFY2(CountPixels(c.painted->grab().toImage(), highlight) > 0,
                     qPrintable(c.control->objectName()));
            w.按钮_搜索->setFocus();
            QTRY_VERIFY(!c.control->hasFocus());
            QCOMPARE(CountPixels(c.painted->grab().toImage(), highlight), 0);
        }
        // The list's selection is hidden, not lost.
        QCOMPARE(SelectedRow(list), 0);
    }
};

TOVIK_APP_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
