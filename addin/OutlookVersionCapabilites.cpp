#include "addin/OutlookVersionCapabilites.h"

#include <cctype>
#include <climits>

namespace
{
// atoi's reading (leading white space, a sign, digits up to the first other
// character; none give 0), saturating instead of overflowing.
int LeadingNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}
} // namespace

void COutlookVersionCapabilites::Parse(const std::string& version)
{
    *this = COutlookVersionCapabilites();
    m_strVersion = version;

    const size_t dot = version.find('.');
    if (dot == std::string::npos || dot == 0)
        return;
    m_nMajorVersion = LeadingNumber(version.substr(0, dot));

    if (m_nMajorVersion >= 14)
        m_bVersion14OrLater = true;
    if (m_nMajorVersion >= 15)
    {
        m_bClassicLook1 = false;
        m_bClassicLook2 = false;
        m_bVersion15 = true;
        m_bPlainBackground = true;
        m_crBackgroundColour = RGB(255, 255, 255);
    }
    if (m_nMajorVersion >= 16)
        m_bVersion15 = false;
}
