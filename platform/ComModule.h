// The least of a COM in-process server's module layer: one module object
// with one lock count, an object map of the creatable classes, their class
// factories and the registration walk.
//
// The lock count is the only thing DllCanUnloadNow reads: every live COM
// object made by CComObject<T>, every LockServer(TRUE) and every open
// modeless window holds one lock, so the host never unloads code that still
// runs. Lock and Unlock may be called from any thread.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <cstddef>
#include <string>

// One creatable class: its class id, its registration routine and its
// instance creator (outer may be null; aggregation asks for IID_IUnknown).
struct CObjectMapEntry
{
    const CLSID* m_pClassId;
    HRESULT (*m_pUpdateRegistry)(bool doRegister);
    HRESULT (*m_pCreateInstance)(IUnknown* outer, REFIID iid, void** object);
};

class CComModule
{
public:
    // Records the object map (which must outlive the module), the instance
    // and the type library id; the map entries have no start-up of their own.
    void Init(const CObjectMapEntry* map, std::size_t count, HINSTANCE instance, const GUID* libraryId);
    void Term();

    LONG Lock();
    LONG Unlock();
    LONG GetLockCount() const;

    // The instance given to Init, else the module this code is linked into.
    HINSTANCE GetModuleInstance() const;
    // The full path of that module's file.
    std::wstring GetModuleFileName() const;
    const GUID* GetTypeLibraryId() const { return m_pLibraryId; }

    // A class factory of the entry with that class id;
    // CLASS_E_CLASSNOTAVAILABLE for any other.
    HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** object);

    // Each entry's registration routine in order, then the type library.
    // Register returns the first failure (and goes no further); unregister
    // goes through every step and returns the first failure.
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    HRESULT RegisterTypeLibrary();
    HRESULT UnregisterTypeLibrary();

private:
    const CObjectMapEntry* m_pMap = nullptr;
    std::size_t m_Count = 0;
    HINSTANCE m_Instance = nullptr;
    const GUID* m_pLibraryId = nullptr;
    volatile LONG m_LockCount = 0;
};

// The module object of this binary; the product defines it with its object
// map (one per DLL, one per test executable that links the add-in).
CComModule& GetComModule();
