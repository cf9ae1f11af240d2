// Cookie merging: folds the cookies a reply set into the cookie text a caller keeps between
// requests. Newer entries win by name, "=deleted" entries go, exact repeats collapse.
#include "http/http.h"

namespace tovik {

Text MergeCookies(Text& cookies, Text& newCookies) {
    cookies = RemoveSpaces(cookies);
    newCookies = RemoveSpaces(newCookies);

    const TextArray old = SplitText(cookies, ";");
    TextArray fresh = SplitText(newCookies, ";");
    // fresh grows as old entries join it, so of two old entries with one name the first wins.
    for (const Text& entry : old) {
        if (!HasCookieName(fresh, CookieName(entry))) {
            fresh.push_back(entry);
        }
    }

    cookies.clear();
    for (const Text& entry : fresh) {
        if (TextRight(entry, 8) != "=deleted") {
            cookies += entry;
            cookies += "; ";
        }
    }
    cookies = TextLeft(cookies, TextLength(cookies) - 2);
    cookies = JoinUnique(cookies, "; ");
    return cookies;
}

Text CookieName(const Text& entry) {
    const int equals = FindText(entry, "=", 1, false);
    return TrimText(equals == -1 ? entry : TextLeft(entry, equals - 1));
}

bool HasCookieName(const TextArray& entries, const Text& name) {
    for (const Text& entry : entries) {
        if (CookieName(entry) == name) {
            return true;
        }
    }
    return false;
}

Text JoinUnique(const Text& text, const Text& separator) {
    TextArray seen;
    Text result;
    for (const Text& piece : SplitText(text, separator)) {
        if (IndexOfText(seen, piece) == -1) {
            seen.push_back(piece);
            result += piece;
            result += separator;
        }
    }
    return TextLeft(result, TextLength(result) - TextLength(separator));
}

int IndexOfText(const TextArray& elements, const Text& text) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i] == text) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

}  // namespace tovik
