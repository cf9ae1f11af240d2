// Tests of copying a row's link by double-click: the clipboard, the flashing suffix over time,
// the cases that copy without flashing or do nothing, and a second double-click inside the first.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "url_recorder.h"

using namespace tovik;

namespace {

const QString kSuffix = QStringLiteral("  ^_^ 已复制下载 ^_^");
const QString kLinkA = QStringLiteral("magnet:?xt=urn:btih:AAAA&dn=甲");
const QString kLinkB = QStringLiteral("magnet:?xt=urn:btih:BBBB");

struct Change {
    QString text;
    qint64 at;  // milliseconds since the first double-click
};

}  // namespace

class CopyLinkTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::UrlRecorder> browser_;
    std::unique_ptr<MainWindow> window_;
    QElapsedTimer clock_;
    QList<Change> changes_;
    // Runs once the keyword box has changed this many times, from the event loop.
    int triggerAt_ = -1;
    std::function<void()> trigger_;

    QTreeWidget* List() { return window_->超级列表框_资源; }
    QLineEdit* Keyword() { return window_->编辑框_搜索内容; }

    // As a mouse does it: the first click selects, the second arrives as a double-click.
    void DoubleClickAt(int y) {
        const QPoint point(300, y);
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(List()->viewport(), Qt::LeftButton, {}, point);
    }
    void DoubleClickRow(int row) {
        DoubleClickAt(List()->visualItemRect(List()->topLevelItem(row)).center().y());
    }

    QStringList Texts() const {
        QStringList texts;
        for (const Change& change : changes_) {
            texts.append(change.text);
        }
        return texts;
    }

  private slots:
    void init() {
        browser_ = std::make_unique<testing::UrlRecorder>();
        window_ = std::make_unique<MainWindow>(
            WindowSettings{"http://127.0.0.1:9/search", "http://127.0.0.1:9/start"});
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        // Rows: A's link, B's link, and one without a link.
        for (const QString& link : {kLinkA, kLinkB, QString()}) {
            const int row = InsertRow(List(), "1");
            SetCellText(List(), row, 1, "title");
            SetCellText(List(), row, 5, FromQString(link));
        }
        Keyword()->setText(QStringLiteral("ab"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        changes_.clear();
        triggerAt_ = -1;
        connect(Keyword(), &QLineEdit::textChanged, this, [this](const QString& text) {
            changes_.append({text, clock_.elapsed()});
            if (changes_.size() == triggerAt_) {
                QTimer::singleShot(0, this, trigger_);
            }
        });
        clock_.start();
    }
    void cleanup() {
        window_.reset();
        browser_.reset();
    }

    void copiesTheLinkAndFlashesTheSuffix() {
        DoubleClickRow(0);
        QCOMPARE(QGuiApplication::clipboard()->text(), kLinkA);
        const QString shown = QStringLiteral("ab") + kSuffix;
        QCOMPARE(Texts(), (QStringList{shown, QStringLiteral("ab"), shown, QStringLiteral("ab")}));
        // Shown 200 ms, hidden 200 ms, shown 600 ms; generous at the top for slow machines.
        QVERIFY(changes_[1].at - changes_[0].at >= 200);
        QVERIFY(changes_[2].at - changes_[1].at >= 200);
        QVERIFY(changes_[3].at - changes_[2].at >= 600);
        QVERIFY(changes_[3].at - changes_[0].at < 5000);
    }

    void anEmptyKeywordFlashesTheSuffixAlone() {
        Keyword()->clear();
        changes_.clear();
        DoubleClickRow(1);
        QCOMPARE(QGuiApplication::clipboard()->text(), kLinkB);
        QCOMPARE(Texts(), (QStringList{kSuffix, QString(), kSuffix, QString()}));
    }

    void anEmptyCellEmptiesTheClipboardAndStillFlashes() {
        DoubleClickRow(2);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QCOMPARE(changes_.size(), 4);
        QCOMPARE(Keyword()->text(), QStringLiteral("ab"));
    }

    void aKeywordHoldingTheSuffixCopiesWithoutFlashing() {
        const QString typed = QStringLiteral("x") + kSuffix + QStringLiteral("y");
        Keyword()->setText(typed);
        changes_.clear();
        DoubleClickRow(1);
        QCOMPARE(QGuiApplication::clipboard()->text(), kLinkB);
        QVERIFY(changes_.isEmpty());
        QCOMPARE(Keyword()->text(), typed);
    }

    // A double-click below the rows leaves none selected, even when one was before.
    void noSelectedRowDoesNothing() {
        List()->setCurrentItem(List()->topLevelItem(0));
        QCOMPARE(SelectedRow(List()), 0);
        DoubleClickAt(List()->visualItemRect(List()->topLevelItem(2)).bottom() + 40);
        QCOMPARE(SelectedRow(List()), -1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(changes_.isEmpty());
        QCOMPARE(Keyword()->text(), QStringLiteral("ab"));
    }

    // A second double-click on B while the first confirmation runs: while the suffix shows it
    // copies without flashing; while it is hidden it runs a whole confirmation of its own inside
    // the first, which then goes on where it was.
    void aSecondDoubleClickInsideTheFirst_data() {
        QTest::addColumn<int>("afterChanges");
        QTest::addColumn<QStringList>("texts");
        const QString shown = QStringLiteral("ab") + kSuffix;
        const QString plain = QStringLiteral("ab");
        QTest::newRow("while shown") << 1 << QStringList{shown, plain, shown, plain};
        QTest::newRow("while hidden")
            << 2 << QStringList{shown, plain, shown, plain, shown, plain, shown, plain};
    }
    void aSecondDoubleClickInsideTheFirst() {
        QFETCH(int, afterChanges);
        QFETCH(QStringList, texts);
        QString clipboardAtSecond;
        triggerAt_ = afterChanges;
        trigger_ = [&] {
            DoubleClickRow(1);
            clipboardAtSecond = QGuiApplication::clipboard()->text();
        };
        DoubleClickRow(0);
        QCOMPARE(clipboardAtSecond, kLinkB);
        QCOMPARE(QGuiApplication::clipboard()->text(), kLinkB);
        QCOMPARE(Texts(), texts);
        QCOMPARE(Keyword()->text(), QStringLiteral("ab"));
    }
};

QTEST_MAIN(CopyLinkTest)
#include "copy_link_test.moc"
