#include "tracker/TrackerLine.h"

namespace larkspan::tracker {

void appendField(std::string& line, std::string_view field, bool first)
{
    if (!first) line += ',';
    bool plain = true;
    for (const char c : field) {
        if (c == ',' || c == '"') {
            plain = false;
            break;
        }
    }
    if (plain) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

std::string joinFields(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        appendField(line, fields[i], i == 0);
    return line;
}

std::vector<std::string> splitFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        const std::size_t comma = line.find(',', i);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        field.append(line.substr(i, end - i));
        fields.push_back(std::move(field));
        if (comma == std::string_view::npos) break;
        i = comma + 1;
    }
    return fields;
}

}  // namespace larkspan::tracker
