#include "import/LogLine.h"

#include "common/ByteMask.h"
#include "common/Text.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace larkspan::logline {

namespace {

// ' "' and '" ' found by their quote: blanks are common in log lines and
// quotes are not, so this scans far less than a search for the blank.
std::size_t findBlankQuote(std::string_view s, std::size_t from)
{
    for (std::size_t q = s.find('"', from + 1); q != std::string_view::npos; q = s.find('"', q + 1))
        if (s[q - 1] == ' ') return q - 1;
    return std::string_view::npos;
}

std::size_t findQuoteBlank(std::string_view s, std::size_t from)
{
    for (std::size_t q = s.find('"', from); q != std::string_view::npos; q = s.find('"', q + 1))
        if (q + 1 < s.size() && s[q + 1] == ' ') return q;
    return std::string_view::npos;
}

// The 1-based character range of a bracket text, cut short like a copy
// that runs past the end.
std::string_view chars(std::string_view s, std::size_t first, std::size_t count)
{
    if (first - 1 >= s.size()) return {};
    return s.substr(first - 1, count);
}

std::string_view monthNumber(std::string_view name)
{
    static constexpr std::string_view kMonths = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
    static constexpr const char* kNumbers[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"};
    if (name.size() != 3) return {};
    // The name upper-cased as one number in a register: built in memory a
    // byte at a time and then compared, it stalled every line.
    const auto upper = [](char c) -> std::uint32_t {
        return static_cast<unsigned char>((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
    };
    const auto word = [](std::uint32_t a, std::uint32_t b, std::uint32_t c) { return a << 16 | b << 8 | c; };
    const std::uint32_t key = word(upper(name[0]), upper(name[1]), upper(name[2]));
    for (std::size_t m = 0; m < 12; ++m) {
        const std::string_view month = kMonths.substr(3 * m, 3);
        if (key == word(static_cast<unsigned char>(month[0]), static_cast<unsigned char>(month[1]),
                        static_cast<unsigned char>(month[2])))
            return kNumbers[m];
    }
    return {};
}

// Replaces every "[" + B + "] " by the date text. B holds no "]", so an
// occurrence starts at a "[" whose next "]" lies exactly |B| + 1 further on
// and occurrences never overlap: one pass over the line finds them all.
void replaceBracket(std::string_view line, std::string_view bracket, std::string_view date, std::string& out)
{
    out.clear();
    const std::size_t span = bracket.size() + 3; // "[" B "] "
    std::size_t copied = 0;
    std::size_t open = line.find('[');
    std::size_t close = std::string_view::npos;
    while (open != std::string_view::npos) {
        if (close == std::string_view::npos || close < open) close = line.find(']', open + 1);
        if (close == std::string_view::npos) break;
        if (close == open + bracket.size() + 1 && close + 1 < line.size() && line[close + 1] == ' ' &&
            line.compare(open + 1, bracket.size(), bracket) == 0) {
            out.append(line.substr(copied, open - copied));
            out.append(date);
            copied = open + span;
            open = line.find('[', copied);
        } else {
            open = line.find('[', open + 1);
        }
    }
    out.append(line.substr(copied));
}

// Where text first holds two blanks in a row, or npos. Sixteen bytes at a
// time for all but short texts: a pair across two blocks is found with the
// later one, and the last block overlaps the one before it.
std::size_t findTwoBlanks(std::string_view text)
{
    using text::bytes::kBlock;
    if (text.size() < kBlock) return text.find("  ");
    const char* const data = text.data();
    std::uint32_t carry = 0; // 1 when the byte before the block is a blank
    std::size_t at = 0;
    for (;;) {
        const std::uint32_t blanks = text::bytes::matchMask(data + at, ' ');
        const std::uint32_t pairEnds = blanks & ((blanks << 1) | carry);
        if (pairEnds != 0) return at + static_cast<std::size_t>(std::countr_zero(pairEnds)) - 1;
        if (at + kBlock == text.size()) return std::string_view::npos;
        carry = blanks >> (kBlock - 1);
        if (text.size() - (at + kBlock) < kBlock) {
            // The last block: the bytes already seen hold no pair, and the
            // blank before it is in the block itself.
            at = text.size() - kBlock;
            carry = 0;
        } else {
            at += kBlock;
        }
    }
}

// Both append through a raw pointer: a loop over the string's own
// operators re-reads its size and data at every character.
// Both copy the text first and then rewrite it in place: growing the
// string by a resize would clear the bytes before they are written.
void appendCollapsed(std::string& out, std::string_view text)
{
    // Most requests hold no two blanks in a row: those are copied whole.
    const std::size_t twoBlanks = findTwoBlanks(text);
    if (twoBlanks == std::string_view::npos) {
        out.append(text);
        return;
    }
    out.append(text.substr(0, twoBlanks + 1));
    text.remove_prefix(twoBlanks + 1);
    const std::size_t from = out.size();
    out.append(text);
    char* dst = out.data() + from;
    const char* const end = dst + text.size();
    bool afterBlank = true;
    for (const char* src = dst; src != end; ++src) {
        const char c = *src;
        if (c == ' ' && afterBlank) continue;
        afterBlank = c == ' ';
        *dst++ = c;
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}

void appendPlus(std::string& out, std::string_view text)
{
    const std::size_t from = out.size();
    out.append(text);
    char* const dst = out.data() + from;
    const char* const src = text.data();
    const std::size_t n = text.size();
#if defined(__SSE2__)
    // Sixteen bytes at a time, read from the text itself rather than from
    // the copy just written (which may not be stored yet), the last block
    // overlapping the one before it. The text must not lie in out.
    if (n >= 16) {
        const __m128i blank = _mm_set1_epi8(' ');
        const __m128i plus = _mm_set1_epi8('+');
        const auto rewrite = [&](std::size_t at) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + at));
            const __m128i blanks = _mm_cmpeq_epi8(block, blank);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + at),
                             _mm_or_si128(_mm_andnot_si128(blanks, block), _mm_and_si128(blanks, plus)));
        };
        std::size_t at = 0;
        for (; n - at >= 16; at += 16)
            rewrite(at);
        if (at < n) rewrite(n - 16);
        return;
    }
#endif
    for (std::size_t i = 0; i < n; ++i)
        if (src[i] == ' ') dst[i] = '+';
}

