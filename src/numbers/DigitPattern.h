#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A regular expression over the ten ASCII digits, compiled into a deterministic automaton, so that testing a
// phone number against it costs one table step per digit and no regular-expression engine.
//
// The syntax is the subset the numbering-plan metadata uses: digits, \d, classes such as [2-57-9], groups
// (capturing or "(?:"), alternation, and the quantifiers ?, *, + and {n}, {n,}, {n,m}. Anything else (an
// anchor, a letter, a back reference) makes Compile give nothing, and the caller then has no fast answer.
//
// Immutable after Compile; any number of threads may use one pattern at once.
class DigitPattern {
public:
    // Nothing when the pattern uses syntax outside the subset, or when its automaton would exceed
    // kMaxStates states.
    [[nodiscard]] static std::optional<DigitPattern> Compile(std::string_view pattern);

    static constexpr int kMaxStates = 20000;

    // The whole text matches (the text holds only the digits '0'-'9'; anything else never matches).
    [[nodiscard]] bool FullMatch(std::string_view digits) const;
    // Some text that matches as a whole begins with `prefix` (the prefix itself included).
    [[nodiscard]] bool MatchesSomethingStartingWith(std::string_view prefix) const;
    // Some non-empty beginning of `digits` matches as a whole: what a prefix pattern could take off the front of
    // the number.
    [[nodiscard]] bool MatchesNonEmptyPrefixOf(std::string_view digits) const;
    // The empty text matches.
    [[nodiscard]] bool MatchesEmpty() const { return m_accepting[kStart]; }

    int StateCount() const { return static_cast<int>(m_accepting.size()); }

private:
    static constexpr int kDead = 0; // no text continuing from here can match
    static constexpr int kStart = 1;

    int Step(int state, char digit) const {
        return m_next[static_cast<size_t>(state) * 10 + static_cast<size_t>(digit - '0')];
    }

    std::vector<std::int32_t> m_next; // state * 10 + digit -> state
    std::vector<bool> m_accepting;
    std::vector<bool> m_live; // some accepting state is reachable
};
