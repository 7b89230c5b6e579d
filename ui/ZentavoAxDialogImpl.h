// The base of every dialog of the product: the dialog mechanics of
// platform/DialogImpl.h with the product's rules added.
//
// - Templates come from this module (the add-in's DLL, never Outlook's).
// - A handler that throws ends in the user-interface catch family: the error
//   box under the handler's qualified name from the message table, then the
//   message returns as on success (0, or TRUE from WM_INITDIALOG).
// - An open modeless or child window holds one lock on the module from the
//   moment it is bound to the object until its final message (or the
//   object's end, whichever comes first), so DllCanUnloadNow never unloads
//   code that a window still runs. A class that overrides OnFinalMessage
//   calls this one first or deletes itself.
#pragma once

#include <windows.h>

#include "core/ErrorReports.h"
#include "platform/ComModule.h"
#include "platform/DialogImpl.h"
#include "platform/ModuleInstance.h"

template <typename T>
class CZentavoAxDialogImpl : public CDialogImpl<T>
{
protected:
    CZentavoAxDialogImpl() noexcept : CDialogImpl<T>(GetThisModuleInstance())
    {
        this->SetHandlerExceptionHook(&ShowHandlerExceptionInErrorBox);
    }
    ~CZentavoAxDialogImpl() override { ReleaseModuleLock(); }

    void OnWindowOpened(bool modeless) noexcept override
    {
        if (modeless && !m_HoldsModuleLock)
        {
            GetComModule().Lock();
            m_HoldsModuleLock = true;
        }
    }
    void OnFinalMessage(HWND) noexcept override { ReleaseModuleLock(); }

private:
    void ReleaseModuleLock() noexcept
    {
        if (m_HoldsModuleLock)
        {
            m_HoldsModuleLock = false;
            GetComModule().Unlock();
        }
    }

    bool m_HoldsModuleLock = false;
};
