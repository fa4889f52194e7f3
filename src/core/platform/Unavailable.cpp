#include "platform/Unavailable.h"

#include "common/Error.h"

namespace larkspan {

namespace {
[[noreturn]] void unavailable() { throw Error("FTP retrieval is not available."); }
}  // namespace

void NoFtpClient::logon(const FtpLogon&) { unavailable(); }
std::vector<FtpEntry> NoFtpClient::list(const std::string&) { unavailable(); }
void NoFtpClient::download(const std::string&, const FtpSink&) { unavailable(); }
void NoFtpClient::remove(const std::string&) { unavailable(); }

}  // namespace larkspan
