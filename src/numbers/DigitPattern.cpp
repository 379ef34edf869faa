#include "DigitPattern.h"

#include <algorithm>
#include <map>

namespace {

using Node = DigitPattern::Node;
using Kind = Node::Kind;

constexpr std::uint16_t kAllDigits = 0x3FF; // bit d stands for the digit d
constexpr int kUnbounded = -1;
// A quantifier bound above this would only make the automaton large; the metadata's stay far below.
constexpr int kMaxRepeat = 64;

// Recursive descent over the subset into a flat node array; any other character ends the parse with a failure.
class Parser {
public:
    Parser(std::string_view text, std::vector<Node>& nodes) : m_text(text), m_nodes(nodes) {}

    int GroupCount() const { return m_groups; }

    // The root's index, or -1.
    int Parse() {
        const int root = Alternation();
        return m_ok && m_pos == m_text.size() ? root : -1;
    }

private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    void Fail() { m_ok = false; }

    int Add(Node node) {
        m_nodes.push_back(std::move(node));
        return static_cast<int>(m_nodes.size()) - 1;
    }
    int SetNode(std::uint16_t set) {
        Node node;
        node.kind = Kind::Set;
        node.set = set;
        return Add(std::move(node));
    }

    int Alternation() {
        std::vector<int> choices{Sequence()};
        while (m_ok && Peek() == '|') {
            ++m_pos;
            choices.push_back(Sequence());
        }
        if (choices.size() == 1)
            return choices.front();
        Node node;
        node.kind = Kind::Alternation;
        node.children = std::move(choices);
        return Add(std::move(node));
    }

    int Sequence() {
        Node node;
        node.kind = Kind::Sequence;
        while (m_ok && !AtEnd() && Peek() != '|' && Peek() != ')')
            node.children.push_back(Quantified());
        return Add(std::move(node));
    }

    int Quantified() {
        int atom = Atom();
        while (m_ok && !AtEnd()) {
            int min = 0;
            int max = 0;
            const char c = Peek();
            if (c == '?' || c == '*' || c == '+') {
                min = c == '+' ? 1 : 0;
                max = c == '?' ? 1 : kUnbounded;
                ++m_pos;
            } else if (c == '{') {
                ++m_pos;
                min = Number();
                max = min;
                if (Peek() == ',') {
                    ++m_pos;
                    max = Peek() == '}' ? kUnbounded : Number();
                }
                if (Peek() != '}' || (max != kUnbounded && max < min))
                    Fail();
                ++m_pos;
            } else {
                break;
            }
            // A lazy or possessive quantifier ("*?", "++") chooses matches in another order: not supported.
            if (Peek() == '?' || Peek() == '+')
                Fail();
            if (!m_ok)
                break;
            Node repeat;
            repeat.kind = Kind::Repeat;
            repeat.min = min;
            repeat.max = max;
            repeat.children.push_back(atom);
            atom = Add(std::move(repeat));
        }
        return atom;
    }

    int Number() {
        int value = 0;
        int digits = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            value = value * 10 + (Peek() - '0');
            ++m_pos;
            if (++digits > 3 || value > kMaxRepeat) {
                Fail();
                return 0;
            }
        }
        if (digits == 0)
            Fail();
        return value;
    }

    int Atom() {
        const char c = Peek();
        if (c >= '0' && c <= '9') {
            ++m_pos;
            return SetNode(static_cast<std::uint16_t>(1u << (c - '0')));
        }
        if (c == '\\') {
            ++m_pos;
            if (Peek() != 'd')
                Fail();
            ++m_pos;
            return SetNode(kAllDigits);
        }
        if (c == '$') {
            ++m_pos;
            Node end;
            end.kind = Kind::End;
            return Add(std::move(end));
        }
        if (c == '[')
            return Class();
        if (c == '(') {
            ++m_pos;
            bool capturing = true;
            if (Peek() == '?') {
                if (m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != ':') {
                    Fail();
                    return SetNode(0);
                }
                m_pos += 2;
                capturing = false;
            }
            const int number = capturing ? ++m_groups : 0;
            const int inner = Alternation();
            if (Peek() != ')')
                Fail();
            ++m_pos;
            if (!capturing)
                return inner;
            Node group;
            group.kind = Kind::Group;
            group.group = number;
            group.children.push_back(inner);
            return Add(std::move(group));
        }
        Fail();
        return SetNode(0);
    }

