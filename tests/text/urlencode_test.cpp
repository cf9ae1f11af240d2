// Percent-encoding: the kept set, upper-case hex, and the UTF-8 option.
#include <gtest/gtest.h>

#include "text/text.h"

namespace tovik {
namespace {

TEST(UrlEncode, Table) {
    struct Case {
        Text in;
        bool keep, utf8;
        Text out;
    } cases[] = {
        {"", false, false, ""},
        {"", true, true, ""},
        {"\xD6\xD0", true, true, "%E4%B8%AD"},
        {"a_b~c d-e.f/g", true, false, "a%5Fb%7Ec%20d-e.f%2Fg"},
        {"A1", false, false, "%41%31"},
        {"\xD6", true, false, "%D6"},
        {"\n\x0A\xFF", false, false, "%0A%0A%FF"},
        {",:0189@AZ[`az{+", true, false, "%2C%3A0189%40AZ%5B%60az%7B%2B"},
        {"\xD6\xD0 x", false, true, "%E4%B8%AD%20%78"},
        {"\x81", true, true, "%3F"},  // a lone lead byte cannot become UTF-8
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UrlEncode(c.in, c.keep, c.utf8), c.out) << c.in;
    }
}

TEST(UrlEncode, KeptSetIsExact) {
    for (int b = 1; b < 256; ++b) {
        const bool kept = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
                          (b >= 'a' && b <= 'z') || b == '-' || b == '.';
        const Text one(1, static_cast<char>(b));
        EXPECT_EQ(UrlEncode(one, true) == one, kept) << b;
        EXPECT_EQ(UrlEncode(one, true).size(), kept ? 1u : 3u) << b;
    }
}

}  // namespace
}  // namespace tovik
