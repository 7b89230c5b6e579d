// Answers the real dialogs and message boxes that the calling thread opens,
// from a script the test writes beforehand:
//
//   CWindowDriver driver;
//   driver.Expect().Caption("Title").Text("Go on?").Press(IDYES);
//   ... code that calls MessageBoxA ...
//   EXPECT_EQ("", driver.Problems());
//
// A thread-local WH_CBT hook notes every top-level dialog (class #32770,
// message boxes included) as the thread creates it and puts a timer on it.
// The first tick after the dialog is shown runs inside the dialog's own
// modal loop: the driver reads the caption, static texts and controls, fills
// in what the step says and posts the button's WM_COMMAND, so the dialog
// procedure handles the press as it would a click.
//
// Windows of other threads and processes are never looked for or touched.
// Dialogs marked LeaveToItsShower are not the driver's.
// A window that no step matches is recorded, answered Cancel (or No, or OK,
// whichever button it has) and, if it is still open a moment later, ended.
//
// One driver per thread at a time; it must outlive the windows it answers.
#pragma once

#include "core/ScopedHandle.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/ScopedHandle.h"

struct CSeenControl
{
    int id;
    std::string className;
    std::string text;
    bool checked;
};

// What the driver read from one window just before answering it.
struct CSeenWindow
{
    std::string caption;
    // Non-empty static texts in child order; a message box's text is one.
    std::vector<std::string> texts;
    std::vector<CSeenControl> controls;
    bool expected = false;
    // The id of the button pressed; 0 when a step's action answered.
    int answer = 0;

    const CSeenControl* Control(int id) const;
};

// One scripted window. Matching is exact; an unset match accepts anything.
class CWindowStep
{
public:
    CWindowStep& Caption(const std::string& caption);
    // One of the window's static texts equals this.
    CWindowStep& Text(const std::string& text);
    CWindowStep& SetText(int controlId, const std::string& text);
    // Clicks the box when its state differs.
    CWindowStep& Check(int controlId, bool checked = true);
    CWindowStep& Press(int buttonId);
    // By the button's text, its '&' markers left out.
    CWindowStep& PressText(const std::string& buttonText);
    // Runs the action inside the dialog's modal loop instead of pressing a
    // button, for windows whose controls sit in child dialogs; the action
    // answers the window itself (posting its clicks, ending it).
    CWindowStep& Run(std::function<void(HWND dialog)> action);

private:
    friend class CWindowDriver;

    bool Matches(const CSeenWindow& seen) const;
    std::string Describe() const;

    std::pair<bool, std::string> m_Caption;
    std::pair<bool, std::string> m_Text;
    std::vector<std::pair<int, std::string>> m_EditTexts;
    std::vector<std::pair<int, bool>> m_Checks;
    int m_ButtonId = 0;
    std::string m_ButtonText;
    std::function<void(HWND)> m_Action;
};

class CWindowDriver
{
public:
    // Hooks the calling thread.
    CWindowDriver();
    ~CWindowDriver();
    CWindowDriver(const CWindowDriver&) = delete;
    CWindowDriver& operator=(const CWindowDriver&) = delete;

    // The next step; the reference stays valid for the driver's life.
    CWindowStep& Expect();

    const std::vector<CSeenWindow>& Seen() const { return m_Seen; }
    // One line per unexpected window, failed step action and unused step;
    // empty when the script ran as written.
    std::string Problems() const;

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK AnswerTimerProc(HWND dialog, UINT message, UINT_PTR timerId, DWORD time);
    static void CALLBACK CloseTimerProc(HWND dialog, UINT message, UINT_PTR timerId, DWORD time);

    void Answer(HWND dialog);
    int Perform(HWND dialog, const CWindowStep& step);
    void Problem(const std::string& text) { m_Problems.push_back(text); }

    CScopedHook m_Hook;
    std::deque<CWindowStep> m_Steps;
    size_t m_NextStep = 0;
    std::vector<CSeenWindow> m_Seen;
    std::vector<std::string> m_Problems;
};

// A dialog that another part of the test answers itself (the message-box
// capture's boxes): a driver leaves it alone. Marked as it is created, before
// the driver's hook sees it.
void LeaveToItsShower(HWND dialog);

// The calling thread's top-level windows that hold a control of this id, in
// the order the system lists them (modeless windows the driver never sees).
std::vector<HWND> ThreadWindowsWithControl(int controlId);

// While it lives, the calling thread's new top-level windows are refused at
// creation, as another program's CBT hook in the process may refuse them.
class CTopLevelWindowRefusal
{
public:
    CTopLevelWindowRefusal();
    bool Active() const { return static_cast<bool>(m_Hook); }

private:
    CScopedHook m_Hook;
};
