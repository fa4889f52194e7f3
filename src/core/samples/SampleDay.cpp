#include "samples/SampleDay.h"

#include "samples/SampleCatalog.h"
#include "samples/SampleRandom.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace larkspan::samples {

namespace {

constexpr int kSecondsPerDay = 86400;

// Relative traffic per hour of the day: quiet nights, busy office hours and
// a smaller evening peak.
constexpr std::array<int, 24> kHourWeights{12, 8,  6,  5,  5,  6,  10, 18, 30, 40, 46, 48,
                                           44, 42, 46, 47, 44, 40, 36, 38, 40, 36, 28, 18};

// Cumulative weights for drawing from a catalog table in O(log n).
class WeightTable {
  public:
    template <typename Items, typename WeightOf> WeightTable(const Items& items, WeightOf weightOf)
    {
        std::uint32_t total = 0;
        for (const auto& item : items) {
            total += static_cast<std::uint32_t>(weightOf(item));
            cumulative_.push_back(total);
        }
    }

    std::size_t pick(SampleRandom& random) const
    {
        const std::uint32_t draw = random.below(cumulative_.back());
        return static_cast<std::size_t>(std::upper_bound(cumulative_.begin(), cumulative_.end(), draw) -
                                        cumulative_.begin());
    }

  private:
    std::vector<std::uint32_t> cumulative_;
};

void appendNumber(std::string& out, long long value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

void appendHex(std::string& out, unsigned value)
{
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    out.append(buffer, end);
}

class DayGenerator {
  public:
    DayGenerator(std::uint64_t seed, long lines)
        : random_(seed), lines_(lines), hours_(kHourWeights, [](int w) { return w; }),
          browsers_(browsers(), [](const Browser& b) { return b.weight; }),
          robots_(robots(), [](const Robot& r) { return r.weight; }),
          engines_(searchEngines(), [](const SearchEngine& e) { return e.weight; }),
          phrases_(searchPhrases(), [](const Weighted& w) { return w.weight; }),
          referrers_(referringPages(), [](const Weighted& w) { return w.weight; }),
          providers_(accessProviders(), [](const Weighted& w) { return w.weight; })
    {
        const auto all = resources();
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Resource& r = all[i];
            if (r.path == "/robots.txt") robotsTxt_ = static_cast<std::uint16_t>(i);
            if (r.path == "/login.php") login_ = static_cast<std::uint16_t>(i);
            if (r.path == "/account/") account_ = static_cast<std::uint16_t>(i);
            if (r.path == "/") home_ = static_cast<std::uint16_t>(i);
            if (r.path == "/xmlrpc.php") xmlrpc_ = static_cast<std::uint16_t>(i);
            if (r.weight == 0 && r.kind != ResourceKind::Embedded) continue;
            kindIndexes(r.kind).push_back(static_cast<std::uint16_t>(i));
            kindWeights(r.kind).push_back(r.weight);
        }
        for (const auto path : pageFurniture())
            for (std::size_t i = 0; i < all.size(); ++i)
                if (all[i].path == path) furniture_.push_back(static_cast<std::uint16_t>(i));
        pages_.emplace(pageW_, [](int w) { return w; });
        downloads_.emplace(downloadW_, [](int w) { return w; });
        images_.emplace(imageW_, [](int w) { return w; });
        troubles_.emplace(troubleW_, [](int w) { return w; });
    }

    SampleDay run()
    {
        SampleDay day;
        day.requests.reserve(static_cast<std::size_t>(lines_));
        while (static_cast<long>(day.requests.size()) < lines_) {
            const auto kind = random_.below(100);
            if (kind < 78)
                browse(day);
            else if (kind < 92)
                crawl(day);
            else if (kind < 97)
                monitor(day);
            else
                scan(day);
        }
        day.requests.resize(static_cast<std::size_t>(lines_));
        std::stable_sort(day.requests.begin(), day.requests.end(),
                         [](const Request& a, const Request& b) { return a.second < b.second; });
        return day;
    }

  private:
    std::vector<std::uint16_t>& kindIndexes(ResourceKind kind)
    {
        switch (kind) {
        case ResourceKind::Page:
            return pageIdx_;
        case ResourceKind::Download:
            return downloadIdx_;
        case ResourceKind::Embedded:
            return imageIdx_;
        default:
            return troubleIdx_;
        }
    }
    std::vector<int>& kindWeights(ResourceKind kind)
    {
        switch (kind) {
        case ResourceKind::Page:
            return pageW_;
        case ResourceKind::Download:
            return downloadW_;
        case ResourceKind::Embedded:
            return imageW_;
        default:
            return troubleW_;
        }
    }

    int startSecond()
    {
        const int hour = static_cast<int>(hours_.pick(random_));
        return hour * 3600 + static_cast<int>(random_.below(3600));
    }

    std::string humanAddress()
    {
        std::string address;
        if (random_.perMille(30)) {
            address = "2001:db8:";
            appendHex(address, random_.below(0x10000));
            address += ':';
            appendHex(address, random_.below(0x10000));
            address += "::";
            appendHex(address, 1 + random_.below(0xfffe));
            return address;
        }
        const auto octets = clientOctets();
        appendNumber(address, octets[random_.below(static_cast<std::uint32_t>(octets.size()))]);
        for (int i = 0; i < 3; ++i) {
            address += '.';
            appendNumber(address, 1 + random_.below(254));
        }
        return address;
    }

    std::uint32_t addVisitor(SampleDay& day, Visitor visitor)
    {
        day.visitors.push_back(std::move(visitor));
        return static_cast<std::uint32_t>(day.visitors.size() - 1);
    }

    bool full(const SampleDay& day) const { return static_cast<long>(day.requests.size()) >= lines_; }

    void add(SampleDay& day, Request request) { day.requests.push_back(request); }

    Request make(std::uint32_t visitor, int second, std::uint16_t resource, std::int32_t referrer)
    {
        Request r;
        r.visitor = visitor;
        r.second = std::min(second, kSecondsPerDay - 1); // files picked up late in the day stay in it
        r.resource = resource;
        r.referrer = referrer;
        const Resource& res = resources()[resource];
        r.bytes = res.bytes;
        if (res.kind == ResourceKind::Page) r.bytes += random_.between(-res.bytes / 10, res.bytes / 10);
        r.timeTaken = res.kind == ResourceKind::Download ? random_.between(400, 20000) : random_.between(2, 350);
        return r;
    }

    // Sets the status a troublesome resource answers with.
    void answerTrouble(Request& r, const Visitor& visitor)
    {
        switch (resources()[r.resource].kind) {
        case ResourceKind::Redirect:
            r.status = 301;
            break;
        case ResourceKind::Missing:
            r.status = 404;
            break;
        case ResourceKind::Forbidden:
            r.status = 403;
            break;
        case ResourceKind::Members:
            r.status = visitor.user == "-" ? 401 : 200;
            break;
        case ResourceKind::Flaky:
            r.status = random_.perMille(250) ? 500 : 200;
            break;
        default:
            break;
        }
        if (r.status == 401) r.bytes = 381;
        if (r.status == 500) r.bytes = 531;
    }

    std::string searchReferrer()
    {
        const SearchEngine& engine = searchEngines()[engines_.pick(random_)];
        std::string url(engine.prefix);
        for (const char c : searchPhrases()[phrases_.pick(random_)].text)
            url += c == ' ' ? '+' : c;
        url += engine.suffix;
        return url;
    }

    void browse(SampleDay& day)
    {
        Visitor v;
        v.address = humanAddress();
        if (v.address.find(':') == std::string::npos && random_.perMille(350)) {
            v.host = "host-";
            for (const char c : v.address)
                v.host += c == '.' ? '-' : c;
            v.host += '.';
            v.host += accessProviders()[providers_.pick(random_)].text;
        }
        v.agent = browsers()[browsers_.pick(random_)].agent;
        v.user = random_.perMille(30) ? userNames()[random_.below(static_cast<std::uint32_t>(userNames().size()))]
                                      : std::string_view("-");
        const auto source = random_.below(100);
        v.entryReferrer = source < 35   ? searchReferrer()
                          : source < 60 ? std::string(referringPages()[referrers_.pick(random_)].text)
                                        : std::string("-");
        v.protocol = random_.perMille(600) ? Protocol::Http2 : Protocol::Http11;
        const std::uint32_t id = addVisitor(day, std::move(v));
        const Visitor& visitor = day.visitors[id];

        int second = startSecond();
        std::int32_t referrer = kEntryReferrer;
        for (int page = 0; page < 12 && second < kSecondsPerDay && !full(day); ++page) {
            const auto action = random_.below(1000);
            if (action < 60) { // a download from the page being read
                Request r = make(id, second, downloadIdx_[downloads_->pick(random_)], referrer);
                add(day, r);
            } else if (action < 110) { // a broken link, a forbidden folder, a moved or failing page
                Request r = make(id, second, troubleIdx_[troubles_->pick(random_)], referrer);
                answerTrouble(r, visitor);
                add(day, r);
            } else if (action < 130 && page > 0) { // logging in: the form posts and redirects
                Request post = make(id, second, login_, referrer);
                post.method = Method::Post;
                post.status = 302;
                post.bytes = 0;
                add(day, post);
                second += 1;
                add(day, make(id, second, account_, login_));
                referrer = account_;
            } else {
                const std::uint16_t resource =
                    page == 0 && random_.perMille(400) ? home_ : pageIdx_[pages_->pick(random_)];
                Request r = make(id, second, resource, referrer);
                if (random_.perMille(150))
                    r.query =
                        static_cast<std::int16_t>(random_.below(static_cast<std::uint32_t>(queryStrings().size())));
                add(day, r);
                pullEmbedded(day, id, second, resource, page == 0);
                referrer = resource;
            }
            second += random_.between(4, 240);
            if (!random_.perMille(650)) break;
        }
    }

    // The style sheets, scripts and images a page loads: all of them on the
    // first page; later pages find most in the cache and revalidate some.
    void pullEmbedded(SampleDay& day, std::uint32_t id, int second, std::uint16_t page, bool first)
    {
        for (const auto resource : furniture_) {
            if (full(day)) return;
            if (first) {
                add(day, make(id, second + random_.between(0, 1), resource, page));
            } else if (random_.perMille(250)) {
                Request r = make(id, second + random_.between(0, 1), resource, page);
                r.status = 304;
                r.bytes = -1;
                add(day, r);
            }
        }
        const int images = random_.between(0, first ? 3 : 2);
        for (int i = 0; i < images && !full(day); ++i)
            add(day, make(id, second + random_.between(0, 2), imageIdx_[images_->pick(random_)], page));
    }

    Visitor robotVisitor(const Robot& robot)
    {
        Visitor v;
        const auto last = 1 + random_.below(254);
        v.address = std::string(robot.addressBlock) + '.';
        appendNumber(v.address, last);
        if (!robot.hostPrefix.empty()) {
            v.host = std::string(robot.hostPrefix);
            appendNumber(v.host, last);
            v.host += robot.hostSuffix;
        }
        v.agent = robot.agent;
        v.user = "-";
        v.entryReferrer = "-";
        v.robot = true;
        return v;
    }

    void crawl(SampleDay& day)
    {
        std::size_t pick;
        do
            pick = robots_.pick(random_);
        while (robots()[pick].agent.find("UptimeRobot") != std::string_view::npos ||
               robots()[pick].addressBlock == "45.148.10");
        const std::uint32_t id = addVisitor(day, robotVisitor(robots()[pick]));
        int second = startSecond();
        add(day, make(id, second, robotsTxt_, kNoReferrer));
        const int pages = random_.between(1, 20);
        for (int i = 0; i < pages && !full(day); ++i) {
            second += random_.between(1, 20);
            if (second >= kSecondsPerDay) return;
            const auto action = random_.below(100);
            Request r;
            if (action < 8) {
                r = make(id, second, downloadIdx_[downloads_->pick(random_)], kNoReferrer);
                r.method = Method::Head;
                r.bytes = -1;
            } else if (action < 15) {
                r = make(id, second, troubleIdx_[troubles_->pick(random_)], kNoReferrer);
                answerTrouble(r, day.visitors[id]);
            } else {
                r = make(id, second, pageIdx_[pages_->pick(random_)], kNoReferrer);
            }
            add(day, r);
        }
    }

    // An uptime monitor: one HEAD of the home page.
    void monitor(SampleDay& day)
    {
        for (std::size_t i = 0; i < robots().size(); ++i) {
            if (robots()[i].agent.find("UptimeRobot") == std::string_view::npos) continue;
            const std::uint32_t id = addVisitor(day, robotVisitor(robots()[i]));
            Request r = make(id, startSecond(), home_, kNoReferrer);
            r.method = Method::Head;
            r.bytes = -1;
            add(day, r);
            return;
        }
    }

    // A vulnerability scanner probing for well-known weak spots.
    void scan(SampleDay& day)
    {
        std::size_t pick = 0;
        while (robots()[pick].addressBlock != "45.148.10")
            ++pick;
        const std::uint32_t id = addVisitor(day, robotVisitor(robots()[pick]));
        int second = startSecond();
        const int probes = random_.between(3, 10);
        for (int i = 0; i < probes && !full(day) && second < kSecondsPerDay; ++i) {
            Request r = make(id, second, troubleIdx_[troubles_->pick(random_)], kNoReferrer);
            answerTrouble(r, day.visitors[id]);
            if (r.resource == xmlrpc_) r.method = Method::Post;
            add(day, r);
            second += random_.between(0, 1);
        }
    }

    SampleRandom random_;
    long lines_;
    WeightTable hours_, browsers_, robots_, engines_, phrases_, referrers_, providers_;
    std::vector<std::uint16_t> pageIdx_, downloadIdx_, imageIdx_, troubleIdx_, furniture_;
    std::vector<int> pageW_, downloadW_, imageW_, troubleW_;
    std::optional<WeightTable> pages_, downloads_, images_, troubles_;
    std::uint16_t robotsTxt_ = 0, login_ = 0, account_ = 0, home_ = 0, xmlrpc_ = 0;
};

} // namespace

SampleDay generateSampleDay(std::uint64_t seed, long lines)
{
    if (lines <= 0) return {};
    return DayGenerator(seed, lines).run();
}

} // namespace larkspan::samples
