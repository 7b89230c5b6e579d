// The test Outlook: the parts of Outlook's object model that the add-in
// reaches by late binding, built on CFakeObject. Every object made here
// records its calls in the one log of its CFakeOutlook, with Outlook's class
// names ("Application", "NameSpace", "Recipient", "AddressEntry",
// "ExchangeUser") and Outlook's dispatch ids.
//
//   CFakeOutlook outlook;                      // a plain SMTP current user
//   outlook.SetExchangeCurrentUser(L"Lee, Ann", L"/o=Org/cn=ann", L"Ann Lee", L"ann@example.com");
//   outlook.Session()->Fail(L"CurrentUser", E_ACCESSDENIED, L"No profile");
//   IDispatchPtr app = outlook.Application();  // what product code receives
//   EXPECT_EQ(L"NameSpace.CurrentUser", outlook.Log().Texts()[1]);
//
// Objects refer to their children, never to their parents, so releasing the
// Outlook and the log frees everything. Further Outlook objects (events,
// command bars, selections, ...) are added the same way: a New... factory
// that declares the members and their dispatch ids on a CFakeObject.
// Collections are CFakeCollections that a test fills with Add:
//
//   const CFakeObjectPtr work = outlook.NewFolder(L"Work");
//   FakeCollectionOf(outlook.DefaultFolder(10)->Value(L"Folders"))->Add(work);
//   outlook.AddressLists()->Add(outlook.NewAddressList(L"Contacts", L"00ab", work));
#pragma once

#include "tests/support/FakeDispatch.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One contact or distribution list of a contact folder's table.
struct CFakeContactRow
{
    std::wstring m_FullName;
    std::wstring m_GivenName;
    std::wstring m_Surname;
    std::wstring m_Mobile;
    std::wstring m_Business;
    std::wstring m_Home;
    std::wstring m_Company;
    std::wstring m_EntryId;
    std::wstring m_MessageClass = L"IPM.Contact";
};

class CFakeOutlook
{
public:
    CFakeOutlook();

    CFakeCallLog& Log() { return *m_Log; }
    const std::shared_ptr<CFakeCallLog>& SharedLog() const { return m_Log; }

    // Application, answering _Application and raising ApplicationEvents and
    // ApplicationEvents_11: Session, GetNamespace("MAPI"), Version, Name,
    // ActiveExplorer() (the explorer of SetActiveExplorer), Explorers,
    // Inspectors.
    CFakeObjectPtr Application() const { return m_Application; }
    // NameSpace: Type, CurrentUser, Logoff, GetDefaultFolder, AddressLists,
    // GetItemFromID (StoreItem).
    CFakeObjectPtr Session() const { return m_NameSpace; }
    // NameSpace.AddressLists, empty at first.
    CFakeCollectionPtr AddressLists() const { return m_AddressLists; }
    // What Application.ActiveExplorer() gives: at first an explorer whose
    // navigation pane holds a mail and a calendar module, Nothing after
    // SetActiveExplorer(nullptr).
    CFakeObjectPtr ActiveExplorer() const { return *m_ActiveExplorer; }
    void SetActiveExplorer(const CFakeObjectPtr& explorer) { *m_ActiveExplorer = explorer; }
    // The calendar module of the first explorer's navigation pane.
    CFakeObjectPtr CalendarModule() const { return m_CalendarModule; }
    // The current user's Recipient.
    CFakeObjectPtr CurrentUser() const;

    // A current user whose address entry is a plain SMTP one.
    CFakeObjectPtr SetCurrentUser(const std::wstring& name, const std::wstring& address);
    // A current user on Exchange: the recipient carries the Exchange
    // distinguished name; its address entry (Type "EX") gives the Exchange
    // user, or Nothing when exchangeName and primarySmtp are both empty.
    CFakeObjectPtr SetExchangeCurrentUser(const std::wstring& name, const std::wstring& distinguishedName,
                                          const std::wstring& exchangeName, const std::wstring& primarySmtp);

    // Factories; each new object records into this Outlook's log.
    CFakeObjectPtr NewObject(const std::wstring& className) const;
    CFakeCollectionPtr NewCollection(const std::wstring& className) const;
    // Recipient: Name, Address, AddressEntry, Resolved (True), and
    // Resolve(), which sets Resolved and answers True when the recipient has
    // an address entry, else answers False.
    CFakeObjectPtr NewRecipient(const std::wstring& name, const std::wstring& address, IDispatch* addressEntry) const;
    // AddressEntry: Name, Address, Type, AddressEntryUserType (10, an Outlook
    // contact, with a contact; else 0, an Exchange user, with an Exchange
    // user; else 30 for "SMTP" and 40), GetExchangeUser and GetContact, which
    // give the Exchange user and the contact item or Nothing.
    CFakeObjectPtr NewAddressEntry(const std::wstring& name, const std::wstring& address, const std::wstring& type,
                                   IDispatch* exchangeUser, IDispatch* contact = nullptr) const;
    // ExchangeUser: Name, Address, Type "EX", PrimarySmtpAddress,
    // MobileTelephoneNumber.
    CFakeObjectPtr NewExchangeUser(const std::wstring& name, const std::wstring& distinguishedName,
                                   const std::wstring& primarySmtp, const std::wstring& mobile = L"") const;

