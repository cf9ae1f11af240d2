// The bodies the service sends: the one-line search reply in the layout the tool's hit pattern
// reads, error replies, and the start-up page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/index.h"

namespace tovik::service {

// A JSON string body (without the quotes) that the tool's decoder turns back into exactly this
// UTF-8 text: printable ASCII stays, except the characters the decoder or the hit pattern would
// act on ('"', '\\', '%', '\''), which are written as \uXXXX like every control and non-ASCII
// character (a surrogate pair beyond the BMP).
std::string EscapeForTool(std::string_view utf8);

// Titles only: the two sequences the tool cannot carry whatever the escaping ("{$}", which its
// decoder turns into a line break, and '"' before '}', which ends the hit early) get a
// full-width character in place of their ASCII one, so the hit still arrives whole.
std::string ToolSafeTitle(std::string_view utf8);

// {"page": N, "more": false, "hits": [{"date": ..., "title": ...}, ...]} on one line, no line feed.
std::string SearchReply(const SearchPage& page, std::int64_t pageNumber);

// {"error": "...", "hits": []}: a well-formed reply without hits.
std::string ErrorReply(std::string_view message);

// The start-up page: self-contained UTF-8 HTML.
std::string StartPage(const IndexStats& stats, std::string_view listen);

}  // namespace tovik::service
