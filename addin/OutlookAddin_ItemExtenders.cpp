// The contact, mail and explorer extenders: their ribbon fragments and what
// their buttons do through the add-in's services.
#include "addin/OutlookAddin_ItemExtender_ContactItem.h"
#include "addin/OutlookAddin_ItemExtender_MailItem.h"
#include "addin/OutlookAddin_ItemExtender_OutlookExplorer.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"

#include <sstream>

namespace
{
using Services = IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider;

const wchar_t kGroupId[] = L"ZentavoOLSMSAddinExplorerTabMailCustomGroup";

std::wstring ControlId(const IDispatchPtr& control)
{
    if (!control)
        _com_issue_error(E_POINTER);
    return Dispatch::GetText(control, L"Id");
}

std::wstring Button(const wchar_t* id, const wchar_t* label, const wchar_t* image, bool withVisibility)
{
    std::wstring xml = std::wstring(L"<button id=\"") + id + L"\" label=\"" + label + L"\" imageMso=\"" + image +
                       L"\" onAction=\"Ribbon_ButtonOnAction\"";
    if (withVisibility)
        xml += L" getVisible=\"Ribbon_GetVisible\"";
    return xml + L"/>";
}

std::wstring ContextMenu(const wchar_t* idMso, const std::wstring& buttons)
{
    return std::wstring(L"<contextMenu idMso=\"") + idMso + L"\">" + buttons + L"</contextMenu>";
}

// The services operation for an id, from a table of (id, operation).
struct ButtonAction
{
    const wchar_t* id;
    void (Services::*operation)();
};

void RunButton(Services* services, const IDispatchPtr& control, const ButtonAction* actions, size_t count)
{
    const std::wstring id = ControlId(control);
    for (size_t i = 0; i < count; ++i)
        if (id == actions[i].id && services)
            (services->*actions[i].operation)();
}

bool SelectionHoldsAContact(Services* services)
{
    if (!services)
        return false;
    IDispatchPtr& application = services->Callback_ItemExtender_GetOutlookApplication();
    if (!application)
        _com_issue_error(E_POINTER);
    const IDispatchPtr explorer = Dispatch::CallPtr(application, L"ActiveExplorer");
    if (!explorer)
        return false;
    IDispatchPtr selection;
    try
    {
        selection = Dispatch::GetPtr(explorer, L"Selection");
    }
    catch (const _com_error&)
    {
        return false;  // no selection to be had: the buttons stay hidden
    }
    const long count = static_cast<long>(Dispatch::Get(selection, L"Count"));
    for (long i = 1; i <= count; ++i)
    {
        const IDispatchPtr item = Dispatch::CallPtr(selection, L"Item", i);
        IDispatch* contact = nullptr;
        if (item && SUCCEEDED(item->QueryInterface(IID__ContactItem, reinterpret_cast<void**>(&contact))) && contact)
        {
            contact->Release();
            return true;
        }
    }
    return false;
}
} // namespace

void COutlookAddin_ItemExtender_MailItem::Ribbon_ButtonOnAction(IDispatchPtr control)
{
    static const ButtonAction actions[] = {
        {L"ZentavoOLSMSAddinMailItemReplyViaSMS", &Services::Callback_ItemExtender_ReplyViaSMSForSelectedItem},
        {L"ZentavoOLSMSAddinMailItemSendSMS", &Services::Callback_ItemExtender_ShowSendSMSWindow},
    };
    RunButton(m_pServices, control, actions, 2);
}

std::wstring COutlookAddin_ItemExtender_MailItem::GetContextMenusCustomUI()
{
    return ContextMenu(L"ContextMenuMailItem",
                       Button(L"ZentavoOLSMSAddinMailItemReplyViaSMS", L"Reply Via SMS", L"Reply", false)) +
           ContextMenu(L"MenuMailNewItem",
                       Button(L"ZentavoOLSMSAddinMailItemSendSMS", L"SMS Text Message", L"SendItem", false));
}

void COutlookAddin_ItemExtender_ContactItem::Ribbon_ButtonOnAction(IDispatchPtr control)
{
    static const ButtonAction actions[] = {
        {L"ZentavoOLSMSAddinContactItemSendSMSToContact", &Services::Callback_ItemExtender_SendSMSToSelectedContact},
        {L"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", &Services::Callback_ItemExtender_ForwardSelectedContactViaSMS},
        {L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact", &Services::Callback_ItemExtender_SendSMSToSelectedContact},
        {L"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage",
         &Services::Callback_ItemExtender_ForwardSelectedContactViaSMS},
    };
    RunButton(m_pServices, control, actions, 4);
}

void COutlookAddin_ItemExtender_ContactItem::Ribbon_GetVisible(IDispatchPtr control, long* visible)
{
    *visible = 0;
    const std::wstring id = ControlId(control);
    if (id != L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact" &&
        id != L"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage")
        return;
    if (SelectionHoldsAContact(m_pServices))
        *visible = 1;
}

std::wstring COutlookAddin_ItemExtender_ContactItem::GetContextMenusCustomUI()
{
    return ContextMenu(L"ContextMenuContactItem",
                       Button(L"ZentavoOLSMSAddinContactItemSendSMSToContact", L"Send SMS to Contact", L"SendItem", false) +
                           Button(L"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", L"Forward via SMS Message",
                                  L"ForwardContact", false)) +
           ContextMenu(L"ContextMenuMultipleItems",
                       Button(L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact", L"Send SMS to Contacts",
                              L"SendItem", true) +
                           Button(L"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage",
                                  L"Forward via SMS Message", L"ForwardContact", true));
}

void COutlookAddin_ItemExtender_OutlookExplorer::OnRibbonLoaded(IDispatchPtr ribbon)
{
    m_spRibbonUI = ribbon;
}

void COutlookAddin_ItemExtender_OutlookExplorer::Ribbon_ButtonOnAction(IDispatchPtr control)
{
    static const ButtonAction actions[] = {
        {L"ZentavoOLSMSAddinExplorerTabMailSendSMS", &Services::Callback_ItemExtender_ShowSendSMSWindow},
    };
    RunButton(m_pServices, control, actions, 1);
}

void COutlookAddin_ItemExtender_OutlookExplorer::Ribbon_GetVisible(IDispatchPtr control, long* visible)
{
    *visible = 0;
    if (ControlId(control) == kGroupId)
        *visible = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences.GetUIRibbonSendSMSButton() ==
                           "Hidden"
                       ? 0
                       : 1;
}

std::wstring COutlookAddin_ItemExtender_OutlookExplorer::GetRibbonTabsCustomUI()
{
    std::wostringstream xml;
    xml << L"<ribbon>" << L"<tabs>" << L"<tab idMso=\"TabMail\">" << L"<group id=\"" << kGroupId << L"\" label=\""
        << L"ZentavoSMS" << L"\" insertAfterMso=\"GroupMailNew\" getVisible=\"Ribbon_GetVisible\" >"
        << L"<button id=\"ZentavoOLSMSAddinExplorerTabMailSendSMS\" imageMso=\"OmsSend\" size=\"large\" "
           L"label=\"Send SMS\" onAction=\"Ribbon_ButtonOnAction\" />"
        << L"</group>" << L"</tab>" << L"</tabs>" << L"</ribbon>";
    return xml.str();
}

void COutlookAddin_ItemExtender_OutlookExplorer::UpdateCustomControls()
{
    if (m_spRibbonUI)
        Dispatch::Call(m_spRibbonUI, L"InvalidateControl", kGroupId);
}
