// The transport under HttpRequest: one blocking HTTP exchange over a libcurl easy handle of its
// own, with the process-wide in-memory cookie store, proxy routing and redirect following.
// Private to http/ (and its tests); libcurl stays out of this header too.
#pragma once

#include <chrono>
#include <optional>

#include "text/text.h"

namespace tovik::transport {

struct Request {
    Text agent;                 // empty: no User-Agent line
    std::optional<Text> proxy;  // given: plain-http requests go through it, https goes direct
    Text host;
    int port = 80;
    bool secure = false;
    Text verb;               // request line verb, "GET" or "POST"
    Text path;               // request target, sent byte for byte
    bool noCookies = false;  // leave the shared cookie store out of this request
    bool noRedirect = false;
    Text headers;  // "\r\n"-separated header lines, in sending order
    bool sendBody = false;
    Bytes body;
};

struct Reply {
    bool opened = false;              // false: nothing was sent, the request could not be made
    std::optional<Text> headerBlock;  // final reply's status and header lines, each ending in CRLF,
                                      // then the empty line; absent when no reply header arrived
    Bytes body;                       // the final reply's body as far as it arrived
};

Reply Perform(const Request& request);

// Time-outs for every later request. Tests shorten them; the defaults are in transport.cpp.
struct Timeouts {
    std::chrono::milliseconds connect;
    std::chrono::seconds stall;  // at least 1 s: libcurl's speed check counts whole seconds
};
void SetTimeouts(Timeouts timeouts);
Timeouts DefaultTimeouts();

void SetAborted(bool aborted);

}  // namespace tovik::transport
