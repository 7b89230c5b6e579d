#include "tests/support/WindowDriver.h"

#include <algorithm>
#include <stdexcept>

namespace
{
// Timer ids on the answered dialog; unlikely to meet a dialog's own.
constexpr UINT_PTR kAnswerTimer = 0x5A0D;
constexpr UINT_PTR kCloseTimer = 0x5A0E;
constexpr UINT kAnswerTickMs = 10;
// How long an unexpected window may take to close after its answer.
constexpr UINT kCloseGraceMs = 2000;

thread_local CWindowDriver* t_Driver = nullptr;

constexpr char kLeftToItsShower[] = "WindowDriver.LeftToItsShower";

std::string ClassName(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string Text(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    std::string text(length + 1, '\0');
    text.resize(::GetWindowTextA(window, &text[0], length + 1));
    return text;
}

std::string WithoutMnemonics(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

// A static that shows text, not an icon, bitmap or frame (whose window
// text is a resource reference, not words).
bool IsTextStatic(HWND control)
{
    const LONG kind = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_SIMPLE ||
           kind == SS_LEFTNOWORDWRAP;
}

bool IsCheckable(HWND control)
{
    const LONG kind = ::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE ||
           kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

CSeenWindow Read(HWND dialog)
{
    CSeenWindow seen;
    seen.caption = Text(dialog);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        CSeenControl control;
        control.id = ::GetDlgCtrlID(child);
        control.className = ClassName(child);
        control.text = Text(child);
        control.checked = _stricmp(control.className.c_str(), "Button") == 0 && IsCheckable(child) &&
                          ::SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (_stricmp(control.className.c_str(), "Static") == 0 && IsTextStatic(child) && !control.text.empty())
            seen.texts.push_back(control.text);
        seen.controls.push_back(control);
    }
    return seen;
}

// A closing answer: Cancel, else No, else OK, whichever the window has.
int DefaultAnswer(HWND dialog)
{
    for (int id : {IDCANCEL, IDNO, IDOK})
        if (::GetDlgItem(dialog, id))
            return id;
    return IDCANCEL;
}

// Posted rather than sent, so the dialog procedure runs from the modal loop
// after the driver has returned.
void PostPress(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
} // namespace

const CSeenControl* CSeenWindow::Control(int id) const
{
    for (const CSeenControl& control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

CWindowStep& CWindowStep::Caption(const std::string& caption)
{
    m_Caption = {true, caption};
    return *this;
}

CWindowStep& CWindowStep::Text(const std::string& text)
{
    m_Text = {true, text};
    return *this;
}

CWindowStep& CWindowStep::SetText(int controlId, const std::string& text)
{
    m_EditTexts.emplace_back(controlId, text);
    return *this;
}

CWindowStep& CWindowStep::Check(int controlId, bool checked)
{
    m_Checks.emplace_back(controlId, checked);
    return *this;
}

CWindowStep& CWindowStep::Press(int buttonId)
{
    m_ButtonId = buttonId;
    return *this;
}

CWindowStep& CWindowStep::PressText(const std::string& buttonText)
{
    m_ButtonText = buttonText;
    return *this;
}

CWindowStep& CWindowStep::Run(std::function<void(HWND dialog)> action)
{
    m_Action = std::move(action);
    return *this;
}

bool CWindowStep::Matches(const CSeenWindow& seen) const
{
    if (m_Caption.first && m_Caption.second != seen.caption)
        return false;
    return !m_Text.first || std::find(seen.texts.begin(), seen.texts.end(), m_Text.second) != seen.texts.end();
}

std::string CWindowStep::Describe() const
{
    std::string text = "window";
    if (m_Caption.first)
        text += " captioned \"" + m_Caption.second + "\"";
    if (m_Text.first)
        text += " with the text \"" + m_Text.second + "\"";
    return text;
}

CWindowDriver::CWindowDriver()
{
    if (t_Driver)
        throw std::logic_error("CWindowDriver: this thread already has a driver");
    m_Hook.reset(::SetWindowsHookExA(WH_CBT, &CWindowDriver::CbtProc, nullptr, ::GetCurrentThreadId()));
    if (!m_Hook)
        throw std::runtime_error("CWindowDriver: SetWindowsHookExA failed");
    t_Driver = this;
}

CWindowDriver::~CWindowDriver()
{
    t_Driver = nullptr;
}

CWindowStep& CWindowDriver::Expect()
{
    m_Steps.emplace_back();
    return m_Steps.back();
}

std::string CWindowDriver::Problems() const
{
    std::string text;
    for (const std::string& problem : m_Problems)
        text += problem + "\n";
    for (size_t i = m_NextStep; i < m_Steps.size(); ++i)
        text += "step " + std::to_string(i + 1) + " never met: expected a " + m_Steps[i].Describe() + "\n";
    return text;
}

LRESULT CALLBACK CWindowDriver::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_Driver)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        if (!(create->lpcs->style & WS_CHILD) && ClassName(window) == "#32770" &&
            !::GetPropA(window, kLeftToItsShower))
            ::SetTimer(window, kAnswerTimer, kAnswerTickMs, &CWindowDriver::AnswerTimerProc);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK CWindowDriver::AnswerTimerProc(HWND dialog, UINT, UINT_PTR, DWORD)
{
    // Ticks until the dialog has finished initialising and is on screen.
    if (!::IsWindowVisible(dialog))
        return;
    ::KillTimer(dialog, kAnswerTimer);
    if (t_Driver)
        t_Driver->Answer(dialog);
}

void CALLBACK CWindowDriver::CloseTimerProc(HWND dialog, UINT, UINT_PTR, DWORD)
{
    ::KillTimer(dialog, kCloseTimer);
    if (t_Driver)
        t_Driver->Problem("window \"" + Text(dialog) + "\" ignored its answer and was ended");
    ::EndDialog(dialog, IDCANCEL);
}

void CWindowDriver::Answer(HWND dialog)
{
    CSeenWindow seen = Read(dialog);
    const bool expected = m_NextStep < m_Steps.size() && m_Steps[m_NextStep].Matches(seen);
    seen.expected = expected;
    if (expected)
    {
        seen.answer = Perform(dialog, m_Steps[m_NextStep++]);
    }
    else
    {
        std::string text = "unexpected window \"" + seen.caption + "\"";
        for (const std::string& line : seen.texts)
            text += " | " + line;
        if (m_NextStep < m_Steps.size())
            text += " (step " + std::to_string(m_NextStep + 1) + " expected a " + m_Steps[m_NextStep].Describe() + ")";
        Problem(text);
        seen.answer = DefaultAnswer(dialog);
        ::SetTimer(dialog, kCloseTimer, kCloseGraceMs, &CWindowDriver::CloseTimerProc);
    }
    m_Seen.push_back(seen);
    if (seen.answer)
        PostPress(dialog, seen.answer);
}

int CWindowDriver::Perform(HWND dialog, const CWindowStep& step)
{
    const std::string where = " in \"" + Text(dialog) + "\"";
    for (const auto& edit : step.m_EditTexts)
        if (!::SetDlgItemTextA(dialog, edit.first, edit.second.c_str()))
            Problem("no control " + std::to_string(edit.first) + " to set" + where);
    for (const auto& check : step.m_Checks)
    {
        HWND box = ::GetDlgItem(dialog, check.first);
        if (!box)
        {
            Problem("no check box " + std::to_string(check.first) + where);
            continue;
        }
        // A user's click: the new state, then the parent's notification.
        if ((::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != check.second)
        {
            ::SendMessageA(box, BM_SETCHECK, check.second ? BST_CHECKED : BST_UNCHECKED, 0);
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(check.first, BN_CLICKED), reinterpret_cast<LPARAM>(box));
        }
    }
    if (step.m_Action)
    {
        step.m_Action(dialog);
        return 0;
    }
    if (step.m_ButtonId)
    {
        if (!::GetDlgItem(dialog, step.m_ButtonId))
            Problem("no button " + std::to_string(step.m_ButtonId) + where);
        return step.m_ButtonId;
    }
    if (!step.m_ButtonText.empty())
    {
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (WithoutMnemonics(Text(child)) == step.m_ButtonText)
                return ::GetDlgCtrlID(child);
        Problem("no button \"" + step.m_ButtonText + "\"" + where);
    }
    return DefaultAnswer(dialog);
}

void LeaveToItsShower(HWND dialog)
{
    ::SetPropA(dialog, kLeftToItsShower, reinterpret_cast<HANDLE>(1));
}

std::vector<HWND> ThreadWindowsWithControl(int controlId)
{
    struct Search
    {
        int id;
        std::vector<HWND> found;
    } search{controlId, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM parameter) {
            Search* s = reinterpret_cast<Search*>(parameter);
            if (::GetDlgItem(window, s->id))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace
{
LRESULT CALLBACK RefuseTopLevelWindows(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (code == HCBT_CREATEWND && !(create->lpcs->style & WS_CHILD))
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

CTopLevelWindowRefusal::CTopLevelWindowRefusal()
    : m_Hook(::SetWindowsHookExA(WH_CBT, &RefuseTopLevelWindows, nullptr, ::GetCurrentThreadId()))
{
}
