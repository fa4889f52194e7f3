#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace larkspan::tracker {

// Copies of texts at addresses that never move, kept in large blocks until
// the store goes: tables can then hold views of them, with no allocation
// for each.
class StableTexts {
  public:
    std::string_view keep(std::string_view text)
    {
        if (text.empty()) return {};
        if (text.size() > size_ - used_) {
            size_ = std::max(kBlock, text.size());
            blocks_.push_back(std::make_unique<char[]>(size_));
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        std::memcpy(at, text.data(), text.size());
        used_ += text.size();
        return {at, text.size()};
    }

  private:
    static constexpr std::size_t kBlock = 64 << 10;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0;
    std::size_t size_ = 0;
};

} // namespace larkspan::tracker
