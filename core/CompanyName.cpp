#include "core/CompanyName.h"

#include "core/StringUtils.h"

void ReplaceCompanyNameShortTag(std::string& text)
{
    text = ReplaceAll(text, "{CompanyNameShort}", "ZentavoSoftware");
}
