#include "core/SMSTemplate.h"

#include "core/StringUtils.h"

#include <algorithm>

CSMSTemplate::CSMSTemplate() : BuiltIn(false)
{
}

CSMSTemplate::~CSMSTemplate() = default;

std::string CSMSTemplate::GetId() const
{
    return Id.empty() ? MakeIdentifierFromName(Name) : Id;
}

bool CSMSTemplateVector::ContainsName(const std::string& name) const
{
    return std::any_of(begin(), end(), [&name](const CSMSTemplate& item) { return item.Name == name; });
}
