#include "CurlFtpClient.h"

#include "FtpListing.h"
#include "common/Error.h"

#include "CurlLibrary.h"

#include <exception>

namespace larkspan::net {

namespace {

// A listing larger than this is no log folder; it ends the listing.
constexpr std::size_t kMaxListingBytes = 64u << 20;

bool hasControlCharacter(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    return false;
}

// Server text as it may be shown: control characters become "?".
std::string printable(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text;
}

} // namespace

struct CurlFtpClient::Session {
    enum class Body { Discard, Collect, Sink };

    const CurlLibrary& lib = CurlLibrary::get(); // throws when libcurl cannot be loaded
    CURL* curl = nullptr;
    std::string base; // "ftp://host:port/"
    char errors[CURL_ERROR_SIZE] = {};
    std::string lastReply;
    FtpEvents* events = nullptr;
    Body body = Body::Discard;
    std::string collected;
    const FtpSink* sink = nullptr;
    curl_off_t reported = -1;
    bool counting = false;
    std::exception_ptr failure; // thrown inside a callback, rethrown after it

    ~Session()
    {
        if (curl) lib.easyCleanup(curl); // sends QUIT on a live connection
    }

    std::string url(const std::string& path) const;
    void perform(const std::string& what);
    void reply(std::string_view text);

    // What the next transfer's bytes are for, until the scope ends.
    struct BodyScope {
        BodyScope(Session& session, Body body, const FtpSink* sink = nullptr) : s(session)
        {
            s.body = body;
            s.sink = sink;
            s.counting = body == Body::Sink;
            s.collected.clear();
        }
        ~BodyScope()
        {
            s.body = Body::Discard;
            s.sink = nullptr;
            s.counting = false;
            s.collected.clear();
        }
        Session& s;
    };

    static size_t write(char* data, size_t size, size_t count, void* self);
    static int progress(void* self, curl_off_t, curl_off_t now, curl_off_t, curl_off_t);
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self);
};

// The path with each folder and name escaped; a leading "/" names the
// server's root ("%2F"), anything else the folder the logon starts in.
std::string CurlFtpClient::Session::url(const std::string& path) const
{
    std::string out = base;
    std::string_view rest = path;
    if (!rest.empty() && rest.front() == '/') {
        out += "%2F";
        rest.remove_prefix(1);
    }
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string segment(rest.substr(0, slash));
        if (char* escaped = lib.easyEscape(curl, segment.c_str(), static_cast<int>(segment.size()))) {
            out += escaped;
            lib.free(escaped);
        }
        if (slash == std::string_view::npos) break;
        out += '/';
        rest.remove_prefix(slash + 1);
    }
    return out;
}

void CurlFtpClient::Session::reply(std::string_view text)
{
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string line(text.substr(0, end));
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty()) {
            lastReply = printable(std::move(line));
            if (events) events->status(lastReply);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

size_t CurlFtpClient::Session::write(char* data, size_t size, size_t count, void* self)
{
    auto& s = *static_cast<Session*>(self);
    const size_t bytes = size * count;
    try {
        switch (s.body) {
        case Body::Discard:
            return bytes;
        case Body::Collect:
            if (s.collected.size() + bytes > kMaxListingBytes) throw Error("The folder listing is too long.");
            s.collected.append(data, bytes);
            return bytes;
        case Body::Sink:
            if (!(*s.sink)(std::string_view(data, bytes))) throw Error("The downloaded file could not be written.");
            return bytes;
        }
    } catch (...) {
        s.failure = std::current_exception();
    }
    return 0; // anything short of bytes ends the transfer
}

int CurlFtpClient::Session::progress(void* self, curl_off_t, curl_off_t now, curl_off_t, curl_off_t)
{
    auto& s = *static_cast<Session*>(self);
    if (!s.events) return 0;
    try {
        if (s.counting && now != s.reported) {
            s.reported = now;
            s.events->transferred(static_cast<std::uint64_t>(now));
        }
        if (!s.events->proceed()) throw Cancelled();
    } catch (...) {
        s.failure = std::current_exception();
        return 1;
    }
    return 0;
}

int CurlFtpClient::Session::debug(CURL*, curl_infotype type, char* data, size_t size, void* self)
{
    // Only the server's replies: the commands sent hold the password.
    if (type != CURLINFO_HEADER_IN) return 0;
    auto& s = *static_cast<Session*>(self);
    try {
        s.reply(std::string_view(data, size));
    } catch (...) {
        if (!s.failure) s.failure = std::current_exception();
    }
    return 0;
}

void CurlFtpClient::Session::perform(const std::string& what)
{
    errors[0] = '\0';
    lastReply.clear();
    failure = nullptr;
    reported = -1;
    const CURLcode code = lib.easyPerform(curl);
    if (failure) std::rethrow_exception(failure);
    if (code == CURLE_OK) return;
    std::string text = what + " failed: " + printable(errors[0] ? errors : lib.easyStrerror(code));
    if (!lastReply.empty() && (lastReply.front() == '4' || lastReply.front() == '5'))
        text += "\nThe server replied: " + lastReply;
    throw Error(text);
}

CurlFtpClient::CurlFtpClient(CurlFtpOptions options) : options_(std::move(options)) {}

CurlFtpClient::~CurlFtpClient() = default;

CurlFtpClient::Session& CurlFtpClient::session()
{
    if (!session_) throw Error("The FTP client is not logged on.");
    session_->events = events_;
    return *session_;
}

void CurlFtpClient::logon(const FtpLogon& logon)
{
    logoff();
    if (logon.host.empty() || hasControlCharacter(logon.host) ||
        logon.host.find_first_of("/@?#[] \\") != std::string::npos)
        throw Error("The FTP server address \"" + printable(logon.host) + "\" is not valid.");
    if (logon.port < 1 || logon.port > 65535) throw Error("The FTP server port is not valid.");

    auto s = std::make_unique<Session>();
    s->curl = s->lib.easyInit();
    if (!s->curl) throw Error("The FTP client could not be started.");
    const bool ipv6 = logon.host.find(':') != std::string::npos;
    s->base = "ftp://" + (ipv6 ? "[" + logon.host + "]" : logon.host) + ":" + std::to_string(logon.port) + "/";

    CURL* c = s->curl;
    const CurlLibrary& lib = s->lib;
    lib.easySetopt(c, CURLOPT_NOSIGNAL, 1L);
    lib.easySetopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    lib.easySetopt(c, CURLOPT_ERRORBUFFER, s->errors);
    lib.easySetopt(c, CURLOPT_USERNAME, logon.user.c_str());
    lib.easySetopt(c, CURLOPT_PASSWORD, logon.password.c_str());
    // An empty proxy turns off any proxy the environment names.
    lib.easySetopt(c, CURLOPT_PROXY, logon.proxy.c_str());
    if (!logon.proxy.empty()) lib.easySetopt(c, CURLOPT_HTTPPROXYTUNNEL, 1L);
    lib.easySetopt(c, CURLOPT_USE_SSL,
                   logon.explicitTls ? static_cast<long>(CURLUSESSL_ALL) : static_cast<long>(CURLUSESSL_NONE));
    if (!options_.certificateFile.empty()) lib.easySetopt(c, CURLOPT_CAINFO, options_.certificateFile.c_str());
    lib.easySetopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    lib.easySetopt(c, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    lib.easySetopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options_.connectTimeout.count()));
    lib.easySetopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(options_.stallTimeout.count()));
    lib.easySetopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib.easySetopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options_.stallTimeout.count()));
    lib.easySetopt(c, CURLOPT_WRITEFUNCTION, &Session::write);
    lib.easySetopt(c, CURLOPT_WRITEDATA, s.get());
    lib.easySetopt(c, CURLOPT_NOPROGRESS, 0L);
    lib.easySetopt(c, CURLOPT_XFERINFOFUNCTION, &Session::progress);
    lib.easySetopt(c, CURLOPT_XFERINFODATA, s.get());
    lib.easySetopt(c, CURLOPT_DEBUGFUNCTION, &Session::debug);
    lib.easySetopt(c, CURLOPT_DEBUGDATA, s.get());
    lib.easySetopt(c, CURLOPT_VERBOSE, 1L); // feeds the debug callback only

    // Connect and log on without touching a file.
    s->events = events_;
    lib.easySetopt(c, CURLOPT_URL, s->base.c_str());
    lib.easySetopt(c, CURLOPT_NOBODY, 1L);
    s->perform("Logon to " + logon.host);
    session_ = std::move(s);
}

