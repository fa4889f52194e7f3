#include "import/LogConverter.h"
#include "common/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/Gzip.h"
#include "fakes/TempFolder.h"
#include "import/DayWriter.h"
#include "import/LineReader.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::gzip;
using larkspan::testing::TempFolder;

namespace {

const std::string kHead = "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n";
const std::string kCombined12 =
    "#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes cs(Referer) "
    "cs(User-Agent)";
const std::string kMissingServer =
    "The log file format being imported does not track Server IP Address and you have not specified a Server URL for "
    "this web.\nThe Server IP address is required to build valid links in reports.\nContinuing with the import "
    "without a Server URL will produce invalid links in the reports.\nDo you wish to Continue with the import? (not "
    "recommended)";

class Conversion : public ::testing::Test {
  protected:
    Conversion()
        : writer(platform.messages), converter(platform.messages, writer, run,
                                               {[this] {
                                                    if (platform.cancel.requested()) throw Cancelled();
                                                },
                                                [this](const std::string&) { ++progressCalls; }})
    {
        writer.startRun(temp.file("web") + "/");
        std::filesystem::create_directories(temp.file("web"));
    }

    // Writes a source file and converts it; returns its path.
    std::string convert(const std::string& name, const std::string& content)
    {
        const std::string path = temp.write("src/" + name, content);
        LineReader reader;
        EXPECT_TRUE(reader.open(path));
        converter.convert(reader, path);
        return path;
    }
    std::string day(const std::string& relative) const { return temp.read("web/" + relative); }
    std::vector<std::string> messages() const { return platform.messages.texts(); }

    TempFolder temp;
    FakePlatform platform;
    DayWriter writer;
    ConversionRun run;
    LogConverter converter;
    int progressCalls = 0;
};

} // namespace

TEST_F(Conversion, NcsaCombinedRecords)
{
    run.serverUrl = "www.x.com";
    convert("access.log",
            "10.0.0.1 - u1 [10/Oct/2000:13:55:36 -0700] \"GET /a.gif HTTP/1.0\" 200 2326 \"-\" \"Mozilla/4.08 [en] "
            "(Win98; I ;Nav)\"\n"
            "10.0.0.2 - - [11/oct/2000:00:00:01 +0000] \"GET  /b?x=1  HTTP/1.1\" 404 - \"http://r/ x\" \"UA\"\n");
    EXPECT_EQ(converter.layout(), LogLayout::NcsaCombined);
    EXPECT_EQ(day("2000/LKLT1010.log"),
              kHead + kCombined12 +
                  "\r\n10.0.0.1 www.x.com u1 2000-10-10 13:55:36 GET /a.gif HTTP/1.0 200 2326 - "
                  "Mozilla/4.08+[en]+(Win98;+I+;Nav)\r\n");
    EXPECT_EQ(day("2000/LKLT1011.log"),
              kHead + kCombined12 +
                  "\r\n10.0.0.2 www.x.com - 2000-10-11 00:00:01 GET /b?x=1 HTTP/1.1 404 - http://r/+x UA\r\n");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Conversion, NcsaFieldCountsChooseTheHeader)
{
    run.serverUrl = "s";
    // Fields logged after the user agent (%D %{Host}i) are cut off: a
    // combined record, whatever follows, and on every line of the file.
    convert("a.log", "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.1\" 200 5 \"-\" \"Mozilla/5.0 (X11)\" "
                     "5120 www.example.com\n"
                     "1.2.3.5 - - [10/Oct/2000:13:55:37 -0700] \"GET /b HTTP/1.1\" 200 5 \"-\" \"UA\" 1 a b c d\n");
    EXPECT_EQ(converter.layout(), LogLayout::NcsaCombined);
    EXPECT_EQ(day("2000/LKLT1010.log"),
              kHead + kCombined12 +
                  "\r\n1.2.3.4 s - 2000-10-10 13:55:36 GET / HTTP/1.1 200 5 - Mozilla/5.0+(X11)\r\n"
                  "1.2.3.5 s - 2000-10-10 13:55:37 GET /b HTTP/1.1 200 5 - UA\r\n");
    // A zoneless date glues the time to the request, which stays unsplit: NCSA common.
    writer.startRun(temp.file("web") + "/");
    convert("b.log", "1.2.3.4 - - [10/Oct/2000:13:55:36] \"GET / HTTP/1.0\" 200 5\n");
    EXPECT_EQ(converter.layout(), LogLayout::NcsaCommon);
    EXPECT_EQ(day("2000/LKLT1010.log"),
              kHead + "#Fields: c-ip s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes\r\n"
                      "1.2.3.4 s - 2000-10-10 13:55:36\"GET / HTTP/1.0\" 200 5\r\n");
    // An empty referrer keeps its quotes, and so does everything after it.
    writer.startRun(temp.file("web") + "/");
    convert("c.log", "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5 \"\" \"Mozilla/4.0 (x)\"\n");
    EXPECT_NE(day("2000/LKLT1010.log")
                  .find("\r\n1.2.3.4 s - 2000-10-10 13:55:36 GET / HTTP/1.0 200 5 \"\" \"Mozilla/4.0 (x)\"\r\n"),
              std::string::npos);
}

