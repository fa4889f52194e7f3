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
class LineSource;
class Messages;

// What the conversion keeps for a whole import run.
struct ConversionRun {
    std::string serverUrl;              // the web's server URL (may be empty)
    bool missingServerAccepted = false; // the missing-server question was answered Yes
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
    void convert(LineSource& reader, const std::string& path);

    // The layout of the last file converted (valid after a recognised file).
    LogLayout layout() const { return layout_; }
    // Records of the last file that reached the day writer with a valid date.
    long long recordsWritten() const { return recordsWritten_; }
    // Whether the last file held text to import but gave no record: it was
    // refused, or every record of it was dropped. Either way a message
    // naming the file has been shown.
    bool gaveNothing() const { return gaveNothing_; }

  private:
    void convertFile(LineSource& reader, const std::string& path);
    bool findFirstLine(LineSource& reader, long long& lineNo, std::string& first);
    bool refuseUtf16(std::string_view firstLine);
    bool classify(std::string_view first);
    void classifyBracketed(std::string_view first, std::string_view before, std::size_t fieldsBeforeBracket);
    void convertBatches(LineSource& reader, long long lineNo, const std::string& first);
    void unrecognised();
    void handle(std::string_view line);
    // Whether line is a bracketed-date record; if so, bracket_ holds it
    // rewritten into fields (in record_, or where the source prepared it).
    bool bracketRecord(std::string_view line);
    // Makes record_ hold the rewritten record, to be changed there.
    void takeBracketRecord();
    void directive(std::string_view line);
    void noteFileDate(const std::string& text, const std::string& upper);
    bool keepDirective(const std::string& name, std::size_t size);
    void takeFields(std::string& text, const std::string& upper);
    void w3cRecord(std::string_view line);
    void commaRecord(std::string_view line);
    void ncsaRecord();
    void netscapeRecord();
    void virtualHostRecord();
    void writeIsoDated(std::string_view record, std::size_t datePosition);
    void writeRecord(std::string_view record, std::string_view year, std::string_view month, std::string_view day);
    void reportNothingImported();
    void askMissingServer();
    void setDirectives(std::vector<std::string> directives);

    Messages& messages_;
    DayWriter& writer_;
    ConversionRun& run_;
    Hooks hooks_;

    // Per file.
    LineSource* source_ = nullptr;
    std::string path_;
    LogLayout layout_ = LogLayout::W3cExtended;
    std::vector<std::string> directives_;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> directiveIndex_;
    std::string header_;
    std::string fileDate_;
    std::size_t datePosition_ = 0;
    bool lacksServer_ = false;
    bool recordWritten_ = false;
    std::size_t keptFields_ = 0;          // records are cut to this many fields (0: all kept)
    std::size_t otherDirectiveCount_ = 0; // directives kept other than #Fields
    std::size_t otherDirectiveBytes_ = 0;
    long long recordLines_ = 0; // lines taken as records, dated or not
    long long recordsWritten_ = 0;
    bool gaveNothing_ = false;

    // Reused buffers: no allocation per line once warm.
    std::string_view bracket_; // the rewritten bracketed-date record under way
    std::string record_;
    std::string scratch_;
    std::string work_;
};

} // namespace larkspan
