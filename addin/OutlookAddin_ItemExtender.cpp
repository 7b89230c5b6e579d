#include "addin/OutlookAddin_ItemExtender.h"

#include "platform/OfficeIds.h"

IDispatchPtr AsAppointment(IDispatch* item)
{
    IDispatchPtr appointment;
    if (item)
        item->QueryInterface(IID__AppointmentItem, reinterpret_cast<void**>(&appointment));
    return appointment;
}

void COutlookAddin_ItemExtender::OnNewInspector(IDispatchPtr)
{
}

HRESULT COutlookAddin_ItemExtender::OnMAPIFolderBeforeItemMove(IDispatchPtr, IDispatchPtr, VARIANT_BOOL* cancel)
{
    if (cancel)
        *cancel = VARIANT_FALSE;
    return S_OK;
}

void COutlookAddin_ItemExtender::OnItemAdd(IDispatchPtr)
{
}

void COutlookAddin_ItemExtender::OnItemChange(IDispatchPtr)
{
}

void COutlookAddin_ItemExtender::OnRibbonLoaded(IDispatchPtr)
{
}

void COutlookAddin_ItemExtender::GetCustomUI(const std::wstring&, BSTR*)
{
}

void COutlookAddin_ItemExtender::Ribbon_ButtonOnAction(IDispatchPtr)
{
}

void COutlookAddin_ItemExtender::Ribbon_CheckBoxOnAction(IDispatchPtr, long)
{
}

void COutlookAddin_ItemExtender::Ribbon_DropDownOnAction(IDispatchPtr, BSTR, long)
{
}

void COutlookAddin_ItemExtender::Ribbon_OnChange(IDispatchPtr, BSTR)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetLabel(IDispatchPtr, BSTR*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetText(IDispatchPtr, BSTR*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetPressed(IDispatchPtr, long*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetItemCount(IDispatchPtr, long*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetItemId(IDispatchPtr, long, BSTR*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetItemLabel(IDispatchPtr, long, BSTR*)
{
}

void COutlookAddin_ItemExtender::Ribbon_GetVisible(IDispatchPtr, long*)
{
}

std::wstring COutlookAddin_ItemExtender::GetContextMenusCustomUI()
{
    return std::wstring();
}

std::wstring COutlookAddin_ItemExtender::GetRibbonTabsCustomUI()
{
    return std::wstring();
}
