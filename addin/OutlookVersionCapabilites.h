// The running Outlook's version and the look-and-feel switches derived from
// it. One record lives in the add-in object; the plug-in core and the item
// extenders read it by address once the connection has parsed the version.
#pragma once

#include <windows.h>

#include <string>

class COutlookVersionCapabilites
{
public:
    // The oldest look until Parse: classic toolbars, no plain background.
    COutlookVersionCapabilites() = default;

    // Takes Outlook's version text ("16.0.0.4266"): the major version is the
    // number before the first "."; without such a number every switch keeps
    // its default and the major version is 0.
    void Parse(const std::string& version);

    bool m_bVersion14OrLater = false;
    bool m_bVersion15 = false;
    bool m_bPlainBackground = false;
    COLORREF m_crBackgroundColour = 0;
    bool m_bClassicLook1 = true;
    bool m_bClassicLook2 = true;
    std::string m_strVersion;
    int m_nMajorVersion = 0;
};
