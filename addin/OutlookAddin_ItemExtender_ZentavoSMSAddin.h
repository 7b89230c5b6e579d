// The extender host: owns the four item extenders, routes ribbon ids,
// control ids and Outlook item classes to them, and serves them the add-in's
// services by forwarding each call to the provider the add-in sets (the
// add-in object itself). A call before the provider is set raises
// CGeneralException.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"
#include "addin/OutlookAddin_ItemExtender_ContactItem.h"
#include "addin/OutlookAddin_ItemExtender_MailItem.h"
#include "addin/OutlookAddin_ItemExtender_OutlookExplorer.h"

#include <string>
#include <vector>

class COutlookAddin_ItemExtender_ZentavoSMSAddin
    : private IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider
{
public:
    using CExtenderList = std::vector<IOutlookAddin_ItemExtender*>;

    // Builds the extenders and gives each the host as its services.
    COutlookAddin_ItemExtender_ZentavoSMSAddin();
    COutlookAddin_ItemExtender_ZentavoSMSAddin(const COutlookAddin_ItemExtender_ZentavoSMSAddin&) = delete;
    COutlookAddin_ItemExtender_ZentavoSMSAddin& operator=(const COutlookAddin_ItemExtender_ZentavoSMSAddin&) = delete;

    // Not owned; must outlive the host's use, or be cleared.
    void SetDependantServicesProvider(IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* provider);

    // By prefix: MailItem, ContactItem, Explorer; anything else the reminder.
    IOutlookAddin_ItemExtender* GetExtenderForControlId(const wchar_t* controlId);
    // "Microsoft.Outlook.Appointment": the reminder; "Microsoft.Outlook.Explorer":
    // mail, contact, explorer; anything else none.
    CExtenderList GetExtendersForRibbonId(const wchar_t* ribbonId);
    // Appointments (class 26): the reminder; anything else none.
    CExtenderList& GetExtendersForItemClass(int itemClass, CExtenderList& extenders);
    // 2 for the explorer ribbon, 1 for any other.
    static int IsExplorerRibbonId(const wchar_t* ribbonId);

    // What the extenders call: the forwarding services.
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider& GetServices() { return *this; }

    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder& GetSMSReminderExtender() { return m_SMSReminder; }
    COutlookAddin_ItemExtender_OutlookExplorer& GetOutlookExplorerExtender() { return m_OutlookExplorer; }

private:
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider& Provider(const char* operation);

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

    COutlookAddin_ItemExtender_AppointmentItem_SMSReminder m_SMSReminder;
    COutlookAddin_ItemExtender_MailItem m_MailItem;
    COutlookAddin_ItemExtender_ContactItem m_ContactItem;
    COutlookAddin_ItemExtender_OutlookExplorer m_OutlookExplorer;
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* m_pProvider = nullptr;  // not owned
};
