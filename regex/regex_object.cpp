// RegexObject: each Create compiles a fresh engine, converts the subject to UTF-16 once and keeps
// the match offsets; texts are cut from the stored subject's bytes on demand.
#include "regex/regex_object.h"

#include <climits>
#include <string_view>
#include <utility>

#include "regex/engine.h"
#include "regex/wide_subject.h"

namespace tovik {
namespace {

// "#引号" in code page 936.
const Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";

}  // namespace

struct RegexObject::Engine {
    regex_detail::Settings settings;
    Text pattern;
    std::unique_ptr<regex_detail::Pattern> compiled;  // null: the pattern was rejected
};

struct RegexObject::Matches {
    regex_detail::MatchList list;
    std::vector<std::uint32_t> checkpoints;  // unit to byte offsets of the subject
    std::size_t units = 0;                   // length of the subject in UTF-16 units
    // Where characters begin, as the byte search steps (any byte of 0x80 or above takes the
    // next byte with it); built on the first position search.
    mutable std::vector<bool> charStarts;
};

RegexObject::RegexObject() = default;

RegexObject::~RegexObject() {
    engine_.reset();
    matches_.reset();
    subject_.clear();
}

bool RegexObject::Create(const Text& pattern, const Text& subject, bool caseSensitive,
                         bool multiline, bool global, bool expandQuoteMarker) {
    regex_detail::Settings settings;
    settings.ignoreCase = !caseSensitive;
    settings.multiline = multiline;
    settings.global = global;

    engine_.reset();
    matches_.reset();

    auto engine = std::make_unique<Engine>();
    engine->settings = settings;
    engine->pattern =
        expandQuoteMarker ? ReplaceText(pattern, kQuoteMarker, "\"", 1, -1, true) : pattern;
    engine->compiled = regex_detail::Pattern::Compile(
        regex_detail::ToWide(engine->pattern, false).units, settings);

    // Checkpoints hold 32-bit byte offsets, and match offsets are reported as 32-bit numbers.
    if (engine->compiled && subject.size() < static_cast<std::size_t>(INT_MAX)) {
        regex_detail::WideText wide = regex_detail::ToWide(subject, true);
        std::optional<regex_detail::MatchList> list = engine->compiled->Run(wide.units);
        if (list) {
            matches_ = std::make_unique<Matches>();
            matches_->list = std::move(*list);
            matches_->checkpoints = std::move(wide.checkpoints);
            matches_->units = wide.units.size();
        }
    }
    engine_ = std::move(engine);
    subject_ = subject;
    return matches_ != nullptr;
}

Text RegexObject::GetPattern() const {
    return engine_ ? engine_->pattern : Text();
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
    if (!engine_ || !matches_) {
        return {};
    }
    const regex_detail::MatchList& list = matches_->list;
    const std::string_view subject(subject_);
    const int groups = list.groups;

    // The replacement is read once into literal runs and references: >= 0 a group (0 the whole
    // match), kBefore and kAfter the text before and after the match.
    constexpr int kLiteral = -1, kBefore = -2, kAfter = -3;
    struct Piece {
        int ref;
        std::size_t begin, end;  // literal bytes of the replacement
    };
    std::vector<Piece> pieces;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t literalStart = 0;
    for (std::size_t i = 0; i < replacement.size();) {
        // "$" and the bytes that may follow it never occur inside a two-byte character.
        if (replacement[i] != '$' || i + 1 >= replacement.size()) {
            ++i;
            continue;
        }
        const char next = replacement[i + 1];
        int ref = kLiteral;
        std::size_t used = 2;
        if (next == '$') {
            pieces.push_back({kLiteral, literalStart, i + 1});  // one "$"
            literalStart = i + 2;
            i += 2;
            continue;
        }
        if (next == '&') {
            ref = 0;
        } else if (next == '`') {
            ref = kBefore;
        } else if (next == '\'') {
            ref = kAfter;
        } else if (isDigit(next)) {
            // Two digits when they name an existing group, else one digit when that does.
            const int one = next - '0';
            if (i + 2 < replacement.size() && isDigit(replacement[i + 2])) {
                const int two = one * 10 + (replacement[i + 2] - '0');
                if (two >= 1 && two <= groups) {
                    ref = two;
                    used = 3;
                }
            }
            if (ref == kLiteral && one >= 1 && one <= groups) {
                ref = one;
            }
        }
        if (ref == kLiteral) {
            ++i;
            continue;
        }
        pieces.push_back({kLiteral, literalStart, i});
        pieces.push_back({ref, 0, 0});
        i += used;
        literalStart = i;
    }
    pieces.push_back({kLiteral, literalStart, replacement.size()});

    const std::vector<std::uint32_t>& checkpoints = matches_->checkpoints;
    const std::size_t totalUnits = matches_->units;
    Text out;
    out.reserve(subject.size());
    std::size_t previousEnd = 0;
    for (std::size_t m = 0; m < list.Count(); ++m) {
        const std::uint32_t matchStart = list.Start(m, 0);
        const std::uint32_t matchEnd = list.End(m, 0);
        regex_detail::AppendUnits(subject, checkpoints, previousEnd, matchStart, out);
        for (const Piece& piece : pieces) {
            if (piece.ref == kLiteral) {
                regex_detail::AppendRoundTrip(
                    std::string_view(replacement).substr(piece.begin, piece.end - piece.begin),
                    out);
            } else if (piece.ref == kBefore) {
                regex_detail::AppendUnits(subject, checkpoints, 0, matchStart, out);
            } else if (piece.ref == kAfter) {
                regex_detail::AppendUnits(subject, checkpoints, matchEnd, totalUnits, out);
            } else if (list.Start(m, piece.ref) != regex_detail::kUnset) {
                regex_detail::AppendUnits(subject, checkpoints, list.Start(m, piece.ref),
                                          list.End(m, piece.ref), out);
            }
        }
        previousEnd = matchEnd;
    }
    regex_detail::AppendUnits(subject, checkpoints, previousEnd, totalUnits, out);
    return out;
}

int RegexObject::MatchCount() const {
    return matches_ ? static_cast<int>(matches_->list.Count()) : 0;
}

Text RegexObject::MatchText(int matchIndex, int* position) const {
    Text text;
    int firstIndex = 0;  // what a failed fetch reads as
    if (matches_ && matchIndex >= 1 && matchIndex <= MatchCount()) {
        const auto m = static_cast<std::size_t>(matchIndex - 1);
        firstIndex = static_cast<int>(matches_->list.Start(m, 0));
        text = Slice(matches_->list.Start(m, 0), matches_->list.End(m, 0));
    }
    if (position != nullptr) {
        *position = PositionSearch(text, firstIndex);
    }
    return text;
}

Text RegexObject::SubmatchText(int matchIndex, int groupIndex, int* position) const {
    Text text;
    int firstIndex = 0;
    if (matches_ && matchIndex >= 1 && matchIndex <= MatchCount()) {
        const auto m = static_cast<std::size_t>(matchIndex - 1);
        const regex_detail::MatchList& list = matches_->list;
        firstIndex = static_cast<int>(list.Start(m, 0));
        if (groupIndex >= 1 && groupIndex <= list.groups &&
            list.Start(m, groupIndex) != regex_detail::kUnset) {
            text = Slice(list.Start(m, groupIndex), list.End(m, groupIndex));
        }
    }
    if (position != nullptr) {
        *position = PositionSearch(text, firstIndex);
    }
    return text;
}

int RegexObject::SubmatchCount() const {
    return MatchCount() > 0 ? matches_->list.groups : 0;
}

// Searches the byte subject from the match's UTF-16 offset used as a byte position; with
// double-byte text before the match that starts early and can find an earlier occurrence.
int RegexObject::PositionSearch(const Text& sought, int firstIndex) const {
    const bool ignoreCase = engine_ && engine_->settings.ignoreCase;
    int start = firstIndex;
    // A start on the second byte of a character would make the search pair bytes across
    // characters and step over what follows; it begins with the next character instead.
    if (matches_ && start > 1 && static_cast<std::size_t>(start) <= subject_.size()) {
        std::vector<bool>& starts = matches_->charStarts;
        if (starts.empty()) {
            starts.assign(subject_.size(), false);
            for (std::size_t i = 0; i < subject_.size();) {
                starts[i] = true;
                i += static_cast<unsigned char>(subject_[i]) >= 0x80 ? 2 : 1;
            }
        }
        if (!starts[static_cast<std::size_t>(start) - 1]) {
            ++start;
        }
    }
    return FindText(subject_, sought, start, ignoreCase) - 1;
}

Text RegexObject::Slice(std::uint32_t begin, std::uint32_t end) const {
    Text out;
    regex_detail::AppendUnits(subject_, matches_->checkpoints, begin, end, out);
    return out;
}

}  // namespace tovik
