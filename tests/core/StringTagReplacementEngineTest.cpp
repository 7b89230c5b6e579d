#include "core/StringTagReplacementEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
using Values = std::map<std::wstring, std::wstring>;

class TagReplacement : public ::testing::Test
{
protected:
    TagReplacement()
    {
        m_Engine.m_TagOpenChar = '[';
        m_Engine.m_TagCloseChar = ']';
    }

    std::wstring Fill(const std::wstring& text) const { return m_Engine.ReplaceTags(text, m_Values); }

    CStringTagReplacementEngine m_Engine;
    Values m_Values{{L"Name", L"Riverside"}, {L"Time", L"09:30"}, {L"", L"empty-name"}};
};

TEST(TagReplacementDefaults, AngleBracketsAndColon)
{
    const CStringTagReplacementEngine engine;
    EXPECT_EQ('<', engine.m_TagOpenChar);
    EXPECT_EQ('>', engine.m_TagCloseChar);
    EXPECT_EQ(':', engine.m_TagWidthSeparator);
    EXPECT_EQ(L"x Ann [Who] y", engine.ReplaceTags(L"x <Who> [Who] y", Values{{L"Who", L"Ann"}}));
}

TEST_F(TagReplacement, FillsKnownTags)
{
    EXPECT_EQ(L"Hi Riverside, at 09:30.", Fill(L"Hi [Name], at [Time]."));
    EXPECT_EQ(L"RiversideRiverside", Fill(L"[Name][Name]"));
    EXPECT_EQ(L"", Fill(L""));
    EXPECT_EQ(L"no tags", Fill(L"no tags"));
    EXPECT_EQ(L"empty-name", Fill(L"[]"));
}

TEST_F(TagReplacement, WidthCutsTheValue)
{
    EXPECT_EQ(L"Riv", Fill(L"[Name:3]"));
    EXPECT_EQ(L"Riverside", Fill(L"[Name:9]"));
    EXPECT_EQ(L"Riverside", Fill(L"[Name:20]"));
    EXPECT_EQ(L"", Fill(L"[Name:0]"));
    EXPECT_EQ(L"", Fill(L"[Name:]"));
    EXPECT_EQ(L"", Fill(L"[Name:x]"));
    EXPECT_EQ(L"Riverside", Fill(L"[Name:-2]"));
    EXPECT_EQ(L"09", Fill(L"[Time:2]"));
    EXPECT_EQ(L"Ri", Fill(L"[Name: 2]"));
    EXPECT_EQ(L"Riv", Fill(L"[Name:+3abc]"));
    EXPECT_EQ(L"Riverside", Fill(L"[Name:99999999999999999999]"));
    EXPECT_EQ(L"Riverside", Fill(L"[Name:-99999999999999999999]"));
    // the separator splits at its first occurrence
    EXPECT_EQ(L"Ri", Fill(L"[Name:2:5]"));
}

TEST_F(TagReplacement, UnknownOrMalformedTagsStayAsText)
{
    EXPECT_EQ(L"[name]", Fill(L"[name]"));
    EXPECT_EQ(L"[ Name ]", Fill(L"[ Name ]"));
    EXPECT_EQ(L"[Other] Riverside", Fill(L"[Other] [Name]"));
    EXPECT_EQ(L"[Riverside]", Fill(L"[[Name]]"));
    EXPECT_EQ(L"[aRiverside", Fill(L"[a[Name]"));
    EXPECT_EQ(L"Call me [", Fill(L"Call me ["));
    EXPECT_EQ(L"[Name", Fill(L"[Name"));
    EXPECT_EQ(L"]Name]", Fill(L"]Name]"));
    EXPECT_EQ(L"[Other:3]", Fill(L"[Other:3]"));
    EXPECT_EQ(L"[[[", Fill(L"[[["));
    EXPECT_EQ(L"x]]Riverside]", Fill(L"x]][Name]]"));
}

TEST_F(TagReplacement, ValuesAreNotScannedAgain)
{
    m_Values[L"Loop"] = L"[Name]";
    EXPECT_EQ(L"[Name] Riverside", Fill(L"[Loop] [Name]"));
}

TEST_F(TagReplacement, WideCharactersAndNonDefaultDelimiters)
{
    m_Values[L"Stadt"] = L"M\u00FCnchen \u20AC";
    EXPECT_EQ(L"\u00BB M\u00FCn", Fill(L"\u00BB [Stadt:3]"));

    m_Engine.m_TagOpenChar = '{';
    m_Engine.m_TagCloseChar = '}';
    m_Engine.m_TagWidthSeparator = '|';
    EXPECT_EQ(L"Riv [Name:3]", Fill(L"{Name|3} [Name:3]"));
}

TEST_F(TagReplacement, RandomTemplatesNeverLoseText)
{
    // Without any known name, every template comes back unchanged.
    const Values none{{L"Nope", L"!"}};
    const std::wstring pieces[] = {L"[", L"]", L":", L"Name", L"Time", L"3", L" ", L"x", L"\u00E9"};
    std::srand(77);
    for (int round = 0; round < 400; ++round)
    {
        std::wstring text;
        const int count = std::rand() % 12;
        for (int i = 0; i < count; ++i)
            text += pieces[std::rand() % (sizeof(pieces) / sizeof(pieces[0]))];
        ASSERT_EQ(text, m_Engine.ReplaceTags(text, none)) << text.size();
        // Text without an opening character has no tags.
        if (text.find(L'[') == std::wstring::npos)
            ASSERT_EQ(text, Fill(text));
        else
            Fill(text);
    }
}
} // namespace
