#include "addin/Addin.h"

#include "addin/Module.h"
#include "addin/OutlookAddinFix.h"
#include "addin/OutlookBoxOwner.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/MAPIUtils.h"
#include "contacts/SMSContact.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "ui/ContactSelectorDlg.h"
#include "ui/UserMobileNumberPromptDlg.h"
#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/TraceLogging.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
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

namespace
{
// Outlook's default folders and Office's command-bar values.
const long kFolderCalendar = 9;
const long kFolderDeletedItems = 3;
const long kBarPositionTop = 1;
const long kControlButton = 1;
const long kButtonIconAndCaption = 3;

// Event dispatch ids of the add-in's own sinks.
const DISPID kNewExplorer = 0xF001;
const DISPID kExplorerActivate = 0xF001;
const DISPID kExplorerBeforeFolderSwitch = 0xF003;
const DISPID kExplorerSelectionChange = 0xF007;
const DISPID kOptionsPagesAdd = 0xF005;
const DISPID kClick = 1;
const DISPID kItemContextMenuDisplay = 0xFB41;
const DISPID kNewInspector = 0xF001;

// The interface the object answers, or empty for E_NOINTERFACE; any other
// failure of the query is raised.
IDispatchPtr QueryOrEmpty(IUnknown* object, const IID& iid)
{
    IDispatchPtr result;
    if (!object)
        return result;
    IDispatch* answered = nullptr;
    const HRESULT hr = object->QueryInterface(iid, reinterpret_cast<void**>(&answered));
    if (hr == E_NOINTERFACE)
        return result;
    if (FAILED(hr))
        _com_issue_error(hr);
    result.Attach(answered);
    return result;
}

// 26 for an appointment, 0 for an item that is not one.
int ItemClassOf(IDispatch* item)
{
    const IDispatchPtr appointment = AsAppointment(item);
    return appointment ? static_cast<int>(static_cast<long>(Dispatch::Get(appointment, L"Class"))) : 0;
}

IDispatchPtr Required(const IDispatchPtr& object, const char* failureText)
{
    if (!object)
        ThrowCOMError(E_FAIL, _bstr_t(failureText));
    return object;
}


// Advises unless advised already (a retried set-up skips what it did).
void AdviseOnce(CDispEventSink& sink, IDispatch* source, const char* failureText)
{
    if (sink.IsAdvised())
        return;
    const HRESULT hr = sink.Advise(source);
    if (FAILED(hr))
        CAddin::ThrowCOMErrorWithContext(hr, failureText);
}

void UnadviseOrThrow(CDispEventSink& sink, IDispatch* source, const char* failureText)
{
    const HRESULT hr = sink.Unadvise(source);
    if (FAILED(hr))
        CAddin::ThrowCOMErrorWithContext(hr, failureText);
}

struct ButtonFace
{
    long faceId;
    const wchar_t* caption;
    const wchar_t* tooltip;
    const wchar_t* tag;
};

void SetButtonProperties(IDispatch* button, const ButtonFace& face)
{
    Dispatch::Put(button, L"FaceId", face.faceId);
    Dispatch::Put(button, L"Style", kButtonIconAndCaption);
    Dispatch::Put(button, L"Visible", true);
    Dispatch::Put(button, L"Caption", face.caption);
    Dispatch::Put(button, L"Enabled", true);
    Dispatch::Put(button, L"TooltipText", face.tooltip);
    Dispatch::Put(button, L"Tag", face.tag);
}

// An event of one of the add-in's own sinks: its boxes belong to the active
// explorer's window unless the handler names an inspector.
CDispEventSink::Handler InOutlookCall(CDispEventSink::Handler handler)
{
    return [handler](CEventArguments& arguments) {
        const COutlookBoxOwner::CScope scope;
        handler(arguments);
    };
}
} // namespace

// One of Outlook's calls through the add-in's interfaces: the object lives
// until the call returns, whatever Outlook releases inside a box of the call
// (the user unticking the add-in), and the call's boxes belong to the window
// it acts for.
class CAddin::CCallFrame
{
public:
    explicit CCallFrame(CAddin& addin, IDispatch* actsFor = nullptr)
        : m_Self(static_cast<IAddin*>(&addin)), m_Scope(actsFor)
    {
    }

private:
    const IUnknownPtr m_Self;
    const COutlookBoxOwner::CScope m_Scope;
};

