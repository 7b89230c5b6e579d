// Asks the user for their own mobile number. The caller may preset the
// number; after OK (1) it holds the field's text as typed or pasted, empty
// included, and after Cancel (2) the preset. The caller decides what to keep.
#pragma once

#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"

class CUserMobileNumberPromptDlg : public CZentavoAxDialogImpl<CUserMobileNumberPromptDlg>
{
public:
    enum
    {
        IDD = IDD_USERMOBILENUMBERPROMPT
    };

    static CMessageTable<CUserMobileNumberPromptDlg> GetMessageTable();

    const std::string& GetMobileNumber() const { return m_MobileNumber; }
    void SetMobileNumber(const std::string& number) { m_MobileNumber = number; }

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnOK(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    std::string m_MobileNumber;
};
