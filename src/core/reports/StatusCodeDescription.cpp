#include "reports/StatusCodeDescription.h"

#include "common/Text.h"

namespace larkspan {

namespace {

const char* reason(long long code)
{
    switch (code) {
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 402:
        return "Payment Required";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 406:
        return "Not Acceptable";
    case 407:
        return "Proxy Authentication Required";
    case 408:
        return "Request Time-out";
    case 409:
        return "Conflict";
    case 410:
        return "Gone";
    case 411:
        return "Length Required";
    case 412:
        return "Precondition Failed";
    case 413:
        return "Request Entity Too Large";
    case 414:
        return "Request-URI Too Large";
    case 415:
        return "Unsupported Media Type";
    case 416:
        return "Requested range not satisfiable";
    case 417:
        return "Expectation Failed";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Time-out";
    case 505:
        return "HTTP Version not supported";
    default:
        return "Unknown";
    }
}

} // namespace

std::string statusCodeDescription(const std::string& code)
{
    const char* part = " - ";
    if (!code.empty() && code[0] == '4')
        part = " - Client - ";
    else if (!code.empty() && code[0] == '5')
        part = " - Server - ";
    long long value = 0;
    const char* why = text::parseInteger(code, value) ? reason(value) : "Unknown";
    return code + part + why;
}

} // namespace larkspan