TEST_F(Conversion, MissingServerQuestionOncePerRun)
{
    platform.messages.scriptAnswer(Answer::Yes);
    const std::string w3c = "#Software: X\r\n#Date: 2000-10-10 00:00:00\r\n#Fields: time c-ip cs-uri-stem\r\n"
                            "00:01:00 1.1.1.1 /a.htm\r\n#Date: 2000-10-11 00:00:00\r\n00:02:00 1.1.1.2 /b.htm\r\n";
    convert("ex1.log", w3c);
    convert("ncsa.log", "1.2.3.4 - - [12/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5\n");
    EXPECT_EQ(messages(), std::vector<std::string>{kMissingServer});
    const std::string head1 =
        kHead + "#Software: X\r\n#Date: 2000-10-10 00:00:00\r\n#Fields: time c-ip cs-uri-stem s-ip";
    const std::string head2 =
        kHead + "#Software: X\r\n#Date: 2000-10-11 00:00:00\r\n#Fields: time c-ip cs-uri-stem s-ip";
    // The updated block follows the first day's records; the second day opens with it.
    EXPECT_EQ(day("2000/LKLT1010.log"), head1 + "\r\n00:01:00 1.1.1.1 /a.htm -\r\n" + head2 + "\r\n");
    EXPECT_EQ(day("2000/LKLT1011.log"), head2 + "\r\n00:02:00 1.1.1.2 /b.htm -\r\n");
    EXPECT_NE(day("2000/LKLT1012.log").find("1.2.3.4 - - 2000-10-12"), std::string::npos);

    // A No cancels the whole run.
    FakePlatform other;
    DayWriter otherWriter(other.messages);
    ConversionRun otherRun;
    LogConverter refusing(other.messages, otherWriter, otherRun, {[] {}, {}});
    otherWriter.startRun(temp.file("web") + "/");
    LineReader reader;
    ASSERT_TRUE(reader.open(temp.file("src/ex1.log")));
    EXPECT_THROW(refusing.convert(reader, temp.file("src/ex1.log")), Cancelled);
}

TEST_F(Conversion, W3cDirectivesMidFile)
{
    run.serverUrl = "unused";
    convert("ex2.log",
            "#Fields: date time c-ip s-ip\n2000-10-10 00:00:01 1.1.1.1 2.2.2.2\n#Quennet: x\n#FileFormat: y\n"
            "#Fields: date time c-ip s-ip cs-uri-stem\n2000-10-10 00:00:02 1.1.1.1 2.2.2.2 /x\n"
            "#Fields: c-ip s-ip date\n1.1.1.1 2.2.2.2 2000-10-12\n");
    EXPECT_EQ(day("2000/LKLT1010.log"),
              kHead + "#Fields: date time c-ip s-ip\r\n2000-10-10 00:00:01 1.1.1.1 2.2.2.2\r\n" + kHead +
                  "#Fields: date time c-ip s-ip cs-uri-stem\r\n"
                  "2000-10-10 00:00:02 1.1.1.1 2.2.2.2 /x\r\n" +
                  kHead + "#Fields: c-ip s-ip date\r\n");
    EXPECT_EQ(day("2000/LKLT1012.log"), kHead + "#Fields: c-ip s-ip date\r\n1.1.1.1 2.2.2.2 2000-10-12\r\n");
    // A TAB in a directive makes the block TAB-delimited; records keep their TABs.
    writer.startRun(temp.file("web") + "/");
    convert("ex3.log", "#Fields:\tdate\ttime\ts-ip\n2000-10-10\t00:00:01\t2.2.2.2\n");
    EXPECT_EQ(day("2000/LKLT1010.log"), "#FileFormat:\tLKLT\r\n#Delim:\tTABDELIMITED\r\n#Fields:\tdate\ttime\ts-"
                                        "ip\r\n2000-10-10\t00:00:01\t2.2.2.2\r\n");
}

