// Starting a search and the search itself: the worker thread that posts one request per result
// page, pulls every hit out of the decoded reply and appends a row for each to the result list.
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <string_view>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "http/http.h"
#include "regex/regex_object.h"

namespace tovik {
namespace {

// One hit as the service writes it. "." stops at a line feed, so a hit split over lines is lost.
constexpr std::string_view kHitPattern =
    R"re({"date": "(.*?)", "files": "(\d+)", "magnet": "(.*?)", "size": "(.*?)", "title": "(.*?)"})re";
static_assert(kHitPattern.size() == 89);

// Captions in code page 936: 搜索, 搜索(n), 搜索(完).
constexpr std::string_view kCaptionSearch = "\xCB\xD1\xCB\xF7";
constexpr std::string_view kCaptionDone = "\xCB\xD1\xCB\xF7(\xCD\xEA)";

// Where each capture group of a hit goes in its row: title, size, date, file count, link.
struct Cell {
    int column;
    int group;
};
constexpr Cell kCells[] = {{1, 5}, {2, 4}, {3, 1}, {4, 2}, {5, 3}};

}  // namespace

void MainWindow::StartSearch() {
    // Nothing here looks at a run already in progress: a second one runs beside it.
    SetButtonCaption(按钮_搜索, Text(kCaptionSearch));
    SetDisabled(按钮_搜索, true);
    ClearRows(超级列表框_资源);
    StartThread([this] { SearchWorker(); });
}

void MainWindow::SearchWorker() {
    RegexObject regex;
    const Text pattern(kHitPattern);
    QTreeWidget* const list = 超级列表框_资源;

    const int pages = TextToInt(GetEditText(编辑框_搜索页数));
    Text page;
    for (int n = 1; n <= pages; ++n) {
        // Once the window has gone every later page would come back empty at once; a large
        // page count must not keep the closing program waiting for that.
        if (ToolkitClosed()) {
            break;
        }
        const Text keyword = GetEditText(编辑框_搜索内容);  // may change between pages
        const Text body =
            "target=" + UrlEncode(keyword, true, true) + "&currentPage=" + NumberToText(n);
        const Bytes reply = HttpRequest(settings_.serviceAddress, {.method = 1, .bodyText = body});
        page = UnescapeUnicode(BytesToText(reply));
        regex.Create(pattern, page);
        if (regex.MatchCount() <= 0) {
            continue;
        }
        SetButtonCaption(按钮_搜索, Text(kCaptionSearch) + "(" + NumberToText(n) + ")");
        const int hits = regex.MatchCount();
        for (int j = 1; j <= hits; ++j) {
            // Count, insert and fill are separate steps: a run beside this one may get between
            // them, and then both number a row alike or write into each other's rows.
            const Text id = NumberToText(RowCount(list) + 1.0);
            const int row = InsertRow(list, id);
            for (const Cell cell : kCells) {
                SetCellText(list, row, cell.column, regex.SubmatchText(j, cell.group));
            }
            ProcessEvents();
        }
    }
    SetButtonCaption(按钮_搜索, Text(kCaptionDone));
    SetDisabled(按钮_搜索, false);
}

}  // namespace tovik
