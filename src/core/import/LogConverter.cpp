#include "import/LogConverter.h"

#include "common/Error.h"
#include "import/DayWriter.h"
#include "import/ImportJournal.h"
#include "import/LineReader.h"
#include "import/LineSource.h"
#include "import/LogLine.h"
#include "platform/Messages.h"

namespace larkspan {

namespace {

using logline::field;

constexpr std::string_view kErrorTag = "[error]";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// The header block is written again at every directive met between records,
// so what it holds is bounded: the field list always keeps its place, the
// other directives share the rest. The bound limits only what is written:
// dates are taken from every directive.
constexpr std::size_t kMaxDirectives = 64;
constexpr std::size_t kMaxFieldsBytes = 32 << 10;
constexpr std::size_t kMaxOtherDirectiveBytes = 32 << 10;
// The fields of the site layout's "#Fields:" line.
constexpr std::size_t kSiteFieldCount = 13;

// A 1-based character range, cut short at the end of the text.
std::string_view chars(std::string_view s, std::size_t first, std::size_t count)
{
    if (first - 1 >= s.size()) return {};
    return s.substr(first - 1, count);
}

// month or day padded to two digits with a leading "0".
std::string_view padded(std::string_view s, char (&buffer)[2])
{
    if (s.size() != 1) return s;
    buffer[0] = '0';
    buffer[1] = s[0];
    return std::string_view(buffer, 2);
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A two-digit year as servers wrote it around 2000: 00-69 are 20xx, 70-99
// are 19xx. Any other text is left to the calendar check.
std::string_view fullYear(std::string_view year, char (&buffer)[4])
{
    if (year.size() != 2 || !isDigit(year[0]) || !isDigit(year[1])) return year;
    buffer[0] = year[0] < '7' ? '2' : '1';
    buffer[1] = year[0] < '7' ? '0' : '9';
    buffer[2] = year[0];
    buffer[3] = year[1];
    return std::string_view(buffer, 4);
}

// Writes a time logged as "7:55:20" as "07:55:20", so that one hour is
// one bucket whichever way the server wrote it.
void padHour(std::string& record, std::size_t timePosition)
{
    const std::string_view time = field(record, timePosition);
    if (time.size() >= 2 && isDigit(time[0]) && time[1] == ':')
        record.insert(static_cast<std::size_t>(time.data() - record.data()), 1, '0');
}

// The offset of a field's first character; npos when there are fewer fields.
std::size_t fieldStart(std::string_view line, std::size_t position)
{
    std::size_t at = 0;
    for (std::size_t k = 1; k < position; ++k) {
        at = line.find(' ', at);
        if (at == std::string_view::npos) return at;
        ++at;
    }
    return at;
}

// Cuts a record after its first count fields.
void keepFields(std::string& record, std::size_t count)
{
    const std::size_t next = fieldStart(record, count + 1);
    if (next != std::string::npos) record.resize(next - 1);
}

// Appends text with every run of k >= 2 blanks written as the repeated
// replacement of a double blank by " - " gives: " " and k - 1 times "- ".
void appendDashedBlanks(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != ' ') {
            out += text[i++];
            continue;
        }
        std::size_t run = 0;
        while (i < text.size() && text[i] == ' ') {
            ++run;
            ++i;
        }
        out += ' ';
        for (std::size_t k = 1; k < run; ++k)
            out += "- ";
    }
}

void replaceEvery(std::string_view text, std::string_view pattern, std::string_view replacement, std::string& out)
{
    out.clear();
    std::size_t from = 0;
    for (std::size_t at = text.find(pattern); at != std::string_view::npos; at = text.find(pattern, from)) {
        out.append(text.substr(from, at - from));
        out.append(replacement);
        from = at + pattern.size();
    }
    out.append(text.substr(from));
}

} // namespace

LogConverter::LogConverter(Messages& messages, DayWriter& writer, ConversionRun& run, Hooks hooks)
    : messages_(messages), writer_(writer), run_(run), hooks_(std::move(hooks))
{
}

void LogConverter::convert(LineSource& reader, const std::string& path)
{
    try {
        convertFile(reader, path);
    } catch (const Cancelled&) {
        throw;
    } catch (const SourceReadError&) {
        throw; // the run skips the file
    } catch (const ImportWriteError&) {
        throw; // the run ends as failed
    } catch (const std::exception& e) {
        messages_.show(MessageKind::Error,
                       std::string("Error\nAn error occurred while importing.\n") + e.what() + "\nCancelling Import");
        throw Cancelled();
    }
}

