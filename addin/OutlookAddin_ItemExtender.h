// Item extenders: what the add-in adds to one kind of Outlook item or window
// (appointment reminders, contacts, mail items, the explorer). The add-in
// object routes Outlook's item events and the ribbon callbacks to them; they
// reach the rest of the add-in only through the services interface.
//
// COM objects are passed as smart pointers by value: the callee gets its own
// counted reference and releases it when the argument goes. Ribbon controls
// and ribbon UI objects are Office's IRibbonControl and IRibbonUI, used late
// bound.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "platform/ComPtr.h"

#include <windows.h>

#include <string>

class COutlookVersionCapabilites;

// The item as an Outlook appointment (a new reference); empty when it is
// none. Events reach the extenders by this test.
IDispatchPtr AsAppointment(IDispatch* item);
inline bool IsAppointment(IDispatch* item)
{
    return AsAppointment(item) != nullptr;
}

class IOutlookAddin_ItemExtender
{
public:
    virtual ~IOutlookAddin_ItemExtender() = default;

    virtual void OnNewInspector(IDispatchPtr inspector) = 0;
    virtual HRESULT OnMAPIFolderBeforeItemMove(IDispatchPtr item, IDispatchPtr moveTo, VARIANT_BOOL* cancel) = 0;
    virtual void OnItemAdd(IDispatchPtr item) = 0;
    virtual void OnItemChange(IDispatchPtr item) = 0;
    virtual void OnRibbonLoaded(IDispatchPtr ribbon) = 0;
    virtual void GetCustomUI(const std::wstring& ribbonId, BSTR* xml) = 0;
    virtual void Ribbon_ButtonOnAction(IDispatchPtr control) = 0;
    virtual void Ribbon_CheckBoxOnAction(IDispatchPtr control, long pressed) = 0;
    virtual void Ribbon_DropDownOnAction(IDispatchPtr control, BSTR selectedId, long selectedIndex) = 0;
    virtual void Ribbon_OnChange(IDispatchPtr control, BSTR text) = 0;
    virtual void Ribbon_GetLabel(IDispatchPtr control, BSTR* label) = 0;
    virtual void Ribbon_GetText(IDispatchPtr control, BSTR* text) = 0;
    virtual void Ribbon_GetPressed(IDispatchPtr control, long* pressed) = 0;
    virtual void Ribbon_GetItemCount(IDispatchPtr control, long* count) = 0;
    virtual void Ribbon_GetItemId(IDispatchPtr control, long index, BSTR* id) = 0;
    virtual void Ribbon_GetItemLabel(IDispatchPtr control, long index, BSTR* label) = 0;
    virtual void Ribbon_GetVisible(IDispatchPtr control, long* visible) = 0;
    virtual std::wstring GetContextMenusCustomUI() = 0;
    virtual std::wstring GetRibbonTabsCustomUI() = 0;
};

// Do-nothing defaults: out values are left untouched, a move is not
// cancelled, every argument is released.
class COutlookAddin_ItemExtender : public IOutlookAddin_ItemExtender
{
public:
    void OnNewInspector(IDispatchPtr inspector) override;
    HRESULT OnMAPIFolderBeforeItemMove(IDispatchPtr item, IDispatchPtr moveTo, VARIANT_BOOL* cancel) override;
    void OnItemAdd(IDispatchPtr item) override;
    void OnItemChange(IDispatchPtr item) override;
    void OnRibbonLoaded(IDispatchPtr ribbon) override;
    void GetCustomUI(const std::wstring& ribbonId, BSTR* xml) override;
    void Ribbon_ButtonOnAction(IDispatchPtr control) override;
    void Ribbon_CheckBoxOnAction(IDispatchPtr control, long pressed) override;
    void Ribbon_DropDownOnAction(IDispatchPtr control, BSTR selectedId, long selectedIndex) override;
    void Ribbon_OnChange(IDispatchPtr control, BSTR text) override;
    void Ribbon_GetLabel(IDispatchPtr control, BSTR* label) override;
    void Ribbon_GetText(IDispatchPtr control, BSTR* text) override;
    void Ribbon_GetPressed(IDispatchPtr control, long* pressed) override;
    void Ribbon_GetItemCount(IDispatchPtr control, long* count) override;
    void Ribbon_GetItemId(IDispatchPtr control, long index, BSTR* id) override;
    void Ribbon_GetItemLabel(IDispatchPtr control, long index, BSTR* label) override;
    void Ribbon_GetVisible(IDispatchPtr control, long* visible) override;
    std::wstring GetContextMenusCustomUI() override;
    std::wstring GetRibbonTabsCustomUI() override;
};

// What the add-in offers its extenders. Commands report their own failures
// in error boxes; the recipient selector raises _com_error with its stage.
class IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider
{
public:
    // The recipient list in text form in and out; true when the user
    // confirmed the selector, the text unchanged otherwise.
    virtual bool Callback_ItemExtender_ShowRecipientSelector(std::string& recipients) = 0;
    // Runs the submission with the configured account; gateway refusals are
    // shown by the add-in. Returns the results.
    virtual CZentavoSMSGatewaySubmissionResults& Callback_ItemExtender_MakeSMSGatewaySubmission(
        CZentavoSMSGatewaySubmissionResults& results, const CZentavoSMSGatewaySubmission& submission) = 0;
    // The user's own mobile number; with prompt, asks the user when none is
    // stored. Empty when there is none.
    virtual std::string& Callback_ItemExtender_GetUsersMobileNumber(std::string& number, bool prompt) = 0;
    virtual void Callback_ItemExtender_ReplyViaSMSForSelectedItem() = 0;
    virtual void Callback_ItemExtender_ShowSendSMSWindow() = 0;
    virtual void Callback_ItemExtender_SendSMSToSelectedContact() = 0;
    virtual void Callback_ItemExtender_ForwardSelectedContactViaSMS() = 0;
    virtual IDispatchPtr& Callback_ItemExtender_GetOutlookApplication() = 0;
    virtual COutlookVersionCapabilites& Callback_ItemExtender_GetOutlookVersionCapabilites() = 0;
    virtual void Callback_UpdateOutlookExplorerCustomControls() = 0;

protected:
    ~IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider() = default;
};

// The base of the add-in's extenders: the host hands each its services.
class COutlookAddin_ServicedItemExtender : public COutlookAddin_ItemExtender
{
public:
    void SetDependantServicesProvider(IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services)
    {
        m_pServices = services;
    }

protected:
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* m_pServices = nullptr;  // not owned
};
