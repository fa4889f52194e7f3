#include "analysis/RequestClass.h"

#include "analysis/FoldedKey.h"
#include "common/Text.h"

#include <array>
#include <cstdint>

namespace larkspan::analysis {

namespace {

// Every listed extension fits in eight bytes, so an extension (with its dot)
// is packed into one integer beside its length, ASCII capitals lowered, and
// looked up in a small open-addressed table.
constexpr std::size_t kMaxPacked = 8;

std::uint64_t pack(std::string_view s)
{
    return folded::lowerWord(folded::loadShort(s.data(), s.size()));
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

    // The hit type of an extension of up to kMaxPacked bytes: its list's, Other for the rest.
    HitType find(std::string_view extension) const
    {
        const std::uint64_t packed = pack(extension);
        for (std::size_t at = slotOf(packed);; at = (at + 1) % kSlots) {
            const Slot& slot = slots_[at];
            if (slot.length == 0) return HitType::Other;
            if (slot.packed == packed && slot.length == extension.size()) return slot.type;
        }
    }

  private:
    static constexpr std::size_t kSlots = 128; // well over twice the entries
    struct Slot {
        std::uint64_t packed = 0;
        std::size_t length = 0; // 0: empty
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
            const std::string_view extension = list.substr(start, end - start);
            if (find(extension) == HitType::Other) {
                std::size_t at = slotOf(pack(extension));
                while (slots_[at].length != 0)
                    at = (at + 1) % kSlots;
                slots_[at] = Slot{pack(extension), extension.size(), type};
            }
            start = end + 1;
        }
    }

    std::array<Slot, kSlots> slots_{};
};

// What a byte means to the scan of a path's end.
enum PathByte : std::uint8_t {
    kDot = 1,
    kCut = 2,     // ends a hit type's extension: backslash, colon
    kSegment = 4, // ends the last segment: slash, backslash
};

constexpr std::array<std::uint8_t, 256> pathBytes()
{
    std::array<std::uint8_t, 256> kinds{};
    kinds['.'] = kDot;
    kinds[':'] = kCut;
    kinds['/'] = kSegment;
    kinds['\\'] = kCut | kSegment;
    return kinds;
}

constexpr std::array<std::uint8_t, 256> kPathBytes = pathBytes();

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

PathEnding classifyEnding(std::string_view path)
{
    PathEnding ending;
    // Back to the last dot, noting what follows it.
    std::size_t dot = path.size();
    unsigned after = 0;
    while (dot > 0) {
        const unsigned kind = kPathBytes[static_cast<unsigned char>(path[--dot])];
        if (kind == kDot) break;
        after |= kind;
    }
    if (path.empty() || path[dot] != '.') return ending; // no extension: a page
    if ((after & kSegment) == 0) ending.extension = path.substr(dot + 1);
    // A path ending in "/" is a page; so is one whose extension a backslash
    // or colon cuts off. The hit type's extension keeps its dot and loses
    // trailing blanks.
    if (path.back() == '/' || (after & kCut) != 0) return ending;
    std::size_t end = path.size();
    while (end > dot + 1 && isBlank(path[end - 1]))
        --end;
    static const ExtensionTable table;
    ending.type = end - dot > kMaxPacked ? HitType::Other : table.find(path.substr(dot, end - dot));
    return ending;
}

HitType classify(std::string_view path)
{
    return classifyEnding(path).type;
}

bool isCountedMethod(std::string_view method)
{
    // c | 0x20 is the lower case of a letter c and no other byte's.
    const auto is = [&method](std::size_t i, char lowered) { return (method[i] | 0x20) == lowered; };
    if (method.size() == 3) return is(0, 'g') && is(1, 'e') && is(2, 't');
    return method.size() == 4 && is(0, 'h') && is(1, 'e') && is(2, 'a') && is(3, 'd');
}

} // namespace larkspan::analysis
