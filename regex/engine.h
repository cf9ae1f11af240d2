// Private to regex/: a compiled pattern and its all-matches run, over PCRE2 in 16-bit code
// units. Matching follows the script engines' conventions where PCRE2's defaults differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tovik::regex_detail {

struct Settings {
    bool ignoreCase = true;
    bool multiline = true;
    bool global = true;
};

inline constexpr std::uint32_t kUnset = 0xFFFFFFFF;

// The matches of one run, left to right: per match, a start and end unit offset for the whole
// match and then for each group (kUnset for a group that took no part).
struct MatchList {
    int groups = 0;
    std::vector<std::uint32_t> offsets;
    // The work bound cut the run short; the matches before that point are kept.
    bool stoppedAtBound = false;

    std::size_t Stride() const { return 2 * (static_cast<std::size_t>(groups) + 1); }
    std::size_t Count() const { return offsets.size() / Stride(); }
    std::uint32_t Start(std::size_t match, int group) const {
        return offsets[match * Stride() + 2 * static_cast<std::size_t>(group)];
    }
    std::uint32_t End(std::size_t match, int group) const {
        return offsets[match * Stride() + 2 * static_cast<std::size_t>(group) + 1];
    }
};

// How the run's work is bounded: the JIT counts its limit over a whole match call, so a per-call
// limit bounds it; the interpreter restarts its count at every start position, so without the
// JIT a budget over the whole run is kept through callouts.
struct Bounds {
    std::uint32_t matchLimit = 10'000'000;   // per match call
    std::uint32_t heapLimitKiB = 32 * 1024;  // interpreter backtracking frames
    std::uint64_t interpreterBudgetBase = 10'000'000;
    std::uint64_t interpreterBudgetPerUnit = 4;
};

class Pattern {
  public:
    enum class Mode { Auto, Interpreter };

    // Null when the engine rejects the pattern (or memory runs out).
    static std::unique_ptr<Pattern> Compile(std::span<const std::uint16_t> pattern,
                                            const Settings& settings, Mode mode = Mode::Auto,
                                            const Bounds& bounds = {});
    ~Pattern();
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    int Groups() const;
    bool UsesJit() const;
    // Every match (or the first, without Global); empty-optional when the run could not start.
    std::optional<MatchList> Run(std::span<const std::uint16_t> subject) const;

  private:
    struct Impl;
    explicit Pattern(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace tovik::regex_detail
