#pragma once

#include <string>

namespace larkspan {

class Messages;

// The e-mail-ready copy of a report page.
struct EmailCopy {
    std::string path; // folder of the report + "e" + its file name
    std::string text; // empty when the copy could not be made
};

// The path of the copy of the report at basePath: its folder, "e", its file
// name, and ".html" when the name has no extension.
std::string emailCopyPath(const std::string& basePath);

// The page without the title bar's help anchor, the footer's logo anchor and
// then its first remaining image (the chart): a copy that needs nothing from
// the report folder. Pure text work, for tests and for makeEmailCopy.
std::string emailReadyHtml(const std::string& basePath, const std::string& html);

// Writes the copy of the report page at basePath and returns it. When the
// file cannot be written the save routine has said so and the text comes
// back empty, so the caller mails the report's own file instead.
EmailCopy makeEmailCopy(Messages& messages, const std::string& basePath, const std::string& html);

} // namespace larkspan