void LogConverter::convertFile(LineSource& reader, const std::string& path)
{
    source_ = &reader;
    path_ = path;
    writer_.startSourceFile();
    directives_.clear();
    directiveIndex_.clear();
    header_.clear();
    fileDate_.clear();
    datePosition_ = 0;
    lacksServer_ = false;
    recordWritten_ = false;
    keptFields_ = 0;
    otherDirectiveCount_ = 0;
    otherDirectiveBytes_ = 0;
    recordLines_ = 0;
    recordsWritten_ = 0;
    gaveNothing_ = false;

    long long lineNo = 0;
    std::string first;
    if (!findFirstLine(reader, lineNo, first) || !classify(first)) return;
    run_.linesInBatch = kBatchLines;
    convertBatches(reader, lineNo, first);
    writer_.flush();
    if (recordLines_ > 0 && recordsWritten_ == 0) reportNothingImported();
}

void LogConverter::reportNothingImported()
{
    gaveNothing_ = true;
    messages_.show(MessageKind::Warning, "No records were imported from the file: " + path_ +
                                             "\nNone of its lines has a valid date in a layout the import reads.");
}

bool LogConverter::refuseUtf16(std::string_view firstLine)
{
    if (!startsWith(firstLine, "\xFF\xFE") && !startsWith(firstLine, "\xFE\xFF")) return false;
    gaveNothing_ = true;
    messages_.show(MessageKind::Warning, "The file: " + path_ + " is Unicode (UTF-16) text and cannot be imported." +
                                             "\nSave it as UTF-8 or ANSI text and import it again." +
                                             "\nIt will be skipped.");
    return true;
}

bool LogConverter::findFirstLine(LineSource& reader, long long& lineNo, std::string& first)
{
    // Within the first batch: blank lines, lines of no layout and error
    // lines before the first accepted line are dropped.
    bool anyText = false;
    std::string_view line;
    while (lineNo < kBatchLines && reader.next(line)) {
        ++lineNo;
        if (lineNo == 1) {
            if (refuseUtf16(line)) return false;
            if (startsWith(line, kUtf8Mark)) line.remove_prefix(kUtf8Mark.size());
        }
        if (logline::isBlank(line)) continue;
        anyText = true;
        if (logline::isAcceptedLine(line) && line.find(kErrorTag) == std::string_view::npos) {
            first.assign(line);
            return true;
        }
    }
    if (lineNo == 0) return false; // a file of no lines ends silently
    if (!anyText) {
        messages_.show(MessageKind::Warning, "Empty Log File: " + path_ + "\nCannot Process Empty Log.");
        return false;
    }
    gaveNothing_ = true;
    messages_.show(MessageKind::Warning, "Unsupported Log File Type: \n" + path_ + "\nCannot Process.");
    return false;
}

void LogConverter::unrecognised()
{
    gaveNothing_ = recordsWritten_ == 0;
    messages_.show(MessageKind::Information, "Unrecognized file format.\nThe format of the log file: \n" + path_ +
                                                 "\nis not currently supported." +
                                                 "\nContact Quennet for any updates to the program.");
}

void LogConverter::convertBatches(LineSource& reader, long long lineNo, const std::string& first)
{
    std::string_view line;
    std::string held; // a site-layout batch's first line while its second is read
    // The site layout checks each batch's second line first: an error line
    // there ends the file (with a message when more lines follow the batch).
    auto siteBatch = [&](std::string_view opening) {
        held.assign(opening);
        if (lineNo % kBatchLines == 0 || !reader.next(line)) {
            handle(held);
            return true;
        }
        ++lineNo;
        if (line.find(kErrorTag) != std::string_view::npos) {
            while (lineNo % kBatchLines != 0 && reader.next(line))
                ++lineNo;
            if (!reader.atEnd()) unrecognised();
            return false;
        }
        handle(held);
        handle(line);
        return true;
    };

    if (layout_ == LogLayout::NcsaSite) {
        if (!siteBatch(first)) return;
    } else {
        handle(first);
    }
    for (;;) {
        const bool batchStart = lineNo % kBatchLines == 0;
        if (batchStart) writer_.flush();
        if (!reader.next(line)) return;
        ++lineNo;
        if (batchStart && layout_ == LogLayout::NcsaSite) {
            if (!siteBatch(line)) return;
            continue;
        }
        handle(line);
    }
}

