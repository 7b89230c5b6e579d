#include "platform/ModuleInstance.h"

HINSTANCE GetThisModuleInstance()
{
    // The module that holds this function's code; the reference count is
    // left alone, so nothing needs releasing.
    static const HINSTANCE instance = [] {
        HMODULE module = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&GetThisModuleInstance), &module);
        return static_cast<HINSTANCE>(module);
    }();
    return instance;
}
