// A dialog of the test executable's own module with no behaviour of its own
// beyond the default focus: a host for tests of controls and of data
// exchange, created from an in-memory template.
#pragma once

#include "platform/DialogImpl.h"

class CPlainDlg : public CDialogImpl<CPlainDlg>
{
public:
    CPlainDlg() : CDialogImpl(::GetModuleHandleA(nullptr)) {}
    ~CPlainDlg() override = default;

    static CMessageTable<CPlainDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CPlainDlg>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CPlainDlg::OnInitDialog, "CPlainDlg::OnInitDialog"),
        };
        return entries;
    }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&) { return TRUE; }
};