// The quoted fields after the request: each loses its quotes and has its
// blanks turned into "+", searching again from the start after each one,
// until a field is empty or unclosed. The search restarts where the last
// field began, which finds what a search from the start would find: no
// ' "' lies before it and the rewritten text holds no blank.
void unquoteFields(std::string_view s, std::string& out)
{
    out.clear();
    std::size_t i = 0;
    // Rewritten text whose own quotes may open another field; kept between
    // calls so that no line allocates.
    thread_local std::string pending;
    for (;;) {
        const std::size_t p = findBlankQuote(s, i);
        if (p == std::string_view::npos) {
            out.append(s.substr(i));
            return;
        }
        out.append(s.substr(i, p + 1 - i));
        const std::size_t q = findQuoteBlank(s, p + 2);
        if (q == std::string_view::npos || q == p + 2) {
            out.append(s.substr(p + 1));
            return;
        }
        i = q + 1;
        pending.clear();
        appendPlus(pending, s.substr(p + 2, q - (p + 2)));
        std::size_t off = 0;
        // While the rewritten text starts with a quote, it opens a field again.
        while (off < pending.size() && pending[off] == '"') {
            if (pending.size() - off >= 2 && pending.back() == '"') {
                if (pending.size() - off == 2) { // an empty field: it keeps its quotes
                    out.append(pending, off);
                    out.append(s.substr(i));
                    return;
                }
                pending.pop_back();
                ++off;
                continue;
            }
            const std::size_t close = findQuoteBlank(s, i + 1);
            if (close == std::string_view::npos) {
                out.append(pending, off);
                out.append(s.substr(i));
                return;
            }
            ++off;
            appendPlus(pending, s.substr(i, close - i));
            i = close + 1;
        }
        out.append(pending, off);
    }
}

} // namespace

std::string_view trimmed(std::string_view line)
{
    return text::trimView(line);
}

bool isBlank(std::string_view line)
{
    return trimmed(line).empty();
}

