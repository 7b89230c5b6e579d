// The add-in object that Outlook creates through the class factory and
// connects through _IDTExtensibility2. One dual IDispatch serves all of its
// interfaces: Office calls the ribbon callbacks by name, so names and
// dispatch ids come from IRibbonCallback in the module's type library.
//
// Created only through CComObject<CAddin> (the object map); it holds a
// module lock while it lives.
#pragma once

#include "addin/OutlookAddin_ItemExtender_ZentavoSMSAddin.h"
#include "addin/OutlookEventHandlers.h"
#include "addin/OutlookVersionCapabilites.h"
#include "platform/ComPtr.h"
#include "platform/EventSink.h"
#include "platform/TypeInfoDispatch.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CAddin : public IAddin,
               public ISupportErrorInfo,
               public IRibbonCallback,
               public _IDTExtensibility2,
               public IRibbonExtensibility,
               public IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider,
               public IOutlookAddin_MAPIFolderEventHandlerTarget,
               public IOutlookAddin_ItemsEventHandlerTargetT
{
public:
    // Later event-log entries go out under the add-in's own source.
    CAddin();
    virtual ~CAddin();

    CAddin(const CAddin&) = delete;
    CAddin& operator=(const CAddin&) = delete;

    // The class's registration routine: the COM class, its ProgIDs and, unless
    // suppressed, Outlook's add-in key and the event-log source.
    static HRESULT UpdateRegistry(bool doRegister);

    // For CComObject: every interface but IUnknown, without AddRef.
    void* GetInterface(REFIID iid);

    // Raises a _com_error with the HRESULT whose description is the context,
    // " - " and the description of the thread's pending error information
    // (or "Error description was not available"); plain _com_error(hr) when
    // no error object can be made. Always raises.
    [[noreturn]] static void ThrowCOMErrorWithContext(HRESULT hr, const std::string& context);

    // Builds the command bar on the explorer and, the first time only,
    // starts MAPI, the keyboard fix and the plug-in core. Failures are shown
    // in the error box; a failed run can be run again.
    void SetupCustomControls(IDispatch* explorer);

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // _IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInstance,
                              SAFEARRAY** custom) override;
    STDMETHODIMP OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override;
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY** custom) override;
    STDMETHODIMP OnStartupComplete(SAFEARRAY** custom) override;
    STDMETHODIMP OnBeginShutdown(SAFEARRAY** custom) override;

    // IRibbonExtensibility
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

    // IRibbonCallback
    STDMETHODIMP AppointmentItem_RibbonLoaded(IDispatch* ribbon) override;
    STDMETHODIMP Ribbon_ButtonOnAction(IDispatch* control) override;
    STDMETHODIMP Ribbon_CheckBoxOnAction(IDispatch* control, LONG pressed) override;
    STDMETHODIMP Ribbon_DropDownOnAction(IDispatch* control, BSTR selectedId, LONG selectedIndex) override;
    STDMETHODIMP Ribbon_OnChange(IDispatch* control, BSTR text) override;
    STDMETHODIMP Ribbon_GetLabel(IDispatch* control, BSTR* label) override;
    STDMETHODIMP Ribbon_GetText(IDispatch* control, BSTR* text) override;
    STDMETHODIMP Ribbon_GetPressed(IDispatch* control, LONG* pressed) override;
    STDMETHODIMP Ribbon_GetItemCount(IDispatch* control, LONG* count) override;
    STDMETHODIMP Ribbon_GetItemID(IDispatch* control, LONG index, BSTR* id) override;
    STDMETHODIMP Ribbon_GetItemLabel(IDispatch* control, LONG index, BSTR* label) override;
    STDMETHODIMP Ribbon_GetVisible(IDispatch* control, LONG* visible) override;
    STDMETHODIMP OutlookExplorer_RibbonLoaded(IDispatch* ribbon) override;

    // IOutlookAddin_MAPIFolderEventHandlerTarget, IOutlookAddin_ItemsEventHandlerTargetT
    void OnMAPIFolderBeforeItemMove(COutlookAddin_MAPIFolderEventHandler* handler, IDispatch* item,
                                    IDispatch* moveTo, VARIANT_BOOL* cancel) override;
    void OnItemAdd(COutlookAddin_ItemsEventHandlerT* handler, IDispatch* item) override;
    void OnItemChange(COutlookAddin_ItemsEventHandlerT* handler, IDispatch* item) override;
    void OnItemRemove(COutlookAddin_ItemsEventHandlerT* handler) override;

    // IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider
    bool Callback_ItemExtender_ShowRecipientSelector(std::string& recipients) override;
    CZentavoSMSGatewaySubmissionResults& Callback_ItemExtender_MakeSMSGatewaySubmission(
        CZentavoSMSGatewaySubmissionResults& results, const CZentavoSMSGatewaySubmission& submission) override;
    std::string& Callback_ItemExtender_GetUsersMobileNumber(std::string& number, bool prompt) override;
    void Callback_ItemExtender_ReplyViaSMSForSelectedItem() override;
    void Callback_ItemExtender_ShowSendSMSWindow() override;
    void Callback_ItemExtender_SendSMSToSelectedContact() override;
    void Callback_ItemExtender_ForwardSelectedContactViaSMS() override;
    IDispatchPtr& Callback_ItemExtender_GetOutlookApplication() override;
    COutlookVersionCapabilites& Callback_ItemExtender_GetOutlookVersionCapabilites() override;
    void Callback_UpdateOutlookExplorerCustomControls() override;

    // Outlook's events on the add-in's own sinks.
    void OnInspectorsNewInspector(IDispatch* inspector);
    void OnOptionsAddPages(IDispatch* pages);
    void OnItemContextMenuDisplay(IDispatch* commandBar, IDispatch* selection);
    void OnNewExplorer(IDispatch* explorer);
    void OnExplorerActivate();
    void OnExplorerSelectionChange();
    void OnExplorerBeforeFolderSwitch(IDispatch* newFolder, bool cancel);
    void OnExplorerAvailable();

