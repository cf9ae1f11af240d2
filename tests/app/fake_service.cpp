// The scripted search service: one accepting thread, one thread per connection, all ended through
// an eventfd that every wait also watches.
#include "fake_service.h"

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "loopback.h"

namespace tovik::testing {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    return s;
}

}  // namespace

int ServiceRequest::Page() const {
    const std::size_t at = body.find("currentPage=");
    return at == std::string::npos ? 0 : std::atoi(body.c_str() + at + 12);
}

FakeService::FakeService() {
    listenFd_ = ListenOnLoopback(port_);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    script_ = [](const ServiceRequest&) { return ServiceReply{}; };
    acceptor_ = std::thread([this] { Accept(); });
}

FakeService::~FakeService() {
    const std::uint64_t one = 1;
    static_cast<void>(::write(stopFd_, &one, sizeof one));
    acceptor_.join();
    for (std::thread& connection : connections_) {
        connection.join();
    }
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string FakeService::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/search";
}

void FakeService::SetScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

std::vector<ServiceRequest> FakeService::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t FakeService::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void FakeService::Accept() {
    while (WaitReadable(listenFd_, stopFd_)) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            connections_.emplace_back([this, fd] {
                Serve(fd);
                ::close(fd);
            });
        }
    }
}

void FakeService::Serve(int fd) {
    std::string buffer;
    std::size_t total = 0;
    while (total == 0 || buffer.size() < total) {
        if (!WaitReadable(fd, stopFd_)) {
            return;
        }
        char chunk[8192];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        const std::size_t end = buffer.find("\r\n\r\n");
        if (total == 0 && end != std::string::npos) {
            const std::string head = Lower(buffer.substr(0, end + 2));
            const std::size_t at = head.find("\r\ncontent-length:");
            total = end + 4 + (at == std::string::npos ? 0 : std::stoul(head.substr(at + 17)));
        }
    }
    const std::size_t end = buffer.find("\r\n\r\n");
    ServiceRequest request{buffer.substr(0, end + 2), buffer.substr(end + 4, total - end - 4)};
    Script script;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        script = script_;
    }

    const ServiceReply reply = script(request);
    switch (reply.kind) {
        case ServiceReply::Kind::Drop:
            return;
        case ServiceReply::Kind::Silent:
            // Read on until the client gives up or the service stops.
            for (char chunk[512];
                 WaitReadable(fd, stopFd_) && ::recv(fd, chunk, sizeof chunk, 0) > 0;) {
            }
            return;
        case ServiceReply::Kind::Answer:
        case ServiceReply::Kind::Status:
            break;
    }
    const std::string status = reply.kind == ServiceReply::Kind::Status ? reply.status : "200 OK";
    SendAll(fd, stopFd_,
            "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " +
                std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" + reply.body);
}

void Gate::Open() {
    {
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    changed_.notify_all();
}

bool Gate::Wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return open_; });
}

std::string HitObject(const Hit& hit) {
    return R"({"date": ")" + hit.date + R"(", "files": ")" + hit.files + R"(", "magnet": ")" +
           hit.magnet + R"(", "size": ")" + hit.size + R"(", "title": ")" + hit.title + R"("})";
}

std::string PageReply(const std::vector<Hit>& hits) {
    std::string reply = R"({"more": false, "hits": [)";
    for (std::size_t i = 0; i < hits.size(); ++i) {
        reply += (i == 0 ? "" : ", ") + HitObject(hits[i]);
    }
    return reply + "]}";
}

std::vector<Hit> NumberedHits(const std::string& tag, int count) {
    std::vector<Hit> hits;
    for (int i = 1; i <= count; ++i) {
        const std::string n = tag + std::to_string(i);
        hits.push_back({"2024-01-" + n, std::to_string(i), "magnet:?xt=urn:btih:" + n,
                        std::to_string(i) + ".5 GB", "title " + n});
    }
    return hits;
}

}  // namespace tovik::testing
