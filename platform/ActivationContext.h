// The activation context of a module's own manifest (resource RT_MANIFEST 2,
// the one a DLL names for its isolated windows), active on this thread for
// the life of the scope. Windows created inside it take their control
// classes from the assemblies the manifest names (common controls 6 for the
// add-in) instead of from whatever the host process activated.
//
// A module without that resource (a test executable may have none) gives no
// context and the thread's current one stays in force.
#pragma once

#include <windows.h>

#include "core/ScopedHandle.h"

class CModuleActivationScope
{
public:
    explicit CModuleActivationScope(HMODULE module) noexcept;

    CModuleActivationScope(const CModuleActivationScope&) = delete;
    CModuleActivationScope& operator=(const CModuleActivationScope&) = delete;

    bool IsActive() const noexcept { return static_cast<bool>(m_Cookie); }

private:
    // Deactivated (the cookie) before the context is released.
    CScopedActCtx m_Context;
    CScopedActCtxCookie m_Cookie;
};
