#include "reports/TemplateEngine.h"

#include "common/Error.h"
#include "common/Text.h"
#include "common/Utf8.h"
#include "platform/EventPump.h"
#include "reports/ReportGrid.h"
#include "reports/ReportTemplates.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace larkspan {

namespace {

long long readWidth(const std::string& cell)
{
    long long value = 0;
    if (!text::parseInteger(text::trim(cell), value)) throw Error("'" + cell + "' is not a valid integer value");
    return value;
}

std::string prepareFirstColumn(std::string value, long long limit, long long minimum)
{
    if (limit >= 0 && static_cast<long long>(value.size()) > limit) {
        const long long keep = limit - 3 > 0 ? limit - 3 : 0;
        value = value.substr(0, static_cast<std::size_t>(keep)) + "...";
    }
    if (minimum > 0 && static_cast<long long>(value.size()) < minimum)
        value.append(static_cast<std::size_t>(minimum) - value.size(), ' ');
    return value;
}

const char* const kHeaderPlaceholders[] = {
    "XXXGenerator",       "XXXReportTitle",     "XXXFileCreationTime",
    "XXXDaily",           "XXXStartDate",       "XXXEndDate",
    "XXXAboutThisReport", "XXXNumOfDays",       "XXXUnitsOfMeasurement",
    "XXXQuennetGraphic",  "XXXCopyrightNotice", "XXXVersion",
    "XXXGraph",
};
// Cells (column, row) of the placeholders above, in the same order.
const int kHeaderCells[][2] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 1}, {1, 1},
                               {2, 1}, {3, 1}, {4, 1}, {0, 2}, {1, 2}, {2, 2}};

