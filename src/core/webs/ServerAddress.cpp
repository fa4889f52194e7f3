#include "webs/ServerAddress.h"

#include "common/Text.h"

namespace larkspan {

std::string serverAddressOf(std::string_view typed)
{
    std::string address = text::trim(typed);
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (text::istartsWith(address, scheme)) {
            address.erase(0, scheme.size());
            break;
        }
    }
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

std::optional<std::string> serverAddressProblem(std::string_view address)
{
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f)
            return "The Server URL cannot hold spaces, tabs or control characters: they would split every record "
                   "imported into this web.";
    }
    return std::nullopt;
}

}  // namespace larkspan
