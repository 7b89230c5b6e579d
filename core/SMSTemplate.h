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
    // Exact, case-sensitive comparison of the names.
    bool ContainsName(const std::string& name) const;
};
