#include "ui/DeliveryReportsDlg.h"

#include "gateway/SMSGatewayResultCode.h"
#include "platform/DataExchange.h"

CMessageTable<CDeliveryReportsDlg> CDeliveryReportsDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CDeliveryReportsDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CDeliveryReportsDlg::OnInitDialog, "CDeliveryReportsDlg::OnInitDialog"),
        Entry::Command(IDC_REPORTS_GENERATE, &CDeliveryReportsDlg::OnModeClicked, "CDeliveryReportsDlg::OnModeClicked",
                       BN_CLICKED),
        Entry::Command(IDC_REPORTS_NONE, &CDeliveryReportsDlg::OnModeClicked, "CDeliveryReportsDlg::OnModeClicked",
                       BN_CLICKED),
        Entry::Command(IDC_REPORTS_ACCOUNTSETTINGS, &CDeliveryReportsDlg::OnModeClicked,
                       "CDeliveryReportsDlg::OnModeClicked", BN_CLICKED),
        Entry::Command(IDOK, &CDeliveryReportsDlg::OnCloseCmd, "CDeliveryReportsDlg::OnCloseCmd"),
        Entry::Command(IDCANCEL, &CDeliveryReportsDlg::OnCloseCmd, "CDeliveryReportsDlg::OnCloseCmd"),
    };
    return entries;
}

void CDeliveryReportsDlg::SetSettings(DWORD mode, DWORD statusMask)
{
    m_Generate = mode == drsReportStatuses;
    m_NoReports = mode == drsNoReports;
    m_AccountSettings = mode == drsAccountSetting;
    m_Sent = (statusMask & drsfMessageSent) != 0;
    m_Delivered = (statusMask & drsfDeliverySuccess) != 0;
    m_Failed = (statusMask & drsfDeliveryFailure) != 0;
    m_Expired = (statusMask & drsfMessageExpired) != 0;
}

void CDeliveryReportsDlg::GetSettings(DWORD& mode, DWORD& statusMask, bool& makeDefault) const
{
    const auto bit = [](bool ticked, DWORD value) { return ticked ? value : DWORD{0}; };
    mode = m_Generate ? DWORD{drsReportStatuses}
                      : m_NoReports ? DWORD{drsNoReports} : bit(m_AccountSettings, drsAccountSetting);
    statusMask = bit(m_Sent, drsfMessageSent) | bit(m_Delivered, drsfDeliverySuccess) |
                 bit(m_Failed, drsfDeliveryFailure) | bit(m_Expired, drsfMessageExpired);
    makeDefault = m_MakeDefault;
}

void CDeliveryReportsDlg::Exchange(bool save)
{
    CDataExchange(m_hWnd, save)
        .Check(IDC_REPORTS_GENERATE, m_Generate)
        .Check(IDC_REPORTS_NONE, m_NoReports)
        .Check(IDC_REPORTS_ACCOUNTSETTINGS, m_AccountSettings)
        .Check(IDC_REPORTS_SENT, m_Sent)
        .Check(IDC_REPORTS_DELIVERED, m_Delivered)
        .Check(IDC_REPORTS_FAILED, m_Failed)
        .Check(IDC_REPORTS_EXPIRED, m_Expired)
        .Check(IDC_REPORTS_MAKEDEFAULT, m_MakeDefault);
}

void CDeliveryReportsDlg::UpdateReportBoxes()
{
    Exchange(true);
    for (int id : {IDC_REPORTS_SENT, IDC_REPORTS_DELIVERED, IDC_REPORTS_FAILED, IDC_REPORTS_EXPIRED})
        ::EnableWindow(GetDlgItem(id), m_Generate);
}

LRESULT CDeliveryReportsDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    Exchange(false);
    UpdateReportBoxes();
    return TRUE;
}

LRESULT CDeliveryReportsDlg::OnModeClicked(UINT, WPARAM, LPARAM, bool&)
{
    UpdateReportBoxes();
    return 0;
}

LRESULT CDeliveryReportsDlg::OnCloseCmd(UINT, WPARAM wParam, LPARAM, bool&)
{
    Exchange(true);
    EndDialog(LOWORD(wParam));
    return 0;
}
