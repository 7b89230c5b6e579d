// The Login Details page's account panel: whether the plug-in core's
// configuration holds a gateway login, with Login (the "Login" dialog),
// Logout and Create New Account. Login and logout act on the stored account
// at once, whatever the sheet's result. A child dialog created by its page
// at the page's WM_INITDIALOG.
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/ZentavoAxDialogImpl.h"

class CLoginStatusCtrl : public CZentavoAxDialogImpl<CLoginStatusCtrl>, public CPaintBkgnd<CLoginStatusCtrl>
{
public:
    enum
    {
        IDD = IDD_LOGINSTATUSCTRL
    };

    static CMessageTable<CLoginStatusCtrl> GetMessageTable();

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT RegisterAccount_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT LoginBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT LogoutBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Reads the stored login and shows it; true when logged in.
    bool ShowLoginDetails();
};
