// The one way product code shows a modal box or dialog: ShowMessageBox for
// message boxes, ShowModal for the add-in's own dialogs (anything with a
// DoModal(HWND owner)). No other code calls MessageBox or DoModal; a check
// in the build's tests holds every source to that.
//
// While a box or dialog is up, Outlook runs programs' calls and its own
// events in its loop: the window it was shown over (an inspector) may be
// destroyed under it, and Windows destroys it with its owner, or a quit may
// end its loop. Neither is an answer of the user's, whatever the call
// returned (Windows does not document what it returns then). It is told
// apart by what can be seen after it: its owner no longer a window, a quit
// message waiting. Such an end is asked again over a live owner where the
// question still stands, else it comes back as no answer, which callers act
// on as nothing said: never as Cancel, No or a refusal.
//
//   CModalEnd end = ShowModal(dialog, owner, IfOwnerGoes::kNoAnswer);
//   if (end.Is(IDOK)) ...
//
// User-interface thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// What a box or dialog came to.
class CModalEnd
{
public:
    static CModalEnd Answered(INT_PTR answer, bool ownerGone) { return CModalEnd(kAnswered, answer, ownerGone); }
    static CModalEnd NoAnswer(bool ownerGone) { return CModalEnd(kNoAnswer, 0, ownerGone); }
    // It could not be shown at all (the call failed at once).
    static CModalEnd NotShown() { return CModalEnd(kNotShown, 0, false); }

    bool HasAnswer() const { return m_Kind == kAnswered; }
    bool WasShown() const { return m_Kind != kNotShown; }
    // The button or result the user ended it with; 0 without an answer.
    INT_PTR Answer() const { return m_Answer; }
    // Answered with this button or result.
    bool Is(INT_PTR answer) const { return HasAnswer() && m_Answer == answer; }
    // The window it was first shown over went while it was up (whether or
    // not it was then asked again over another).
    bool OwnerGone() const { return m_OwnerGone; }

private:
    enum Kind
    {
        kAnswered,
        kNoAnswer,
        kNotShown
    };
    CModalEnd(Kind kind, INT_PTR answer, bool ownerGone) : m_Kind(kind), m_Answer(answer), m_OwnerGone(ownerGone) {}

    Kind m_Kind;
    INT_PTR m_Answer;
    bool m_OwnerGone;
};

// What a box or dialog whose owner went while it was up comes to: asked
// again over a live owner (ChooseBoxOwner's, else none) where its question
// stands without that window, else no answer (what it was for went with the
// window: an inspector's tab, the Send SMS window's fields).
enum class IfOwnerGoes
{
    kAskAgain,
    kNoAnswer
};

namespace ModalDetail
{
// show runs the box or dialog over the given owner and returns Windows'
// result; failed is the result that says it could not be shown.
CModalEnd Run(HWND owner, IfOwnerGoes ifOwnerGoes, INT_PTR failed, const std::function<INT_PTR(HWND)>& show);
} // namespace ModalDetail

// A dialog over the owner (a dead or null owner: ChooseBoxOwner's); its
// DoModal returns -1 when it cannot be created.
template <typename Dialog>
CModalEnd ShowModal(Dialog& dialog, HWND owner, IfOwnerGoes ifOwnerGoes)
{
    return ModalDetail::Run(owner, ifOwnerGoes, -1, [&dialog](HWND shownBy) { return dialog.DoModal(shownBy); });
}

// A message box over the owner (a dead or null owner: ChooseBoxOwner's).
// Its question never depends on the owner: one whose owner goes is asked
// again.
CModalEnd ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);

// The caption of the add-in's message boxes (the shared error box has its
// own).
constexpr char kAddinMessageBoxCaption[] = "ZentavoSMS Outlook Add-in";

// The replaceable end of every message box, so that tests can answer them.
// A null sink (the default) means the real MessageBoxA.
using MessageBoxSinkFn = int (*)(HWND owner, const std::string& text, const std::string& caption, UINT style);
void SetMessageBoxSink(MessageBoxSinkFn sink);

// Who owns a box or dialog that its code shows without naming an owner:
// while the add-in handles a call of Outlook's, the Outlook window that the
// call acts for; null (the default, and outside such a call) for none. The
// source never throws.
using BoxOwnerSourceFn = HWND (*)();
void SetBoxOwnerSource(BoxOwnerSourceFn source);
// The source's choice, else the fallback: a live window, or null.
HWND ChooseBoxOwner(HWND fallback);
