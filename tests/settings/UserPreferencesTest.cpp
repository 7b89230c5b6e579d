#include "core/ConfigZentavoSMSOutlookAddin_UserPreferences.h"

#include "tests/support/RegistryFixture.h"

#include <gmock/gmock.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>

namespace
{
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

CSMSTemplate MakeTemplate(const std::string& name, const std::string& text)
{
    CSMSTemplate item;
    item.Name = name;
    item.Text = text;
    return item;
}

std::string TemplatePath(const std::string& name)
{
    return std::string(RegistryFixture::kTemplates) + "\\" + name;
}

class UserPreferencesTest : public RegistryFixture
{
protected:
    // A second object loaded from what the first one stored.
    void Reload()
    {
        reloaded.reset(new CConfigZentavoSMSOutlookAddin_UserPreferences(&reloadedError));
        reloaded->Load();
    }

    std::string errorText;
    CConfigZentavoSMSOutlookAddin_UserPreferences prefs{&errorText};
    std::string reloadedError;
    std::unique_ptr<CConfigZentavoSMSOutlookAddin_UserPreferences> reloaded;
};

TEST_F(UserPreferencesTest, AnEmptyKeyLoadsTheDefaultsAndAnEmptyTemplateSubkey)
{
    prefs.Load();
    EXPECT_EQ("", prefs.GetDefaultAddressBook());
    EXPECT_EQ("", prefs.GetDefaultSendersId());
    EXPECT_TRUE(prefs.GetDefaultSendersIdUseReplyable());
    EXPECT_FALSE(prefs.GetDefaultSendersIdUseAccountSettings());
    EXPECT_EQ("", prefs.GetDefaultMessageSignature());
    EXPECT_TRUE(prefs.GetCheckBalanceBeforeSending());
    EXPECT_TRUE(prefs.GetShowCurrentBalance());
    EXPECT_TRUE(prefs.GetWarnIfMsgBeingTruncated());
    EXPECT_TRUE(prefs.GetSaveSentMsgsToSentItemsFolder());
    EXPECT_FALSE(prefs.GetEnableUserContextSupport());
    EXPECT_TRUE(prefs.GetRecipientEntryEditboxAutoCompleteEnabled());
    EXPECT_EQ(3u, prefs.m_DefaultDeliveryReportSetting);
    EXPECT_EQ(15u, prefs.m_DefaultDeliveryReportStatusFilter);
    EXPECT_EQ("", prefs.GetUsersMobilePhoneNumber());
    EXPECT_THAT(prefs.GetSelectableSendersIdList(), IsEmpty());
    EXPECT_TRUE(prefs.GetSelectableSendersIdListAutoAdd());
    EXPECT_EQ(5, prefs.m_SelectableSendersIdListMaxLength);
    EXPECT_EQ(5, prefs.m_MaxMsgParts);
    EXPECT_EQ("", prefs.GetDefaultAppointmentTemplateId());
    EXPECT_EQ("", prefs.GetDefaultAppointmentScheduleDescription());
    EXPECT_EQ("", prefs.GetUIRibbonSendSMSButton());
    EXPECT_THAT(prefs.GetAppointmentTemplates(), IsEmpty());
    EXPECT_EQ("", prefs.Validate());

    EXPECT_TRUE(KeyExists(kTemplates));
    EXPECT_THAT(SubKeyNames(kTemplates), IsEmpty());
    EXPECT_THAT(ValueNames(kSettings), IsEmpty());
    EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(UserPreferencesTest, SaveWritesEveryValueAsText)
{
    prefs.Load();
    prefs.SetDefaultAddressBook("Contacts");
    prefs.SetDefaultSendersId("Acme");
    prefs.SetDefaultSendersIdUseReplyable(false);
    prefs.SetDefaultSendersIdUseAccountSettings(true);
    prefs.SetDefaultMessageSignature("-- \r\nJo");
    prefs.SetCheckBalanceBeforeSending(false);
    prefs.SetShowCurrentBalance(false);
    prefs.SetWarnIfMsgBeingTruncated(false);
    prefs.SetSaveSentMsgsToSentItemsFolder(false);
    prefs.SetEnableUserContextSupport(true);
    prefs.m_DefaultDeliveryReportSetting = 2;
    prefs.m_DefaultDeliveryReportStatusFilter = 6;
    prefs.SetUsersMobilePhoneNumber("+447700900123");
    prefs.GetSelectableSendersIdList() = {"Acme", "a,b", "q\"uote"};
    prefs.m_SelectableSendersIdListMaxLength = 8;
    prefs.m_MaxMsgParts = 10;
    prefs.SetDefaultAppointmentTemplateId("U_Visit");
    prefs.SetDefaultAppointmentScheduleDescription("at 9:00am the day before");
    prefs.SetUIRibbonSendSMSButton("Hidden");
    prefs.Save();

    const std::vector<std::pair<const char*, const char*>> expected = {
        {"DefaultAddressBook", "Contacts"},
        {"DefaultSendersId", "Acme"},
        {"DefaultSendersIdUseReplyable", "0"},
        {"DefaultSendersIdUseAccountSettings", "1"},
        {"DefaultMessageSignature", "-- \r\nJo"},
        {"ZentavoSMSCheckBalanceBeforeSending", "0"},
        {"ZentavoSMSShowCurrentBalance", "0"},
        {"ZentavoSMSWarnIfMsgBeingTruncated", "0"},
        {"ZentavoSaveSentMsgsToSentItemsFolder", "0"},
        {"ZentavoSMSEnableUserContextSupport", "1"},
        {"ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", "1"},
        {"DefaultDeliveryReportSetting", "2"},
        {"DefaultDeliveryReportStatusFilter", "6"},
        {"ZentavoSMSUsersMobilePhoneNumber", "+447700900123"},
        {"ZentavoSMSSelectableSendersIdList", "\"Acme\",\"a,b\",\"q\\\"uote\""},
        {"ZentavoSMSSelectableSendersIdList_AutoAdd", "1"},
        {"ZentavoSMSSelectableSendersIdList_MaxLength", "8"},
        {"ZentavoSMSMaxMsgParts", "10"},
        {"DefaultAppointmentTemplateId", "U_Visit"},
        {"DefaultAppointmentScheduleDescription", "at 9:00am the day before"},
        {"ZentavoSMSUIRibbonSendSMSButton", "Hidden"},
    };
    EXPECT_EQ(expected.size(), ValueNames(kSettings).size());
    for (const auto& value : expected)
        EXPECT_EQ(value.second, ReadText(kSettings, value.first)) << value.first;

    Reload();
    EXPECT_FALSE(reloaded->GetDefaultSendersIdUseReplyable());
    EXPECT_TRUE(reloaded->GetEnableUserContextSupport());
    EXPECT_EQ(6u, reloaded->m_DefaultDeliveryReportStatusFilter);
    EXPECT_THAT(reloaded->GetSelectableSendersIdList(), ElementsAre("Acme", "a,b", "q\"uote"));
    EXPECT_EQ(10, reloaded->m_MaxMsgParts);
}

TEST_F(UserPreferencesTest, StoredListsAndFlagsAreReadAsTheyStand)
{
    WriteRaw(kSettings, "ZentavoSMSSelectableSendersIdList", "\"one, with comma\"");
    WriteRaw(kSettings, "ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", "yes");
    WriteRaw(kSettings, "ZentavoSMSSelectableSendersIdList_AutoAdd", "0");
    WriteRaw(kSettings, "ZentavoSMSMaxMsgParts", "3 parts");
    prefs.Load();
    EXPECT_THAT(prefs.GetSelectableSendersIdList(), ElementsAre("one, with comma"));
    EXPECT_FALSE(prefs.GetRecipientEntryEditboxAutoCompleteEnabled());
    EXPECT_FALSE(prefs.GetSelectableSendersIdListAutoAdd());
    EXPECT_EQ(3, prefs.m_MaxMsgParts);

    // A second load replaces the list.
    prefs.Load();
    EXPECT_THAT(prefs.GetSelectableSendersIdList(), ElementsAre("one, with comma"));
}

// The settings page offers 1 to 10 parts; a stored count outside that (0
// would reach the gateway as no limit) reads as the default.
TEST_F(UserPreferencesTest, MaxMsgPartsOutsideOneToTenReadsAsFive)
{
    const struct
    {
        std::string stored;
        DWORD type;
        int parts;
    } cases[] = {
        {"1", REG_SZ, 1},   {"10", REG_SZ, 10},  {"0", REG_SZ, 5},  {"11", REG_SZ, 5},
        {"-3", REG_SZ, 5},  {"", REG_SZ, 5},     {std::string("\x03\0\0\0", 4), REG_DWORD, 3},
        {std::string("\0\0\0\0", 4), REG_DWORD, 5},
    };
    for (const auto& c : cases)
    {
        WriteRaw(kSettings, "ZentavoSMSMaxMsgParts", c.stored, c.type);
        prefs.Load();
        EXPECT_EQ(c.parts, prefs.m_MaxMsgParts) << '"' << c.stored << '"' << c.type;
    }
    // Saved back as the count it read.
    prefs.Save();
    EXPECT_EQ("5", ReadText(kSettings, "ZentavoSMSMaxMsgParts"));
}

// Each number the preferences read, against what an administrator, another
// version or another writer may leave: of another type or outside what the
// number can mean, it reads as its default.
TEST_F(UserPreferencesTest, NumbersOfAnotherTypeOrOutOfRangeReadAsTheirDefault)
{
    using Prefs = CConfigZentavoSMSOutlookAddin_UserPreferences;
    const struct
    {
        const char* name;
        long long lowest, highest, byDefault;
        std::function<long long(Prefs&)> read;
    } numbers[] = {
        {"DefaultDeliveryReportSetting", 1, 3, 3, [](Prefs& p) { return p.m_DefaultDeliveryReportSetting; }},
        {"DefaultDeliveryReportStatusFilter", 0, 15, 15, [](Prefs& p) { return p.m_DefaultDeliveryReportStatusFilter; }},
        {"ZentavoSMSSelectableSendersIdList_MaxLength", 1, INT_MAX, 5,
         [](Prefs& p) { return p.m_SelectableSendersIdListMaxLength; }},
        {"ZentavoSMSMaxMsgParts", 1, 10, 5, [](Prefs& p) { return p.m_MaxMsgParts; }},
    };
    const auto bytes = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); };
    for (const auto& n : numbers)
    {
        const struct
        {
            const char* what;
            DWORD type;
            std::string data;
            long long number;
        } cases[] = {
            {"text", REG_SZ, "2", 2},
            {"the lowest", REG_SZ, std::to_string(n.lowest), n.lowest},
            {"the highest", REG_SZ, std::to_string(n.highest), n.highest},
            {"REG_DWORD of an earlier version", REG_DWORD, bytes(DWORD{2}), 2},
            {"REG_QWORD", REG_QWORD, bytes(std::uint64_t{2}), n.byDefault},
            {"REG_BINARY", REG_BINARY, bytes(DWORD{2}), n.byDefault},
            {"empty text", REG_SZ, "", n.byDefault},
            {"-1", REG_SZ, "-1", n.byDefault},
            {"below the range", REG_SZ, std::to_string(n.lowest - 1), n.byDefault},
            {"above the range", REG_SZ, std::to_string(n.highest + 1), n.byDefault},
            {"past 32 bits", REG_SZ, "4294967298", n.byDefault},
        };
        for (const auto& c : cases)
        {
            WriteRaw(kSettings, n.name, c.data, c.type);
            prefs.Load();
            EXPECT_EQ(c.number, n.read(prefs)) << n.name << ": " << c.what;
        }
    }
}