    int Class() {
        ++m_pos; // '['
        bool negated = false;
        if (Peek() == '^') {
            negated = true;
            ++m_pos;
        }
        std::uint16_t set = 0;
        while (m_ok && !AtEnd() && Peek() != ']') {
            if (Peek() == '\\') {
                ++m_pos;
                if (Peek() != 'd')
                    Fail();
                ++m_pos;
                set |= kAllDigits;
                continue;
            }
            const char first = Peek();
            if (first < '0' || first > '9') {
                Fail();
                break;
            }
            ++m_pos;
            char last = first;
            if (Peek() == '-' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] != ']') {
                last = m_text[m_pos + 1];
                m_pos += 2;
                if (last < first || last > '9')
                    Fail();
            }
            for (char d = first; d <= last && m_ok; ++d)
                set |= static_cast<std::uint16_t>(1u << (d - '0'));
        }
        if (Peek() != ']')
            Fail();
        ++m_pos;
        return SetNode(negated ? static_cast<std::uint16_t>(~set & kAllDigits) : set);
    }

    std::string_view m_text;
    std::vector<Node>& m_nodes;
    size_t m_pos = 0;
    int m_groups = 0;
    bool m_ok = true;
};

// Thompson automaton: a state with a digit set moves on those digits to `out`; a state without one is an
// empty move to `out` and, when set, `out2`.
struct Nfa {
    struct State {
        std::uint16_t set = 0;
        int out = -1;
        int out2 = -1;
    };
    std::vector<State> states;
    int match = -1;

    // A fragment: its entry state and the exits still to be connected, each as state * 2 + (0: out, 1: out2).
    struct Fragment {
        int start = -1;
        std::vector<int> holes;
    };

    int Add(std::uint16_t set) {
        states.push_back(State{set, -1, -1});
        return static_cast<int>(states.size()) - 1;
    }

    void Patch(const std::vector<int>& holes, int target) {
        for (const int hole : holes) {
            State& s = states[static_cast<size_t>(hole / 2)];
            (hole % 2 == 0 ? s.out : s.out2) = target;
        }
    }

    Fragment Empty() {
        const int s = Add(0);
        return Fragment{s, {s * 2}};
    }

    // Appends b after a.
    Fragment Then(Fragment a, Fragment b) {
        Patch(a.holes, b.start);
        a.holes = std::move(b.holes);
        return a;
    }

    // Either a or nothing.
    Fragment Optional(Fragment a) {
        const int split = Add(0);
        states[static_cast<size_t>(split)].out = a.start;
        a.holes.push_back(split * 2 + 1);
        a.start = split;
        return a;
    }

    Fragment Build(const std::vector<Node>& nodes, int index) {
        const Node& node = nodes[static_cast<size_t>(index)];
        switch (node.kind) {
        case Kind::Set: {
            const int s = Add(node.set);
            return Fragment{s, {s * 2}};
        }
        case Kind::End: // not reached: patterns with '$' get no automaton
        case Kind::Group:
        case Kind::Sequence: {
            Fragment f = Empty();
            for (const int child : node.children)
                f = Then(std::move(f), Build(nodes, child));
            return f;
        }
        case Kind::Alternation: {
            Fragment f = Build(nodes, node.children.back());
            for (size_t i = node.children.size() - 1; i-- > 0;) {
                Fragment left = Build(nodes, node.children[i]);
                const int split = Add(0);
                states[static_cast<size_t>(split)].out = left.start;
                states[static_cast<size_t>(split)].out2 = f.start;
                left.holes.insert(left.holes.end(), f.holes.begin(), f.holes.end());
                f = Fragment{split, std::move(left.holes)};
            }
            return f;
        }
        case Kind::Repeat: {
            const int child = node.children.front();
            Fragment f = Empty();
            for (int i = 0; i < node.min; ++i)
                f = Then(std::move(f), Build(nodes, child));
            if (node.max == kUnbounded) {
                Fragment body = Build(nodes, child);
                const int split = Add(0);
                states[static_cast<size_t>(split)].out = body.start;
                Patch(body.holes, split);
                f = Then(std::move(f), Fragment{split, {split * 2 + 1}});
            } else {
                for (int i = node.min; i < node.max; ++i)
                    f = Then(std::move(f), Optional(Build(nodes, child)));
            }
            return f;
        }
        }
        return Empty();
    }

