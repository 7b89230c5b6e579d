// The service's short name, which texts shown to the user carry as the tag
// "{CompanyNameShort}" until they are displayed.
#pragma once

#include <string>

// Replaces every "{CompanyNameShort}" with the service's short name.
void ReplaceCompanyNameShortTag(std::string& text);
