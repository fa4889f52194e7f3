#include "common/Error.h"
#include "common/Text.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateCells.h"
#include "reports/TemplateEngine.h"

#include <gtest/gtest.h>

using namespace larkspan;

namespace {

// A grid with a tiny template so that rendered rows can be compared whole.
ReportGrid tinyGrid(const std::string& html, const std::string& csv = "")
{
    ReportGrid grid;
    grid.setCell(0, 5, html);
    grid.setCell(3, 5, "-1");
    grid.setCell(4, 5, "0");
    grid.setCell(0, 6, csv.empty() ? html : csv);
    grid.setCell(3, 6, "-1");
    grid.setCell(4, 6, "0");
    return grid;
}

ReportGrid standardGrid()
{
    ReportGrid grid;
    setStandardTemplates(grid);
    return grid;
}

std::size_t count(const std::string& haystack, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t p = haystack.find(needle); p != std::string::npos; p = haystack.find(needle, p + 1))
        ++n;
    return n;
}

} // namespace

TEST(ReportTemplateEngine, RowsAreNumberedAndStripedLightFirst)
{
    ReportGrid grid = tinyGrid("[<!-- startdetail -->XXXRowNumber XXXRowColor|<!-- enddetail -->]");
    for (int r = 10; r < 13; ++r)
        grid.setCell(0, r, "x");
    EXPECT_EQ(TemplateEngine(grid, "").renderTemplate(5), "[1. #E8E8E8|2. #CCCCCC|3. #E8E8E8|]");
}

TEST(ReportTemplateEngine, FirstColumnIsCutAtTheLimitAndPaddedToTheMinimum)
{
    ReportGrid grid = tinyGrid("<!-- startdetail -->[XXXRecCol0|XXXDispRecCol0]<!-- enddetail -->");
    const std::string sixtyOne(61, 'a');
    const std::string sixty(60, 'b');
    grid.setCell(0, 10, sixtyOne);
    grid.setCell(0, 11, sixty);
    grid.setCell(3, 5, "60");
    const std::string doc = TemplateEngine(grid, "").renderTemplate(5);
    EXPECT_EQ(doc, "[" + std::string(57, 'a') + "...|" + sixtyOne + "][" + sixty + "|" + sixty + "]");

    grid.setCell(3, 5, "-1");
    grid.setCell(4, 5, "5");
    grid.setCell(0, 10, "ab");
    EXPECT_EQ(TemplateEngine(grid, "").renderTemplate(5).substr(0, 14),
              "[ab   |ab]" + std::string("[") + sixty.substr(0, 3));
}

TEST(ReportTemplateEngine, WidthCellThatIsNotANumberFails)
{
    ReportGrid grid = tinyGrid("<!-- startdetail -->XXXRecCol0<!-- enddetail -->");
    grid.setCell(3, 5, "wide");
    EXPECT_THROW(TemplateEngine(grid, "").renderTemplate(5), Error);
}

TEST(ReportTemplateEngine, CsvCutsCellsAtMarkupAndFlattensHeadsAndAbout)
{
    ReportGrid grid = standardGrid();
    grid.setCell(1, 1, "pages, images, and files");
    grid.setCell(1, 3, "Hits&nbsp;<b>Total</b>");
    grid.setCell(0, 10, "/index.html");
    grid.setCell(1, 10, "12 <font size=\"1\">more</font>");
    const std::string csv = TemplateEngine(grid, "").renderCsv();
    EXPECT_NE(csv.find("pages  images  and files,,,,\r\n"), std::string::npos);
    EXPECT_NE(csv.find(",Hits Total ,"), std::string::npos);
    EXPECT_NE(csv.find("\r\n/index.html,12 ,,,\r\n"), std::string::npos);
    // The detail section starts and ends with a line end: empty lines
    // separate the heads, each record and the summary line.
    EXPECT_NE(csv.find(",,,\r\n\r\n/index.html,12 ,,,\r\n\r\n,,,,\r\n"), std::string::npos);
    EXPECT_EQ(csv.substr(csv.size() - 3), ",,,");
    EXPECT_EQ(count(csv, "\r\n"), 21u + 2u - 3u + 1u);
}

TEST(ReportTemplateEngine, GridWithoutDetailRowsDropsTheSection)
{
    ReportGrid grid = tinyGrid("a<!-- startdetail -->XXXRecCol0<!-- enddetail -->b");
    EXPECT_EQ(TemplateEngine(grid, "").renderTemplate(5), "ab");
}

