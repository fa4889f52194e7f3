#include "fakes/FakePlatform.h"

namespace larkspan::testing {

void FakeMessages::show(MessageKind kind, const std::string& text)
{
    recorded.push_back({kind, text, Buttons::Ok, false});
}

Answer FakeMessages::ask(MessageKind kind, const std::string& text, Buttons buttons)
{
    recorded.push_back({kind, text, buttons, true});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (script_.empty()) return default_;
    const Answer answer = script_.front();
    script_.pop_front();
    return answer;
}

std::vector<std::string> FakeMessages::texts() const
{
    std::vector<std::string> out;
    for (const auto& m : recorded) out.push_back(m.text);
    return out;
}

void CountingPump::processEvents()
{
    ++calls;
    if (cancel && cancelOnCall == calls) cancel->request();
}

void RecordingProgress::setText(int line, const std::string& text)
{
    if (line >= 0 && line < 4) lines[line].push_back(text);
}

bool RecordingShell::openDocument(const std::string& pathOrUrl)
{
    opened.push_back(pathOrUrl);
    return desktop;
}

bool RecordingShell::openTextEditor(const std::string& path)
{
    edited.push_back(path);
    return desktop;
}

bool RecordingShell::moveToTrash(const std::string& path)
{
    trashed.push_back(path);
    return true;
}

MailResult RecordingMail::send(const MailMessage& message)
{
    sent.push_back(message);
    return result;
}

FakePlatform::FakePlatform()
    : clock(LocalDateTime{CivilDate{2024, 3, 1}, 12, 0, 0}),
      platform_{messages, pump, progress, cancel, clock, shell, mail, charts, ftp, dns, help}
{
    pump.cancel = &cancel;
}

DnsAnswer FakeDnsResolver::reverse(const std::string& address)
{
    ++calls;
    const auto it = names.find(address);
    if (it == names.end()) return {false, address, "", "Host not found"};
    return {true, address, it->second, ""};
}

DnsAnswer FakeDnsResolver::forward(const std::string& name)
{
    ++calls;
    const auto it = addresses.find(name);
    if (it == addresses.end()) return {false, "0.0.0.0", name, "Host not found"};
    return {true, it->second, name, ""};
}

}  // namespace larkspan::testing
