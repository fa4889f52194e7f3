#include "analysis/DayFileReader.h"

#include "analysis/StatisticsTable.h"
#include "common/Error.h"
#include "common/FieldSplit.h"
#include "common/Text.h"
#include "platform/Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace larkspan::analysis {

// Only lines shorter than kMaxLineLength are split, so every key taken from
// one fits a count row.
static_assert(DayFileReader::kMaxLineLength - 1 <= CountRow::kLongestKey);

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

DayFileReader::DayFileReader(Platform& platform, ThrottledPump& pump, StatisticsTable& table, RecordTally& tally)
    : platform_(&platform), pump_(&pump), table_(table), tally_(tally)
{
}

DayFileReader::DayFileReader(StatisticsTable& table, RecordTally& tally, const std::atomic<bool>& stop)
    : stop_(&stop), fieldsKnown_(false), table_(table), tally_(tally)
{
}

void DayFileReader::reportUnreadable(Platform& platform, const UnreadableDayFile& file)
{
    platform.messages.show(MessageKind::Error, "File Access Error : " + std::to_string(file.code));
    throw Error("Cannot read file " + file.path + ": " + std::strerror(file.code));
}

void DayFileReader::inheritFields(const std::vector<std::string>& fieldNames)
{
    fields_ = fieldNames;
    positions_ = FieldPositions::of(fields_);
    values_.assign(fields_.size(), {});
    fieldsKnown_ = true;
    needsEarlierFields_ = false;
}

bool DayFileReader::keepGoing()
{
    if (platform_) return !(pump_->poll() && platform_->cancel.requested());
    return !stop_->load(std::memory_order_relaxed);
}

bool DayFileReader::read(const std::string& path)
{
    if (platform_) {
        platform_->progress.setCaption("Analyzing Log Files...");
        platform_->progress.setText(0, "Opening file: " + path);
    }
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        const UnreadableDayFile unreadable{path, errno != 0 ? errno : EIO};
        if (!platform_) throw unreadable;
        reportUnreadable(*platform_, unreadable);
    }
    // Every file starts space-delimited until its "#Delim:" says otherwise.
    delimiter_ = ' ';
    blockLines_ = 0;

    std::string& buffer = buffer_;
    if (buffer.size() != kReadChunk) buffer.assign(kReadChunk, '\0');
    std::size_t held = 0;  // bytes of buffer in use
    bool skipping = false; // inside an over-long line
    bool atEnd = false;
    while (!atEnd) {
        const std::size_t got = std::fread(buffer.data() + held, 1, buffer.size() - held, file.get());
        if (got == 0) atEnd = true;
        held += got;
        std::size_t start = 0;
        while (start < held) {
            const std::string_view rest(buffer.data() + start, held - start);
            // A data line is split as its end is looked for.
            std::optional<std::size_t> split;
            std::size_t length = std::string_view::npos;
            if (!skipping && fieldsKnown_ && !fields_.empty() && rest.front() != '#') {
                const text::SplitLine s = splitLine_(rest, delimiter_, values_, true);
                length = s.length;
                split = s.count;
            } else if (const void* nl = std::memchr(rest.data(), '\n', rest.size())) {
                length = static_cast<std::size_t>(static_cast<const char*>(nl) - rest.data());
            }
            const bool broken = length != std::string_view::npos;
            if (!broken && !atEnd) break; // incomplete line: read more
            std::string_view text = rest.substr(0, length);
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            if (skipping) {
                skipping = false; // the rest of an over-long line
            } else if (!line(text, true, split)) {
                return false;
            }
            start += broken ? length + 1 : rest.size();
        }
        // Keep the incomplete line; grow the buffer for long lines up to the limit.
        std::memmove(buffer.data(), buffer.data() + start, held - start);
        held -= start;
        if (held == buffer.size()) {
            if (buffer.size() >= kMaxLineLength) {
                // Count it once as a line read that fits no field list.
                if (!skipping && !line(std::string_view(buffer.data(), held), false)) return false;
                skipping = true;
                held = 0;
            } else {
                buffer.resize(buffer.size() * 2);
            }
        }
    }
    table_.setRecordsProcessed(tally_.recordsProcessed());
    if (platform_) platform_->progress.setText(0, "Done processing " + path);
    return true;
}

