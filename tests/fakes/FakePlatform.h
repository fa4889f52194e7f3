#pragma once

#include "platform/Platform.h"
#include "platform/Unavailable.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace larkspan::testing {

// One message or question as the core asked for it.
struct RecordedMessage {
    MessageKind kind;
    std::string text;
    Buttons buttons;
    bool question;
};

// Records every message and question in order and answers questions from a
// script (then with the default answer).
class FakeMessages : public Messages {
public:
    void show(MessageKind kind, const std::string& text) override;
    Answer ask(MessageKind kind, const std::string& text, Buttons buttons) override;

    void scriptAnswer(Answer answer) { script_.push_back(answer); }
    void setDefaultAnswer(Answer answer) { default_ = answer; }

    std::vector<RecordedMessage> recorded;
    std::vector<std::string> texts() const;

private:
    std::deque<Answer> script_;
    Answer default_ = Answer::No;
};

class CountingPump : public EventPump {
public:
    void processEvents() override;
    int calls = 0;
    // Requests cancel on the given call (1-based), like a Cancel click.
    int cancelOnCall = 0;
    CancelRequest* cancel = nullptr;
};

class RecordingProgress : public Progress {
public:
    void setCaption(const std::string& caption) override { captions.push_back(caption); }
    void setText(int line, const std::string& text) override;
    void setBar(int, long long, long long) override {}
    std::vector<std::string> captions;
    std::vector<std::string> lines[4];
};

class RecordingShell : public Shell {
public:
    bool openDocument(const std::string& pathOrUrl) override;
    bool openTextEditor(const std::string& path) override;
    bool moveToTrash(const std::string& path) override;
    bool hasDesktop() const override { return desktop; }
    std::vector<std::string> opened;
    std::vector<std::string> edited;
    std::vector<std::string> trashed;
    bool desktop = true;
};

class RecordingMail : public MailClient {
public:
    MailResult send(const MailMessage& message) override;
    std::vector<MailMessage> sent;
    MailResult result{MailOutcome::Sent, ""};
};

// Answers lookups from its tables and counts the questions; anything not in
// a table fails with "Host not found". Never touches the network.
class FakeDnsResolver : public DnsResolver {
public:
    DnsAnswer reverse(const std::string& address) override;
    DnsAnswer forward(const std::string& name) override;
    std::map<std::string, std::string> names;      // address -> host name
    std::map<std::string, std::string> addresses;  // host name -> address
    int calls = 0;
};

// A complete platform for tests; the clock stands on 2024-03-01 12:00:00
// unless set otherwise.
class FakePlatform {
public:
    FakePlatform();
    Platform& platform() { return platform_; }

    FakeMessages messages;
    CountingPump pump;
    RecordingProgress progress;
    CancelRequest cancel;
    FixedClock clock;
    RecordingShell shell;
    RecordingMail mail;
    NoChartRenderer charts;
    NoFtpClient ftp;
    FakeDnsResolver dns;
    NoHelp help;

private:
    Platform platform_;
};

}  // namespace larkspan::testing
