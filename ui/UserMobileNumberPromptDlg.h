// The prompt for the user's own mobile number. The prompt's page is not
// built yet: running it answers Cancel at once and leaves the number empty.
#pragma once

#include <windows.h>

#include <string>

class CUserMobileNumberPromptDlg
{
public:
    INT_PTR DoModal(HWND parent);
    const std::string& GetMobileNumber() const { return m_MobileNumber; }

private:
    std::string m_MobileNumber;
};
