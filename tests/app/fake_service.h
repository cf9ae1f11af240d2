// Test fixture: a scripted search service on 127.0.0.1 that serves every connection on a thread
// of its own, so two searches can wait on it at once. It records each request and answers each
// with what the test's script says: a reply, a dropped connection, or silence.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tovik::testing {

struct ServiceRequest {
    std::string head;  // request line and header lines, as sent
    std::string body;
    // The form's currentPage as a number, 0 when missing.
    int Page() const;
};

struct ServiceReply {
    enum class Kind {
        Answer,  // 200 with `body`, then the connection is closed
        Status,  // `status` line text (e.g. "500 Internal Server Error") with `body`
        Drop,    // closed without a byte
        Silent,  // never answers; the connection stays open until the client leaves
    };
    Kind kind = Kind::Answer;
    std::string body{};
    std::string status{};
};

class FakeService {
  public:
    // Called on the connection's own thread; it may block (on a Gate, say).
    using Script = std::function<ServiceReply(const ServiceRequest&)>;

    // Binds 127.0.0.1 on an ephemeral port on the calling thread, then starts accepting.
    FakeService();
    ~FakeService();
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // "http://127.0.0.1:<port>/search".
    std::string Url() const;
    void SetScript(Script script);

    std::vector<ServiceRequest> Requests() const;
    std::size_t RequestCount() const;

  private:
    void Accept();
    void Serve(int fd);

    int listenFd_ = -1;
    int stopFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    Script script_;
    std::vector<ServiceRequest> requests_;
    std::list<std::thread> connections_;  // accept thread only, until the destructor joins them
    std::thread acceptor_;
};

// A barrier a script waits at until the test opens it; bounded, so a failing test cannot hang.
class Gate {
  public:
    void Open();
    bool Wait(std::chrono::milliseconds limit = std::chrono::seconds(20));

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// One hit as the service writes it, members in the service's order.
struct Hit {
    std::string date;
    std::string files;
    std::string magnet;
    std::string size;
    std::string title;
};
std::string HitObject(const Hit& hit);
// A one-line reply holding `hits`, as the service lays it out.
std::string PageReply(const std::vector<Hit>& hits);
// `count` distinct hits whose every member names `tag` and its number (from 1).
std::vector<Hit> NumberedHits(const std::string& tag, int count);

}  // namespace tovik::testing
