#include "tracker/HostLookup.h"

#include <QThread>
#include <QTimer>

namespace larkspan {

DnsAnswer failedAnswer(const std::string& text, bool reverse, const std::string& why)
{
    DnsAnswer answer;
    answer.address = reverse ? text : "0.0.0.0";
    answer.hostName = reverse ? "" : text;
    answer.failure = why;
    return answer;
}

ThreadedHostLookup::ThreadedHostLookup(std::shared_ptr<DnsResolver> resolver, std::chrono::milliseconds timeout,
                                       QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)), timeout_(timeout)
{
}

ThreadedHostLookup::~ThreadedHostLookup()
{
    abandonAll();
}

void ThreadedHostLookup::start(const std::string& text, bool reverse)
{
    const int id = ++nextId_;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this,
            [this, id, text, reverse] { finish(id, failedAnswer(text, reverse, "The lookup timed out.")); });
    pending_[id] = timer;
    timer->start(timeout_);

    // The worker holds the resolver and the answer itself, so it may
    // outlive this object; its end is delivered here only while this
    // object exists (the connection dies with it).
    auto answer = std::make_shared<DnsAnswer>();
    QThread* worker = QThread::create([resolver = resolver_, answer, text, reverse] {
        try {
            *answer = reverse ? resolver->reverse(text) : resolver->forward(text);
        } catch (const std::exception& e) {
            *answer = failedAnswer(text, reverse, e.what());
        }
    });
    connect(worker, &QThread::finished, this, [this, id, answer] { finish(id, *answer); });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

void ThreadedHostLookup::abandonAll()
{
    for (auto& [id, timer] : pending_)
        timer->deleteLater();
    pending_.clear();
}

void ThreadedHostLookup::finish(int id, const DnsAnswer& answer)
{
    const auto found = pending_.find(id);
    if (found == pending_.end()) return;
    found->second->deleteLater();
    pending_.erase(found);
    if (onComplete) onComplete(answer);
}

} // namespace larkspan
