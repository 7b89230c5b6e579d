// The DLL's entry point and its four COM exports. Only the DLL target
// compiles this file; the rest of the module layer is in the addin library.
#include "addin/Module.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        std::size_t count = 0;
        const CObjectMapEntry* map = GetObjectMap(count);
        GetComModule().Init(map, count, instance, &LIBID_OUTLOOKADDINLib);
        ::DisableThreadLibraryCalls(instance);
    }
    else if (reason == DLL_PROCESS_DETACH)
        GetComModule().Term();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return CanUnloadModuleNow();
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object)
{
    return GetComModule().GetClassObject(classId, iid, object);
}

STDAPI DllRegisterServer()
{
    return GetComModule().RegisterServer();
}

STDAPI DllUnregisterServer()
{
    return GetComModule().UnregisterServer();
}