protected:
    // Command-bar buttons and context-menu buttons (Office _CommandBarButton).
    IDispatchPtr m_spSendSMSButton;
    IDispatchPtr m_spReplyViaSMSButton;
    IDispatchPtr m_spContextMenuButton_SendSMSToContact;
    IDispatchPtr m_spContextMenuButton_ReplyViaSMS;
    IDispatchPtr m_spContextMenuButton_ForwardViaSMSMessage;
    IDispatchPtr m_spApp;
    IDispatchPtr m_spInspectors;
    IDispatchPtr m_spExplorers;
    IDispatchPtr m_spExplorer;  // awaited for its first event before set-up
    IDispatchPtr m_spCommandBar;  // the add-in's bar, kept so that a retried set-up reuses it

    std::vector<std::unique_ptr<COutlookAddin_MAPIFolderEventHandler>> m_MAPIFolderEventHandlers;
    std::vector<std::unique_ptr<COutlookAddin_ItemsEventHandlerT>> m_ItemsEventHandlers;
    std::vector<std::unique_ptr<COutlookAddin_EventHandlerBase>> m_RetiredHandlers;
    bool m_bCustomControlsSetup = false;
    bool m_bExplorerRibbonRequested = false;
    COutlookAddin_ItemExtender_ZentavoSMSAddin m_ExtenderHost;
    COutlookVersionCapabilites m_OutlookVersionCapabilites;

    // The sinks, by the ids their error texts use.
    CDispEventSink m_CommandButton1Events;  // 1: Send SMS button
    CDispEventSink m_CommandButton2Events;  // 2: Reply Via SMS button
    CDispEventSink m_CommandButton3Events;  // 3-5: the legacy context menu's buttons
    CDispEventSink m_CommandButton4Events;
    CDispEventSink m_CommandButton5Events;
    CDispEventSink m_AppEvents;    // 10: ApplicationEvents
    CDispEventSink m_ExpsEvents;   // 11: ExplorersEvents
    CDispEventSink m_ExpEvents;    // 12: ExplorerEvents
    CDispEventSink m_AppEvents11;  // 13: ApplicationEvents_11
    CDispEventSink m_InspEvents;   // 14: InspectorsEvents

private:
    class CCallFrame;
    // A control callback's frame: the control's owner by its id.
    template <typename Call>
    HRESULT RouteControlCallback(const char* function, IDispatch* control, Call call);
    // The extenders for the item's class (26 for an appointment, 0 for an
    // item that is not one).
    COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList ExtendersForItem(IDispatch* item);
    void AddContextMenuButton(IDispatch* commandBar, IDispatchPtr& member, CDispEventSink& sink, const wchar_t* caption,
                              long faceId, const std::string& name, const char* adviseFailure, std::string& step);
    void WatchFolder(IDispatch* folder);
    template <typename Handlers>
    void UnadviseHandlers(Handlers& handlers);
    // Empties the list; a handler still in use (its event running, or its
    // sink still held by Outlook) is kept aside instead of deleted.
    template <typename Handlers>
    void RetireHandlers(Handlers& handlers);
    // Frees the retired handlers no longer in use.
    void FreeRetiredHandlers();
    void CloseRemainingSinks();
    // Deletes the bar this connection added and lets go of it and its buttons.
    void DeleteCommandBar();
    // Stops the plug-in core, MAPI and the keyboard fix where this
    // connection started them; each is stopped once.
    void StopWhatConnectionStarted();
    // From OnConnection to OnDisconnection: a second connection is refused.
    bool m_bConnected = false;
    // Counts connections: work that a box interrupted goes on only while the
    // connection that began it lasts.
    unsigned m_Connection = 0;
    bool IsConnection(unsigned connection) const { return m_bConnected && m_Connection == connection; }
    // What the first set-up of a connection starts once.
    bool m_bMAPIInitialised = false;
    bool m_bAddinFixInitialised = false;
    bool m_bPluginInitialised = false;

    CTypeInfoDispatch m_Dispatch;
};
