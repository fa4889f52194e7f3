#include "samples/SampleCatalog.h"

#include <array>

namespace larkspan::samples {

namespace {

using K = ResourceKind;

constexpr std::array kResources{
    Resource{"/", K::Page, 18432, 300},
    Resource{"/index.html", K::Page, 18432, 60},
    Resource{"/about.html", K::Page, 9216, 40},
    Resource{"/products/", K::Page, 14336, 80},
    Resource{"/products/widget.html", K::Page, 12800, 70},
    Resource{"/products/gadget.html", K::Page, 11776, 50},
    Resource{"/products/compare.php", K::Page, 21504, 25},
    Resource{"/pricing.html", K::Page, 8704, 45},
    Resource{"/blog/", K::Page, 16384, 40},
    Resource{"/blog/2024/spring-release.html", K::Page, 24576, 30},
    Resource{"/blog/2024/reading-access-logs.html", K::Page, 30720, 35},
    Resource{"/blog/2025/faster-imports.html", K::Page, 27648, 25},
    Resource{"/news/index.asp", K::Page, 10240, 20},
    Resource{"/support/faq.html", K::Page, 19456, 45},
    Resource{"/support/contact.php", K::Page, 7168, 25},
    Resource{"/docs/install.htm", K::Page, 15360, 30},
    Resource{"/docs/manual.htm", K::Page, 40960, 20},
    Resource{"/search.php", K::Page, 11264, 30},
    Resource{"/shop/item.aspx", K::Page, 13312, 30},
    Resource{"/shop/cart.php", K::Page, 6144, 15},
    Resource{"/login.php", K::Page, 4096, 15},
    Resource{"/account/", K::Page, 5120, 10},
    Resource{"/robots.txt", K::Page, 312, 0},
    Resource{"/sitemap.xml", K::Page, 6400, 0},
    Resource{"/css/site.css", K::Embedded, 24310, 0},
    Resource{"/js/app.js", K::Embedded, 61440, 0},
    Resource{"/images/logo.png", K::Embedded, 7340, 0},
    Resource{"/images/spacer.gif", K::Embedded, 43, 0},
    Resource{"/favicon.ico", K::Embedded, 1150, 0},
    Resource{"/images/hero.jpg", K::Embedded, 184320, 30},
    Resource{"/images/widget-front.jpg", K::Embedded, 65536, 25},
    Resource{"/images/widget-side.jpg", K::Embedded, 58368, 20},
    Resource{"/images/gadget.png", K::Embedded, 40960, 20},
    Resource{"/images/team/photo-1.jpg", K::Embedded, 35840, 10},
    Resource{"/images/chart.svg", K::Embedded, 12288, 10},
    Resource{"/images/banner.gif", K::Embedded, 20480, 15},
    Resource{"/downloads/larkspan-setup.exe", K::Download, 8650752, 30},
    Resource{"/downloads/larkspan-2.4.tar.gz", K::Download, 3145728, 20},
    Resource{"/downloads/manual.pdf", K::Download, 1048576, 35},
    Resource{"/downloads/sample-data.zip", K::Download, 524288, 15},
    Resource{"/downloads/larkspan.msi", K::Download, 8912896, 10},
    Resource{"/products", K::Redirect, 235, 20},
    Resource{"/blog", K::Redirect, 231, 10},
    Resource{"/old/index.html", K::Redirect, 229, 10},
    Resource{"/old-page.html", K::Missing, 196, 30},
    Resource{"/apple-touch-icon.png", K::Missing, 196, 40},
    Resource{"/images/banner-2019.gif", K::Missing, 196, 15},
    Resource{"/wp-login.php", K::Missing, 196, 25},
    Resource{"/.env", K::Missing, 196, 15},
    Resource{"/xmlrpc.php", K::Missing, 196, 10},
    Resource{"/phpmyadmin/index.php", K::Missing, 196, 10},
    Resource{"/admin/", K::Forbidden, 199, 15},
    Resource{"/private/report.html", K::Forbidden, 199, 5},
    Resource{"/.git/config", K::Forbidden, 199, 10},
    Resource{"/members/index.html", K::Members, 8192, 15},
    Resource{"/members/downloads.html", K::Members, 6144, 10},
    Resource{"/cgi-bin/search.cgi", K::Flaky, 9728, 15},
    Resource{"/shop/checkout.php", K::Flaky, 7680, 10},
};

constexpr std::array<std::string_view, 4> kFurniture{"/css/site.css", "/js/app.js", "/images/logo.png", "/favicon.ico"};

constexpr std::array kBrowsers{
    Browser{"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/131.0.0.0 Safari/537.36",
            300},
    Browser{"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/131.0.0.0 Safari/537.36",
            80},
    Browser{"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0 "
            "Safari/537.36",
            30},
    Browser{"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0 "
            "Mobile Safari/537.36",
            160},
    Browser{"Mozilla/5.0 (iPhone; CPU iPhone OS 17_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
            "CriOS/131.0.6778.73 Mobile/15E148 Safari/604.1",
            20},
    Browser{"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:133.0) Gecko/20100101 Firefox/133.0", 60},
    Browser{"Mozilla/5.0 (Macintosh; Intel Mac OS X 10.15; rv:133.0) Gecko/20100101 Firefox/133.0", 15},
    Browser{"Mozilla/5.0 (X11; Linux x86_64; rv:133.0) Gecko/20100101 Firefox/133.0", 20},
    Browser{"Mozilla/5.0 (X11; Ubuntu; Linux x86_64; rv:133.0) Gecko/20100101 Firefox/133.0", 10},
    Browser{"Mozilla/5.0 (Android 14; Mobile; rv:133.0) Gecko/133.0 Firefox/133.0", 8},
    Browser{"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
            "Version/18.1 Safari/605.1.15",
            70},
    Browser{"Mozilla/5.0 (iPhone; CPU iPhone OS 18_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
            "Version/18.1 Mobile/15E148 Safari/604.1",
            150},
    Browser{"Mozilla/5.0 (iPad; CPU OS 18_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
            "Version/18.1 Mobile/15E148 Safari/604.1",
            25},
    Browser{"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/131.0.0.0 Safari/537.36 Edg/131.0.0.0",
            90},
    Browser{"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/131.0.0.0 Safari/537.36 Edg/131.0.0.0",
            8},
    Browser{"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/131.0.0.0 "
            "Mobile Safari/537.36 EdgA/131.0.0.0",
            5},
    Browser{"Mozilla/5.0 (Linux; Android 14; SAMSUNG SM-S911B) AppleWebKit/537.36 (KHTML, like Gecko) "
            "SamsungBrowser/26.0 Chrome/122.0.0.0 Mobile Safari/537.36",
            25},
    Browser{"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/131.0.0.0 Safari/537.36 OPR/115.0.0.0",
            12},
    Browser{"Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; rv:11.0) like Gecko", 4},
    Browser{"Mozilla/4.08 [en] (Win98; I ;Nav)", 1},
};

constexpr std::array kRobots{
    Robot{"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)", "66.249.66", "crawl-66-249-66-",
          ".googlebot.com", 40},
    Robot{"Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)", "157.55.39", "msnbot-157-55-39-",
          ".search.msn.com", 25},
    Robot{"Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)", "5.255.231", "5-255-231-",
          ".spider.yandex.com", 10},
    Robot{"Mozilla/5.0 (compatible; Baiduspider/2.0; +http://www.baidu.com/search/spider.html)", "220.181.108",
          "baiduspider-220-181-108-", ".crawl.baidu.com", 8},
    Robot{"DuckDuckBot/1.1; (+http://duckduckgo.com/duckduckbot.html)", "20.191.45", "", "", 5},
    Robot{"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_5) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/13.1.1 "
          "Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
          "17.58.98", "17-58-98-", ".applebot.apple.com", 6},
    Robot{"Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)", "54.36.148", "ip-54-36-148-",
          ".a.ahrefs.com", 12},
    Robot{"Mozilla/5.0 (compatible; SemrushBot/7~bl; +http://www.semrush.com/bot.html)", "85.208.96", "", "", 10},
    Robot{"facebookexternalhit/1.1 (+http://www.facebook.com/externalhit_uatext.php)", "69.171.249",
          "fbexternal-69-171-249-", ".fbsv.net", 5},
    Robot{"Mozilla/5.0+(compatible; UptimeRobot/2.0; http://www.uptimerobot.com/)", "216.144.250", "", "", 15},
    Robot{"curl/7.88.1", "198.51.100", "", "", 4},
    Robot{"Wget/1.21.3", "203.0.113", "", "", 3},
    Robot{"python-requests/2.31.0", "45.148.10", "", "", 8},
};

constexpr std::array kEngines{
    SearchEngine{"https://www.google.com/search?q=", "&sourceid=chrome&ie=UTF-8", 40},
    SearchEngine{"https://www.google.co.uk/search?q=", "&hl=en-GB", 8},
    SearchEngine{"https://www.google.de/search?client=firefox-b-d&q=", "", 6},
    SearchEngine{"https://www.bing.com/search?q=", "&form=QBLH&sp=-1", 14},
    SearchEngine{"https://search.yahoo.com/search?p=", "&fr=yfp-t&fp=1", 5},
    SearchEngine{"https://duckduckgo.com/?q=", "&t=h_&ia=web", 8},
    SearchEngine{"https://yandex.ru/search/?text=", "&lr=213", 4},
    SearchEngine{"https://www.baidu.com/s?wd=", "&rsv_spt=1&ie=utf-8", 4},
    SearchEngine{"https://www.ecosia.org/search?q=", "&method=index", 2},
};

constexpr std::array kPhrases{
    Weighted{"web log analyser", 30},
    Weighted{"apache log analyzer", 25},
    Weighted{"larkspan", 40},
    Weighted{"larkspan download", 15},
    Weighted{"iis log report", 10},
    Weighted{"website statistics software", 12},
    Weighted{"access log analysis", 10},
    Weighted{"free web stats", 8},
    Weighted{"widget price", 12},
    Weighted{"gadget review", 9},
    Weighted{"how to read server logs", 6},
    Weighted{"w3c extended log format", 5},
    Weighted{"ncsa combined log", 5},
    Weighted{"referrer report", 4},
    Weighted{"search engine keywords report", 3},
    Weighted{"log file analysis tool windows", 3},
    Weighted{"widget", 7},
    Weighted{"example widgets faq", 2},
};

constexpr std::array kReferringPages{
    Weighted{"https://www.google.com/", 60},
    Weighted{"https://news.ycombinator.com/item?id=38123456", 6},
    Weighted{"https://www.reddit.com/r/sysadmin/comments/1abcde/log_analysis_tools/", 8},
    Weighted{"https://t.co/Ab12Cd34Ef", 6},
    Weighted{"https://github.com/example/awesome-sysadmin", 5},
    Weighted{"https://stackoverflow.com/questions/1234567/how-to-analyse-apache-logs", 7},
    Weighted{"http://partner.example.org/links.html", 6},
    Weighted{"https://blog.example.net/2024/05/favourite-tools/", 5},
    Weighted{"https://www.facebook.com/", 6},
    Weighted{"https://l.facebook.com/l.php?u=https%3A%2F%2Fwww.example.com%2F&h=AT0x", 4},
    Weighted{"https://ads.example-adnetwork.com/click?cid=4711&placement=banner", 6},
    Weighted{"https://shop.example-affiliate.com/recommends/widget?aff=77", 4},
    Weighted{"http://www.example-directory.org/computers/software/", 3},
    Weighted{"https://mail.example-webmail.de/", 2},
};

constexpr std::array kProviders{
    Weighted{"dsl.example-telecom.de", 14},      Weighted{"cable.example-net.co.uk", 12},
    Weighted{"adsl.exemple-fai.fr", 9},          Weighted{"fiber.example-isp.com", 25},
    Weighted{"dyn.example-broadband.net", 15},   Weighted{"mobile.example-carrier.jp", 6},
    Weighted{"static.example-hosting.nl", 5},    Weighted{"res.example-cable.ca", 7},
    Weighted{"user.example-provider.com.au", 5}, Weighted{"dhcp.example-univ.edu", 6},
    Weighted{"client.example-telecom.it", 5},    Weighted{"ip.example-net.com.br", 5},
    Weighted{"pool.example-isp.ru", 4},          Weighted{"proxy.example-corp.com", 6},
    Weighted{"gw.example-agency.gov", 2},        Weighted{"wlan.example-campus.ac.uk", 3},
    Weighted{"dial.example-isp.in", 4},          Weighted{"home.example-fibra.es", 4},
};

constexpr std::array kClientOctets{24,  31,  37,  46,  62,  67,  71,  77,  81,  84,  86,  90,  92,  98,
                                   101, 109, 115, 151, 173, 176, 185, 188, 193, 201, 203, 212, 213, 217};

constexpr std::array<std::string_view, 6> kUserNames{"alice", "bob", "carol", "dave", "erin", "frank"};

constexpr std::array<std::string_view, 8> kQueries{"utm_source=newsletter&utm_medium=email",
                                                   "id=1042",
                                                   "page=2",
                                                   "lang=de",
                                                   "sort=price&dir=asc",
                                                   "q=widgets",
                                                   "id=2210&colour=blue",
                                                   "ref=homepage"};

} // namespace

std::string_view siteHost()
{
    return "www.example.com";
}
std::string_view serverAddress()
{
    return "192.0.2.10";
}
std::string_view siteName()
{
    return "W3SVC1";
}
std::string_view computerName()
{
    return "WEB01";
}

std::span<const Resource> resources()
{
    return kResources;
}
std::span<const std::string_view> pageFurniture()
{
    return kFurniture;
}
std::span<const Browser> browsers()
{
    return kBrowsers;
}
std::span<const Robot> robots()
{
    return kRobots;
}
std::span<const SearchEngine> searchEngines()
{
    return kEngines;
}
std::span<const Weighted> searchPhrases()
{
    return kPhrases;
}
std::span<const Weighted> referringPages()
{
    return kReferringPages;
}
std::span<const Weighted> accessProviders()
{
    return kProviders;
}
std::span<const int> clientOctets()
{
    return kClientOctets;
}
std::span<const std::string_view> userNames()
{
    return kUserNames;
}
std::span<const std::string_view> queryStrings()
{
    return kQueries;
}

} // namespace larkspan::samples
