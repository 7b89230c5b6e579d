#include "ui/SMSTemplatesEditorCtrl.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "core/StringUtils.h"

#include <vector>

namespace
{

// The Add Field list: its prompt row first, then the reminder's fields with
// the widths inserted with them.
const char* const kTemplateFields[] = {
    "Insert template field...", "ApptBody:50",         "ApptSubject:50",      "ApptLocation:40",
    "ApptStartDateTime",        "ApptStartTimeHHMM",   "ApptStartTimeHHMMSS", "ApptStartDateDDMMYY",
    "ApptStartDateMMDDYY",      "ApptStartDateDDMM",   "ApptEndDateTime",     "ApptEndTimeHHMM",
    "ApptEndTimeHHMMSS",        "ApptEndDateDDMMYY",   "ApptEndDateMMDDYY",   "ApptEndDateDDMM",
};

std::string ListBoxRowText(HWND list, LRESULT row)
{
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length == LB_ERR)
        return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
} // namespace

CMessageTable<CSMSTemplatesEditorCtrl> CSMSTemplatesEditorCtrl::GetMessageTable()
{
    using Entry = CMessageEntry<CSMSTemplatesEditorCtrl>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CSMSTemplatesEditorCtrl::OnInitDialog, "CSMSTemplatesEditorCtrl::OnInitDialog"),
        Entry::Command(IDC_TEMPLATES_LIST, &CSMSTemplatesEditorCtrl::TemplateList_OnSelChange,
                       "CSMSTemplatesEditorCtrl::TemplateList_OnSelChange", LBN_SELCHANGE),
        Entry::Command(IDC_TEMPLATES_NEW, &CSMSTemplatesEditorCtrl::NewBtn_OnClicked,
                       "CSMSTemplatesEditorCtrl::NewBtn_OnClicked", BN_CLICKED),
        Entry::Command(IDC_TEMPLATES_DELETE, &CSMSTemplatesEditorCtrl::DeleteBtn_OnClicked,
                       "CSMSTemplatesEditorCtrl::DeleteBtn_OnClicked", BN_CLICKED),
        Entry::Command(IDC_TEMPLATES_SAVE, &CSMSTemplatesEditorCtrl::SaveBtn_OnClicked,
                       "CSMSTemplatesEditorCtrl::SaveBtn_OnClicked", BN_CLICKED),
        Entry::Command(IDC_TEMPLATES_NAME, &CSMSTemplatesEditorCtrl::Field_OnChange,
                       "CSMSTemplatesEditorCtrl::Field_OnChange", EN_CHANGE),
        Entry::Command(IDC_TEMPLATES_BODY, &CSMSTemplatesEditorCtrl::Field_OnChange,
                       "CSMSTemplatesEditorCtrl::Field_OnChange", EN_CHANGE),
        Entry::Command(IDC_TEMPLATES_ADDFIELD, &CSMSTemplatesEditorCtrl::AddField_OnSelChange,
                       "CSMSTemplatesEditorCtrl::AddField_OnSelChange", CBN_SELCHANGE),
        Entry::Chain(&CSMSTemplatesEditorCtrl::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CSMSTemplatesEditorCtrl::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetupDialogBackground(this);
    const HWND fields = GetDlgItem(IDC_TEMPLATES_ADDFIELD);
    for (const char* field : kTemplateFields)
        ::SendMessageA(fields, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(field));
    ::SendMessageA(fields, CB_SETCURSEL, 0, 0);
    UpdateState(false);
    FillTemplateList();
    if (m_pTemplates && !m_pTemplates->empty())
    {
        ::SendDlgItemMessageA(m_hWnd, IDC_TEMPLATES_LIST, LB_SETCURSEL, 0, 0);
        SelectFromList();
    }
    return TRUE;
}

LRESULT CSMSTemplatesEditorCtrl::TemplateList_OnSelChange(UINT, WPARAM, LPARAM, bool&)
{
    if (AskToSave())
        SelectFromList();
    return 0;
}

LRESULT CSMSTemplatesEditorCtrl::NewBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    if (!AskToSave())
        return 0;
    m_pCurrent = nullptr;
    ShowTemplate(nullptr);
    UpdateState(true);
    ::SetFocus(GetDlgItem(IDC_TEMPLATES_NAME));
    return 0;
}

