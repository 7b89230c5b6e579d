#include "contacts/SMSContact.h"

#include "tests/support/UserLocation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <random>
#include <string>

bool operator==(const CSMSContact& a, const CSMSContact& b)
{
    return a.m_Name == b.m_Name && a.m_Number == b.m_Number;
}

void PrintTo(const CSMSContact& contact, std::ostream* out)
{
    *out << "(\"" << contact.m_Name << "\", \"" << contact.m_Number << "\")";
}

namespace
{
CSMSContactVector Parse(const std::string& text)
{
    CSMSContactVector contacts;
    CSMSContactUtils::ParseContactCSVList(text, contacts);
    return contacts;
}

TEST(SMSContact, RecordsCopyBothFields)
{
    const CSMSContact empty;
    EXPECT_EQ("", empty.m_Name);
    EXPECT_EQ("", empty.m_Number);

    CSMSContact copy(CSMSContact("Ann Lee", "+44 7700 900123"));
    CSMSContact assigned;
    assigned = copy;
    EXPECT_EQ(CSMSContact("Ann Lee", "+44 7700 900123"), assigned);
    copy.m_Name = "changed";
    EXPECT_EQ("Ann Lee", assigned.m_Name);
}

TEST(SMSContactUtils, ContactListWritesNameAndNumberOrNumberAlone)
{
    EXPECT_EQ("", CSMSContactUtils::GenerateContactCSVList({}));
    EXPECT_EQ("Ann Lee [123]; 456; 789; Bob []; ; ",
              CSMSContactUtils::GenerateContactCSVList({
                  {"Ann Lee", "123"},
                  {"", "456"},
                  {"789", "789"}, // the name equals the number: never "789 [789]"
                  {"Bob", ""},
                  {"", ""},
              }));
    // Compared after the replacements, and case-sensitively.
    EXPECT_EQ("a,b; Ab [ab]; ", CSMSContactUtils::GenerateContactCSVList({{"a;b", "a,b"}, {"Ab", "ab"}}));
}

TEST(SMSContactUtils, ContactListReplacesTheCharactersOfItsSyntax)
{
    EXPECT_EQ("A)B [1,2]; ", CSMSContactUtils::GenerateContactCSVList({{"A]B", "1;2"}}));
    EXPECT_EQ("Lee, Ann (work) [123]; ", CSMSContactUtils::GenerateContactCSVList({{"Lee; Ann [work]", "123"}}));
    // Carriage returns, line feeds and commas stay as they are.
    EXPECT_EQ("A\r\nB [1,2]; ", CSMSContactUtils::GenerateContactCSVList({{"A\r\nB", "1,2"}}));
}

TEST(SMSContactUtils, NumberListJoinsNumbersAsStored)
{
    const CSMSContactVector contacts = {{"Ann", "1"}, {"Bob", ""}, {"Cy", " 3 [x]"}};
    EXPECT_EQ("1,, 3 [x]", CSMSContactUtils::GenerateNumberCSVList(contacts));
    EXPECT_EQ("", CSMSContactUtils::GenerateNumberCSVList({}));
    EXPECT_EQ(",", CSMSContactUtils::GenerateNumberCSVList({{"a", ""}, {"b", ""}}));

    EXPECT_EQ(", 3 [x]", CSMSContactUtils::GenerateNumberCSVListRange(contacts, contacts.begin() + 1, contacts.end()));
    EXPECT_EQ("1", CSMSContactUtils::GenerateNumberCSVListRange(contacts, contacts.begin(), contacts.begin() + 1));
    EXPECT_EQ("", CSMSContactUtils::GenerateNumberCSVListRange(contacts, contacts.begin() + 2, contacts.begin() + 2));
    EXPECT_EQ("Bob []; ",
              CSMSContactUtils::GenerateContactCSVListRange(contacts, contacts.begin() + 1, contacts.begin() + 2));
}

TEST(SMSContactUtils, ParseReadsBracketAndBareEntries)
{
    EXPECT_EQ((CSMSContactVector{{"Ann", "123"}}), Parse("Ann [123] extra"));
    EXPECT_EQ((CSMSContactVector{{"x [1]", "2"}}), Parse("x [1] [2]"));
    EXPECT_EQ((CSMSContactVector{{"a]b[c", "a]b[c"}}), Parse("a]b[c"));
    EXPECT_EQ((CSMSContactVector{{"Lee, Ann", "123"}}), Parse("  Lee, Ann  [ 123 ]"));
    EXPECT_EQ((CSMSContactVector{{"123", "123"}, {"456", "456"}}), Parse("123, 456"));
    EXPECT_EQ((CSMSContactVector{{"Ann", "Ann"}}), Parse("Ann"));
    EXPECT_EQ((CSMSContactVector{{"Ann", ""}}), Parse("Ann []"));
    EXPECT_EQ((CSMSContactVector{{"", "123"}}), Parse("[123]"));
}

TEST(SMSContactUtils, ParseSplitsAtSemicolonsAndLineBreaks)
{
    const CSMSContactVector expected = {{"Ann", "123"}, {"Bob", "456"}};
    EXPECT_EQ(expected, Parse("Ann [123]\r\nBob [456]"));
    EXPECT_EQ(expected, Parse("Ann [123];Bob [456]"));
    EXPECT_EQ(expected, Parse("Ann [123]\rBob [456]; "));
    // A line break inside brackets splits the entry.
    EXPECT_EQ((CSMSContactVector{{"Ann [1", "Ann [1"}, {"2]", "2]"}}), Parse("Ann [1\n2]"));
}

TEST(SMSContactUtils, ParseOfNothingAppendsNothing)
{
    for (const char* text : {"", ";;\r\n", "[]", "  [ ]  ", " ; , ;", "; ; ;", ",,,"})
        EXPECT_TRUE(Parse(text).empty()) << text;
}

TEST(SMSContactUtils, ParseAppendsToTheGivenList)
{
    CSMSContactVector contacts = {{"Old", "1"}};
    CSMSContactUtils::ParseContactCSVList("New [2]", contacts);
    EXPECT_EQ((CSMSContactVector{{"Old", "1"}, {"New", "2"}}), contacts);
}

TEST(SMSContactUtils, ListTextParsesBackToTheSameContacts)
{
    const CSMSContactVector contacts = {
        {"Ann Lee", "+44 7700 900123"}, {"", "07700900456"}, {"Lee; Ann [work]", "123"},
        {"  padded  ", " 5 "},          {"Bob", ""},         {"Zo\xEB", "1;2"},
    };
    const CSMSContactVector expected = {
        {"Ann Lee", "+44 7700 900123"}, {"07700900456", "07700900456"}, {"Lee, Ann (work)", "123"},
        {"padded", "5"},                {"Bob", ""},                    {"Zo\xEB", "1,2"},
    };
    EXPECT_EQ(expected, Parse(CSMSContactUtils::GenerateContactCSVList(contacts)));
}

// Random lists written and read back: each contact comes back with the
// replacements made and blanks trimmed; one written without a name comes
// back with its number as its name; one that trims to nothing is lost.
TEST(SMSContactUtils, RandomListsSurviveARoundTrip)
{
    std::mt19937 random(20240611);
    const std::string nameChars = "AbZ ,;[]()'-.\xE9";
    const std::string numberChars = "0123456789+ ";
    auto randomText = [&random](const std::string& alphabet, size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    auto replaced = [](std::string text) {
        for (char& c : text)
            c = c == '[' ? '(' : c == ']' ? ')' : c == ';' ? ',' : c;
        return text;
    };
    auto trimmed = [](const std::string& text) {
        const auto first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
    };

    for (int round = 0; round < 300; ++round)
    {
        CSMSContactVector contacts;
        CSMSContactVector expected;
        const size_t count = random() % 6;
        for (size_t i = 0; i < count; ++i)
        {
            contacts.emplace_back(randomText(nameChars, 12), randomText(numberChars, 14));
            const std::string name = replaced(contacts.back().m_Name);
            const std::string number = replaced(contacts.back().m_Number);
            if (name.empty() || name == number)
            {
                if (!trimmed(number).empty())
                    expected.emplace_back(trimmed(number), trimmed(number));
            }
            else if (!trimmed(name).empty() || !trimmed(number).empty())
            {
                expected.emplace_back(trimmed(name), trimmed(number));
            }
        }
        const std::string text = CSMSContactUtils::GenerateContactCSVList(contacts);
        EXPECT_EQ(expected, Parse(text)) << text;
    }
}

// Whatever the text, parsing gives only trimmed, non-empty contacts whose
// fields hold no separator, and never fails.
TEST(SMSContactUtils, ParseOfArbitraryTextGivesWellFormedContacts)
{
    std::mt19937 random(7);
    const std::string syntax = "[];,\r\n  ab1";
    const std::string sample = CSMSContactUtils::GenerateContactCSVList(
        {{"Ann Lee", "123"}, {"", "456"}, {"Lee, Ann", "7 8"}, {"Bob", ""}});
    for (int round = 0; round < 2000; ++round)
    {
        std::string text;
        if (round % 2)
        {
            text = sample.substr(0, random() % (sample.size() + 1)); // truncated
        }
        else
        {
            text.resize(random() % 40);
            for (char& c : text)
                c = (random() % 3) ? syntax[random() % syntax.size()] : static_cast<char>(random() % 256);
        }
        CSMSContactVector contacts;
        ASSERT_NO_THROW(CSMSContactUtils::ParseContactCSVList(text, contacts));
        for (const CSMSContact& contact : contacts)
        {
            EXPECT_FALSE(contact.m_Name.empty() && contact.m_Number.empty());
            for (const std::string* field : {&contact.m_Name, &contact.m_Number})
            {
                EXPECT_EQ(std::string::npos, field->find_first_of(";\r\n"));
                if (!field->empty())
                {
                    EXPECT_NE(' ', field->front());
                    EXPECT_NE(' ', field->back());
                }
            }
        }
    }
}

using namespace Location;
constexpr GEOID kUK = kUnitedKingdom;
constexpr GEOID kUS = kUnitedStates;

struct PhonePair
{
    const char* a;
    const char* b;
    GEOID location;
    bool same;
};

const PhonePair kPhonePairs[] = {
    {"+447700900001", "+44 7700 900001", kUS, true},
    {"+447700900001", "07700-900001", kUK, true},
    {"0044 7700 900001", "07700900001", kUK, true},
    {"447700900001", "07700900001", kUK, true},
    {"447700900001", "+447700900001", kUS, true},
    // Bare digits are dialled as they stand: "+7 700 900001" is a phone too.
    {"7700900001", "+447700900001", kUK, false},
    {"+44 (0) 7700 900001", "07700900001", kUK, true},
    // "(0)" marks the trunk zero that a caller from abroad leaves out.
    {"+44 (0)7700-900001", "447700900001", kUS, true},
    {"0044 (0)7700 900001", "+447700900001", kUS, true},
    {"+44 (0)7700 900123", "07700 900123", kUK, true},
    {"+33 6 12 34 56 78", "06 12 34 56 78", kFrance, true},
    // Italy keeps the leading zero after its country code.
    {"+39 06 1234 5678", "06 1234 5678", kItaly, true},
    {"07700900001", "07700900001", kUS, true},
    {"07700 900001", "07700-900001", kUS, true},
    {"+447700900001", "+447700900002", kUK, false},
    {"07700900001", "07700900002", kUK, false},
    // The same digits with another trunk or none: dialled, another phone.
    {"07700900001", "7700900001", kUK, false},
    {"07700900001", "007700900001", kUK, false},
    {"+39 6 1234 5678", "06 1234 5678", kItaly, false},
    // Two international numbers differ by their country codes.
    {"+447700900001", "+17700900001", kUK, false},
    {"+33 6 12 34 56 78", "+34 612 345 678", kFrance, false},
    {"06 12 34 56 78", "+32 6 12 34 56 78", kFrance, false},
    // A national number never carries a country code before its digits.
    {"07700900001", "+7700900001", kUK, false},
    {"0447700900001", "07700900001", kUK, false},
    {"12347700900001", "07700900001", kUK, false},
    // A national number is of the user's own country, and only a country
    // whose dialling is known tells its international form.
    {"+44 (0)7700 900123", "07700 900123", kUS, false},
    {"+447700900001", "07700900001", kFrance, false},
    {"+33 6 12 34 56 78", "06 12 34 56 78", kUK, false},
    {"+39 06 1234 5678", "06 1234 5678", kFrance, false},
    {"06 12 34 56 78", "+34 612 345 678", kFrance, false},
    {"06 12 34 56 78", "+34 612 345 678", kUS, false},
    {"06 1234567", "346 123 4567", kItaly, false},
    {"06 1234567", "346 123 4567", kUS, false},
    {"07700 900001", "+1 7700 900001", kUK, false},
    {"07700 900001", "+1 7700 900001", kUS, false},
    // However short, the same digits.
    {"+4412345", "012345", kUK, true},
    {"+4412345", "012345", kUS, false},
    {"", "", kUK, false},
    {"no number", "no number", kUK, false},
};

TEST(SMSContactUtils, SamePhoneOnlyWhenTheDigitsAgree)
{
    for (const PhonePair& pair : kPhonePairs)
    {
        SCOPED_TRACE(testing::Message() << pair.a << " / " << pair.b << " at " << pair.location);
        EXPECT_EQ(pair.same, CSMSContactUtils::IsSamePhone(pair.a, pair.b, pair.location));
        EXPECT_EQ(pair.same, CSMSContactUtils::IsSamePhone(pair.b, pair.a, pair.location));
    }
}

// Each location whose national numbers are read: a mobile number written
// nationally reaches its international form, with the code Windows itself
// gives that location.
TEST(SMSContactUtils, NationalNumbersTakeTheLocationsDiallingCode)
{
    const struct
    {
        GEOID location;
        const char* code;
        const char* national;
        const char* international;
    } rows[] = {
        {12, "61", "0412 345 678", "+61 412 345 678"},     {14, "43", "0664 123 4567", "+43 664 123 4567"},
        {21, "32", "0470 12 34 56", "+32 470 12 34 56"},   {68, "353", "085 123 4567", "+353 85 123 4567"},
        {84, "33", "06 12 34 56 78", "+33 6 12 34 56 78"}, {94, "49", "0151 2345 6789", "+49 151 2345 6789"},
        {118, "39", "06 1234 5678", "+39 06 1234 5678"},   {176, "31", "06 1234 5678", "+31 6 1234 5678"},
        {183, "64", "021 123 4567", "+64 21 123 4567"},    {209, "27", "082 123 4567", "+27 82 123 4567"},
        {221, "46", "070 123 45 67", "+46 70 123 45 67"},  {223, "41", "079 123 45 67", "+41 79 123 45 67"},
        {242, "44", "07700 900123", "+44 7700 900123"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.location);
        wchar_t code[8] = {};
        ASSERT_LT(0, ::GetGeoInfoW(row.location, GEO_DIALINGCODE, code, 8, 0));
        EXPECT_EQ(std::wstring(row.code, row.code + strlen(row.code)), code);
        EXPECT_TRUE(CSMSContactUtils::IsSamePhone(row.national, row.international, row.location));
        EXPECT_FALSE(CSMSContactUtils::IsSamePhone(row.national, row.international, kUS));
    }
}

TEST(SMSContactUtils, RepeatedPhonesGoKeepingTheFirstForm)
{
    CSMSContactVector contacts = {{"Ann", "+447700900001"},   {"+44 7700 900001", "+44 7700 900001"},
                                  {"Bob", "07700900002"},     {"No number", ""},
                                  {"Ann again", "07700-900001"}, {"Also none", ""},
                                  {"Cy", "+33 6 12 34 56 78"}, {"Bob", "07700900002"},
                                  {"Cy home", "06 12 34 56 78"}};
    CSMSContactUtils::RemoveRepeatedPhones(contacts, kUK);
    // "06 ..." is a national number of the UK here, not of France.
    const CSMSContactVector expected = {{"Ann", "+447700900001"},
                                        {"Bob", "07700900002"},
                                        {"No number", ""},
                                        {"Also none", ""},
                                        {"Cy", "+33 6 12 34 56 78"},
                                        {"Cy home", "06 12 34 56 78"}};
    EXPECT_EQ(expected, contacts);
}

// A record filled from an Outlook field holds its ";" as it stands, the
// list text a ",": each number is a phone of its own, and goes once however
// many contacts name it. A field of one number and separators is one
// contact, as typed.
TEST(SMSContactUtils, EachNumberOfAFieldIsAPhoneOfItsOwn)
{
    CSMSContactVector contacts = {{"Ann", "07700 900001; 07700 900002"}, {"Bob", "+447700900002"},
                                  {"Cy", " 07700 900003, "},             {"Di", ","},
                                  {"Ed", "+447700900001, +447700900004"}};
    CSMSContactUtils::RemoveRepeatedPhones(contacts, kUK);
    const CSMSContactVector expected = {{"Ann", "07700 900001"},    {"Ann", "07700 900002"}, {"Cy", " 07700 900003, "},
                                        {"Di", ","},               {"Ed", "+447700900004"}};
    EXPECT_EQ(expected, contacts);
}
} // namespace
