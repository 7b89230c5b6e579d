#include "contacts/SMSContact.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <sstream>
#include <unordered_set>

namespace
{
// The characters that carry meaning in the contact list text.
std::string EscapeListSyntax(const std::string& text)
{
    return ReplaceChar(ReplaceChar(ReplaceChar(text, '[', '('), ']', ')'), ';', ',');
}

// The pieces of a text between any of the delimiters, trimmed; empty ones
// dropped.
std::vector<std::string> TrimmedPieces(const std::string& text, const char* delimiters)
{
    std::vector<std::string> pieces;
    SplitString(text, delimiters, pieces);
    std::vector<std::string> trimmed;
    for (const std::string& piece : pieces)
        if (!Trim(piece).empty())
            trimmed.push_back(Trim(piece));
    return trimmed;
}

void ParseEntry(const std::string& entry, CSMSContactVector& contacts)
{
    const std::string::size_type close = entry.rfind(']');
    const std::string::size_type open = close == std::string::npos ? std::string::npos : entry.rfind('[', close);
    if (open != std::string::npos)
    {
        const std::string name = Trim(entry.substr(0, open));
        const std::string number = Trim(entry.substr(open + 1, close - open - 1));
        if (!name.empty() || !number.empty())
            contacts.emplace_back(name, number);
        return;
    }

    for (const std::string& number : TrimmedPieces(entry, ","))
        contacts.emplace_back(number, number);
}

// Where a national number ("07700 900123") begins with a trunk zero: the
// country code it is dialled with from abroad, by Windows location id, and
// whether the zero is then left out ("+44 7700 900123") or kept, as Italy
// keeps it ("+39 06 ..."). Elsewhere a leading zero tells nothing sure, so
// such numbers are compared by their own digits only.
struct NationalDialling
{
    GEOID location;
    const char* countryCode;
    bool dropsTrunkZero;
};

constexpr NationalDialling kNationalDialling[] = {
    {12, "61", true},   // Australia
    {14, "43", true},   // Austria
    {21, "32", true},   // Belgium
    {68, "353", true},  // Ireland
    {84, "33", true},   // France
    {94, "49", true},   // Germany
    {118, "39", false}, // Italy
    {176, "31", true},  // Netherlands
    {183, "64", true},  // New Zealand
    {209, "27", true},  // South Africa
    {221, "46", true},  // Sweden
    {223, "41", true},  // Switzerland
    {242, "44", true},  // United Kingdom
};

const NationalDialling* FindNationalDialling(GEOID location)
{
    for (const NationalDialling& country : kNationalDialling)
        if (country.location == location)
            return &country;
    return nullptr;
}

// "+44 (0)7700 900123": the bracketed zero of an international number is
// the trunk prefix that a caller from abroad leaves out.
std::string WithoutBracketedTrunkZero(const std::string& number)
{
    const std::string::size_type at = number.find("(0)");
    return at == std::string::npos ? number : number.substr(0, at) + number.substr(at + 3);
}

// What identifies a number's phone: "+" and its digits as dialled from
// abroad, or a national number's own digits when its country is not known;
// empty without digits. Bare digits are an international number without
// its "+": reading them as a national number of some country would be a
// guess.
std::string PhoneKey(const std::string& number, const NationalDialling* country)
{
    const std::string trimmed = Trim(number);
    const std::string digits = ExtractDigits(trimmed);
    if (digits.empty())
        return digits;
    const bool plus = trimmed[0] == '+';
    if (plus || digits.compare(0, 2, "00") == 0)
    {
        std::string dialled = ExtractDigits(WithoutBracketedTrunkZero(trimmed));
        dialled.erase(0, plus ? 0 : std::min<std::string::size_type>(2, dialled.size()));
        return dialled.empty() ? dialled : "+" + dialled;
    }
    if (digits[0] != '0')
        return "+" + digits;
    if (!country)
        return digits;
    return "+" + std::string(country->countryCode) + (country->dropsTrunkZero ? digits.substr(1) : digits);
}

// Outlook separates the numbers of one field by ";", which the list text
// writes as ","; the gateway ends a number at ",". One contact per number.
void AppendEachNumber(CSMSContact&& contact, CSMSContactVector& contacts)
{
    std::vector<std::string> numbers = TrimmedPieces(contact.m_Number, ",;");
    if (numbers.size() < 2)
    {
        contacts.push_back(std::move(contact));
        return;
    }
    for (std::string& number : numbers)
        contacts.emplace_back(contact.m_Name, std::move(number));
}
} // namespace

CSMSContact::CSMSContact(std::string name, std::string number) : m_Name(std::move(name)), m_Number(std::move(number))
{
}

std::string CSMSContactUtils::GenerateContactCSVList(const CSMSContactVector& contacts)
{
    return GenerateContactCSVListRange(contacts, contacts.begin(), contacts.end());
}

std::string CSMSContactUtils::GenerateContactCSVListRange(const CSMSContactVector&,
                                                          CSMSContactVector::const_iterator first,
                                                          CSMSContactVector::const_iterator last)
{
    std::ostringstream text;
    for (auto contact = first; contact != last; ++contact)
    {
        const std::string name = EscapeListSyntax(contact->m_Name);
        const std::string number = EscapeListSyntax(contact->m_Number);
        if (name.empty() || name == number)
            text << number;
        else
            text << name << " [" << number << "]";
        text << "; ";
    }
    return text.str();
}

std::string CSMSContactUtils::GenerateNumberCSVList(const CSMSContactVector& contacts)
{
    return GenerateNumberCSVListRange(contacts, contacts.begin(), contacts.end());
}

std::string CSMSContactUtils::GenerateNumberCSVListRange(const CSMSContactVector&,
                                                         CSMSContactVector::const_iterator first,
                                                         CSMSContactVector::const_iterator last)
{
    std::ostringstream text;
    for (auto contact = first; contact != last; ++contact)
    {
        if (contact != first)
            text << ",";
        text << contact->m_Number;
    }
    return text.str();
}

void CSMSContactUtils::ParseContactCSVList(const std::string& text, CSMSContactVector& contacts)
{
    std::vector<std::string> entries;
    SplitString(text, ";\r\n", entries);
    for (const std::string& entry : entries)
        ParseEntry(entry, contacts);
}

bool CSMSContactUtils::HasNumber(const CSMSContact& contact)
{
    return contact.m_Number.find_first_not_of(" \t,;") != std::string::npos;
}

bool CSMSContactUtils::IsSamePhone(const std::string& a, const std::string& b, GEOID location)
{
    const NationalDialling* country = FindNationalDialling(location);
    const std::string key = PhoneKey(a, country);
    return !key.empty() && key == PhoneKey(b, country);
}

void CSMSContactUtils::RemoveRepeatedPhones(CSMSContactVector& contacts, GEOID location)
{
    CSMSContactVector single;
    single.reserve(contacts.size());
    for (CSMSContact& contact : contacts)
        AppendEachNumber(std::move(contact), single);
    const NationalDialling* country = FindNationalDialling(location);
    std::unordered_set<std::string> reached;
    CSMSContactVector unique;
    unique.reserve(single.size());
    for (CSMSContact& contact : single)
    {
        const std::string key = PhoneKey(contact.m_Number, country);
        if (key.empty() || reached.insert(key).second)
            unique.push_back(std::move(contact));
    }
    contacts.swap(unique);
}
