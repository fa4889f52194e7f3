#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

// The source layouts the import recognises. ApacheVirtualHost is Apache's
// "vhost_combined": the combined record led by the site's host:port.
enum class LogLayout {
    W3cExtended,
    CommaSeparated,
    NcsaCommon,
    NcsaCombined,
    NcsaSite,
    NetscapeFlexible,
    ApacheVirtualHost
};

// The "#Fields:" line written for a layout with a fixed field list, and the
// 1-based position of the date among a record's fields.
struct LayoutFields {
    const char* fields;
    std::size_t datePosition;
};
LayoutFields commaSeparatedFields();
LayoutFields ncsaCommonFields();
LayoutFields ncsaSiteFields();
// NCSA combined chooses its line by the field count of the first record:
// 11, 12 or 13 fields; any other count writes no "#Fields:" line (nullptr).
LayoutFields ncsaCombinedFields(std::size_t fieldCount);
// The fields of a combined record that a server extends past the user agent
// (request time, host ...): the extra fields are cut off.
constexpr std::size_t kCombinedFieldCount = 12;

// A Netscape flexible "format=" line turned into canonical field names
// (s-ip not included) and the date position (0 when the format has none).
struct NetscapeFormat {
    std::vector<std::string> names;
    std::size_t datePosition = 0;
};
NetscapeFormat parseNetscapeFormat(std::string_view formatLine);

// A header block: "#FileFormat:" and "#Delim:" followed by the directive
// lines, joined by CR LF. The delimiter is a TAB when any directive line
// holds one, otherwise a blank.
std::string headerBlock(const std::vector<std::string>& directives);

}  // namespace larkspan
