#include "contacts/SMSContact.h"

#include "core/StringUtils.h"

#include <sstream>

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