    // Mail. NameSpace.GetDefaultFolder(id) gives one folder per id, made on
    // first use and kept while the NameSpace lives ("Outbox" for 4, "Sent
    // Items" for 5, ...); DefaultFolder reads the same folder without a call.
    CFakeObjectPtr DefaultFolder(long folderId) const;
    // MAPIFolder: Name, EntryID (unique in the process; a test may set
    // another folder's to make the two the same folder), Folders (empty),
    // Items (NewItems) with Restrict(filter): a new Items of the store's
    // items (StoreItem) whose Parent is the folder and whose text user
    // property equals a text, the filter written as for a property the
    // folder does not define, "@SQL=\"http://schemas.microsoft.com/mapi/
    // string/{00020329-0000-0000-C000-000000000046}/<name>/0000001f\" =
    // '<text>'" (a quote in the text doubled); any other filter fails with
    // E_INVALIDARG, as Outlook's parser does.
    CFakeObjectPtr NewFolder(const std::wstring& name) const;
    // Items: Count, Item, _NewEnum; Add (item type left out or olMailItem)
    // appends a new mail item and returns it. Find(filter) does not evaluate
    // the filter (the call log keeps it): it and FindNext hand out the items
    // in order, then Nothing.
    CFakeCollectionPtr NewItems() const;
    // MailItem, answering _MailItem: Class 43, Subject, Body, Sent, Saved,
    // Recipients (NewRecipients), Attachments (NewAttachments); Send sets
    // Sent, Save sets Saved, Move(folder) appends the item to the folder's
    // Items and returns it.
    CFakeObjectPtr NewMailItem() const;
    // Recipients: Add(text) appends a Recipient whose name and address are
    // the text; ResolveAll answers True.
    CFakeCollectionPtr NewRecipients() const;
    // Attachments: Add(source, type, position, display name) reads the
    // source file, as Outlook copies it at once, and appends an Attachment:
    // PathName, FileName, DisplayName (the file name when none is given),
    // Type, and Contents, the file's bytes one character each (a test aid).
    // A missing file fails the call.
    CFakeCollectionPtr NewAttachments() const;

    // Contacts. ContactItem, answering _ContactItem: Class 40, FullName,
    // FirstName, LastName, MobileTelephoneNumber, Email1Address.
    CFakeObjectPtr NewContactItem(const std::wstring& fullName, const std::wstring& firstName,
                                  const std::wstring& lastName, const std::wstring& mobile) const;
    // An item whose every interface query but IUnknown and IDispatch fails
    // with the HRESULT, as an item of a store gone offline answers.
    CFakeObjectPtr NewUnreachableItem(HRESULT queryFailure) const;
    // AddressList: Name, ID, GetContactsFolder(), which gives the folder or
    // Nothing.
    CFakeObjectPtr NewAddressList(const std::wstring& name, const std::wstring& id, IDispatch* contactsFolder) const;

    // Contact folders with tables (FakeOutlookTables.cpp). A MAPIFolder
    // (NewFolder) with StoreID and GetTable(filter, contents): a Table over
    // the rows that the test puts into rows, read when GetTable is called.
    // The filter is empty (every row) or the form the address-book search
    // sends, givenName or sn containing a text, compared case-insensitively;
    // any other filter, an undoubled quote included, fails with
    // E_INVALIDARG as Outlook's parser does. Table: Columns (at first
    // Outlook's five defaults; RemoveAll, and Add(name), which fails for a
    // name the table cannot show), EndOfTable, GetNextRow (Nothing after
    // the end), GetArray(MaxRows): the next rows, at most MaxRows (at least
    // 1), as a zero-based variant array of rows by columns, with no rows
    // after the end; MoveToStart, back before the first row. Row:
    // GetValues, the row's values in column order.
    // Values are texts, "" where the contact has none. Rows log no calls.
    CFakeObjectPtr NewContactFolder(const std::wstring& name, const std::wstring& storeId,
                                    const std::shared_ptr<std::vector<CFakeContactRow>>& rows) const;

