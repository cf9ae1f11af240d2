// The service over loopback HTTP: replies to the tool's requests, malformed and oversized
// requests, the start-up page, and many clients at once.
#include <gtest/gtest.h>
#include <httplib.h>

#include <sstream>
#include <thread>

#include "service/catalog.h"
#include "service/index.h"
#include "service/server.h"

namespace tovik::service {
namespace {

class ServerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        index_ = new Index();
        std::ostringstream catalog;
        GenerateCatalog(catalog, 600, 5);
        index_->Import(std::string_view(catalog.str()));
    }
    static void TearDownTestSuite() {
        delete index_;
        index_ = nullptr;
    }
    void SetUp() override {
        server_ = std::make_unique<Server>(*index_);
        const auto port = server_->Start("127.0.0.1", 0);
        ASSERT_TRUE(port);
        port_ = *port;
    }
    void TearDown() override { server_->Stop(); }

    httplib::Result Post(const std::string& body) {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(30, 0);
        return client.Post("/search", body, "application/x-www-form-urlencoded");
    }

    static Index* index_;
    std::unique_ptr<Server> server_;
    int port_ = 0;
};

Index* ServerTest::index_ = nullptr;

// The tool's decoder drops a whole page on a line break and reads only ASCII escapes.
void ExpectOneAsciiLine(const std::string& body) {
    for (const char c : body) {
        ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << static_cast<int>(c) << " in " << body;
    }
}

std::size_t HitCount(const std::string& body) {
    std::size_t count = 0;
    for (auto at = body.find("{\"date\": \""); at != std::string::npos;
         at = body.find("{\"date\": \"", at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(ServerTest, AnswersTheToolsRequest) {
    const auto res = Post("target=&currentPage=1");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "application/json; charset=utf-8");
    ExpectOneAsciiLine(res->body);
    EXPECT_EQ(HitCount(res->body), 20u);
    EXPECT_NE(res->body.find("\"more\": true"), std::string::npos);

    const auto cjk = Post("target=%E7%BA%A2&currentPage=1");  // 红
    ASSERT_TRUE(cjk);
    ExpectOneAsciiLine(cjk->body);
    EXPECT_GT(HitCount(cjk->body), 0u);
    EXPECT_NE(cjk->body.find("\\u7ea2"), std::string::npos);

    const auto past = Post("target=&currentPage=1000");
    ASSERT_TRUE(past);
    EXPECT_EQ(past->status, 200);
    EXPECT_EQ(past->body, "{\"page\": 1000, \"more\": false, \"hits\": []}");
}

TEST_F(ServerTest, MalformedRequestsGetNoHitsAndTheServiceCarriesOn) {
    const std::pair<std::string, int> cases[] = {
        {"", 400},
        {"currentPage=1", 400},
        {"target=abc", 400},
        {"target=abc&currentPage=x", 400},
        {"target=abc&currentPage=-1", 400},
        {"target=abc&currentPage=0", 400},
        {"target=abc&currentPage=99999999999999999999999999", 200},
        {"target=%E4%B8&currentPage=1", 400},
        {"target=%FF%FE&currentPage=1", 400},
        {"target=%zz&currentPage=1", 400},
        {"target=%00&currentPage=1", 200},
        {"target=" + std::string(3000, 'a') + "&currentPage=1", 400},
        {"target=%22%29%28*%3A-NOT%20NEAR%28&currentPage=1", 200},
        {std::string(1 << 20, 'x'), 413},
        {"target=" + std::string(1 << 20, 'a') + "&currentPage=1", 413},
    };
    for (const auto& [body, status] : cases) {
        const auto res = Post(body);
        ASSERT_TRUE(res) << body.substr(0, 60);
        EXPECT_EQ(res->status, status) << body.substr(0, 60);
        ExpectOneAsciiLine(res->body);
        EXPECT_EQ(HitCount(res->body), 0u) << body.substr(0, 60);
    }
    // Still serving normally afterwards.
    const auto res = Post("target=linux&currentPage=1");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_GT(HitCount(res->body), 0u);
}

TEST_F(ServerTest, StartPageDescribesTheIndex) {
    httplib::Client client("127.0.0.1", port_);
    const auto res = client.Get("/");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(res->body.find("<b>600</b>"), std::string::npos);
    EXPECT_NE(res->body.find(index_->Stats().newestDate), std::string::npos);
    EXPECT_EQ(res->body.find("http://"), std::string::npos);  // nothing loaded from elsewhere
    EXPECT_EQ(res->body.find("https://"), std::string::npos);

    const auto get = client.Get("/search");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->status, 405);
    EXPECT_EQ(client.Get("/nothing")->status, 404);
}

TEST_F(ServerTest, ConcurrentClientsGetTheSameAnswersAsOne) {
    const std::vector<std::string> bodies = {
        "target=&currentPage=1",      "target=&currentPage=3",
        "target=1080p&currentPage=1", "target=%E7%BA%A2&currentPage=2",
        "target=mp3&currentPage=1",   "target=%E4%B8%89%E5%9B%BD&currentPage=1",
        "target=-&currentPage=1",     "target=linux%20iso&currentPage=1",
    };
    std::vector<std::string> expected;
    for (const auto& body : bodies) {
        const auto res = Post(body);
        ASSERT_TRUE(res);
        expected.push_back(res->body);
    }
    constexpr int kThreads = 6;
    constexpr int kRounds = 15;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            httplib::Client client("127.0.0.1", port_);
            client.set_keep_alive(t % 2 == 0);
            client.set_read_timeout(60, 0);
            for (int i = 0; i < kRounds; ++i) {
                const std::size_t which = static_cast<std::size_t>(t + i) % bodies.size();
                const auto res =
                    client.Post("/search", bodies[which], "application/x-www-form-urlencoded");
                if (!res || res->status != 200 || res->body != expected[which]) {
                    ++mismatches[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "client " << t;
    }
}

TEST(ServerLifecycle, StopsPromptlyAndRefusesATakenPort) {
    Index index;
    Server first(index);
    const auto port = first.Start("127.0.0.1", 0);
    ASSERT_TRUE(port);
    Server second(index);
    EXPECT_FALSE(second.Start("127.0.0.1", *port));
    first.Stop();
    first.Stop();  // idempotent
}

}  // namespace
}  // namespace tovik::service
