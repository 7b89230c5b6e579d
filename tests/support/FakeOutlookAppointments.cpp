// Appointments and their inspectors in the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

namespace
{
const long kAppointmentClass = 26;  // olAppointment

_variant_t FakeDate(DATE date)
{
    _variant_t value;
    V_VT(&value) = VT_DATE;
    V_DATE(&value) = date;
    return value;
}
} // namespace

CFakeObjectPtr CFakeOutlook::NewAppointmentItem(const std::wstring& subject, DATE start, DATE end,
                                                long meetingStatus) const
{
    const CFakeObjectPtr appointment = NewObject(L"AppointmentItem");
    appointment->AddInterface(IID__AppointmentItem);
    appointment->AddEventSource(DIID_ItemEvents_10);
    Declare(*appointment, L"Class", _variant_t(kAppointmentClass), 61450);
    appointment->SetReadOnly(L"Class");
    Declare(*appointment, L"Subject", FakeText(subject), 55);
    Declare(*appointment, L"Body", FakeText(L""), 37120);
    Declare(*appointment, L"Location", FakeText(L""));
    Declare(*appointment, L"Start", FakeDate(start));
    Declare(*appointment, L"End", FakeDate(end));
    Declare(*appointment, L"MeetingStatus", _variant_t(meetingStatus), 33303);
    Declare(*appointment, L"UserProperties", static_cast<IDispatch*>(NewUserProperties()), 63510);
    appointment->SetReadOnly(L"UserProperties");
    Declare(*appointment, L"Recipients", static_cast<IDispatch*>(NewRecipients()), 63508);
    appointment->SetReadOnly(L"Recipients");
    return appointment;
}

CFakeObjectPtr CFakeOutlook::NewInspector(IDispatch* currentItem) const
{
    const CFakeObjectPtr inspector = NewObject(L"Inspector");
    inspector->AddInterface(IID__Inspector);
    inspector->AddEventSource(DIID_InspectorEvents);
    Declare(*inspector, L"CurrentItem", currentItem, 8450);
    inspector->SetReadOnly(L"CurrentItem");
    return inspector;
}
