// Tests of a search from the real window against a scripted loopback service: how it starts, the
// request bodies, rows and captions page by page, the page count, what the hit pattern takes and
// drops, the keyword read per page, two runs at once, failing pages, and closing mid-run.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "app_test_main.h"
#include "fake_service.h"
#include "http/transport.h"
#include "loopback.h"
#include "url_recorder.h"
#include "wait_without_events.h"

using namespace tovik;
using namespace tovik::testing;
using namespace std::chrono_literals;

namespace {

const QString kSearch = QStringLiteral("搜索");
const QString kDone = QStringLiteral("搜索(完)");

QString Caption(int page) {
    return QStringLiteral("搜索(%1)").arg(page);
}

// Records every caption the button shows. Each operation the worker hands to the window thread
// arrives as a meta-call event, and each caption it sets is followed by another operation on the
// button (the next caption or the enabling), so looking before each such event misses none.
class CaptionRecorder : public QObject {
  public:
    explicit CaptionRecorder(QPushButton* button) : button_(button) {
        seen_.append(button->text());
        button->installEventFilter(this);
    }
    // Every distinct caption in order, the current one last.
    QStringList Captions() {
        Note();
        return seen_;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_ && event->type() == QEvent::MetaCall) {
            Note();
        }
        return false;
    }

  private:
    void Note() {
        if (seen_.back() != button_->text()) {
            seen_.append(button_->text());
        }
    }
    QPushButton* button_;
    QStringList seen_;
};

// Answers each page from `pages` (keyed by currentPage), a page without hits for the rest.
FakeService::Script Pages(std::map<int, ServiceReply> pages) {
    return [pages = std::move(pages)](const ServiceRequest& request) {
        const auto found = pages.find(request.Page());
        return found != pages.end() ? found->second : ServiceReply{.body = PageReply({})};
    };
}

ServiceReply Answer(const std::vector<Hit>& hits) {
    return {.body = PageReply(hits)};
}

// UTF-8 literals as the list shows them.
QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) {
        list.append(QString::fromUtf8(text));
    }
    return list;
}

