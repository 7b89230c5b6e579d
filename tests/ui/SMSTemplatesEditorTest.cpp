// The Templates dialog run modally and driven inside its modal loop: clicks
// and edits sent to the embedded editor as the controls send them, boxes
// answered through the sink, settings in a redirected registry.
#include "ui/SMSTemplatesEditorDlg.h"

#include "core/ConfigZentavoSMSOutlookAddin_UserPreferences.h"
#include "tests/support/EventCapture.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace SetupDialogTest;

namespace
{
constexpr char kTitle[] = "Templates";
constexpr char kBackslashRefused[] = "A template name cannot contain \"\\\"; please enter another name";
constexpr char kTooLong[] = "The template name is too long; please enter a name of at most 255 characters";

CSMSTemplate Template(const std::string& name, const std::string& text, bool builtIn = false)
{
    CSMSTemplate item;
    item.Name = name;
    item.Text = text;
    item.BuiltIn = builtIn;
    if (builtIn)
        item.SetId("DefaultTemplate");
    return item;
}

void Command(HWND control, int id, UINT code)
{
    ::SendMessageA(control, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(control, id)));
}

// A user's click, which a greyed button does not take.
void Click(HWND control, int id)
{
    if (!::IsWindowEnabled(::GetDlgItem(control, id)))
        ADD_FAILURE() << "control " << id << " is greyed";
    Command(control, id, BN_CLICKED);
}

