#include "DigitPattern.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr std::uint16_t kAllDigits = 0x3FF; // bit d stands for the digit d
constexpr int kUnbounded = -1;
// A quantifier bound above this would only make the automaton large; the metadata's stay far below.
constexpr int kMaxRepeat = 64;

struct Node {
    enum class Kind { Set, Concat, Alt, Repeat };
    Kind kind = Kind::Concat; // an empty Concat is the empty text
    std::uint16_t set = 0;
    int min = 0;
    int max = 0;
    std::vector<std::unique_ptr<Node>> children;
};
using NodePtr = std::unique_ptr<Node>;

// Recursive descent over the subset; any other character ends the parse with a failure.
class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    NodePtr Parse() {
        NodePtr node = Alternation();
        if (!m_ok || m_pos != m_text.size())
            return nullptr;
        return node;
    }

private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }
    void Fail() { m_ok = false; }

    NodePtr Alternation() {
        auto alt = std::make_unique<Node>();
        alt->kind = Node::Kind::Alt;
        alt->children.push_back(Sequence());
        while (m_ok && Peek() == '|') {
            ++m_pos;
            alt->children.push_back(Sequence());
        }
        if (alt->children.size() == 1)
            return std::move(alt->children.front());
        return alt;
    }

    NodePtr Sequence() {
        auto seq = std::make_unique<Node>();
        seq->kind = Node::Kind::Concat;
        while (m_ok && !AtEnd() && Peek() != '|' && Peek() != ')')
            seq->children.push_back(Quantified());
        return seq;
    }

    NodePtr Quantified() {
        NodePtr atom = Atom();
        while (m_ok && !AtEnd()) {
            int min = 0;
            int max = 0;
            const char c = Peek();
            if (c == '?') {
                min = 0;
                max = 1;
                ++m_pos;
            } else if (c == '*') {
                min = 0;
                max = kUnbounded;
                ++m_pos;
            } else if (c == '+') {
                min = 1;
                max = kUnbounded;
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
            if (!m_ok)
                break;
            auto repeat = std::make_unique<Node>();
            repeat->kind = Node::Kind::Repeat;
            repeat->min = min;
            repeat->max = max;
            repeat->children.push_back(std::move(atom));
            atom = std::move(repeat);
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

    NodePtr SetNode(std::uint16_t set) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Set;
        node->set = set;
        return node;
    }

    NodePtr Atom() {
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
        if (c == '[')
            return Class();
        if (c == '(') {
            ++m_pos;
            if (Peek() == '?') {
                if (m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != ':') {
                    Fail();
                    return SetNode(0);
                }
                m_pos += 2;
            }
            NodePtr inner = Alternation();
            if (Peek() != ')')
                Fail();
            ++m_pos;
            return inner;
        }
        Fail();
        return SetNode(0);
    }

    NodePtr Class() {
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
    size_t m_pos = 0;
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

    Fragment Build(const Node& node) {
        switch (node.kind) {
        case Node::Kind::Set: {
            const int s = Add(node.set);
            return Fragment{s, {s * 2}};
        }
        case Node::Kind::Concat: {
            Fragment f = Empty();
            for (const NodePtr& child : node.children)
                f = Then(std::move(f), Build(*child));
            return f;
        }
        case Node::Kind::Alt: {
            Fragment f = Build(*node.children.back());
            for (size_t i = node.children.size() - 1; i-- > 0;) {
                Fragment left = Build(*node.children[i]);
                const int split = Add(0);
                states[static_cast<size_t>(split)].out = left.start;
                states[static_cast<size_t>(split)].out2 = f.start;
                left.holes.insert(left.holes.end(), f.holes.begin(), f.holes.end());
                f = Fragment{split, std::move(left.holes)};
            }
            return f;
        }
        case Node::Kind::Repeat: {
            const Node& child = *node.children.front();
            Fragment f = Empty();
            for (int i = 0; i < node.min; ++i)
                f = Then(std::move(f), Build(child));
            if (node.max == kUnbounded) {
                Fragment body = Build(child);
                const int split = Add(0);
                states[static_cast<size_t>(split)].out = body.start;
                Patch(body.holes, split);
                f = Then(std::move(f), Fragment{split, {split * 2 + 1}});
            } else {
                for (int i = node.min; i < node.max; ++i)
                    f = Then(std::move(f), Optional(Build(child)));
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

} // namespace

std::optional<DigitPattern> DigitPattern::Compile(std::string_view pattern) {
    const NodePtr root = Parser(pattern).Parse();
    if (!root)
        return std::nullopt;

    Nfa nfa;
    Nfa::Fragment whole = nfa.Build(*root);
    nfa.match = nfa.Add(0);
    nfa.Patch(whole.holes, nfa.match);

    // Subset construction. DFA state 0 is the empty set (dead), 1 the start.
    DigitPattern dfa;
    std::map<std::vector<int>, int> ids;
    std::vector<std::vector<int>> sets;
    auto intern = [&](std::vector<int> set) -> int {
        std::sort(set.begin(), set.end());
        const auto it = ids.find(set);
        if (it != ids.end())
            return it->second;
        const int id = static_cast<int>(sets.size());
        ids.emplace(set, id);
        dfa.m_accepting.push_back(std::binary_search(set.begin(), set.end(), nfa.match));
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
            return std::nullopt;
        for (int d = 0; d < 10; ++d) {
            std::vector<int> next;
            ++stamp;
            for (const int s : sets[id]) {
                const Nfa::State& st = nfa.states[static_cast<size_t>(s)];
                if (st.set & (1u << d))
                    nfa.Close(st.out, next, marks, stamp, stack);
            }
            const int target = intern(std::move(next));
            dfa.m_next.resize(sets.size() * 10, kDead);
            dfa.m_next[id * 10 + static_cast<size_t>(d)] = target;
        }
    }
    dfa.m_next.resize(sets.size() * 10, kDead);

    // A state is live when an accepting state can be reached from it.
    dfa.m_live = dfa.m_accepting;
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t s = 0; s < sets.size(); ++s) {
            if (dfa.m_live[s])
                continue;
            for (int d = 0; d < 10; ++d) {
                if (dfa.m_live[static_cast<size_t>(dfa.m_next[s * 10 + static_cast<size_t>(d)])]) {
                    dfa.m_live[s] = true;
                    changed = true;
                    break;
                }
            }
        }
    }
    return dfa;
}

bool DigitPattern::FullMatch(std::string_view digits) const {
    int state = kStart;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        state = Step(state, c);
        if (state == kDead)
            return false;
    }
    return m_accepting[static_cast<size_t>(state)];
}

bool DigitPattern::MatchesSomethingStartingWith(std::string_view prefix) const {
    int state = kStart;
    for (const char c : prefix) {
        if (c < '0' || c > '9')
            return false;
        state = Step(state, c);
    }
    return m_live[static_cast<size_t>(state)];
}

bool DigitPattern::MatchesNonEmptyPrefixOf(std::string_view digits) const {
    int state = kStart;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        state = Step(state, c);
        if (m_accepting[static_cast<size_t>(state)])
            return true;
        if (!m_live[static_cast<size_t>(state)])
            return false;
    }
    return false;
}
