// Copying the selected row's magnet link, confirmed by a suffix flashing after the keyword.
#include <QLineEdit>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/pumped_delay.h"
#include "app/toolkit.h"

namespace tovik {

void MainWindow::CopySelectedLink() {
    if (SelectedRow(超级列表框_资源) == -1) {
        return;
    }
    const int row = SelectedRow(超级列表框_资源);
    const Text link = GetCellText(超级列表框_资源, row, 5);
    SetClipboardText(link);

    // A box that already shows the suffix is mid-flash (or the user typed it): copy, no flash.
    const Text suffix(kCopiedSuffix);
    if (FindText(GetEditText(编辑框_搜索内容), suffix, 1, false) != -1) {
        return;
    }
    // The delays keep handling events, so this handler may run again inside itself; each run
    // restores the keyword it read here.
    const Text saved = GetEditText(编辑框_搜索内容);
    SetEditText(编辑框_搜索内容, saved + suffix);
    PumpedDelay(200);
    SetEditText(编辑框_搜索内容, saved);
    PumpedDelay(200);
    SetEditText(编辑框_搜索内容, saved + suffix);
    PumpedDelay(200);
    SetEditText(编辑框_搜索内容, saved + suffix);
    PumpedDelay(400);
    SetEditText(编辑框_搜索内容, saved);
}

}  // namespace tovik