TEST_F(Conversion, CommaSeparatedRecords)
{
    run.serverUrl = "www.x.com";
    // As IIS writes it: two-digit years, hours without a leading zero.
    convert(
        "in.log",
        "192.168.114.201, -, 3/20/01, 7:55:20, W3SVC2, SALES1, -, 4502, 163, 3223, 200, 0, GET, /DeptLogo.gif, -,\r\n"
        "1.2.3.5, , 3/5/2001, 17:55:21, W3SVC2, SALES1, 9.9.9.9, 1, 2, 3, 200, 0, GET, /b.gif, -,\r\n"
        "1.2.3.6, -, 12/31/99, 0:00:01, W3SVC2, SALES1, -, 1, 2, 3, 200, 0, GET, /c.gif, -,\r\n"
        "1.2.3.7, -, 1/1/69, 7:55:22, W3SVC2, SALES1, -, 1, 2, 3, 200, 0, GET, /d.gif, -,\r\n"
        "1.2.3.8, -, 1/1/1, 7:55:22, W3SVC2, SALES1, -, 1, 2, 3, 200, 0, GET, /e.gif, -,\r\n");
    const std::string fields = "#Fields: c-ip cs-username date time s-sitename s-computername s-ip time-taken "
                               "cs-bytes sc-bytes sc-status sc-win32-status cs-method cs-uri-stem cs(Cookie)\r\n";
    EXPECT_EQ(day("2001/LKLT0320.log"),
              kHead + fields +
                  "192.168.114.201 - 2001-03-20 07:55:20 W3SVC2 SALES1 www.x.com 4502 163 3223 "
                  "200 0 GET /DeptLogo.gif -\r\n");
    EXPECT_EQ(day("2001/LKLT0305.log"),
              kHead + fields + "1.2.3.5 - 2001-03-05 17:55:21 W3SVC2 SALES1 9.9.9.9 1 2 3 200 0 GET /b.gif -\r\n");
    EXPECT_NE(day("1999/LKLT1231.log").find("1.2.3.6 - 1999-12-31 00:00:01 "), std::string::npos);
    EXPECT_NE(day("2069/LKLT0101.log").find("1.2.3.7 - 2069-01-01 07:55:22 "), std::string::npos);
    EXPECT_EQ(writer.runDays().size(), 4u); // a one-digit year stays unreadable
    EXPECT_EQ(converter.recordsWritten(), 4);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Conversion, NetscapeAndSiteLayouts)
{
    run.serverUrl = "srv";
    convert("ns.log", "format=%Ses->client.ip% - %Req->vars.auth-user% [%SYSDATE%] \"%Req->reqpb.clf-request%\" "
                      "%Req->srvhdrs.clf-status% %Req->srvhdrs.content-length%\n"
                      "1.2.3.4 - joe [10/Oct/2000:13:55:36 -0700] \"GET /x HTTP/1.0\" 200 123\n");
    EXPECT_EQ(day("2000/LKLT1010.log"),
              kHead + "#Fields: c-ip - authuser date time cs-method cs-uri-stem cs-version sc-status "
                      "sc-bytes s-ip\r\n1.2.3.4 - joe 2000-10-10 13:55:36 GET /x HTTP/1.0 200 123 srv\r\n");
    writer.startRun(temp.file("web") + "/");
    convert("site.log", "1.2.3.4 site1 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5 \"-\" \"UA\"\n"
                        "1.2.3.5 - - - [10/Oct/2000:13:55:37 -0700] \"GET / HTTP/1.0\" 200 5 \"-\" \"UA\"\n");
    EXPECT_EQ(converter.layout(), LogLayout::NcsaSite);
    EXPECT_EQ(day("2000/LKLT1010.log"), kHead +
                                            "#Fields: c-ip s-sitename s-ip cs-username date time cs-method cs-uri-stem "
                                            "cs-version sc-status sc-bytes cs(Referer) cs(User-Agent)\r\n"
                                            "1.2.3.4 site1 site1 - 2000-10-10 13:55:36 GET / HTTP/1.0 200 5 - UA\r\n"
                                            "1.2.3.5 - srv - 2000-10-10 13:55:37 GET / HTTP/1.0 200 5 - UA\r\n");
}

