#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace larkspan::tracker {

// What one spelling of a client resolves to on a date: its visitor, the
// group of its request lines and the date, host and client part they
// begin with.
struct ResolvedClient {
    std::string_view spelling;
    std::size_t visitor = 0;
    std::size_t group = 0;
    std::string_view prefix;
};

// The spellings met lately and what they resolved to, in an open-addressed
// table. It grows up to kMostSpellings and is then emptied: when every
// record brings a new client, memory stays bounded and a spelling met again
// after that is simply resolved again. Spellings are views: their texts
// must outlive their entries.
class ClientSpellings {
  public:
    static constexpr std::size_t kMostSpellings = std::size_t{1} << 16;

    // The entry of the spelling, or null.
    const ResolvedClient* find(std::string_view spelling) const
    {
        if (slots_.empty()) return nullptr;
        const std::uint64_t hash = hashOf(spelling);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (!slot.used) return nullptr;
            if (slot.hash == hash && slot.resolved.spelling == spelling) return &slot.resolved;
        }
    }

    // Adds a spelling that find() does not know.
    void add(const ResolvedClient& resolved)
    {
        if (count_ + 1 > slots_.size() / 2) grow();
        place(Slot{hashOf(resolved.spelling), resolved, true});
        ++count_;
    }

    void clear()
    {
        slots_.assign(slots_.size(), Slot{});
        count_ = 0;
    }

  private:
    struct Slot {
        std::uint64_t hash = 0;
        ResolvedClient resolved;
        bool used = false;
    };

    static std::uint64_t hashOf(std::string_view s) { return std::hash<std::string_view>{}(s); }

    void place(const Slot& entry)
    {
        std::size_t at = entry.hash & mask_;
        while (slots_[at].used)
            at = (at + 1) & mask_;
        slots_[at] = entry;
    }

    void grow()
    {
        if (slots_.size() >= 2 * kMostSpellings) {
            clear();
            return;
        }
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old)
            if (slot.used) place(slot);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

} // namespace larkspan::tracker
