#pragma once

#include <string>
#include <zlib.h>

namespace larkspan::testing {

// The gzip file form of content, as gzip or logrotate's compress writes it.
inline std::string gzip(const std::string& content)
{
    uLongf size = compressBound(static_cast<uLong>(content.size())) + 64;
    std::string out(size, '\0');
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace larkspan::testing
