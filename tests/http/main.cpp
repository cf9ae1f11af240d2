// Test program entry: libcurl is set up once for the process, as the tool's own main does.
#include <curl/curl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
