// A loopback HTTP server for the client's tests: it records the exact bytes of every request it
// receives and answers with scripted replies, which may be cut short or stall.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tovik::testing {

struct ScriptedReply {
    enum class Then {
        KeepOpen,  // serve the next request on the same connection
        Close,     // close the connection after the bytes
        Stall,     // send the bytes, then say nothing more until the client goes away
    };
    std::string bytes;
    Then then = Then::KeepOpen;
};

// "HTTP/1.1 200 OK" with a Content-Length, the given header lines (each ending in CRLF) and body.
ScriptedReply OkReply(const std::string& body, const std::string& headerLines = "");

class TestServer {
  public:
    using Script = std::function<ScriptedReply(const std::string& request)>;

    // Binds 127.0.0.1 on an ephemeral port on the calling thread, then starts serving.
    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

    void SetScript(Script script);
    void Always(ScriptedReply reply);

    // Complete requests, headers and body, in arrival order.
    std::vector<std::string> Requests() const;
    // Bytes of connections that ended before a complete request arrived, or that did not
    // speak HTTP at all (a TLS hello, say).
    std::vector<std::string> Fragments() const;
    // Waits until n requests have arrived; false after the deadline.
    bool WaitForRequests(std::size_t n,
                         std::chrono::milliseconds deadline = std::chrono::seconds(20)) const;
    bool WaitForFragments(std::size_t n,
                          std::chrono::milliseconds deadline = std::chrono::seconds(20)) const;

  private:
    void Serve();
    void HandleConnection(int fd);
    bool ReadSome(int fd, std::string& buffer);

    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    Script script_;
    std::vector<std::string> requests_;
    std::vector<std::string> fragments_;
    std::thread thread_;
};

}  // namespace tovik::testing
