// RegexObject: one regular-expression run over a code page 936 text, with 1-based access to its
// matches and capture groups. Matching happens on the UTF-16 form of the text; texts come back
// in code page 936.
#pragma once

#include <cstdint>
#include <memory>

#include "text/text.h"

namespace tovik {

class RegexObject {
  public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // True when the run produced a match collection, even an empty one; false when the pattern
    // was rejected or the run could not be carried out. The subject is kept either way.
    bool Create(const Text& pattern, const Text& subject, bool caseSensitive = false,
                bool multiline = true, bool global = true, bool expandQuoteMarker = false);
    Text GetPattern() const;
    // $1..$99, $&, $`, $' and $$ as the script engines' replace reads them.
    Text ReplaceMatches(const Text& replacement = {}) const;
    int MatchCount() const;
    // `position`, when given, receives a 0-based byte offset found by searching the subject for
    // the returned text from the match's UTF-16 offset taken as a byte position; -2 when not
    // found. It can name an earlier occurrence than the match's own.
    Text MatchText(int matchIndex, int* position = nullptr) const;
    Text SubmatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
    int SubmatchCount() const;

  private:
    struct Engine;
    struct Matches;

    int PositionSearch(const Text& sought, int firstIndex) const;
    Text Slice(std::uint32_t begin, std::uint32_t end) const;

    std::unique_ptr<Engine> engine_;    // null until the first Create
    std::unique_ptr<Matches> matches_;  // null before a run and after a failed one
    Text subject_;
};

}  // namespace tovik
