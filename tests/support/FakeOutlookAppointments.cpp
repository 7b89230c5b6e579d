// Appointments and their inspectors in the test Outlook, and the store in
// which NameSpace.GetItemFromID finds items.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

namespace
{
using Arguments = CFakeObject::Arguments;

const long kAppointmentClass = 26;  // olAppointment
const long kNotRecurring = 0;       // olApptNotRecurring
const HRESULT kMapiNotFound = static_cast<HRESULT>(0x8004010F);
const DISPID kBeforeItemMove = 0xFBA9;
const DISPID kItemAdd = 0xF001;
const DISPID kItemRemove = 0xF003;
// The one filter form Restrict evaluates: a text user property (in
// PS_PUBLIC_STRINGS, with the type specifier a DASL filter on a property the
// folder does not define needs) equal to a quoted text.
const wchar_t kUserTextPropertyHead[] =
    L"@SQL=\"http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";
const wchar_t kUserTextPropertyTail[] = L"/0000001f\"";
// What a copy takes over from its item, besides the user properties.
const wchar_t* const kCopiedMembers[] = {L"Parent", L"Subject", L"Body", L"Location", L"Start", L"End",
                                         L"MeetingStatus"};
// What an occurrence shows of its master.
const wchar_t* const kSeriesMembers[] = {L"EntryID", L"Subject", L"Body", L"Location", L"MeetingStatus"};

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

void RemoveFromStore(FakeStore& store, const CFakeObject* item)
{
    for (auto it = store.begin(); it != store.end(); ++it)
        if (it->GetInterfacePtr() == item)
        {
            store.erase(it);
            return;
        }
}

bool InStore(const FakeStore& store, const CFakeObjectPtr& item)
{
    for (const CFakeObjectPtr& held : store)
        if (held.GetInterfacePtr() == item.GetInterfacePtr())
            return true;
    return false;
}

// The property name and the value of a filter of the one form evaluated;
// false for any other filter.
bool ReadUserTextFilter(const std::wstring& filter, std::wstring& name, std::wstring& value)
{
    const std::wstring head = kUserTextPropertyHead;
    if (filter.compare(0, head.size(), head) != 0)
        return false;
    const std::wstring::size_type tail = filter.find(kUserTextPropertyTail, head.size());
    if (tail == std::wstring::npos || tail == head.size())
        return false;
    name = filter.substr(head.size(), tail - head.size());
    std::wstring::size_type at = tail + wcslen(kUserTextPropertyTail);
    while (at < filter.size() && filter[at] == L' ')
        ++at;
    if (at >= filter.size() || filter[at] != L'=')
        return false;
    ++at;
    while (at < filter.size() && filter[at] == L' ')
        ++at;
    if (at >= filter.size() || filter[at] != L'\'')
        return false;
    value.clear();
    for (++at; at < filter.size(); ++at)
    {
        if (filter[at] != L'\'')
            value += filter[at];
        else if (at + 1 < filter.size() && filter[at + 1] == L'\'')
            value += filter[++at];
        else
            return at + 1 == filter.size();
    }
    return false;
}

// DASL names compare case-sensitively.
bool HasUserText(const CFakeObjectPtr& item, const std::wstring& name, const std::wstring& value)
{
    const CFakeCollectionPtr properties = FakeCollectionOf(item->Value(L"UserProperties"));
    for (size_t i = 0; properties && i < properties->Size(); ++i)
    {
        const CFakeObjectPtr property = FakeObjectOf(properties->At(i));
        const _variant_t stored = property->Value(L"Value");
        if (static_cast<const wchar_t*>(_bstr_t(property->Value(L"Name"))) == name && V_VT(&stored) == VT_BSTR &&
            value == (V_BSTR(&stored) ? V_BSTR(&stored) : L""))
            return true;
    }
    return false;
}

void FireOnItems(const CFakeObjectPtr& folder, DISPID id, const Arguments& arguments)
{
    if (const CFakeObjectPtr items = folder ? FakeObjectOf(folder->Value(L"Items")) : nullptr)
        items->Fire(DIID_ItemsEvents, id, arguments);
}

void CopyUserProperties(CFakeObject& from, CFakeObject& to)
{
    const CFakeCollectionPtr source = FakeCollectionOf(from.Value(L"UserProperties"));
    CFakeUserProperties& target = *CFakeUserProperties::Of(FakeCollectionOf(to.Value(L"UserProperties")));
    for (size_t i = 0; i < source->Size(); ++i)
    {
        const CFakeObjectPtr property = FakeObjectOf(source->At(i));
        target.Preset(static_cast<const wchar_t*>(_bstr_t(property->Value(L"Name"))), property->Value(L"Value"),
                      static_cast<long>(property->Value(L"Type")));
    }
    target.Commit();
}

CFakeObjectPtr CopyOf(CFakeObject& item, const FakeWeakLog& log, const std::weak_ptr<FakeStore>& store)
{
    const CFakeObjectPtr copy = MakeAppointmentItem(log, store, L"", 0, 0, 0);
    for (const wchar_t* member : kCopiedMembers)
        if (item.HasMember(member))
            copy->SetProperty(member, item.Value(member));
    CopyUserProperties(item, *copy);
    if (const std::shared_ptr<FakeStore> held = store.lock())
        AddToStore(*held, copy);
    return copy;
}

// A move as an Exchange mailbox makes it, whether to another folder of the
// mailbox or to another store: BeforeItemMove on the item's folder, whose
// Cancel stops it; then a copy with an EntryID of its own in the target
// folder, ItemAdd on the target's Items, the item deleted from the store,
// and ItemRemove on its old folder's Items.
_variant_t MoveOf(CFakeObject& item, const Arguments& arguments, const FakeWeakLog& log,
                  const std::weak_ptr<FakeStore>& store)
{
    const CFakeObjectPtr target = arguments.empty() ? nullptr : FakeObjectOf(arguments[0]);
    if (!target)
        FakeThrow(E_INVALIDARG, L"The item could not be moved.");
    const CFakeObjectPtr source = FakeObjectOf(item.Value(L"Parent"));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    _variant_t cancelReference;
    V_VT(&cancelReference) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&cancelReference) = &cancel;
    if (source)
        source->Fire(DIID_MAPIFolderEvents_12, kBeforeItemMove,
                     {_variant_t(static_cast<IDispatch*>(&item)), _variant_t(static_cast<IDispatch*>(target)),
                      cancelReference});
    if (cancel == VARIANT_TRUE)
        return _variant_t();
    const CFakeObjectPtr moved = CopyOf(item, log, store);
    moved->SetProperty(L"Parent", static_cast<IDispatch*>(target));
    FireOnItems(target, kItemAdd, {_variant_t(static_cast<IDispatch*>(moved))});
    if (const std::shared_ptr<FakeStore> held = store.lock())
        RemoveFromStore(*held, &item);
    FireOnItems(source, kItemRemove, {});
    return _variant_t(static_cast<IDispatch*>(moved));
}
} // namespace

