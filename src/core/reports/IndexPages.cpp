#include "reports/IndexPages.h"

#include "common/Error.h"
#include "common/NumberPattern.h"
#include "common/Text.h"
#include "common/Utf8.h"
#include "platform/Clock.h"
#include "reports/ReportTemplates.h"

namespace larkspan {

namespace {

const char* const kNotAvailable = "Not Available";

std::string statisticsRow(const std::string& label, const std::string& value)
{
    return "\r\n<tr><td><font face=\"Arial\" size=\"2\">" + label + "</font></td><td><font face=\"Arial\" size=\"2\">" +
           value + "</font></td><td></td></tr>";
}

} // namespace

std::string sectionRow(const std::string& name)
{
    return R"(<tr bgcolor="navy"><td colspan="3"><font face="Arial" size="2" color="white"><b>)" + name +
           "</b></font></td></tr>\n\r";
}

std::string linkRow(const std::string& file, const std::string& title)
{
    return R"(<tr><td colspan="3"><font face="Arial" size="2"><a href=")" + file + "\">" + title +
           "</a></font></td></tr>\n\r";
}

std::string notGeneratedRow(const std::string& text)
{
    return R"(<tr><td colspan="3"><font face="Arial" size="2"><b>)" + text + "</b></font></td></tr>\n\r";
}

std::string kilobyteValue(double kilobytes, const char* megabytePattern)
{
    return formatNumber(kilobytes, "####.## KB") + " (" +
           formatNumber(kilobytes / 1024000.0 * 1000.0, megabytePattern) + " MB)";
}

std::string statisticsBlock(const IndexInputs& in, const Clock& clock)
{
    const analysis::BucketTotals& t = in.totals;
    const double days = in.daysReported;
    const double hits = static_cast<double>(t.hits);
    std::string block = sectionRow("General Web Statistics");
    block += statisticsRow("Web Reported On ", text::htmlEscape(in.webName));
    block += statisticsRow("Report Generated On ", dates::longDate(clock.today()));
    block += statisticsRow("Number of Days Reported On ", std::to_string(in.daysReported));
    block += statisticsRow("Average Data Transfer per Day", t.kilobytes == 0 || in.daysReported < 1
                                                                ? kNotAvailable
                                                                : kilobyteValue(t.kilobytes / days, "###0.###"));
    block += statisticsRow("Average Data Transfer per Request", t.kilobytes == 0 || t.hits == 0
                                                                    ? kNotAvailable
                                                                    : kilobyteValue(t.kilobytes / hits, "###0.#####"));
    block += statisticsRow("Average Requests per Day",
                           t.hits == 0 || in.daysReported < 1 ? kNotAvailable : formatNumber(hits / days, "####.##"));
    block +=
        statisticsRow("Average Requests per User",
                      t.hits == 0 || t.sessions == 0 ? kNotAvailable
                                                     : formatNumber(hits / static_cast<double>(t.sessions), "####.##"));
    block += statisticsRow("Hits Total", std::to_string(t.hits));
    block += statisticsRow("Hits on Pages", std::to_string(t.pages));
    block += statisticsRow("Hits on Download Files", std::to_string(t.downloads));
    block += statisticsRow("Hits on Images", std::to_string(t.images));
    block += statisticsRow("Hits on Other", std::to_string(t.others));
    block += statisticsRow("Total Data Transferred",
                           t.kilobytes == 0 ? kNotAvailable : kilobyteValue(t.kilobytes, "###0.###"));
    return block;
}

std::string indexPage(const IndexInputs& in, const Clock& clock, const std::string& rows)
{
    std::string page = reports::indexTemplate();
    const LocalDateTime now = clock.now();
    page = text::replaceAll(page, "XXXGenerator", reports::kGeneratorText);
    page = text::replaceAll(page, "XXXReportTitle", "Larkspan Log Analysis Report Index");
    page = text::replaceAll(page, "XXXFileCreationTime",
                            dates::longTime(now.hour, now.minute, now.second) + " on " + dates::shortDate(now.date));
    page = text::replaceAll(page, "XXXDaily", "Index");
    page = text::replaceAll(page, "XXXStartDate", dates::shortDate(in.firstDay));
    page = text::replaceAll(page, "XXXEndDate", dates::shortDate(in.lastDay));
    page = text::replaceAll(page, "XXXQuennetGraphic", "");
    page = text::replaceAll(page, "XXXCopyrightNotice", reports::kCopyrightNotice);
    page = text::replaceAll(page, "XXXVersion", reports::kVersionText);
    page = text::replaceAll(page, "XXXHelpFile", "indexhelp.html");
    page = text::replaceAll(page, reports::kMissingDatesMarker,
                            in.missingDates.empty() ? std::string() : reports::missingDatesHtml(in.missingDates));
    const std::string marker = reports::kStartDetail;
    const std::size_t at = page.find(marker);
    if (at == std::string::npos) throw Error("The index page has no detail section");
    page.insert(at + marker.size(), statisticsBlock(in, clock) + "\r\n" + rows);
    return text::toValidUtf8(page);
}

} // namespace larkspan
