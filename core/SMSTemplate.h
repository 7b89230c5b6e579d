// A message template of SMS reminders (a name and a text with bracketed
// fields) and the ordered list of them that the user preferences store.
#pragma once

#include <string>
#include <vector>

class CSMSTemplate
{
public:
    CSMSTemplate();
    ~CSMSTemplate();

    // The Id when one is set, else an identifier made from the Name: the
    // value reminders store and look templates up by.
    std::string GetId() const;
    void SetId(const std::string& id);

    // Also the name of the template's registry subkey.
    std::string Name;
    // Lines separated by LF; fields written in square brackets.
    std::string Text;
    // Set only for the reminder code's own read-only template.
    bool BuiltIn;
    // Normally empty; set for the built-in template only.
    std::string Id;
};

class CSMSTemplateVector : public std::vector<CSMSTemplate>
{
public:
    // Names and ids compare exactly, case-sensitively; the first record
    // that matches wins, and none gives null.
    bool ContainsName(const std::string& name) const;
    CSMSTemplate* FindById(const std::string& id);
    const CSMSTemplate* FindById(const std::string& id) const;
    CSMSTemplate* FindByName(const std::string& name);
    const CSMSTemplate* FindByName(const std::string& name) const;
    // Removes the first record of that name, keeping the order of the rest.
    void RemoveByName(const std::string& name);
};

// The one rule for template names, kept by the preferences save and by the
// editor. Each template is stored as a registry subkey named by its Name, so
// a name cannot be empty, hold a "\" (it would make a nested key) or be
// longer than 255 characters, and it cannot equal another name of the list,
// case aside (the registry does not tell such names apart).
enum class TemplateNameFault
{
    None,
    Empty,
    HoldsBackslash,
    TooLong,
    ClashesIgnoringCase,
};
// What is wrong with the name among the list's other records; except is a
// record of the list not to compare with (the one being renamed), or null.
TemplateNameFault FindTemplateNameFault(const std::string& name, const CSMSTemplateVector& templates,
                                        const CSMSTemplate* except);
