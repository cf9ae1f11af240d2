// The PCRE2 side of the regular-expression object: compile options that give patterns the script
// engines' meaning, the all-matches loop with their empty-match step, and the work bound.
#define PCRE2_CODE_UNIT_WIDTH 16
#include "regex/engine.h"

#include <pcre2.h>

#include <climits>

namespace tovik::regex_detail {
namespace {

template <auto Fn>
struct Free {
    void operator()(auto* p) const { Fn(p); }
};
using CodePtr = std::unique_ptr<pcre2_code, Free<pcre2_code_free>>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, Free<pcre2_compile_context_free>>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, Free<pcre2_match_context_free>>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, Free<pcre2_match_data_free>>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, Free<pcre2_jit_stack_free>>;

// A larger JIT stack is only taken when a match runs out of the default one.
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 1024 * 1024;

CodePtr CompileWith(std::span<const std::uint16_t> pattern, std::uint32_t options) {
    CompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context) {
        return nullptr;
    }
    // Only a line feed ends a line: "." matches everything else, carriage return included.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    // An empty span may carry a null pointer, which PCRE2 takes only with length 0.
    static const PCRE2_UCHAR kEmpty[1] = {0};
    const PCRE2_SPTR text = pattern.empty() ? kEmpty : pattern.data();
    return CodePtr(
        pcre2_compile(text, pattern.size(), options, &error, &errorOffset, context.get()));
}

// Interpreter only: every callout spends one unit of the run's budget.
int SpendBudget(pcre2_callout_block*, void* data) {
    auto& budget = *static_cast<std::uint64_t*>(data);
    if (budget == 0) {
        return PCRE2_ERROR_MATCHLIMIT;
    }
    --budget;
    return 0;
}

bool IsHighSurrogate(std::uint16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

struct Pattern::Impl {
    CodePtr code;
    bool jit = false;
    bool global = true;
    int groups = 0;
    Bounds bounds;
};

Pattern::Pattern(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Pattern::~Pattern() = default;

std::unique_ptr<Pattern> Pattern::Compile(std::span<const std::uint16_t> pattern,
                                          const Settings& settings, Mode mode,
                                          const Bounds& bounds) {
    // ALT_BSUX: \uXXXX and \xXX as the script engines read them. An unset group referred back
    // to matches the empty text there too. "$" ends the subject only, unless in multi-line mode.
    std::uint32_t options =
        PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
    if (settings.ignoreCase) {
        options |= PCRE2_CASELESS;
    }
    options |= settings.multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;

    auto impl = std::make_unique<Impl>();
    impl->global = settings.global;
    impl->bounds = bounds;
    impl->code = CompileWith(pattern, options);
    if (!impl->code) {
        return nullptr;
    }
    if (mode == Mode::Auto && pcre2_jit_compile(impl->code.get(), PCRE2_JIT_COMPLETE) == 0) {
        impl->jit = true;
    } else {
        // The interpreter's budget is counted at callouts placed before every item.
        impl->code = CompileWith(pattern, options | PCRE2_AUTO_CALLOUT);
        if (!impl->code) {
            return nullptr;
        }
    }
    std::uint32_t groups = 0;
    pcre2_pattern_info(impl->code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    impl->groups = static_cast<int>(groups);
    return std::unique_ptr<Pattern>(new Pattern(std::move(impl)));
}

int Pattern::Groups() const {
    return impl_->groups;
}
bool Pattern::UsesJit() const {
    return impl_->jit;
}

std::optional<MatchList> Pattern::Run(std::span<const std::uint16_t> subject) const {
    const Impl& p = *impl_;
    // Offsets are reported as 32-bit signed numbers.
    if (subject.size() >= static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    MatchDataPtr data(pcre2_match_data_create_from_pattern(p.code.get(), nullptr));
    MatchContextPtr context(pcre2_match_context_create(nullptr));
    if (!data || !context) {
        return std::nullopt;
    }
    pcre2_set_match_limit(context.get(), p.bounds.matchLimit);
    pcre2_set_heap_limit(context.get(), p.bounds.heapLimitKiB);
    std::uint64_t budget =
        p.bounds.interpreterBudgetBase + p.bounds.interpreterBudgetPerUnit * subject.size();
    if (!p.jit) {
        pcre2_set_callout(context.get(), SpendBudget, &budget);
    }
    JitStackPtr jitStack;

    MatchList out;
    out.groups = p.groups;
    static const PCRE2_UCHAR kEmpty[1] = {0};
    const PCRE2_SPTR text = subject.empty() ? kEmpty : subject.data();
    const PCRE2_SIZE length = subject.size();
    PCRE2_SIZE start = 0;
    while (start <= length) {
        // The subject is valid UTF-16 by construction (no surrogates come out of code page 936),
        // so it is never validated: validating on every call would rescan the rest each time.
        const int rc = pcre2_match(p.code.get(), text, length, start, PCRE2_NO_UTF_CHECK,
                                   data.get(), context.get());
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT && !jitStack) {
            jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
            if (jitStack) {
                pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());
                continue;
            }
        }
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc < 0) {
            // Match, depth or heap limit, the interpreter's budget, or a JIT stack that stays too
            // small: the run ends here with what it has found.
            out.stoppedAtBound = true;
            break;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        for (int g = 0; g <= p.groups; ++g) {
            const PCRE2_SIZE b = ovector[2 * g];
            const PCRE2_SIZE e = ovector[2 * g + 1];
            const bool set = g < rc && b != PCRE2_UNSET;
            out.offsets.push_back(set ? static_cast<std::uint32_t>(b) : kUnset);
            out.offsets.push_back(set ? static_cast<std::uint32_t>(e) : kUnset);
        }
        if (!p.global) {
            break;
        }
        const PCRE2_SIZE matchStart = ovector[0];
        const PCRE2_SIZE matchEnd = ovector[1];
        if (matchEnd > matchStart) {
            start = matchEnd;
            continue;
        }
        // After an empty match the next search starts one character further on, without first
        // trying a non-empty match at the same place (the script engines' step, not Perl's).
        if (matchEnd >= length) {
            break;
        }
        start = matchEnd + 1;
        if (start < length && IsHighSurrogate(subject[matchEnd]) &&
            IsLowSurrogate(subject[start])) {
            ++start;
        }
    }
    return out;
}

}  // namespace tovik::regex_detail
