#pragma once

#include "import/LogLayout.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Text.h"

namespace larkspan {

class DayWriter;
class LineReader;
class Messages;

// What the conversion keeps for a whole import run.
struct ConversionRun {
    std::string serverUrl;          // the web's server URL (may be empty)
    bool missingServerAccepted = false;  // the missing-server question was answered Yes
    long long linesHandled = 0;
    long long linesInBatch = 0;
};

// Recognises the layout of one source log and writes each record, in its
// canonical form, through the day writer. Lines are read in batches of at
// most 8001; the day writer is flushed after each.
class LogConverter {
public:
    static constexpr long long kBatchLines = 8001;
    static constexpr long long kProgressEvery = 100;

    struct Hooks {
        // Called before every line; throws Cancelled when the run is cancelled.
        std::function<void()> checkCancel;
        // Called after every 100 lines handled in the run.
        std::function<void(const std::string& path)> progress;
    };

    LogConverter(Messages& messages, DayWriter& writer, ConversionRun& run, Hooks hooks);

    // Converts the file open in reader (path names it in messages). Returns
    // when it was converted or rejected with a message; throws Cancelled
    // when the run is cancelled, the missing-server question is answered No,
    // or after "Error\nAn error occurred while importing.\n..." was shown.
    // A read failure (SourceReadError) and a write failure (ImportWriteError)
    // pass through to the run.
    void convert(LineReader& reader, const std::string& path);

    // The layout of the last file converted (valid after a recognised file).
    LogLayout layout() const { return layout_; }

private:
    void convertFile(LineReader& reader, const std::string& path);
    bool findFirstLine(LineReader& reader, long long& lineNo, std::string& first);
    bool classify(std::string_view first);
    void convertBatches(LineReader& reader, long long lineNo, const std::string& first);
    void unrecognised();
    void handle(std::string_view line);
    void directive(std::string_view line);
    void w3cRecord(std::string_view line);
    void commaRecord(std::string_view line);
    void ncsaRecord(std::string_view line);
    void netscapeRecord(std::string_view line);
    void writeIsoDated(std::string_view record, std::size_t datePosition);
    void askMissingServer();
    void setDirectives(std::vector<std::string> directives);

    Messages& messages_;
    DayWriter& writer_;
    ConversionRun& run_;
    Hooks hooks_;

    // Per file.
    std::string path_;
    LogLayout layout_ = LogLayout::W3cExtended;
    std::vector<std::string> directives_;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> directiveIndex_;
    std::string header_;
    std::string fileDate_;
    std::size_t datePosition_ = 0;
    bool lacksServer_ = false;
    bool recordWritten_ = false;

    // Reused buffers: no allocation per line once warm.
    std::string record_;
    std::string scratch_;
    std::string work_;
};

}  // namespace larkspan
