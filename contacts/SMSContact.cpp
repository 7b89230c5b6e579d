#include "contacts/SMSContact.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <sstream>
#include <unordered_map>

namespace
{
// The characters that carry meaning in the contact list text.
std::string EscapeListSyntax(const std::string& text)
{
    return ReplaceChar(ReplaceChar(ReplaceChar(text, '[', '('), ']', ')'), ';', ',');
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

    std::vector<std::string> numbers;
    SplitString(entry, ",", numbers);
    for (const std::string& piece : numbers)
    {
        const std::string number = Trim(piece);
        if (!number.empty())
            contacts.emplace_back(number, number);
    }
}
enum class NumberForm
{
    International, // "+44 ..." or "0044 ...": country code, then the national number
    National,      // "07700 ...": the trunk zero stripped
    Bare           // digits alone: either of the two
};

struct SignificantNumber
{
    NumberForm form;
    std::string digits;
};

// "+44 (0)7700 900123": the bracketed zero of an international number is
// the trunk prefix that a caller from abroad leaves out.
std::string WithoutBracketedTrunkZero(const std::string& number)
{
    const std::string::size_type at = number.find("(0)");
    return at == std::string::npos ? number : number.substr(0, at) + number.substr(at + 3);
}

SignificantNumber ReadNumber(const std::string& number)
{
    const std::string trimmed = Trim(number);
    if (!trimmed.empty() && trimmed[0] == '+')
        return {NumberForm::International, ExtractDigits(WithoutBracketedTrunkZero(trimmed))};
    std::string digits = ExtractDigits(number);
    if (digits.compare(0, 2, "00") == 0)
        return {NumberForm::International, ExtractDigits(WithoutBracketedTrunkZero(trimmed)).substr(2)};
    if (digits.compare(0, 1, "0") == 0)
        return {NumberForm::National, digits.substr(1)};
    return {NumberForm::Bare, digits};
}

constexpr size_t kShortestNationalNumber = 6;
constexpr size_t kLongestCountryCode = 3;

// Whether `longer` is a country code followed by `national`.
bool IsCountryCodeAndNumber(const std::string& longer, const std::string& national)
{
    if (national.size() < kShortestNationalNumber || longer.size() <= national.size() ||
        longer.size() > national.size() + kLongestCountryCode)
        return false;
    return longer.compare(longer.size() - national.size(), national.size(), national) == 0;
}

bool IsSameSignificantNumber(const SignificantNumber& a, const SignificantNumber& b)
{
    if (a.digits.empty() || b.digits.empty())
        return false;
    const bool eitherBare = a.form == NumberForm::Bare || b.form == NumberForm::Bare;
    if (a.form == b.form || eitherBare)
    {
        if (a.digits == b.digits)
            return true;
        if (a.form == b.form && !eitherBare)
            return false;
    }
    // The longer one must be the one that can carry a country code.
    const bool aMayBeInternational = a.form != NumberForm::National;
    const bool bMayBeInternational = b.form != NumberForm::National;
    return (aMayBeInternational && IsCountryCodeAndNumber(a.digits, b.digits)) ||
           (bMayBeInternational && IsCountryCodeAndNumber(b.digits, a.digits));
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

bool CSMSContactUtils::IsSamePhone(const std::string& a, const std::string& b)
{
    return IsSameSignificantNumber(ReadNumber(a), ReadNumber(b));
}

void CSMSContactUtils::RemoveRepeatedPhones(CSMSContactVector& contacts)
{
    // Two forms of one phone share at least their last six digits, so only
    // numbers with the same tail are compared (large bulk sends stay linear).
    std::unordered_map<std::string, std::vector<SignificantNumber>> kept;
    CSMSContactVector unique;
    unique.reserve(contacts.size());
    for (CSMSContact& contact : contacts)
    {
        SignificantNumber number = ReadNumber(contact.m_Number);
        if (number.digits.empty())
        {
            unique.push_back(std::move(contact));
            continue;
        }
        const std::string tail = number.digits.size() > kShortestNationalNumber
                                     ? number.digits.substr(number.digits.size() - kShortestNationalNumber)
                                     : number.digits;
        std::vector<SignificantNumber>& sameTail = kept[tail];
        if (std::any_of(sameTail.begin(), sameTail.end(),
                        [&number](const SignificantNumber& other) { return IsSameSignificantNumber(number, other); }))
            continue;
        sameTail.push_back(std::move(number));
        unique.push_back(std::move(contact));
    }
    contacts.swap(unique);
}
