#include "reports/TemplateCells.h"

#include "common/Text.h"

namespace larkspan {

namespace {
std::string digit(int column)
{
    return std::to_string(column);
}
std::string centredToAligned(const std::string& cell, const char* align)
{
    return text::replaceAll(cell, R"(align="center")", std::string("align=\"") + align + "\"");
}
} // namespace

std::string TemplateCells::head(int column)
{
    if (column == 0)
        return R"(<td colspan="2"><font face="Arial" size="2" color="white"><b>XXXDetHdCol0</b></font></td>)";
    return R"(<td align="center"><font face="Arial" size="2" color="white"><b>XXXDetHdCol)" + digit(column) +
           "</b></font></td>";
}

std::string TemplateCells::record(int column)
{
    if (column == 0) return firstRecordOpening() + "</font></td>";
    return R"(<td align="center"><font face="Arial" size="2">XXXRecCol)" + digit(column) + "</font></td>";
}

std::string TemplateCells::summary(int column)
{
    if (column == 0)
        return R"(<td colspan="2"><font face="Arial" size="2" color="#808080"><b>XXXDetTailCol0</b></font></td>)";
    return R"(<td align="center"><font face="Arial" size="2" color="#808080"><b>XXXDetTailCol)" + digit(column) +
           "</b></font></td>";
}

std::string TemplateCells::firstRecordOpening()
{
    return R"(<td><font face="Arial" size="2"><a href="http://XXXDispRecCol0">XXXRecCol0</a>)";
}

TemplateCells& TemplateCells::replace(const std::string& cell, const std::string& with)
{
    html_ = text::replaceAll(html_, cell, with);
    return *this;
}

TemplateCells& TemplateCells::firstCell(FirstCell kind)
{
    switch (kind) {
    case FirstCell::PlainLeft:
        return replace(firstRecordOpening(), R"(<td align="left" nowrap><font face="Arial" size="2">XXXRecCol0)");
    case FirstCell::LinkLeft:
        return replace(
            firstRecordOpening(),
            R"(<td align="left" nowrap><font face="Arial" size="2"><a href="http://XXXDispRecCol0">XXXRecCol0</a>)");
    case FirstCell::Plain:
        return replace(firstRecordOpening(), R"(<td><font face="Arial" size="2">XXXRecCol0)");
    case FirstCell::OwnLink:
        return replace(firstRecordOpening(),
                       R"(<td><font face="Arial" size="2"><a href="XXXDispRecCol0">XXXRecCol0</a>)");
    case FirstCell::DisplayValue:
        return replace(firstRecordOpening(), R"(<td><font face="Arial" size="2">XXXDispRecCol0)");
    }
    return *this;
}

TemplateCells& TemplateCells::rightHead(int c)
{
    return replace(head(c), centredToAligned(head(c), "right"));
}
TemplateCells& TemplateCells::rightRecord(int c)
{
    return replace(record(c), centredToAligned(record(c), "right"));
}
TemplateCells& TemplateCells::rightSummary(int c)
{
    return replace(summary(c), centredToAligned(summary(c), "right"));
}
TemplateCells& TemplateCells::right(int c)
{
    return rightHead(c).rightRecord(c).rightSummary(c);
}
TemplateCells& TemplateCells::leftHead(int c)
{
    return replace(head(c), centredToAligned(head(c), "left"));
}
TemplateCells& TemplateCells::leftSummary(int c)
{
    return replace(summary(c), centredToAligned(summary(c), "left"));
}

TemplateCells& TemplateCells::recordRightTop(int c)
{
    return replace(record(c), R"(<td align="right" valign="top"><font face="Arial" size="2">XXXRecCol)" + digit(c) +
                                  "</font></td>");
}
TemplateCells& TemplateCells::recordRightNoWrap(int c)
{
    return replace(record(c),
                   R"(<td align="right" nowrap><font face="Arial" size="2">XXXRecCol)" + digit(c) + "</font></td>");
}
TemplateCells& TemplateCells::recordLeftNoWrap(int c)
{
    return replace(record(c),
                   R"(<td align="left" nowrap><font face="Arial" size="2">XXXRecCol)" + digit(c) + "</font></td>");
}

TemplateCells& TemplateCells::removeHead(int c)
{
    return replace(head(c), "");
}
TemplateCells& TemplateCells::removeRecord(int c)
{
    return replace(record(c), "");
}
TemplateCells& TemplateCells::removeSummary(int c)
{
    return replace(summary(c), "");
}
TemplateCells& TemplateCells::remove(int c)
{
    return removeHead(c).removeRecord(c).removeSummary(c);
}

TemplateCells& TemplateCells::wideSummary()
{
    return replace(summary(0),
                   R"(<td colspan="3"><font face="Arial" size="2" color="#808080"><b>XXXDetTailCol0</b></font></td>)");
}

TemplateCells& TemplateCells::noRowNumbers()
{
    return replace("XXXRowNumber", "");
}

} // namespace larkspan