namespace {

// "/" between the first "[" and the next '] "'.
bool slashInBracketBeforeQuote(std::string_view t)
{
    const std::size_t open = t.find('[');
    if (open == std::string_view::npos) return false;
    const std::size_t close = t.find("] \"", open + 1);
    if (close == std::string_view::npos) return false;
    return t.substr(open + 1, close - open - 1).find('/') != std::string_view::npos;
}

} // namespace

bool isAcceptedLine(std::string_view line)
{
    const std::string_view t = trimmed(line);
    if (t.empty()) return false;
    return t.front() == '#' || t.back() == ',' || t.find('[', 1) != std::string_view::npos ||
           slashInBracketBeforeQuote(t) || t.substr(0, 7) == "format=";
}

bool isBracketRecord(std::string_view line)
{
    const std::string_view t = trimmed(line);
    return t.size() > 1 && t.find('[', 1) != std::string_view::npos && slashInBracketBeforeQuote(t);
}

bool hasBracketDate(std::string_view line)
{
    const std::size_t open = line.find('[');
    if (open == std::string_view::npos) return false;
    const std::size_t quote = line.find('"');
    if (quote != std::string_view::npos && quote < open) return false;
    const std::size_t close = line.find(']', open + 1);
    if (close == std::string_view::npos) return false;
    return line.substr(open + 1, close - open - 1).find('/') != std::string_view::npos;
}

bool isHostAndPort(std::string_view field)
{
    const std::size_t colon = field.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == field.size()) return false;
    for (char c : field.substr(colon + 1))
        if (c < '0' || c > '9') return false;
    return field.substr(0, colon).find(':') == std::string_view::npos;
}

namespace {

// The date and time a bracket text stands for: "yyyy-mm-dd hh:mm:ss " from
// "dd/Mon/yyyy:hh:mm:ss zone", each part cut short where the text is.
std::string_view bracketDate(std::string_view bracket, char (&date)[64])
{
    const std::string_view month = monthNumber(chars(bracket, 4, 3));
    if (bracket.size() >= 21 && month.size() == 2) {
        // Every part is there: copied whole.
        std::memcpy(date, bracket.data() + 7, 4);
        date[4] = '-';
        std::memcpy(date + 5, month.data(), 2);
        date[7] = '-';
        std::memcpy(date + 8, bracket.data(), 2);
        date[10] = ' ';
        std::memcpy(date + 11, bracket.data() + 12, 9);
        return std::string_view(date, 20);
    }
    std::size_t n = 0;
    auto put = [&](std::string_view part) {
        for (char c : part)
            if (n < sizeof date) date[n++] = c;
    };
    put(chars(bracket, 8, 4));
    put("-");
    put(month);
    put("-");
    put(chars(bracket, 1, 2));
    put(" ");
    put(chars(bracket, 13, 9));
    return std::string_view(date, n);
}

// Where a line's brackets and quotes stand, found in one pass (sixteen
// bytes at a time where the machine can). Lines with more quotes than
// kMostQuotes are left to the general rewriting.
struct LineMarks {
    static constexpr std::size_t kMostQuotes = 32;
    static constexpr std::size_t kNone = std::string_view::npos;
    std::size_t open = kNone;     // the first "["
    std::size_t close = kNone;    // the first "]" after it
    std::size_t lastOpen = kNone; // the last "["
    std::size_t quotes[kMostQuotes];
    std::size_t quoteCount = 0;

