#pragma once

#include <string>

namespace larkspan {

// Adapts a copy of the standard HTML template to a report's columns by
// replacing the exact text of single cells of its results table.
class TemplateCells {
  public:
    explicit TemplateCells(std::string html) : html_(std::move(html)) {}

    enum class FirstCell {
        PlainLeft,   // <td align="left" nowrap> with the text, no link
        LinkLeft,    // the same with a link to "http://" and the link column
        Plain,       // <td> with the text, no link
        OwnLink,     // a link to the link column's value as it stands
        DisplayValue // the link column's value as text, no link
    };

    // Standard cell texts of column c.
    static std::string head(int column);
    static std::string record(int column);
    static std::string summary(int column);
    static std::string firstRecordOpening();

    TemplateCells& firstCell(FirstCell kind);
    // align="right" in the head, record and summary cells of a column.
    TemplateCells& right(int column);
    TemplateCells& rightHead(int column);
    TemplateCells& rightRecord(int column);
    TemplateCells& rightSummary(int column);
    TemplateCells& leftHead(int column);
    TemplateCells& leftSummary(int column);
    TemplateCells& recordRightTop(int column);
    TemplateCells& recordRightNoWrap(int column);
    TemplateCells& recordLeftNoWrap(int column);
    // Removes the head, record and summary cells of a column.
    TemplateCells& remove(int column);
    TemplateCells& removeHead(int column);
    TemplateCells& removeRecord(int column);
    TemplateCells& removeSummary(int column);
    TemplateCells& wideSummary();
    TemplateCells& noRowNumbers();
    // Any other exact replacement.
    TemplateCells& replace(const std::string& cell, const std::string& with);

    const std::string& html() const { return html_; }

  private:
    std::string html_;
};

} // namespace larkspan
