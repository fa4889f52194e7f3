#include "analysis/RequestClass.h"

#include "common/Text.h"

#include <array>
#include <cstdint>

namespace larkspan::analysis {

namespace {

// Every listed extension fits in eight bytes, so an extension is packed into
// one integer (its leading dot keeps extensions of different lengths apart)
// and looked up in a small open-addressed table.
constexpr std::size_t kMaxPacked = 8;

std::uint64_t pack(std::string_view s)
{
    std::uint64_t v = 0;
    for (char c : s)
        v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

class ExtensionTable {
  public:
    ExtensionTable()
    {
        // The first list naming an extension decides, as the lists are tried in this order.
        add(kPageExtensions, HitType::Page);
        add(kDownloadExtensions, HitType::Download);
        add(kImageExtensions, HitType::Image);
    }

    // The hit type of a listed extension, Other for the rest.
    HitType find(std::uint64_t packed) const
    {
        for (std::size_t at = slotOf(packed);; at = (at + 1) % kSlots) {
            if (slots_[at].packed == packed) return slots_[at].type;
            if (slots_[at].packed == 0) return HitType::Other;
        }
    }

  private:
    static constexpr std::size_t kSlots = 128; // well over twice the entries
    struct Slot {
        std::uint64_t packed = 0; // 0: empty
        HitType type = HitType::Other;
    };

    static std::size_t slotOf(std::uint64_t packed)
    {
        return static_cast<std::size_t>((packed * 0x9E3779B97F4A7C15ull) >> 57);
    }

    void add(std::string_view list, HitType type)
    {
        std::size_t start = 0;
        while (start < list.size()) {
            const std::size_t end = list.find(';', start);
            const std::uint64_t packed = pack(list.substr(start, end - start));
            std::size_t at = slotOf(packed);
            while (slots_[at].packed != 0 && slots_[at].packed != packed)
                at = (at + 1) % kSlots;
            if (slots_[at].packed == 0) slots_[at] = Slot{packed, type};
            start = end + 1;
        }
    }

    std::array<Slot, kSlots> slots_{};
};

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

HitType classify(std::string_view path)
{
    if (path.empty() || path.back() == '/') return HitType::Page;
    // The last dot, and whether a backslash or colon follows it.
    std::size_t dot = path.size();
    bool cut = false;
    while (dot > 0) {
        const char c = path[--dot];
        if (c == '.') break;
        cut = cut || c == '\\' || c == ':';
    }
    if (path[dot] != '.' || cut) return HitType::Page;
    std::string_view ext = path.substr(dot);
    while (!ext.empty() && isBlank(ext.back()))
        ext.remove_suffix(1);
    if (ext.empty()) return HitType::Page;
    if (ext.size() > kMaxPacked) return HitType::Other;
    char lowered[kMaxPacked];
    for (std::size_t i = 0; i < ext.size(); ++i)
        lowered[i] = text::lower(ext[i]);
    static const ExtensionTable table;
    return table.find(pack(std::string_view(lowered, ext.size())));
}

bool isCountedMethod(std::string_view method)
{
    return text::iequals(method, "GET") || text::iequals(method, "HEAD");
}

} // namespace larkspan::analysis
