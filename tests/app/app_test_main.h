// Test program entry for the window tests that may search: libcurl is set up once for the
// process, before Qt and any thread, as the tool's own main does; otherwise as QTEST_MAIN.
#pragma once

#include <QApplication>
#include <QTest>

#include <curl/curl.h>

#define TOVIK_APP_TEST_MAIN(TestObject)                          \
    int main(int argc, char* argv[]) {                           \
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) { \
            return 1;                                            \
        }                                                        \
        int result = 0;                                          \
        {                                                        \
            QApplication app(argc, argv);                        \
            app.setAttribute(Qt::AA_Use96Dpi, true);             \
            TestObject test;                                     \
            QTEST_SET_MAIN_SOURCE_PATH                           \
            result = QTest::qExec(&test, argc, argv);            \
        }                                                        \
        curl_global_cleanup();                                   \
        return result;                                           \
    }