TEST_F(Conversion, RejectedFilesAndTheirMessages)
{
    const std::string empty = convert("empty.log", "");
    const std::string blank = convert("blank.log", "  \r\n\t\r\n");
    const std::string error =
        convert("error.log", "[Wed Oct 11 14:32:52 2000] [error] [client 127.0.0.1] client denied by server "
                             "configuration: /export/home/live/ap/htdocs/test\n");
    const std::string odd = convert("odd.log", "a b [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5\n");
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "Empty Log File: " + blank + "\nCannot Process Empty Log.",
                              "Unsupported Log File Type: \n" + error + "\nCannot Process.",
                              "Unrecognized file format.\nThe format of the log file: \n" + odd +
                                  "\nis not currently supported.\nContact Quennet for any updates to the program.",
                          }));
    EXPECT_TRUE(writer.runDays().empty());
    (void)empty;
}

TEST_F(Conversion, LeadingJunkIsSkippedAndBadDatesDropped)
{
    run.serverUrl = "s";
    convert("mixed.log", "\n[Wed Oct 11 14:32:52 2000] [error] [client 1.1.1.1] nope\nplain words\n"
                         "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET /1 HTTP/1.0\" 200 5\n"
                         "not a record\n"
                         "1.2.3.4 - - [30/Feb/2000:13:55:36 -0700] \"GET /2 HTTP/1.0\" 200 5\n"
                         "1.2.3.4 - - [10/Xyz/2000:13:55:36 -0700] \"GET /3 HTTP/1.0\" 200 5\n"
                         "1.2.3.4 - - [10/Oct/2000:13:55:37 -0700] \"GET /4 HTTP/1.0\" 200 5");
    const std::string file = day("2000/LKLT1010.log");
    EXPECT_NE(file.find("GET /1 "), std::string::npos);
    EXPECT_NE(file.find("GET /4 HTTP/1.0 200 5\r\n"), std::string::npos); // no final line break in the source
    EXPECT_EQ(file.find("GET /2"), std::string::npos);
    EXPECT_EQ(file.find("GET /3"), std::string::npos);
    EXPECT_EQ(writer.runDays().size(), 1u);
}

TEST_F(Conversion, BatchesFlushAndProgressIsThrottled)
{
    run.serverUrl = "s";
    std::string content;
    for (int i = 0; i < 20000; ++i)
        content += "1.2.3.4 - - [" + std::string(i < 10000 ? "10" : "11") + "/Oct/2000:13:55:36 -0700] \"GET /" +
                   std::to_string(i) + " HTTP/1.0\" 200 5\n";
    convert("big.log", content);
    EXPECT_EQ(progressCalls, 200);
    EXPECT_EQ(run.linesHandled, 20000);
    const std::string day10 = day("2000/LKLT1010.log");
    // One segment per day: flushing a batch never adds a header block.
    EXPECT_EQ(day10.find("#FileFormat", 1), std::string::npos);
    EXPECT_NE(day10.find("GET /9999 "), std::string::npos);
    EXPECT_NE(day("2000/LKLT1011.log").find("GET /19999 "), std::string::npos);
}

TEST_F(Conversion, SiteLayoutErrorBatchEndsTheFile)
{
    run.serverUrl = "s";
    const std::string record =
        "1.2.3.4 site1 2.2.2.2 - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5 \"-\" \"UA\"\n";
    const std::string path = convert("site.log", record + "[Wed Oct 11 14:32:52 2000] [error] x\n" + record);
    EXPECT_TRUE(messages().empty()); // nothing follows the batch
    EXPECT_TRUE(writer.runDays().empty());
    std::string content = record + "[Wed Oct 11 14:32:52 2000] [error] x\n";
    for (int i = 0; i < 8001; ++i)
        content += record;
    const std::string longer = convert("site2.log", content);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Unrecognized file format.", 0), 0u);
    (void)path;

    // The check holds for every batch: a second batch opening with an error
    // line ends the file after the first batch's records.
    std::string twoBatches;
    for (int i = 0; i < 8001; ++i)
        twoBatches += record;
    twoBatches += record + "[Wed Oct 11 14:32:52 2000] [error] x\n" + record;
    convert("site3.log", twoBatches);
    EXPECT_EQ(messages().size(), 1u);
    const std::string file = day("2000/LKLT1010.log");
    std::size_t records = 0;
    for (std::size_t at = file.find("GET /"); at != std::string::npos; at = file.find("GET /", at + 1))
        ++records;
    EXPECT_EQ(records, 8001u);
}