TEST_F(UserPreferencesTest, ValuesOverAThousandBytesSurviveALoadAndASave)
{
    const std::string signature(4000, 's');
    std::vector<std::string> senders;
    for (int i = 0; i < 150; ++i)
        senders.push_back("Sender\"" + std::to_string(i));
    const std::string longText = std::string(3000, 't') + "\n[ApptSubject:40]";
    WriteRaw(kSettings, "DefaultMessageSignature", signature);
    {
        std::string errorText2;
        CConfigZentavoSMSOutlookAddin_UserPreferences writer(&errorText2);
        writer.Load();
        writer.GetSelectableSendersIdList() = senders;
        writer.Save();
    }
    WriteRaw(TemplatePath("Long"), "Text", longText);

    prefs.Load();
    EXPECT_EQ(signature, prefs.GetDefaultMessageSignature());
    EXPECT_EQ(senders, prefs.GetSelectableSendersIdList());
    ASSERT_EQ(1u, prefs.GetAppointmentTemplates().size());
    EXPECT_EQ(longText, prefs.GetAppointmentTemplates()[0].Text);

    prefs.Save();
    EXPECT_EQ(signature, ReadText(kSettings, "DefaultMessageSignature"));
    EXPECT_EQ(longText, ReadText(TemplatePath("Long"), "Text"));
    Reload();
    EXPECT_EQ(senders, reloaded->GetSelectableSendersIdList());
    EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(UserPreferencesTest, TemplatesLoadFromSubkeysWithText)
{
    WriteRaw(TemplatePath("Visit"), "Text", "Visit at [ApptStartDateTime]");
    WriteRaw(TemplatePath("Empty"), "Text", "");
    WriteRaw(TemplatePath("NoText"), "Other", "x");
    prefs.Load();
    const CSMSTemplateVector& templates = prefs.GetAppointmentTemplates();
    ASSERT_EQ(1u, templates.size());
    EXPECT_EQ("Visit", templates[0].Name);
    EXPECT_EQ("Visit at [ApptStartDateTime]", templates[0].Text);
    EXPECT_FALSE(templates[0].BuiltIn);
    EXPECT_EQ("", templates[0].Id);
    EXPECT_EQ("Visit", templates[0].GetId());

    ASSERT_EQ(1u, Events().size());
    EXPECT_EQ("Could not find reg value: Text", Events()[0].text);
}

TEST_F(UserPreferencesTest, SaveBringsTheTemplateSubkeysInStepWithTheList)
{
    WriteRaw(TemplatePath("Keep"), "Text", "old text");
    WriteRaw(TemplatePath("Drop"), "Text", "dropped");
    prefs.Load();
    ASSERT_EQ(2u, prefs.GetAppointmentTemplates().size());

    CSMSTemplateVector& templates = prefs.GetAppointmentTemplates();
    templates.clear();
    templates.push_back(MakeTemplate("Keep", "new text"));
    templates.push_back(MakeTemplate("Added", "added [ApptLocation:20]"));
    templates.push_back(MakeTemplate("Blank", ""));
    prefs.Save();

    EXPECT_THAT(SubKeyNames(kTemplates), UnorderedElementsAre("Keep", "Added", "Blank"));
    EXPECT_EQ("new text", ReadText(TemplatePath("Keep"), "Text"));
    EXPECT_EQ("added [ApptLocation:20]", ReadText(TemplatePath("Added"), "Text"));
    EXPECT_EQ("", ReadText(TemplatePath("Blank"), "Text"));

    Reload();
    std::vector<std::string> names;
    for (const CSMSTemplate& item : reloaded->GetAppointmentTemplates())
        names.push_back(item.Name);
    EXPECT_THAT(names, UnorderedElementsAre("Keep", "Added"));

    templates.clear();
    prefs.Save();
    EXPECT_THAT(SubKeyNames(kTemplates), IsEmpty());
}

TEST_F(UserPreferencesTest, ARenameThatOnlyChangesCaseIsStoredUnderTheNewName)
{
    WriteRaw(TemplatePath("visit reminder"), "Text", "text");
    prefs.Load();
    prefs.GetAppointmentTemplates()[0].Name = "Visit Reminder";
    prefs.Save();
    EXPECT_THAT(SubKeyNames(kTemplates), ElementsAre("Visit Reminder"));
    Reload();
    ASSERT_EQ(1u, reloaded->GetAppointmentTemplates().size());
    EXPECT_EQ("Visit Reminder", reloaded->GetAppointmentTemplates()[0].Name);
    EXPECT_EQ("text", reloaded->GetAppointmentTemplates()[0].Text);
}

TEST_F(UserPreferencesTest, NamesTheRegistryCannotHoldAreRefusedBeforeAnyTemplateChanges)
{
    WriteRaw(TemplatePath("Stored"), "Text", "stored");
    prefs.Load();
    for (const std::string& badName :
         {std::string("a\\b"), std::string(), std::string(256, 'n'), std::string("STORED")})
    {
        CSMSTemplateVector& templates = prefs.GetAppointmentTemplates();
        templates.clear();
        templates.push_back(MakeTemplate("Stored", "changed"));
        templates.push_back(MakeTemplate(badName, "text"));
        try
        {
            prefs.Save();
            ADD_FAILURE() << "saved " << badName;
        }
        catch (const _com_error& error)
        {
            EXPECT_EQ(E_FAIL, error.Error());
            EXPECT_NE(std::string::npos, DescriptionOf(error).find("cannot be stored")) << DescriptionOf(error);
        }
        EXPECT_THAT(SubKeyNames(kTemplates), ElementsAre("Stored"));
        EXPECT_EQ("stored", ReadText(TemplatePath("Stored"), "Text"));
    }
    prefs.GetAppointmentTemplates().pop_back();
    prefs.GetAppointmentTemplates().push_back(MakeTemplate(std::string(255, 'n'), "longest name"));
    prefs.Save();
    EXPECT_EQ("longest name", ReadText(TemplatePath(std::string(255, 'n')), "Text"));
}

TEST_F(UserPreferencesTest, AReadOnlyKeyLoadsButRefusesToSave)
{
    WriteRaw(kSettings, "DefaultSendersId", "Acme");
    WriteRaw(TemplatePath("Visit"), "Text", "text");
    LockKey(kSettings);
    LockKey(kTemplates);

    prefs.Load();
    EXPECT_EQ("Acme", prefs.GetDefaultSendersId());
    ASSERT_EQ(1u, prefs.GetAppointmentTemplates().size());

    prefs.GetAppointmentTemplates().clear();
    EXPECT_COM_ERROR(prefs.Save(), E_FAIL, "Insufficent rights to write to the registry");
    EXPECT_THAT(SubKeyNames(kTemplates), ElementsAre("Visit"));
    EXPECT_THAT(ValueNames(kSettings), ElementsAre("DefaultSendersId"));
}

TEST_F(UserPreferencesTest, AssignmentCopiesEveryPreferenceButNotTheKey)
{
    WriteRaw(kSettings, "ZentavoSMSSelectableSendersIdList", "\"a\",\"b\"");
    WriteRaw(kSettings, "ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", "0");
    WriteRaw(kSettings, "ZentavoSMSSelectableSendersIdList_AutoAdd", "0");
    WriteRaw(TemplatePath("T"), "Text", "t");
    prefs.Load();
    prefs.SetDefaultAddressBook("book");
    prefs.SetDefaultSendersId("id");
    prefs.SetDefaultSendersIdUseReplyable(false);
    prefs.SetDefaultSendersIdUseAccountSettings(true);
    prefs.SetDefaultMessageSignature("sig");
    prefs.SetCheckBalanceBeforeSending(false);
    prefs.SetShowCurrentBalance(false);
    prefs.SetWarnIfMsgBeingTruncated(false);
    prefs.SetSaveSentMsgsToSentItemsFolder(false);
    prefs.SetEnableUserContextSupport(true);
    prefs.m_DefaultDeliveryReportSetting = 1;
    prefs.m_DefaultDeliveryReportStatusFilter = 4;
    prefs.SetUsersMobilePhoneNumber("07700");
    prefs.m_SelectableSendersIdListMaxLength = 9;
    prefs.m_MaxMsgParts = 7;
    prefs.SetDefaultAppointmentTemplateId("tid");
    prefs.SetDefaultAppointmentScheduleDescription("sched");
    prefs.SetUIRibbonSendSMSButton("Hidden");

    std::string copyError;
    CConfigZentavoSMSOutlookAddin_UserPreferences copy(&copyError);
    copy.GetSelectableSendersIdList() = {"stale"};
    copy = prefs;
    EXPECT_EQ("book", copy.GetDefaultAddressBook());
    EXPECT_EQ("id", copy.GetDefaultSendersId());
    EXPECT_FALSE(copy.GetDefaultSendersIdUseReplyable());
    EXPECT_TRUE(copy.GetDefaultSendersIdUseAccountSettings());
    EXPECT_EQ("sig", copy.GetDefaultMessageSignature());
    EXPECT_FALSE(copy.GetCheckBalanceBeforeSending());
    EXPECT_FALSE(copy.GetShowCurrentBalance());
    EXPECT_FALSE(copy.GetWarnIfMsgBeingTruncated());
    EXPECT_FALSE(copy.GetSaveSentMsgsToSentItemsFolder());
    EXPECT_TRUE(copy.GetEnableUserContextSupport());
    EXPECT_FALSE(copy.GetRecipientEntryEditboxAutoCompleteEnabled());
    EXPECT_EQ(1u, copy.m_DefaultDeliveryReportSetting);
    EXPECT_EQ(4u, copy.m_DefaultDeliveryReportStatusFilter);
    EXPECT_EQ("07700", copy.GetUsersMobilePhoneNumber());
    EXPECT_THAT(copy.GetSelectableSendersIdList(), ElementsAre("a", "b"));
    EXPECT_FALSE(copy.GetSelectableSendersIdListAutoAdd());
    EXPECT_EQ(9, copy.m_SelectableSendersIdListMaxLength);
    EXPECT_EQ(7, copy.m_MaxMsgParts);
    EXPECT_EQ("tid", copy.GetDefaultAppointmentTemplateId());
    EXPECT_EQ("sched", copy.GetDefaultAppointmentScheduleDescription());
    EXPECT_EQ("Hidden", copy.GetUIRibbonSendSMSButton());
    ASSERT_EQ(1u, copy.GetAppointmentTemplates().size());
    EXPECT_EQ("t", copy.GetAppointmentTemplates()[0].Text);

    // The copy never opened a key, and assignment gave it none.
    EXPECT_COM_ERROR(copy.Save(), E_FAIL, "Reg key not open");

    // Back into the loaded object, which saves under its own key.
    copy.SetDefaultSendersId("edited");
    prefs = copy;
    prefs = prefs;
    EXPECT_THAT(prefs.GetSelectableSendersIdList(), ElementsAre("a", "b"));
    EXPECT_EQ(1u, prefs.GetAppointmentTemplates().size());
    prefs.Save();
    EXPECT_EQ("edited", ReadText(kSettings, "DefaultSendersId"));
}

TEST(SMSTemplate, StartsEmptyAndPrefersASetId)
{
    CSMSTemplate item;
    EXPECT_EQ("", item.Name);
    EXPECT_EQ("", item.Text);
    EXPECT_FALSE(item.BuiltIn);
    EXPECT_EQ("", item.GetId());
    item.Name = "Visit";
    item.Id = "DefaultTemplate";
    EXPECT_EQ("DefaultTemplate", item.GetId());
}

TEST(SMSTemplate, ContainsNameComparesExactly)
{
    CSMSTemplateVector list;
    EXPECT_FALSE(list.ContainsName(""));
    list.push_back(MakeTemplate("Visit", "a"));
    list.push_back(MakeTemplate("", "b"));
    EXPECT_TRUE(list.ContainsName("Visit"));
    EXPECT_TRUE(list.ContainsName(""));
    EXPECT_FALSE(list.ContainsName("visit"));
    EXPECT_FALSE(list.ContainsName("Visit "));
    EXPECT_FALSE(list.ContainsName(std::string("Visit\0", 6)));
}
}  // namespace