    // Adds `state` and every state reachable from it by empty moves to `set`, skipping states whose mark is
    // already `stamp`.
    void Close(int state, std::vector<int>& set, std::vector<unsigned>& marks, unsigned stamp,
               std::vector<int>& stack) const {
        stack.assign(1, state);
        while (!stack.empty()) {
            const int s = stack.back();
            stack.pop_back();
            if (s < 0 || marks[static_cast<size_t>(s)] == stamp)
                continue;
            marks[static_cast<size_t>(s)] = stamp;
            set.push_back(s);
            const State& st = states[static_cast<size_t>(s)];
            if (st.set == 0 && s != match) {
                stack.push_back(st.out);
                stack.push_back(st.out2);
            }
        }
    }
};

// A non-owning reference to "what to match after this node": called with the position reached, it gives the
// end of the whole match, kFail, or kTooComplex.
constexpr long kFail = -1;
constexpr long kTooComplex = -2;

class Continuation {
public:
    template <typename F>
    explicit Continuation(F& f)
        : m_object(&f), m_call([](void* object, size_t pos) { return (*static_cast<F*>(object))(pos); }) {}
    long operator()(size_t pos) const { return m_call(m_object, pos); }

private:
    void* m_object;
    long (*m_call)(void*, size_t);
};

// Backtracking in a Perl-style engine's order: alternatives left to right, quantifiers greedy (as many
// repetitions as possible first), the first complete match wins.
class Backtracker {
public:
    using Groups = std::array<std::pair<int, int>, DigitPattern::kMaxGroups + 1>;

    Backtracker(const std::vector<Node>& nodes, std::string_view digits) : m_nodes(nodes), m_digits(digits) {
        m_groups.fill({-1, -1});
    }

    // What each group took on the path of the match found (valid after Match succeeded).
    const Groups& GroupBounds() const { return m_groups; }

    long Match(int index, size_t pos, Continuation next) {
        if (++m_steps > DigitPattern::kMaxSteps)
            return kTooComplex;
        const Node& node = m_nodes[static_cast<size_t>(index)];
        switch (node.kind) {
        case Kind::Set:
            if (pos < m_digits.size() && m_digits[pos] >= '0' && m_digits[pos] <= '9' &&
                (node.set & (1u << (m_digits[pos] - '0'))))
                return next(pos + 1);
            return kFail;
        case Kind::End:
            return pos == m_digits.size() ? next(pos) : kFail;
        case Kind::Sequence:
            return Sequence(node, 0, pos, next);
        case Kind::Alternation:
            for (const int child : node.children) {
                const long end = Match(child, pos, next);
                if (end != kFail)
                    return end;
            }
            return kFail;
        case Kind::Repeat:
            return Repeat(node, 0, pos, next);
        case Kind::Group:
            return Group(node, pos, next);
        }
        return kFail;
    }

private:
    long Sequence(const Node& node, size_t i, size_t pos, Continuation next) {
        if (i == node.children.size())
            return next(pos);
        auto rest = [&](size_t p) { return Sequence(node, i + 1, p, next); };
        return Match(node.children[i], pos, Continuation(rest));
    }

    long Repeat(const Node& node, int count, size_t pos, Continuation next) {
        if (count < node.min) {
            auto more = [&](size_t p) { return Repeat(node, count + 1, p, next); };
            return Match(node.children.front(), pos, Continuation(more));
        }
        if (node.max == kUnbounded || count < node.max) {
            // An iteration that matched nothing would repeat for ever; it ends the loop instead.
            auto more = [&](size_t p) { return p == pos ? kFail : Repeat(node, count + 1, p, next); };
            const long end = Match(node.children.front(), pos, Continuation(more));
            if (end != kFail)
                return end;
        }
        return next(pos);
    }

    // Records what the group took on the way to the rest of the match, and forgets it when that way fails.
    long Group(const Node& node, size_t pos, Continuation next) {
        if (node.group > DigitPattern::kMaxGroups)
            return Match(node.children.front(), pos, next);
        std::pair<int, int>& bounds = m_groups[static_cast<size_t>(node.group)];
        const std::pair<int, int> before = bounds;
        auto close = [&](size_t p) {
            const std::pair<int, int> inner = bounds;
            bounds = {static_cast<int>(pos), static_cast<int>(p)};
            const long end = next(p);
            if (end == kFail)
                bounds = inner;
            return end;
        };
        const long end = Match(node.children.front(), pos, Continuation(close));
        if (end == kFail)
            bounds = before;
        return end;
    }

