#include "ui/SendWarningDlgs.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "platform/DataExchange.h"

template <typename T>
LRESULT CSendWarningDlgImpl<T>::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    this->SetText(kAddinMessageBoxCaption);
    CDataExchange exchange(this->m_hWnd, false);
    static_cast<T*>(this)->Exchange(exchange);
    return TRUE;
}

template <typename T>
LRESULT CSendWarningDlgImpl<T>::OnCloseCmd(UINT, WPARAM wParam, LPARAM, bool&)
{
    CDataExchange exchange(this->m_hWnd, true);
    static_cast<T*>(this)->Exchange(exchange);
    this->EndDialog(LOWORD(wParam));
    return 0;
}

CMessageTable<CMessageTooLongDlg> CMessageTooLongDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CMessageTooLongDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CMessageTooLongDlg::OnInitDialog, "CMessageTooLongDlg::OnInitDialog"),
        Entry::Command(IDCANCEL, &CMessageTooLongDlg::OnCloseCmd, "CMessageTooLongDlg::OnCloseCmd"),
        Entry::Command(IDC_WARNING_SENDANYWAY, &CMessageTooLongDlg::OnCloseCmd, "CMessageTooLongDlg::OnCloseCmd"),
    };
    return entries;
}

void CMessageTooLongDlg::Exchange(CDataExchange& exchange)
{
    exchange.Int(IDC_WARNING_PARTSREQUIRED, m_PartsRequired)
        .Int(IDC_WARNING_MAXPARTS, m_MaxParts)
        .Check(IDC_WARNING_DONOTSHOW, m_DoNotShow);
}

CMessageTable<CInsufficientBalanceDlg> CInsufficientBalanceDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CInsufficientBalanceDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CInsufficientBalanceDlg::OnInitDialog, "CInsufficientBalanceDlg::OnInitDialog"),
        Entry::Command(IDCANCEL, &CInsufficientBalanceDlg::OnCloseCmd, "CInsufficientBalanceDlg::OnCloseCmd"),
        Entry::Command(IDC_WARNING_SENDANYWAY, &CInsufficientBalanceDlg::OnCloseCmd,
                       "CInsufficientBalanceDlg::OnCloseCmd"),
        Entry::Command(IDC_WARNING_BUYCREDITS, &CInsufficientBalanceDlg::OnBuyCredits,
                       "CInsufficientBalanceDlg::OnBuyCredits", BN_CLICKED),
    };
    return entries;
}

void CInsufficientBalanceDlg::Exchange(CDataExchange& exchange)
{
    exchange.Int(IDC_WARNING_CREDITSREQUIRED, m_CreditsRequired)
        .Int(IDC_WARNING_AVAILABLEBALANCE, m_AvailableBalance)
        .Check(IDC_WARNING_DONOTSHOW, m_DoNotShow);
}

LRESULT CInsufficientBalanceDlg::OnBuyCredits(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ShowBuySMSCreditsPage();
    return 0;
}

template class CSendWarningDlgImpl<CMessageTooLongDlg>;
template class CSendWarningDlgImpl<CInsufficientBalanceDlg>;
