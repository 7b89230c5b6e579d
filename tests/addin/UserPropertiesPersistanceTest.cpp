// Reminder settings kept as user properties of an item of the test Outlook.
#include "addin/NameVariantCollection.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "tests/support/FakeComTest.h"
#include "tests/support/FakeOutlook.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace
{
const std::string kPrefix = "ZentavoOLSMSAddin";
const std::string kStep = "COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties:";

_variant_t Bool(VARIANT_BOOL value)
{
    _variant_t variant;
    V_VT(&variant) = VT_BOOL;
    V_BOOL(&variant) = value;
    return variant;
}

std::wstring TextOf(const CFakeObjectPtr& property)
{
    return static_cast<const wchar_t*>(_bstr_t(property->Value(L"Value")));
}

class UserPropertiesTest : public CFakeComTest
{
protected:
    CFakeUserProperties& Fake() { return *CFakeUserProperties::Of(m_Properties); }

    void Persist()
    {
        m_Outlook.Log().Clear();
        COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(m_Collection,
                                                                                              m_Properties, m_Denied);
    }

    // The description of the failure a persist raises, and its HRESULT.
    std::pair<HRESULT, std::string> PersistFailure()
    {
        try
        {
            Persist();
        }
        catch (const _com_error& e)
        {
            return {e.Error(), GetCOMErrorDescription(e)};
        }
        return {S_OK, "no failure"};
    }

    CFakeOutlook m_Outlook;
    CFakeCollectionPtr m_Properties = m_Outlook.NewUserProperties();
    CNameVariantCollection m_Collection;
    bool m_Denied = true;
};
} // namespace

TEST_F(UserPropertiesTest, LoadTakesThePropertiesWithThePrefixWhereverTheyStand)
{
    Fake().Preset(L"Mileage", L"12");
    Fake().Preset(L"ZentavoOLSMSAddinSMSReminderSchedule", L"15 minutes before");
    Fake().Preset(L"zentavoolsmsaddinLowerCase", L"x");
    Fake().Preset(L"ZentavoOLSMSAddin", L"exactly the prefix");
    Fake().Preset(L"ZentavoOLSMS", L"shorter than the prefix");
    Fake().Preset(L"ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile", L"1");
    m_Collection.Set("ZentavoOLSMSAddinServerSavedStatus", _variant_t(L"kept"));
    m_Collection.Set("ZentavoOLSMSAddinSMSReminderSchedule", _variant_t(L"replaced"));
    m_Outlook.Log().Clear();

    COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(m_Collection, m_Properties,
                                                                                        kPrefix);

    std::vector<std::string> names;
    for (const auto& entry : m_Collection.GetEntries())
        names.push_back(entry.first);
    EXPECT_THAT(names, ElementsAre("ZentavoOLSMSAddin", "ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile",
                                   "ZentavoOLSMSAddinSMSReminderSchedule", "ZentavoOLSMSAddinServerSavedStatus"));
    EXPECT_EQ("15 minutes before", m_Collection.GetString("ZentavoOLSMSAddinSMSReminderSchedule", ""));
    EXPECT_EQ("kept", m_Collection.GetString("ZentavoOLSMSAddinServerSavedStatus", ""));
    EXPECT_EQ("1", m_Collection.GetString("ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile", ""));
    // Values are read for matching names only.
    EXPECT_EQ(3u, m_Outlook.Log().CallsTo(L"UserProperty.Value").size());
    EXPECT_EQ(6u, m_Outlook.Log().CallsTo(L"UserProperty.Name").size());
    EXPECT_EQ(L"UserProperties.Count", m_Outlook.Log().Texts().front());
}

TEST_F(UserPropertiesTest, LoadFailuresRaiseTheirHresultAndKeepWhatWasAdded)
{
    Fake().Preset(L"ZentavoOLSMSAddinA", L"a");
    Fake().Add(_variant_t()); // Item answers Nothing for index 2
    for (const HRESULT expected : {E_POINTER, E_ACCESSDENIED})
    {
        if (expected == E_ACCESSDENIED)
            Fake().Fail(L"Count", E_ACCESSDENIED);
        try
        {
            COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(
                m_Collection, m_Properties, kPrefix);
            ADD_FAILURE() << "no failure";
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(expected, e.Error());
        }
    }
    EXPECT_EQ("a", m_Collection.GetString("ZentavoOLSMSAddinA", ""));
}

