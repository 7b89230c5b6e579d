// What the parts of the test Outlook share: CFakeOutlook's constructor and
// its factories in FakeOutlook.cpp (recipients, address entries),
// FakeOutlookMail.cpp (folders, items, mail), FakeOutlookContacts.cpp
// (contacts, address lists) and FakeOutlookExplorer.cpp (explorers and the
// navigation pane).
#pragma once

#include "tests/support/FakeDispatch.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

using FakeWeakLog = std::weak_ptr<CFakeCallLog>;

// Declares a member, with Outlook's own dispatch id where it is known.
void Declare(CFakeObject& object, const wchar_t* name, const _variant_t& value, DISPID id = DISPID_UNKNOWN);
void Declare(CFakeObject& object, const wchar_t* name, IDispatch* value, DISPID id = DISPID_UNKNOWN);
void Declare(CFakeObject& object, const wchar_t* name, CFakeObject::Method method, DISPID id = DISPID_UNKNOWN);
// A read-only property holding a new collection; returns the collection.
CFakeCollectionPtr DeclareCollection(CFakeObject& object, const wchar_t* name, const std::wstring& className,
                                     const FakeWeakLog& log, DISPID id = DISPID_UNKNOWN);

_variant_t FakeText(const std::wstring& text);
// Recipients as CFakeOutlook::NewRecipients describes them.
CFakeCollectionPtr MakeRecipients(const FakeWeakLog& log);
// A new entry id in Outlook's hexadecimal form, unique in the process.
std::wstring NewEntryId();
// A method that answers the object (or Nothing), holding a reference to it.
CFakeObject::Method FakeAnswer(IDispatch* object);
bool FakeArgumentMissing(const CFakeObject::Arguments& arguments, size_t index);

// The items of the session's store that NameSpace.GetItemFromID and a
// folder's Items.Restrict find (FakeOutlookAppointments.cpp declares both).
using FakeStore = std::vector<CFakeObjectPtr>;
void DeclareItemLookup(CFakeObject& nameSpace, const std::shared_ptr<FakeStore>& store);
// Items.Restrict on a folder's items: the items of the store whose Parent
// is the folder (compared by identity, never used) and that match the
// filter. The store is not kept alive.
void DeclareItemsRestrict(CFakeObject& items, IDispatch* folder, const std::weak_ptr<FakeStore>& store);

// Declares NameSpace.GetDefaultFolder on the namespace; the folders it makes
// live in the returned map, which the namespace's method holds too.
std::shared_ptr<std::map<long, CFakeObjectPtr>> DeclareDefaultFolders(CFakeObject& nameSpace,
                                                                      const std::shared_ptr<CFakeCallLog>& log,
                                                                      const std::weak_ptr<FakeStore>& store);
// An AppointmentItem as CFakeOutlook::NewAppointmentItem describes it; its
// copies enter the store, which it does not keep alive.
CFakeObjectPtr MakeAppointmentItem(const FakeWeakLog& log, const std::weak_ptr<FakeStore>& store,
                                   const std::wstring& subject, DATE start, DATE end, long meetingStatus);

// A hidden top-level window of the calling thread, for an Inspector or an
// Explorer to answer IOleWindow with (FakeOutlookExplorer.cpp).
HWND NewFakeOutlookWindow(const wchar_t* title);

// Office command bars (FakeOutlookExplorer.cpp).
CFakeObjectPtr MakeCommandBar(const FakeWeakLog& log, const std::wstring& name);
CFakeObjectPtr MakeCommandBarButton(const FakeWeakLog& log);