TEST_F(Conversion, CancelStopsBeforeTheNextRecord)
{
    run.serverUrl = "s";
    platform.cancel.request();
    EXPECT_THROW(convert("a.log", "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5\n"), Cancelled);
    EXPECT_TRUE(writer.runDays().empty());
}

TEST_F(Conversion, HostileDirectivesCannotBlowUpTheOutput)
{
    run.serverUrl = "s";
    std::string content = "#Fields: date time s-ip\n2000-10-10 00:00:01 1.1.1.1\n";
    for (int i = 0; i < 20000; ++i)
        content += "#X" + std::to_string(i) + ": " + std::string(40, 'v') + "\n";
    content += "2000-10-10 00:00:02 1.1.1.1\n";
    convert("hostile.log", content);
    const std::string file = day("2000/LKLT1010.log");
    // Without a bound every new directive would copy the growing block: gigabytes.
    EXPECT_LT(file.size(), 4u << 20);
    EXPECT_NE(file.find("#X0: "), std::string::npos);
    EXPECT_EQ(file.find("#X100: "), std::string::npos);
    EXPECT_NE(file.rfind("2000-10-10 00:00:02 1.1.1.1\r\n"), std::string::npos);
}

TEST_F(Conversion, ApacheVirtualHostRecords)
{
    run.serverUrl = "unused";
    convert("other_vhosts_access.log",
            "www.example.com:443 203.0.113.5 - - [10/Oct/2000:13:55:36 -0700] \"GET /index.html HTTP/1.1\" 200 2326 "
            "\"https://www.example.com/\" \"Mozilla/5.0 (Windows NT 10.0)\"\n"
            "shop.example.com:8080 203.0.113.6 - bob [10/Oct/2000:13:55:37 -0700] \"GET /cart HTTP/1.1\" 302 - \"-\" "
            "\"curl/7.68.0\" 1234\n"
            "example.org:80 2001:db8::7 - - [10/Oct/2000:13:55:38 -0700] \"GET / HTTP/1.1\" 200 5 \"-\" \"UA\"\n");
    EXPECT_EQ(converter.layout(), LogLayout::ApacheVirtualHost);
    EXPECT_EQ(
        day("2000/LKLT1010.log"),
        kHead +
            "#Fields: c-ip s-sitename s-ip cs-username date time cs-method cs-uri-stem cs-version sc-status sc-bytes "
            "cs(Referer) cs(User-Agent)\r\n"
            "203.0.113.5 www.example.com www.example.com - 2000-10-10 13:55:36 GET /index.html HTTP/1.1 200 2326 "
            "https://www.example.com/ Mozilla/5.0+(Windows+NT+10.0)\r\n"
            "203.0.113.6 shop.example.com shop.example.com:8080 bob 2000-10-10 13:55:37 GET /cart HTTP/1.1 302 - - "
            "curl/7.68.0\r\n"
            "2001:db8::7 example.org example.org - 2000-10-10 13:55:38 GET / HTTP/1.1 200 5 - UA\r\n");

    // A site-layout record whose client is an IPv6 address is no virtual host.
    writer.startRun(temp.file("web") + "/");
    convert("site.log", "2001:db8::1 site1 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5 \"-\" \"UA\"\n");
    EXPECT_EQ(converter.layout(), LogLayout::NcsaSite);
    EXPECT_NE(day("2000/LKLT1010.log").find("\r\n2001:db8::1 site1 site1 - 2000-10-10"), std::string::npos);
}

