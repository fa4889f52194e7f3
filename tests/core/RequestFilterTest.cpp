#include "analysis/RecordFilter.h"
#include "analysis/RequestClass.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace larkspan::analysis;

namespace {

// The classification rules spelt out: the lower-cased, trimmed extension is
// looked for as a whole entry of each list in turn.
HitType plainClassify(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    std::string ext;
    if (dot != std::string_view::npos) {
        ext = std::string(path.substr(dot));
        if (ext.find_first_of("\\:") != std::string::npos) ext.clear();
    }
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    while (!ext.empty() && static_cast<unsigned char>(ext.back()) <= ' ')
        ext.pop_back();
    if (ext.empty() || (!path.empty() && path.back() == '/')) return HitType::Page;
    const auto listed = [&ext](std::string_view list) {
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t end = list.find(';', start);
            if (list.substr(start, end - start) == ext) return true;
            start = end + 1;
        }
        return false;
    };
    if (listed(kPageExtensions)) return HitType::Page;
    if (listed(kDownloadExtensions)) return HitType::Download;
    if (listed(kImageExtensions)) return HitType::Image;
    return HitType::Other;
}

// The extension the traffic details tally: after the last dot of the last
// segment, as logged.
std::string_view plainExtension(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (path.find_first_of("/\\", dot) != std::string_view::npos) return {};
    return path.substr(dot + 1);
}

void expectSameAsPlain(const std::string& path)
{
    const PathEnding ending = classifyEnding(path);
    EXPECT_EQ(ending.type, plainClassify(path)) << path;
    EXPECT_EQ(classify(path), plainClassify(path)) << path;
    EXPECT_EQ(ending.extension, plainExtension(path)) << path;
    if (!ending.extension.empty()) {
        EXPECT_EQ(ending.extension.data() + ending.extension.size(), path.data() + path.size());
    }
}

} // namespace

TEST(RequestClass, HitTypesByExtension)
{
    EXPECT_EQ(requestPath("/Shop/Cart.ASP?id=3"), "/Shop/Cart.ASP");
    EXPECT_EQ(classify(requestPath("/Shop/Cart.ASP?id=3")), HitType::Page);
    for (const char* page :
         {"/", "/news/", "/news", "/a.b/", "/readme.txt", "/x.SHTML", "/dir\\a.htm", "/a.b\\c", "/c:x.y:z"}) {
        EXPECT_EQ(classify(page), HitType::Page) << page;
    }
    EXPECT_EQ(classify(requestPath("/files/setup.exe?x=1")), HitType::Download);
    EXPECT_EQ(classify("/archive.z"), HitType::Download);
    EXPECT_EQ(classify("/song.MP3"), HitType::Download);
    EXPECT_EQ(classify("/logo.GIF"), HitType::Image);
    EXPECT_EQ(classify("/pic.jpeg"), HitType::Image);
    for (const char* other :
         {"/style.css", "/data.xml", "/a.b/c", "/archive.zz", "/x.", "/x.htmlx", "/x.verylongext", "/x.h\xe9m"}) {
        EXPECT_EQ(classify(other), HitType::Other) << other;
    }
}

TEST(RequestClass, EveryListedExtensionAndRandomPathsClassifyAsTheListsSay)
{
    std::string all = std::string(kPageExtensions) + std::string(kDownloadExtensions) + std::string(kImageExtensions);
    std::vector<std::string> pieces{"/", ".", "\\", ":", " ", "\t", "?", "A", "x", "\xc9", std::string(1, '\0')};
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find(';', start);
        const std::string entry = all.substr(start, end - start);
        std::string upper = entry;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& path : {"/a" + entry, "/a" + upper + " \t", "/a" + entry + "x", "/a" + entry + "/",
                                        "/a" + entry.substr(0, entry.size() - 1), entry, "/a.b" + entry + ";"})
            expectSameAsPlain(path);
        pieces.push_back(entry);
        pieces.push_back(upper);
        start = end + 1;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string path;
        for (std::size_t n = random() % 6; n > 0; --n)
            path += pieces[random() % pieces.size()];
        expectSameAsPlain(path);
    }
    for (const char* path : {"", ".", "/", "a.", " ", ". ", "/x/Report.PDF", "C:\\logs.d\\name", "archive.tar.GZ",
                             "/a.htm ", "/a.b/c", "/x.verylongext/", "\\.exe", "..", "/a.htm\t."})
        expectSameAsPlain(path);
}

TEST(RequestClass, DotsAndSeparatorsAtEveryPositionOfShortAndLongPaths)
{
    // A dot at each place of short and long paths, then a separator or a
    // second dot at each other place.
    for (std::size_t length = 1; length <= 20; ++length) {
        for (std::size_t dot = 0; dot < length; ++dot) {
            std::string path(length, 'm');
            path[dot] = '.';
            expectSameAsPlain(path);
            for (std::size_t at = 0; at < length; ++at) {
                if (at == dot) continue;
                for (char separator : {'/', '\\', ':', '.', ' '}) {
                    std::string marked = path;
                    marked[at] = separator;
                    expectSameAsPlain(marked);
                }
            }
            // Listed extensions ending at the end.
            if (dot + 4 == length) {
                for (const char* extension : {".htm", ".GIF", ".exe", ".z  ", ".Z\t "}) {
                    std::string listed = path;
                    listed.replace(dot, 4, extension);
                    expectSameAsPlain(listed);
                }
            }
        }
    }
}