CAddin::CAddin()
    : m_CommandButton1Events(DIID__CommandBarButtonEvents), m_CommandButton2Events(DIID__CommandBarButtonEvents),
      m_CommandButton3Events(DIID__CommandBarButtonEvents), m_CommandButton4Events(DIID__CommandBarButtonEvents),
      m_CommandButton5Events(DIID__CommandBarButtonEvents), m_AppEvents(DIID_ApplicationEvents),
      m_ExpsEvents(DIID_ExplorersEvents), m_ExpEvents(DIID_ExplorerEvents), m_AppEvents11(DIID_ApplicationEvents_11),
      m_InspEvents(DIID_InspectorsEvents), m_Dispatch(IID_IRibbonCallback)
{
    m_ExpsEvents.On(kNewExplorer,
                    InOutlookCall([this](CEventArguments& arguments) { OnNewExplorer(arguments.Dispatch(0)); }));
    m_ExpEvents.On(kExplorerActivate, InOutlookCall([this](CEventArguments&) { OnExplorerActivate(); }));
    m_ExpEvents.On(kExplorerSelectionChange, InOutlookCall([this](CEventArguments&) { OnExplorerSelectionChange(); }));
    m_ExpEvents.On(kExplorerBeforeFolderSwitch, InOutlookCall([this](CEventArguments& arguments) {
        OnExplorerBeforeFolderSwitch(arguments.Dispatch(0), arguments.Bool(1));
    }));
    // The buttons' clicks: command bar (1, 2) and the legacy context menu (3-5).
    m_CommandButton1Events.On(kClick,
                              InOutlookCall([this](CEventArguments&) { Callback_ItemExtender_ShowSendSMSWindow(); }));
    m_CommandButton2Events.On(
        kClick, InOutlookCall([this](CEventArguments&) { Callback_ItemExtender_ReplyViaSMSForSelectedItem(); }));
    m_CommandButton3Events.On(
        kClick, InOutlookCall([this](CEventArguments&) { Callback_ItemExtender_SendSMSToSelectedContact(); }));
    m_CommandButton4Events.On(
        kClick, InOutlookCall([this](CEventArguments&) { Callback_ItemExtender_ReplyViaSMSForSelectedItem(); }));
    m_CommandButton5Events.On(
        kClick, InOutlookCall([this](CEventArguments&) { Callback_ItemExtender_ForwardSelectedContactViaSMS(); }));
    m_AppEvents.On(kOptionsPagesAdd,
                   InOutlookCall([this](CEventArguments& arguments) { OnOptionsAddPages(arguments.Dispatch(0)); }));
    m_AppEvents11.On(kItemContextMenuDisplay, InOutlookCall([this](CEventArguments& arguments) {
        OnItemContextMenuDisplay(arguments.Dispatch(0), arguments.Dispatch(1));
    }));
    m_InspEvents.On(kNewInspector, InOutlookCall([this](CEventArguments& arguments) {
        OnInspectorsNewInspector(arguments.Dispatch(0));
    }));
    // Each event keeps this object alive until its handler returns.
    IUnknown* const self = static_cast<IAddin*>(this);
    for (CDispEventSink* sink : {&m_CommandButton1Events, &m_CommandButton2Events, &m_CommandButton3Events,
                                 &m_CommandButton4Events, &m_CommandButton5Events, &m_AppEvents, &m_ExpsEvents,
                                 &m_ExpEvents, &m_AppEvents11, &m_InspEvents})
        sink->SetOwner(self);
    m_ExtenderHost.GetSMSReminderExtender().SetEventOwner(self);
    CZentavoSMSOutlookPlugin::InitialiseEventLogSource();
    m_ExtenderHost.SetDependantServicesProvider(this);
}

// An object released without a disconnection (or after one that failed
// part-way) still leaves nothing connected to Outlook and nothing running
// that a later add-in object in the process would find started; the
// plug-in core must not keep the address of this object's version record.
CAddin::~CAddin()
{
    COutlookBoxOwner::ForgetApplication(this);
    CloseRemainingSinks();
    DeleteCommandBar();
    if (m_bPluginInitialised || m_bMAPIInitialised || m_bAddinFixInitialised)
        StopWhatConnectionStarted();
    if (CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.GetOutlookVersionCapabilites() == &m_OutlookVersionCapabilites)
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetOutlookVersionCapabilites(nullptr);
}

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
    if (iid == IID_ISupportErrorInfo)
        return static_cast<ISupportErrorInfo*>(this);
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
    const CCallFrame frame(*this);
    return m_Dispatch.Invoke(static_cast<IRibbonCallback*>(this), id, flags, parameters, result, exception,
                             argumentError);
}

void CAddin::ThrowCOMErrorWithContext(HRESULT hr, const std::string& context)
{
    std::string description;
    IErrorInfoPtr pending;
    if (::GetErrorInfo(0, &pending) == S_OK && pending)
    {
        BSTR text = nullptr;
        if (SUCCEEDED(pending->GetDescription(&text)) && text)
            description = static_cast<const char*>(_bstr_t(text, false));
    }
    if (description.empty())
        description = "Error description was not available";
    ThrowCOMError(hr, _bstr_t((context + " - " + description).c_str()));
}

STDMETHODIMP CAddin::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == IID_IAddin ? S_OK : S_FALSE;
}

// A second connection without a disconnection between is refused and
// changes nothing: it would leave the first one's bar and buttons advised
// with nobody to undo them.
STDMETHODIMP CAddin::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**)
{
    if (m_bConnected)
        return E_UNEXPECTED;
    const CCallFrame frame(*this);
    m_bConnected = true;
    const unsigned connection = ++m_Connection;
    FreeRetiredHandlers();
    // A new connection builds its own bar and buttons.
    m_spCommandBar = nullptr;
    m_spSendSMSButton = nullptr;
    m_spReplyViaSMSButton = nullptr;
    RunInErrorFrame("CAddin::OnConnection", [&](std::string& step) {
        step = "Getting Outlook application";
        m_spApp = Required(QueryOrEmpty(application, IID__Application), "Could not get Outlook application");
        COutlookBoxOwner::SetApplication(this, m_spApp);
        m_OutlookVersionCapabilites.Parse(NarrowString(Dispatch::GetText(m_spApp, L"Version")));
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetOutlookVersionCapabilites(&m_OutlookVersionCapabilites);

        step = "Getting Active Explore";
        const IDispatchPtr explorer = Dispatch::CallPtr(m_spApp, L"ActiveExplorer");
        if (explorer)
        {
            SetupCustomControls(explorer);
            // Its boxes let the user untick the add-in meanwhile.
            if (!IsConnection(connection))
                return;
        }
        else
        {
            m_spExplorers = Dispatch::GetPtr(m_spApp, L"Explorers");
            AdviseOnce(m_ExpsEvents, m_spExplorers,
                       "ExpsEvents::DispEventAdvise((IDispatch*)m_spExplorers,&__uuidof(Outlook::ExplorersEvents))");
        }

        step = "Getting MAPI Namespace";
        const IDispatchPtr nameSpace = Dispatch::CallPtr(m_spApp, L"GetNamespace", L"MAPI");
        COutlookFolderVector folders;
        step = "Getting Default Calendar Folder";
        const IDispatchPtr calendar = Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", kFolderCalendar);
        step = "Recursing Calendar Subfolders";
        CMicrosoftOutlookObjectModelUtils::AddFolderAndSubFolders(calendar, folders);
        try
        {
            CMicrosoftOutlookObjectModelUtils::GetNavigationPaneCalendarFolders(m_spApp, folders, true);
        }
        catch (...)
        {
            // The navigation pane only adds to the calendars already found.
        }
        step = "Getting DeletedItems Folder";
        folders.push_back(Dispatch::CallPtr(nameSpace, L"GetDefaultFolder", kFolderDeletedItems));

        step = "Connecting to Calendar Folder Events";
        for (const IDispatchPtr& folder : folders)
            WatchFolder(folder);
    });
    return S_OK;
}