QByteArray Utf8(const std::string& s) {
    return QByteArray::fromStdString(s);
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<UrlRecorder> browser_;
    std::unique_ptr<FakeService> service_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<CaptionRecorder> captions_;
    std::unique_ptr<Gate> gate_;  // for scripts that hold a reply back

    MainWindow& Window() { return *window_; }
    QTreeWidget* List() { return window_->超级列表框_资源; }
    QPushButton* Button() { return window_->按钮_搜索; }

    void Open(const std::string& serviceAddress) {
        window_ = std::make_unique<MainWindow>(
            WindowSettings{serviceAddress, "http://127.0.0.1:9/start"});
        captions_ = std::make_unique<CaptionRecorder>(Button());
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    // Keyword and page count as pasted text, then a click.
    void Search(const QString& keyword, const QString& pages) {
        Window().编辑框_搜索内容->setText(keyword);
        Window().编辑框_搜索页数->setText(pages);
        QTest::mouseClick(Button(), Qt::LeftButton);
    }

    // Until the run has ended: caption "搜索(完)" and the button enabled.
    bool WaitForEnd() {
        return QTest::qWaitFor([&] { return Button()->isEnabled() && Button()->text() == kDone; },
                               20000);
    }

    QStringList Row(int row) {
        QStringList cells;
        const QTreeWidgetItem* item = List()->topLevelItem(row);
        for (int column = 0; item != nullptr && column < 6; ++column) {
            cells.append(item->text(column));
        }
        return cells;
    }
    QStringList Column(int column) {
        QStringList cells;
        for (int row = 0; row < List()->topLevelItemCount(); ++row) {
            cells.append(List()->topLevelItem(row)->text(column));
        }
        return cells;
    }

  private slots:
    void init() {
        browser_ = std::make_unique<UrlRecorder>();
        service_ = std::make_unique<FakeService>();
        gate_ = std::make_unique<Gate>();
        Open(service_->Url());
    }
    void cleanup() {
        gate_->Open();
        captions_.reset();
        window_.reset();
        service_.reset();
        gate_.reset();
        browser_.reset();
        transport::SetTimeouts(transport::DefaultTimeouts());
    }

    void everyStartEventRunsTheSearch_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("click") << 0;
        QTest::newRow("Enter in the keyword box") << 1;
        QTest::newRow("keypad Enter in the page-count box") << 2;
    }
    void everyStartEventRunsTheSearch() {
        QFETCH(int, how);
        service_->SetScript(Pages({{1, Answer(NumberedHits("a", 1))}}));
        // Rows of an earlier run are cleared by the start.
        SetCellText(List(), InsertRow(List(), "old"), 1, "old");
        Window().编辑框_搜索内容->setText(QStringLiteral("x"));
        Window().编辑框_搜索页数->setText(QStringLiteral("1"));
        QSignalSpy enter(how == 2 ? Window().编辑框_搜索页数 : Window().编辑框_搜索内容,
                         &QLineEdit::returnPressed);
        if (how == 0) {
            QTest::mouseClick(Button(), Qt::LeftButton);
        } else {
            QLineEdit* box = how == 1 ? Window().编辑框_搜索内容 : Window().编辑框_搜索页数;
            box->setFocus();
            QTest::keyClick(box, how == 1 ? Qt::Key_Return : Qt::Key_Enter,
                            how == 2 ? Qt::KeypadModifier : Qt::NoModifier);
            QCOMPARE(enter.size(), 1);  // the box still got its key
        }
        // The handler has done its part before returning; the run goes on elsewhere.
        QVERIFY(!Button()->isEnabled());
        QCOMPARE(Button()->text(), kSearch);
        QCOMPARE(List()->topLevelItemCount(), 0);

        QVERIFY(WaitForEnd());
        QCOMPARE(service_->RequestCount(), 1U);
        QCOMPARE(Row(0),
                 (Texts({"1", "title a1", "1.5 GB", "2024-01-a1", "1", "magnet:?xt=urn:btih:a1"})));
        QCOMPARE(captions_->Captions(), (QStringList{kSearch, Caption(1), kDone}));
    }

    void requestBodies_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("ascii") << QStringLiteral("debian-12.iso") << QByteArray("debian-12.iso");
        QTest::newRow("space") << QStringLiteral("ab c") << QByteArray("ab%20c");
        QTest::newRow("reserved") << QStringLiteral("a+b&c=d/e") << QByteArray("a%2Bb%26c%3Dd%2Fe");
        QTest::newRow("chinese") << QStringLiteral("中") << QByteArray("%E4%B8%AD");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void requestBodies() {
        QFETCH(QString, keyword);
        QFETCH(QByteArray, encoded);
        Search(keyword, QStringLiteral("2"));
        QVERIFY(WaitForEnd());
        const std::vector<ServiceRequest> requests = service_->Requests();
        QCOMPARE(requests.size(), 2U);
        for (int page = 1; page <= 2; ++page) {
            const ServiceRequest& request = requests[static_cast<std::size_t>(page - 1)];
            QVERIFY2(request.head.starts_with("POST /search HTTP/1.1\r\n"), request.head.c_str());
            QCOMPARE(Utf8(request.body),
                     "target=" + encoded + "&currentPage=" + QByteArray::number(page));
        }
    }

    // Rows numbered across pages in reply order; each group lands in its column.
    void rowsAndCaptionsPageByPage() {
        service_->SetScript(
            Pages({{1, Answer(NumberedHits("a", 3))}, {2, Answer(NumberedHits("b", 2))}}));
        Search(QStringLiteral("k"), QStringLiteral("2"));
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 5);
        QCOMPARE(Column(0), (Texts({"1", "2", "3", "4", "5"})));
        QCOMPARE(Column(1), (Texts({"title a1", "title a2", "title a3", "title b1", "title b2"})));
        QCOMPARE(Row(4),
                 (Texts({"5", "title b2", "2.5 GB", "2024-01-b2", "2", "magnet:?xt=urn:btih:b2"})));
        QCOMPARE(captions_->Captions(), (QStringList{kSearch, Caption(1), Caption(2), kDone}));
        // While rows arrive the list paints at a paced rate; afterwards it paints as usual.
        QTRY_VERIFY(List()->updatesEnabled());
    }

    // Only pages with hits show in the caption; the others are still requested.
    void captionsNamePagesWithHits_data() {
        QTest::addColumn<QList<int>>("pagesWithHits");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("1 and 3 of 3")
            << QList<int>{1, 3} << QStringList{kSearch, Caption(1), Caption(3), kDone};
        QTest::newRow("first page empty")
            << QList<int>{2, 3} << QStringList{kSearch, Caption(2), Caption(3), kDone};
        QTest::newRow("none") << QList<int>{} << QStringList{kSearch, kDone};
    }
    void captionsNamePagesWithHits() {
        QFETCH(QList<int>, pagesWithHits);
        QFETCH(QStringList, captions);
        std::map<int, ServiceReply> pages;
        for (const int page : pagesWithHits) {
            pages[page] = Answer(NumberedHits("p" + std::to_string(page) + "-", 2));
        }
        service_->SetScript(Pages(pages));
        Search(QStringLiteral("k"), QStringLiteral("3"));
        QVERIFY(WaitForEnd());
        QCOMPARE(service_->RequestCount(), 3U);
        QCOMPARE(List()->topLevelItemCount(), 2 * static_cast<int>(pagesWithHits.size()));
        QCOMPARE(captions_->Captions(), captions);
    }

    // The count is read once as its leading number; below 1 no request is made at all.
    void pageCount_data() {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("requests");
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("-2") << QStringLiteral("-2") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("abc") << QStringLiteral("abc") << 0;
        QTest::newRow("12abc") << QStringLiteral("12abc") << 12;
    }
    void pageCount() {
        QFETCH(QString, pages);
        QFETCH(int, requests);
        service_->SetScript(Pages({{1, Answer(NumberedHits("a", 1))}}));
        Search(QStringLiteral("k"), pages);
        QVERIFY(WaitForEnd());
        const std::vector<ServiceRequest> sent = service_->Requests();
        QCOMPARE(static_cast<int>(sent.size()), requests);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            QCOMPARE(sent[i].Page(), static_cast<int>(i) + 1);
        }
        QCOMPARE(List()->topLevelItemCount(), requests > 0 ? 1 : 0);
        QStringList captions{kSearch, kDone};
        if (requests > 0) {
            captions.insert(1, Caption(1));
        }
        QCOMPARE(captions_->Captions(), captions);
    }

    // Escapes are decoded before matching: \/ and \uXXXX arrive as characters, a Chinese title
    // shows as such, and a hit holding an escaped line feed is no longer one line and is lost.
    void escapesAreDecodedBeforeMatching() {
        const std::vector<Hit> hits = {
            {"2024-02-01", "7", R"(magnet:?xt=urn:btih:AB\/CD)", "1 GB", R"(\u4e2d\u6587 a\/b)"},
            {"2024-02-02", "8", "magnet:?xt=urn:btih:LOST", "2 GB", R"(two\nlines)"},
            {"2024-02-03", "9", "magnet:?xt=urn:btih:EF", "3 GB", R"(\u7535\u5f71)"},
        };
        service_->SetScript(Pages({{1, Answer(hits)}}));
        Search(QStringLiteral("k"), QStringLiteral("1"));
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 2);
        QCOMPARE(
            Row(0),
            (Texts({"1", "中文 a/b", "1 GB", "2024-02-01", "7", "magnet:?xt=urn:btih:AB/CD"})));
        QCOMPARE(Row(1),
                 (Texts({"2", "电影", "3 GB", "2024-02-03", "9", "magnet:?xt=urn:btih:EF"})));
    }

    // What the pattern itself decides: a non-digit file count lets the lazy date run on into
    // the next hit on the line, and member names match in any case.
    void patternMatchesAsTheServiceWritesHits() {
        const Hit odd{"D1", "3x", "magnet:?xt=urn:btih:ODD", "S1", "T1"};
        const Hit next{"D2", "4", "magnet:?xt=urn:btih:NEXT", "S2", "T2"};
        std::string capitals = HitObject({"D3", "5", "magnet:?xt=urn:btih:CAPS", "S3", "T3"});
        for (const char* name : {"\"date\"", "\"files\"", "\"title\""}) {
            const std::string upper = QByteArray(name).toUpper().toStdString();
            capitals.replace(capitals.find(name), upper.size(), upper);
        }
        const std::string reply =
            "[" + HitObject(odd) + ", " + HitObject(next) + "]\r\n[" + capitals + "]";
        service_->SetScript(Pages({{1, {.body = reply}}}));
        Search(QStringLiteral("k"), QStringLiteral("1"));
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 2);
        const QStringList merged = Row(0);
        QCOMPARE(merged[1], QStringLiteral("T2"));
        QVERIFY2(merged[3].startsWith(QStringLiteral("D1\", \"files\": \"3x\"")) &&
                     merged[3].endsWith(QStringLiteral("\"title\": \"T1\"}, {\"date\": \"D2")),
                 qPrintable(merged[3]));
        QCOMPARE(merged[4], QStringLiteral("4"));
        QCOMPARE(merged[5], QStringLiteral("magnet:?xt=urn:btih:NEXT"));
        QCOMPARE(Row(1), (Texts({"2", "T3", "S3", "D3", "5", "magnet:?xt=urn:btih:CAPS"})));
    }

    // The keyword is read for every page: an edit while page 1 is on its way changes page 2.
    void keywordIsReadForEachPage() {
        service_->SetScript([this](const ServiceRequest& request) {
            if (request.Page() == 1) {
                gate_->Wait();
            }
            return ServiceReply{.body = PageReply({})};
        });
        Search(QStringLiteral("first"), QStringLiteral("2"));
        QTRY_COMPARE_WITH_TIMEOUT(service_->RequestCount(), 1U, 20000);
        Window().编辑框_搜索内容->setText(QStringLiteral("第二"));
        gate_->Open();
        QVERIFY(WaitForEnd());
        const std::vector<ServiceRequest> requests = service_->Requests();
        QCOMPARE(requests.size(), 2U);
        QCOMPARE(requests[0].body, std::string("target=first&currentPage=1"));
        QCOMPARE(requests[1].body, std::string("target=%E7%AC%AC%E4%BA%8C&currentPage=2"));
    }

    // A second start while the first run waits: it clears the list, both runs append, each
    // captions its own pages, and the first to end enables the button while the other goes on.
    void twoRunsAtOnceInTurn() {
        service_->SetScript([this](const ServiceRequest& request) {
            if (request.body == "target=first&currentPage=1") {
                gate_->Wait();
                return Answer(NumberedHits("a", 3));
            }
            if (request.body == "target=second&currentPage=1") {
                return Answer(NumberedHits("b", 2));
            }
            return Answer(NumberedHits("c", 1));  // the first run's page 2, new keyword
        });
        Search(QStringLiteral("first"), QStringLiteral("2"));
        QTRY_COMPARE_WITH_TIMEOUT(service_->RequestCount(), 1U, 20000);
        SetCellText(List(), InsertRow(List(), "stale"), 1, "stale");
        Window().编辑框_搜索内容->setText(QStringLiteral("second"));
        Window().编辑框_搜索页数->setText(QStringLiteral("1"));
        Window().编辑框_搜索内容->setFocus();
        QTest::keyClick(Window().编辑框_搜索内容, Qt::Key_Return);  // the button is disabled
        QCOMPARE(List()->topLevelItemCount(), 0);

        // The second run ends first and enables the button while the first still waits.
        QVERIFY(WaitForEnd());
        QCOMPARE(service_->RequestCount(), 2U);
        QCOMPARE(Column(1), (Texts({"title b1", "title b2"})));
        gate_->Open();
        QTRY_COMPARE_WITH_TIMEOUT(service_->RequestCount(), 3U, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(List()->topLevelItemCount(), 6, 20000);
        QVERIFY(WaitForEnd());
        QCOMPARE(Column(0), (Texts({"1", "2", "3", "4", "5", "6"})));
        QCOMPARE(Column(1),
                 (Texts({"title b1", "title b2", "title a1", "title a2", "title a3", "title c1"})));
        QCOMPARE(captions_->Captions(),
                 (QStringList{kSearch, Caption(1), kDone, Caption(1), Caption(2), kDone}));
    }

    // Two runs started back to back fill the list side by side: every hit of both arrives
    // whole in a row of its own, numbered no higher than its place allows.
    void twoRunsAtOnceSideBySide() {
        // Each reply's hits are tagged with the request's arrival number, so all 120 differ.
        auto arrivals = std::make_shared<std::atomic<int>>(0);
        service_->SetScript([arrivals](const ServiceRequest&) {
            return Answer(NumberedHits("r" + std::to_string(++*arrivals) + "-", 20));
        });
        Window().编辑框_搜索页数->setText(QStringLiteral("3"));
        Window().编辑框_搜索内容->setText(QStringLiteral("x"));
        QTest::mouseClick(Button(), Qt::LeftButton);
        Window().编辑框_搜索内容->setText(QStringLiteral("y"));
        Window().编辑框_搜索内容->setFocus();
        QTest::keyClick(Window().编辑框_搜索内容, Qt::Key_Return);
        // Both runs are done once the list holds every row with its last cell written.
        QTRY_COMPARE_WITH_TIMEOUT(List()->topLevelItemCount(), 120, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!Column(5).contains(QString()), 20000);
        QVERIFY(WaitForEnd());
        QCOMPARE(service_->RequestCount(), 6U);

        std::set<QString> titles;
        for (int row = 0; row < 120; ++row) {
            const QStringList cells = Row(row);
            const QString tag = cells[1].mid(6);  // "title " + tag
            QCOMPARE(cells[5], QStringLiteral("magnet:?xt=urn:btih:") + tag);
            QCOMPARE(cells[3], QStringLiteral("2024-01-") + tag);
            QVERIFY(cells[0].toInt() >= 1 && cells[0].toInt() <= row + 1);
            titles.insert(cells[1]);
        }
        QCOMPARE(titles.size(), 120U);
    }

    // A page that fails in any way is a page without hits; the pages around it still count.
    void failingPageIsSkipped_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("connection dropped")
            << static_cast<int>(ServiceReply::Kind::Drop) << QByteArray();
        QTest::newRow("server never answers")
            << static_cast<int>(ServiceReply::Kind::Silent) << QByteArray();
        QTest::newRow("error page") << static_cast<int>(ServiceReply::Kind::Status)
                                    << QByteArray("<html><body>busy</body></html>");
        QTest::newRow("raw line feed")
            << static_cast<int>(ServiceReply::Kind::Answer)
            << QByteArray::fromStdString(PageReply(NumberedHits("x", 2)) + "\n");
    }
    void failingPageIsSkipped() {
        QFETCH(int, kind);
        QFETCH(QByteArray, body);
        // A silent server is given up after a second of no progress here, not a minute.
        transport::SetTimeouts({5s, 1s});
        service_->SetScript(Pages({{1, Answer(NumberedHits("a", 1))},
                                   {2,
                                    {.kind = static_cast<ServiceReply::Kind>(kind),
                                     .body = body.toStdString(),
                                     .status = "500 Internal Server Error"}},
                                   {3, Answer(NumberedHits("c", 1))}}));
        Search(QStringLiteral("k"), QStringLiteral("3"));
        QVERIFY(WaitForEnd());
        QCOMPARE(service_->RequestCount(), 3U);
        QCOMPARE(Column(1), (Texts({"title a1", "title c1"})));
        QCOMPARE(Column(0), (Texts({"1", "2"})));
        QCOMPARE(captions_->Captions(), (QStringList{kSearch, Caption(1), Caption(3), kDone}));
    }

    void refusedConnectionGivesEmptyPages() {
        captions_.reset();
        window_.reset();
        Open("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/search");
        Search(QStringLiteral("k"), QStringLiteral("2"));
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 0);
        QCOMPARE(captions_->Captions(), (QStringList{kSearch, kDone}));
    }

    // The window stays responsive while the worker waits for the network.
    void windowRespondsWhileAPageIsOnItsWay() {
        service_->SetScript([this](const ServiceRequest&) {
            gate_->Wait();
            return Answer(NumberedHits("a", 1));
        });
        Search(QStringLiteral("k"), QStringLiteral("1"));
        QTRY_COMPARE_WITH_TIMEOUT(service_->RequestCount(), 1U, 20000);
        Window().编辑框_搜索内容->setFocus();
        QTest::keyClicks(Window().编辑框_搜索内容, QStringLiteral("typed"));
        QCOMPARE(Window().编辑框_搜索内容->text(), QStringLiteral("ktyped"));
        QCOMPARE(List()->topLevelItemCount(), 0);
        gate_->Open();
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 1);
    }

    // Closing the window mid-run under the application's own loop, as the program runs it:
    // the loop ends with status 0 and the window goes promptly, wherever the worker was.
    void closingMidRunEndsPromptly_data() {
        QTest::addColumn<int>("when");
        QTest::newRow("right after the start") << 0;
        QTest::newRow("waiting for a server that never answers") << 1;
        QTest::newRow("in a control operation while rows arrive") << 2;
        QTest::newRow("a huge page count") << 3;
    }
    void closingMidRunEndsPromptly() {
        QFETCH(int, when);
        service_->SetScript([when](const ServiceRequest& request) {
            if (when == 1 && request.Page() == 2) {
                return ServiceReply{.kind = ServiceReply::Kind::Silent};
            }
            return Answer(NumberedHits("p" + std::to_string(request.Page()) + "-", 20));
        });
        Window().编辑框_搜索页数->setText(when == 3 ? QStringLiteral("2000000000")
                                                    : QStringLiteral("50"));
        bool reached = false;
        QTimer::singleShot(0, this, [&] {
            QTest::mouseClick(Button(), Qt::LeftButton);
            switch (when) {
                case 0:
                    reached = true;
                    break;
                case 1:
                    reached = QTest::qWaitFor([&] { return service_->RequestCount() >= 2; }, 20000);
                    break;
                case 2:
                case 3:
                    reached =
                        QTest::qWaitFor([&] { return List()->topLevelItemCount() >= 25; }, 20000) &&
                        WaitWithoutEvents([] { return WaitingCallers() >= 1; });
                    break;
            }
            Window().close();
        });
        QElapsedTimer clock;
        clock.start();
        const int status = QApplication::exec();
        QCOMPARE(status, 0);
        QVERIFY(reached);
        QVERIFY(!Window().isVisible());
        clock.restart();
        captions_.reset();
        window_.reset();  // waits for the worker
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(service_->RequestCount() < 60);
    }

    // A window made after an earlier one closed mid-request searches as usual.
    void laterWindowSearchesAgain() {
        service_->SetScript(Pages({{1, Answer(NumberedHits("a", 2))}}));
        Search(QStringLiteral("k"), QStringLiteral("1"));
        Window().close();
        captions_.reset();
        window_.reset();
        Open(service_->Url());
        Search(QStringLiteral("k"), QStringLiteral("1"));
        QVERIFY(WaitForEnd());
        QCOMPARE(List()->topLevelItemCount(), 2);
    }
};

TOVIK_APP_TEST_MAIN(SearchTest)
#include "search_test.moc"