bool LogConverter::classify(std::string_view first)
{
    if (first.front() == '#') {
        layout_ = LogLayout::W3cExtended;
        return true;
    }
    if (logline::trimmed(first).back() == ',') {
        layout_ = LogLayout::CommaSeparated;
        const LayoutFields fields = commaSeparatedFields();
        datePosition_ = fields.datePosition;
        setDirectives({fields.fields});
        return true;
    }
    if (startsWith(first, "format=")) {
        layout_ = LogLayout::NetscapeFlexible;
        const NetscapeFormat format = parseNetscapeFormat(first);
        datePosition_ = format.datePosition;
        if (run_.serverUrl.empty()) askMissingServer();
        std::string fields = "#Fields:";
        for (const auto& name : format.names)
            fields += " " + name;
        fields += " s-ip";
        setDirectives({fields});
        return true;
    }
    if (logline::hasBracketDate(first)) {
        const std::string_view before = logline::trimmed(first.substr(0, first.find('[')));
        const std::size_t count = before.empty() ? 0 : logline::fieldCount(before);
        if (count == 3 || count == 4) {
            classifyBracketed(first, before, count);
            return true;
        }
    }
    unrecognised();
    return false;
}

void LogConverter::classifyBracketed(std::string_view first, std::string_view before, std::size_t fieldsBeforeBracket)
{
    LayoutFields fields{};
    if (fieldsBeforeBracket == 4) {
        // Apache's virtual-host record leads with host:port where the site
        // layout has the client's address.
        const bool virtualHost = logline::isHostAndPort(field(before, 1));
        layout_ = virtualHost ? LogLayout::ApacheVirtualHost : LogLayout::NcsaSite;
        fields = ncsaSiteFields();
    } else {
        logline::normaliseNcsa(first, record_, scratch_);
        const std::size_t n = logline::fieldCount(record_);
        layout_ = n <= 10 ? LogLayout::NcsaCommon : LogLayout::NcsaCombined;
        // Fields a server logs after the user agent are not the cookie the
        // 13-field record carries: such records are read as combined ones.
        if (n > kCombinedFieldCount + 1) keptFields_ = kCombinedFieldCount;
        fields = n <= 10 ? ncsaCommonFields() : ncsaCombinedFields(keptFields_ ? keptFields_ : n);
    }
    datePosition_ = fields.datePosition;
    setDirectives(fields.fields ? std::vector<std::string>{fields.fields} : std::vector<std::string>{});
}

void LogConverter::setDirectives(std::vector<std::string> directives)
{
    directives_ = std::move(directives);
    header_ = headerBlock(directives_);
}

void LogConverter::handle(std::string_view line)
{
    hooks_.checkCancel();
    if (++run_.linesHandled % kProgressEvery == 0 && hooks_.progress) hooks_.progress(path_);
    switch (layout_) {
    case LogLayout::W3cExtended:
        if (logline::isBlank(line)) return;
        if (line.front() == '#')
            directive(line);
        else
            w3cRecord(line);
        return;
    case LogLayout::CommaSeparated:
        if (!logline::isBlank(line)) commaRecord(line);
        return;
    case LogLayout::NcsaCommon:
    case LogLayout::NcsaCombined:
    case LogLayout::NcsaSite:
    case LogLayout::ApacheVirtualHost:
        if (bracketRecord(line)) ncsaRecord();
        return;
    case LogLayout::NetscapeFlexible:
        if (line.find("format=") == std::string_view::npos && bracketRecord(line)) netscapeRecord();
        return;
    }
}

bool LogConverter::bracketRecord(std::string_view line)
{
    switch (source_->prepared(line, bracket_)) {
    case LineSource::Prepared::NotBracket:
        return false;
    case LineSource::Prepared::Bracket:
        return true;
    case LineSource::Prepared::Unknown:
        break;
    }
    if (!logline::rewriteBracketRecord(line, record_, scratch_)) return false;
    bracket_ = record_;
    return true;
}

void LogConverter::takeBracketRecord()
{
    if (bracket_.data() != record_.data()) record_.assign(bracket_);
}

void LogConverter::askMissingServer()
{
    if (!run_.serverUrl.empty() || run_.missingServerAccepted) return;
    const Answer answer = messages_.ask(
        MessageKind::Warning,
        "The log file format being imported does not track Server IP Address and you have not specified a Server URL "
        "for this web.\nThe Server IP address is required to build valid links in reports.\nContinuing with the "
        "import without a Server URL will produce invalid links in the reports.\nDo you wish to Continue with the "
        "import? (not recommended)",
        Buttons::YesNo);
    if (answer != Answer::Yes) throw Cancelled();
    run_.missingServerAccepted = true;
}

