#include "addin/OutlookAddin_ItemExtender_ZentavoSMSAddin.h"

#include "core/Exceptions.h"
#include "core/StringUtils.h"

#include <cstring>

namespace
{
const int kAppointmentClass = 26;

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0 && text.size() >= std::strlen(prefix);
}
} // namespace

COutlookAddin_ItemExtender_ZentavoSMSAddin::COutlookAddin_ItemExtender_ZentavoSMSAddin()
{
    m_SMSReminder.SetDependantServicesProvider(this);
    m_MailItem.SetDependantServicesProvider(this);
    m_ContactItem.SetDependantServicesProvider(this);
    m_OutlookExplorer.SetDependantServicesProvider(this);
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::SetDependantServicesProvider(
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* provider)
{
    m_pProvider = provider;
}

IOutlookAddin_ItemExtender* COutlookAddin_ItemExtender_ZentavoSMSAddin::GetExtenderForControlId(const wchar_t* controlId)
{
    const std::string id = NarrowString(controlId ? controlId : L"");
    if (StartsWith(id, "ZentavoOLSMSAddinMailItem"))
        return &m_MailItem;
    if (StartsWith(id, "ZentavoOLSMSAddinContactItem"))
        return &m_ContactItem;
    if (StartsWith(id, "ZentavoOLSMSAddinExplorer"))
        return &m_OutlookExplorer;
    return &m_SMSReminder;
}

COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList
COutlookAddin_ItemExtender_ZentavoSMSAddin::GetExtendersForRibbonId(const wchar_t* ribbonId)
{
    const std::wstring id = ribbonId ? ribbonId : L"";
    if (id == L"Microsoft.Outlook.Appointment")
        return {&m_SMSReminder};
    if (id == L"Microsoft.Outlook.Explorer")
        return {&m_MailItem, &m_ContactItem, &m_OutlookExplorer};
    return {};
}

COutlookAddin_ItemExtender_ZentavoSMSAddin::CExtenderList&
COutlookAddin_ItemExtender_ZentavoSMSAddin::GetExtendersForItemClass(int itemClass, CExtenderList& extenders)
{
    if (itemClass == kAppointmentClass)
        extenders.push_back(&m_SMSReminder);
    return extenders;
}

int COutlookAddin_ItemExtender_ZentavoSMSAddin::IsExplorerRibbonId(const wchar_t* ribbonId)
{
    return ribbonId && std::wstring(ribbonId) == L"Microsoft.Outlook.Explorer" ? 2 : 1;
}

IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider&
COutlookAddin_ItemExtender_ZentavoSMSAddin::Provider(const char* operation)
{
    if (!m_pProvider)
        throw CGeneralException(std::string("COutlookAddin_ItemExtender_ZentavoSMSAddin::") + operation +
                                    " - DependantServicesProvider not set",
                                E_FAIL);
    return *m_pProvider;
}

bool COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_ShowRecipientSelector(std::string& recipients)
{
    return Provider("Callback_ItemExtender_ShowRecipientSelector").Callback_ItemExtender_ShowRecipientSelector(recipients);
}

CZentavoSMSGatewaySubmissionResults& COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_MakeSMSGatewaySubmission(
    CZentavoSMSGatewaySubmissionResults& results, const CZentavoSMSGatewaySubmission& submission)
{
    return Provider("Callback_ItemExtender_MakeSMSGatewaySubmission")
        .Callback_ItemExtender_MakeSMSGatewaySubmission(results, submission);
}

std::string& COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_GetUsersMobileNumber(std::string& number,
                                                                                                   bool prompt)
{
    return Provider("Callback_ItemExtender_GetUsersMobileNumber").Callback_ItemExtender_GetUsersMobileNumber(number, prompt);
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_ReplyViaSMSForSelectedItem()
{
    Provider("Callback_ItemExtender_ReplyViaSMSForSelectedItem").Callback_ItemExtender_ReplyViaSMSForSelectedItem();
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_ShowSendSMSWindow()
{
    Provider("Callback_ItemExtender_ShowSendSMSWindow").Callback_ItemExtender_ShowSendSMSWindow();
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_SendSMSToSelectedContact()
{
    Provider("Callback_ItemExtender_SendSMSToSelectedContact").Callback_ItemExtender_SendSMSToSelectedContact();
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_ForwardSelectedContactViaSMS()
{
    Provider("Callback_ItemExtender_ForwardSelectedContactViaSMS").Callback_ItemExtender_ForwardSelectedContactViaSMS();
}

IDispatchPtr& COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_GetOutlookApplication()
{
    return Provider("Callback_ItemExtender_GetOutlookApplication").Callback_ItemExtender_GetOutlookApplication();
}

COutlookVersionCapabilites& COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_ItemExtender_GetOutlookVersionCapabilites()
{
    return Provider("Callback_ItemExtender_GetOutlookVersionCapabilites").Callback_ItemExtender_GetOutlookVersionCapabilites();
}

void COutlookAddin_ItemExtender_ZentavoSMSAddin::Callback_UpdateOutlookExplorerCustomControls()
{
    Provider("Callback_UpdateOutlookExplorerCustomControls").Callback_UpdateOutlookExplorerCustomControls();
}
