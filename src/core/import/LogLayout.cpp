#include "import/LogLayout.h"

#include <utility>

namespace larkspan {

namespace {

constexpr const char* kNcsaPrefix = "#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes";

}  // namespace

LayoutFields commaSeparatedFields()
{
    return {"#Fields: c-ip cs-username date time s-sitename s-computername s-ip time-taken cs-bytes sc-bytes sc-status "
            "sc-win32-status cs-method cs-uri-stem cs(Cookie)",
            3};
}

LayoutFields ncsaCommonFields() { return {kNcsaPrefix, 4}; }

LayoutFields ncsaSiteFields()
{
    return {"#Fields: c-ip s-sitename s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes "
            "cs(Referer) cs(User-Agent)",
            5};
}

LayoutFields ncsaCombinedFields(std::size_t fieldCount)
{
    switch (fieldCount) {
    case 11:
        return {"#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes cs(Referer)", 4};
    case 12:
        return {"#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes cs(Referer) "
                "cs(User-Agent)",
                4};
    case 13:
        return {"#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes cs(Referer) "
                "cs(User-Agent) cs(Cookie)",
                4};
    default:
        return {nullptr, 4};
    }
}

NetscapeFormat parseNetscapeFormat(std::string_view formatLine)
{
    static const std::pair<std::string_view, std::vector<std::string>> kPieces[] = {
        {"client.ip", {"c-ip"}},
        {"vars.auth-user", {"authuser"}},
        {"SYSDATE", {"date", "time"}},
        {"reqpb.clf-request", {"cs-method", "cs-uri-stem", "cs-version"}},
        {"srvhdrs.clf-status", {"sc-status"}},
        {"srvhdrs.content-length", {"sc-bytes"}},
        {"headers.referer", {"cs(Referer)"}},
        {"headers.user-agent", {"cs(User-Agent)"}},
        {"headers.cookie", {"cs(Cookie)"}},
        {" - ", {"-"}},
    };
    std::string line(formatLine);
    for (std::string_view prefix : {std::string_view("Ses->"), std::string_view("Req->")}) {
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = line.find(prefix); at != std::string::npos; at = line.find(prefix, from)) {
            out.append(line, from, at - from);
            from = at + prefix.size();
        }
        out.append(line, from);
        line.swap(out);
    }
    NetscapeFormat format;
    std::size_t number = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t percent = line.find('%', start);
        const std::string_view piece =
            std::string_view(line).substr(start, percent == std::string::npos ? std::string::npos : percent - start);
        if (piece.empty()) break;
        for (const auto& [name, fields] : kPieces) {
            if (piece != name) continue;
            if (name == "SYSDATE" && number > 0) format.datePosition = number - 1;
            format.names.insert(format.names.end(), fields.begin(), fields.end());
        }
        if (percent == std::string::npos) break;
        start = percent + 1;
        ++number;
    }
    return format;
}

std::string headerBlock(const std::vector<std::string>& directives)
{
    bool tab = false;
    for (const auto& line : directives)
        if (line.find('\t') != std::string::npos) tab = true;
    const char d = tab ? '\t' : ' ';
    std::string block = "#FileFormat:";
    block += d;
    block += "LKLT\r\n#Delim:";
    block += d;
    block += tab ? "TABDELIMITED" : "SPACEDELIMITED";
    for (const auto& line : directives) {
        block += "\r\n";
        block += line;
    }
    return block;
}

}  // namespace larkspan
