// Message tables: one short table per window class, one line per message,
// each line naming its handler's qualified name for error reports.
//
//   static CMessageTable<CMyDlg> GetMessageTable()
//   {
//       using Entry = CMessageEntry<CMyDlg>;
//       static const Entry entries[] = {
//           Entry::Message(WM_INITDIALOG, &CMyDlg::OnInitDialog, "CMyDlg::OnInitDialog"),
//           Entry::Command(IDOK, &CMyDlg::OnOK, "CMyDlg::OnOK"),
//           Entry::Chain(&CMixIn::ProcessMixInMessage, "CMixIn::ProcessMixInMessage"),
//       };
//       return entries;
//   }
//
// A handler returns its result and leaves `handled` true (as it comes in) or
// sets it false to let the message go on to the next matching line and, at
// the end, to the default handling. A chain line sees every message; the
// mix-in it calls clears `handled` for messages it does not take.
//
// No exception leaves the dispatch: one that escapes a handler goes to the
// window's exception hook (called inside the catch clause, with the line's
// name; the layer above installs one that reports it, and without one it is
// dropped) and the message counts as handled with the success result: TRUE
// for WM_INITDIALOG, else 0.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/Window.h"

constexpr UINT kAnyMessage = ~0u;
constexpr UINT kAnyControl = ~0u;
constexpr UINT kAnyCode = ~0u;

// Told of an exception that escaped the named handler; only valid inside the
// catch clause that calls it, so it may rethrow to tell the kinds apart. Must
// not throw.
using HandlerExceptionHook = void (*)(const char* handlerName) noexcept;

template <typename T>
struct CMessageEntry
{
    using Handler = LRESULT (T::*)(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    UINT message;
    UINT control;
    UINT code;
    Handler handler;
    const char* name;

    static constexpr CMessageEntry Message(UINT message, Handler handler, const char* name)
    {
        return {message, kAnyControl, kAnyCode, handler, name};
    }
    // WM_COMMAND from the control (menu item, accelerator), any code unless given.
    static constexpr CMessageEntry Command(UINT control, Handler handler, const char* name, UINT code = kAnyCode)
    {
        return {WM_COMMAND, control, code, handler, name};
    }
    static constexpr CMessageEntry Notify(UINT control, UINT code, Handler handler, const char* name)
    {
        return {WM_NOTIFY, control, code, handler, name};
    }
    static constexpr CMessageEntry Chain(Handler handler, const char* name)
    {
        return {kAnyMessage, kAnyControl, kAnyCode, handler, name};
    }

    bool Matches(UINT sent, WPARAM wParam, LPARAM lParam) const noexcept
    {
        if (message == kAnyMessage)
            return true;
        if (message != sent)
            return false;
        if (sent == WM_COMMAND)
            return Fits(control, LOWORD(wParam)) && Fits(code, HIWORD(wParam));
        if (sent == WM_NOTIFY)
        {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            return header && Fits(control, static_cast<UINT>(header->idFrom)) && Fits(code, header->code);
        }
        return true;
    }

private:
    static bool Fits(UINT wanted, UINT value) noexcept { return wanted == kAnyControl || wanted == value; }
};

template <typename T>
class CMessageTable
{
public:
    template <std::size_t N>
    CMessageTable(const CMessageEntry<T> (&entries)[N]) noexcept : m_pEntries(entries), m_Count(N)
    {
    }

    const CMessageEntry<T>* begin() const noexcept { return m_pEntries; }
    const CMessageEntry<T>* end() const noexcept { return m_pEntries + m_Count; }

private:
    const CMessageEntry<T>* m_pEntries;
    std::size_t m_Count;
};

// What dialogs and subclassed controls share: the window, the class's table
// behind one virtual call, and the exception hook.
class CMessageTarget : public CWindow
{
public:
    void SetHandlerExceptionHook(HandlerExceptionHook hook) noexcept { m_Hook = hook; }

protected:
    CMessageTarget() = default;
    virtual ~CMessageTarget() = default;
    CMessageTarget(const CMessageTarget&) = delete;
    CMessageTarget& operator=(const CMessageTarget&) = delete;

    // True when a line of the table handled the message, its result in result.
    virtual bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept = 0;

    HandlerExceptionHook m_Hook = nullptr;
};

// Runs the object's table for one message; true when a line handled it, with
// its result in `result`.
template <typename T>
bool DispatchMessageTable(T& object, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                          HandlerExceptionHook hook) noexcept
{
    for (const CMessageEntry<T>& entry : T::GetMessageTable())
    {
        if (!entry.Matches(message, wParam, lParam))
            continue;
        bool handled = true;
        try
        {
            result = (object.*entry.handler)(message, wParam, lParam, handled);
        }
        catch (...)
        {
            if (hook)
                hook(entry.name);
            result = message == WM_INITDIALOG ? TRUE : 0;
            handled = true;
        }
        if (handled)
            return true;
    }
    return false;
}