    // Explorers. Explorer, answering _Explorer and raising ExplorerEvents:
    // NavigationPane (NewNavigationPane), CommandBars (NewCommandBars); and
    // IOleWindow, with a hidden window of its own (CFakeObject::Window).
    CFakeObjectPtr NewExplorer() const;
    // Application.Explorers (raising ExplorersEvents) and
    // Application.Inspectors (raising InspectorsEvents), empty at first.
    CFakeCollectionPtr Explorers() const { return m_Explorers; }
    CFakeCollectionPtr Inspectors() const { return m_Inspectors; }

    // Office command bars. CommandBars: Add(Name, Position, MenuBar,
    // Temporary) appends a CommandBar and returns it. CommandBar: Name,
    // Position, Temporary, Visible, Controls, and for one that CommandBars
    // added, Delete(), which takes it out of them. Controls: Add(Type, Id,
    // Parameter, Before, Temporary) appends a CommandBarButton and returns
    // it. CommandBarButton, answering _CommandBarButton and raising
    // _CommandBarButtonEvents: FaceId, Style, Visible, Caption, Enabled,
    // TooltipText, Tag.
    CFakeCollectionPtr NewCommandBars() const;
    CFakeObjectPtr NewCommandBar(const std::wstring& name) const;
    CFakeObjectPtr NewCommandBarButton() const;
    // NavigationPane: Modules, a NavigationModules collection holding a mail
    // module and a new calendar module; GetNavigationModule(type) gives the
    // first module of that NavigationModuleType, or Nothing.
    CFakeObjectPtr NewNavigationPane() const;
    // NavigationModule: NavigationModuleType, Name.
    CFakeObjectPtr NewNavigationModule(long type, const std::wstring& name) const;
    // CalendarModule, answering _CalendarModule: NavigationModuleType 1,
    // Name, NavigationGroups (empty).
    CFakeObjectPtr NewCalendarModule() const;
    // NavigationGroup: Name, NavigationFolders (empty).
    CFakeObjectPtr NewNavigationGroup(const std::wstring& name) const;
    // NavigationFolder: DisplayName (the folder's name), Folder.
    CFakeObjectPtr NewNavigationFolder(const CFakeObjectPtr& folder) const;

    // Appointments (FakeOutlookAppointments.cpp). AppointmentItem, answering
    // _AppointmentItem and raising ItemEvents_10: Class 26, EntryID ("", as
    // a new item has until it is saved), Subject, Body and Location (""),
    // Start and End (VT_DATE), MeetingStatus, RecurrenceState (0,
    // olApptNotRecurring), UserProperties (empty), Recipients
    // (NewRecipients), Save() (logged; it commits the user properties and
    // raises no event: a test wires Outlook's Write and ItemChange where it
    // needs them), and:
    // - Copy(): a saved copy in the store (an EntryID of its own) with the
    //   item's Parent, Subject, Body, Location, Start, End, MeetingStatus
    //   and every user property, as a copy made in the calendar (Ctrl+drag,
    //   copy and paste) is; Outlook's ItemAdd for it is the test's to fire;
    // - Move(folder): as an Exchange mailbox moves an item, within the
    //   mailbox or to another store: BeforeItemMove(item, folder, Cancel)
    //   on the item's Parent (a Cancel set there leaves the item and
    //   answers Nothing), then a copy as above in the folder, ItemAdd(copy)
    //   on the folder's Items, the item deleted from the store, and
    //   ItemRemove on its old folder's Items; answers the copy.
    CFakeObjectPtr NewAppointmentItem(const std::wstring& subject, DATE start, DATE end, long meetingStatus = 0) const;
    // One occurrence of a recurring master, as Outlook hands it out when the
    // user opens it from the calendar: an AppointmentItem with the master's
    // EntryID, Subject, Body, Location and MeetingStatus and a copy of its
    // user properties, times of its own, RecurrenceState 2
    // (olApptOccurrence) or 3 (olApptException), and the master as its
    // Parent. It is not in the store: GetItemFromID gives the master.
    CFakeObjectPtr NewOccurrence(const CFakeObjectPtr& master, DATE start, DATE end, long recurrenceState = 2) const;
    // Puts an item into the session's store, giving it an EntryID when it
    // has none, as saving it does: NameSpace.GetItemFromID(id) gives the
    // stored item whose EntryID is id at the time of the call, and fails
    // for any other id as Outlook does (MAPI_E_NOT_FOUND, "The operation
    // failed. An object could not be found."). A test moves an item to
    // another store by giving it a new EntryID.
    void StoreItem(const CFakeObjectPtr& item) const;
    // The item is in the store (not deleted by a move).
    bool IsStored(const CFakeObjectPtr& item) const;
    // Every stored item deleted, as a profile starts: rows of a table test
    // start over with it.
    void EmptyStore() const { m_Store->clear(); }
    // Inspector, answering _Inspector and raising InspectorEvents:
    // CurrentItem; and IOleWindow, with a hidden window of its own.
    CFakeObjectPtr NewInspector(IDispatch* currentItem) const;