LRESULT CSMSTemplatesEditorCtrl::DeleteBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    const std::string name = SelectedRowText();
    if (name.empty() || !m_pTemplates)
        return 0;
    const CSMSTemplate* found = m_pTemplates->FindByName(name);
    if (!found || found->BuiltIn)
        return 0;
    m_pTemplates->RemoveByName(name);
    m_pCurrent = nullptr;
    FillTemplateList();
    ShowTemplate(nullptr);
    UpdateState(false);
    m_bModified = false;
    return 0;
}

LRESULT CSMSTemplatesEditorCtrl::SaveBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    if (!SaveTemplate())
        return 0;
    UpdateState(false);
    FillTemplateList();
    if (m_pCurrent)
        SelectTemplateRow(m_pCurrent->Name);
    return 0;
}

LRESULT CSMSTemplatesEditorCtrl::Field_OnChange(UINT, WPARAM, LPARAM, bool&)
{
    UpdateState(true);
    m_bModified = true;
    return 0;
}

LRESULT CSMSTemplatesEditorCtrl::AddField_OnSelChange(UINT, WPARAM, LPARAM, bool&)
{
    const HWND fields = GetDlgItem(IDC_TEMPLATES_ADDFIELD);
    const LRESULT row = ::SendMessageA(fields, CB_GETCURSEL, 0, 0);
    // The prompt row is no field.
    if (row == CB_ERR || row == 0)
        return 0;
    const LRESULT length = ::SendMessageA(fields, CB_GETLBTEXTLEN, static_cast<WPARAM>(row), 0);
    std::vector<char> field(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    ::SendMessageA(fields, CB_GETLBTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(field.data()));
    ::SendMessageA(fields, CB_SETCURSEL, 0, 0);
    const std::string tag = std::string("[") + field.data() + "]";
    const HWND body = GetDlgItem(IDC_TEMPLATES_BODY);
    ::SendMessageA(body, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tag.c_str()));
    ::SetFocus(body);
    return 0;
}

bool CSMSTemplatesEditorCtrl::SaveTemplate()
{
    const CFields fields = ReadFields();
    if (!CheckFields(fields))
        return false;
    const CSMSTemplateVector noTemplates;
    if (FindTemplateNameFault(fields.name, m_pTemplates ? *m_pTemplates : noTemplates, m_pCurrent) ==
        TemplateNameFault::HoldsBackslash)
    {
        ShowMessage("A template name cannot contain \"\\\"; please enter another name");
        return false;
    }
    const std::string name = MakeUniqueName(fields.name);
    if (name.empty())
    {
        ShowMessage("The template name is too long; please enter a name of at most 255 characters");
        return false;
    }
    if (m_pCurrent)
    {
        m_pCurrent->Name = name;
        m_pCurrent->Text = fields.body;
        m_pCurrent->BuiltIn = false;
        m_pCurrent->SetId(std::string());
    }
    else if (m_pTemplates)
    {
        CSMSTemplate added;
        added.Name = name;
        added.Text = fields.body;
        m_pTemplates->push_back(added);
        m_pCurrent = &m_pTemplates->back();
    }
    else
    {
        return false;
    }
    m_bModified = false;
    return true;
}

void CSMSTemplatesEditorCtrl::UpdateState(bool editing)
{
    const bool builtIn = m_pCurrent && m_pCurrent->BuiltIn;
    const bool anyRecord = editing || m_pCurrent;
    CWindow(GetDlgItem(IDC_TEMPLATES_NEW)).Enable(!editing);
    CWindow(GetDlgItem(IDC_TEMPLATES_DELETE)).Enable(!editing && !builtIn);
    CWindow(GetDlgItem(IDC_TEMPLATES_SAVE)).Enable(editing);
    CWindow(GetDlgItem(IDC_TEMPLATES_ADDFIELD)).Enable(anyRecord && !builtIn);
    CWindow(GetDlgItem(IDC_TEMPLATES_NAME)).Enable(!builtIn);
    CWindow(GetDlgItem(IDC_TEMPLATES_BODY)).Enable(!builtIn);
    if (!editing)
        m_bModified = false;
    m_bEditing = editing;
}