// A folder whose handlers cannot be advised is simply not watched.
void CAddin::WatchFolder(IDispatch* folder)
{
    IUnknown* const self = static_cast<IAddin*>(this);
    auto folderHandler = std::make_unique<COutlookAddin_MAPIFolderEventHandler>();
    folderHandler->SetTarget(this);
    folderHandler->SetOwner(self);
    if (SUCCEEDED(folderHandler->Advise(folder)))
        m_MAPIFolderEventHandlers.push_back(std::move(folderHandler));

    auto itemsHandler = std::make_unique<COutlookAddin_ItemsEventHandlerT>();
    itemsHandler->SetTarget(this);
    itemsHandler->SetOwner(self);
    const IDispatchPtr items = Dispatch::GetPtr(folder, L"Items");
    if (SUCCEEDED(itemsHandler->Advise(items)))
        m_ItemsEventHandlers.push_back(std::move(itemsHandler));
}

void CAddin::SetupCustomControls(IDispatch* explorer)
{
    const unsigned connection = m_Connection;
    RunInErrorFrame("CAddin::SetupCustomControls", [&](std::string& step) {
        if (!m_spCommandBar)
        {
            step = "Getting Command Bars";
            const IDispatchPtr bars = Required(Dispatch::GetPtr(explorer, L"CommandBars"), "Could not get Command Bars");
            step = "Adding new Command Bar";
            m_spCommandBar = Required(Dispatch::CallPtr(bars, L"Add", L"ZentavoSMS", kBarPositionTop, Dispatch::Missing(), true),
                                      "Could not add new Command Bar");
        }
        step = "Getting Command Bar Controls";
        const IDispatchPtr controls =
            Required(Dispatch::GetPtr(m_spCommandBar, L"Controls"), "Could not get Command Bar Controls");
        struct Button
        {
            IDispatchPtr& member;
            const char* addStep;
            ButtonFace face;
        };
        Button buttons[] = {
            {m_spSendSMSButton, "Send SMS Button", {363, L"Send SMS", L"Send an SMS Message", L"Send SMS Message"}},
            {m_spReplyViaSMSButton, "Reply Via SMS Button",
             {354, L"Reply Via SMS", L"Send an SMS Reply Message", L"Reply Via SMS"}},
        };
        for (Button& button : buttons)
        {
            if (button.member)
                continue;
            const std::string name = button.addStep;
            step = "Adding " + name + " (1)";
            const IDispatchPtr control =
                Required(Dispatch::CallPtr(controls, L"Add", kControlButton, Dispatch::Missing(), Dispatch::Missing(),
                                           Dispatch::Missing(), true),
                         ("Could not Add " + name + " (1)").c_str());
            step = "Adding " + name + " (2)";
            button.member = Required(QueryOrEmpty(control, IID__CommandBarButton), ("Could not Add " + name + " (2)").c_str());
        }
        SetButtonProperties(m_spSendSMSButton, buttons[0].face);
        SetButtonProperties(m_spReplyViaSMSButton, buttons[1].face);
        Dispatch::Put(m_spCommandBar, L"Visible", true);

        step = "Registring Command Button Events";
        AdviseOnce(m_CommandButton1Events, m_spSendSMSButton,
                   "CommandButton1Events::DispEventAdvise((IDispatch*)m_spSendSMSButton)");
        AdviseOnce(m_CommandButton2Events, m_spReplyViaSMSButton,
                   "CommandButton2Events::DispEventAdvise((IDispatch*)m_spReplyViaSMSButton)");
        step = "Registring Application Events";
        AdviseOnce(m_AppEvents, m_spApp, "AppEvents::DispEventAdvise((IDispatch*)m_spApp,&__uuidof(Outlook::ApplicationEvents))");
        step = "Registring Application Events (Ver11)";
        if (!m_AppEvents11.IsAdvised())
            m_AppEvents11.Advise(m_spApp);  // older Outlooks have no such events

        if (!m_bMAPIInitialised)
        {
            step = "Initialising MAPI";
            // A refused start is not ended: the count is shared with Outlook's.
            m_bMAPIInitialised = CMAPIUtils::InitialiseMAPI();
        }
        if (!m_bAddinFixInitialised)
        {
            step = "Intitalising Addin Helper";
            COutlookAddinFix::Initialise();
            m_bAddinFixInitialised = true;
        }
        if (!m_bPluginInitialised)
        {
            step = "Intitalising ZentavoSMS Outlook Plugin";
            // Started before its error box, in which a disconnection stops it.
            m_bPluginInitialised = true;
            CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.Initialise();
            if (!IsConnection(connection))
                return;
        }
        step = "Registring Navigators Events";
        if (!m_spInspectors)
            m_spInspectors = Dispatch::GetPtr(m_spApp, L"Inspectors");
        AdviseOnce(m_InspEvents, m_spInspectors,
                   "InspEvents::DispEventAdvise((IDispatch*)m_spInspectors,&__uuidof(Outlook::InspectorsEvents))");
        step = "Exit";
        m_bCustomControlsSetup = true;
    });
}

