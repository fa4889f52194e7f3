#pragma once

#include <string>

namespace larkspan::reports {

inline constexpr const char* kGeneratorText = "Larkspan(tm) - 1.1.0.4";
inline constexpr const char* kVersionText = "1.1.0.4";
inline constexpr const char* kCopyrightNotice = "Copyright (c) 2026 The Larkspan Developers. All rights reserved.";
inline constexpr const char* kMakerPage = "https://larkspan.example.org/";

inline constexpr const char* kStartDetail = "<!-- startdetail -->";
inline constexpr const char* kEndDetail = "<!-- enddetail -->";
inline constexpr const char* kMissingDatesMarker = "<!-- missingdatesetext -->";
inline constexpr const char* kGraphMarker = "<!-- graph -->";

// The help anchor of the title bar, exactly as the pages carry it; the
// e-mail copies remove it by exact match once "XXXHelpFile" is filled in.
inline constexpr const char* kHelpAnchor =
    R"(<a href="../XXXHelpFile"><img border="0" src="../help.gif" ALT="Help" ></a>)";

// The way back to the index, at the top and the bottom of every report page;
// the e-mail copies point it at the e-mail index instead.
inline constexpr const char* kIndexLink =
    R"(<p><font face="Arial" size="2"><a href="index.html">Back to the Report Index</a></font></p>)";
inline constexpr const char* kEmailIndexLink =
    R"(<p><font face="Arial" size="2"><a href="eindex.html">Back to the Report Index</a></font></p>)";

// The footer's logo anchor, removed whole from the e-mail copies.
std::string logoAnchor();

// The page every report's HTML template starts as (CR LF line ends).
const std::string& standardHtmlTemplate();
// The 22-line CSV template.
const std::string& standardCsvTemplate();
// The page shared by index.html and eindex.html.
const std::string& indexTemplate();

// The sentence naming the dates of the range that had no data.
std::string missingDatesHtml(const std::string& missingDates);
std::string missingDatesCsv(const std::string& missingDates);

} // namespace larkspan::reports
