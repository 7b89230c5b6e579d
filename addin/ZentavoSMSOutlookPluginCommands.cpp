// The plug-in core's commands: Send SMS windows opened empty, as a reply,
// to contacts or with contacts' details.
#include "addin/ZentavoSMSOutlookPlugin.h"

#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/ErrorReports.h"
#include "core/StringUtils.h"
#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"
#include "ui/SendSMSDlg.h"

#include <functional>
#include <vector>

namespace
{
const UINT kWarning = MB_ICONEXCLAMATION | MB_TASKMODAL;

bool Answers(IDispatch* object, const IID& iid)
{
    IUnknown* answered = nullptr;
    if (!object || FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&answered))) || !answered)
        return false;
    answered->Release();
    return true;
}

// The active explorer's selection; empty when there is no explorer or its
// selection cannot be read.
IDispatchPtr SelectionOf(IDispatch* application)
{
    const IDispatchPtr explorer = Dispatch::CallPtr(application, L"ActiveExplorer");
    if (!explorer)
        return IDispatchPtr();
    try
    {
        return Dispatch::GetPtr(explorer, L"Selection");
    }
    catch (const _com_error&)
    {
        return IDispatchPtr();
    }
}

// Opens a window for the application, lets fill put its content in, shows it.
void OpenSendSMSWindow(const IDispatchPtr& application,
                       IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services,
                       IUnknown* servicesOwner, const std::function<void(CSendSMSDlg&)>& fill)
{
    CSendSMSDlg* window = new CSendSMSDlg;
    window->SetOutlookApplication(application);
    window->SetAddinServices(services, servicesOwner);
    const HWND handle = window->Create(nullptr);
    if (!handle)
    {
        delete window;  // never created: it cannot free itself
        throw CGeneralException("CZentavoSMSOutlookPlugin - The Send SMS window could not be created",
                                HRESULT_FROM_WIN32(::GetLastError()));
    }
    fill(*window);
    ::ShowWindow(handle, SW_SHOW);
}

} // namespace

void CZentavoSMSOutlookPlugin::ShowSendSMSDlg(IDispatchPtr application,
                                              IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services,
                                              IUnknown* servicesOwner)
{
    try
    {
        OpenSendSMSWindow(application, services, servicesOwner, [](CSendSMSDlg&) {});
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::ShowSendSMSDlg");
    }
}

void CZentavoSMSOutlookPlugin::ReplyViaSMS(IDispatchPtr application)
{
    try
    {
        std::string number;
        const IDispatchPtr selection = application ? SelectionOf(application) : IDispatchPtr();
        if (selection && static_cast<long>(Dispatch::Get(selection, L"Count")) == 1)
        {
            const IDispatchPtr item = Dispatch::CallPtr(selection, L"Item", 1L);
            if (Answers(item, IID__MailItem))
            {
                const IDispatchPtr reply = Dispatch::CallPtr(item, L"Reply");
                const IDispatchPtr recipients = Dispatch::GetPtr(reply, L"Recipients");
                if (static_cast<long>(Dispatch::Get(recipients, L"Count")) == 1)
                {
                    const IDispatchPtr recipient = Dispatch::CallPtr(recipients, L"Item", 1L);
                    std::vector<std::string> pieces;
                    SplitString(NarrowString(Dispatch::GetText(recipient, L"Address")), "@", pieces);
                    if (pieces.size() >= 2)
                        number = ExtractDigits(pieces[0]);
                }
            }
        }
        if (number.size() < 5)
        {
            ShowMessageBox(nullptr, "Please select SMS message to reply to.", kAddinMessageBoxCaption, kWarning);
            return;
        }
        OpenSendSMSWindow(application, nullptr, nullptr, [&](CSendSMSDlg& window) {
            window.SetRecipientsText(number);
            window.SetFocusToMessageText();
        });
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::ReplyViaSMS");
    }
}

void CZentavoSMSOutlookPlugin::GetSelectedContacts(IDispatchPtr application, CSMSContactVector& contacts,
                                                   bool expandLists)
{
    try
    {
        if (!application)
            _com_issue_error(E_POINTER);
        const IDispatchPtr selection = SelectionOf(application);
        if (!selection)
            return;
        const auto addContact = [&contacts](const IDispatchPtr& item) {
            CSMSContact contact;
            if (CMicrosoftOutlookObjectModelUtils::GetSMSContactFromContactItem(item, contact))
                contacts.push_back(contact);
        };
        const long count = static_cast<long>(Dispatch::Get(selection, L"Count"));
        for (long i = 1; i <= count; ++i)
        {
            const IDispatchPtr item = Dispatch::CallPtr(selection, L"Item", i);
            if (Answers(item, IID__ContactItem))
                addContact(item);
            else if (expandLists && Answers(item, IID__DistListItem))
            {
                const long members = static_cast<long>(Dispatch::Get(item, L"MemberCount"));
                for (long m = 1; m <= members; ++m)
                {
                    const IDispatchPtr entry = Dispatch::GetPtr(Dispatch::CallPtr(item, L"GetMember", m), L"AddressEntry");
                    const IDispatchPtr contact = Dispatch::CallPtr(entry, L"GetContact");
                    if (contact)
                        addContact(contact);
                }
            }
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::GetSelectedContacts");
    }
}

bool CZentavoSMSOutlookPlugin::SelectedContactsOrBox(IDispatchPtr application, CSMSContactVector& contacts)
{
    GetSelectedContacts(application, contacts, true);
    if (!contacts.empty())
        return true;
    ShowMessageBox(nullptr, "No mobile numbers were found for the selected contact(s)", kAddinMessageBoxCaption, kWarning);
    return false;
}

void CZentavoSMSOutlookPlugin::SendSMSToContacts(IDispatchPtr application)
{
    try
    {
        CSMSContactVector contacts;
        if (!SelectedContactsOrBox(application, contacts))
            return;
        OpenSendSMSWindow(application, nullptr, nullptr, [&](CSendSMSDlg& window) {
            window.SetRecipientsFromContactList(contacts);
            window.SetFocusToMessageText();
        });
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::SendSMSToContacts");
    }
}

void CZentavoSMSOutlookPlugin::ForwardContactViaSMSMessage(IDispatchPtr application)
{
    try
    {
        CSMSContactVector contacts;
        if (!SelectedContactsOrBox(application, contacts))
            return;
        std::string text;
        for (size_t i = 0; i < contacts.size(); ++i)
        {
            if (i > 0)
                text += "\r\n";
            text += contacts[i].m_Name + "\r\n" + contacts[i].m_Number + "\r\n";
        }
        OpenSendSMSWindow(application, nullptr, nullptr, [&](CSendSMSDlg& window) {
            window.SetMessageText(text);
            window.SetFocusToRecipients();
        });
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::ForwardContactViaSMSMessage");
    }
}
