// A reminder's message as it will be sent: its recipients (the list's text
// form), its sender id and its text, read-only on a white background
// whatever Outlook's look. The caller sets the three texts, then runs it
// modally; it ends with 1 (Close) or 2 (Esc, close box) and changes nothing.
#pragma once

#include <string>

#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/ZentavoAxDialogImpl.h"

class CSMSMessagePreviewDlg : public CZentavoAxDialogImpl<CSMSMessagePreviewDlg>,
                              public CPaintBkgnd<CSMSMessagePreviewDlg>
{
public:
    enum
    {
        IDD = IDD_SMSMESSAGEPREVIEW
    };

    static CMessageTable<CSMSMessagePreviewDlg> GetMessageTable();

    std::string m_Recipients;
    std::string m_SendersId;
    // Lines separated by CR LF, as an edit control shows them.
    std::string m_Message;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCloseCmd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
};
