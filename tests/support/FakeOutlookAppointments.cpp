// Appointments and their inspectors in the test Outlook, and the store in
// which NameSpace.GetItemFromID finds items.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

namespace
{
using Arguments = CFakeObject::Arguments;

const long kAppointmentClass = 26;  // olAppointment
const HRESULT kMapiNotFound = static_cast<HRESULT>(0x8004010F);
// What a copy takes over from its item, besides the user properties.
const wchar_t* const kCopiedMembers[] = {L"Parent", L"Subject", L"Body", L"Location", L"Start", L"End",
                                         L"MeetingStatus"};

_variant_t FakeDate(DATE date)
{
    _variant_t value;
    V_VT(&value) = VT_DATE;
    V_DATE(&value) = date;
    return value;
}

std::wstring EntryIdOf(const CFakeObjectPtr& item)
{
    return static_cast<const wchar_t*>(_bstr_t(item->Value(L"EntryID")));
}

void AddToStore(FakeStore& store, const CFakeObjectPtr& item)
{
    if (EntryIdOf(item).empty())
        item->SetProperty(L"EntryID", FakeText(NewEntryId()));
    store.push_back(item);
}

CFakeObjectPtr CopyOf(CFakeObject& item, const FakeWeakLog& log, const std::weak_ptr<FakeStore>& store)
{
    const CFakeObjectPtr copy = MakeAppointmentItem(log, store, L"", 0, 0, 0);
    for (const wchar_t* member : kCopiedMembers)
        if (item.HasMember(member))
            copy->SetProperty(member, item.Value(member));
    const CFakeCollectionPtr from = FakeCollectionOf(item.Value(L"UserProperties"));
    CFakeUserProperties& to = *CFakeUserProperties::Of(FakeCollectionOf(copy->Value(L"UserProperties")));
    for (size_t i = 0; i < from->Size(); ++i)
    {
        const CFakeObjectPtr property = FakeObjectOf(from->At(i));
        to.Preset(static_cast<const wchar_t*>(_bstr_t(property->Value(L"Name"))), property->Value(L"Value"),
                  static_cast<long>(property->Value(L"Type")));
    }
    if (const std::shared_ptr<FakeStore> held = store.lock())
        AddToStore(*held, copy);
    return copy;
}
} // namespace

void DeclareItemLookup(CFakeObject& nameSpace, const std::shared_ptr<FakeStore>& store)
{
    Declare(
        nameSpace, L"GetItemFromID",
        [store](const Arguments& arguments) {
            const std::wstring entryId = FakeArgumentText(arguments, 0);
            for (const CFakeObjectPtr& item : *store)
                if (!entryId.empty() && EntryIdOf(item) == entryId)
                    return _variant_t(static_cast<IDispatch*>(item));
            FakeThrow(kMapiNotFound, L"The operation failed. An object could not be found.");
        },
        8457);
}

CFakeObjectPtr MakeAppointmentItem(const FakeWeakLog& log, const std::weak_ptr<FakeStore>& store,
                                   const std::wstring& subject, DATE start, DATE end, long meetingStatus)
{
    const std::shared_ptr<CFakeCallLog> held = log.lock();
    const CFakeObjectPtr appointment = CFakeObject::Create(L"AppointmentItem", held);
    appointment->AddInterface(IID__AppointmentItem);
    appointment->AddEventSource(DIID_ItemEvents_10);
    Declare(*appointment, L"Class", _variant_t(kAppointmentClass), 61450);
    appointment->SetReadOnly(L"Class");
    Declare(*appointment, L"EntryID", FakeText(L""), 61470);
    Declare(*appointment, L"Subject", FakeText(subject), 55);
    Declare(*appointment, L"Body", FakeText(L""), 37120);
    Declare(*appointment, L"Location", FakeText(L""));
    Declare(*appointment, L"Start", FakeDate(start));
    Declare(*appointment, L"End", FakeDate(end));
    Declare(*appointment, L"MeetingStatus", _variant_t(meetingStatus), 33303);
    Declare(*appointment, L"UserProperties", static_cast<IDispatch*>(CFakeUserProperties::Create(held)), 63510);
    appointment->SetReadOnly(L"UserProperties");
    Declare(*appointment, L"Recipients", static_cast<IDispatch*>(MakeRecipients(log)), 63508);
    appointment->SetReadOnly(L"Recipients");
    CFakeObject* self = appointment;
    Declare(*appointment, L"Copy", [self, log, store](const Arguments&) {
        return _variant_t(static_cast<IDispatch*>(CopyOf(*self, log, store)));
    });
    return appointment;
}

CFakeObjectPtr CFakeOutlook::NewAppointmentItem(const std::wstring& subject, DATE start, DATE end,
                                                long meetingStatus) const
{
    return MakeAppointmentItem(m_Log, m_Store, subject, start, end, meetingStatus);
}

void CFakeOutlook::StoreItem(const CFakeObjectPtr& item) const
{
    AddToStore(*m_Store, item);
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
