// The session tracker viewer driven offscreen: fake messages, a fake
// resolver, real tracker files in a temporary data directory.
#include "SessionTrackerFixture.h"

#include "common/TextFile.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QHeaderView>
#include <QProgressBar>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

const std::vector<std::string> kVisitors{
    "2000-10-10,10.0.0.9,10.0.0.9,1,1,09:00:00,09:00:00,1,/a.html,/a.html,1",
    "2000-10-10,proxy.example,10.0.0.1,2,1,13:55:36,13:56:10,35,/index.html,/index.html,2.98",
    "2000-10-10,proxy.example,10.0.0.2,1,1,08:00:00,08:00:00,1,/b.html,/b.html,1",
};
const std::vector<std::string> kRequests{
    "2000-10-10,10.0.0.9,10.0.0.9,09:00:00,/a.html,-,-,404,0",
    "2000-10-10,proxy.example,10.0.0.1,13:55:36,http://www.shop.example/index.html,"
    "\"http://search.example/?q=a,b\",10.1.1.1,200,2048",
    "2000-10-10,proxy.example,10.0.0.1,13:56:10,/logo.gif,-,-,200,1000",
    "2000-10-10,proxy.example,10.0.0.2,08:00:00,/b.html,javascript:alert(1),-,200,10",
};

class SessionTracker : public SessionTrackerFixture {
  protected:
    SessionTracker() { temp.write("syss/nslcache.lklf", ""); }

    // Two tracked days in 2000, so nothing loads by itself.
    void writeShop()
    {
        addWeb("shop");
        writeDay("shop", "2000", "1010", kVisitors, kRequests);
        writeDay("shop", "2000", "1011", {"2000-10-11,a.example,10.0.0.5,1,1,-,-,-,/,/,0"}, {});
    }

    void openShop() { openDay("shop", "2000", QDate(2000, 10, 10)); }

    // A web "big" with one host of many clients on 2000-01-02 (and an empty
    // day beside it, so nothing loads by itself).
    void writeBigDay(const std::string& summaryHost, const std::string& detailHost, int clients, int requestsEach)
    {
        addWeb("big");
        std::vector<std::string> visitors;
        std::vector<std::string> requests;
        for (int i = 0; i < clients; ++i) {
            const std::string client = "10.1." + std::to_string(i / 250) + "." + std::to_string(i % 250);
            visitors.push_back("2000-01-02," + summaryHost + "," + client + ",5,5,10:00:00,10:00:04,5,/,/,1");
            for (int s = 0; s < requestsEach; ++s)
                requests.push_back("2000-01-02," + detailHost + "," + client + ",10:00:0" + std::to_string(s) + ",/p" +
                                   std::to_string(s) + ".html,-,-,200,1");
        }
        writeDay("big", "2000", "0102", visitors, requests);
        writeDay("big", "2000", "0103", {}, {});
    }

    std::vector<std::string> errors() const
    {
        std::vector<std::string> found;
        for (const RecordedMessage& m : messages.recorded)
            if (m.kind == MessageKind::Error) found.push_back(m.text);
        return found;
    }
};

TEST_F(SessionTracker, OpensWithWebsOnlyAndOffersHelpAndAbout)
{
    writeShop();
    addWeb("blog");
    SessionTrackerWindow& window = viewer();
    EXPECT_EQ(window.windowTitle(), "Larkspan (tm) - Session Tracker");
    EXPECT_EQ(window.webChooser()->count(), 2);
    EXPECT_EQ(window.webChooser()->currentIndex(), -1);
    EXPECT_FALSE(window.yearChooser()->isEnabled());
    EXPECT_FALSE(window.datePicker()->isEnabled());
    EXPECT_FALSE(window.refreshAction()->isEnabled());
    EXPECT_FALSE(window.lookupAction()->isEnabled());
    EXPECT_FALSE(window.stopAction()->isEnabled());
    EXPECT_EQ(window.listModel()->headers(), QStringList({"Time", "Client IP Address", "File or Page visited",
                                                          "Referring URL", "Server", "Status", "Bytes"}));

    window.findChild<QAction*>("UsingSessionTracker1")->trigger();
    EXPECT_EQ(help.topics, std::vector<int>{2112});
    window.findChild<QAction*>("About1")->trigger();
    EXPECT_EQ(lastText(), "Larkspan (tm) Session Tracker\nVersion 1.0");
}

