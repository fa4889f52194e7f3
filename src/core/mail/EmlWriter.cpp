#include "mail/EmlWriter.h"

#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace larkspan {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kFoldAt = 76;

bool isAscii(std::string_view s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// Text that is not UTF-8 is the program's 8-bit text.
std::string charsetOf(std::string_view s) { return isAscii(s) ? "us-ascii" : isUtf8(s) ? "utf-8" : "windows-1252"; }

// Header text on one line: line breaks and other control characters become blanks.
std::string headerSafe(std::string_view s)
{
    std::string out;
    for (const char c : s) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    return out;
}

// An unstructured header value: as it is when plain ASCII, else RFC 2047
// encoded words of whole characters, folded onto continuation lines.
std::string headerText(std::string_view name, std::string_view value)
{
    const std::string safe = headerSafe(value);
    if (isAscii(safe)) {
        // Folded before a blank wherever the line would pass 78 characters.
        std::string out = std::string(name) + ":";
        std::size_t lineLength = out.size();
        std::size_t i = 0;
        while (i < safe.size()) {
            std::size_t next = safe.find(' ', i + 1);
            if (next == std::string::npos) next = safe.size();
            std::string word = safe.substr(i, next - i);
            if (i == 0) word = " " + word;
            if (lineLength + word.size() > 78 && lineLength > name.size() + 1 && word.front() == ' ') {
                out += kCrLf;
                lineLength = 0;
            }
            out += word;
            lineLength += word.size();
            i = next;
        }
        if (safe.empty()) out += " ";
        return out + kCrLf;
    }
    const std::string charset = isAscii(safe) ? "us-ascii" : charsetOf(safe);
    const bool utf8 = charset == "utf-8";
    std::string out = std::string(name) + ":";
    std::size_t i = 0;
    while (i < safe.size()) {
        // Each encoded word carries at most 30 bytes: within 76 characters once encoded.
        std::size_t end = std::min(safe.size(), i + 30);
        if (utf8)
            while (end < safe.size() && (static_cast<unsigned char>(safe[end]) & 0xC0) == 0x80) --end;
        out += " =?" + charset + "?B?" + base64Lines(safe.substr(i, end - i));
        out.erase(out.size() - 2);  // the CR LF base64Lines ended with
        out += "?=" + std::string(kCrLf);
        i = end;
    }
    if (safe.empty()) out += std::string(" ") + kCrLf;
    return out;
}

// "Name <address>" with a name that is not plain ASCII: the name as an
// encoded word. Other addresses stay as they are.
std::string encodedAddress(const std::string& address)
{
    const std::size_t open = address.rfind('<');
    if (isAscii(address) || open == std::string::npos || open == 0) return address;
    std::string name = text::trim(address.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (name.size() > 45) return address;  // one encoded word must stay within the line
    std::string word = base64Lines(name);
    word.erase(word.size() - 2);
    return "=?" + charsetOf(name) + "?B?" + word + "?= " + address.substr(open);
}

// To: the addresses separated by commas, folded before an address that
// would pass the line length.
std::string addressHeader(const std::vector<std::string>& addresses)
{
    std::string out = "To:";
    std::size_t lineLength = out.size();
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const std::string item = encodedAddress(addresses[i]) + (i + 1 < addresses.size() ? "," : "");
        if (lineLength + 1 + item.size() > 78 && lineLength > 3) {
            out += kCrLf;
            lineLength = 0;
        }
        out += " " + item;
        lineLength += 1 + item.size();
    }
    return out + kCrLf;
}

std::string quotedPrintable(std::string_view text)
{
    std::string out;
    std::size_t lineLength = 0;
    const auto put = [&](const std::string& piece) {
        if (lineLength + piece.size() > 75) {
            out += "=\r\n";  // soft line break
            lineLength = 0;
        }
        out += piece;
        lineLength += piece.size();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += kCrLf;
            lineLength = 0;
            ++i;
            continue;
        }
        const bool lineEnd = i + 1 == text.size() || text[i + 1] == '\r';
        const bool literal = (c >= 33 && c <= 126 && c != '=') || (c == ' ' && !lineEnd);
        if (literal) {
            put(std::string(1, static_cast<char>(c)));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", c);
            put(hex);
        }
    }
    return out;
}

// A file name parameter: quoted when ASCII, else RFC 2231 percent-encoded UTF-8
// (or 8-bit) text.
std::string fileNameParameter(const std::string& parameter, const std::string& name)
{
    const std::string safe = headerSafe(name);
    if (isAscii(safe)) {
        std::string quoted;
        for (const char c : safe) {
            if (c == '"' || c == '\\') quoted += '\\';
            quoted += c;
        }
        return parameter + "=\"" + quoted + "\"";
    }
    std::string encoded = parameter + "*=" + charsetOf(safe) + "''";
    for (const char c : safe) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '.' || c == '-' || c == '_') {
            encoded += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", u);
            encoded += hex;
        }
    }
    return encoded;
}

