// The warnings shown before a message is submitted: the message needs more
// parts than the configured maximum, or more credits than the last known
// balance (two dialogs of the Send SMS window), or holds characters that a
// text message cannot carry (a box's text, shown by the Send SMS window and
// by the SMS reminder). Each dialog shows its two numbers and ends with
// IDC_WARNING_SENDANYWAY (244) or IDCANCEL (Cancel, Escape, the close box),
// or -1 when it cannot be created; its "Do not show this message again" box
// is read back into DoNotShow() whichever button closed it. Built on the
// caller's stack for one modal run.
#pragma once

#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"

#include <string>

class CDataExchange;

// What the twins share: the caption, the exchange at start and end, the
// two closing buttons.
template <typename T>
class CSendWarningDlgImpl : public CZentavoAxDialogImpl<T>
{
public:
    bool DoNotShow() const { return m_DoNotShow; }

protected:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCloseCmd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    bool m_DoNotShow = false;
};

class CMessageTooLongDlg : public CSendWarningDlgImpl<CMessageTooLongDlg>
{
public:
    enum
    {
        IDD = IDD_MESSAGETOOLONG
    };

    CMessageTooLongDlg(int partsRequired, int maxParts) : m_PartsRequired(partsRequired), m_MaxParts(maxParts) {}

    static CMessageTable<CMessageTooLongDlg> GetMessageTable();
    void Exchange(CDataExchange& exchange);

private:
    int m_PartsRequired;
    int m_MaxParts;
};

class CInsufficientBalanceDlg : public CSendWarningDlgImpl<CInsufficientBalanceDlg>
{
public:
    enum
    {
        IDD = IDD_INSUFFICIENTBALANCE
    };

    CInsufficientBalanceDlg(int creditsRequired, int availableBalance)
        : m_CreditsRequired(creditsRequired), m_AvailableBalance(availableBalance)
    {
    }

    static CMessageTable<CInsufficientBalanceDlg> GetMessageTable();
    void Exchange(CDataExchange& exchange);

private:
    // The purchase page in the browser; the dialog stays open.
    LRESULT OnBuyCredits(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    int m_CreditsRequired;
    int m_AvailableBalance;
};

// The warning that the text holds characters the conversion to the ANSI code
// page would change (CharactersLostInAnsi), naming the first of them; what
// names the text ("message text", "sender id"). Empty when it holds none.
std::string UnsendableCharactersWarning(const std::wstring& text, const std::string& what);
