// The one rule that turns a name into an identifier, as template ids use it.
#include "contacts/MicrosoftOutlookObjectModelUtils.h"

#include "core/SMSTemplate.h"

#include <gtest/gtest.h>

namespace
{
struct IdentifierCase
{
    const char* m_Case;
    std::string m_Name;
    std::string m_Identifier;
};

const IdentifierCase kIdentifierCases[] = {
    {"empty", "", ""},
    {"leading digit", "2 Day Notice!", "_2_Day_Notice"},
    {"digits later", "Day 2", "Day_2"},
    {"digit alone", "7", "_7"},
    {"blanks", " a  b ", "_a__b_"},
    {"punctuation dropped", "Ann & Bob", "Ann__Bob"},
    {"punctuation below '_'", "!\"#$%&'()*+,-./:;<=>?@[\\]^", ""},
    {"'_' to code 127 kept", "_`az{|}~\x7f", "_`az{|}~\x7f"},
    {"control characters", "a\tb\r\nc", "abc"},
    {"above 127 dropped", "Caf\xe9 \x80\xff", "Caf_"},
    {"leading blank before a digit", " 2", "_2"},
};

TEST(MakeIdentifierFromName, KeepsIdentifierCharactersOnly)
{
    for (const IdentifierCase& row : kIdentifierCases)
        EXPECT_EQ(row.m_Identifier, MakeIdentifierFromName(row.m_Name)) << row.m_Case;

    // A template without an id of its own is known by the rule's result.
    CSMSTemplate item;
    item.Name = "2 Day Notice!";
    EXPECT_EQ("_2_Day_Notice", item.GetId());
}
} // namespace