void DeclareItemsRestrict(CFakeObject& items, IDispatch* folder, const std::weak_ptr<FakeStore>& store)
{
    const FakeWeakLog log(items.Log());
    Declare(items, L"Restrict", [folder, store, log](const Arguments& arguments) {
        std::wstring name;
        std::wstring value;
        if (!ReadUserTextFilter(FakeArgumentText(arguments, 0), name, value))
            FakeThrow(E_INVALIDARG, L"Cannot parse condition.");
        const CFakeCollectionPtr found = CFakeCollection::Create(L"Items", log.lock());
        if (const std::shared_ptr<FakeStore> held = store.lock())
            for (const CFakeObjectPtr& item : *held)
            {
                const _variant_t parent = item->Value(L"Parent");
                if (V_VT(&parent) == VT_DISPATCH && V_DISPATCH(&parent) == folder && HasUserText(item, name, value))
                    found->Add(static_cast<IDispatch*>(item));
            }
        return _variant_t(static_cast<IDispatch*>(found));
    });
}

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
    Declare(*appointment, L"RecurrenceState", _variant_t(kNotRecurring));
    appointment->SetReadOnly(L"RecurrenceState");
    Declare(*appointment, L"UserProperties", static_cast<IDispatch*>(CFakeUserProperties::Create(held)), 63510);
    appointment->SetReadOnly(L"UserProperties");
    Declare(*appointment, L"Recipients", static_cast<IDispatch*>(MakeRecipients(log)), 63508);
    appointment->SetReadOnly(L"Recipients");
    CFakeObject* self = appointment;
    Declare(*appointment, L"Copy", [self, log, store](const Arguments&) {
        return _variant_t(static_cast<IDispatch*>(CopyOf(*self, log, store)));
    });
    Declare(*appointment, L"Move", [self, log, store](const Arguments& arguments) {
        return MoveOf(*self, arguments, log, store);
    });
    Declare(
        *appointment, L"Save",
        [self](const Arguments&) {
            CFakeUserProperties::Of(FakeCollectionOf(self->Value(L"UserProperties")))->Commit();
            return _variant_t();
        },
        61512);
    return appointment;
}

CFakeObjectPtr CFakeOutlook::NewAppointmentItem(const std::wstring& subject, DATE start, DATE end,
                                                long meetingStatus) const
{
    return MakeAppointmentItem(m_Log, m_Store, subject, start, end, meetingStatus);
}

CFakeObjectPtr CFakeOutlook::NewOccurrence(const CFakeObjectPtr& master, DATE start, DATE end,
                                           long recurrenceState) const
{
    const CFakeObjectPtr occurrence = MakeAppointmentItem(m_Log, m_Store, L"", start, end, 0);
    for (const wchar_t* member : kSeriesMembers)
        occurrence->SetProperty(member, master->Value(member));
    CopyUserProperties(*master, *occurrence);
    occurrence->SetProperty(L"RecurrenceState", _variant_t(recurrenceState));
    occurrence->SetProperty(L"Parent", static_cast<IDispatch*>(master));
    return occurrence;
}

void CFakeOutlook::StoreItem(const CFakeObjectPtr& item) const
{
    if (!InStore(*m_Store, item))
        AddToStore(*m_Store, item);
}

bool CFakeOutlook::IsStored(const CFakeObjectPtr& item) const
{
    return InStore(*m_Store, item);
}

CFakeObjectPtr CFakeOutlook::NewInspector(IDispatch* currentItem) const
{
    const CFakeObjectPtr inspector = NewObject(L"Inspector");
    inspector->AddInterface(IID__Inspector);
    inspector->AddEventSource(DIID_InspectorEvents);
    inspector->SetWindow(NewFakeOutlookWindow(L"Inspector"));
    Declare(*inspector, L"CurrentItem", currentItem, 8450);
    inspector->SetReadOnly(L"CurrentItem");
    return inspector;
}