TEST(ReportTemplateEngine, MissingDatesSentenceInBothKinds)
{
    ReportGrid grid = standardGrid();
    const TemplateEngine engine(grid, "02/02/2000, 02/05/2000");
    EXPECT_NE(engine.renderReportPage("/r/LKRPages")
                  .find("<hr><font face=\"Arial\" size=\"1\"><b>The following dates were not found to report on: "
                        "02/02/2000, 02/05/2000</b></font>"),
              std::string::npos);
    EXPECT_NE(
        engine.renderCsv().find("\r\nThe following dates were not found to report on:, 02/02/2000; 02/05/2000\r\n"),
        std::string::npos);
    const std::string none = TemplateEngine(grid, "").renderReportPage("/r/LKRPages");
    EXPECT_EQ(none.find("missingdatesetext"), std::string::npos);
    EXPECT_EQ(none.find("not found to report on"), std::string::npos);
}

TEST(ReportTemplateEngine, HtmlLinksHelpPageAndShowsPlaceholderValuesWithoutLinks)
{
    ReportGrid grid = standardGrid();
    grid.setCell(0, 10, "-");
    grid.setCell(0, 11, "Unknown");
    grid.setCell(0, 12, "Other");
    grid.setCell(0, 13, "/a.html");
    grid.setCell(0, 14, "-/b.html");
    grid.setCell(0, 15, "www.example.com/c.html");
    const std::string html = TemplateEngine(grid, "").renderReportPage("/tmp/Reports/p/LKRPages");
    EXPECT_NE(html.find(R"(<a href="../LKRPageshelp.html"><img border="0" src="../help.gif" ALT="Help" ></a>)"),
              std::string::npos);
    EXPECT_EQ(html.find('\\'), std::string::npos) << "URLs use /";
    EXPECT_NE(html.find(R"(<font face="Arial" size="2">-</font>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<font face="Arial" size="2">Unknown</font>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<font face="Arial" size="2">Other</font>)"), std::string::npos);
    // Without a server address there is nothing to link to.
    EXPECT_NE(html.find(R"(<font face="Arial" size="2">/a.html</font>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<font face="Arial" size="2">-/b.html</font>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<a href="http://www.example.com/c.html">www.example.com/c.html</a>)"), std::string::npos);
    EXPECT_EQ(html.find("http://-"), std::string::npos);
    EXPECT_EQ(html.find("http:///"), std::string::npos);
    // The way back to the index, before the results and after them.
    const std::size_t top = html.find(R"(<a href="index.html">Back to the Report Index</a>)");
    const std::size_t bottom = html.rfind(R"(<a href="index.html">Back to the Report Index</a>)");
    EXPECT_LT(top, html.find("startdetailtable"));
    EXPECT_GT(bottom, html.find("enddetailtable"));
    EXPECT_NE(bottom, std::string::npos);
    EXPECT_NE(html.find("<!-- graph -->"), std::string::npos);
    EXPECT_EQ(html.find("XXX"), std::string::npos);
}

TEST(ReportTemplateEngine, LinkColumnVariantLinksToItsColumn)
{
    ReportGrid grid = standardGrid();
    grid.setCell(0, 9, "5");
    grid.setCell(0, 10, "/");
    grid.setCell(5, 10, "10.0.0.1/");
    EXPECT_NE(TemplateEngine(grid, "").renderReportPage("LKRPages").find(R"(<a href="http://10.0.0.1/">/</a>)"),
              std::string::npos);
    grid.setCell(0, 9, "not a number");
    EXPECT_NE(TemplateEngine(grid, "").renderReportPage("LKRPages").find(R"(size="2">/</font>)"), std::string::npos);
}

TEST(ReportTemplateEngine, LogTextCannotBringMarkupOrScriptIntoAPage)
{
    ReportGrid grid = standardGrid();
    grid.setCell(0, 9, "5");
    grid.setCell(0, 10, "/x\"><script>alert(1)</script>");
    grid.setCell(5, 10, "h/x\" onmouseover=\"alert(1)");
    grid.setCell(1, 10, "<img src=x onerror=alert(1)>");
    const std::string html = TemplateEngine(grid, "").renderReportPage("LKRPages");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_EQ(html.find("\" onmouseover"), std::string::npos);
    EXPECT_NE(html.find("/x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);

    // An own-link cell takes the target as it stands, unless it names a script scheme.
    ReportGrid own = standardGrid();
    own.setCell(0, 5, TemplateCells(own.cell(0, 5)).firstCell(TemplateCells::FirstCell::OwnLink).html());
    own.setCell(0, 9, "5");
    own.setCell(0, 10, "javascript:alert(1)");
    own.setCell(5, 10, " JavaScript:alert(1)");
    own.setCell(0, 11, "http://ok.example/?q=<b>");
    own.setCell(5, 11, "http://ok.example/?q=<b>");
    const std::string page = TemplateEngine(own, "").renderReportPage("LKRReferringURL");
    EXPECT_NE(page.find(R"(<a href="#">javascript:alert(1)</a>)"), std::string::npos);
    EXPECT_NE(page.find(R"(<a href="http://ok.example/?q=&lt;b&gt;">http://ok.example/?q=&lt;b&gt;</a>)"),
              std::string::npos);

    // CSV is not HTML-escaped: cells are the logged text up to its first "<",
    // quoted as CSV wants.
    EXPECT_NE(TemplateEngine(grid, "").renderCsv().find("\r\n\"/x\"\">\",,,,\r\n"), std::string::npos);
}

TEST(ReportTemplateEngine, BuilderMarkupIsKeptWhileItsLogTextStaysEscaped)
{
    ReportGrid grid = standardGrid();
    ReportLine line;
    line.setWithMarkup(0, "404<br><a href=\"http://a<b\">a<b</a>", "404<br><a href=\"http://a&lt;b\">a&lt;b</a>");
    line.set(1, "3");
    grid.appendLines({line});
    grid.setCell(0, 5, TemplateCells(grid.cell(0, 5)).firstCell(TemplateCells::FirstCell::Plain).html());
    const std::string html = TemplateEngine(grid, "").renderReportPage("LKRPageErrors");
    EXPECT_NE(html.find("<font face=\"Arial\" size=\"2\">404<br><a href=\"http://a&lt;b\">a&lt;b</a></font>"),
              std::string::npos);
    EXPECT_NE(TemplateEngine(grid, "").renderCsv().find("\r\n404,3,"), std::string::npos);
}

TEST(SafeLinkTarget, RefusesSchemesOtherThanWebAndFtp)
{
    EXPECT_EQ(safeLinkTarget("java\tscript:x"), "#");
    EXPECT_EQ(safeLinkTarget("data:text/html,x"), "#");
    EXPECT_EQ(safeLinkTarget("vbscript:x"), "#");
    EXPECT_EQ(safeLinkTarget("HTTPS://a.example/"), "HTTPS://a.example/");
    EXPECT_EQ(safeLinkTarget("/path:with/colon"), "/path:with/colon");
    EXPECT_EQ(safeLinkTarget("Unknown"), "Unknown");
}

TEST(ReportTemplates, CsvTemplateHasItsTwentyTwoLines)
{
    const auto lines = text::split(reports::standardCsvTemplate(), '\n');
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "Report created at   XXXFileCreationTime   (machine time),,,,\r");
    EXPECT_EQ(lines[20], " ,,,,\r");
    EXPECT_EQ(lines[21], "Report automatically generated by XXXGenerator.  XXXCopyrightNotice,,,");
}

TEST(ReportTemplates, CellAdaptationsReplaceExactCells)
{
    TemplateCells cells(reports::standardHtmlTemplate());
    cells.firstCell(TemplateCells::FirstCell::PlainLeft).right(1).right(2).remove(3).remove(4).wideSummary();
    const std::string& html = cells.html();
    EXPECT_NE(html.find(R"(<td align="left" nowrap><font face="Arial" size="2">XXXRecCol0</font></td>)"),
              std::string::npos);
    EXPECT_NE(html.find(R"(<td align="right"><font face="Arial" size="2">XXXRecCol2</font></td>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<td align="right"><font face="Arial" size="2" color="white"><b>XXXDetHdCol1</b>)"),
              std::string::npos);
    EXPECT_NE(html.find(R"(<td colspan="3"><font face="Arial" size="2" color="#808080"><b>XXXDetTailCol0)"),
              std::string::npos);
    EXPECT_EQ(html.find("XXXRecCol3"), std::string::npos);
    EXPECT_EQ(html.find("XXXDetTailCol4"), std::string::npos);
    EXPECT_NE(html.find("    \r\n"), std::string::npos); // a removed cell leaves its indentation
}

TEST(ReportTemplateEngine, PlaceholderWordsInsideValuesStayLiteral)
{
    ReportGrid grid =
        tinyGrid("XXXReportTitle:<!-- startdetail -->[XXXRecCol0|XXXRecCol1|XXXRecCol2|XXXHelpFile]<!-- enddetail -->"
                 "<!-- missingdatesetext -->");
    grid.setCell(1, 0, "T XXXEndDate");
    grid.setCell(0, 1, "E");
    grid.setCell(0, 10, "plain");
    grid.setCell(1, 10, "1");
    grid.setCell(0, 11, "aXXXRecCol1b");
    grid.setCell(1, 11, "7");
    grid.setCell(2, 11, "XXXReportTitle XXXHelpFile <!-- missingdatesetext -->");
    EXPECT_EQ(TemplateEngine(grid, "").renderTemplate(5),
              "T XXXEndDate:[plain|1||XXXHelpFile][aXXXRecCol1b|7|XXXReportTitle XXXHelpFile &lt;!-- "
              "missingdatesetext --&gt;|XXXHelpFile]");
    // On a page and in CSV alike; the template's own words are filled in.
    const std::string page = TemplateEngine(grid, "01/02/2024").renderReportPage("/r/LKRPages");
    EXPECT_NE(page.find("[plain|1||LKRPageshelp.html][aXXXRecCol1b|7|XXXReportTitle XXXHelpFile &lt;!-- "
                        "missingdatesetext --&gt;|LKRPageshelp.html]"),
              std::string::npos)
        << page;
    EXPECT_EQ(count(page, "The following dates were not found to report on: 01/02/2024"), 1u);
    const std::string csv = TemplateEngine(grid, "01/02/2024").renderCsv();
    EXPECT_NE(csv.find("[aXXXRecCol1b|7|XXXReportTitle XXXHelpFile "), std::string::npos) << csv;
    EXPECT_EQ(count(csv, "The following dates were not found to report on"), 1u) << csv;
}

TEST(ReportTemplateEngine, ServerlessLinksInsideOneCellAllLoseTheirAnchorsAndNothingElse)
{
    // An error row lists every address that got its status, each as a link;
    // the ones without a server keep their text only, however many there are.
    ReportGrid grid = tinyGrid("<!-- startdetail -->[XXXRecCol0]<!-- enddetail -->");
    std::string markup = "404";
    std::string expected = "[404";
    for (int i = 0; i < 3000; ++i) {
        const std::string path = "/p" + std::to_string(i) + ".html";
        const std::string key = i % 3 == 0 ? "www.example.com" + path : (i % 3 == 1 ? "-" + path : path);
        const std::string link = R"(<br><a href="http://)" + key + "\">" + key + "</a>";
        markup += link;
        expected += i % 3 == 0 ? link : "<br>" + key;
    }
    expected += "]";
    ReportLine line;
    line.setWithMarkup(0, "404", markup);
    std::vector<ReportLine> lines;
    lines.push_back(std::move(line));
    grid.appendLines(std::move(lines));
    EXPECT_EQ(TemplateEngine(grid, "").renderReportPage("/r/LKRPageErrors"), expected);
}

TEST(ReportTemplateEngine, AnchorWithoutServerDropsTheFirstCloseAfterItsTag)
{
    // A dropped anchor takes the first "</a>" after its tag with it, also
    // when another anchor opens in between; one that never closes stays.
    ReportGrid grid = tinyGrid("<!-- startdetail -->XXXRecCol0|<!-- enddetail -->");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(<a href="http://-/a">x<a href="http://s/b">y</a>z</a>)", R"(x<a href="http://s/b">yz</a>|)"},
        {R"(<a href="http:///a">x<a href="http:///b">y</a>z</a>.)", "xyz.|"},
        {R"(<a href="http:///a">x)", R"(<a href="http:///a">x|)"},
        {R"(<a href="http://-/a">x</a><a href="http:///b">y)", R"(x<a href="http:///b">y|)"},
    };
    for (const auto& [markup, expected] : cases) {
        ReportGrid one = grid;
        ReportLine line;
        line.setWithMarkup(0, "t", markup);
        std::vector<ReportLine> lines;
        lines.push_back(std::move(line));
        one.appendLines(std::move(lines));
        EXPECT_EQ(TemplateEngine(one, "").renderReportPage("/r/LKRPages"), expected) << markup;
    }
}
