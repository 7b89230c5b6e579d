// The recipient selector: the user picks recipients from any address book.
// The selector's lists are not built yet: running it answers Cancel at once
// and leaves the recipients as they were.
#pragma once

#include "contacts/SMSContact.h"
#include "platform/ComPtr.h"

#include <windows.h>

class CContactSelectorDlg
{
public:
    void SetOutlookApplication(IDispatchPtr application) { m_Application = application; }
    CSMSContactVector& Contacts() { return m_Contacts; }
    INT_PTR DoModal(HWND parent);

private:
    IDispatchPtr m_Application;
    CSMSContactVector m_Contacts;
};