std::string bodyText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        // A line is one line: stray breaks inside it end up as their own lines.
        text += text::toCrLf(line);
        text += kCrLf;
    }
    return text;
}

}  // namespace

std::string base64Lines(std::string_view bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(bytes.size() * 4 / 3 + bytes.size() / 38 + 8);
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (n > 1) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2) value |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(value >> 18) & 63];
        out += alphabet[(value >> 12) & 63];
        out += n > 1 ? alphabet[(value >> 6) & 63] : '=';
        out += n > 2 ? alphabet[value & 63] : '=';
        lineLength += 4;
        if (lineLength == kFoldAt) {
            out += kCrLf;
            lineLength = 0;
        }
    }
    if (lineLength > 0 || out.empty()) out += kCrLf;
    return out;
}

std::string attachmentType(const std::string& fileName)
{
    const std::string extension = text::toLower(std::filesystem::path(fileName).extension().string());
    if (extension == ".html" || extension == ".htm") return "text/html";
    if (extension == ".csv") return "text/csv";
    if (extension == ".txt") return "text/plain";
    if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
    if (extension == ".gif") return "image/gif";
    if (extension == ".png") return "image/png";
    return "application/octet-stream";
}

std::vector<std::string> mailAddresses(const std::vector<std::string>& recipients)
{
    std::vector<std::string> addresses;
    for (const std::string& recipient : recipients) {
        std::string item;
        for (const char c : recipient + ",") {
            if (c == ',' || c == ';') {
                const std::string address = text::trim(headerSafe(item));
                if (!address.empty()) addresses.push_back(address);
                item.clear();
            } else {
                item += c;
            }
        }
    }
    return addresses;
}

std::string rfc5322Date(const LocalDateTime& at, int utcOffsetMinutes)
{
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                  days[weekday(dayNumber(at.date))], at.date.day, months[(at.date.month + 11) % 12], at.date.year,
                  at.hour, at.minute, at.second, utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return buffer;
}

std::string writeEml(const MailMessage& message, const EmlHeaders& headers)
{
    struct Part {
        std::string name;
        std::string content;
    };
    std::vector<Part> files;
    for (const std::string& path : message.attachments) {
        Part part{std::filesystem::path(path).filename().string(), {}};
        if (!readWholeFile(path, part.content)) throw Error("Unable to read the attachment " + path);
        files.push_back(std::move(part));
    }

    const std::string body = bodyText(message.lines);
    bool plain = isAscii(body);
    for (const std::string& line : text::splitLines(body)) plain = plain && line.size() <= 998;
    // Base64 and quoted-printable never hold "=_"; a plain body is checked.
    std::string boundary = "=_larkspan_" + std::to_string(std::hash<std::string>{}(headers.messageId) % 1000000007);
    while (plain && body.find(boundary) != std::string::npos) boundary += "_";

    std::string out;
    out += "From: " + headerSafe(headers.from) + kCrLf;
    out += addressHeader(mailAddresses(message.recipients));
    out += headerText("Subject", message.subject);
    out += "Date: " + headerSafe(headers.date) + kCrLf;
    out += "Message-ID: " + headerSafe(headers.messageId) + kCrLf;
    out += "MIME-Version: 1.0" + std::string(kCrLf);
    out += "X-Unsent: 1" + std::string(kCrLf);
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"" + kCrLf;
    out += kCrLf;
    out += "This is a message in MIME format." + std::string(kCrLf);
    out += kCrLf + ("--" + boundary) + kCrLf;
    out += "Content-Type: text/plain; charset=" + charsetOf(body) + kCrLf;
    if (plain) {
        out += "Content-Transfer-Encoding: 7bit" + std::string(kCrLf) + kCrLf + body;
    } else {
        out += "Content-Transfer-Encoding: quoted-printable" + std::string(kCrLf) + kCrLf + quotedPrintable(body);
    }
    for (const Part& file : files) {
        out += kCrLf + ("--" + boundary) + kCrLf;
        out += "Content-Type: " + attachmentType(file.name) + "; " + fileNameParameter("name", file.name) + kCrLf;
        out += "Content-Disposition: attachment; " + fileNameParameter("filename", file.name) + kCrLf;
        out += "Content-Transfer-Encoding: base64" + std::string(kCrLf) + kCrLf;
        out += base64Lines(file.content);
    }
    out += kCrLf + ("--" + boundary + "--") + kCrLf;
    return out;
}

}  // namespace larkspan
