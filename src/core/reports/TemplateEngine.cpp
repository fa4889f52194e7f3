#include "reports/TemplateEngine.h"

#include "common/Error.h"
#include "common/Text.h"
#include "reports/ReportGrid.h"
#include "reports/ReportTemplates.h"

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
    "XXXGenerator",  "XXXReportTitle",        "XXXFileCreationTime", "XXXDaily",        "XXXStartDate",
    "XXXEndDate",    "XXXAboutThisReport",    "XXXNumOfDays",        "XXXUnitsOfMeasurement",
    "XXXQuennetGraphic", "XXXCopyrightNotice", "XXXVersion",          "XXXGraph",
};
// Cells (column, row) of the placeholders above, in the same order.
const int kHeaderCells[][2] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 1}, {1, 1},
                               {2, 1}, {3, 1}, {4, 1}, {0, 2}, {1, 2}, {2, 2}};

std::string fileNamePart(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string safeLinkTarget(const std::string& target)
{
    // Browsers ignore leading blanks and controls and drop tabs and line
    // breaks anywhere in a URL before they look for its scheme.
    std::string probe;
    for (char c : target)
        if (c != '\t' && c != '\r' && c != '\n') probe += c;
    std::size_t start = 0;
    while (start < probe.size() && static_cast<unsigned char>(probe[start]) <= ' ') ++start;
    probe.erase(0, start);
    const std::size_t colon = probe.find(':');
    const std::size_t stop = probe.find_first_of("/?#");
    if (colon != std::string::npos && (stop == std::string::npos || colon < stop)) {
        const std::string scheme = text::toLower(probe.substr(0, colon));
        if (scheme != "http" && scheme != "https" && scheme != "ftp") return "#";
    }
    return text::htmlEscape(target);
}

TemplateEngine::TemplateEngine(const ReportGrid& grid, std::string missingDates)
    : grid_(grid), missingDates_(std::move(missingDates))
{
}

std::string TemplateEngine::detailRow(const std::string& section, int row, int linkColumn, bool csv,
                                      long long limit, long long minimum) const
{
    const int displayColumn = linkColumn >= 0 ? linkColumn : 0;
    std::string copy = text::replaceAll(section, "XXXRowColor", (row - ReportGrid::kFirstDetailRow) % 2 == 0
                                                                     ? "#E8E8E8"
                                                                     : "#CCCCCC");
    copy = text::replaceAll(copy, "XXXRowNumber", std::to_string(row - ReportGrid::kFirstDetailRow + 1) + ".");
    if (csv) {
        copy = text::replaceAll(copy, "XXXDispRecCol0", grid_.cell(displayColumn, row));
        copy = text::replaceAll(copy, "XXXRecCol0",
                                prepareFirstColumn(text::cutAtLessThan(grid_.cell(0, row)), limit, minimum));
        for (int c = 1; c <= 4; ++c)
            copy = text::replaceAll(copy, "XXXRecCol" + std::to_string(c), text::cutAtLessThan(grid_.cell(c, row)));
        return copy;
    }
    // Link targets: log text must stay inside the quotes and may not bring
    // its own scheme where the template gives none.
    const std::string& target = grid_.cell(displayColumn, row);
    copy = text::replaceAll(copy, "\"http://XXXDispRecCol0\"", "\"http://" + text::htmlEscape(target) + "\"");
    copy = text::replaceAll(copy, "\"XXXDispRecCol0\"", "\"" + safeLinkTarget(target) + "\"");
    copy = text::replaceAll(copy, "XXXDispRecCol0", grid_.htmlCell(displayColumn, row));
    std::string first;
    if (const std::string* markup = grid_.markup(0, row)) first = prepareFirstColumn(*markup, limit, minimum);
    else first = text::htmlEscape(prepareFirstColumn(grid_.cell(0, row), limit, minimum));
    copy = text::replaceAll(copy, "XXXRecCol0", first);
    for (int c = 1; c <= 4; ++c)
        copy = text::replaceAll(copy, "XXXRecCol" + std::to_string(c), grid_.htmlCell(c, row));
    return copy;
}

std::string TemplateEngine::fillHeader(std::string document, bool csv) const
{
    for (std::size_t i = 0; i < std::size(kHeaderPlaceholders); ++i) {
        std::string value = grid_.cell(kHeaderCells[i][0], kHeaderCells[i][1]);
        if (csv && kHeaderCells[i][0] == 1 && kHeaderCells[i][1] == 1) value = text::replaceAll(value, ",", " ");
        document = text::replaceAll(document, kHeaderPlaceholders[i], value);
    }
    for (int row = 3; row <= 4; ++row) {
        const std::string stem = row == 3 ? "XXXDetHdCol" : "XXXDetTailCol";
        for (int c = 0; c <= 4; ++c) {
            std::string value = grid_.cell(c, row);
            if (csv) value = text::htmlToText(value);
            document = text::replaceAll(document, stem + std::to_string(c), value);
        }
    }
    return document;
}

std::string TemplateEngine::render(int templateRow, int linkColumn) const
{
    const std::string& templ = grid_.cell(0, templateRow);
    const bool csv = templateRow == 6;
    const std::string start = reports::kStartDetail;
    const std::string end = reports::kEndDetail;
    const std::size_t s = templ.find(start);
    const std::size_t e = s == std::string::npos ? std::string::npos : templ.find(end, s + start.size());
    if (s == std::string::npos || e == std::string::npos)
        throw Error("The report template has no detail section");
    const std::string section = templ.substr(s + start.size(), e - s - start.size());

    const long long limit = readWidth(grid_.cell(3, templateRow));
    const long long minimum = readWidth(grid_.cell(4, templateRow));

    std::string document = templ.substr(0, s);
    for (int row = ReportGrid::kFirstDetailRow; row < grid_.rowCount(); ++row)
        document += detailRow(section, row, linkColumn, csv, limit, minimum);
    document.append(templ, e + end.size(), std::string::npos);

    document = fillHeader(std::move(document), csv);
    std::string sentence;
    if (!missingDates_.empty())
        sentence = csv ? reports::missingDatesCsv(missingDates_) : reports::missingDatesHtml(missingDates_);
    return text::replaceAll(document, reports::kMissingDatesMarker, sentence);
}

std::string TemplateEngine::GenDocStr(int templateRow) const { return render(templateRow, -1); }

std::string TemplateEngine::GenDocStrALHTML(int linkColumn) const { return render(5, linkColumn); }

std::string TemplateEngine::GenHTML(const std::string& reportPath) const
{
    long long n = -1;
    if (!text::parseInteger(text::trim(grid_.cell(0, 9)), n)) n = -1;
    std::string html = n < 0 ? GenDocStr(5) : GenDocStrALHTML(static_cast<int>(n));
    html = text::replaceAll(html, "XXXHelpFile", fileNamePart(reportPath) + "help.html");
    html = text::replaceAll(html, R"(<a href="http://Unknown">Unknown</a>)", "Unknown");
    html = text::replaceAll(html, R"(<a href="Unknown">Unknown</a>)", "Unknown");
    html = text::replaceAll(html, R"(<a href="http://-">-</a>)", "-");
    html = text::replaceAll(html, R"(<a href="http://Other">Other</a>)", "Other");
    return html;
}

std::string TemplateEngine::GenCSV() const { return GenDocStr(6); }

}  // namespace larkspan
