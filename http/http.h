// HTTP client: one blocking request routine over libcurl with default headers, cookie capture
// and merging, redirect and raw-header capture, plus the URL, header and cookie text helpers it
// is written in. Plain C++ over the standard library; libcurl stays behind this header.
//
// curl_global_init is the caller's job: call it once in main (and in each test program's main)
// before the first request, and curl_global_cleanup after the last one has returned.
#pragma once

#include <optional>

#include "text/text.h"

namespace tovik {

// --- URL and header text helpers -------------------------------------------------------------

// The text between the first leftMarker found from start on and the first rightMarker after it;
// empty when either is missing. In both markers "#引号" stands for a double quote.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start = 0,
                 bool caseSensitive = false);
// The trimmed text after the first colon of line; empty without a colon.
Text HeaderValue(const Text& line);
// Lower-cased host of url, cut at its first colon unless keepPort.
Text UrlHost(const Text& url, bool reduceToDomain = false, bool keepPort = false);
// The digits after the host's last colon, else 443 for "https" URLs and 80 for the rest.
int UrlPort(const Text& url);
// url from the first "/" after the host to its end, in the caller's case; "/" when none.
Text UrlPath(const Text& url);

// --- Cookie merging --------------------------------------------------------------------------

// Folds newCookies into cookies: both come back without blanks, cookies merged; returns a copy.
Text MergeCookies(Text& cookies, Text& newCookies);
Text CookieName(const Text& entry);
bool HasCookieName(const TextArray& entries, const Text& name);
Text JoinUnique(const Text& text, const Text& separator);
// 1-based index of the first element equal to text, or -1.
int IndexOfText(const TextArray& elements, const Text& text);

// --- Request ---------------------------------------------------------------------------------

// The agent named when the caller's extra headers name none.
inline constexpr char DefaultUserAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; ZT4KQ; .NET CLR 2.0.50727; .NET CLR "
    "3.0.04506.648; .NET CLR 3.5.21022)";

// Every member has an initializer so designated-initializer calls compile without warnings:
// HttpRequest(url, {.method = 1, .bodyText = body}).
struct HttpRequestOptions {
    int method = 0;              // 1: POST; 0: GET without body; other: GET with the body
    Text bodyText{};             // sent when bodyBytes is empty
    Text* cookies = nullptr;     // non-null = given: switches off the transport's cookie store
    Text* newCookies = nullptr;  // out: the reply's cookies, "name=value" joined by "; "
    Text extraHeaders{};         // caller's lines, "\r\n"-separated, no final break
    Text* location = nullptr;    // out: last "Location:" value, else the raw header block
    bool noRedirect = false;
    Bytes bodyBytes{};            // preferred over bodyText
    std::optional<Text> proxy{};  // engaged = given, even when empty: plain-http goes through it
    Text* rawHeaders = nullptr;   // out: the final reply's status and header lines
};

// Sends one request and returns the reply body; empty on failure. Blocks until the reply is read
// or the transfer fails. Safe to call from several threads at once. Each call uses its own
// transport handle; only the transport's in-memory cookie store is shared by the process.
//
// Time-outs: connecting (name lookup and TLS handshake included) may take 60 s; afterwards the
// transfer is given up when no byte moves for 60 s or it averages under 1 byte per second for
// 60 s. Whatever arrived before is kept. Certificates are verified against the system's CAs.
Bytes HttpRequest(const Text& url, const HttpRequestOptions& options = {});

// Shutdown: after AbortAllHttpRequests every request in flight ends within about a second with
// an empty result, and every later call returns an empty result at once without connecting.
// ResumeHttpRequests lifts that again. Both may be called from any thread.
void AbortAllHttpRequests();
void ResumeHttpRequests();

}  // namespace tovik
