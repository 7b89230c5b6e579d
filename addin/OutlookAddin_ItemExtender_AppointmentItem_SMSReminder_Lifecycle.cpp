// The reminder's submission lifecycle: saving, changing, moving and deleting
// an appointment keeps its gateway job in step. Until it is built, these
// events leave the item and its move alone.
#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemWriteEvent(IDispatch*, VARIANT_BOOL* cancel)
{
    if (cancel)
        *cancel = VARIANT_FALSE;
}

void COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnItemChange(IDispatchPtr)
{
}

HRESULT COutlookAddin_ItemExtender_AppointmentItem_SMSReminder::OnMAPIFolderBeforeItemMove(IDispatchPtr, IDispatchPtr,
                                                                                           VARIANT_BOOL* cancel)
{
    if (cancel)
        *cancel = VARIANT_FALSE;
    return S_OK;
}
