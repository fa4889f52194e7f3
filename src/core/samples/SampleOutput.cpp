#include "samples/SampleOutput.h"

#include "common/Error.h"

#include <zlib.h>

namespace larkspan::samples {

SampleOutput::SampleOutput(const std::string& path, bool gzip) : path_(path)
{
    if (gzip)
        gz_ = gzopen(path.c_str(), "wb6");
    else
        file_ = std::fopen(path.c_str(), "wb");
    if (!gz_ && !file_) throw Error("Unable to create file " + path);
    buffer_.reserve(kFlushSize + 4096);
}

SampleOutput::~SampleOutput()
{
    if (file_) std::fclose(file_);
    if (gz_) gzclose(static_cast<gzFile>(gz_));
}

void SampleOutput::flush()
{
    if (buffer_.empty()) return;
    bool written;
    if (gz_)
        written = gzwrite(static_cast<gzFile>(gz_), buffer_.data(), static_cast<unsigned>(buffer_.size())) ==
                  static_cast<int>(buffer_.size());
    else
        written = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
    buffer_.clear();
    if (!written) throw Error("Unable to write file " + path_);
}

void SampleOutput::close()
{
    flush();
    bool closed = true;
    if (gz_) {
        closed = gzclose(static_cast<gzFile>(gz_)) == Z_OK;
        gz_ = nullptr;
    }
    if (file_) {
        closed = std::fclose(file_) == 0;
        file_ = nullptr;
    }
    if (!closed) throw Error("Unable to write file " + path_);
}

} // namespace larkspan::samples