TEST_F(SessionTracker, WebWithoutYearsAndYearWithoutTrackedDaysSaySo)
{
    addWeb("empty");
    addWeb("untracked");
    temp.write("wwwstats/untracked/2001/LKLT0101.log", "#Fields: time\r\n");
    temp.write("wwwstats/untracked/2001/LKLT13xx.lkmus", ""); // not a day: dropped
    temp.write("wwwstats/untracked/abcd/LKLT0101.lkmus", ""); // not a year folder

    viewer().chooseWeb("empty");
    EXPECT_EQ(errors(), std::vector<std::string>{"The selected web has no Logs imported."});
    EXPECT_FALSE(viewer().yearChooser()->isEnabled());

    viewer().chooseWeb("untracked");
    EXPECT_EQ(viewer().yearChooser()->count(), 1);
    EXPECT_EQ(viewer().paneText(0), "Web: untracked");
    viewer().chooseYear("2001");
    EXPECT_EQ(errors().back(), "The selected web and year have no logs that are session tracking ready.");
    EXPECT_FALSE(viewer().datePicker()->isEnabled());
    EXPECT_FALSE(viewer().refreshAction()->isEnabled());
    EXPECT_FALSE(viewer().autoLoadTimer()->isActive());
}

TEST_F(SessionTracker, YearWithOneTrackedDayLoadsItByItself)
{
    addWeb("shop");
    writeDay("shop", "2000", "1010", kVisitors, kRequests);
    viewer().chooseWeb("shop");
    viewer().chooseYear("2000");
    EXPECT_EQ(viewer().datePicker()->date(), QDate(2000, 10, 10));
    EXPECT_TRUE(viewer().refreshAction()->isEnabled());
    ASSERT_TRUE(viewer().autoLoadTimer()->isActive());
    for (int i = 0; i < 200 && viewer().treeModel()->rowCount() == 0; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    ASSERT_EQ(viewer().treeModel()->rowCount(), 2);
    EXPECT_TRUE(messages.recorded.empty());
    EXPECT_EQ(viewer().paneText(1), "Year: 2000");
    EXPECT_EQ(viewer().paneText(2), "");
    EXPECT_EQ(viewer().paneText(3), "Day: Oct 10");
    EXPECT_FALSE(viewer().progressBar()->isVisibleTo(&viewer()));
    EXPECT_TRUE(viewer().lookupAction()->isEnabled());
    // The first host is chosen and open, and its requests are listed.
    const QModelIndex first = viewer().treeModel()->index(0, 0);
    EXPECT_EQ(viewer().tree()->currentIndex(), first);
    EXPECT_TRUE(viewer().tree()->isExpanded(first));
    EXPECT_EQ(column(2), std::vector<std::string>{"/a.html"});
}

TEST_F(SessionTracker, ClientsStandUnderTheirHostAndFailedLookupsUnderTheirAddress)
{
    writeShop();
    viewer().chooseWeb("shop");
    viewer().chooseYear("2000");
    EXPECT_EQ(viewer().datePicker()->date(), QDate(2000, 10, 11));
    EXPECT_FALSE(viewer().autoLoadTimer()->isActive());
    openShop();
    ASSERT_TRUE(errors().empty());

    VisitorTreeModel& tree = *viewer().treeModel();
    ASSERT_EQ(tree.rowCount(), 2);
    const QModelIndex unresolved = tree.index(0, 0);
    EXPECT_EQ(unresolved.data().toString(), "10.0.0.9");
    EXPECT_EQ(tree.index(0, 0, unresolved).data().toString(), "10.0.0.9");
    const QModelIndex proxy = tree.index(1, 0);
    EXPECT_EQ(proxy.data().toString(), "proxy.example");
    ASSERT_EQ(tree.rowCount(proxy), 2);
    EXPECT_EQ(tree.index(1, 0, proxy).data().toString(), "10.0.0.2");

    // The host lists both clients' requests, sorted by time.
    selectNode("proxy.example");
    EXPECT_EQ(column(0), (std::vector<std::string>{"08:00:00", "13:55:36", "13:56:10"}));
    EXPECT_EQ(column(1), (std::vector<std::string>{"10.0.0.2", "10.0.0.1", "10.0.0.1"}));
    // A quoted referrer keeps its comma and the fields after it in place.
    EXPECT_EQ(column(3)[1], "http://search.example/?q=a,b");
    EXPECT_EQ(column(4)[1], "10.1.1.1");
    EXPECT_EQ(column(6)[1], "2048");

    // A client lists only its own, without the client column.
    selectNode("proxy.example", "10.0.0.1");
    EXPECT_EQ(viewer().listModel()->headers(),
              QStringList({"Time", "File or Page visited", "Referring URL", "Server", "Status", "Bytes"}));
    EXPECT_EQ(column(1), (std::vector<std::string>{"http://www.shop.example/index.html", "/logo.gif"}));
}

TEST_F(SessionTracker, ColumnClicksSortDescendingThenReverse)
{
    writeShop();
    openShop();
    selectNode("proxy.example");
    QHeaderView* header = viewer().requestList()->header();

    viewer().columnClicked(0); // the sorted column reverses
    EXPECT_EQ(column(0), (std::vector<std::string>{"13:56:10", "13:55:36", "08:00:00"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    viewer().columnClicked(6); // another column starts descending, by text
    EXPECT_EQ(column(6), (std::vector<std::string>{"2048", "1000", "10"}));
    EXPECT_EQ(header->sortIndicatorSection(), 6);
    viewer().columnClicked(6);
    EXPECT_EQ(column(6), (std::vector<std::string>{"10", "1000", "2048"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    // Another node keeps the order.
    selectNode("proxy.example", "10.0.0.1");
    EXPECT_EQ(column(5), (std::vector<std::string>{"1000", "2048"}));
}

TEST_F(SessionTracker, OnlyWebAddressesAreLinksAndOpenInTheBrowser)
{
    EXPECT_TRUE(linkTarget("http://www.shop.example/index.html"));
    EXPECT_TRUE(linkTarget("HTTPS://search.example/?q=a,b"));
    for (const char* text : {"/logo.gif", "javascript:alert(1)", "file:///etc/passwd", "ftp://x/y", "http:///x",
                             "http://-/x", "-", "http://a b/"})
        EXPECT_FALSE(linkTarget(text)) << text;

    writeShop();
    openShop();
    selectNode("proxy.example");
    RequestListModel& list = *viewer().listModel();
    viewer().openLink(list.index(0, 3)); // "javascript:alert(1)"
    viewer().openLink(list.index(2, 2)); // "/logo.gif"
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_FALSE(list.index(0, 3).data(Qt::FontRole).isValid());
    viewer().openLink(list.index(1, 2));
    viewer().openLink(list.index(1, 3));
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"http://www.shop.example/index.html", "http://search.example/?q=a,b"}));
    EXPECT_TRUE(list.index(1, 2).data(Qt::FontRole).value<QFont>().underline());
}

TEST_F(SessionTracker, LookupWithNothingSelectedStartsNothing)
{
    writeShop();
    viewer().lookupSelected();
    EXPECT_EQ(errors(), std::vector<std::string>{"You must select an item to lookup."});
    openShop();
    viewer().tree()->clearSelection();
    viewer().lookupSelected();
    EXPECT_EQ(errors().size(), 2u);
    EXPECT_TRUE(resolver->started.empty());
}

TEST_F(SessionTracker, AnswerIsCachedSoTheSecondLookupAsksNoOneEvenAfterReopening)
{
    writeShop();
    openShop();
    selectNode("proxy.example", "10.0.0.1");
    viewer().lookupSelected();
    ASSERT_EQ(resolver->started.size(), 1u);
    EXPECT_EQ(resolver->started[0].text, "10.0.0.1");
    EXPECT_TRUE(resolver->started[0].reverse);
    EXPECT_TRUE(viewer().stopAction()->isEnabled());
    EXPECT_FALSE(viewer().lookupAction()->isEnabled());
    EXPECT_FALSE(viewer().refreshAction()->isEnabled());

    resolver->answer({true, "10.0.0.1", "one.example", ""});
    EXPECT_EQ(lastText(), "Client IP:\t10.0.0.1\nhas Hostname:\tone.example");
    EXPECT_FALSE(viewer().stopAction()->isEnabled());
    EXPECT_TRUE(viewer().lookupAction()->isEnabled());
    EXPECT_TRUE(viewer().refreshAction()->isEnabled());
    std::string cache;
    ASSERT_TRUE(readWholeFile(syssFile("nslcache.lklf"), cache));
    EXPECT_EQ(cache, "10.0.0.1=one.example\r\n");

    viewer().lookupSelected();
    EXPECT_EQ(resolver->started.size(), 1u);
    EXPECT_EQ(lastText(), "Client IP Address:\t10.0.0.1\nClient Hostname:  \tone.example");

    closeViewer();
    openShop();
    selectNode("proxy.example", "10.0.0.1");
    viewer().lookupSelected();
    EXPECT_TRUE(resolver->started.empty());
    EXPECT_EQ(lastText(), "Client IP Address:\t10.0.0.1\nClient Hostname:  \tone.example");
}

TEST_F(SessionTracker, FailuresGoToTheFailureListAndHostNamesAreLookedUpForward)
{
    writeShop();
    openShop();
    selectNode("10.0.0.9", "10.0.0.9");
    viewer().lookupSelected();
    resolver->answer({false, "10.0.0.9", "", "Name or service not known"});
    EXPECT_EQ(lastText(), "Could not resolve hostname for 10.0.0.9");
    std::string failures;
    ASSERT_TRUE(readWholeFile(syssFile("nslerrs.lklf"), failures));
    EXPECT_EQ(failures, "10.0.0.9=Name or service not known\r\n");
    std::string cache;
    readWholeFile(syssFile("nslcache.lklf"), cache);
    EXPECT_EQ(cache, "");

    // A host node holds a name: a forward lookup, cached under the address.
    selectNode("proxy.example");
    viewer().lookupSelected();
    ASSERT_EQ(resolver->started.size(), 2u);
    EXPECT_FALSE(resolver->started[1].reverse);
    resolver->answer({true, "192.0.2.7", "proxy.example", ""});
    readWholeFile(syssFile("nslcache.lklf"), cache);
    EXPECT_EQ(cache, "192.0.2.7=proxy.example\r\n");
    // A hostile answer is not kept as a name.
    selectNode("proxy.example", "10.0.0.2");
    viewer().lookupSelected();
    resolver->answer({true, "10.0.0.2", "<b>evil</b>\r\nx", ""});
    EXPECT_EQ(lastText(), "Could not resolve hostname for 10.0.0.2");
    readWholeFile(syssFile("nslcache.lklf"), cache);
    EXPECT_EQ(cache, "192.0.2.7=proxy.example\r\n");
}

// A resolver that answers only when the test lets it.
class GatedResolver : public DnsResolver {
  public:
    DnsAnswer reverse(const std::string& address) override
    {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
        ++answered;
        return {true, address, "late.example", ""};
    }
    DnsAnswer forward(const std::string& name) override { return {false, "0.0.0.0", name, "no"}; }
    void open()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::atomic<int> answered{0};

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

TEST_F(SessionTracker, StopAbandonsAPendingLookupAndItsLateAnswerIsDropped)
{
    writeShop();
    auto resolverShared = std::make_shared<GatedResolver>();
    SessionTrackerWindow window(session(),
                                std::make_unique<ThreadedHostLookup>(resolverShared, std::chrono::minutes(1)));
    window.chooseWeb("shop");
    window.chooseYear("2000");
    window.chooseDate(QDate(2000, 10, 10));
    window.refreshView();
    window.tree()->setCurrentIndex(window.treeModel()->index(0, 0));
    window.lookupSelected();
    EXPECT_TRUE(window.stopAction()->isEnabled());

    window.stopLookup();
    EXPECT_FALSE(window.stopAction()->isEnabled());
    EXPECT_TRUE(window.lookupAction()->isEnabled());
    EXPECT_TRUE(window.refreshAction()->isEnabled());
    resolverShared->open();
    for (int i = 0; i < 500 && resolverShared->answered == 0; ++i)
        QThread::msleep(5);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_EQ(resolverShared->answered.load(), 1);
    EXPECT_TRUE(messages.recorded.empty());
    std::string cache;
    readWholeFile(syssFile("nslcache.lklf"), cache);
    EXPECT_EQ(cache, "");
}

TEST(HostLookupThreads, AnswersOnTheCallersThreadAndTimesOutInsteadOfHanging)
{
    auto gated = std::make_shared<GatedResolver>();
    ThreadedHostLookup lookup(gated, std::chrono::milliseconds(20));
    std::vector<DnsAnswer> answers;
    lookup.onComplete = [&](const DnsAnswer& a) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        answers.push_back(a);
    };
    lookup.start("10.0.0.1", true);
    lookup.start("no.such.example", false);
    EXPECT_EQ(lookup.pending(), 2);
    for (int i = 0; i < 500 && answers.size() < 2; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(lookup.pending(), 0);
    // The forward lookup answered; the gated one ran into the time-out.
    const auto timedOut = answers[0].address == "10.0.0.1" ? answers[0] : answers[1];
    EXPECT_FALSE(timedOut.found);
    EXPECT_EQ(timedOut.failure, "The lookup timed out.");
    gated->open();
    for (int i = 0; i < 500 && gated->answered == 0; ++i)
        QThread::msleep(5);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(answers.size(), 2u);
}

TEST_F(SessionTracker, LeavingDuringALoadStopsItQuietly)
{
    writeBigDay("big.example", "big.example", 3000, 1);
    viewer().chooseWeb("big");
    viewer().chooseYear("2000");
    viewer().chooseDate(QDate(2000, 1, 2));
    QTimer::singleShot(0, &viewer(), [this] { viewer().reject(); });
    viewer().refreshView();
    EXPECT_FALSE(viewer().isLoading());
    EXPECT_EQ(viewer().treeModel()->rowCount(), 0);
    EXPECT_TRUE(messages.recorded.empty());
}

TEST_F(SessionTracker, AHostWithThousandsOfRequestsListsThemAll)
{
    // The detail lines spell the host in another case than the summary.
    writeBigDay("Big.Example", "big.example", 2000, 5);
    openDay("big", "2000", QDate(2000, 1, 2));
    ASSERT_EQ(viewer().treeModel()->rowCount(), 1);
    EXPECT_EQ(viewer().treeModel()->rowCount(viewer().treeModel()->index(0, 0)), 2000);
    EXPECT_EQ(viewer().listModel()->rowCount(), 10000);
}

TEST_F(SessionTracker, MissingDayFileAfterChoosingGivesTheLoadMessageAndEmptyTree)
{
    writeShop();
    openShop();
    ASSERT_EQ(viewer().treeModel()->rowCount(), 2);
    std::filesystem::remove(temp.file("wwwstats/shop/2000/LKLT1010.lkmus"));
    viewer().refreshView();
    EXPECT_EQ(errors(), std::vector<std::string>{"Cannot load tree with visitor list for date selected."});
    EXPECT_EQ(viewer().treeModel()->rowCount(), 0);
    EXPECT_EQ(viewer().listModel()->rowCount(), 0);
}

} // namespace