STDMETHODIMP CAddin::OnDisconnection(ext_DisconnectMode, SAFEARRAY**)
{
    const CCallFrame frame(*this);
    // Each step is reported on its own and runs whatever an earlier one
    // did: one failing detach must not leave the others connected.
    const char* const function = "CAddin::OnDisconnection";
    if (m_spExplorers)
        RunInErrorFrame(function, [&](std::string& step) {
            step = "Detaching Explorers Events";
            const IDispatchPtr explorers = m_spExplorers;
            m_spExplorers = nullptr;
            UnadviseOrThrow(m_ExpsEvents, explorers, "ExpsEvents::DispEventUnadvise((IDispatch*)m_spExplorers)");
        });
    if (m_spInspectors)
        RunInErrorFrame(function, [&](std::string& step) {
            step = "Detaching Inspectors Events";
            const IDispatchPtr inspectors = m_spInspectors;
            m_spInspectors = nullptr;
            UnadviseOrThrow(m_InspEvents, inspectors, "InspEvents::DispEventUnadvise((IDispatch*)m_spInspectors)");
        });
    if (m_bCustomControlsSetup)
    {
        RunInErrorFrame(function, [&](std::string& step) {
            step = "Detaching Control Events";
            UnadviseOrThrow(m_CommandButton1Events, m_spSendSMSButton,
                            "CommandButton1Events::DispEventUnadvise((IDispatch*)m_spSendSMSButton)");
        });
        RunInErrorFrame(function, [&](std::string& step) {
            step = "Detaching Control Events";
            UnadviseOrThrow(m_CommandButton2Events, m_spReplyViaSMSButton,
                            "CommandButton2Events::DispEventUnadvise((IDispatch*)m_spReplyViaSMSButton)");
        });
        RunInErrorFrame(function, [&](std::string& step) {
            step = "Detaching Application Events";
            UnadviseOrThrow(m_AppEvents, m_spApp, "AppEvents::DispEventUnadvise((IDispatch*)m_spApp)");
            if (m_AppEvents11.IsAdvised())
                m_AppEvents11.Unadvise(m_spApp);
        });
    }
    RunInErrorFrame(function, [&](std::string& step) {
        step = "Detaching Folder Events";
        UnadviseHandlers(m_MAPIFolderEventHandlers);
    });
    RunInErrorFrame(function, [&](std::string& step) {
        step = "Detaching Items Events";
        UnadviseHandlers(m_ItemsEventHandlers);
    });
    // Whatever failed above, nothing may stay connected to Outlook once the
    // add-in is gone.
    CloseRemainingSinks();
    DeleteCommandBar();
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetOutlookVersionCapabilites(nullptr);
    StopWhatConnectionStarted();
    COutlookBoxOwner::ForgetApplication(this);
    m_bCustomControlsSetup = false;
    m_bConnected = false;
    return S_OK;
}

// The bar is temporary, yet Outlook drops it only when it closes: left after
// the user unticks the add-in, it would stay with nobody listening, and the
// next connection would add a second one. A bar that can no longer be
// deleted (its explorer already closed at shutdown) goes with Outlook.
void CAddin::DeleteCommandBar()
{
    const IDispatchPtr bar = m_spCommandBar;
    m_spCommandBar = nullptr;
    m_spSendSMSButton = nullptr;
    m_spReplyViaSMSButton = nullptr;
    if (!bar)
        return;
    try
    {
        Dispatch::Call(bar, L"Delete");
    }
    catch (...)
    {
    }
}

// Only what this connection started is stopped: saving preferences that
// were never loaded would fail, and MAPI's start and end must pair.
void CAddin::StopWhatConnectionStarted()
{
    RunInErrorFrame("CAddin::OnDisconnection", [&](std::string& step) {
        step = "Calling CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.Uninitialise";
        if (m_bPluginInitialised)
        {
            m_bPluginInitialised = false;
            CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.Uninitialise();
        }
        step = "Calling CMAPIUtils::MAPIUninitialize";
        if (m_bMAPIInitialised)
        {
            m_bMAPIInitialised = false;
            CMAPIUtils::UninitialiseMAPI();
        }
        step = "Calling COutlookAddinFix::Uninitialise";
        if (m_bAddinFixInitialised)
        {
            m_bAddinFixInitialised = false;
            COutlookAddinFix::Uninitialise();
        }
        step = "Completed";
    });
}

// Every handler goes, even after one that cannot be unadvised.
template <typename Handlers>
void CAddin::UnadviseHandlers(Handlers& handlers)
{
    HRESULT failure = S_OK;
    for (auto& handler : handlers)
    {
        const HRESULT hr = handler->Unadvise();
        if (FAILED(hr) && SUCCEEDED(failure))
            failure = hr;
    }
    RetireHandlers(handlers);
    if (FAILED(failure))
        ThrowCOMErrorWithContext(failure, "(*Iter)->Unadvise()");
}