// RFC 4180: a cell holding a comma, a double quote or a line break goes in
// double quotes with its quotes doubled; any other cell stays as it is.
std::string csvCell(std::string value)
{
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// A cell of log text that a spreadsheet would take for a formula is
// prefixed with "'", so that it shows as text and runs nothing.
std::string csvLogCell(std::string value)
{
    if (!value.empty() && std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos)
        value.insert(0, 1, '\'');
    return csvCell(std::move(value));
}

// Header texts stand inside the template's own cells: what would split a
// cell or a line becomes a blank.
std::string csvInlineText(std::string value)
{
    for (char& c : value)
        if (c == ',' || c == '\r' || c == '\n') c = ' ';
    return value;
}

std::string fileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string safeLinkTarget(const std::string& target)
{
    // Browsers ignore leading blanks and controls and drop tabs and line
    // breaks anywhere in a URL before they look for its scheme.
    std::string probe;
    for (char c : target)
        if (c != '\t' && c != '\r' && c != '\n') probe += c;
    std::size_t start = 0;
    while (start < probe.size() && static_cast<unsigned char>(probe[start]) <= ' ')
        ++start;
    probe.erase(0, start);
    const std::size_t colon = probe.find(':');
    const std::size_t stop = probe.find_first_of("/?#");
    if (colon != std::string::npos && (stop == std::string::npos || colon < stop)) {
        const std::string scheme = text::toLower(probe.substr(0, colon));
        if (scheme != "http" && scheme != "https" && scheme != "ftp") return "#";
    }
    return escapeLogText(target);
}

TemplateEngine::TemplateEngine(const ReportGrid& grid, std::string missingDates, ThrottledPump* pump)
    : grid_(grid), missingDates_(std::move(missingDates)), pump_(pump)
{
}

// A literal run of the detail section or one of its placeholders.
struct TemplateEngine::Piece {
    enum Kind { Literal, Color, Number, HttpTarget, OwnTarget, Display, Column0, Column1, Column2, Column3, Column4 };
    Kind kind;
    std::string literal;
};

namespace {

// The placeholder texts of a detail section; a link target between quotes
// is its own kind so that it is escaped for an attribute.
const std::pair<const char*, int> kDetailTokens[] = {
    {"XXXRowColor", 1},        {"XXXRowNumber", 2},   {"\"http://XXXDispRecCol0\"", 3},
    {"\"XXXDispRecCol0\"", 4}, {"XXXDispRecCol0", 5}, {"XXXRecCol0", 6},
    {"XXXRecCol1", 7},         {"XXXRecCol2", 8},     {"XXXRecCol3", 9},
    {"XXXRecCol4", 10},
};

// A link to "http://" without a server address ("http:///a.html",
// "http://-/a.html", as logs without one give) leads nowhere: its text
// stays, the anchor goes. Targets are escaped, so the tag ends at its ">".
// The page is copied once with the dropped tags left out: a cell listing
// thousands of such links costs no more than its length.
void unlinkWithoutServer(std::string& html)
{
    static const std::string_view open = "<a href=\"http://";
    static const std::string_view close = "</a>";
    std::string out;
    std::size_t copied = 0;                 // html is in out up to here
    std::vector<std::size_t> droppedCloses; // ascending; the ones before copied are done
    std::size_t nextDropped = 0;
    const auto copyUpTo = [&](std::size_t end) {
        for (; nextDropped < droppedCloses.size() && droppedCloses[nextDropped] < end; ++nextDropped) {
            const std::size_t at = droppedCloses[nextDropped];
            if (at >= copied) out.append(html, copied, at - copied);
            copied = std::max(copied, at + close.size());
        }
        if (end > copied) out.append(html, copied, end - copied);
        copied = std::max(copied, end);
    };
    std::size_t searchCloseFrom = 0;
    for (std::size_t at = html.find(open); at != std::string::npos;) {
        const std::size_t host = at + open.size();
        const std::size_t hostEnd = html.find_first_of("/\"", host);
        if (hostEnd == std::string::npos) break;
        const std::string_view name(html.data() + host, hostEnd - host);
        if (!name.empty() && name != "-") {
            at = html.find(open, hostEnd);
            continue;
        }
        const std::size_t tagEnd = html.find('>', hostEnd);
        const std::size_t closeAt =
            tagEnd == std::string::npos ? tagEnd : html.find(close, std::max(tagEnd, searchCloseFrom));
        if (closeAt == std::string::npos) break;
        if (out.empty()) out.reserve(html.size());
        copyUpTo(at);
        copied = tagEnd + 1;
        droppedCloses.push_back(closeAt);
        searchCloseFrom = closeAt + close.size();
        at = html.find(open, tagEnd + 1);
    }
    if (droppedCloses.empty()) return;
    copyUpTo(html.size());
    html.swap(out);
}

// The first-column placeholder values shown without a link on a report page.
void unlinkPlaceholderValues(std::string& html)
{
    if (html.find("Unknown</a>") != std::string::npos) {
        html = text::replaceAll(html, R"(<a href="http://Unknown">Unknown</a>)", "Unknown");
        html = text::replaceAll(html, R"(<a href="Unknown">Unknown</a>)", "Unknown");
    }
    if (html.find("<a href=\"http://") != std::string::npos) unlinkWithoutServer(html);
    if (html.find("Other</a>") != std::string::npos)
        html = text::replaceAll(html, R"(<a href="http://Other">Other</a>)", "Other");
}

// Replaces every placeholder of the table in one pass from left to right.
// A value put in is never scanned again, so a placeholder word inside log
// text or a header value stays as it is.
std::string fillOnce(const std::string& text, const std::vector<std::pair<std::string, std::string>>& table)
{
    std::string out;
    std::vector<std::size_t> next(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        next[i] = text.find(table[i].first);
    std::size_t at = 0;
    for (;;) {
        std::size_t best = std::string::npos;
        std::size_t which = 0;
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (next[i] < at) next[i] = text.find(table[i].first, at);
            if (next[i] < best) {
                best = next[i];
                which = i;
            }
        }
        if (best == std::string::npos) break;
        out.append(text, at, best - at);
        out += table[which].second;
        at = best + table[which].first.size();
    }
    out.append(text, at, std::string::npos);
    return out;
}

} // namespace

void TemplateEngine::appendRowValue(std::string& out, const Piece& piece, int row, const RowFormat& format) const
{
    const int displayColumn = format.linkColumn >= 0 ? format.linkColumn : 0;
    const std::string& target = grid_.cell(displayColumn, row);
    switch (piece.kind) {
    case Piece::Literal:
        out += piece.literal;
        return;
    case Piece::Color:
        out += (row - ReportGrid::kFirstDetailRow) % 2 == 0 ? "#E8E8E8" : "#CCCCCC";
        return;
    case Piece::Number: {
        char digits[24];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, row - ReportGrid::kFirstDetailRow + 1);
        out.append(digits, end);
        out += '.';
        return;
    }
    default:
        break;
    }
    if (format.csv) {
        switch (piece.kind) {
        case Piece::HttpTarget:
            out += "\"http://";
            out += target;
            out += '"';
            return;
        case Piece::OwnTarget:
            out += '"';
            out += target;
            out += '"';
            return;
        case Piece::Display:
            out += target;
            return;
        case Piece::Column0:
            out +=
                csvLogCell(prepareFirstColumn(text::cutAtLessThan(grid_.cell(0, row)), format.limit, format.minimum));
            return;
        default:
            out += csvLogCell(text::cutAtLessThan(grid_.cell(piece.kind - Piece::Column0, row)));
            return;
        }
    }
    // Link targets: log text must stay inside the quotes and may not
    // bring its own scheme where the template gives none.
    switch (piece.kind) {
    case Piece::HttpTarget:
        out += "\"http://";
        appendEscapedLogText(out, target);
        out += '"';
        return;
    case Piece::OwnTarget:
        out += '"';
        out += safeLinkTarget(target);
        out += '"';
        return;
    case Piece::Display:
        grid_.appendHtmlCell(out, displayColumn, row);
        return;
    case Piece::Column0: {
        const std::string* markup = grid_.markup(0, row);
        const std::string& value = markup ? *markup : grid_.cell(0, row);
        const auto size = static_cast<long long>(value.size());
        const bool asItStands =
            (format.limit < 0 || size <= format.limit) && (format.minimum <= 0 || size >= format.minimum);
        if (markup)
            out += asItStands ? value : prepareFirstColumn(value, format.limit, format.minimum);
        else
            appendEscapedLogText(out, asItStands ? value : prepareFirstColumn(value, format.limit, format.minimum));
        return;
    }
    default:
        grid_.appendHtmlCell(out, piece.kind - Piece::Column0, row);
        return;
    }
}

std::string TemplateEngine::fillTemplateText(const std::string& text, bool csv, const std::string& sentence,
                                             const std::string* helpFile) const
{
    std::vector<std::pair<std::string, std::string>> table;
    for (std::size_t i = 0; i < std::size(kHeaderPlaceholders); ++i) {
        std::string value = grid_.cell(kHeaderCells[i][0], kHeaderCells[i][1]);
        if (csv) value = csvInlineText(std::move(value));
        table.emplace_back(kHeaderPlaceholders[i], std::move(value));
    }
    for (int row = 3; row <= 4; ++row) {
        const std::string stem = row == 3 ? "XXXDetHdCol" : "XXXDetTailCol";
        for (int c = 0; c <= 4; ++c) {
            std::string value = grid_.cell(c, row);
            if (csv) value = csvCell(text::htmlToText(value));
            table.emplace_back(stem + std::to_string(c), std::move(value));
        }
    }
    table.emplace_back(reports::kMissingDatesMarker, sentence);
    if (helpFile) table.emplace_back("XXXHelpFile", *helpFile);
    return fillOnce(text, table);
}

std::string TemplateEngine::render(int templateRow, int linkColumn, const std::string* helpFile) const
{
    const std::string& templ = grid_.cell(0, templateRow);
    const bool csv = templateRow == 6;
    const std::string start = reports::kStartDetail;
    const std::string end = reports::kEndDetail;
    const std::size_t s = templ.find(start);
    const std::size_t e = s == std::string::npos ? std::string::npos : templ.find(end, s + start.size());
    if (s == std::string::npos || e == std::string::npos) throw Error("The report template has no detail section");
    const std::string section = templ.substr(s + start.size(), e - s - start.size());

    const long long limit = readWidth(grid_.cell(3, templateRow));
    const long long minimum = readWidth(grid_.cell(4, templateRow));

    std::string sentence;
    if (!missingDates_.empty())
        sentence = csv ? reports::missingDatesCsv(missingDates_) : reports::missingDatesHtml(missingDates_);

    // The section split once at its placeholders. Only the template's own
    // text receives the header values, the missing-dates sentence and the
    // help page; a row is then the pieces joined with its values, so text
    // from the logs is never searched for placeholders.
    std::vector<Piece> pieces;
    for (std::size_t at = 0; at < section.size();) {
        std::size_t best = std::string::npos;
        const std::pair<const char*, int>* found = nullptr;
        for (const auto& token : kDetailTokens) {
            const std::size_t p = section.find(token.first, at);
            if (p < best) {
                best = p;
                found = &token;
            }
        }
        if (!found) {
            pieces.push_back({Piece::Literal, fillTemplateText(section.substr(at), csv, sentence, helpFile)});
            break;
        }
        if (best > at)
            pieces.push_back(
                {Piece::Literal, fillTemplateText(section.substr(at, best - at), csv, sentence, helpFile)});
        pieces.push_back({static_cast<Piece::Kind>(found->second), {}});
        at = best + std::strlen(found->first);
    }

    // The rows are written straight into the page, between the template's
    // text before and after them, so a long report is held once.
    std::string rows = fillTemplateText(templ.substr(0, s), csv, sentence, helpFile);
    std::string after = fillTemplateText(templ.substr(e + end.size()), csv, sentence, helpFile);
    if (helpFile) {
        unlinkPlaceholderValues(rows);
        unlinkPlaceholderValues(after);
    }
    rows.reserve(rows.size() + static_cast<std::size_t>(grid_.detailCount()) * (section.size() + 64) + after.size());
    const RowFormat format{linkColumn, csv, limit, minimum};
    std::string line;
    for (int row = ReportGrid::kFirstDetailRow; row < grid_.rowCount(); ++row) {
        if (pump_) pump_->poll();
        std::string& out = helpFile ? line : rows;
        line.clear();
        for (const Piece& piece : pieces)
            appendRowValue(out, piece, row, format);
        if (helpFile) {
            unlinkPlaceholderValues(line);
            rows += line;
        }
    }

    rows += after;
    return rows;
}

std::string TemplateEngine::renderTemplate(int templateRow) const
{
    return render(templateRow, -1);
}

std::string TemplateEngine::renderLinkedPage(int linkColumn) const
{
    return render(5, linkColumn);
}

std::string TemplateEngine::renderReportPage(const std::string& reportPath) const
{
    long long n = -1;
    if (!text::parseInteger(text::trim(grid_.cell(0, 9)), n)) n = -1;
    const std::string helpFile = fileNamePart(reportPath) + "help.html";
    return text::toValidUtf8Owned(render(5, n < 0 ? -1 : static_cast<int>(n), &helpFile));
}

std::string TemplateEngine::renderCsv() const
{
    return text::toValidUtf8Owned(renderTemplate(6));
}

} // namespace larkspan
