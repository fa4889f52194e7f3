#pragma once

#include "DesktopFixture.h"
#include "tracker/HostLookup.h"
#include "tracker/RequestListModel.h"
#include "tracker/SessionTrackerWindow.h"
#include "tracker/VisitorTreeModel.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

namespace larkspan::testing {

// Records the lookups a window starts and answers them when the test says.
class FakeHostLookup : public HostLookup {
  public:
    struct Request {
        std::string text;
        bool reverse;
    };
    void start(const std::string& text, bool reverse) override
    {
        started.push_back({text, reverse});
        ++open;
    }
    int pending() const override { return open; }
    void abandonAll() override { open = 0; }
    // Delivers an answer as the resolver would: only to a pending lookup.
    void answer(const DnsAnswer& answer)
    {
        if (open == 0) return;
        --open;
        if (onComplete) onComplete(answer);
    }

    std::vector<Request> started;
    int open = 0;
};

// Webs with session tracker files in the program folder's data directory,
// and a viewer with a fake resolver.
class SessionTrackerFixture : public DesktopFixture {
  protected:
    void addWeb(const std::string& web) { temp.write("wwwstats/" + web + "/" + web + ".dat", web + "\r\n0\r\n"); }

    void writeDay(const std::string& web, const std::string& year, const std::string& mmdd,
                  const std::vector<std::string>& visitors, const std::vector<std::string>& requests)
    {
        const std::string stem = "wwwstats/" + web + "/" + year + "/LKLT" + mmdd;
        std::string summary;
        for (const std::string& line : visitors)
            summary += line + "\r\n";
        std::string detail;
        for (const std::string& line : requests)
            detail += line + "\r\n";
        temp.write(stem + ".lkmus", summary);
        temp.write(stem + ".lkdus", detail);
    }

    SessionTrackerWindow& viewer()
    {
        if (!viewer_) {
            auto lookup = std::make_unique<FakeHostLookup>();
            resolver = lookup.get();
            viewer_ = std::make_unique<SessionTrackerWindow>(session(), std::move(lookup));
        }
        return *viewer_;
    }

    void closeViewer()
    {
        if (viewer_) viewer_->reject();
        viewer_.reset();
        resolver = nullptr;
    }

    // Chooses web, year and day and loads the day.
    void openDay(const std::string& web, const QString& year, const QDate& day)
    {
        viewer().chooseWeb(QString::fromStdString(web));
        viewer().chooseYear(year);
        viewer().chooseDate(day);
        viewer().refreshView();
    }

    // Selects a node of the visitor tree by its path of texts.
    void selectNode(const QString& host, const QString& client = {})
    {
        VisitorTreeModel* model = viewer().treeModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex hostIndex = model->index(row, 0);
            if (hostIndex.data().toString() != host) continue;
            if (client.isEmpty()) return viewer().tree()->setCurrentIndex(hostIndex);
            for (int child = 0; child < model->rowCount(hostIndex); ++child) {
                const QModelIndex clientIndex = model->index(child, 0, hostIndex);
                if (clientIndex.data().toString() == client) return viewer().tree()->setCurrentIndex(clientIndex);
            }
        }
        ADD_FAILURE() << "no node " << host.toStdString() << " " << client.toStdString();
    }

    // The request list's column as text, top to bottom.
    std::vector<std::string> column(int which)
    {
        std::vector<std::string> cells;
        for (int row = 0; row < viewer().listModel()->rowCount(); ++row)
            cells.push_back(viewer().listModel()->cell(row, which));
        return cells;
    }

    std::string syssFile(const std::string& name) { return temp.file("syss/" + name); }

    FakeHostLookup* resolver = nullptr;

  private:
    std::unique_ptr<SessionTrackerWindow> viewer_;
};

} // namespace larkspan::testing
