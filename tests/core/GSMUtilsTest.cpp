#include "core/GSMUtils.h"

#include <gtest/gtest.h>

#include <climits>

namespace
{
std::string Plain(size_t count)
{
    return std::string(count, 'a');
}

int Length(const std::string& text)
{
    return CGSMUtils::GetMessageLength(text);
}

int Parts(const std::string& text)
{
    return CGSMUtils::GetNumberOfPartsForText(text);
}

TEST(GSMUtils, CapacityOfParts)
{
    EXPECT_EQ(0, CGSMUtils::GetMaxMessageLength(-3));
    EXPECT_EQ(0, CGSMUtils::GetMaxMessageLength(0));
    EXPECT_EQ(160, CGSMUtils::GetMaxMessageLength(1));
    EXPECT_EQ(306, CGSMUtils::GetMaxMessageLength(2));
    EXPECT_EQ(765, CGSMUtils::GetMaxMessageLength(5));
    EXPECT_EQ(INT_MAX, CGSMUtils::GetMaxMessageLength(INT_MAX));
}

TEST(GSMUtils, PartsOfASeptetLength)
{
    EXPECT_EQ(1, CGSMUtils::GetNumberOfParts(INT_MIN));
    EXPECT_EQ(1, CGSMUtils::GetNumberOfParts(-1));
    EXPECT_EQ(1, CGSMUtils::GetNumberOfParts(0));
    EXPECT_EQ(1, CGSMUtils::GetNumberOfParts(160));
    EXPECT_EQ(2, CGSMUtils::GetNumberOfParts(161));
    EXPECT_EQ(2, CGSMUtils::GetNumberOfParts(306));
    EXPECT_EQ(3, CGSMUtils::GetNumberOfParts(307));
    EXPECT_EQ(3, CGSMUtils::GetNumberOfParts(459));
    EXPECT_EQ(4, CGSMUtils::GetNumberOfParts(460));
    EXPECT_EQ(INT_MAX / 153 + 1, CGSMUtils::GetNumberOfParts(INT_MAX));
}

TEST(GSMUtils, PlainTextLengthsAroundThePartLimits)
{
    EXPECT_EQ(0, Length(""));
    EXPECT_EQ(1, Parts(""));
    EXPECT_EQ(160, CGSMUtils::GetMaxMessageLength(Parts("")) - Length(""));

    const struct
    {
        size_t characters;
        int parts;
    } cases[] = {{152, 1}, {153, 1}, {160, 1}, {161, 2}, {306, 2}, {307, 3}, {459, 3}, {460, 4}, {1600, 11}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(static_cast<int>(c.characters), Length(Plain(c.characters))) << c.characters;
        EXPECT_EQ(c.parts, Parts(Plain(c.characters))) << c.characters;
    }
}

TEST(GSMUtils, ExtensionCharactersCostTwoSeptets)
{
    const std::string escaped = "\x0C[\\]^{}~|\x80";
    EXPECT_EQ(20, Length(escaped));
    for (const char c : escaped)
        EXPECT_EQ(2, CGSMCharConverter::GetCharacterLength(static_cast<unsigned char>(c))) << int(c);

    int twoSeptetBytes = 0;
    for (int c = 0; c < 256; ++c)
        twoSeptetBytes += CGSMCharConverter::GetCharacterLength(static_cast<unsigned char>(c)) == 2;
    EXPECT_EQ(10, twoSeptetBytes);

    // Outside the alphabet, or plain line breaks: one septet each.
    EXPECT_EQ(4, Length("\xE1`\r\n"));
}

TEST(GSMUtils, EuroSignsWithoutBoundaryCorrection)
{
    EXPECT_EQ(160, Length(std::string(80, '\x80')));
    EXPECT_EQ(1, Parts(std::string(80, '\x80')));
    // fewer than 153 characters: no boundary walk
    EXPECT_EQ(162, Length(std::string(81, '\x80')));
    EXPECT_EQ(2, Parts(std::string(81, '\x80')));
}

TEST(GSMUtils, EscapedCharacterOnTheFirstBoundary)
{
    EXPECT_EQ(162, Length(Plain(152) + "{" + Plain(7)));
    EXPECT_EQ(2, Parts(Plain(152) + "{" + Plain(7)));
    EXPECT_EQ(161, Length(Plain(151) + "{" + Plain(8)));
    // 160 septets exactly: a single message, nothing to correct
    EXPECT_EQ(160, Length(Plain(152) + "{" + Plain(6)));
    EXPECT_EQ(1, Parts(Plain(152) + "{" + Plain(6)));
}

TEST(GSMUtils, EscapedCharacterOnTheSecondBoundaryAddsAPart)
{
    // 305 plain characters and '^' fill 307 septets with the split escape.
    EXPECT_EQ(308, Length(Plain(305) + "^"));
    EXPECT_EQ(3, Parts(Plain(305) + "^"));
    EXPECT_EQ(306, Length(Plain(304) + "^"));
    EXPECT_EQ(2, Parts(Plain(304) + "^"));
    EXPECT_EQ(307, Length(Plain(304) + "^" + "a"));
    EXPECT_EQ(3, Parts(Plain(304) + "^" + "a"));
}

TEST(GSMUtils, BoundaryAfterAnEscapeMovesTwoBack)
{
    // '{' at 152 moves the next boundary to 303, the one after to 454.
    std::string text = Plain(152) + "{" + Plain(150) + "}" + Plain(150) + "|" + Plain(5);
    ASSERT_EQ(460u, text.size());
    EXPECT_EQ(463 + 3, Length(text));

    // Without the move, position 305 would be tested instead of 303.
    text = Plain(152) + "{" + Plain(152) + "}" + Plain(10);
    EXPECT_EQ(318 + 1, Length(text));
}

TEST(GSMUtils, BoundariesCountCharactersNotSeptets)
{
    // Part boundaries are walked by character position: an escape earlier in
    // the text does not move them. The window's numbers follow this walk.
    EXPECT_EQ(163, Length("{" + Plain(151) + "}" + Plain(7)));
    EXPECT_EQ(164, Length("{" + Plain(150) + "}" + Plain(10)));
}

TEST(GSMCharConverter, CharacterTest)
{
    int members = 0;
    for (int c = 0; c < 256; ++c)
        members += CGSMCharConverter::IsGSMCharacter(static_cast<unsigned char>(c));
    // 127 code page characters with a code, and the byte 0
    EXPECT_EQ(128, members);

    for (const unsigned char c : {0x00, 0x40, 0xA3, 0x80, 0x0C, 0x5B, 0xC7, 0xA1, 0xBF, 0xE0, 0x0A, 0x0D})
        EXPECT_TRUE(CGSMCharConverter::IsGSMCharacter(c)) << int(c);
    for (const unsigned char c : {0xE1, 0x60, 0x09, 0xFF, 0x1B, 0xE7, 0x10})
        EXPECT_FALSE(CGSMCharConverter::IsGSMCharacter(c)) << int(c);
}

TEST(GSMCharConverter, ConvertibilityOfWideText)
{
    EXPECT_TRUE(CGSMCharConverter::IsGSMConvertible(L""));
    EXPECT_TRUE(CGSMCharConverter::IsGSMConvertible(L"\u00C4\u00DF Hello {x}"));
    EXPECT_FALSE(CGSMCharConverter::IsGSMConvertible(L"\u20AC"));
    EXPECT_TRUE(CGSMCharConverter::IsGSMConvertible(L"\u0080"));
    EXPECT_FALSE(CGSMCharConverter::IsGSMConvertible(L"abc\u00E1"));
    EXPECT_FALSE(CGSMCharConverter::IsGSMConvertible(L"\u0140"));
}

TEST(GSMCharConverter, ConvertsPoundAtEuroAndAsciiBothWays)
{
    const std::string text = "\xA3\x40\x80" "ABCDEF12345678";
    const std::string gsm = CGSMCharConverter::ConvertToGSM(text);
    EXPECT_EQ(std::string("\x01\x00\x1B\x65", 4) + "ABCDEF12345678", gsm);
    EXPECT_EQ(text, CGSMCharConverter::ConvertFromGSM(gsm));
}

TEST(GSMCharConverter, EscapesGreekAndHighBytes)
{
    EXPECT_EQ("\x09", CGSMCharConverter::ConvertToGSM("\xC7"));
    EXPECT_EQ("\xC7", CGSMCharConverter::ConvertFromGSM("\x09"));
    EXPECT_EQ("\x10", CGSMCharConverter::ConvertToGSM(std::string(1, '\0')));
    EXPECT_EQ("\xE1`", CGSMCharConverter::ConvertToGSM("\xE1`"));
    EXPECT_EQ("\x1B" "A", CGSMCharConverter::ConvertFromGSM("\x1B" "A"));
    EXPECT_EQ("\x80", CGSMCharConverter::ConvertFromGSM("\x1B\x65"));
    EXPECT_EQ("\x10", CGSMCharConverter::ConvertFromGSM("\x10"));
    EXPECT_EQ("x\x1B", CGSMCharConverter::ConvertFromGSM("x\x1B"));
    EXPECT_EQ("\x1B\x1B", CGSMCharConverter::ConvertFromGSM("\x1B\x1B"));
    EXPECT_EQ("\x81\xFE\xFF", CGSMCharConverter::ConvertFromGSM("\x81\xFE\xFF"));
    // the extension code after a lone escape is converted by itself
    EXPECT_EQ("\x1B\xC4", CGSMCharConverter::ConvertFromGSM("\x1B\x5B"));
    EXPECT_EQ("\x1B[", CGSMCharConverter::ConvertFromGSM("\x1B\x1B\x3C"));
}

TEST(GSMCharConverter, RoundTripsEveryCode)
{
    for (int c = 1; c < 256; ++c)
    {
        const std::string text(1, static_cast<char>(c));
        if (CGSMCharConverter::IsGSMCharacter(static_cast<unsigned char>(c)))
        {
            const std::string gsm = CGSMCharConverter::ConvertToGSM(text);
            EXPECT_EQ(static_cast<size_t>(CGSMCharConverter::GetCharacterLength(static_cast<unsigned char>(c))),
                      gsm.size()) << c;
            EXPECT_EQ(text, CGSMCharConverter::ConvertFromGSM(gsm)) << c;
        }
    }

    const unsigned char extensionCodes[] = {0x0A, 0x14, 0x28, 0x29, 0x2F, 0x3C, 0x3D, 0x3E, 0x40, 0x65};
    for (const unsigned char code : extensionCodes)
    {
        const std::string gsm = {'\x1B', static_cast<char>(code)};
        EXPECT_EQ(gsm, CGSMCharConverter::ConvertToGSM(CGSMCharConverter::ConvertFromGSM(gsm))) << int(code);
    }

    for (int code = 0; code < 0x80; ++code)
    {
        const bool greek = code == 0x10 || (code >= 0x12 && code <= 0x1A);
        if (greek || code == 0x1B)
            continue;
        const std::string gsm(1, static_cast<char>(code));
        EXPECT_EQ(gsm, CGSMCharConverter::ConvertToGSM(CGSMCharConverter::ConvertFromGSM(gsm))) << code;
    }
}
} // namespace
