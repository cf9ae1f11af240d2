// Text helpers that pick a request URL apart and read header lines. They reproduce the original
// routines' results exactly, oddities included, because callers see those results on the wire.
#include "http/http.h"

namespace tovik {

namespace {

// "#引号" in code page 936: lets callers write a double quote inside a marker.
constexpr char kQuoteEscape[] = "#\xD2\xFD\xBA\xC5";

}  // namespace

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start,
                 bool caseSensitive) {
    const Text left = ReplaceText(leftMarker, kQuoteEscape, "\"", 1, -1, true);
    const Text right = ReplaceText(rightMarker, kQuoteEscape, "\"", 1, -1, true);
    const bool ignoreCase = !caseSensitive;

    const int p = FindText(text, left, start, ignoreCase);
    if (p == -1) {
        return {};
    }
    const int d = p + TextLength(left);
    const int c = FindText(text, right, d, ignoreCase);
    if (c == -1) {
        return {};
    }
    return TextMid(text, d, c - d);
}

Text HeaderValue(const Text& line) {
    const int colon = FindText(line, ":", 1, false);
    if (colon == -1) {
        return {};
    }
    return TrimText(TextMid(line, colon + 1, TextLength(line)));
}

Text UrlHost(const Text& url, bool reduceToDomain, bool keepPort) {
    Text s = LowerCase(url);
    // Guarantees a "/" after the host for the cut below.
    if (TextRight(s, 1) != "/") {
        s += "/";
    }
    if (TextLeft(s, 8) == "https://") {
        s = TextBetween(s, "https://", "/");
    } else {
        if (FindText(s, "http://", 1, false) == -1) {
            s = "http://" + s;
        }
        s = TextBetween(s, "http://", "/");
    }

    if (reduceToDomain) {
        const TextArray labels = SplitText(s, ".");
        if (labels.size() >= 2) {
            s = labels[labels.size() - 2] + "." + labels.back();
        }
    }

    const int colon = FindText(s, ":", 1, false);
    if (keepPort || colon == -1) {
        return s;
    }
    return TextLeft(s, colon - 1);
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, false, true);
    const int colon = FindTextReverse(host, ":", std::nullopt, false);
    if (colon != -1) {
        return TextToInt(TextMid(host, colon + 1, TextLength(host)));
    }
    return TextLeft(LowerCase(url), 5) == "https" ? 443 : 80;
}

Text UrlPath(const Text& url) {
    const Text host = UrlHost(url);
    const int hostAt = FindText(url, host, 1, true);
    const int slash = FindText(url, "/", hostAt == -1 ? 1 : hostAt, true);
    if (slash == -1) {
        return "/";
    }
    return TextMid(url, slash, TextLength(url) - slash + 1);
}

}  // namespace tovik
