#include "ui/ZentavoHelpButton.h"

#include "core/Exceptions.h"
#include "platform/ModuleInstance.h"
#include "resources/resource.h"

void CZentavoHelpButton::Init(HWND parent, int buttonId, int linkId)
{
    m_ImageList.reset(::ImageList_LoadImageA(GetThisModuleInstance(), MAKEINTRESOURCEA(IDB_HELPBUTTON), kImageWidth, 0,
                                             kMaskColour, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!m_ImageList)
        throw CGeneralException("CZentavoHelpButton::Init - Could not load the help picture",
                                HRESULT_FROM_WIN32(::GetLastError()));
    if (!m_Button.SubclassWindow(::GetDlgItem(parent, buttonId)))
        throw CGeneralException("CZentavoHelpButton::Init - Could not attach the help button", E_FAIL);
    m_Button.SetImageList(m_ImageList.get());
    m_Button.SetImages(0);

    m_Link.SetHyperLinkExtendedStyle(HLINK_COMMANDBUTTON);
    if (!m_Link.SubclassWindow(::GetDlgItem(parent, linkId)))
        throw CGeneralException("CZentavoHelpButton::Init - Could not attach the help link", E_FAIL);
}
