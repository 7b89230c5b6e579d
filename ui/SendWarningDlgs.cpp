#include "ui/SendWarningDlgs.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "core/StringUtils.h"
#include "platform/DataExchange.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace
{
// A warning names at most this many characters that cannot be sent.
constexpr size_t kMostCharactersNamed = 10;
} // namespace

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

std::string UnsendableCharactersWarning(const std::wstring& text, const std::string& what)
{
    const std::vector<std::uint32_t> lost = CharactersLostInAnsi(text);
    if (lost.empty())
        return std::string();
    std::string names;
    for (size_t i = 0; i < lost.size() && i < kMostCharactersNamed; ++i)
    {
        char name[16];
        std::snprintf(name, sizeof(name), "%sU+%04X", i == 0 ? "" : ", ", static_cast<unsigned>(lost[i]));
        names += name;
    }
    if (lost.size() > kMostCharactersNamed)
        names += " and " + std::to_string(lost.size() - kMostCharactersNamed) + " more";
    return "The " + what + " holds characters that a text message cannot carry: " + names +
           ".\n\nPlease remove or replace them. Nothing has been sent.";
}
