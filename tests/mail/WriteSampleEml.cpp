// Writes two sample messages for the MIME check (check_eml.py): the mail of
// a report run with every section, and one with 8-bit and UTF-8 texts, odd
// file names, a long line and binary data.
#include "common/TextFile.h"
#include "mail/EmlWriter.h"
#include "reports/ReportMail.h"

#include <filesystem>
#include <iostream>

using namespace larkspan;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: write_sample_eml FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto file = [&](const std::string& name, const std::string& content) {
        const std::string path = (folder / name).string();
        writeWholeFile(path, content);
        return path;
    };
    const EmlHeaders headers{"Larkspan <larkspan@localhost>", "Fri, 01 Mar 2024 12:00:00 +0000", "<1.sample@larkspan.localhost>"};

    ReportMail run;
    run.start({true, "customer@example.com", true, " admin@example.org "}, CivilDate{2024, 3, 1}, folder.string());
    run.addSection("Browser Analysis");
    run.addReport("Top Browser Types", file("eLKRBrowsers.html", "<html><body><p>Browsers</p></body></html>\r\n"));
    run.addReport("User Agent Operating Systems", file("eLKRAgentsOS.html", "<html><p>OS caf\xE9</p></html>\r\n"));
    run.addSection("Page Analysis");
    run.addReport("Most Popular Pages", file("LKRPages.html", std::string(5000, 'x') + "\r\n"));
    run.addIndex(file("eindex.html", "<html><p>Index</p></html>\r\n"));
    if (!writeWholeFile((folder / "run.eml").string(), writeEml(run.message(), headers))) return 1;

    MailMessage odd;
    odd.recipients = {"Zo\xC3\xAB <zoe@example.com>; second@example.com", "third@example.net\r\nBcc: evil@example.com"};
    odd.subject = "Rapports du caf\xC3\xA9 \xE2\x80\x94 " + std::string(80, 'z');
    odd.lines = {"Ligne en 8 bits: caf\xE9", std::string(1200, 'L'), "  trailing blanks  ", "=3D stays literal", ""};
    std::string binary;
    for (int i = 0; i < 1000; ++i) binary += static_cast<char>((i * 37) % 256);
    odd.attachments = {file("chart \"one\".jpg", binary), file("r\xC3\xA9sum\xC3\xA9.csv", "a,b\r\n1,2\r\n")};
    if (!writeWholeFile((folder / "odd.eml").string(), writeEml(odd, headers))) return 1;
    return 0;
}