void LogConverter::directive(std::string_view line)
{
    std::string text(line);
    const std::string upper = text::toUpper(text);
    noteFileDate(text, upper);
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(1, colon == std::string::npos ? std::string::npos : colon - 1);
    if (text::iequals(name, "Quennet") || text::iequals(name, "FileFormat") || text::iequals(name, "Delim")) return;
    const bool fieldsLine = upper.compare(1, 6, "FIELDS") == 0;
    // A line past the bound is dropped whole: a field list that is not
    // written does not govern the records either.
    if (!keepDirective(name, text.size() + (fieldsLine ? 5 : 0))) return;
    if (fieldsLine) takeFields(text, upper);
    const auto known = directiveIndex_.find(name);
    if (known != directiveIndex_.end()) {
        directives_[known->second] = text;
    } else {
        directiveIndex_.emplace(name, directives_.size());
        directives_.push_back(text);
    }
    header_ = headerBlock(directives_);
    if (recordWritten_) writer_.addHeaderBlock(header_);
}

void LogConverter::noteFileDate(const std::string& text, const std::string& upper)
{
    const std::string head = upper.substr(0, 12);
    if (head.find("DATE:") == std::string::npos || head.find("END-DATE:") != std::string::npos) return;
    const std::size_t colon = text.find(": ");
    if (colon == std::string::npos) return;
    const std::size_t from = colon + 2;
    const std::size_t blank = text.find(' ', from);
    fileDate_ = text.substr(from, blank == std::string::npos ? std::string::npos : blank - from);
}

bool LogConverter::keepDirective(const std::string& name, std::size_t size)
{
    if (text::iequals(name, "Fields")) return size <= kMaxFieldsBytes;
    const auto known = directiveIndex_.find(name);
    // One place stays free for the field list, however many come before it.
    if (known == directiveIndex_.end() && otherDirectiveCount_ + 1 >= kMaxDirectives) return false;
    const std::size_t replaced = known != directiveIndex_.end() ? directives_[known->second].size() : 0;
    const std::size_t bytes = otherDirectiveBytes_ - replaced + size;
    if (bytes > kMaxOtherDirectiveBytes) return false;
    otherDirectiveBytes_ = bytes;
    if (known == directiveIndex_.end()) ++otherDirectiveCount_;
    return true;
}

void LogConverter::takeFields(std::string& text, const std::string& upper)
{
    // A TAB-delimited field list names s-ip after a TAB; it is not missing there.
    lacksServer_ = upper.find(" S-IP") == std::string::npos && upper.find("\tS-IP") == std::string::npos;
    if (lacksServer_) {
        askMissingServer();
        text += " s-ip";
    }
    datePosition_ = 0;
    const std::size_t date = upper.find("DATE");
    if (date != std::string::npos)
        for (std::size_t i = 0; i < date; ++i)
            if (upper[i] == ' ' || upper[i] == '\t') ++datePosition_;
}

void LogConverter::w3cRecord(std::string_view line)
{
    std::string_view record = line;
    if (lacksServer_) {
        record_.assign(line);
        record_ += ' ';
        record_ += run_.serverUrl.empty() ? "-" : run_.serverUrl;
        record = record_;
    }
    std::string_view date;
    if (datePosition_ == 0)
        date = fileDate_;
    else if (datePosition_ == 1)
        date = chars(line, 1, 10);
    else
        date = field(line, datePosition_, line.find('\t') != std::string_view::npos ? '\t' : ' ');
    writeRecord(record, chars(date, 1, 4), chars(date, 6, 2), chars(date, 9, 2));
}

void LogConverter::writeRecord(std::string_view record, std::string_view year, std::string_view month,
                               std::string_view day)
{
    recordWritten_ = true;
    ++recordLines_;
    if (writer_.writeRecord(record, year, month, day, header_)) ++recordsWritten_;
}

void LogConverter::writeIsoDated(std::string_view record, std::size_t datePosition)
{
    const std::string_view date = field(record, datePosition);
    const std::size_t dash = date.find('-');
    std::string_view month;
    if (dash != std::string_view::npos) {
        const std::size_t second = date.find('-', dash + 1);
        month = date.substr(dash + 1, second == std::string_view::npos ? std::string_view::npos : second - dash - 1);
    }
    const std::string_view day = date.size() >= 2 ? date.substr(date.size() - 2) : date;
    char monthBuffer[2], dayBuffer[2];
    writeRecord(record, chars(date, 1, 4), padded(month, monthBuffer), padded(day, dayBuffer));
}

