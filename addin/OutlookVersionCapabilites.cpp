#include "addin/OutlookVersionCapabilites.h"

#include "core/ConfigReg.h"

void COutlookVersionCapabilites::Parse(const std::string& version)
{
    *this = COutlookVersionCapabilites();
    m_strVersion = version;

    const size_t dot = version.find('.');
    if (dot == std::string::npos || dot == 0)
        return;
    // atoi's reading, clamped rather than overflowing on absurd texts.
    m_nMajorVersion = StringToInt32(version.substr(0, dot));

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
