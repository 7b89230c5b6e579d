// The template record's lookups and the one rule for template names.
#include "core/SMSTemplate.h"

#include <gtest/gtest.h>

namespace
{
CSMSTemplate Make(const std::string& name, const std::string& text, const std::string& id = "")
{
    CSMSTemplate item;
    item.Name = name;
    item.Text = text;
    item.SetId(id);
    return item;
}

CSMSTemplateVector Sample()
{
    CSMSTemplateVector templates;
    templates.push_back(Make("Default Template", "built in", "DefaultTemplate"));
    templates.push_back(Make("Dentist visit", "first"));
    templates.push_back(Make("dentist visit", "lower case"));
    templates.push_back(Make("Dentist visit", "second"));
    templates.push_back(Make("Notes", "notes"));
    return templates;
}
} // namespace

TEST(SMSTemplate, FindByIdUsesTheSetIdElseTheIdentifierOfTheName)
{
    CSMSTemplateVector templates = Sample();
    ASSERT_NE(nullptr, templates.FindById("DefaultTemplate"));
    EXPECT_EQ("built in", templates.FindById("DefaultTemplate")->Text);
    EXPECT_EQ(nullptr, templates.FindById("Default_Template")) << "a set id replaces the name's";
    ASSERT_NE(nullptr, templates.FindById("Dentist_visit"));
    EXPECT_EQ("first", templates.FindById("Dentist_visit")->Text);
    EXPECT_EQ("lower case", templates.FindById("dentist_visit")->Text);
    EXPECT_EQ(nullptr, templates.FindById("DENTIST_VISIT"));
    EXPECT_EQ(nullptr, templates.FindById(""));
}

TEST(SMSTemplate, RemoveByNameRemovesTheFirstMatchOnlyAndKeepsTheOrder)
{
    CSMSTemplateVector templates = Sample();
    templates.RemoveByName("Dentist visit");
    ASSERT_EQ(4u, templates.size());
    EXPECT_EQ("lower case", templates[1].Text);
    EXPECT_EQ("second", templates[2].Text);
    EXPECT_EQ("Notes", templates[3].Name);

    templates.RemoveByName("NOTES");
    EXPECT_EQ(4u, templates.size());
    templates.RemoveByName("Notes");
    EXPECT_EQ(3u, templates.size());
    EXPECT_FALSE(templates.ContainsName("Notes"));
}

TEST(SMSTemplateName, TheRegistryRuleNamesWhatIsWrong)
{
    CSMSTemplateVector templates;
    templates.push_back(Make("Visit", ""));
    templates.push_back(Make("Notes", ""));
    struct Row
    {
        const char* m_Case;
        std::string m_Name;
        TemplateNameFault m_Fault;
    };
    const Row rows[] = {
        {"a new name", "Dentist", TemplateNameFault::None},
        {"differs only in a blank against an underscore", "No_tes", TemplateNameFault::None},
        {"empty", "", TemplateNameFault::Empty},
        {"a nested key", "Work\\Visit", TemplateNameFault::HoldsBackslash},
        {"the longest key name", std::string(255, 'n'), TemplateNameFault::None},
        {"one character too long", std::string(256, 'n'), TemplateNameFault::TooLong},
        {"the same name", "Notes", TemplateNameFault::ClashesIgnoringCase},
        {"equal but for case", "VISIT", TemplateNameFault::ClashesIgnoringCase},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.m_Fault, FindTemplateNameFault(row.m_Name, templates, nullptr)) << row.m_Case;
}

TEST(SMSTemplateName, TheRecordBeingRenamedIsNotComparedWithItself)
{
    CSMSTemplateVector templates;
    templates.push_back(Make("Visit", ""));
    templates.push_back(Make("Notes", ""));
    EXPECT_EQ(TemplateNameFault::None, FindTemplateNameFault("VISIT", templates, &templates[0]));
    EXPECT_EQ(TemplateNameFault::ClashesIgnoringCase, FindTemplateNameFault("notes", templates, &templates[0]));
}