TEST_F(UserPropertiesTest, PersistWritesOnlyWhatChangedInNameOrder)
{
    Fake().Preset(L"Same", L"x");
    Fake().Preset(L"Changed", L"old");
    Fake().Preset(L"StoredFalse", L"0");
    m_Collection.Set("Same", _variant_t(L"x"));
    m_Collection.Set("Changed", _variant_t(L"new"));
    m_Collection.Set("New", _variant_t(L"n"));
    m_Collection.Set("StoredFalse", Bool(VARIANT_FALSE));

    Persist();

    EXPECT_FALSE(m_Denied);
    EXPECT_THAT(m_Outlook.Log().Texts(),
                ElementsAre(L"UserProperties.Item(\"Changed\")", L"UserProperty.Value", L"UserProperty.Value=\"new\"",
                            L"UserProperties.Item(\"New\")", L"UserProperties.Add(\"New\", 1)",
                            L"UserProperty.Value=\"n\"", L"UserProperties.Item(\"Same\")", L"UserProperty.Value",
                            L"UserProperties.Item(\"StoredFalse\")", L"UserProperty.Value"));
    EXPECT_EQ(L"new", TextOf(Fake().Property(L"Changed")));

    // Nothing changed since: nothing is written.
    Persist();
    EXPECT_TRUE(m_Outlook.Log().CallsTo(L"UserProperties.Add").empty());
    for (const CFakeCall& call : m_Outlook.Log().Calls())
        EXPECT_NE(FakeCallKind::Put, call.m_Kind) << call.ToText();
}

TEST_F(UserPropertiesTest, BooleansAreStoredAsOneOrZeroAndReadBackAsText)
{
    m_Collection.Set("True", Bool(VARIANT_TRUE));
    m_Collection.Set("False", Bool(VARIANT_FALSE));
    m_Collection.Set("NotAllBits", Bool(1));
    Persist();
    EXPECT_EQ(L"1", TextOf(Fake().Property(L"True")));
    EXPECT_EQ(L"0", TextOf(Fake().Property(L"False")));
    EXPECT_EQ(L"0", TextOf(Fake().Property(L"NotAllBits")));

    CNameVariantCollection loaded;
    COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(loaded, m_Properties, "");
    ASSERT_NE(nullptr, loaded.Find("True"));
    EXPECT_EQ(VT_BSTR, V_VT(loaded.Find("True")));
    EXPECT_TRUE(COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(*loaded.Find("True")));
    EXPECT_FALSE(COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(*loaded.Find("False")));
}

TEST_F(UserPropertiesTest, RefusedWritesSetThePermissionFlagAndTheWalkGoesOn)
{
    struct Row
    {
        const char* m_Case;
        bool m_OnExisting; // else on Add
        HRESULT m_Refusal;
    };
    const Row rows[] = {
        {"an existing property's value", true, E_ACCESSDENIED},
        {"adding a property, access denied", false, E_ACCESSDENIED},
        {"adding a property, invalid argument", false, E_INVALIDARG},
    };
    for (const Row& row : rows)
    {
        m_Properties = m_Outlook.NewUserProperties();
        Fake().Preset(L"A", L"old");
        Fake().Preset(L"C", L"old");
        if (row.m_OnExisting)
            Fake().FailValueWrite(L"A", row.m_Refusal);
        else
            Fake().FailAdd(L"A2", row.m_Refusal);
        m_Collection = CNameVariantCollection();
        m_Collection.Set("A", _variant_t(L"new"));
        m_Collection.Set("A2", _variant_t(L"new"));
        m_Collection.Set("B", _variant_t(L"new"));
        m_Collection.Set("C", _variant_t(L"new"));

        EXPECT_EQ(S_OK, PersistFailure().first) << row.m_Case;

        EXPECT_TRUE(m_Denied) << row.m_Case;
        EXPECT_EQ(row.m_OnExisting ? L"old" : L"new", TextOf(Fake().Property(L"A"))) << row.m_Case;
        EXPECT_EQ(!row.m_OnExisting, Fake().Property(L"A2") == nullptr) << row.m_Case;
        // After a refusal new properties are still added but get no value;
        // existing ones are still written.
        ASSERT_NE(nullptr, Fake().Property(L"B")) << row.m_Case;
        EXPECT_EQ(L"", TextOf(Fake().Property(L"B"))) << row.m_Case;
        EXPECT_EQ(L"new", TextOf(Fake().Property(L"C"))) << row.m_Case;
    }
}