    void noteOpen(std::size_t at)
    {
        if (open == kNone) open = at;
        lastOpen = at;
    }
    void noteClose(std::size_t at)
    {
        if (close == kNone && open != kNone && at > open) close = at;
    }
    bool noteQuote(std::size_t at)
    {
        if (quoteCount == kMostQuotes) return false;
        quotes[quoteCount++] = at;
        return true;
    }
};

// Notes the brackets and quotes of the bytes from at on, given as masks
// (bit i for the byte at + i); false when there are too many quotes.
bool noteMarks(LineMarks& marks, std::size_t at, std::uint64_t opens, std::uint64_t closes, std::uint64_t quotes)
{
    for (; opens != 0; opens &= opens - 1)
        marks.noteOpen(at + static_cast<std::size_t>(std::countr_zero(opens)));
    for (; closes != 0 && marks.close == LineMarks::kNone; closes &= closes - 1)
        marks.noteClose(at + static_cast<std::size_t>(std::countr_zero(closes)));
    for (; quotes != 0; quotes &= quotes - 1)
        if (!marks.noteQuote(at + static_cast<std::size_t>(std::countr_zero(quotes)))) return false;
    return true;
}

// False when the line holds too many quotes. Most of a line is looked at
// 64 bytes at a time.
bool markLine(std::string_view line, LineMarks& marks)
{
    using namespace text::bytes;
    const char* const data = line.data();
    std::size_t at = 0;
    for (; line.size() - at >= 64; at += 64)
        if (!noteMarks(marks, at, matchMask64(data + at, '['), matchMask64(data + at, ']'),
                       matchMask64(data + at, '"')))
            return false;
    for (; line.size() - at >= kBlock; at += kBlock)
        if (!noteMarks(marks, at, matchMask(data + at, '['), matchMask(data + at, ']'), matchMask(data + at, '"')))
            return false;
    // The last few bytes of a line at least a block long: its last block,
    // less the bytes already looked at.
    if (at < line.size() && line.size() >= kBlock) {
        const char* const last = data + line.size() - kBlock;
        const unsigned seen = static_cast<unsigned>(kBlock - (line.size() - at));
        return noteMarks(marks, at, matchMask(last, '[') >> seen, matchMask(last, ']') >> seen,
                         matchMask(last, '"') >> seen);
    }
    for (; at < line.size(); ++at) {
        if (data[at] == '[')
            marks.noteOpen(at);
        else if (data[at] == ']')
            marks.noteClose(at);
        else if (data[at] == '"' && !marks.noteQuote(at))
            return false;
    }
    return true;
}

// The rewriting in one pass over a record of the usual shape: a single
// bracket text, followed by '] "', with no quote before it or in it; a
// request holding no quote; and quoted fields none of which begins with a
// quote. Such a line gives the text the general rewriting gives, and each
// of its steps is the general one's on that shape. False (out then
// unspecified) for any other line.
bool normaliseUsualShape(std::string_view line, std::string& out, bool& bracketRecord)
{
    LineMarks marks;
    if (!markLine(line, marks)) return false;
    const std::size_t open = marks.open;
    const std::size_t close = marks.close;
    const std::size_t size = line.size();
    // The request's opening quote right after the bracket, no quote before
    // it, and no bracket text after it.
    if (close == LineMarks::kNone || close + 2 >= size || line[close + 1] != ' ' || marks.quoteCount < 2 ||
        marks.quotes[0] != close + 2 || marks.lastOpen > close)
        return false;
    const std::size_t* const quotes = marks.quotes;
    const std::size_t count = marks.quoteCount;
    const auto closesField = [&](std::size_t quote) { return quote + 1 == size || line[quote + 1] == ' '; };
    char buffer[64];
    const std::string_view date = bracketDate(line.substr(open + 1, close - open - 1), buffer);
    // The date's last blank is the one before the request's opening quote.
    if (date.empty() || date.back() != ' ') return false;
    const std::size_t requestFrom = close + 3;
    const std::size_t requestEnd = quotes[1];
    if (!closesField(requestEnd)) return false;
    // isBracketRecord on this shape: a "/" in the bracket text, and a "["
    // after the trimmed line's first character.
    std::size_t lead = 0;
    while (static_cast<unsigned char>(line[lead]) <= ' ')
        ++lead;
    // A date "dd/Mon/..." has its first "/" third: no search then.
    const bool slash = (open + 3 < close && line[open + 3] == '/') ||
                       std::memchr(line.data() + open + 1, '/', close - open - 1) != nullptr;
    bracketRecord = slash && (open > lead || marks.lastOpen != open);

    out.clear();
    out.append(line.substr(0, open));
    out.append(date);
    appendCollapsed(out, line.substr(requestFrom, requestEnd - requestFrom));
    // The quoted fields after the request, as unquoteFields rewrites them:
    // each opens at a quote after a blank and closes at the next quote
    // before a blank (or the end).
    std::size_t i = requestEnd + 1;
    std::size_t k = 2;
    for (;;) {
        while (k < count && (quotes[k] < i + 1 || line[quotes[k] - 1] != ' '))
            ++k;
        if (k == count) {
            out.append(line.substr(i));
            break;
        }
        const std::size_t p = quotes[k] - 1;
        out.append(line.substr(i, p + 1 - i));
        std::size_t c = k + 1;
        while (c < count && !closesField(quotes[c]))
            ++c;
        if (c == count || quotes[c] == p + 2) {
            out.append(line.substr(p + 1));
            break;
        }
        if (line[p + 2] == '"') return false;
        appendPlus(out, line.substr(p + 2, quotes[c] - (p + 2)));
        i = quotes[c] + 1;
        k = c + 1;
    }
    return true;
}

// Cuts blanks and control characters from both ends of out.
void trimInPlace(std::string& out)
{
    const std::string_view t = trimmed(out);
    if (t.size() != out.size()) {
        const std::size_t offset = static_cast<std::size_t>(t.data() - out.data());
        const std::size_t length = t.size();
        out.erase(0, offset);
        out.resize(length);
    }
}

} // namespace