TEST(RequestClass, RequestPathsEndBeforeTheFirstQuestionMark)
{
    // Short and long paths, with the mark at every position or missing.
    for (std::size_t length = 0; length <= 100; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            std::string uri(length, 'p');
            if (at < length) uri[at] = '?';
            if (at + 3 < length) uri[at + 3] = '?';
            EXPECT_EQ(requestPath(uri), std::string_view(uri).substr(0, uri.find('?'))) << uri;
        }
    }
}

TEST(RequestClass, MethodsAndErrorStatuses)
{
    EXPECT_TRUE(isCountedMethod("GET"));
    EXPECT_TRUE(isCountedMethod("head"));
    EXPECT_FALSE(isCountedMethod("POST"));
    EXPECT_FALSE(isCountedMethod(""));
    // Every spelling of three and four bytes that differs from "GET" or
    // "HEAD" in one byte by a bit.
    for (std::string method : {"GET", "HEAD", "get", "hEaD"}) {
        for (std::size_t i = 0; i < method.size(); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                std::string changed = method;
                changed[i] = static_cast<char>(changed[i] ^ (1 << bit));
                const bool caseOnly = bit == 5;
                EXPECT_EQ(isCountedMethod(changed), caseOnly) << changed;
            }
        }
        EXPECT_FALSE(isCountedMethod(method + " "));
        EXPECT_FALSE(isCountedMethod(method.substr(1)));
    }
    EXPECT_TRUE(isErrorStatus("404"));
    EXPECT_TRUE(isErrorStatus("500"));
    EXPECT_TRUE(isErrorStatus("4ab"));
    for (const char* s : {"304", "4", "4040", "-", "", " 404"})
        EXPECT_FALSE(isErrorStatus(s)) << s;
}

TEST(RecordFilter, SubWebAndExcludedDirectories)
{
    RecordFilter f = RecordFilter::build(
        {}, {"/Sales,SubDomain", "/tmp,Exclude", "images,EXCLUDE", "/x,Excluded", "/x,", "/y,SubDomain", "noComma"});
    ASSERT_TRUE(f.subWeb());
    EXPECT_EQ(*f.subWeb(), "/Sales/");
    EXPECT_EQ(f.excludedDirectories(), (std::vector<std::string>{"/tmp/", "/images/"}));
    EXPECT_TRUE(f.accept("/sales/index.htm", ""));
    EXPECT_TRUE(f.accept("/SALES/x/", ""));
    EXPECT_FALSE(f.accept("/sales", ""));
    EXPECT_FALSE(f.accept("/y/a.htm", ""));
    EXPECT_FALSE(f.accept("/other/a.htm", ""));

    RecordFilter g = RecordFilter::build({}, {"/tmp,Exclude", "images, exclude", "/Images,Exclude"});
    EXPECT_FALSE(g.subWeb());
    EXPECT_FALSE(g.accept("/TMP/a", ""));
    EXPECT_FALSE(g.accept("/images/a.gif", ""));
    EXPECT_TRUE(g.accept("/tmp", ""));
    EXPECT_TRUE(g.accept("/x/images/a.gif", ""));

    // A blank keyword on the first line removes it; an empty path is "/".
    RecordFilter h = RecordFilter::build({}, {"/a, ", ",SubDomain"});
    EXPECT_FALSE(h.subWeb());
    RecordFilter root = RecordFilter::build({}, {",SUBDOMAIN"});
    EXPECT_EQ(*root.subWeb(), "/");
}

TEST(RecordFilter, ExcludedAddressesAndRanges)
{
    RecordFilter f = RecordFilter::build({"192.168.1.10,12", "192.168.1.*", " Proxy.Example.COM ", "10.0.0.9,3",
                                          "10.1.1.x,5", "10.2.2.2,y", "172.16.0.1,4000000000"},
                                         {});
    for (const char* ip : {"192.168.1.10", "192.168.1.11", "192.168.1.12", "proxy.example.com", "10.0.0.9",
                           "172.16.0.1", "172.16.0.2", "172.16.0.3999999999"}) {
        EXPECT_TRUE(f.isExcludedAddress(ip)) << ip;
        EXPECT_FALSE(f.accept("/", ip)) << ip;
    }
    for (const char* ip : {"192.168.1.9", "192.168.1.13", "192.168.1.012", "192.168.1.5", "10.0.0.8", "10.1.1.x",
                           "10.1.1.5", "10.2.2.2", "", "172.16.0.4000000001"}) {
        EXPECT_FALSE(f.isExcludedAddress(ip)) << ip;
    }
    // A blank line matches only records without an address.
    RecordFilter blank = RecordFilter::build({"1.2.3.4", ""}, {});
    EXPECT_FALSE(blank.accept("/", ""));
    EXPECT_TRUE(blank.accept("/", "-"));
    EXPECT_TRUE(RecordFilter::build({}, {}).accept("/", ""));
}
