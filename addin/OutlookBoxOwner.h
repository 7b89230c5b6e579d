// The owner of the add-in's boxes and dialogs while it handles one of
// Outlook's calls (an event of a sink, a ribbon callback, the connection):
// the Outlook window the call acts for, an inspector's window, else the
// active explorer's. Owned so, a box keeps the user from Outlook's windows
// behind it; programs and Outlook's own events still arrive during it.
// Outside such a call there is no choice, and a box belongs to whatever
// window its code names (the add-in's own windows name themselves).
//
//   COutlookBoxOwner::CScope scope(inspector);  // for the call's length
//   ShowMessageBox(nullptr, ...);               // owned by the inspector's window
//
// Outlook's Inspector and Explorer answer IOleWindow; a ribbon control acts
// for its Context. User-interface thread only.
#pragma once

#include "platform/ComPtr.h"

#include <windows.h>

class COutlookBoxOwner
{
public:
    // The application whose active explorer owns the boxes of a call that
    // acts for no inspector, from the connection to the disconnection
    // (null). Holds a counted reference. The connection (the add-in object)
    // names who set it: one add-in object may be released after the next
    // has connected to the same Application.
    static void SetApplication(const void* connection, IDispatch* application);
    // Lets go of the application when that connection set it.
    static void ForgetApplication(const void* connection);

    // A call of Outlook's under way, acting for the window of the object
    // (an inspector, an explorer, a ribbon control), or for the active
    // explorer's when it names none. Scopes nest: the innermost chooses.
    class CScope
    {
    public:
        explicit CScope(IDispatch* actsFor = nullptr);
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        friend class COutlookBoxOwner;
        IDispatchPtr m_ActsFor;
        CScope* m_pOuter;
    };

    // The window chosen now: the innermost scope's object's window, else the
    // active explorer's, each only while it is a live window; null outside
    // every scope or when no window answers.
    // Never throws.
    static HWND Window() noexcept;
};
