#include "addin/PropPage.h"

#include "addin/Module.h"
#include "resources/resource.h"

HRESULT CPropPage::UpdateRegistry(bool doRegister)
{
    return UpdateRegistryFromResource(IDR_PROPPAGE, doRegister);
}

HRESULT CLitePage::UpdateRegistry(bool doRegister)
{
    return UpdateRegistryFromResource(IDR_LITEPAGE, doRegister);
}
