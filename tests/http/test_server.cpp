// The loopback test server: one serving thread that takes connections one after another.
#include "test_server.h"

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "loopback.h"

namespace tovik::testing {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string LowerCopy(std::string s) {
    for (char& c : s) {
        c = Lower(c);
    }
    return s;
}

// Length of the first complete request in buffer, or 0 while it is incomplete.
std::size_t CompleteRequestLength(const std::string& buffer) {
    const std::size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos) {
        return 0;
    }
    const std::string head = LowerCopy(buffer.substr(0, end + 2));
    std::size_t bodyLength = 0;
    const std::size_t at = head.find("\r\ncontent-length:");
    if (at != std::string::npos) {
        bodyLength = std::stoul(head.substr(at + 17));
    }
    const std::size_t total = end + 4 + bodyLength;
    return buffer.size() >= total ? total : 0;
}

}  // namespace

ScriptedReply OkReply(const std::string& body, const std::string& headerLines) {
    return {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
                headerLines + "\r\n" + body,
            ScriptedReply::Then::KeepOpen};
}

TestServer::TestServer() {
    listenFd_ = ListenOnLoopback(port_);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    script_ = [](const std::string&) { return OkReply("ok"); };
    thread_ = std::thread([this] { Serve(); });
}

TestServer::~TestServer() {
    const std::uint64_t one = 1;
    static_cast<void>(::write(stopFd_, &one, sizeof one));
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string TestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestServer::SetScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void TestServer::Always(ScriptedReply reply) {
    SetScript([reply](const std::string&) { return reply; });
}

std::vector<std::string> TestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> TestServer::Fragments() const {
    std::lock_guard lock(mutex_);
    return fragments_;
}

bool TestServer::WaitForRequests(std::size_t n, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, deadline, [&] { return requests_.size() >= n; });
}

bool TestServer::WaitForFragments(std::size_t n, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, deadline, [&] { return fragments_.size() >= n; });
}

void TestServer::Serve() {
    while (WaitReadable(listenFd_, stopFd_)) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            HandleConnection(fd);
            ::close(fd);
        }
    }
}

void TestServer::HandleConnection(int fd) {
    std::string buffer;
    for (;;) {
        std::size_t length = 0;
        while ((length = CompleteRequestLength(buffer)) == 0) {
            // Anything that does not open with a method name is no HTTP; keep it and hang up.
            const bool http = buffer.empty() || (buffer[0] >= 'A' && buffer[0] <= 'Z');
            if (!http || !ReadSome(fd, buffer)) {
                if (!buffer.empty()) {
                    std::lock_guard lock(mutex_);
                    fragments_.push_back(buffer);
                    arrived_.notify_all();
                }
                return;
            }
        }
        const std::string request = buffer.substr(0, length);
        buffer.erase(0, length);
        Script script;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            script = script_;
        }
        arrived_.notify_all();

        const ScriptedReply reply = script(request);
        if (!SendAll(fd, stopFd_, reply.bytes) || reply.then == ScriptedReply::Then::Close) {
            return;
        }
        if (reply.then == ScriptedReply::Then::Stall) {
            std::string ignored;
            while (ReadSome(fd, ignored)) {
                ignored.clear();
            }
            return;
        }
    }
}

bool TestServer::ReadSome(int fd, std::string& buffer) {
    if (!WaitReadable(fd, stopFd_)) {
        return false;
    }
    char chunk[4096];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) {
        return false;
    }
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
}

}  // namespace tovik::testing