void CSMSTemplatesEditorCtrl::ShowTemplate(const CSMSTemplate* shown)
{
    ::SetDlgItemTextA(m_hWnd, IDC_TEMPLATES_NAME, shown ? shown->Name.c_str() : "");
    ::SetDlgItemTextA(m_hWnd, IDC_TEMPLATES_BODY, shown ? ReplaceAll(shown->Text, "\n", "\r\n").c_str() : "");
}

CSMSTemplatesEditorCtrl::CFields CSMSTemplatesEditorCtrl::ReadFields() const
{
    CFields fields;
    fields.name = Trim(CWindow(GetDlgItem(IDC_TEMPLATES_NAME)).GetText());
    fields.body = ReplaceAll(CWindow(GetDlgItem(IDC_TEMPLATES_BODY)).GetText(), "\r\n", "\n");
    return fields;
}

bool CSMSTemplatesEditorCtrl::CheckFields(const CFields& fields) const
{
    if (fields.name.empty())
        ShowMessage("Please enter a template name");
    else if (fields.body.empty())
        ShowMessage("Please enter a body");
    else
        return true;
    return false;
}

std::string CSMSTemplatesEditorCtrl::MakeUniqueName(const std::string& name) const
{
    for (unsigned number = 0;; ++number)
    {
        const std::string candidate = number == 0 ? name : name + " (" + std::to_string(number) + ")";
        if (NameInUse(candidate))
            continue;
        // Numbers only grow, so a numbered name too long stays too long.
        if (m_pTemplates && FindTemplateNameFault(candidate, *m_pTemplates, m_pCurrent) == TemplateNameFault::TooLong)
            return std::string();
        return candidate;
    }
}

// Taken when another record makes the same identifier, or the same registry
// key name (the registry ignores case).
bool CSMSTemplatesEditorCtrl::NameInUse(const std::string& name) const
{
    if (!m_pTemplates)
        return false;
    const std::string id = MakeIdentifierFromName(name);
    for (const CSMSTemplate& other : *m_pTemplates)
    {
        if (&other != m_pCurrent && MakeIdentifierFromName(other.Name) == id)
            return true;
    }
    return FindTemplateNameFault(name, *m_pTemplates, m_pCurrent) == TemplateNameFault::ClashesIgnoringCase;
}

bool CSMSTemplatesEditorCtrl::AskToSave()
{
    if (!m_bModified)
        return true;
    const std::string name = ReadFields().name;
    const std::string question =
        "Do you want to save " + (name.empty() ? std::string() : "'" + name + "' ") + "Template?";
    if (!ShowMessageBox(m_hWnd, question, kAddinMessageBoxCaption, MB_YESNO).Is(IDYES))
        return true;
    if (!SaveTemplate())
        return false;
    UpdateState(false);
    FillTemplateList();
    return true;
}

void CSMSTemplatesEditorCtrl::FillTemplateList()
{
    const HWND list = GetDlgItem(IDC_TEMPLATES_LIST);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (!m_pTemplates)
        return;
    for (const CSMSTemplate& item : *m_pTemplates)
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Name.c_str()));
}

// The row of exactly that name: the list box's own string search would take
// the first row that starts with it in any case, and Delete would then
// remove another template than the one shown.
void CSMSTemplatesEditorCtrl::SelectTemplateRow(const std::string& name)
{
    const HWND list = GetDlgItem(IDC_TEMPLATES_LIST);
    const LRESULT rows = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < rows; ++row)
    {
        if (ListBoxRowText(list, row) == name)
        {
            ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            return;
        }
    }
}

std::string CSMSTemplatesEditorCtrl::SelectedRowText() const
{
    const HWND list = GetDlgItem(IDC_TEMPLATES_LIST);
    const LRESULT row = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    return row == LB_ERR ? std::string() : ListBoxRowText(list, row);
}

void CSMSTemplatesEditorCtrl::SelectFromList()
{
    m_pCurrent = nullptr;
    const std::string name = SelectedRowText();
    if (!name.empty() && m_pTemplates)
        m_pCurrent = m_pTemplates->FindByName(name);
    ShowTemplate(m_pCurrent);
    UpdateState(false);
    m_bModified = false;
}

void CSMSTemplatesEditorCtrl::ShowMessage(const std::string& text) const
{
    ShowMessageBox(m_hWnd, text, kAddinMessageBoxCaption, MB_OK);
}