// The disconnection may come from inside one of these handlers' events (a
// box of the reminder's save, whose loop runs the user's unticking).
template <typename Handlers>
void CAddin::RetireHandlers(Handlers& handlers)
{
    for (auto& handler : handlers)
        if (handler->IsInUse())
            m_RetiredHandlers.push_back(std::move(handler));
    handlers.clear();
}

void CAddin::FreeRetiredHandlers()
{
    m_RetiredHandlers.erase(std::remove_if(m_RetiredHandlers.begin(), m_RetiredHandlers.end(),
                                           [](const std::unique_ptr<COutlookAddin_EventHandlerBase>& handler) {
                                               return !handler->IsInUse();
                                           }),
                            m_RetiredHandlers.end());
}

// The sinks that the steps above leave: an explorer still awaited, the last
// context-menu buttons, anything a failed step did not reach, and all of
// them when the object goes without a disconnection.
void CAddin::CloseRemainingSinks()
{
    struct Open
    {
        CDispEventSink& sink;
        IDispatch* source;
    };
    const Open sinks[] = {
        {m_CommandButton1Events, m_spSendSMSButton},
        {m_CommandButton2Events, m_spReplyViaSMSButton},
        {m_CommandButton3Events, m_spContextMenuButton_SendSMSToContact},
        {m_CommandButton4Events, m_spContextMenuButton_ReplyViaSMS},
        {m_CommandButton5Events, m_spContextMenuButton_ForwardViaSMSMessage},
        {m_AppEvents, m_spApp},
        {m_AppEvents11, m_spApp},
        {m_ExpsEvents, m_spExplorers},
        {m_ExpEvents, m_spExplorer},
        {m_InspEvents, m_spInspectors},
    };
    for (const Open& open : sinks)
        if (open.sink.IsAdvised())
            open.sink.Unadvise(open.source);
    m_spExplorers = nullptr;
    m_spExplorer = nullptr;
    m_spInspectors = nullptr;
    for (auto& handler : m_MAPIFolderEventHandlers)
        handler->Unadvise();
    RetireHandlers(m_MAPIFolderEventHandlers);
    for (auto& handler : m_ItemsEventHandlers)
        handler->Unadvise();
    RetireHandlers(m_ItemsEventHandlers);
    // The reminder's open appointments: their item and inspector events.
    m_ExtenderHost.GetSMSReminderExtender().CloseInspectorContexts();
}

void CAddin::OnNewExplorer(IDispatch* explorer)
{
    RunInErrorFrame("CAddin::OnNewExplorer", [&](std::string&) {
        const char adviseText[] =
            "ExpEvents::DispEventAdvise((IDispatch *)m_spExplorer,&__uuidof(Outlook::ExplorerEvents))";
        // An earlier explorer that has had no event yet is still listened
        // to: the advise fails, and that explorer stays the one held, so
        // that its connection is the one undone later.
        if (m_ExpEvents.IsAdvised())
            ThrowCOMErrorWithContext(E_FAIL, adviseText);
        m_spExplorer = QueryOrEmpty(explorer, IID__Explorer);
        AdviseOnce(m_ExpEvents, m_spExplorer, adviseText);
    });
}

void CAddin::OnExplorerActivate()
{
    RunInErrorFrame("CAddin::OnExplorerActivate", [&](std::string&) { OnExplorerAvailable(); });
}

void CAddin::OnExplorerSelectionChange()
{
    RunInErrorFrame("CAddin::OnExplorerSelectionChange", [&](std::string&) { OnExplorerAvailable(); });
}

void CAddin::OnExplorerBeforeFolderSwitch(IDispatch*, bool)
{
    RunInErrorFrame("CAddin::OnExplorerBeforeFolderSwitch", [&](std::string&) { OnExplorerAvailable(); });
}

void CAddin::OnExplorerAvailable()
{
    try
    {
        if (!m_bCustomControlsSetup)
            SetupCustomControls(m_spExplorer);
        if (m_bCustomControlsSetup && m_spExplorer)
        {
            const HRESULT hr = m_ExpEvents.Unadvise(m_spExplorer);
            m_spExplorer = nullptr;
            if (FAILED(hr) && g_pTraceLogger)
                g_pTraceLogger->Trace(3, L"OnExplorerAvailable", L"CAddin::OnExplorerAvailable",
                                      L"ExpEvents::DispEventUnadvise failed (ERR: " +
                                          std::to_wstring(static_cast<long>(hr)));
        }
    }
    catch (...)
    {
    }
}

COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList CAddin::ExtendersForItem(IDispatch* item)
{
    COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList extenders;
    return m_ExtenderHost.GetExtendersForItemClass(ItemClassOf(item), extenders);
}

void CAddin::OnInspectorsNewInspector(IDispatch* inspector)
{
    const COutlookBoxOwner::CScope scope(inspector);
    RunInErrorFrame("CAddin::OnInspectorsNewInspector", [&](std::string& step) {
        step = "Getting Inspector";
        const IDispatchPtr spInspector = QueryOrEmpty(inspector, IID__Inspector);
        step = "Getting CurrentItem";
        const IDispatchPtr item = Dispatch::GetPtr(spInspector, L"CurrentItem");
        step = "Getting Class";
        const int itemClass = ItemClassOf(item);
        step = "Calling GetItemExtendersForItemType";
        COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList extenders;
        m_ExtenderHost.GetExtendersForItemClass(itemClass, extenders);
        step = "Call ItemExtender.OnNewInspector";
        for (IOutlookAddin_ItemExtender* extender : extenders)
            extender->OnNewInspector(spInspector);
    });
}