TEST_F(Conversion, ByteOrderMarks)
{
    run.serverUrl = "s";
    // IIS writes a UTF-8 mark before the first directive.
    convert("u_ex001010.log", "\xEF\xBB\xBF#Software: Microsoft Internet Information Services 10.0\r\n"
                              "#Fields: date time s-ip cs-method cs-uri-stem\r\n"
                              "2000-10-10 00:00:01 10.0.0.1 GET /\r\n");
    EXPECT_EQ(day("2000/LKLT1010.log"), kHead + "#Software: Microsoft Internet Information Services 10.0\r\n"
                                                "#Fields: date time s-ip cs-method cs-uri-stem\r\n"
                                                "2000-10-10 00:00:01 10.0.0.1 GET /\r\n");
    EXPECT_EQ(converter.recordsWritten(), 1);
    EXPECT_TRUE(messages().empty());

    // UTF-16, as Windows tools save text, is read as UTF-8.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("#Fields: date time s-ip cs-uri-stem\r\n2000-10-11 00:00:01 10.0.0.1 /\r\n")) {
        wide += c;
        wide += '\0';
    }
    convert("wide.log", wide);
    EXPECT_EQ(day("2000/LKLT1011.log"), kHead + "#Fields: date time s-ip cs-uri-stem\r\n2000-10-11 00:00:01 10.0.0.1 /\r\n");
    EXPECT_TRUE(messages().empty());

    // Compressed UTF-16 is refused by name, nothing written.
    const std::string packed = convert("wide.log.gz", gzip(wide));
    EXPECT_TRUE(converter.gaveNothing());
    EXPECT_EQ(messages(), std::vector<std::string>{"The file: " + packed +
                                                   " is Unicode (UTF-16) text and cannot be imported.\nSave it as "
                                                   "UTF-8 or ANSI text and import it again.\nIt will be skipped."});
    EXPECT_EQ(writer.runDays().size(), 2u);
}

TEST_F(Conversion, FileWhoseEveryRecordIsDroppedSaysSo)
{
    run.serverUrl = "s";
    const std::string path =
        convert("bad.log", "1.2.3.4, -, 13/45/2001, 7:55:20, W3SVC2, SALES1, -, 1, 2, 3, 200, 0, GET, /a, -,\r\n"
                           "1.2.3.4, -, x, 7:55:20, W3SVC2, SALES1, -, 1, 2, 3, 200, 0, GET, /b, -,\r\n");
    EXPECT_TRUE(converter.gaveNothing());
    EXPECT_EQ(converter.recordsWritten(), 0);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"No records were imported from the file: " + path +
                                       "\nNone of its lines has a valid date in a layout the import reads."});

    // Directives alone (a quiet day of IIS) are no fault; neither is an
    // unrecognised file told twice.
    convert("quiet.log", "#Software: IIS\r\n#Date: 2000-10-10 00:00:00\r\n#Fields: date time s-ip\r\n");
    EXPECT_FALSE(converter.gaveNothing());
    convert("blank.log", "\r\n \r\n");
    EXPECT_FALSE(converter.gaveNothing());
    convert("odd.log", "a b [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5\n");
    EXPECT_TRUE(converter.gaveNothing());
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(Conversion, ManyDirectivesNeverCostTheFieldList)
{
    run.serverUrl = "s";
    std::string content;
    for (int i = 0; i < 100; ++i)
        content += "#Remark" + std::to_string(i) + ": rotated by logrotate\r\n";
    content += "#Fields: time c-ip date\r\n00:00:01 1.1.1.1 2000-10-10\r\n";
    convert("ex1.log", content);
    const std::string file = day("2000/LKLT1010.log");
    // The field list is written and governs: the date is read from the third field.
    EXPECT_NE(file.find("#Remark0: "), std::string::npos);
    EXPECT_EQ(file.find("#Remark63: "), std::string::npos);
    EXPECT_NE(file.find("\r\n#Fields: time c-ip date s-ip\r\n00:00:01 1.1.1.1 2000-10-10 s\r\n"), std::string::npos);

    // A field list too long to write is dropped whole: the records stay
    // under the list above them, dated as before.
    writer.startRun(temp.file("web") + "/");
    convert("ex2.log", "#Fields: date time c-ip s-ip\r\n2000-10-11 00:00:01 1.1.1.1 2.2.2.2\r\n#Fields: x" +
                           std::string(40 << 10, 'y') + " date\r\n2000-10-11 00:00:02 1.1.1.1 2.2.2.2\r\n");
    EXPECT_EQ(day("2000/LKLT1011.log"), kHead +
                                            "#Fields: date time c-ip s-ip\r\n2000-10-11 00:00:01 1.1.1.1 2.2.2.2\r\n"
                                            "2000-10-11 00:00:02 1.1.1.1 2.2.2.2\r\n");
}