    // An item's UserProperties (CFakeUserProperties), empty at first.
    CFakeCollectionPtr NewUserProperties() const;

    // A store of the profile besides the default one (a second account's
    // mailbox, a PST): Store, with DisplayName and GetDefaultFolder(id),
    // which gives the store's own default folders, each made on first use
    // as NewFolder makes one (its items in the session's store), with a
    // Store member answering this store while it lives. The session's own
    // default folders have no Store member.
    CFakeObjectPtr NewStore(const std::wstring& name) const;

private:
    std::shared_ptr<CFakeCallLog> m_Log;
    CFakeObjectPtr m_Application;
    CFakeObjectPtr m_NameSpace;
    std::shared_ptr<std::map<long, CFakeObjectPtr>> m_DefaultFolders;
    CFakeCollectionPtr m_AddressLists;
    std::shared_ptr<CFakeObjectPtr> m_ActiveExplorer;
    CFakeCollectionPtr m_Explorers;
    CFakeCollectionPtr m_Inspectors;
    CFakeObjectPtr m_CalendarModule;
    std::shared_ptr<std::vector<CFakeObjectPtr>> m_Store;
};

// Hands each table that the contact folder's GetTable gives from now on to
// change before the caller gets it: a test makes the tables refuse GetArray
// (table.Fail(L"GetArray", ...)) or wraps a method (MethodOf) to slow it.
void ChangeEachTable(CFakeObject& folder, std::function<void(CFakeObject& table)> change);
// Runs the action inside the reads of each table that the folder gives from
// now on, as the keys a user types while a search reads the table would be
// handled there: read 0 inside GetTable, read n inside the table's n-th
// GetArray, before that call takes its rows.
void OnEachTableRead(CFakeObject& folder, std::function<void(int read)> action);

// The fake object or collection a result or property holds; empty when the
// value is not one.
CFakeObjectPtr FakeObjectOf(const _variant_t& value);
CFakeCollectionPtr FakeCollectionOf(const _variant_t& value);
// The element at a 0-based index of a fake collection property
// ("Items", "Attachments", ...), or empty.
CFakeObjectPtr FakeElementOf(const CFakeObjectPtr& owner, const std::wstring& collection, size_t index);


// An item's UserProperties, as Outlook answers them: Count; Item with a
// 1-based index (an integer of any type) or a name, matched without regard
// to case, giving Nothing for an unknown name; Add(name, type) appends a
// UserProperty and returns it; Remove(index) takes the property at a
// 1-based index away. UserProperty: Name (112), Type (109) and Value (0),
// "" for a new text property.
//
//   const CFakeCollectionPtr properties = outlook.NewUserProperties();
//   CFakeUserProperties::Of(properties)->Preset(L"ZentavoOLSMSAddinX", L"1");
//   CFakeUserProperties::Of(properties)->FailAdd(L"ZentavoOLSMSAddinY", E_ACCESSDENIED);
//
// Injected failures happen after the call is logged, like CFakeObject::Fail.
class CFakeUserProperties : public CFakeCollection
{
public:
    static CFakeCollectionPtr Create(std::shared_ptr<CFakeCallLog> log);
    // The UserProperties behind the pointer, or null when it is another
    // collection.
    static CFakeUserProperties* Of(const CFakeCollectionPtr& collection);

    // A property already on the item; no call is logged.
    CFakeObjectPtr Preset(const std::wstring& name, const _variant_t& value, long type = 1);
    // The property of that name, or empty.
    CFakeObjectPtr Property(const std::wstring& name) const;
    // The next Add of that name fails (once), as Outlook refuses a property
    // on an item the user may not change.
    void FailAdd(const std::wstring& name, HRESULT hr);
    // Every later write of the Value of the property of that name, present
    // or added later, fails; reads still answer.
    void FailValueWrite(const std::wstring& name, HRESULT hr);
    // Outlook keeps an item's changes in memory until the item is saved:
    // Commit marks the properties as the store now holds them (the
    // appointment's Save commits), Revert puts them back so, as closing an
    // item without saving it does. Before any Commit the store holds none.
    void Commit();
    void Revert();

private:
    explicit CFakeUserProperties(std::shared_ptr<CFakeCallLog> log);
    CFakeObjectPtr NewProperty(const std::wstring& name, const _variant_t& value, long type);
    _variant_t AnswerItem(const Arguments& arguments) const;
    _variant_t AnswerAdd(const Arguments& arguments);

    std::map<std::wstring, HRESULT> m_AddFailures;
    std::map<std::wstring, HRESULT> m_ValueWriteFailures;
    struct Stored
    {
        std::wstring name;
        _variant_t value;
        long type;
    };
    std::vector<Stored> m_Stored;
};
