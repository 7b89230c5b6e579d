#include "core/Modal.h"

#include <atomic>

namespace
{
std::atomic<MessageBoxSinkFn> s_MessageBoxSink{nullptr};
std::atomic<BoxOwnerSourceFn> s_BoxOwnerSource{nullptr};

// A window that has gone (an inspector a program closed) owns nothing: a
// box given it would fail at once, unseen.
HWND Live(HWND window)
{
    return window && ::IsWindow(window) ? window : nullptr;
}

// A quit ends every modal loop, which leaves it waiting for the loop that
// will end the program.
bool QuitWaiting()
{
    MSG message;
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}
} // namespace

void SetMessageBoxSink(MessageBoxSinkFn sink)
{
    s_MessageBoxSink.store(sink);
}

void SetBoxOwnerSource(BoxOwnerSourceFn source)
{
    s_BoxOwnerSource.store(source);
}

HWND ChooseBoxOwner(HWND fallback)
{
    const BoxOwnerSourceFn source = s_BoxOwnerSource.load();
    const HWND chosen = source ? Live(source()) : nullptr;
    return chosen ? chosen : Live(fallback);
}

CModalEnd ModalDetail::Run(HWND owner, IfOwnerGoes ifOwnerGoes, INT_PTR failed,
                           const std::function<INT_PTR(HWND)>& show)
{
    bool ownerGone = false;
    // Each round needs an owner that went, so the rounds end.
    for (;;)
    {
        const HWND shownBy = Live(owner) ? owner : ChooseBoxOwner(nullptr);
        const INT_PTR result = show(shownBy);
        if (QuitWaiting())
            return CModalEnd::NoAnswer(ownerGone);
        if (!shownBy || ::IsWindow(shownBy))
            return result == failed ? CModalEnd::NotShown() : CModalEnd::Answered(result, ownerGone);
        ownerGone = true;
        if (ifOwnerGoes == IfOwnerGoes::kNoAnswer)
            return CModalEnd::NoAnswer(true);
        owner = nullptr;
    }
}

CModalEnd ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    return ModalDetail::Run(owner, IfOwnerGoes::kAskAgain, 0, [&](HWND shownBy) -> INT_PTR {
        if (const MessageBoxSinkFn sink = s_MessageBoxSink.load())
            return sink(shownBy, text, caption, style);
        return ::MessageBoxA(shownBy, text.c_str(), caption.c_str(), style);
    });
}
