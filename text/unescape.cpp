// Decoding of \uXXXX escapes in service replies.
#include "text/text.h"

namespace tovik {

Text UnescapeUnicode(const Text& text) {
    return text;
}

}  // namespace tovik
