#include "platform/ComModule.h"

#include "platform/ComPtr.h"
#include "platform/ModuleInstance.h"

#include <new>

namespace
{
// Creates the objects of one map entry. Holds a module lock while it lives,
// as every COM object of the module does.
class CClassFactory final : public IClassFactory
{
public:
    explicit CClassFactory(const CObjectMapEntry& entry) : m_Entry(entry) { GetComModule().Lock(); }
    ~CClassFactory() { GetComModule().Unlock(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory)
        {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_RefCount)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG count = ::InterlockedDecrement(&m_RefCount);
        if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        return m_Entry.m_pCreateInstance(outer, iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            GetComModule().Lock();
        else
            GetComModule().Unlock();
        return S_OK;
    }

private:
    const CObjectMapEntry& m_Entry;
    volatile LONG m_RefCount = 1;
};
} // namespace

void CComModule::Init(const CObjectMapEntry* map, std::size_t count, HINSTANCE instance, const GUID* libraryId)
{
    m_pMap = map;
    m_Count = count;
    m_Instance = instance;
    m_pLibraryId = libraryId;
}

void CComModule::Term()
{
    m_pMap = nullptr;
    m_Count = 0;
}

LONG CComModule::Lock()
{
    return ::InterlockedIncrement(&m_LockCount);
}

LONG CComModule::Unlock()
{
    return ::InterlockedDecrement(&m_LockCount);
}

LONG CComModule::GetLockCount() const
{
    return m_LockCount;
}

HINSTANCE CComModule::GetModuleInstance() const
{
    return m_Instance ? m_Instance : GetThisModuleInstance();
}

std::wstring CComModule::GetModuleFileName() const
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(GetModuleInstance(), &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size())
        {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT CComModule::GetClassObject(REFCLSID classId, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (std::size_t i = 0; i < m_Count; ++i)
    {
        if (*m_pMap[i].m_pClassId != classId)
            continue;
        CClassFactory* factory = new (std::nothrow) CClassFactory(m_pMap[i]);
        if (!factory)
            return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::RegisterServer()
{
    for (std::size_t i = 0; i < m_Count; ++i)
    {
        const HRESULT hr = m_pMap[i].m_pUpdateRegistry(true);
        if (FAILED(hr))
            return hr;
    }
    return RegisterTypeLibrary();
}

HRESULT CComModule::UnregisterServer()
{
    HRESULT first = S_OK;
    for (std::size_t i = 0; i < m_Count; ++i)
    {
        const HRESULT hr = m_pMap[i].m_pUpdateRegistry(false);
        if (FAILED(hr) && SUCCEEDED(first))
            first = hr;
    }
    const HRESULT hr = UnregisterTypeLibrary();
    return SUCCEEDED(first) ? hr : first;
}

HRESULT CComModule::RegisterTypeLibrary()
{
    ITypeLib* library = nullptr;
    const HRESULT hr = ::LoadTypeLibEx(GetModuleFileName().c_str(), REGKIND_REGISTER, &library);
    if (library)
        library->Release();
    return hr;
}

HRESULT CComModule::UnregisterTypeLibrary()
{
    ITypeLib* library = nullptr;
    HRESULT hr = ::LoadTypeLibEx(GetModuleFileName().c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (SUCCEEDED(hr))
    {
        hr = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                 attributes->lcid, attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
    // A library that was never registered is already as it should be.
    return hr == TYPE_E_REGISTRYACCESS ? S_OK : hr;
}
