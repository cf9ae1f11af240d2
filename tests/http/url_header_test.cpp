// URL and header text helpers: tables of URLs and markers, odd layouts included, since the
// request on the wire is built from exactly these results.
#include <gtest/gtest.h>

#include "http/http.h"

namespace tovik {
namespace {

struct BetweenCase {
    const char* name;
    Text text, left, right;
    int start;
    bool caseSensitive;
    Text expected;
};

TEST(TextBetween, Table) {
    const BetweenCase cases[] = {
        {"plain", "a[b]c", "[", "]", 0, false, "b"},
        {"adjacent markers", "a[]c", "[", "]", 0, false, ""},
        {"right only before left", "a]b[c", "[", "]", 0, false, ""},
        {"right missing", "a[bc", "[", "]", 0, false, ""},
        {"left missing", "abc]", "[", "]", 0, false, ""},
        {"left at the very end", "abc[", "[", "]", 0, false, ""},
        {"first left marker only", "[a[b]", "[", "]", 0, false, "a[b"},
        {"case ignored", "XUSER-AGENT: Foo\r\nY", "User-Agent:", "\r\n", 0, false, " Foo"},
        {"case kept", "User-agent: a\r\nUser-Agent: b\r\n", "User-Agent:", "\r\n", 0, true, " b"},
        {"start skips earlier marker", "[a][b]", "[", "]", 3, false, "b"},
        {"start 1 and below mean the first byte", "[a]", "[", "]", -5, false, "a"},
        {"cookie of a Set-Cookie line", "Set-Cookie: sid=42; Path=/", "Set-Cookie:", ";", 0, false,
         " sid=42"},
        {"Set-Cookie without a semicolon", "Set-Cookie: sid=42", "Set-Cookie:", ";", 0, false, ""},
        {"quote escape", "name=\"v\"", "=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", 0, false, "v"},
        // A marker never matches on the second byte of a two-byte character.
        {"double-byte character", "\xB0[x[y]", "[", "]", 0, false, "y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.caseSensitive), c.expected)
            << c.name;
    }
}

TEST(HeaderValue, Table) {
    EXPECT_EQ(HeaderValue("Location:  /next  "), "/next");
    EXPECT_EQ(HeaderValue("Referer: http://h:81/x"), "http://h:81/x");
    EXPECT_EQ(HeaderValue("no colon here"), "");
    EXPECT_EQ(HeaderValue("Empty:"), "");
    EXPECT_EQ(HeaderValue("Tabbed:\tv\t"), "\tv\t");  // tabs are no blanks
    EXPECT_EQ(HeaderValue(""), "");
}

struct UrlCase {
    const char* name;
    Text url;
    Text host;
    Text hostWithPort;
    int port;
    Text path;
};

TEST(UrlParts, Table) {
    const UrlCase cases[] = {
        {"plain", "http://example.com/search", "example.com", "example.com", 80, "/search"},
        {"capitals", "HTTP://Example.COM/Path/To?Q=A", "example.com", "example.com", 80,
         "/Path/To?Q=A"},
        {"https default port", "https://h.org/a", "h.org", "h.org", 443, "/a"},
        {"HTTPS in capitals", "HTTPS://H.org/a", "h.org", "h.org", 443, "/a"},
        {"explicit port", "http://web:8080/x?y=1", "web", "web:8080", 8080, "/x?y=1"},
        {"https explicit port", "https://web:8443/", "web", "web:8443", 8443, "/"},
        {"colon without digits", "http://web:/x", "web", "web:", 0, "/x"},
        {"port with junk after digits", "http://web:81ab/x", "web", "web:81ab", 81, "/x"},
        {"no scheme", "h.com/x/y", "h.com", "h.com", 80, "/x/y"},
        {"no scheme, inner http://", "h.com/go?to=http://inner.org/z", "inner.org", "inner.org", 80,
         "/z"},
        {"ends after host", "http://h.com", "h.com", "h.com", 80, "/"},
        {"colon in the path", "http://web/a:b/c", "web", "web", 80, "/a:b/c"},
        {"query right after host", "http://web?a=1", "web?a=1", "web?a=1", 80, "/"},
        {"query right after host with colon", "http://web?a=1:2", "web?a=1", "web?a=1:2", 2, "/"},
        {"userinfo", "http://user:pw@h.com:81/x", "user", "user:pw@h.com:81", 81, "/x"},
        {"bracketed IPv6", "http://[::1]:8080/x", "[", "[::1]:8080", 8080, "/x"},
        {"one-letter host inside the scheme", "http://t/x", "t", "t", 80, "//t/x"},
        {"another scheme", "ftp://files.org/pub", "ftp", "ftp:", 0, "//files.org/pub"},
        {"empty", "", "", "", 80, "/"},
        {"fragment kept in path", "http://web/p#frag", "web", "web", 80, "/p#frag"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlHost(c.url), c.host) << c.name;
        EXPECT_EQ(UrlHost(c.url, false, true), c.hostWithPort) << c.name;
        EXPECT_EQ(UrlPort(c.url), c.port) << c.name;
        EXPECT_EQ(UrlPath(c.url), c.path) << c.name;
    }
}

TEST(UrlHost, ReduceToDomain) {
    EXPECT_EQ(UrlHost("http://a.b.c/x", true), "b.c");
    EXPECT_EQ(UrlHost("http://localhost/x", true), "localhost");
    EXPECT_EQ(UrlHost("http://a.b.c:81/x", true), "b.c");
    EXPECT_EQ(UrlHost("http://a.b.c:81/x", true, true), "b.c:81");
}

}  // namespace
}  // namespace tovik
