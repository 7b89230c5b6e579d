#include "core/SMSTemplate.h"

#include <algorithm>

namespace
{
// A name made fit for use as an identifier: a leading "_" before a digit,
// digits, capitals and the characters from '_' to code 127 kept, blanks as
// "_", everything else dropped. "2 Day Notice!" gives "_2_Day_Notice".
std::string IdentifierFromName(const std::string& name)
{
    std::string id;
    if (!name.empty() && name[0] >= '0' && name[0] <= '9')
        id += '_';
    for (const char c : name)
    {
        const unsigned char code = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (code >= '_' && code <= 127))
            id += c;
        else if (c == ' ')
            id += '_';
    }
    return id;
}
}  // namespace

CSMSTemplate::CSMSTemplate() : BuiltIn(false)
{
}

CSMSTemplate::~CSMSTemplate() = default;

std::string CSMSTemplate::GetId() const
{
    return Id.empty() ? IdentifierFromName(Name) : Id;
}

bool CSMSTemplateVector::ContainsName(const std::string& name) const
{
    return std::any_of(begin(), end(), [&name](const CSMSTemplate& item) { return item.Name == name; });
}
