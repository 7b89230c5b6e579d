#include "core/StringUtils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace
{
using Pieces = std::vector<std::string>;

Pieces Split(const std::string& text, const std::string& delimiters)
{
    Pieces pieces{"stale"};
    SplitString(text, delimiters, pieces);
    return pieces;
}

TEST(StringUtils, TrimKeepsTabsAndInnerBlanks)
{
    EXPECT_EQ("\tx", Trim(" \tx \r\n"));
    EXPECT_EQ("", Trim(" \r\n \n"));
    EXPECT_EQ("a b", Trim("  a b  "));
    EXPECT_EQ("x  ", TrimLeft("\n x  "));
    EXPECT_EQ("bca", TrimLeft("aabca", "a"));
    EXPECT_EQ("", TrimLeft("aaa", "a"));
    EXPECT_EQ("  x", TrimRight("  x\r\n"));
    EXPECT_EQ("", Trim(""));
}

TEST(StringUtils, CaseChangesOnlyAsciiLetters)
{
    std::string text = "AbZ\xC4\xE4 1@[`{";
    EXPECT_EQ("abz\xC4\xE4 1@[`{", ToLower(text));
    EXPECT_EQ("abz\xC4\xE4 1@[`{", text);
    EXPECT_EQ("ABZ\xC4\xE4 1@[`{", ToUpper(text));
}

TEST(StringUtils, ReplaceAllNeverRescansTheReplacement)
{
    EXPECT_EQ("say \\\"hi\\\"", ReplaceAll("say \"hi\"", "\"", "\\\""));
    EXPECT_EQ("aaaa", ReplaceAll("aa", "a", "aa"));
    EXPECT_EQ("\r\r", ReplaceAll("\r\n\r\n", "\r\n", "\r"));
    EXPECT_EQ("xyz", ReplaceAll("xyz", "q", "r"));
    EXPECT_EQ("", ReplaceAll("", "a", "b"));
    EXPECT_EQ(L"b-b", ReplaceAllW(L"a-a", L"a", L"b"));
}

TEST(StringUtils, ReplaceAllWithEmptySearchReturnsTheText)
{
    EXPECT_EQ("abc", ReplaceAll("abc", "", "x"));
    EXPECT_EQ(L"abc", ReplaceAllW(L"abc", L"", L"x"));
}

TEST(StringUtils, SplitDropsEmptyPieces)
{
    EXPECT_EQ((Pieces{"a", "b"}), Split(",,a,,b,", ","));
    EXPECT_EQ((Pieces{"a", "b", "c"}), Split("a; b;c", "; "));
    EXPECT_EQ((Pieces{"whole text"}), Split("whole text", ""));
    EXPECT_EQ(Pieces{}, Split("", ""));
    EXPECT_EQ(Pieces{}, Split(",;,", ",;"));
    EXPECT_EQ((Pieces{"x"}), Split("x", ","));
}

TEST(StringUtils, EndsWithLeftRight)
{
    EXPECT_TRUE(EndsWith("file.txt", ".txt"));
    EXPECT_TRUE(EndsWith("abc", ""));
    EXPECT_FALSE(EndsWith("xt", ".txt"));
    EXPECT_FALSE(EndsWith("a.txT", ".txt"));

    EXPECT_EQ("abc", Right("abc", 5));
    EXPECT_EQ("45", Right("12345", 2));
    EXPECT_EQ("12345", Right("12345", -1));
    EXPECT_EQ("", Right("12345", 0));
    EXPECT_EQ("12", Left("12345", 2));
    EXPECT_EQ("12345", Left("12345", -3));
    EXPECT_EQ(L"abc", LeftW(L"abc", 3));
    EXPECT_EQ(L"a", LeftW(L"abc", 1));
    EXPECT_EQ(L"bc", RightW(L"abc", 2));
}

TEST(StringUtils, ExtractDigitsAndReplaceChar)
{
    EXPECT_EQ("447700900123", ExtractDigits("+44 7700-900 123"));
    EXPECT_EQ("", ExtractDigits("no digits"));
    EXPECT_EQ("a_b_c", ReplaceChar("a b c", ' ', '_'));
}

TEST(StringUtils, ConvertLFToCRLF)
{
    EXPECT_EQ(L"\r\n\r\n", ConvertLFToCRLF(L"\n\n"));
    EXPECT_EQ(L"\r\n", ConvertLFToCRLF(L"\r\n"));
    EXPECT_EQ(L"a\r\nb\r\nc\r\r\n", ConvertLFToCRLF(L"a\nb\r\nc\r\r\n"));
    EXPECT_EQ(L"\r", ConvertLFToCRLF(L"\r"));
}

TEST(StringUtils, URLEncodeKeepsOnlyLettersAndDigits)
{
    EXPECT_EQ("", URLEncode(""));
    EXPECT_EQ("Hello+World%26more", URLEncode("Hello World&more"));
    EXPECT_EQ("%2d%5f%2e%7e", URLEncode("-_.~"));
    EXPECT_EQ("a%2cb%3d%2b%25%2f%3f%23", URLEncode("a,b=+%/?#"));
    EXPECT_EQ("%0d%0a%00", URLEncodeW(std::wstring(L"\r\n") + L'\0'));
}

TEST(StringUtils, URLEncodeGoesThroughUtf8)
{
    EXPECT_EQ("%c3%a9", URLEncodeW(L"\u00e9"));
    EXPECT_EQ("%e2%82%ac", URLEncodeW(L"\u20ac"));
    EXPECT_EQ("%f0%9f%98%80", URLEncodeW(L"\U0001F600"));
    // The narrow form converts from the ANSI code page first (1252 here).
    ASSERT_EQ(1252u, GetACP());
    EXPECT_EQ("caf%c3%a9+%e2%82%ac5", URLEncode("caf\xE9 \x80"
                                                "5"));
}

TEST(StringUtils, FormatEmailAddressQuotesTheName)
{
    EXPECT_EQ("a@b.com", FormatEmailAddress("a@b.com", "   "));
    EXPECT_EQ("a@b.com", FormatEmailAddress("a@b.com", ""));
    EXPECT_EQ("\"John Smith\" <a@b.com>", FormatEmailAddress("a@b.com", " John Smith\r\n"));
    EXPECT_EQ("\"The \\\"Boss\\\"\" <a@b.com>", FormatEmailAddress("a@b.com", "The \"Boss\""));
}

TEST(StringUtils, ParseEmailAddressReversesTheFormat)
{
    std::string address = "old", name = "old";
    ParseEmailAddress("\"The \\\"Boss\\\"\" <a.b-c_d%e@host.example.com>", address, name);
    EXPECT_EQ("a.b-c_d%e@host.example.com", address);
    EXPECT_EQ("The \"Boss\"", name);

    ParseEmailAddress("'O\\'Neil, Pat' <pat@x.org>", address, name);
    EXPECT_EQ("pat@x.org", address);
    EXPECT_EQ("O'Neil, Pat", name);

    ParseEmailAddress("plain@x.org", address, name);
    EXPECT_EQ("plain@x.org", address);
    EXPECT_EQ("", name);

    ParseEmailAddress(" <lead@x.org>", address, name);
    EXPECT_EQ("lead@x.org", address);
    EXPECT_EQ("", name);

    ParseEmailAddress("no address here", address, name);
    EXPECT_EQ("", address);
    EXPECT_EQ("", name);
}

TEST(StringUtils, ControlCharactersAreNamed)
{
    std::string all;
    for (int c = 0; c < 32; ++c)
        all += static_cast<char>(c);
    all += "\x7F\x80 ";
    EXPECT_EQ("<NUL><SOH><STX><ETX><EOT><ENQ><ACK><BEL><BS><HT><LF><VT><FF><CR><SO><SI>"
              "<DLE><DC1><DC2><DC3><DC4><NAK><SYN><ETB><CAN><EM><SUB><ESC><FS><GS><RS><US>\x7F\x80 ",
              ReplaceControlCharsWithNames(all));
    EXPECT_EQ(L"a<CR><LF>\u20ac", ReplaceControlCharsWithNamesW(L"a\r\n\u20ac"));
}

TEST(StringUtils, LogTimeStampIsLocalDayFirst)
{
    // 2009-02-13 23:31:30 UTC, checked against Windows' own conversion to
    // the local zone (the test main cleared TZ, so both use the prefix's).
    const std::int64_t when = 1234567890;
    const SYSTEMTIME utc = {2009, 2, 5, 13, 23, 31, 30, 0};
    SYSTEMTIME local = {};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    char expected[32];
    snprintf(expected, sizeof(expected), "%02u/%02u/%02u %02u:%02u:%02u", local.wDay, local.wMonth,
             local.wYear % 100, local.wHour, local.wMinute, local.wSecond);
    EXPECT_EQ(expected, FormatLogTimeStamp(&when));
    EXPECT_EQ(WidenString(expected), FormatLogTimeStampW(when));
}

TEST(StringUtils, WidenAndNarrowMapBytesOneToOne)
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += static_cast<char>(c);
    const std::wstring wide = WidenString(bytes);
    ASSERT_EQ(256u, wide.size());
    EXPECT_EQ(L'\x80', wide[0x80]);
    EXPECT_EQ(L'\xFF', wide[0xFF]);
    EXPECT_EQ(bytes, NarrowString(wide));
    EXPECT_EQ("\xAC", NarrowString(L"\u20ac")); // low byte only
}

