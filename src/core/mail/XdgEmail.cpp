#include "mail/XdgEmail.h"

#include "mail/EmlWriter.h"

namespace larkspan {

namespace {

bool isUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string utf8(const std::string& s)
{
    if (isUtf8(s)) return s;
    std::string out;
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string oneLine(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

std::vector<std::string> xdgEmailArguments(const MailMessage& message)
{
    std::vector<std::string> args{"xdg-email", "--utf8", "--subject", utf8(oneLine(message.subject))};
    std::string body;
    for (std::size_t i = 0; i < message.lines.size(); ++i) body += (i ? "\n" : "") + utf8(message.lines[i]);
    args.insert(args.end(), {"--body", body});
    for (const std::string& file : message.attachments) args.insert(args.end(), {"--attach", file});
    for (const std::string& address : mailAddresses(message.recipients))
        if (address.front() != '-') args.push_back(utf8(address));
    return args;
}

}  // namespace larkspan