// An extender that sets Cancel stops the move; the add-in itself neither
// reads nor resets it.
void CAddin::OnMAPIFolderBeforeItemMove(COutlookAddin_MAPIFolderEventHandler*, IDispatch* item, IDispatch* moveTo,
                                        VARIANT_BOOL* cancel)
{
    const COutlookBoxOwner::CScope scope;
    RunInErrorFrame("CAddin::OnMAPIFolderBeforeItemMove", [&](std::string&) {
        for (IOutlookAddin_ItemExtender* extender : ExtendersForItem(item))
            extender->OnMAPIFolderBeforeItemMove(item, moveTo, cancel);
    });
}

void CAddin::OnItemAdd(COutlookAddin_ItemsEventHandlerT*, IDispatch* item)
{
    const COutlookBoxOwner::CScope scope;
    RunInErrorFrame("CAddin::OnItemAdd", [&](std::string&) {
        for (IOutlookAddin_ItemExtender* extender : ExtendersForItem(item))
            extender->OnItemAdd(item);
    });
}

void CAddin::OnItemChange(COutlookAddin_ItemsEventHandlerT*, IDispatch* item)
{
    const COutlookBoxOwner::CScope scope;
    RunInErrorFrame("CAddin::OnItemChange", [&](std::string&) {
        for (IOutlookAddin_ItemExtender* extender : ExtendersForItem(item))
            extender->OnItemChange(item);
    });
}

// Outlook does not say which item went.
void CAddin::OnItemRemove(COutlookAddin_ItemsEventHandlerT*)
{
    const COutlookBoxOwner::CScope scope;
    RunInErrorFrame("CAddin::OnItemRemove", [](std::string&) {});
}

void CAddin::OnOptionsAddPages(IDispatch* pages)
{
    try
    {
        CConfigZentavoSMSOutlookAddin_Config& config = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config;
        const std::string pagePolicy = config.GetUIOptionsPropertyPage();
        bool addPage = pagePolicy == "Enabled";
        if (pagePolicy.empty())
        {
            const std::string buttonPolicy = config.GetUIOptionsButton();
            addPage = buttonPolicy == "Enabled" || buttonPolicy.empty();
        }
        if (!addPage)
            return;
        const IDispatchPtr propertyPages = QueryOrEmpty(pages, IID_PropertyPages);
        try
        {
            Dispatch::Call(propertyPages, L"Add", L"OutlookAddin.PropPage", L"ZentavoSMS");
        }
        catch (const _com_error& e)
        {
            ThrowCOMErrorWithContext(e.Error(), "spPages->Add((_variant_t)varProgId,(_bstr_t)bstrTitle)");
        }
    }
    catch (...)
    {
        ReportCurrentException("CAddin::OnOptionsAddPages");
    }
}

void CAddin::AddContextMenuButton(IDispatch* commandBar, IDispatchPtr& member, CDispEventSink& sink,
                                  const wchar_t* caption, long faceId, const std::string& name,
                                  const char* adviseFailure, std::string& step)
{
    if (member && sink.IsAdvised())
        sink.Unadvise(member);
    step = "Creating Command Button - " + name;
    const IDispatchPtr controls = Dispatch::GetPtr(commandBar, L"Controls");
    member = QueryOrEmpty(Dispatch::CallPtr(controls, L"Add", kControlButton), IID__CommandBarButton);
    Dispatch::Put(member, L"Caption", caption);
    Dispatch::Put(member, L"FaceId", faceId);
    Dispatch::Put(member, L"Style", kButtonIconAndCaption);
    Dispatch::Put(member, L"Enabled", true);
    step = "Registring Command Button Event - " + name;
    AdviseOnce(sink, member, adviseFailure);
}

// Outlook's legacy item context menu; with the explorer ribbon loaded its own
// context menus serve instead.
void CAddin::OnItemContextMenuDisplay(IDispatch* commandBar, IDispatch* selection)
{
    if (m_bExplorerRibbonRequested)
        return;
    RunInErrorFrame("CAddin::OnItemContextMenuDisplay", [&](std::string& step) {
        const IDispatchPtr items = QueryOrEmpty(selection, IID_Selection);
        step = "Checking Item Types";
        bool hasMail = false;
        bool hasContact = false;
        const long count = static_cast<long>(Dispatch::Get(items, L"Count"));
        for (long i = 1; i <= count && !(hasMail && hasContact); ++i)
        {
            const IDispatchPtr item = Dispatch::CallPtr(items, L"Item", i);
            hasMail = hasMail || QueryOrEmpty(item, IID__MailItem);
            hasContact = hasContact || QueryOrEmpty(item, IID__ContactItem);
        }
        step = "Getting CommandBar smart pointer";
        const IDispatchPtr bar = QueryOrEmpty(commandBar, IID_CommandBar);
        if (hasContact)
        {
            AddContextMenuButton(bar, m_spContextMenuButton_SendSMSToContact, m_CommandButton3Events,
                                 L"Send SMS to Contact", 363, "Send SMS to Contact",
                                 "CommandButton3Events::DispEventAdvise((IDispatch*)m_spContextMenuButton_SendSMSToContact)",
                                 step);
            AddContextMenuButton(
                bar, m_spContextMenuButton_ForwardViaSMSMessage, m_CommandButton5Events, L"Forward via SMS Message", 356,
                "Forward via SMS Message",
                "CommandButton5Events::DispEventAdvise((IDispatch*)m_spContextMenuButton_ForwardViaSMSMessage)", step);
        }
        if (hasMail)
            AddContextMenuButton(bar, m_spContextMenuButton_ReplyViaSMS, m_CommandButton4Events, L"Reply Via SMS", 354,
                                 "Reply Via SMS",
                                 "CommandButton4Events::DispEventAdvise((IDispatch*)m_spContextMenuButton_ReplyViaSMS)",
                                 step);
    });
}

