// tovikbt: sets up libcurl and Qt, shows the window centred and runs its event loop until it is
// closed.
#include <QApplication>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "app/toolkit.h"

namespace {

int StartUp() {
    return 0;  // nothing to prepare; kept as the place where start-up work would go
}

}  // namespace

int main(int argc, char* argv[]) {
    // Once, before any thread exists; a failure leaves every request empty, nothing more.
    const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    QApplication application(argc, argv);
    StartUp();

    tovik::MainWindow window;
    window.show();
    const int status = QApplication::exec();

    // The window has closed, so every control operation returns at once and the threads end
    // promptly. One stuck beyond our reach must not hold the exit, nor outlive the window it uses.
    if (!tovik::FinishThreads(std::chrono::seconds(3))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    if (curlReady) {
        curl_global_cleanup();  // every thread that could make a request has ended
    }
    return status;
}
