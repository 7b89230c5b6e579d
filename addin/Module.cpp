#include "addin/Module.h"

#include "addin/Addin.h"
#include "core/WorkerThread.h"
#include "platform/ComObject.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "ui/PropPage.h"

#include <string>

namespace
{
const CObjectMapEntry kObjectMap[] = {
    {&CLSID_Addin, &CAddin::UpdateRegistry, &CComObject<CAddin>::CreateInstance},
    {&CLSID_PropPage, &CPropPage::UpdateRegistry, &CComObject<CPropPage>::CreateInstance},
    {&CLSID_LitePage, &CLitePage::UpdateRegistry, &CComObject<CLitePage>::CreateInstance},
};

std::wstring QuotedForScript(const std::wstring& path)
{
    std::wstring quoted;
    for (wchar_t c : path)
    {
        quoted += c;
        if (c == L'\'')
            quoted += L'\'';
    }
    return quoted;
}
} // namespace

const CObjectMapEntry* GetObjectMap(std::size_t& count)
{
    count = sizeof(kObjectMap) / sizeof(kObjectMap[0]);
    return kObjectMap;
}

// The DLL's entry point initialises it again with its own instance; a test
// executable that links the add-in gets the same map without one.
CComModule& GetComModule()
{
    static CComModule module;
    static const bool initialised = [] {
        std::size_t count = 0;
        const CObjectMapEntry* map = GetObjectMap(count);
        module.Init(map, count, nullptr, &LIBID_OUTLOOKADDINLib);
        return true;
    }();
    (void)initialised;
    return module;
}

CRegistrar ModuleRegistrar()
{
    CRegistrar registrar;
    const std::wstring path = GetComModule().GetModuleFileName();
    registrar.AddReplacement(L"Module", QuotedForScript(path));
    registrar.AddReplacement(L"Module_Raw", path);
    return registrar;
}

HRESULT UpdateRegistryFromResource(UINT id, bool doRegister)
{
    return ModuleRegistrar().UpdateFromResource(GetComModule().GetModuleInstance(), id, kRegistryResourceType,
                                                doRegister);
}

HRESULT CanUnloadModuleNow()
{
    return GetComModule().GetLockCount() == 0 && ModuleThreadCount() == 0 ? S_OK : S_FALSE;
}
