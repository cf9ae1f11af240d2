// The transport under HttpRequest, over libcurl: one easy handle per call, redirects followed
// here rather than by libcurl so that the first request target goes out byte for byte, and one
// process-wide share handle that holds the in-memory cookie store.
#include "http/transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

namespace tovik::transport {

namespace {

template <auto Fn>
struct Free {
    void operator()(auto* p) const { Fn(p); }
};
using CurlPtr = std::unique_ptr<CURL, Free<curl_easy_cleanup>>;
using SlistPtr = std::unique_ptr<curl_slist, Free<curl_slist_free_all>>;
using CurlUrlPtr = std::unique_ptr<CURLU, Free<curl_url_cleanup>>;
using CurlStringPtr = std::unique_ptr<char, Free<curl_free>>;
using SharePtr = std::unique_ptr<CURLSH, Free<curl_share_cleanup>>;

// Default time-outs: a dead server must not freeze a search, a slow one may still answer.
// Connecting (name lookup and TLS handshake included) may take 60 s; afterwards a transfer is
// given up when no byte moves for 60 s, or when it averages less than 1 byte per second over
// 60 s (libcurl's speed check, which alone would let a short burst hide a stall for seconds).
constexpr Timeouts kDefaultTimeouts{std::chrono::milliseconds{60000}, std::chrono::seconds{60}};

std::atomic<long> gConnectMs{kDefaultTimeouts.connect.count()};
std::atomic<long> gStallSeconds{kDefaultTimeouts.stall.count()};
std::atomic<bool> gAborted{false};

// A redirect loop ends after this many hops with the last reply it gave.
constexpr int kMaxRedirects = 30;

// The transport's own cookie store: in memory only (no file is ever named), shared by every
// request of the process that does not bring its own cookies.
class CookieStore {
  public:
    static CURLSH* Share() {
        static CookieStore store;
        return store.share_.get();
    }

  private:
    CookieStore() : share_(curl_share_init()) {
        if (!share_) {
            return;
        }
        curl_share_setopt(share_.get(), CURLSHOPT_LOCKFUNC, &Lock);
        curl_share_setopt(share_.get(), CURLSHOPT_UNLOCKFUNC, &Unlock);
        curl_share_setopt(share_.get(), CURLSHOPT_USERDATA, this);
        if (curl_share_setopt(share_.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
            share_.reset();
        }
    }

    std::mutex& MutexFor(curl_lock_data data) {
        const auto index = static_cast<std::size_t>(data);
        return mutexes_[index < mutexes_.size() ? index : 0];
    }
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<CookieStore*>(self)->MutexFor(data).lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<CookieStore*>(self)->MutexFor(data).unlock();
    }

