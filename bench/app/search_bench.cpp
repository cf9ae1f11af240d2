// Times whole searches from the window, as a click starts them, against a loopback service of
// 50 pages x 20 hits: from the click to the caption "搜索(完)" with the button enabled again.
// Runs on the offscreen platform unless another is asked for.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fake_service.h"
#include "url_recorder.h"

using namespace tovik;
using namespace tovik::testing;

namespace {

constexpr int kPages = 50;
constexpr int kHitsPerPage = 20;
constexpr int kRuns = 5;

// Hits shaped like the service's: escaped Chinese titles, 40-hex-digit links with a name.
std::string Reply(int page) {
    std::vector<Hit> hits;
    for (int i = 1; i <= kHitsPerPage; ++i) {
        const std::string n = std::to_string(page) + "-" + std::to_string(i);
        std::string hash = "0123456789ABCDEF0123456789ABCDEF0123" + std::to_string(1000 + i);
        hits.push_back({"2024-03-15", std::to_string(i * 3),
                        "magnet:?xt=urn:btih:" + hash + "&dn=item" + n, "1.4 GB",
                        R"(\u7535\u5f71 \u6d4b\u8bd5 Sample Title )" + n + R"( \u9ad8\u6e05)"});
    }
    return PageReply(hits);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return 1;
    }
    int status = 0;
    {
        QApplication application(argc, argv);
        FakeService service;
        std::vector<std::string> replies;
        for (int page = 1; page <= kPages; ++page) {
            replies.push_back(Reply(page));
        }
        service.SetScript([&replies](const ServiceRequest& request) {
            const int page = request.Page();
            return ServiceReply{.body = page >= 1 && page <= kPages
                                            ? replies[static_cast<std::size_t>(page - 1)]
                                            : PageReply({})};
        });
        UrlRecorder browser;  // keeps the start-up page away from a real browser

        MainWindow window(WindowSettings{service.Url(), "http://127.0.0.1:9/"});
        window.show();
        window.编辑框_搜索内容->setText(QStringLiteral("sample"));
        window.编辑框_搜索页数->setText(QString::number(kPages));
        QPushButton* button = window.按钮_搜索;
        const QString done = QStringLiteral("搜索(完)");

        std::printf("search: %d pages x %d hits, %d runs\n", kPages, kHitsPerPage, kRuns);
        std::vector<double> seconds;
        for (int run = 0; run < kRuns; ++run) {
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (button->isEnabled() && button->text() == done) {
                    loop.quit();
                }
            });
            QElapsedTimer clock;
            clock.start();
            button->click();
            poll.start(1);
            loop.exec();
            const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            const int rows = window.超级列表框_资源->topLevelItemCount();
            std::printf("run %d: %d rows in %.3f s, %.0f rows/s\n", run + 1, rows, elapsed,
                        rows / elapsed);
            if (rows != kPages * kHitsPerPage) {
                status = 1;
            }
            seconds.push_back(elapsed);
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        std::printf("median: %.3f s from click to \"搜索(完)\", %.0f rows/s\n", median,
                    kPages * kHitsPerPage / median);
        window.close();
    }
    curl_global_cleanup();
    return status;
}