// The ANSI code page of the tests' prefix is 1252: the euro sign is 0x80,
// a character it lacks becomes '?', embedded NULs are kept.
TEST(StringUtils, AnsiConversionsFollowTheCodePage)
{
    ASSERT_EQ(1252u, ::GetACP());
    EXPECT_EQ("Caf\xE9 \x80", WideToAnsi(L"Caf\u00e9 \u20ac"));
    EXPECT_EQ("?", WideToAnsi(L"\u4e2d"));
    EXPECT_EQ(L"Caf\u00e9 \u20ac", AnsiToWide("Caf\xE9 \x80"));
    EXPECT_EQ(std::string("a\0b", 3), WideToAnsi(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(L"", AnsiToWide(""));
}

// What the send refuses rather than let WideToAnsi change: each character
// once, as a code point, in the order of its first appearance.
TEST(StringUtils, CharactersLostInAnsiAreNamedOnce)
{
    ASSERT_EQ(1252u, ::GetACP());
    const struct
    {
        std::wstring text;
        std::vector<std::uint32_t> lost;
    } cases[] = {
        {L"", {}},
        {L"Plain text, £ € é ß ÿ", {}},
        {L"Hi 中文 😀 中", {0x4E2D, 0x6587, 0x1F600}},
        // A look-alike is no better than '?': a-macron would become "a".
        {L"ā Ω Ж", {0x0101, 0x03A9, 0x0416}},
        // A lone half of a pair is no character at all.
        {std::wstring(L"x") + wchar_t(0xD83D) + L"y", {0xD83D}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lost, CharactersLostInAnsi(c.text)) << WideToAnsi(c.text);
}
} // namespace