// Cancel leaves the list as it was and gives false; a selector that cannot
// be created fails its step instead.
bool CAddin::Callback_ItemExtender_ShowRecipientSelector(std::string& recipients)
{
    const std::string method = "CAddin::Callback_ItemExtender_ShowRecipientSelector";
    std::string context = method + ":Entry";
    try
    {
        CContactSelectorDlg selector;
        selector.SetOutlookApplication(m_spApp);
        context = method + ":CSMSContactUtils::ParseContactCSVList";
        CSMSContactUtils::ParseContactCSVList(recipients, selector.Contacts());
        context = method + ":ContactSelectorDlg.DoModal";
        if (!selector.RunSelector(ChooseBoxOwner(::GetActiveWindow())))
            return false;
        context = method + ":CSMSContactUtils::GenerateContactCSVList";
        recipients = CSMSContactUtils::GenerateContactCSVList(selector.Contacts());
        return true;
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(context);
    }
}

CZentavoSMSGatewaySubmissionResults& CAddin::Callback_ItemExtender_MakeSMSGatewaySubmission(
    CZentavoSMSGatewaySubmissionResults& results, const CZentavoSMSGatewaySubmission& submission)
{
    CConfigZentavoSMSOutlookAddin_Config& config = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config;
    const std::string accessKey = config.GetAccessKey();
    const std::string secretKey = config.GetSecretKey();
    const int authMode = config.m_AuthMode;
    const std::string masterKey = config.GetMasterKey();
    CZentavoSMSGatewaySubmissionManager manager(static_cast<std::uint32_t>(authMode), accessKey, secretKey, masterKey);
    CSMSGatewayHTTPInterfaceClientUIHelper helper;
    results = helper.MakeSubmission(nullptr, "Could not save SMS Reminder schedule!", manager, m_spApp, submission);
    return results;
}

std::string& CAddin::Callback_ItemExtender_GetUsersMobileNumber(std::string& number, bool prompt)
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences =
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
    number = preferences.GetUsersMobilePhoneNumber();
    if (!number.empty() || !prompt)
        return number;
    CUserMobileNumberPromptDlg prompter;
    // The number is the user's, not the window's: a prompt gone with its
    // owner is asked again.
    if (ShowModal(prompter, ChooseBoxOwner(::GetActiveWindow()), IfOwnerGoes::kAskAgain).Is(IDOK) &&
        !prompter.GetMobileNumber().empty())
    {
        preferences.SetUsersMobilePhoneNumber(prompter.GetMobileNumber());
        preferences.Save();
        number = preferences.GetUsersMobilePhoneNumber();
    }
    return number;
}

void CAddin::Callback_ItemExtender_ReplyViaSMSForSelectedItem()
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ReplyViaSMS(m_spApp);
}

// The window holds this object while it is open: Outlook may disconnect and
// release the add-in with the window still up.
void CAddin::Callback_ItemExtender_ShowSendSMSWindow()
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ShowSendSMSDlg(m_spApp, this, static_cast<IAddin*>(this));
}

void CAddin::Callback_ItemExtender_SendSMSToSelectedContact()
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SendSMSToContacts(m_spApp);
}

void CAddin::Callback_ItemExtender_ForwardSelectedContactViaSMS()
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ForwardContactViaSMSMessage(m_spApp);
}

IDispatchPtr& CAddin::Callback_ItemExtender_GetOutlookApplication()
{
    return m_spApp;
}

COutlookVersionCapabilites& CAddin::Callback_ItemExtender_GetOutlookVersionCapabilites()
{
    return m_OutlookVersionCapabilites;
}

void CAddin::Callback_UpdateOutlookExplorerCustomControls()
{
    m_ExtenderHost.GetOutlookExplorerExtender().UpdateCustomControls();
}