TEST_F(UserPropertiesTest, OtherFailuresEndTheWalkNamingTheStep)
{
    struct Row
    {
        const char* m_Case;
        void (*m_Inject)(CFakeUserProperties& properties);
        HRESULT m_Expected;
        std::string m_Step;
    };
    const Row rows[] = {
        {"finding the property", [](CFakeUserProperties& p) { p.Fail(L"Item", E_UNEXPECTED, L"Item broke"); },
         E_UNEXPECTED, "Getting Exiting User Property) - Item broke"},
        {"reading the existing value",
         [](CFakeUserProperties& p) { p.Property(L"B")->Fail(L"Value", E_OUTOFMEMORY); }, E_OUTOFMEMORY,
         "Setting Exiting User Property) - "},
        {"writing the existing value", [](CFakeUserProperties& p) { p.FailValueWrite(L"B", E_FAIL); }, E_FAIL,
         "Setting Exiting User Property) - "},
        {"adding the property", [](CFakeUserProperties& p) { p.FailAdd(L"C", E_OUTOFMEMORY); }, E_OUTOFMEMORY,
         "Creating New User Property (Name:C) - "},
        {"setting the new value", [](CFakeUserProperties& p) { p.FailValueWrite(L"C", E_ABORT); }, E_ABORT,
         "Setting New User Property (Name:C) - "},
    };
    for (const Row& row : rows)
    {
        m_Properties = m_Outlook.NewUserProperties();
        Fake().Preset(L"A", L"old");
        Fake().Preset(L"B", L"old");
        row.m_Inject(Fake());
        m_Collection = CNameVariantCollection();
        for (const char* name : {"A", "B", "C", "D"})
            m_Collection.Set(name, _variant_t(L"new"));

        const std::pair<HRESULT, std::string> failure = PersistFailure();

        EXPECT_EQ(row.m_Expected, failure.first) << row.m_Case;
        EXPECT_EQ(0u, failure.second.find("COM exception thrown (Context:" + kStep + row.m_Step))
            << row.m_Case << ": " << failure.second;
        EXPECT_FALSE(m_Denied) << row.m_Case;
        EXPECT_EQ(nullptr, Fake().Property(L"D")) << row.m_Case << ": the walk ended";
        if (row.m_Expected != E_UNEXPECTED)
        {
            EXPECT_EQ(L"new", TextOf(Fake().Property(L"A"))) << row.m_Case << ": written before stays written";
        }
    }
}

TEST(NameVariantCollection, CopiesAreDeepAndCopyToReplacesTheTarget)
{
    CNameVariantCollection source;
    source.Set("Text", _variant_t(L"source"));
    CNameVariantCollection target;
    target.Set("Stale", _variant_t(L"stale"));
    source.CopyTo(target);
    const CNameVariantCollection copy(source);
    source.Set("Text", _variant_t(L"changed"));

    EXPECT_EQ(nullptr, target.Find("Stale"));
    EXPECT_EQ("source", target.GetString("Text", ""));
    EXPECT_EQ("source", copy.GetString("Text", ""));
    EXPECT_NE(V_BSTR(source.Find("Text")), V_BSTR(target.Find("Text")));

    VARIANT bad;
    V_VT(&bad) = 0x0FFF;
    EXPECT_THROW(source.Set("Bad", bad), _com_error);
    EXPECT_EQ(nullptr, source.Find("Bad"));
}

TEST(NameVariantCollection, GetVariantAsBoolReadsBothStoredForms)
{
    struct Row
    {
        const char* m_Case;
        _variant_t m_Value;
        bool m_Expected;
    };
    const Row rows[] = {
        {"VARIANT_TRUE", Bool(VARIANT_TRUE), true}, {"VARIANT_FALSE", Bool(VARIANT_FALSE), false},
        {"not all bits", Bool(1), false},          {"text 1", L"1", true},
        {"text 0", L"0", false},                   {"text true", L"true", false},
        {"text with a blank", L" 1", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.m_Expected, COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(row.m_Value))
            << row.m_Case;
    try
    {
        COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(_variant_t(1L));
        ADD_FAILURE() << "no failure";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ(E_FAIL, e.GetHResult());
        EXPECT_EQ("COutlookAddin_UserPropertiesPersistance::GetVariantAsBool - Variant unexpected type",
                  e.GetDescription());
    }
}
