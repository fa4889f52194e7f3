#include "common/TextPatternSet.h"

#include "common/Text.h"

#include <algorithm>
#include <stdexcept>

namespace larkspan {

namespace {

std::vector<std::string_view> viewsOf(const std::vector<std::string>& patterns)
{
    return {patterns.begin(), patterns.end()};
}

// The states of the patterns' trie: the root and one per distinct
// beginning of a pattern, letter case aside. Sorted, each pattern adds the
// bytes it does not share with the one before it.
std::size_t trieStateCount(const std::vector<std::string_view>& patterns)
{
    std::vector<std::string> folded;
    folded.reserve(patterns.size());
    for (const std::string_view pattern : patterns)
        folded.push_back(text::toLower(pattern));
    std::sort(folded.begin(), folded.end());
    std::size_t states = 1;
    std::string_view previous;
    for (const std::string& pattern : folded) {
        const std::size_t shared =
            static_cast<std::size_t>(std::mismatch(pattern.begin(), pattern.end(), previous.begin(), previous.end()).first -
                                     pattern.begin());
        states += pattern.size() - shared;
        previous = pattern;
    }
    return states;
}

} // namespace

TextPatternSet::TextPatternSet(const std::vector<std::string>& patterns) : TextPatternSet(viewsOf(patterns)) {}

TextPatternSet::TextPatternSet(const std::vector<std::string_view>& patterns)
{
    assignByteClasses(patterns);
    std::size_t letters = 0;
    for (const std::string_view pattern : patterns)
        letters += pattern.size();
    if (rowOf(letters + 1) >= kTrieEdge) throw std::length_error("too many texts to look for");
    std::vector<std::vector<std::uint32_t>> own;
    buildTrie(patterns, own);
    linkFailures(own);
}

void TextPatternSet::assignByteClasses(const std::vector<std::string_view>& patterns)
{
    for (const std::string_view pattern : patterns) {
        if (!pattern.empty()) ++patternCount_;
        for (const char c : pattern) {
            const auto folded = static_cast<unsigned char>(text::lower(c));
            if (byteClass_[folded] == 0) byteClass_[folded] = static_cast<std::uint8_t>(classCount_++);
        }
    }
    for (int c = 'A'; c <= 'Z'; ++c)
        byteClass_[c] = byteClass_[c - 'A' + 'a'];
    while ((std::size_t{1} << rowShift_) < classCount_)
        ++rowShift_;
}

void TextPatternSet::buildTrie(const std::vector<std::string_view>& patterns,
                               std::vector<std::vector<std::uint32_t>>& own)
{
    // The table is made whole at once: grown row by row it would be copied
    // again and again.
    const std::size_t states = trieStateCount(patterns);
    transitions_.assign(rowOf(states), kNone);
    depth_.reserve(states);
    own.reserve(states);
    const auto addState = [&](std::uint32_t depth) {
        if (transitions_.size() < rowOf(depth_.size() + 1)) transitions_.resize(rowOf(depth_.size() + 1), kNone);
        depth_.push_back(depth);
        own.emplace_back();
        return static_cast<State>(depth_.size() - 1);
    };
    addState(0);
    for (std::size_t index = 0; index < patterns.size(); ++index) {
        const std::string_view pattern = patterns[index];
        if (pattern.empty()) continue;
        State state = 0;
        for (const char c : pattern) {
            const std::size_t slot = rowOf(state) + byteClass_[static_cast<unsigned char>(c)];
            if (transitions_[slot] == kNone) {
                const State child = addState(depth_[state] + 1);
                transitions_[slot] = child; // addState may have moved the table, not the slot's index
            }
            state = transitions_[slot];
        }
        own[state].push_back(static_cast<std::uint32_t>(index));
    }
    transitions_.resize(rowOf(depth_.size()));
}

// Breadth first, so a state's failure (a shorter text) is complete before
// the state borrows its transitions and patterns.
void TextPatternSet::linkFailures(const std::vector<std::vector<std::uint32_t>>& own)
{
    const std::size_t stateCount = depth_.size();
    std::vector<State> failure(stateCount, 0);
    std::vector<std::vector<std::uint32_t>> found(stateCount);
    std::vector<State> order{0};
    for (std::size_t at = 0; at < order.size(); ++at) {
        const State state = order[at];
        found[state] = own[state];
        if (state != 0)
            found[state].insert(found[state].end(), found[failure[state]].begin(), found[failure[state]].end());
        std::sort(found[state].begin(), found[state].end());
        for (std::size_t c = 0; c < classCount_; ++c) {
            State& slot = transitions_[rowOf(state) + c];
            const State borrowed = state == 0 ? 0 : transitions_[rowOf(failure[state]) + c];
            if (slot == kNone) {
                slot = borrowed;
            } else {
                failure[slot] = borrowed;
                order.push_back(slot);
            }
        }
    }
    for (State state = 0; state < stateCount; ++state) {
        ownPattern_.push_back(own[state].empty() ? kNone : own[state].front());
        firstOutput_.push_back(found[state].empty() ? kNone : found[state].front());
        outputStart_.push_back(static_cast<std::uint32_t>(outputs_.size()));
        outputs_.insert(outputs_.end(), found[state].begin(), found[state].end());
    }
    outputStart_.push_back(static_cast<std::uint32_t>(outputs_.size()));
    for (std::size_t slot = 0; slot < transitions_.size(); ++slot) {
        std::uint32_t& target = transitions_[slot];
        if (target == kNone) target = 0; // the padding of a row: no byte has its class
        const bool deeper = depth_[target] == depth_[numberOf(static_cast<State>(slot))] + 1;
        target = static_cast<std::uint32_t>(rowOf(target)) | (firstOutput_[target] != kNone ? kHasOutput : 0) |
                 (deeper ? kTrieEdge : 0);
    }
    depth_.clear();
    depth_.shrink_to_fit();
}

std::size_t TextPatternSet::firstFound(std::string_view text) const
{
    if (patternCount_ == 0) return npos;
    std::uint32_t best = kNone;
    State row = 0;
    for (const char c : text) {
        const std::uint32_t target = step(row, c);
        row = target & ~kFlags;
        if ((target & kHasOutput) && firstOutput_[numberOf(row)] < best) {
            best = firstOutput_[numberOf(row)];
            if (best == 0) break;
        }
    }
    return best == kNone ? npos : best;
}

bool TextPatternSet::containsAny(std::string_view text) const
{
    if (patternCount_ == 0) return false;
    State row = 0;
    for (const char c : text) {
        const std::uint32_t target = step(row, c);
        if (target & kHasOutput) return true;
        row = target & ~kFlags;
    }
    return false;
}

void TextPatternSet::allFound(std::string_view text, std::vector<std::size_t>& found) const
{
    found.clear();
    if (patternCount_ == 0) return;
    State row = 0;
    for (const char c : text) {
        const std::uint32_t target = step(row, c);
        row = target & ~kFlags;
        if (target & kHasOutput) {
            const std::size_t state = numberOf(row);
            found.insert(found.end(), outputs_.begin() + outputStart_[state],
                         outputs_.begin() + outputStart_[state + 1]);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
}

bool TextPatternSet::beginsWithAny(std::string_view text) const
{
    State row = 0;
    for (const char c : text) {
        const std::uint32_t target = step(row, c);
        // A fallback to a shorter text: no pattern begins with what was read.
        if (!(target & kTrieEdge)) return false;
        row = target & ~kFlags;
        if (ownPattern_[numberOf(row)] != kNone) return true;
    }
    return false;
}

} // namespace larkspan
