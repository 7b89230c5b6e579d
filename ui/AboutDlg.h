// The About box: the product name and version over two notice lines.
#pragma once

#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"

class CAboutDlg : public CZentavoAxDialogImpl<CAboutDlg>
{
public:
    enum
    {
        IDD = IDD_ABOUTBOX
    };

    static CMessageTable<CAboutDlg> GetMessageTable();

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCloseCmd(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
};
