#include "ui/SMSTemplatesEditorDlg.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/Exceptions.h"

namespace
{
// Where the editor control sits in the dialog, in pixels at any DPI.
constexpr int kEditorLeft = 10;
constexpr int kEditorTop = 10;
} // namespace

CMessageTable<CSMSTemplatesEditorDlg> CSMSTemplatesEditorDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CSMSTemplatesEditorDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CSMSTemplatesEditorDlg::OnInitDialog, "CSMSTemplatesEditorDlg::OnInitDialog"),
        Entry::Command(IDOK, &CSMSTemplatesEditorDlg::OnOK, "CSMSTemplatesEditorDlg::OnOK"),
        Entry::Command(IDCANCEL, &CSMSTemplatesEditorDlg::OnCancel, "CSMSTemplatesEditorDlg::OnCancel"),
        Entry::Chain(&CSMSTemplatesEditorDlg::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CSMSTemplatesEditorDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetupDialogBackground(this);
    if (!m_Editor.Create(m_hWnd))
        throw CGeneralException("The templates editor could not be created", HRESULT_FROM_WIN32(::GetLastError()));
    ::SetWindowPos(m_Editor, nullptr, kEditorLeft, kEditorTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

LRESULT CSMSTemplatesEditorDlg::OnOK(UINT, WPARAM, LPARAM, bool&)
{
    if (!m_Editor.IsEditing() || m_Editor.SaveTemplate())
        EndDialog(IDOK);
    return 0;
}

LRESULT CSMSTemplatesEditorDlg::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    EndDialog(IDCANCEL);
    return 0;
}
