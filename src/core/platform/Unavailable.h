#pragma once

#include "platform/Chart.h"
#include "platform/Help.h"
#include "platform/Mail.h"
#include "platform/Network.h"

namespace larkspan {

// Stand-ins for services a front end does not offer (yet): they do nothing
// or say plainly that the service is not available.
class NoMailClient : public MailClient {
public:
    MailResult send(const MailMessage&) override { return {MailOutcome::Unavailable, "Mail is not available."}; }
};

class NoChartRenderer : public ChartRenderer {
public:
    bool render(const ChartRequest&, const std::string&) override { return false; }
};

class NoFtpClient : public FtpClient {
public:
    void setEvents(FtpEvents*) override {}
    void logon(const FtpLogon&) override;
    std::vector<FtpEntry> list(const std::string&) override;
    void download(const std::string&, const FtpSink&) override;
    void remove(const std::string&) override;
    void logoff() override {}
};

class NoDnsResolver : public DnsResolver {
public:
    DnsAnswer reverse(const std::string& address) override
    {
        return {false, address, "", "Host name lookups are not available."};
    }
    DnsAnswer forward(const std::string& name) override
    {
        return {false, "0.0.0.0", name, "Host name lookups are not available."};
    }
};

class NoHelp : public Help {
public:
    bool showTopic(int) override { return false; }
};

}  // namespace larkspan
