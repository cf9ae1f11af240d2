// Cookie merging: both arguments are written, newer entries win by name, "=deleted" entries
// go, exact repeats collapse and empty pieces survive.
#include <gtest/gtest.h>

#include "http/http.h"

namespace tovik {
namespace {

struct MergeCase {
    const char* name;
    Text cookies, newCookies;
    Text merged, newAfter;
};

TEST(MergeCookies, Table) {
    const MergeCase cases[] = {
        {"new first, then old names the reply did not set", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1",
         "b=3;c=4"},
        {"reply deletes a", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
        {"old deleted entry dropped", "a=deleted; b=2", "", "b=2", ""},
        {"deleted after another equals sign", "a=x=deleted; b=1", "", "b=1", ""},
        {"value merely ending in deleted", "a=undeleted", "", "a=undeleted", ""},
        {"same name twice in reply", "", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
        {"identical entries collapse", "", "a=1; a=1", "a=1", "a=1;a=1"},
        {"first of two old entries kept", "a=1; a=2; b=3", "", "a=1; b=3", ""},
        {"both empty", "", "", "", ""},
        {"blanks removed", "a = 1 \xA1\xA1x", "b= 2", "b=2; a=1x", "b=2"},
        {"trailing semicolons add nothing", "a=1;", "b=2;", "b=2; a=1", "b=2;"},
        {"inner empty piece survives", "a=1;;b=2", "", "a=1; ; b=2", ""},
        {"leading empty piece survives", ";a=1", "", "; a=1", ""},
        {"case counts in names", "SID=1", "sid=2", "sid=2; SID=1", "sid=2"},
        {"bare names", "flag; a=1", "flag", "flag; a=1", "flag"},
    };
    for (const auto& c : cases) {
        Text cookies = c.cookies;
        Text fresh = c.newCookies;
        const Text result = MergeCookies(cookies, fresh);
        EXPECT_EQ(result, c.merged) << c.name;
        EXPECT_EQ(cookies, c.merged) << c.name;
        EXPECT_EQ(fresh, c.newAfter) << c.name;
    }
}

TEST(CookieHelpers, NamesAndLookups) {
    EXPECT_EQ(CookieName(" sid = 42"), "sid");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_EQ(CookieName("=v"), "");
    EXPECT_EQ(CookieName("a=b=c"), "a");

    const TextArray entries = {"a=1", "B=2", "c"};
    EXPECT_TRUE(HasCookieName(entries, "B"));
    EXPECT_TRUE(HasCookieName(entries, "c"));
    EXPECT_FALSE(HasCookieName(entries, "b"));
    EXPECT_FALSE(HasCookieName({}, ""));

    EXPECT_EQ(IndexOfText(entries, "a=1"), 1);
    EXPECT_EQ(IndexOfText(entries, "c"), 3);
    EXPECT_EQ(IndexOfText(entries, "a"), -1);
    EXPECT_EQ(IndexOfText({"x", "x"}, "x"), 1);
}

TEST(CookieHelpers, JoinUnique) {
    EXPECT_EQ(JoinUnique("a; b; a; c; b", "; "), "a; b; c");
    EXPECT_EQ(JoinUnique("a,,a,", ","), "a,");  // the empty piece counts once
    EXPECT_EQ(JoinUnique("", "; "), "");
    EXPECT_EQ(JoinUnique("x;y", ""), "x;y");
}

}  // namespace
}  // namespace tovik