STDMETHODIMP CAddin::OnAddInsUpdate(SAFEARRAY**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAddin::OnStartupComplete(SAFEARRAY**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAddin::OnBeginShutdown(SAFEARRAY**)
{
    return E_NOTIMPL;
}

namespace
{
const wchar_t kExplorerRibbon[] = L"Microsoft.Outlook.Explorer";
const wchar_t kCustomUIOpen[] =
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" onLoad=\"OutlookExplorer_RibbonLoaded\" >";
const wchar_t kCustomUIClose[] = L"</customUI>";

// The ribbon object Office hands over, or empty when it is not one.
IDispatchPtr RibbonUI(IDispatch* ribbon)
{
    return QueryOrEmpty(ribbon, IID_IRibbonUI);
}

IDispatchPtr RibbonControl(IDispatch* control)
{
    const IDispatchPtr ribbonControl = QueryOrEmpty(control, IID_IRibbonControl);
    if (!ribbonControl)
        _com_issue_error(E_POINTER);
    return ribbonControl;
}
} // namespace

STDMETHODIMP CAddin::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml)
{
    if (!ribbonXml)
        return E_POINTER;
    const CCallFrame frame(*this);
    *ribbonXml = nullptr;
    RunInErrorFrame("CAddin::GetCustomUI", [&](std::string&) {
        const std::wstring id = ribbonId ? ribbonId : L"";
        if (id == kExplorerRibbon)
            m_bExplorerRibbonRequested = true;
        const COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList extenders =
            m_ExtenderHost.GetExtendersForRibbonId(id.c_str());
        if (extenders.empty())
            return;
        if (COutlookAddin_ItemExtender_ZentavoSMSAddin::IsExplorerRibbonId(id.c_str()) == 2)
        {
            std::wstring menus = L"<contextMenus>";
            std::wstring tabs;
            for (IOutlookAddin_ItemExtender* extender : extenders)
                menus += extender->GetContextMenusCustomUI();
            menus += L"</contextMenus>";
            for (IOutlookAddin_ItemExtender* extender : extenders)
                tabs += extender->GetRibbonTabsCustomUI();
            const std::wstring document = kCustomUIOpen + tabs + menus + kCustomUIClose;
            *ribbonXml = ::SysAllocString(document.c_str());
            return;
        }
        if (extenders.size() != 1)
            throw CGeneralException("CAddin::GetCustomUI - Did not expect multiple Item Extenders", E_FAIL);
        extenders.front()->GetCustomUI(id, ribbonXml);
    });
    return S_OK;
}

// Each document feeds its own extender: Outlook gives one ribbon object per
// document, and a shared one would take refreshes to the wrong window.
STDMETHODIMP CAddin::AppointmentItem_RibbonLoaded(IDispatch* ribbon)
{
    RunInErrorFrame("CAddin::AppointmentItem_RibbonLoaded",
                    [&](std::string&) { m_ExtenderHost.GetSMSReminderExtender().OnRibbonLoaded(RibbonUI(ribbon)); });
    return S_OK;
}

STDMETHODIMP CAddin::OutlookExplorer_RibbonLoaded(IDispatch* ribbon)
{
    RunInErrorFrame("CAddin::OutlookExplorer_RibbonLoaded",
                    [&](std::string&) { m_ExtenderHost.GetOutlookExplorerExtender().OnRibbonLoaded(RibbonUI(ribbon)); });
    return S_OK;
}

template <typename Call>
HRESULT CAddin::RouteControlCallback(const char* function, IDispatch* control, Call call)
{
    const COutlookBoxOwner::CScope scope(control);
    RunInErrorFrame(function, [&](std::string&) {
        const IDispatchPtr ribbonControl = RibbonControl(control);
        const std::wstring id = Dispatch::GetText(ribbonControl, L"Id");
        call(m_ExtenderHost.GetExtenderForControlId(id.c_str()), ribbonControl);
    });
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_ButtonOnAction(IDispatch* control)
{
    const COutlookBoxOwner::CScope scope(control);
    RunInErrorFrame("CAddin::Ribbon_ButtonOnAction", [&](std::string& step) {
        const IDispatchPtr ribbonControl = RibbonControl(control);
        step = "Getting RibbonId";
        const std::wstring id = Dispatch::GetText(ribbonControl, L"Id");
        const std::string idStep = "RibbonControlId:" + NarrowString(id);
        step = idStep;
        IOutlookAddin_ItemExtender* extender = m_ExtenderHost.GetExtenderForControlId(id.c_str());
        step = idStep + " - Calling Ribbon_ButtonOnAction";
        extender->Ribbon_ButtonOnAction(ribbonControl);
        step = idStep + " - Returned from Ribbon_ButtonOnAction";
    });
    return S_OK;
}

STDMETHODIMP CAddin::Ribbon_CheckBoxOnAction(IDispatch* control, LONG pressed)
{
    return RouteControlCallback("CAddin::Ribbon_CheckBoxOnAction", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_CheckBoxOnAction(c, pressed); });
}

STDMETHODIMP CAddin::Ribbon_DropDownOnAction(IDispatch* control, BSTR selectedId, LONG selectedIndex)
{
    return RouteControlCallback("CAddin::Ribbon_DropDownOnAction", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) {
                                    e->Ribbon_DropDownOnAction(c, selectedId, selectedIndex);
                                });
}

STDMETHODIMP CAddin::Ribbon_OnChange(IDispatch* control, BSTR text)
{
    return RouteControlCallback("CAddin::Ribbon_OnChange", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_OnChange(c, text); });
}

STDMETHODIMP CAddin::Ribbon_GetLabel(IDispatch* control, BSTR* label)
{
    if (!label)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetLabel", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_GetLabel(c, label); });
}

STDMETHODIMP CAddin::Ribbon_GetText(IDispatch* control, BSTR* text)
{
    if (!text)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetText", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_GetText(c, text); });
}

STDMETHODIMP CAddin::Ribbon_GetPressed(IDispatch* control, LONG* pressed)
{
    if (!pressed)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetPressed", control, [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) {
        long value = *pressed;
        e->Ribbon_GetPressed(c, &value);
        *pressed = value;
    });
}

STDMETHODIMP CAddin::Ribbon_GetItemCount(IDispatch* control, LONG* count)
{
    if (!count)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetItemCount", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) {
                                    long value = *count;
                                    e->Ribbon_GetItemCount(c, &value);
                                    *count = value;
                                });
}

STDMETHODIMP CAddin::Ribbon_GetItemID(IDispatch* control, LONG index, BSTR* id)
{
    if (!id)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetItemId", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_GetItemId(c, index, id); });
}

STDMETHODIMP CAddin::Ribbon_GetItemLabel(IDispatch* control, LONG index, BSTR* label)
{
    if (!label)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetItemLabel", control,
                                [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) { e->Ribbon_GetItemLabel(c, index, label); });
}

STDMETHODIMP CAddin::Ribbon_GetVisible(IDispatch* control, LONG* visible)
{
    if (!visible)
        return E_POINTER;
    return RouteControlCallback("CAddin::Ribbon_GetVisible", control, [&](IOutlookAddin_ItemExtender* e, IDispatchPtr c) {
        long value = *visible;
        e->Ribbon_GetVisible(c, &value);
        *visible = value;
    });
}