std::vector<FtpEntry> CurlFtpClient::list(const std::string& folder)
{
    Session& s = session();
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    const std::string url = s.url(path);
    s.lib.easySetopt(s.curl, CURLOPT_URL, url.c_str());
    s.lib.easySetopt(s.curl, CURLOPT_NOBODY, 0L);
    std::vector<FtpEntry> entries;
    {
        const Session::BodyScope scope(s, Session::Body::Collect);
        // The machine listing gives exact sizes and times; servers without
        // it get the classic long listing.
        s.lib.easySetopt(s.curl, CURLOPT_CUSTOMREQUEST, "MLSD");
        try {
            s.perform("Listing " + folder);
            entries = parseMachineListing(s.collected);
        } catch (const Error&) {
            const std::string& reply = s.lastReply;
            const bool unknown = reply.rfind("500", 0) == 0 || reply.rfind("502", 0) == 0 || reply.rfind("504", 0) == 0;
            s.lib.easySetopt(s.curl, CURLOPT_CUSTOMREQUEST, nullptr);
            if (!unknown) throw;
            s.collected.clear();
            s.perform("Listing " + folder);
            entries = parseLongListing(s.collected);
        }
        s.lib.easySetopt(s.curl, CURLOPT_CUSTOMREQUEST, nullptr);
    }
    if (events_) events_->transferEnded();
    return entries;
}

void CurlFtpClient::download(const std::string& remotePath, const FtpSink& sink)
{
    Session& s = session();
    const std::string url = s.url(remotePath);
    s.lib.easySetopt(s.curl, CURLOPT_URL, url.c_str());
    s.lib.easySetopt(s.curl, CURLOPT_NOBODY, 0L);
    {
        const Session::BodyScope scope(s, Session::Body::Sink, &sink);
        s.perform("Download of " + remotePath);
    }
    if (events_) events_->transferEnded();
}

void CurlFtpClient::remove(const std::string& remotePath)
{
    Session& s = session();
    if (hasControlCharacter(remotePath)) throw Error("The remote name is not valid.");
    const std::unique_ptr<curl_slist, void (*)(curl_slist*)> commands(
        s.lib.slistAppend(nullptr, ("DELE " + remotePath).c_str()), s.lib.slistFreeAll);
    s.lib.easySetopt(s.curl, CURLOPT_URL, s.base.c_str());
    s.lib.easySetopt(s.curl, CURLOPT_NOBODY, 1L);
    s.lib.easySetopt(s.curl, CURLOPT_QUOTE, commands.get());
    try {
        s.perform("Deleting " + remotePath);
    } catch (...) {
        s.lib.easySetopt(s.curl, CURLOPT_QUOTE, nullptr);
        throw;
    }
    s.lib.easySetopt(s.curl, CURLOPT_QUOTE, nullptr);
}

void CurlFtpClient::logoff()
{
    session_.reset();
}

} // namespace larkspan::net
