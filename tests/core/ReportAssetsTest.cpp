#include "common/TextFile.h"
#include "reports/ReportSections.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;

namespace {
const std::string kShippedReports = LARKSPAN_TEST_DATA_DIR "/../../data/Reports/";
}

// Every page of a report set links "..\<report>help.html", "..\help.gif" and
// "..\QuennetLogo.gif" in the Reports folder; the program ships them all.
TEST(ReportAssets, EveryReportHasItsHelpPageAndTheImagesAreShipped)
{
    for (const auto& section : reportSections())
        for (const auto& report : section.reports)
            EXPECT_TRUE(std::filesystem::exists(kShippedReports + report.baseName + "help.html")) << report.baseName;
    EXPECT_TRUE(std::filesystem::exists(kShippedReports + "indexhelp.html"));
    for (const char* image : {"help.gif", "QuennetLogo.gif"}) {
        std::string bytes;
        ASSERT_TRUE(readWholeFile(kShippedReports + image, bytes)) << image;
        EXPECT_EQ(bytes.substr(0, 6), "GIF89a") << image;
        EXPECT_EQ(bytes.back(), ';') << image;
    }
}
