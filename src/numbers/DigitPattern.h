#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// A regular expression over the ten ASCII digits, as the numbering-plan metadata writes them: digits, \d,
// classes such as [2-57-9] or [^0], groups (capturing or "(?:"), alternation, the quantifiers ?, *, + and {n},
// {n,}, {n,m}, and '$' for the end of the text. Anything else (a letter, a look-ahead, a back reference) makes
// Compile give nothing.
//
// Two questions are answered, each the way a backtracking engine (ICU's, as libphonenumber uses it) answers
// them:
// - FullMatch: does the whole text match? Answered by a deterministic automaton built at compile time, one
//   table step per digit, when the pattern has no '$' and the automaton stays small.
// - PrefixMatchLength: what does the pattern take off the front of the text? The first match in the engine's
//   order (alternatives left to right, quantifiers greedy), found by backtracking over the pattern.
//
// Immutable after Compile; any number of threads may use one pattern at once.
class DigitPattern {
public:
    [[nodiscard]] static std::optional<DigitPattern> Compile(std::string_view pattern);

    static constexpr int kMaxStates = 20000;

    // The whole text matches (a text with anything but '0'-'9' never matches).
    [[nodiscard]] bool FullMatch(std::string_view digits) const;

    enum class Prefix { NoMatch, Match, TooComplex };
    static constexpr int kMaxGroups = 9;
    struct PrefixResult {
        Prefix outcome = Prefix::NoMatch;
        size_t length = 0; // digits taken with Match; may be 0
        // Start and end of what capturing group 1..kMaxGroups took in that match; -1 when it took no part.
        std::array<std::pair<int, int>, kMaxGroups + 1> groups{};
        // The text group `index` captured (empty when it took no part).
        std::string_view Group(std::string_view digits, int index) const;
    };
    // The match at the start of the text that a backtracking engine finds first, with its capturing groups.
    // TooComplex when finding it would take more than kMaxSteps steps (never for the metadata's patterns and
    // numbers).
    [[nodiscard]] PrefixResult PrefixMatchLength(std::string_view digits) const;
    // Capturing groups ("(" without "?:"), numbered from 1 by their opening bracket.
    int GroupCount() const { return m_groupCount; }

    static constexpr int kMaxSteps = 100000;

    // True when FullMatch runs on the automaton (one step per digit) rather than by backtracking.
    bool HasAutomaton() const { return !m_accepting.empty(); }

    // The pattern's syntax tree, flattened into one array; children are indices into it.
    struct Node {
        enum class Kind : std::uint8_t { Set, Sequence, Alternation, Repeat, Group, End };
        Kind kind = Kind::Sequence;
        std::uint16_t set = 0; // Set: bit d stands for the digit d
        int min = 0;           // Repeat
        int max = 0;           // Repeat; -1 for no bound
        int group = 0;         // Group: its number
        std::vector<int> children;
    };

private:
    static constexpr int kDead = 0; // no text continuing from here can match
    static constexpr int kStart = 1;

    bool BuildAutomaton();

    std::vector<Node> m_nodes;
    int m_root = 0;
    int m_groupCount = 0;
    std::vector<std::int32_t> m_next; // state * 10 + digit -> state
    std::vector<bool> m_accepting;
};