    // Declared before share_ so the locks outlive the share handle's clean-up.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
    SharePtr share_;
};

// What one exchange on the wire delivered.
struct Exchange {
    Bytes body;
    Text block;
    bool headerDone = false;  // the empty line ending the current reply's headers arrived
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    if (gAborted.load()) {
        return 0;
    }
    auto* exchange = static_cast<Exchange*>(user);
    const std::size_t n = size * count;
    try {
        exchange->body.insert(exchange->body.end(), data, data + n);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return n;
}

// Rebuilds the reply's header block line by line, every line ending in CRLF. A new status
// line after a finished block (a 1xx reply went first) starts the block over; lines after
// the block (chunked trailers) are not part of it.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    const std::size_t n = size * count;
    std::string_view line(data, n);
    line = line.substr(0, line.find('\0'));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    try {
        if (line.starts_with("HTTP/") && (exchange->headerDone || exchange->block.empty())) {
            exchange->block.clear();
            exchange->headerDone = false;
        }
        if (exchange->headerDone) {
            return n;
        }
        exchange->block.append(line);
        exchange->block += "\r\n";
        exchange->headerDone = line.empty();
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return n;
}

// Ends a transfer on shutdown, and one on which no byte has moved either way for the stall
// time. libcurl calls this about once a second even while nothing arrives.
struct Progress {
    std::chrono::steady_clock::duration stall;
    curl_off_t moved = 0;
    std::chrono::steady_clock::time_point lastMove = std::chrono::steady_clock::now();
};

int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    if (gAborted.load()) {
        return 1;
    }
    auto* progress = static_cast<Progress*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (downloaded + uploaded != progress->moved) {
        progress->moved = downloaded + uploaded;
        progress->lastMove = now;
    }
    return now - progress->lastMove >= progress->stall ? 1 : 0;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// The caller's lines as libcurl's header list. A lone CR or LF also ends a line, so no text can
// smuggle a line of its own into the request; lines without a colon are no headers and are
// dropped. The User-Agent goes out through the agent option, in first place. The empty entries
// at the end keep libcurl from adding an Accept, Content-Type or Expect line of its own.
SlistPtr HeaderList(const Text& headers, bool dropCookie) {
    SlistPtr list;
    auto append = [&list](const std::string& entry) {
        curl_slist* grown = curl_slist_append(list.get(), entry.c_str());
        if (grown == nullptr) {
            return false;
        }
        static_cast<void>(list.release());
        list.reset(grown);
        return true;
    };
    std::size_t at = 0;
    while (at < headers.size()) {
        std::size_t end = headers.find_first_of("\r\n", at);
        if (end == Text::npos) {
            end = headers.size();
        }
        const std::string line = headers.substr(at, end - at);
        at = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        const std::string_view name = Trimmed(std::string_view(line).substr(0, colon));
        if (EqualsIgnoringCase(name, "User-Agent") ||
            (dropCookie && EqualsIgnoringCase(name, "Cookie"))) {
            continue;
        }
        if (!append(line)) {
            return nullptr;
        }
    }
    for (const char* marker : {"Accept:", "Content-Type:", "Expect:"}) {
        if (!append(marker)) {
            return nullptr;
        }
    }
    return list;
}

bool ValidHost(const Text& host) {
    if (host.empty()) {
        return false;
    }
    for (const char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The path as libcurl's URL parser accepts it, for cookie path matching and for resolving a
// relative redirect; the request line itself carries the path unchanged.
Text ParsablePath(const Text& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    Text out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '#') {
            break;
        }
        if (byte <= 0x20 || byte >= 0x7F || Text("\"<>\\^`{|}").find(c) != Text::npos) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

struct UrlParts {
    Text scheme;
    Text host;
};

std::optional<UrlParts> SplitUrl(const char* url) {
    CurlUrlPtr handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url, 0) != CURLUE_OK) {
        return std::nullopt;
    }
    char* scheme = nullptr;
    char* host = nullptr;
    curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0);
    CurlStringPtr schemeOwner(scheme);
    curl_url_get(handle.get(), CURLUPART_HOST, &host, 0);
    CurlStringPtr hostOwner(host);
    if (scheme == nullptr || host == nullptr) {
        return std::nullopt;
    }
    return UrlParts{LowerCase(scheme), LowerCase(host)};
}

void SetCommonOptions(CURL* easy, const Request& request, Exchange& exchange, Progress& progress) {
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    // The body is handed over as the server encoded it.
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    // No proxy host is ever exempt, whatever the environment says.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, gConnectMs.load());
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, gStallSeconds.load());
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);

    Text agent = request.agent.substr(0, request.agent.find_first_of("\r\n"));
    if (!agent.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    }

    if (!request.noCookies) {
        if (CURLSH* share = CookieStore::Share()) {
            curl_easy_setopt(easy, CURLOPT_SHARE, share);
            // An empty file name switches the cookie engine on without reading any file.
            curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
        }
    }
}

}  // namespace