// Replaces the field's text as typing would, so that a multi-line edit
// reports the change too (it does not for WM_SETTEXT).
void Type(HWND control, int id, const std::string& text)
{
    ::SendDlgItemMessageA(control, id, EM_SETSEL, 0, -1);
    ::SendDlgItemMessageA(control, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> Rows(HWND control)
{
    const HWND list = ::GetDlgItem(control, IDC_TEMPLATES_LIST);
    std::vector<std::string> rows;
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row)
    {
        char text[600] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

// Clicks the row of exactly that name.
void Select(HWND control, const std::string& name)
{
    const std::vector<std::string> rows = Rows(control);
    for (size_t row = 0; row < rows.size(); ++row)
    {
        if (rows[row] == name)
        {
            ::SendDlgItemMessageA(control, IDC_TEMPLATES_LIST, LB_SETCURSEL, row, 0);
            Command(control, IDC_TEMPLATES_LIST, LBN_SELCHANGE);
            return;
        }
    }
    ADD_FAILURE() << "no row " << name;
}

void ChooseField(HWND control, int row)
{
    ::SendDlgItemMessageA(control, IDC_TEMPLATES_ADDFIELD, CB_SETCURSEL, row, 0);
    Command(control, IDC_TEMPLATES_ADDFIELD, CBN_SELCHANGE);
}

// What the editor shows: the selected row, the fields and the enabled
// controls, as "[row] name|body (New Delete Save Field Name Body)".
std::string View(HWND control)
{
    const HWND list = ::GetDlgItem(control, IDC_TEMPLATES_LIST);
    const LRESULT selected = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    std::string view = "[" + (selected == LB_ERR ? std::string() : Rows(control)[static_cast<size_t>(selected)]) + "] ";
    view += TextOf(::GetDlgItem(control, IDC_TEMPLATES_NAME)) + "|" + TextOf(::GetDlgItem(control, IDC_TEMPLATES_BODY));
    const std::pair<int, const char*> controls[] = {
        {IDC_TEMPLATES_NEW, "New"},         {IDC_TEMPLATES_DELETE, "Delete"}, {IDC_TEMPLATES_SAVE, "Save"},
        {IDC_TEMPLATES_ADDFIELD, "Field"}, {IDC_TEMPLATES_NAME, "Name"},     {IDC_TEMPLATES_BODY, "Body"},
    };
    std::string enabled;
    for (const auto& c : controls)
        if (::IsWindowEnabled(::GetDlgItem(control, c.first)))
            enabled += (enabled.empty() ? "" : " ") + std::string(c.second);
    return view + " (" + enabled + ")";
}

// The field typed and Save clicked: what the editor shows then.
std::string Save(HWND control, int field, const std::string& text)
{
    Type(control, field, text);
    Click(control, IDC_TEMPLATES_SAVE);
    return View(control);
}

// New, the name and the body typed, Save: what the editor shows then.
std::string SaveNew(HWND control, const std::string& name, const std::string& body)
{
    Click(control, IDC_TEMPLATES_NEW);
    Type(control, IDC_TEMPLATES_NAME, name);
    return Save(control, IDC_TEMPLATES_BODY, body);
}

using Records = std::vector<std::pair<std::string, std::string>>;

Records RecordsOf(const CSMSTemplateVector& templates)
{
    Records records;
    for (const CSMSTemplate& item : templates)
        records.emplace_back(item.Name, item.Text);
    return records;
}

class SMSTemplatesEditorTest : public RegistryFixture
{
protected:
    // Runs the dialog on the list (none when null): the action works in the
    // editor control and its answer is returned; then the close command is
    // posted, which the dialog returns.
    std::string Run(CSMSTemplateVector* templates, const std::function<std::string(HWND control)>& action, int close)
    {
        std::string seen;
        CWindowDriver driver;
        driver.Expect().Caption(kTitle).Run([&](HWND dialog) {
            seen = action(ChildDialog(dialog));
            ::PostMessageA(dialog, WM_COMMAND, close, 0);
        });
        CSMSTemplatesEditorDlg editor;
        if (templates)
            editor.SetTemplateList(templates);
        EXPECT_EQ(close, editor.DoModal(nullptr));
        EXPECT_EQ("", driver.Problems());
        return seen;
    }

    CMessageBoxCapture m_Boxes;
};

struct EditorCase
{
    const char* name;
    std::vector<CSMSTemplate> before;
    std::function<std::string(HWND control)> action;
    std::string seen;
    int close;
    Records after;
    std::vector<std::string> boxes = {};
    std::vector<int> answers = {};
};

const std::string kLongName(255, 'x');

TEST_F(SMSTemplatesEditorTest, EditsTheCallersList)
{
    const auto editAThenPickB = [](HWND c) {
        Type(c, IDC_TEMPLATES_BODY, "a2");
        Select(c, "B");
        return View(c);
    };
    const EditorCase cases[] = {
        {"opens on the first row", {Template("Notes", "Hi\nthere"), Template("Alpha", "a")}, View,
         "[Alpha] Alpha|a (New Delete Field Name Body)", IDCANCEL, {{"Notes", "Hi\nthere"}, {"Alpha", "a"}}},
        {"a new template saved, trimmed and selected",
         {Template("Notes", "n")},
         [](HWND c) {
             Click(c, IDC_TEMPLATES_NEW);
             const std::string fresh = View(c);
             Type(c, IDC_TEMPLATES_NAME, " Dentist visit ");
             Type(c, IDC_TEMPLATES_BODY, "Line one\r\nLine two");
             Click(c, IDC_TEMPLATES_SAVE);
             return fresh + " / " + View(c);
         },
         "[Notes] | (Save Field Name Body) / [Dentist visit]  Dentist visit |Line one\r\nLine two "
         "(New Delete Field Name Body)",
         IDOK, {{"Notes", "n"}, {"Dentist visit", "Line one\nLine two"}}},
        {"rename in place",
         {Template("Notes", "n"), Template("Other", "o")},
         [](HWND c) {
             Select(c, "Notes");
             return Save(c, IDC_TEMPLATES_NAME, "Reminder");
         },
         "[Reminder] Reminder|n (New Delete Field Name Body)", IDOK, {{"Reminder", "n"}, {"Other", "o"}}},
        {"saving under its own name keeps it", {Template("Notes", "n")},
         [](HWND c) { return Save(c, IDC_TEMPLATES_BODY, "new text"); },
         "[Notes] Notes|new text (New Delete Field Name Body)", IDOK, {{"Notes", "new text"}}},
        {"a taken name numbered after the last number in use", {Template("Notes", "1"), Template("Notes (1)", "2")},
         [](HWND c) { return SaveNew(c, "Notes", "3"); }, "[Notes (2)] Notes|3 (New Delete Field Name Body)", IDOK,
         {{"Notes", "1"}, {"Notes (1)", "2"}, {"Notes (2)", "3"}}},
        {"the same identifier is a clash", {Template("Dentist visit", "1")},
         [](HWND c) { return SaveNew(c, "Dentist_visit!", "2"); },
         "[Dentist_visit! (1)] Dentist_visit!|2 (New Delete Field Name Body)", IDOK,
         {{"Dentist visit", "1"}, {"Dentist_visit! (1)", "2"}}},
        {"names equal but for case are numbered", {Template("Notes", "1"), Template("notes (1)", "2")},
         [](HWND c) { return SaveNew(c, "NOTES", "3"); }, "[NOTES (2)] NOTES|3 (New Delete Field Name Body)", IDOK,
         {{"Notes", "1"}, {"notes (1)", "2"}, {"NOTES (2)", "3"}}},
        {"the saved record is selected, not a longer name it starts",
         {Template("Notes", "1")},
         [](HWND c) {
             const std::string saved = SaveNew(c, "Note", "2");
             Click(c, IDC_TEMPLATES_DELETE);
             return saved;
         },
         "[Note] Note|2 (New Delete Field Name Body)", IDOK, {{"Notes", "1"}}},
        {"a backslash refused", {Template("Notes", "1")}, [](HWND c) { return SaveNew(c, "Work\\Visit", "2"); },
         "[Notes] Work\\Visit|2 (Save Field Name Body)", IDCANCEL, {{"Notes", "1"}}, {kBackslashRefused}},
        {"a name too long once numbered refused", {Template(kLongName, "1")},
         [](HWND c) { return SaveNew(c, kLongName, "2"); },
         "[" + kLongName + "] " + kLongName + "|2 (Save Field Name Body)", IDCANCEL, {{kLongName, "1"}}, {kTooLong}},
        {"a name of 256 characters refused", {}, [](HWND c) { return SaveNew(c, kLongName + "y", "2"); },
         "[] " + kLongName + "y|2 (Save Field Name Body)", IDCANCEL, {}, {kTooLong}},
        {"the built-in record is read-only and cannot be deleted", {Template("Default Template", "built in", true)},
         [](HWND c) {
             Command(c, IDC_TEMPLATES_DELETE, BN_CLICKED);
             return View(c);
         },
         "[Default Template] Default Template|built in (New)", IDOK, {{"Default Template", "built in"}}},
        {"delete at once, without a question",
         {Template("A", "a"), Template("B", "b")},
         [](HWND c) {
             Select(c, "B");
             Save(c, IDC_TEMPLATES_BODY, "edited");
             Click(c, IDC_TEMPLATES_DELETE);
             return View(c);
         },
         "[] | (New Delete Name Body)", IDOK, {{"A", "a"}}},
        {"ask to save, Yes", {Template("A", "a"), Template("B", "b")}, editAThenPickB, "[] | (New Delete Name Body)",
         IDOK, {{"A", "a2"}, {"B", "b"}}, {"Do you want to save 'A' Template?"}, {IDYES}},
        {"ask to save, No", {Template("A", "a"), Template("B", "b")}, editAThenPickB,
         "[B] B|b (New Delete Field Name Body)", IDOK, {{"A", "a"}, {"B", "b"}}, {"Do you want to save 'A' Template?"},
         {IDNO}},
        {"ask to save a nameless new one, Yes fails",
         {Template("A", "a")},
         [](HWND c) {
             Click(c, IDC_TEMPLATES_NEW);
             Type(c, IDC_TEMPLATES_BODY, "text");
             Select(c, "A");
             return View(c);
         },
         "[A] |text (Save Field Name Body)", IDCANCEL, {{"A", "a"}},
         {"Do you want to save Template?", "Please enter a template name"}, {IDYES}},
        {"Add Field inserts at the caret and shows the prompt again",
         {Template("A", "Hi ")},
         [](HWND c) {
             ::SendDlgItemMessageA(c, IDC_TEMPLATES_BODY, EM_SETSEL, 3, 3);
             ChooseField(c, 3);
             ChooseField(c, 0);
             const LRESULT row = ::SendDlgItemMessageA(c, IDC_TEMPLATES_ADDFIELD, CB_GETCURSEL, 0, 0);
             return View(c) + " " + std::to_string(row);
         },
         "[A] A|Hi [ApptLocation:40] (Save Field Name Body) 0", IDOK, {{"A", "Hi [ApptLocation:40]"}}},
        {"a two-line body saved twice stays as it was",
         {Template("T", "L1\nL2")},
         [](HWND c) {
             const std::string shown = TextOf(::GetDlgItem(c, IDC_TEMPLATES_BODY));
             Save(c, IDC_TEMPLATES_NAME, "T2");
             Save(c, IDC_TEMPLATES_NAME, "T3");
             return shown;
         },
         "L1\r\nL2", IDOK, {{"T3", "L1\nL2"}}},
        {"OK saves what is being edited",
         {},
         [](HWND c) {
             Click(c, IDC_TEMPLATES_NEW);
             Type(c, IDC_TEMPLATES_NAME, "X");
             Type(c, IDC_TEMPLATES_BODY, "  ");
             return std::string();
         },
         "", IDOK, {{"X", "  "}}},
        {"OK without a body stays open; Cancel asks nothing",
         {},
         [](HWND c) {
             Click(c, IDC_TEMPLATES_NEW);
             Type(c, IDC_TEMPLATES_NAME, "X");
             ::SendMessageA(::GetParent(c), WM_COMMAND, IDOK, 0);
             return std::string(::IsWindowVisible(::GetParent(c)) ? "open" : "closed");
         },
         "open", IDCANCEL, {}, {"Please enter a body"}},
    };
    for (const EditorCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CSMSTemplateVector templates;
        templates.assign(c.before.begin(), c.before.end());
        const std::ptrdiff_t boxesBefore = static_cast<std::ptrdiff_t>(m_Boxes.Boxes().size());
        m_Boxes.QueueAnswers(c.answers);
        EXPECT_EQ(c.seen, Run(&templates, c.action, c.close));
        const std::vector<std::string> boxes = BoxTextsWithCaption(m_Boxes);
        EXPECT_EQ(c.boxes, std::vector<std::string>(boxes.begin() + boxesBefore, boxes.end()));
        EXPECT_EQ(c.after, RecordsOf(templates));
    }
}

TEST_F(SMSTemplatesEditorTest, WithoutAListShowsAndSavesNothing)
{
    EXPECT_EQ("[] X|y (Save Field Name Body)", Run(nullptr, [](HWND c) { return SaveNew(c, "X", "y"); }, IDCANCEL));
}

// As the reminder's Manage Templates does it: the stored templates and the
// built-in one edited, and on OK the user's records stored again.
TEST_F(SMSTemplatesEditorTest, TheRegistryAfterOK)
{
    std::string errorText;
    CConfigZentavoSMSOutlookAddin_UserPreferences stored(&errorText);
    stored.Load();
    stored.GetAppointmentTemplates().push_back(Template("Dentist", "See you\nat [ApptStartTimeHHMM]"));
    stored.GetAppointmentTemplates().push_back(Template("Old", "gone"));
    stored.Save();

    CConfigZentavoSMSOutlookAddin_UserPreferences preferences(&errorText);
    preferences.Load();
    CSMSTemplateVector working = preferences.GetAppointmentTemplates();
    working.push_back(Template("Default Template", "built in", true));
    Run(
        &working,
        [](HWND c) {
            Select(c, "Old");
            Click(c, IDC_TEMPLATES_DELETE);
            Select(c, "Dentist");
            Save(c, IDC_TEMPLATES_BODY, "See you\r\nat [ApptStartTimeHHMM]\r\n");
            SaveNew(c, "default template", "Mine");
            PaintedScreenshot(::GetParent(c), "SMSTemplatesEditorDlg.png");
            return std::string();
        },
        IDOK);
    CSMSTemplateVector& kept = preferences.GetAppointmentTemplates();
    kept.clear();
    for (const CSMSTemplate& item : working)
        if (!item.BuiltIn)
            kept.push_back(item);
    preferences.Save();

    EXPECT_EQ((std::vector<std::string>{"default template (1)", "Dentist"}), SubKeyNames(kTemplates));
    EXPECT_EQ("See you\nat [ApptStartTimeHHMM]\n", ReadText(std::string(kTemplates) + "\\Dentist", "Text"));
    EXPECT_EQ("Mine", ReadText(std::string(kTemplates) + "\\default template (1)", "Text"));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
} // namespace
