// "Delivery Reports": which reports the gateway sends back to the Inbox.
// The caller hands the mode (1 none, 2 the reports of the mask, 3 the
// account's own settings) and the status mask in with SetSettings, runs it,
// and on OK (1) reads them back with GetSettings; Cancel gives 2.
#pragma once

#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"

class CDeliveryReportsDlg : public CZentavoAxDialogImpl<CDeliveryReportsDlg>
{
public:
    enum
    {
        IDD = IDD_DELIVERYREPORTS
    };

    static CMessageTable<CDeliveryReportsDlg> GetMessageTable();

    // Any other mode leaves all three choices unticked.
    void SetSettings(DWORD mode, DWORD statusMask);
    // The mode is 0 when no choice is ticked; the mask holds the ticked
    // boxes whatever the mode.
    void GetSettings(DWORD& mode, DWORD& statusMask, bool& makeDefault) const;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnModeClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCloseCmd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    void Exchange(bool save);
    // The report boxes count only while "Generate" is chosen.
    void UpdateReportBoxes();

    bool m_Generate = false;
    bool m_NoReports = false;
    bool m_AccountSettings = false;
    bool m_Sent = false;
    bool m_Delivered = false;
    bool m_Failed = false;
    bool m_Expired = false;
    bool m_MakeDefault = false;
};