Reply Perform(const Request& request) {
    // A path that could end the request line early is refused before anything is sent.
    for (const char c : request.path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return {};
        }
    }
    CurlPtr easy(curl_easy_init());
    if (!easy) {
        return {};
    }

    Reply reply;
    reply.opened = true;
    // A host that cannot be a server name, or a port outside 1..65535, is as unreachable as a
    // server that does not answer. Port 0 asks for the scheme's own port.
    int port = request.port == 0 ? (request.secure ? 443 : 80) : request.port;
    if (gAborted.load() || !ValidHost(request.host) || port < 1 || port > 65535) {
        return reply;
    }

    Exchange exchange;
    Progress progress{std::chrono::seconds(gStallSeconds.load())};
    SetCommonOptions(easy.get(), request, exchange, progress);

    const Text origin = (request.secure ? "https://" : "http://") + request.host;
    Text url = origin + ":" + std::to_string(port) + ParsablePath(request.path);
    Text verb = request.verb;
    bool sendBody = request.sendBody;
    bool crossHost = false;
    const char* bodyData =
        request.body.empty() ? "" : reinterpret_cast<const char*>(request.body.data());

    for (int hop = 0;; ++hop) {
        const bool secure = url.starts_with("https:");
        const bool proxied = request.proxy.has_value() && !request.proxy->empty() && !secure;
        curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy.get(), CURLOPT_PROXY, proxied ? request.proxy->c_str() : "");

        // The first request line carries the caller's path unchanged; through a proxy it is
        // the absolute form a proxy needs. Later hops use the redirect target as libcurl has it.
        Text target;
        if (hop == 0) {
            target = proxied
                         ? origin + (port == 80 ? "" : ":" + std::to_string(port)) + request.path
                         : request.path;
        }
        curl_easy_setopt(easy.get(), CURLOPT_REQUEST_TARGET, hop == 0 ? target.c_str() : nullptr);

        if (sendBody) {
            curl_easy_setopt(easy.get(), CURLOPT_POST, 1L);
            curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, bodyData);
            curl_easy_setopt(easy.get(), CURLOPT_CUSTOMREQUEST,
                             verb == "POST" ? nullptr : verb.c_str());
        } else {
            curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(easy.get(), CURLOPT_CUSTOMREQUEST,
                             verb == "GET" ? nullptr : verb.c_str());
        }

        // The caller's Cookie line is for the host it was meant for, not for another one a
        // redirect points at.
        SlistPtr headers = HeaderList(request.headers, crossHost);
        if (!headers) {
            return reply;
        }
        curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());

        exchange = Exchange{};
        progress.moved = 0;
        progress.lastMove = std::chrono::steady_clock::now();
        const CURLcode result = curl_easy_perform(easy.get());
        curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, nullptr);
        if (gAborted.load()) {
            return Reply{.opened = true, .headerBlock = std::nullopt, .body = {}};
        }
        // Whatever arrived counts, also when the transfer broke off or stalled part-way.
        reply.body = std::move(exchange.body);
        if (exchange.headerDone) {
            reply.headerBlock = std::move(exchange.block);
        } else {
            reply.headerBlock.reset();
        }

        if (result != CURLE_OK || request.noRedirect || hop == kMaxRedirects) {
            break;
        }
        long status = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) {
            break;
        }
        char* next = nullptr;
        curl_easy_getinfo(easy.get(), CURLINFO_REDIRECT_URL, &next);
        if (next == nullptr) {
            break;
        }
        const std::optional<UrlParts> parts = SplitUrl(next);
        if (!parts || (parts->scheme != "http" && parts->scheme != "https")) {
            break;
        }
        url = next;
        crossHost = parts->host != LowerCase(request.host);
        // 301, 302 and 303 go on as a GET without body; 307 and 308 repeat the request.
        if (status != 307 && status != 308) {
            verb = "GET";
            sendBody = false;
        }
    }
    return reply;
}

void SetTimeouts(Timeouts timeouts) {
    gConnectMs.store(static_cast<long>(timeouts.connect.count()));
    gStallSeconds.store(
        static_cast<long>(std::max<std::chrono::seconds::rep>(1, timeouts.stall.count())));
}

Timeouts DefaultTimeouts() {
    return kDefaultTimeouts;
}

void SetAborted(bool aborted) {
    gAborted.store(aborted);
}

}  // namespace tovik::transport
