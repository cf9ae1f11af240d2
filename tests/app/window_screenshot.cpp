// Renders the main window offscreen, with a few example rows, to the PNG file named by its one
// argument. A development aid for the README; run it with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

#include "app/main_window.h"
#include "app/toolkit.h"
#include "url_recorder.h"

using namespace tovik;

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshot OUTPUT.png\n");
        return 2;
    }
    const testing::UrlRecorder browser;  // the start-up page goes nowhere
    MainWindow window(WindowSettings{"http://127.0.0.1:9/search", "http://127.0.0.1:9/"});

    struct Example {
        QString title, size, date, files, link;
    };
    const Example examples[] = {
        {QStringLiteral("debian-12.5.0-amd64-netinst.iso"), QStringLiteral("628 MB"),
         QStringLiteral("2024-02-10"), QStringLiteral("1"),
         QStringLiteral("magnet:?xt=urn:btih:0a1b2c3d4e5f60718293a4b5c6d7e8f901234567")},
        {QStringLiteral("Debian 12 光盘镜像 DVD"), QStringLiteral("3.7 GB"),
         QStringLiteral("2024-02-10"), QStringLiteral("3"),
         QStringLiteral("magnet:?xt=urn:btih:1b2c3d4e5f60718293a4b5c6d7e8f9012345678a")},
        {QStringLiteral("字体包（文泉驿微米黑）"), QStringLiteral("4.4 MB"),
         QStringLiteral("2023-11-02"), QStringLiteral("2"),
         QStringLiteral("magnet:?xt=urn:btih:2c3d4e5f60718293a4b5c6d7e8f9012345678a1b")},
    };
    QTreeWidget* list = window.超级列表框_资源;
    for (const Example& example : examples) {
        const int row = InsertRow(list, NumberToText(RowCount(list) + 1.0));
        SetCellText(list, row, 1, FromQString(example.title));
        SetCellText(list, row, 2, FromQString(example.size));
        SetCellText(list, row, 3, FromQString(example.date));
        SetCellText(list, row, 4, FromQString(example.files));
        SetCellText(list, row, 5, FromQString(example.link));
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    list->setCurrentItem(list->topLevelItem(1));
    list->setFocus();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
