#include "common/Text.h"
#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace larkspan;

TEST(ReplaceAll, ReplacementContainingThePatternEnds)
{
    EXPECT_EQ(text::replaceAll("banana", "a", "aa"), "baanaanaa");
    EXPECT_EQ(text::replaceAll("abc", "b", "xbx"), "axbxc");
}

TEST(ReplaceAll, RescansUntilNoOccurrenceIsLeft)
{
    EXPECT_EQ(text::replaceAll("aaaa", "aa", "a"), "a");
    EXPECT_EQ(text::replaceAll("x  y   z", "  ", " "), "x y z");
}

TEST(ReplaceAll, DegenerateInputsAreUnchanged)
{
    EXPECT_EQ(text::replaceAll("text", "", "x"), "text");
    EXPECT_EQ(text::replaceAll("", "a", "b"), "");
    // The temporary token itself in the text must not be swallowed.
    EXPECT_EQ(text::replaceAll("~TeMpOrArYDuMmYsTrInG~a", "a", "aa"), "~TeMpOrArYDuMmYsTrInG~aa");
}

TEST(CutAtLessThan, KeepsTextBeforeFirstTag)
{
    EXPECT_EQ(text::cutAtLessThan("Page Views<br>more"), "Page Views");
    EXPECT_EQ(text::cutAtLessThan("no tag"), "no tag");
    EXPECT_EQ(text::cutAtLessThan("ends with <"), "ends with <");
    EXPECT_EQ(text::cutAtLessThan("<b>"), "");
}

TEST(HtmlToText, EntitiesTagsAndBlanks)
{
    EXPECT_EQ(text::htmlToText("<b>Hits</b>&nbsp;&amp;&nbsp;Views"), "Hits & Views");
    EXPECT_EQ(text::htmlToText("one\r\ntwo"), "one two");
    EXPECT_EQ(text::htmlToText("  lead"), "lead");
    EXPECT_EQ(text::htmlToText("a < b"), "a < b");
}

TEST(HtmlEscape, LogTextCannotOpenTags)
{
    EXPECT_EQ(text::htmlEscape("<script>alert('x')</script>&"), "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;");
    EXPECT_EQ(text::htmlEscape("\"\"a&&"), "&quot;&quot;a&amp;&amp;");
    EXPECT_EQ(text::htmlEscape(std::string("x\0<", 3)), std::string("x\0&lt;", 6));
    std::string page = "<td>";
    text::appendHtmlEscaped(page, "a>b");
    text::appendHtmlEscaped(page, "");
    EXPECT_EQ(page, "<td>a&gt;b");
}

TEST(CaseInsensitive, CompareFindAndHash)
{
    EXPECT_TRUE(text::iequals("GET", "get"));
    EXPECT_FALSE(text::iequals("GET", "GETS"));
    EXPECT_EQ(text::ifind("Mozilla/5.0 (Windows NT 10.0)", "windows nt"), 13u);
    EXPECT_EQ(text::ifind("abc", "abcd"), std::string::npos);
    EXPECT_LT(text::icompare("apple", "Banana"), 0);
    EXPECT_EQ(text::icompare("ABC", "abc"), 0);
    text::CaseInsensitiveHash hash;
    EXPECT_EQ(hash("Index.HTML"), hash("index.html"));
}

TEST(Lines, SplitAtAnyLineEnd)
{
    EXPECT_EQ(text::splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(text::splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(text::splitLines("").empty());
    EXPECT_EQ(text::toCrLf("a\nb\rc\r\n"), "a\r\nb\r\nc\r\n");
}

TEST(Numbers, IntegerParsing)
{
    long long v = 0;
    EXPECT_TRUE(text::parseInteger("-42", v));
    EXPECT_EQ(v, -42);
    EXPECT_FALSE(text::parseInteger("4x", v));
    EXPECT_FALSE(text::parseInteger("", v));
    EXPECT_FALSE(text::parseInteger("-", v));
    EXPECT_FALSE(text::parseInteger("99999999999999999999", v));
    EXPECT_TRUE(text::isNumber("12.5"));
    EXPECT_FALSE(text::isNumber("12.5.1"));
    EXPECT_FALSE(text::isNumber("."));
}

TEST(Utf8, ValidTextStaysAndOtherBytesAreReadAsWindows1252)
{
    const std::string utf8 = "Ünïcødé 中文 😀";
    EXPECT_TRUE(text::isValidUtf8(utf8));
    EXPECT_EQ(text::toValidUtf8(utf8), utf8);
    EXPECT_EQ(text::toValidUtf8("\xdc"
                                "n\xef"
                                "c\xf8"
                                "d\xe9"),
              "Ünïcødé");
    EXPECT_EQ(text::toValidUtf8("\x80 \x93"
                                "q\x94 \x81"),
              "\xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d \xef\xbf\xbd");
    // Mixed in one text, and forms a strict reader refuses: overlong, a
    // surrogate, a sequence cut short, beyond U+10FFFF.
    EXPECT_EQ(text::toValidUtf8("\xc3\xa9\xe9"), "\xc3\xa9\xc3\xa9");
    EXPECT_EQ(text::toValidUtf8Owned("\xc3\xa9\xe9"), "\xc3\xa9\xc3\xa9");
    EXPECT_EQ(text::toValidUtf8Owned(utf8), utf8);
    for (const char* bad : {"\xc0\x80", "\xed\xa0\x80", "\xe4\xb8", "\xf4\x90\x80\x80"}) {
        EXPECT_FALSE(text::isValidUtf8(bad)) << bad;
        EXPECT_TRUE(text::isValidUtf8(text::toValidUtf8(bad))) << bad;
    }
}

// icompare reads eight bytes at a time; its order must be that of folding
// each byte and comparing unsigned, wherever in a long text the first
// difference falls, with 8-bit bytes, capitals and "_" (after the letters).
TEST(Text, IcompareOrdersLongTextsAsByteByByteFolding)
{
    const auto reference = [](std::string_view a, std::string_view b) {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const auto ca = static_cast<unsigned char>(text::lower(a[i]));
            const auto cb = static_cast<unsigned char>(text::lower(b[i]));
            if (ca != cb) return ca < cb ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    };
    static const char alphabet[] = "aAzZ_@[`{0\x7f\x80\xc3\xe9\xff";
    unsigned state = 12345;
    const auto next = [&] { return (state = state * 1103515245u + 12345u) >> 8; };
    for (int n = 0; n < 20000; ++n) {
        std::string a;
        const std::size_t length = next() % 40;
        for (std::size_t i = 0; i < length; ++i)
            a.push_back(alphabet[next() % (sizeof alphabet - 1)]);
        std::string b = a;
        if (!b.empty() && next() % 4 != 0) b[next() % b.size()] = alphabet[next() % (sizeof alphabet - 1)];
        if (next() % 5 == 0) b.resize(next() % (b.size() + 1));
        const int expected = reference(a, b);
        ASSERT_EQ(text::icompare(a, b), expected) << '"' << a << "\" \"" << b << '"';
        ASSERT_EQ(text::icompare(b, a), -expected);
    }
}
