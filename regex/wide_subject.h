// Private to regex/: code page 936 text to UTF-16 units and back, keeping enough of the
// correspondence to turn a unit offset into a byte offset without a table per unit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::regex_detail {

// Every character, one or two bytes, becomes exactly one unit; a byte that starts no valid
// character becomes "?" on its own, as the project's conversion does.
struct WideText {
    std::vector<std::uint16_t> units;
    // Byte offset of every kCheckpointStride-th unit (only when asked for).
    std::vector<std::uint32_t> checkpoints;
};

inline constexpr std::size_t kCheckpointStride = 64;

// `bytes` must be shorter than 4 GiB when checkpoints are asked for.
WideText ToWide(std::string_view bytes, bool withCheckpoints);

// Appends the code page 936 form of units [begin, end) of the text `bytes` was decoded from.
// Undecodable bytes come back as "?", as a round trip through UTF-16 gives them.
void AppendUnits(std::string_view bytes, const std::vector<std::uint32_t>& checkpoints,
                 std::size_t begin, std::size_t end, std::string& out);

// Appends `bytes` as a round trip through UTF-16 gives it back.
void AppendRoundTrip(std::string_view bytes, std::string& out);

}  // namespace tovik::regex_detail