void normaliseNcsa(std::string_view line, std::string& out, std::string& scratch)
{
    bool bracketRecord = false;
    if (normaliseUsualShape(line, out, bracketRecord)) {
        trimInPlace(out);
        return;
    }
    normaliseNcsaGeneral(line, out, scratch);
}

bool rewriteBracketRecord(std::string_view line, std::string& out, std::string& scratch)
{
    bool bracketRecord = false;
    if (normaliseUsualShape(line, out, bracketRecord)) {
        if (!bracketRecord) return false;
        trimInPlace(out);
        return true;
    }
    if (!isBracketRecord(line)) return false;
    normaliseNcsaGeneral(line, out, scratch);
    return true;
}

void normaliseNcsaGeneral(std::string_view line, std::string& out, std::string& scratch)
{
    // 1-3: the bracket text becomes the date and time.
    const std::size_t open = line.find('[');
    const std::size_t close = open == std::string_view::npos ? open : line.find(']', open + 1);
    if (close != std::string_view::npos) {
        const std::string_view bracket = line.substr(open + 1, close - open - 1);
        char date[64];
        replaceBracket(line, bracket, bracketDate(bracket, date), scratch);
    } else {
        scratch.assign(line);
    }
    scratch += ' ';

    // 4: the request loses its quotes, its blanks collapsed.
    const std::string_view s = scratch;
    const std::size_t p = findBlankQuote(s, 0);
    const std::size_t q = p == std::string_view::npos ? p : findQuoteBlank(s, p + 2);
    std::string& joined = out;
    if (q != std::string_view::npos) {
        joined.assign(s.substr(0, p + 1));
        appendCollapsed(joined, s.substr(p + 2, q - (p + 2)));
        joined.append(s.substr(q + 1));
    } else {
        joined.assign(s);
    }
    scratch.swap(joined);
    unquoteFields(scratch, out);

    // 5: trimmed.
    trimInPlace(out);
}

std::string_view field(std::string_view line, std::size_t position, char separator)
{
    // The fields wanted lie near the start of the line: separators are
    // counted sixteen bytes at a time where the machine can, else byte by
    // byte; a library search per separator costs more there.
    if (position == 0) return {};
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t toSkip = position - 1; // separators before the field
    constexpr auto kBlock = static_cast<std::ptrdiff_t>(text::bytes::kBlock);
    while (toSkip > 0 && end - p >= kBlock) {
        std::uint32_t hits = text::bytes::matchMask(p, separator);
        for (; hits != 0 && toSkip > 1; --toSkip)
            hits &= hits - 1;
        if (hits == 0) {
            p += kBlock;
            continue;
        }
        p += std::countr_zero(hits) + 1;
        toSkip = 0;
    }
    for (; toSkip > 0; --toSkip) {
        while (p != end && *p != separator)
            ++p;
        if (p == end) return {};
        ++p;
    }
    const char* q = p;
    for (; end - q >= kBlock; q += kBlock) {
        const std::uint32_t hits = text::bytes::matchMask(q, separator);
        if (hits != 0) return std::string_view(p, static_cast<std::size_t>(q - p) + std::countr_zero(hits));
    }
    while (q != end && *q != separator)
        ++q;
    return std::string_view(p, static_cast<std::size_t>(q - p));
}

std::size_t fieldCount(std::string_view line)
{
    std::size_t count = 1;
    for (char c : line)
        if (c == ' ') ++count;
    return count;
}

} // namespace larkspan::logline
