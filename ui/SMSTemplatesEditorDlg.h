// The "Templates" dialog: the templates editor control with OK and Cancel.
// The caller hands it a list it owns, runs it modally and, on 1 (OK), takes
// the list as the new set of templates; on anything else it ignores the
// list, which may hold changes saved before Cancel.
#pragma once

#include <windows.h>

#include "core/SMSTemplate.h"
#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/SMSTemplatesEditorCtrl.h"
#include "ui/ZentavoAxDialogImpl.h"

class CSMSTemplatesEditorDlg : public CZentavoAxDialogImpl<CSMSTemplatesEditorDlg>,
                               public CPaintBkgnd<CSMSTemplatesEditorDlg>
{
public:
    enum
    {
        IDD = IDD_SMSTEMPLATESEDITOR
    };

    static CMessageTable<CSMSTemplatesEditorDlg> GetMessageTable();

    // Borrowed for the dialog's run; see CSMSTemplatesEditorCtrl.
    void SetTemplateList(CSMSTemplateVector* templates) noexcept { m_Editor.SetTemplateList(templates); }

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnOK(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    CSMSTemplatesEditorCtrl m_Editor;
};
