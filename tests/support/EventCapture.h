// Captures what product code sends to the event log and to message boxes,
// through the sinks of core/ErrorReports.h. One capture of each kind at a
// time; the sinks are removed again when the capture goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct CapturedEvent
{
    WORD type;
    std::string text;
    std::string source;
};

class CEventLogCapture
{
public:
    CEventLogCapture();
    ~CEventLogCapture();
    CEventLogCapture(const CEventLogCapture&) = delete;
    CEventLogCapture& operator=(const CEventLogCapture&) = delete;

    std::vector<CapturedEvent> Events() const;
    std::vector<std::string> Texts() const;
    // For events written by other threads: true once count events arrived.
    bool WaitForCount(size_t count, DWORD timeoutMs) const;
    // Called (on the writing thread) for every event after it is stored.
    void SetObserver(std::function<void(const CapturedEvent&)> observer);
};

struct CapturedMessageBox
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// Every box is a real one, as Windows shows it: while it is up its owner is
// disabled and the focus has left the control that held it; both come back
// when it ends. The capture answers it itself (a window driver on the thread
// leaves it alone) from inside the box's own modal loop.
class CMessageBoxCapture
{
public:
    // answer: what every captured box returns (IDOK by default).
    explicit CMessageBoxCapture(int answer = IDOK);
    ~CMessageBoxCapture();
    CMessageBoxCapture(const CMessageBoxCapture&) = delete;
    CMessageBoxCapture& operator=(const CMessageBoxCapture&) = delete;

    std::vector<CapturedMessageBox> Boxes() const;
    // The answers of the next boxes, in order; later boxes get the default.
    void QueueAnswers(const std::vector<int>& answers);
    // Runs inside each box from now on, in the box's own message loop, as
    // what arrives while it is up: after the box is recorded, its answer
    // taken and the box shown, before the answer is pressed. Boxes the
    // action shows come back here too. A box whose owner the action
    // destroys goes with it and returns 0; a box given a destroyed owner is
    // not shown (nor recorded) and returns 0.
    void WhileUp(std::function<void(const CapturedMessageBox& box)> action);
};