    const std::vector<Node>& m_nodes;
    std::string_view m_digits;
    int m_steps = 0;
    Groups m_groups;
};

bool HasEnd(const std::vector<Node>& nodes) {
    return std::any_of(nodes.begin(), nodes.end(), [](const Node& n) { return n.kind == Kind::End; });
}

} // namespace

std::optional<DigitPattern> DigitPattern::Compile(std::string_view pattern) {
    DigitPattern compiled;
    Parser parser(pattern, compiled.m_nodes);
    compiled.m_root = parser.Parse();
    if (compiled.m_root < 0)
        return std::nullopt;
    compiled.m_groupCount = parser.GroupCount();
    if (!HasEnd(compiled.m_nodes) && !compiled.BuildAutomaton()) {
        compiled.m_next.clear();
        compiled.m_accepting.clear();
    }
    return compiled;
}

bool DigitPattern::BuildAutomaton() {
    Nfa nfa;
    Nfa::Fragment whole = nfa.Build(m_nodes, m_root);
    nfa.match = nfa.Add(0);
    nfa.Patch(whole.holes, nfa.match);

    // Subset construction. State 0 is the empty set (dead), 1 the start.
    std::map<std::vector<int>, int> ids;
    std::vector<std::vector<int>> sets;
    auto intern = [&](std::vector<int> set) -> int {
        std::sort(set.begin(), set.end());
        const auto it = ids.find(set);
        if (it != ids.end())
            return it->second;
        const int id = static_cast<int>(sets.size());
        ids.emplace(set, id);
        m_accepting.push_back(std::binary_search(set.begin(), set.end(), nfa.match));
        sets.push_back(std::move(set));
        return id;
    };
    // Each closure marks the states it took with a new stamp, so no set of seen states is cleared or allocated.
    std::vector<unsigned> marks(nfa.states.size(), 0);
    std::vector<int> stack;
    unsigned stamp = 0;
    intern({});
    {
        std::vector<int> start;
        nfa.Close(whole.start, start, marks, ++stamp, stack);
        intern(std::move(start));
    }
    for (size_t id = 0; id < sets.size(); ++id) {
        if (sets.size() > static_cast<size_t>(kMaxStates))
            return false;
        for (int d = 0; d < 10; ++d) {
            std::vector<int> next;
            ++stamp;
            for (const int s : sets[id]) {
                const Nfa::State& st = nfa.states[static_cast<size_t>(s)];
                if (st.set & (1u << d))
                    nfa.Close(st.out, next, marks, stamp, stack);
            }
            const int target = intern(std::move(next));
            m_next.resize(sets.size() * 10, kDead);
            m_next[id * 10 + static_cast<size_t>(d)] = target;
        }
    }
    m_next.resize(sets.size() * 10, kDead);
    return true;
}

bool DigitPattern::FullMatch(std::string_view digits) const {
    if (HasAutomaton()) {
        int state = kStart;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                return false;
            state = m_next[static_cast<size_t>(state) * 10 + static_cast<size_t>(c - '0')];
            if (state == kDead)
                return false;
        }
        return m_accepting[static_cast<size_t>(state)];
    }
    Backtracker backtracker(m_nodes, digits);
    auto atEnd = [&](size_t pos) { return pos == digits.size() ? static_cast<long>(pos) : kFail; };
    return backtracker.Match(m_root, 0, Continuation(atEnd)) >= 0;
}

DigitPattern::PrefixResult DigitPattern::PrefixMatchLength(std::string_view digits) const {
    Backtracker backtracker(m_nodes, digits);
    auto anywhere = [](size_t pos) { return static_cast<long>(pos); };
    const long end = backtracker.Match(m_root, 0, Continuation(anywhere));
    PrefixResult result;
    result.groups.fill({-1, -1});
    if (end == kTooComplex) {
        result.outcome = Prefix::TooComplex;
    } else if (end >= 0) {
        result.outcome = Prefix::Match;
        result.length = static_cast<size_t>(end);
        result.groups = backtracker.GroupBounds();
    }
    return result;
}

std::string_view DigitPattern::PrefixResult::Group(std::string_view digits, int index) const {
    if (index < 1 || index > kMaxGroups)
        return {};
    const auto [start, end] = groups[static_cast<size_t>(index)];
    if (start < 0 || end < start || static_cast<size_t>(end) > digits.size())
        return {};
    return digits.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}
