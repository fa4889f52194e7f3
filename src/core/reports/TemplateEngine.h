#pragma once

#include <string>

namespace larkspan {

class ReportGrid;
class ThrottledPump;

// Turns a filled report grid into an HTML page or a CSV text through the
// grid's templates (row 5 HTML, row 6 CSV). Writes no files.
class TemplateEngine {
  public:
    // missingDates: the dates of the range without data, joined by ", ".
    // pump, when given, is polled per detail row so that windows stay
    // painted while a long report is rendered.
    TemplateEngine(const ReportGrid& grid, std::string missingDates, ThrottledPump* pump = nullptr);

    // Renders template row 5 or 6 in the plain variant. Throws Error when a
    // width cell is not a whole number.
    std::string renderTemplate(int templateRow) const;
    // Renders row 5 with "XXXDispRecCol0" taken from the given column.
    std::string renderLinkedPage(int linkColumn) const;
    // The report page: the variant chosen by the link column (0,9), the help
    // file of the report at reportPath (no extension) and the placeholder
    // values of the first column shown without links. Both documents are
    // well-formed UTF-8: log bytes that are not are read as windows-1252.
    std::string renderReportPage(const std::string& reportPath) const;
    std::string renderCsv() const;

  private:
    struct Piece;
    // How the detail rows of one rendering are written.
    struct RowFormat {
        int linkColumn;
        bool csv;
        long long limit;   // the first column's longest text, -1 for any
        long long minimum; // and its shortest (padded with blanks)
    };
    // helpFile: for a report page, the help page's name; the page is then
    // post-processed (help link, placeholder values without links).
    std::string render(int templateRow, int linkColumn, const std::string* helpFile = nullptr) const;
    // Appends the value a detail row gives the placeholder piece.
    void appendRowValue(std::string& out, const Piece& piece, int row, const RowFormat& format) const;
    // The template's own text with the header values, the missing-dates
    // sentence and (for a report page) the help page filled in, in one pass.
    std::string fillTemplateText(const std::string& text, bool csv, const std::string& sentence,
                                 const std::string* helpFile) const;

    const ReportGrid& grid_;
    std::string missingDates_;
    ThrottledPump* pump_;
};

// A link target taken from log text, safe between the double quotes of an
// href: escaped for HTML, and "#" when it names a scheme other than http,
// https or ftp (javascript:, data: and the like).
std::string safeLinkTarget(const std::string& target);

} // namespace larkspan
