// The add-in object as Outlook gets it: from the module's class factory, with
// one reference owned by the caller. For executables that link the add-in.
#pragma once

#include "addin/Addin.h"
#include "addin/Module.h"

#include <windows.h>

template <typename Interface>
HRESULT CreateAddinObject(REFIID iid, Interface** object)
{
    IClassFactory* factory = nullptr;
    HRESULT hr = GetComModule().GetClassObject(CLSID_Addin, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object));
    factory->Release();
    return hr;
}
