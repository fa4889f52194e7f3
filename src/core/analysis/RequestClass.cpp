#include "analysis/RequestClass.h"

#include "common/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace larkspan::analysis {

namespace {

// Every listed extension fits in eight bytes, so an extension is packed into
// one integer and looked up in a sorted table.
constexpr std::size_t kMaxPacked = 8;

std::uint64_t pack(std::string_view s)
{
    std::uint64_t v = 0;
    for (char c : s) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

std::vector<std::uint64_t> packedList(std::string_view list)
{
    std::vector<std::uint64_t> out;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = list.find(';', start);
        out.push_back(pack(list.substr(start, end - start)));
        start = end + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct PackedLists {
    std::vector<std::uint64_t> pages = packedList(kPageExtensions);
    std::vector<std::uint64_t> downloads = packedList(kDownloadExtensions);
    std::vector<std::uint64_t> images = packedList(kImageExtensions);
};

const PackedLists& lists()
{
    static const PackedLists instance;
    return instance;
}

bool listed(const std::vector<std::uint64_t>& list, std::uint64_t packed)
{
    return std::binary_search(list.begin(), list.end(), packed);
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

HitType classify(std::string_view path)
{
    const bool endsWithSlash = !path.empty() && path.back() == '/';
    const std::size_t dot = path.rfind('.');
    std::string_view ext;
    if (dot != std::string_view::npos) {
        ext = path.substr(dot);
        if (ext.find('\\') != std::string_view::npos || ext.find(':') != std::string_view::npos) ext = {};
        while (!ext.empty() && isBlank(ext.back())) ext.remove_suffix(1);
    }
    if (ext.empty() || endsWithSlash) return HitType::Page;
    if (ext.size() > kMaxPacked) return HitType::Other;
    char lowered[kMaxPacked];
    for (std::size_t i = 0; i < ext.size(); ++i) lowered[i] = text::lower(ext[i]);
    const std::uint64_t packed = pack(std::string_view(lowered, ext.size()));
    const PackedLists& l = lists();
    if (listed(l.pages, packed)) return HitType::Page;
    if (listed(l.downloads, packed)) return HitType::Download;
    if (listed(l.images, packed)) return HitType::Image;
    return HitType::Other;
}

bool isCountedMethod(std::string_view method)
{
    return text::iequals(method, "GET") || text::iequals(method, "HEAD");
}

}  // namespace larkspan::analysis
