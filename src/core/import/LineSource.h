#pragma once

#include <cstdint>
#include <string_view>

namespace larkspan {

// Where the log converter takes a source file's lines from: the file's
// reader itself, or a reader running ahead on a worker thread.
class LineSource {
  public:
    virtual ~LineSource() = default;

    // The next line, valid until the following call; false at the end.
    // Throws SourceReadError when the file cannot be read.
    virtual bool next(std::string_view& line) = 0;
    // True when no further line follows; may invalidate the last line.
    virtual bool atEnd() = 0;
    // How far into the file itself reading has come, for progress.
    virtual std::uint64_t filePosition() const = 0;

    // What a source running ahead already knows of a line it handed out.
    enum class Prepared {
        Unknown,    // nothing: the caller works it out itself
        NotBracket, // not a bracketed-date access record
        Bracket,    // a bracketed-date record, rewritten as normaliseNcsa does
    };
    // What is known of line, which must be the line the last next() gave
    // to count; record then holds the rewritten record, valid as long as
    // the line.
    virtual Prepared prepared(std::string_view line, std::string_view& record) const
    {
        (void)line;
        (void)record;
        return Prepared::Unknown;
    }
};

} // namespace larkspan
