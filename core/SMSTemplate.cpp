#include "core/SMSTemplate.h"

#include "core/StringUtils.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace
{
// The registry's limit on the length of one key name.
const std::size_t kMaxKeyNameLength = 255;

// The name as the registry compares key names: upper-cased, case folded
// beyond ASCII too.
std::wstring RegistryKeyNameForm(const std::string& name)
{
    std::wstring wide = AnsiToWide(name);
    if (!wide.empty())
        ::CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return wide;
}

template <typename Match>
const CSMSTemplate* FindFirst(const CSMSTemplateVector& templates, Match match)
{
    const auto found = std::find_if(templates.begin(), templates.end(), match);
    return found == templates.end() ? nullptr : &*found;
}
} // namespace

CSMSTemplate::CSMSTemplate() : BuiltIn(false)
{
}

CSMSTemplate::~CSMSTemplate() = default;

std::string CSMSTemplate::GetId() const
{
    return Id.empty() ? MakeIdentifierFromName(Name) : Id;
}

void CSMSTemplate::SetId(const std::string& id)
{
    Id = id;
}

bool CSMSTemplateVector::ContainsName(const std::string& name) const
{
    return FindByName(name) != nullptr;
}

CSMSTemplate* CSMSTemplateVector::FindById(const std::string& id)
{
    return const_cast<CSMSTemplate*>(std::as_const(*this).FindById(id));
}

const CSMSTemplate* CSMSTemplateVector::FindById(const std::string& id) const
{
    return FindFirst(*this, [&id](const CSMSTemplate& item) { return item.GetId() == id; });
}

CSMSTemplate* CSMSTemplateVector::FindByName(const std::string& name)
{
    return const_cast<CSMSTemplate*>(std::as_const(*this).FindByName(name));
}

const CSMSTemplate* CSMSTemplateVector::FindByName(const std::string& name) const
{
    return FindFirst(*this, [&name](const CSMSTemplate& item) { return item.Name == name; });
}

void CSMSTemplateVector::RemoveByName(const std::string& name)
{
    if (const CSMSTemplate* found = FindByName(name))
        erase(begin() + (found - data()));
}

TemplateNameFault FindTemplateNameFault(const std::string& name, const CSMSTemplateVector& templates,
                                        const CSMSTemplate* except)
{
    if (name.empty())
        return TemplateNameFault::Empty;
    if (name.find('\\') != std::string::npos)
        return TemplateNameFault::HoldsBackslash;
    const std::wstring folded = RegistryKeyNameForm(name);
    if (folded.size() > kMaxKeyNameLength)
        return TemplateNameFault::TooLong;
    for (const CSMSTemplate& other : templates)
    {
        if (&other != except && RegistryKeyNameForm(other.Name) == folded)
            return TemplateNameFault::ClashesIgnoringCase;
    }
    return TemplateNameFault::None;
}