void DayFileReader::progressMessage()
{
    platform_->progress.setText(0, std::to_string(linesRead_) + " Records read.  " +
                                       std::to_string(tally_.recordsProcessed()) + " Records processed...");
}

bool DayFileReader::startBlock()
{
    // The first block of the pass sets the table up.
    if (!table_.isSetUp()) table_.setUp();
    return keepGoing();
}

bool DayFileReader::showProgress()
{
    if (!pump_->poll()) return true;
    progressMessage();
    return !platform_->cancel.requested();
}

void DayFileReader::directive(std::string_view text)
{
    if (text::istartsWith(text, "#Fields:")) {
        header(text);
    } else if (text::istartsWith(text, "#Delim:")) {
        delimiter_ = text::ifind(text, "TABDELIMITED") != std::string_view::npos ? '\t' : ' ';
    }
}

bool DayFileReader::line(std::string_view text, bool whole, std::optional<std::size_t> split)
{
    // The rare steps are calls of their own, so that this one stays short
    // enough to join the read loop.
    if (blockLines_ == 0 && !startBlock()) return false;
    if (++blockLines_ == kBlockLines) blockLines_ = 0;
    if (text.empty()) return true;
    if (text.front() == '#') {
        if (whole) directive(text);
        return true;
    }
    ++linesRead_;
    // The progress shows a multiple of 10 lines; the clock is read every
    // kPollLines of them.
    if (platform_ && linesRead_ % kPollLines == 0 && !showProgress()) return false;
    if (whole) dataLine(text, split);
    return !needsEarlierFields_;
}

void DayFileReader::header(std::string_view text)
{
    if (platform_) platform_->progress.setText(0, "Reading header...");
    fieldsKnown_ = true;
    fields_.clear();
    std::vector<std::string_view> names;
    if (delimiter_ == ' ') {
        // The words after the first, up to the first empty one.
        std::size_t pos = text.find(' ');
        while (pos != std::string_view::npos) {
            const std::size_t next = text.find(' ', pos + 1);
            const std::string_view word = text.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
            if (word.empty()) break;
            names.push_back(word);
            pos = next;
        }
    } else {
        // A TAB-delimited file: field names hold no blanks, and a header
        // carried over from a W3C source may have a space after "#Fields:",
        // so the names are the pieces between TABs and spaces.
        std::size_t pos = std::string_view("#Fields:").size();
        while (pos < text.size()) {
            const std::size_t end = text.find_first_of(" \t", pos);
            const std::string_view word = text.substr(pos, end == std::string_view::npos ? end : end - pos);
            if (!word.empty()) names.push_back(word);
            if (end == std::string_view::npos) break;
            pos = end + 1;
        }
    }
    for (std::string_view name : names)
        fields_.emplace_back(name);
    table_.noteFieldNames(names);
    positions_ = FieldPositions::of(fields_);
    values_.assign(fields_.size(), {});
}

void DayFileReader::dataLine(std::string_view text, std::optional<std::size_t> split)
{
    if (!fieldsKnown_) {
        needsEarlierFields_ = true;
        return;
    }
    if (fields_.empty()) return;
    // Two delimiters in a row drop the line, and so do more values than
    // fields. values_ has one slot per field.
    const char d = delimiter_;
    const std::size_t count = split ? *split : text::splitValues(text, d, values_, text::AdjacentDelimiters::Rejected);
    if (count == text::kSplitFailed) return;
    // A line split before its "\r" was cut off holds it in its last value.
    if (split && values_[count - 1].ends_with('\r')) values_[count - 1].remove_suffix(1);
    if (d == '\t' && count + 1 == fields_.size()) {
        // The import appends a missing server address to a TAB-delimited
        // W3C record after a blank (and " s-ip" to its field list): the
        // last field then follows the last blank.
        const std::string_view last = values_[count - 1];
        const std::size_t blank = last.rfind(' ');
        if (blank == std::string_view::npos) return;
        values_[count - 1] = last.substr(0, blank);
        values_[count] = last.substr(blank + 1);
    } else if (count != fields_.size()) {
        return;
    }
    tally_.add(values_, positions_);
}

} // namespace larkspan::analysis
