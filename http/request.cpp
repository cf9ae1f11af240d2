// HttpRequest: completes the caller's headers with the defaults, sends the request through the
// transport and reads the final reply's headers for cookies, the redirect target and the raw
// header block.
#include <exception>

#include "http/http.h"
#include "http/transport.h"

namespace tovik {

namespace {

// The raw header block is delivered into an area of this many bytes, terminator included.
constexpr int kHeaderArea = 5000;

// The agent: the trimmed text after the first "User-Agent:" (any case) up to the line break.
// A User-Agent line that is the last line, without a break after it, gives its own value too;
// an empty value means no agent text.
Text ChooseAgent(const Text& extraHeaders) {
    if (FindText(extraHeaders, "User-Agent:", 1, true) == -1) {
        return DefaultUserAgent;
    }
    Text agent = TrimText(TextBetween(extraHeaders, "User-Agent:", "\r\n"));
    if (agent.empty()) {
        agent = TrimText(TextBetween(extraHeaders + "\r\n", "User-Agent:", "\r\n"));
    }
    return agent;
}

Text CompleteHeaders(Text headers, const Text& url, const Text* cookies) {
    if (FindText(headers, "Referer:", 1, false) == -1) {
        headers += (headers.empty() ? "Referer: " : "\r\nReferer: ") + url;
    }
    if (FindText(headers, "Accept:", 1, false) == -1) {
        headers += "\r\nAccept: */*";
    }
    if (FindText(headers, "Accept-Language:", 1, false) == -1) {
        headers += "\r\nAccept-Language: zh-cn";
    }
    if (FindText(headers, "Content-Type:", 1, false) == -1) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (cookies != nullptr && !cookies->empty()) {
        headers += "\r\nCookie: " + *cookies;
    }
    return headers;
}

Bytes Request(const Text& url, const HttpRequestOptions& options) {
    transport::Request request;
    request.verb = options.method == 1 ? "POST" : "GET";
    request.agent = ChooseAgent(options.extraHeaders);
    request.proxy = options.proxy;
    request.host = UrlHost(url);
    request.port = UrlPort(url);
    request.secure = LowerCase(TextLeft(url, 5)) == "https";
    request.path = UrlPath(url);
    request.noCookies = options.cookies != nullptr;
    request.noRedirect = options.noRedirect;
    request.headers = CompleteHeaders(options.extraHeaders, url, options.cookies);
    request.sendBody = options.method != 0;
    if (request.sendBody) {
        request.body =
            options.bodyBytes.empty() ? TextToBytes(options.bodyText) : options.bodyBytes;
    }

    transport::Reply reply = transport::Perform(request);
    if (!reply.opened) {
        return {};
    }

    // A block that does not fit the area, terminator included, is not delivered at all.
    Text rawHeaders = BlankText(kHeaderArea);
    if (reply.headerBlock && TextLength(*reply.headerBlock) + 1 <= kHeaderArea) {
        rawHeaders = *reply.headerBlock;
    }

    Text location = options.location != nullptr ? *options.location : Text();
    Text newCookies;
    for (const Text& line : SplitText(rawHeaders, "\r\n")) {
        if (FindText(line, "Location:", 1, false) != -1) {
            location = HeaderValue(line);
        }
        if (FindText(line, "Set-Cookie", 1, false) != -1) {
            // A cookie without attributes has no ";" after it: it still counts. A line that
            // yields no cookie at all adds nothing, not an empty entry.
            Text cookie = TrimText(TextBetween(line, "Set-Cookie:", ";"));
            if (cookie.empty()) {
                cookie = TrimText(TextBetween(line + ";", "Set-Cookie:", ";"));
            }
            if (!cookie.empty()) {
                newCookies += cookie + "; ";
            }
        }
    }
    newCookies = TextLeft(newCookies, TextLength(newCookies) - 2);

    if (options.cookies != nullptr) {
        Text merged = *options.cookies;
        MergeCookies(merged, newCookies);
        *options.cookies = merged;
    }
    if (location.empty()) {
        location = rawHeaders;
    }

    if (options.rawHeaders != nullptr) {
        *options.rawHeaders = rawHeaders;
    }
    if (options.newCookies != nullptr) {
        *options.newCookies = newCookies;
    }
    if (options.location != nullptr) {
        *options.location = location;
    }
    return std::move(reply.body);
}

}  // namespace

Bytes HttpRequest(const Text& url, const HttpRequestOptions& options) {
    // Failure is an empty result, never an exception (memory running out included).
    try {
        return Request(url, options);
    } catch (const std::exception&) {
        return {};
    }
}

void AbortAllHttpRequests() {
    transport::SetAborted(true);
}

void ResumeHttpRequests() {
    transport::SetAborted(false);
}

}  // namespace tovik
