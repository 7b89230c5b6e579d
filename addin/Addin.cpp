#include "addin/Addin.h"

#include "addin/Module.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "core/StringUtils.h"
#include "core/Win32Utils.h"
#include "platform/ComModule.h"
#include "platform/Registrar.h"
#include "resources/resource.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace
{
// A set-up tool that captures registration must not record the per-user
// Outlook key: under it the add-in key and event-log source are left out.
bool IsRunByRegCap()
{
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, std::min<DWORD>(length, MAX_PATH));
    std::transform(path.begin(), path.end(), path.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    const std::string name = "regcap.exe";
    if (path.size() < name.size() || path.compare(path.size() - name.size(), name.size(), name) != 0)
        return false;
    ShowMessageBox(nullptr,
                   "Being called during VS Installer (by RegCap Utility)\nWill hide Outlook Addin reg keys\nCalling "
                   "Process: " + path,
                   "Outlook Addin (CAddin::UpdateRegistry)", MB_OK);
    return true;
}
} // namespace

CAddin::CAddin() : m_Dispatch(IID_IRibbonCallback)
{
    CZentavoSMSOutlookPlugin::InitialiseEventLogSource();
}

CAddin::~CAddin() = default;

HRESULT CAddin::UpdateRegistry(bool doRegister)
{
    bool withOutlookKeys = !IsRunByRegCap();
    if (CWin32Utils::GetEnvironmentVariable("ZentavoSMSOLAddin_CreateOutlookAddinRegKeys") == "0")
        withOutlookKeys = false;
    const bool allUsers = CWin32Utils::GetEnvironmentVariable("ZentavoSMSOLAddin_InstallForAllUsers") == "1";

    CRegistrar registrar = ModuleRegistrar();
    registrar.AddReplacement(L"RootKeyOutlookAddin", allUsers ? L"HKLM" : L"HKCU");
    const HINSTANCE module = GetComModule().GetModuleInstance();
    const HRESULT hr = registrar.UpdateFromResource(module, IDR_ADDIN, kRegistryResourceType, doRegister);
    // Outlook's key needs rights that a per-user install may lack; its
    // failure is not the registration's.
    if (withOutlookKeys)
        registrar.UpdateFromResource(module, IDR_OUTLOOKADDIN, kRegistryResourceType, doRegister);
    return hr;
}

void* CAddin::GetInterface(REFIID iid)
{
    if (iid == IID_IDispatch || iid == IID_IRibbonCallback)
        return static_cast<IRibbonCallback*>(this);
    if (iid == IID_IAddin)
        return static_cast<IAddin*>(this);
    if (iid == IID__IDTExtensibility2)
        return static_cast<_IDTExtensibility2*>(this);
    if (iid == IID_IRibbonExtensibility)
        return static_cast<IRibbonExtensibility*>(this);
    return nullptr;
}

STDMETHODIMP CAddin::GetTypeInfoCount(UINT* count)
{
    return m_Dispatch.GetTypeInfoCount(count);
}

STDMETHODIMP CAddin::GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo)
{
    return m_Dispatch.GetTypeInfo(index, locale, typeInfo);
}

STDMETHODIMP CAddin::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    return m_Dispatch.GetIDsOfNames(names, count, ids);
}

STDMETHODIMP CAddin::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                            EXCEPINFO* exception, UINT* argumentError)
{
    return m_Dispatch.Invoke(static_cast<IRibbonCallback*>(this), id, flags, parameters, result, exception,
                             argumentError);
}

// The connection is made by the connection layer; until then the add-in
// accepts every call and does nothing.
STDMETHODIMP CAddin::OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SAFEARRAY**)
{
    return S_OK;
}

STDMETHODIMP CAddin::OnDisconnection(ext_DisconnectMode, SAFEARRAY**)
{
    return S_OK;
}

STDMETHODIMP CAddin::OnAddInsUpdate(SAFEARRAY**)
{
    return S_OK;
}

STDMETHODIMP CAddin::OnStartupComplete(SAFEARRAY**)
{
    return S_OK;
}

STDMETHODIMP CAddin::OnBeginShutdown(SAFEARRAY**)
{
    return S_OK;
}

// No ribbon of the add-in's own yet: Office keeps its own.
STDMETHODIMP CAddin::GetCustomUI(BSTR, BSTR* ribbonXml)
{
    if (!ribbonXml)
        return E_POINTER;
    *ribbonXml = nullptr;
    return S_OK;
}

STDMETHODIMP CAddin::AppointmentItem_RibbonLoaded(IDispatch*)
{
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_ButtonOnAction(IDispatch*)
{
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_CheckBoxOnAction(IDispatch*, LONG)
{
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_DropDownOnAction(IDispatch*, BSTR, LONG)
{
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_OnChange(IDispatch*, BSTR)
{
    return S_OK;
}

namespace
{
template <typename T>
HRESULT Answer(T* slot, T value)
{
    if (!slot)
        return E_POINTER;
    *slot = value;
    return S_OK;
}
} // namespace

STDMETHODIMP CAddin::Ribbon_GetLabel(IDispatch*, BSTR* label)
{
    return Answer<BSTR>(label, nullptr);
}

STDMETHODIMP CAddin::Ribbon_GetText(IDispatch*, BSTR* text)
{
    return Answer<BSTR>(text, nullptr);
}

STDMETHODIMP CAddin::Ribbon_GetPressed(IDispatch*, LONG* pressed)
{
    return Answer<LONG>(pressed, 0);
}

STDMETHODIMP CAddin::Ribbon_GetItemCount(IDispatch*, LONG* count)
{
    return Answer<LONG>(count, 0);
}

STDMETHODIMP CAddin::Ribbon_GetItemID(IDispatch*, LONG, BSTR* id)
{
    return Answer<BSTR>(id, nullptr);
}

STDMETHODIMP CAddin::Ribbon_GetItemLabel(IDispatch*, LONG, BSTR* label)
{
    return Answer<BSTR>(label, nullptr);
}

STDMETHODIMP CAddin::Ribbon_GetVisible(IDispatch*, LONG* visible)
{
    return Answer<LONG>(visible, 0);
}

STDMETHODIMP CAddin::OutlookExplorer_RibbonLoaded(IDispatch*)
{
    return S_OK;
}
