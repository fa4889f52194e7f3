#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

// A fixed list of texts looked for in other texts, ignoring ASCII case
// (text::lower), in one pass over the searched text whatever the list's
// length: an Aho-Corasick automaton over byte classes. Answers are pattern
// indexes in list order, so "the first listed that occurs" is the same as
// trying each pattern in turn. Empty patterns never match. Built once,
// then only read: one set may be shared by threads.
class TextPatternSet {
  public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    TextPatternSet() : TextPatternSet(std::vector<std::string_view>{}) {}
    explicit TextPatternSet(const std::vector<std::string_view>& patterns);
    explicit TextPatternSet(const std::vector<std::string>& patterns);

    // The lowest index of a pattern occurring anywhere in the text, or npos.
    std::size_t firstFound(std::string_view text) const;
    // Every index of a pattern occurring in the text, each once, ascending.
    void allFound(std::string_view text, std::vector<std::size_t>& found) const;
    // True when a pattern occurs anywhere in the text.
    bool containsAny(std::string_view text) const;
    // True when the text begins with a pattern.
    bool beginsWithAny(std::string_view text) const;

    bool empty() const { return patternCount_ == 0; }

  private:
    // A state is named by the offset of its row in the transition table
    // (state number << rowShift_; rows are a power of two wide); a
    // transition also carries kHasOutput when a pattern ends at its target,
    // so the scan reads one table per byte, and kTrieEdge when it spells one
    // byte more of a pattern's beginning (not a fallback to a shorter text).
    using State = std::uint32_t;
    static constexpr std::uint32_t kNone = UINT32_MAX;
    static constexpr std::uint32_t kHasOutput = 0x80000000u;
    static constexpr std::uint32_t kTrieEdge = 0x40000000u;
    static constexpr std::uint32_t kFlags = kHasOutput | kTrieEdge;

    std::uint32_t step(State row, char c) const
    {
        return transitions_[row + byteClass_[static_cast<unsigned char>(c)]];
    }
    std::size_t numberOf(State row) const { return row >> rowShift_; }
    std::size_t rowOf(std::size_t state) const { return state << rowShift_; }

    void assignByteClasses(const std::vector<std::string_view>& patterns);
    void buildTrie(const std::vector<std::string_view>& patterns, std::vector<std::vector<std::uint32_t>>& own);
    void linkFailures(const std::vector<std::vector<std::uint32_t>>& own);

    std::size_t patternCount_ = 0;
    std::size_t classCount_ = 1; // class 0: bytes in no pattern
    unsigned rowShift_ = 0;
    std::array<std::uint8_t, 256> byteClass_{}; // capitals share their small letter's class
    std::vector<std::uint32_t> transitions_;    // complete: row + class gives the target row | flags
    std::vector<std::uint32_t> depth_;          // while building: length of the text a state stands for
    std::vector<std::uint32_t> firstOutput_;    // lowest pattern ending at the state, or kNone
    std::vector<std::uint32_t> outputStart_;    // the state's patterns: outputs_[start, start of next state)
    std::vector<std::uint32_t> outputs_;        // ascending per state
    std::vector<std::uint32_t> ownPattern_;     // lowest pattern spelt by exactly this state, or kNone
};

} // namespace larkspan
