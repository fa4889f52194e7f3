#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace larkspan::samples {

// A file written through one large buffer, plain or gzip-compressed.
// Throws Error("Unable to create file <path>") when the file cannot be
// created and Error("Unable to write file <path>") when a write fails, so a
// full disk is never reported as success.
class SampleOutput {
public:
    SampleOutput(const std::string& path, bool gzip);
    ~SampleOutput();
    SampleOutput(const SampleOutput&) = delete;
    SampleOutput& operator=(const SampleOutput&) = delete;

    // The text to append to; write() or close() passes it on.
    std::string& buffer() { return buffer_; }
    // Passes the buffer on once it holds at least the flush size.
    void maybeFlush()
    {
        if (buffer_.size() >= kFlushSize) flush();
    }
    void flush();
    // Flushes and closes; errors surface here rather than in the destructor.
    void close();

    static constexpr std::size_t kFlushSize = 1 << 20;

private:
    std::string path_;
    std::string buffer_;
    std::FILE* file_ = nullptr;
    void* gz_ = nullptr; // gzFile, kept opaque so zlib stays out of the header
};

} // namespace larkspan::samples