void LogConverter::commaRecord(std::string_view line)
{
    work_.clear();
    scratch_.clear();
    for (char c : line)
        if (c != ',') scratch_ += c;
    appendDashedBlanks(work_, scratch_);

    const std::string_view date = field(work_, 3);
    if (!date.empty()) {
        const std::size_t slash = date.find('/');
        const std::size_t slash2 = slash == std::string_view::npos ? slash : date.find('/', slash + 1);
        const std::string_view month = date.substr(0, slash);
        const std::string_view day =
            slash == std::string_view::npos
                ? std::string_view()
                : date.substr(slash + 1,
                              slash2 == std::string_view::npos ? std::string_view::npos : slash2 - slash - 1);
        const std::string_view written =
            slash2 == std::string_view::npos ? std::string_view() : date.substr(slash2 + 1);
        char yearBuffer[4];
        const std::string_view year = written.size() == 2 ? fullYear(written, yearBuffer)
                                      : date.size() >= 4  ? date.substr(date.size() - 4)
                                                          : date;
        char monthBuffer[2], dayBuffer[2];
        std::string iso(year);
        iso += '-';
        iso.append(padded(month, monthBuffer));
        iso += '-';
        iso.append(padded(day, dayBuffer));
        const std::string pattern(date);
        replaceEvery(work_, pattern, iso, record_);
    } else {
        record_ = work_;
    }
    padHour(record_, datePosition_ + 1);

    if (field(record_, 7) == "-") {
        if (!run_.serverUrl.empty()) {
            std::size_t start = 0;
            for (int k = 1; k < 7; ++k)
                start = record_.find(' ', start) + 1;
            record_.replace(start, 1, run_.serverUrl);
        } else {
            askMissingServer();
        }
    }
    writeIsoDated(record_, datePosition_);
}

void LogConverter::ncsaRecord()
{
    // The common and combined records are mostly written as they were
    // rewritten: they are copied only to be changed.
    if (keptFields_ == 0 && (layout_ == LogLayout::NcsaCommon || layout_ == LogLayout::NcsaCombined)) {
        if (field(bracket_, 2) != "-") {
            writeIsoDated(bracket_, datePosition_);
            return;
        }
        if (run_.serverUrl.empty()) {
            askMissingServer();
            writeIsoDated(bracket_, datePosition_);
            return;
        }
    }
    takeBracketRecord();
    if (keptFields_ != 0) keepFields(record_, keptFields_);
    if (layout_ == LogLayout::ApacheVirtualHost) {
        virtualHostRecord();
    } else if (layout_ == LogLayout::NcsaSite) {
        if (field(record_, 3) == "-") {
            const std::string_view site = field(record_, 2);
            const std::size_t start = static_cast<std::size_t>(site.data() - record_.data()) + site.size() + 1;
            if (site != "-")
                record_.replace(start, 1, std::string(site));
            else if (!run_.serverUrl.empty())
                record_.replace(start, 1, run_.serverUrl);
            else
                askMissingServer();
        }
    } else if (field(record_, 2) == "-") {
        if (!run_.serverUrl.empty())
            record_.replace(record_.find(' ') + 1, 1, run_.serverUrl);
        else
            askMissingServer();
    }
    writeIsoDated(record_, datePosition_);
}

void LogConverter::virtualHostRecord()
{
    // host:port client ident user date ... becomes the site layout's
    // client site server user date ...; the identity is not kept.
    const std::string_view virtualHost = field(record_, 1);
    const std::size_t colon = virtualHost.rfind(':');
    const std::string_view host = virtualHost.substr(0, colon);
    const std::string_view port = colon == std::string_view::npos ? std::string_view() : virtualHost.substr(colon + 1);
    work_.assign(field(record_, 2));
    work_ += ' ';
    work_.append(host.empty() ? std::string_view("-") : host);
    work_ += ' ';
    if (host.empty() || host == "-") {
        if (run_.serverUrl.empty()) askMissingServer();
        work_.append(run_.serverUrl.empty() ? std::string_view("-") : std::string_view(run_.serverUrl));
    } else {
        // Links are built on the server address: the port stays unless it is the scheme's own.
        work_.append(port.empty() || port == "80" || port == "443" ? host : virtualHost);
    }
    work_ += ' ';
    work_.append(field(record_, 4));
    const std::size_t rest = fieldStart(record_, 5);
    if (rest != std::string::npos) {
        work_ += ' ';
        work_.append(std::string_view(record_).substr(rest));
    }
    keepFields(work_, kSiteFieldCount);
    record_.swap(work_);
}

void LogConverter::netscapeRecord()
{
    takeBracketRecord();
    record_ += ' ';
    record_ += run_.serverUrl.empty() ? "-" : run_.serverUrl;
    writeIsoDated(record_, datePosition_);
}

} // namespace larkspan
