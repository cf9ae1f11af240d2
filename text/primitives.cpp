// Byte-text primitives over code page 936 text.
#include "text/text.h"

namespace tovik {

int TextLength(const Text& text) {
    return static_cast<int>(text.size());
}
int BytesLength(const Bytes& bytes) {
    return static_cast<int>(bytes.size());
}
Text TextLeft(const Text&, int) {
    return {};
}
Text TextRight(const Text&, int) {
    return {};
}
Text TextMid(const Text&, int, int) {
    return {};
}
Text CharFromCode(int) {
    return {};
}
int FindText(const Text&, const Text&, int, bool) {
    return -1;
}
int FindTextReverse(const Text&, const Text&, std::optional<int>, bool) {
    return -1;
}
Text LowerCase(const Text& text) {
    return text;
}
std::int32_t TextToInt(const Text&) {
    return 0;
}
Text TrimText(const Text& text) {
    return text;
}
Text RemoveSpaces(const Text& text) {
    return text;
}
Text ReplaceText(const Text& text, const Text&, const Text&, int, int, bool) {
    return text;
}
TextArray SplitText(const Text& text, const Text&, std::optional<int>) {
    return {text};
}
Bytes TextToBytes(const Text& text) {
    return Bytes(text.begin(), text.end());
}
Text BytesToText(const Bytes& bytes) {
    return Text(bytes.begin(), bytes.end());
}
Text NumberToText(int value) {
    return std::to_string(value);
}
Text NumberToText(double value) {
    return std::to_string(value);
}
Text NumberToText(const Text& value) {
    return value;
}
Text HexText(int) {
    return {};
}
Text BlankText(int) {
    return {};
}
Bytes BlankBytes(int) {
    return {};
}
Bytes BytesLeft(const Bytes&, int) {
    return {};
}
Bytes ReplaceBytes(const Bytes& bytes, const Bytes&, const std::optional<Bytes>&, int, int) {
    return bytes;
}

}  // namespace tovik
