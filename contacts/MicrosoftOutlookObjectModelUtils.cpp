#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/StringUtils.h"

#include "platform/Dispatch.h"
#include "platform/OfficeIds.h"

namespace
{
// OlAddressEntryUserType
const long kExchangeUserAddressEntry = 0;
const long kOutlookContactAddressEntry = 10;
// OlDefaultFolders.olFolderContacts
const long kContactsFolder = 10;
// OlNavigationModuleType.olModuleCalendar
const long kCalendarModule = 1;

IDispatchPtr Required(IDispatchPtr object)
{
    if (!object)
        throw _com_error(E_POINTER);
    return object;
}

// The object's interface of the given id; empty when the object has none.
IDispatchPtr QueryOutlookInterface(const IDispatchPtr& object, REFIID iid)
{
    IDispatch* result = nullptr;
    const HRESULT hr = Required(object)->QueryInterface(iid, reinterpret_cast<void**>(&result));
    if (hr == E_NOINTERFACE)
        return IDispatchPtr();
    if (FAILED(hr))
        throw _com_error(hr);
    return IDispatchPtr(result, false);
}

std::string GetNarrowText(IDispatch* object, const wchar_t* name)
{
    return WideToAnsi(Dispatch::GetText(object, name));
}

long CountOf(IDispatch* collection)
{
    return static_cast<long>(Dispatch::Get(collection, L"Count"));
}

IDispatchPtr ItemOf(IDispatch* collection, long index)
{
    return Required(Dispatch::CallPtr(collection, L"Item", index));
}

IDispatchPtr MapiNameSpace(const IDispatchPtr& application)
{
    return Required(Dispatch::CallPtr(application, L"GetNamespace", L"MAPI"));
}

// Entry ids are compared as Outlook gives them: same length, same characters.
bool HasFolderWithEntryId(const COutlookFolderVector& folders, const std::wstring& entryId)
{
    for (const IDispatchPtr& folder : folders)
    {
        if (folder && Dispatch::GetText(folder, L"EntryID") == entryId)
            return true;
    }
    return false;
}

// Reads the name first, then the mobile number.
bool FillContact(IDispatch* object, const wchar_t* nameMember, CSMSContact& contact)
{
    contact.m_Name = GetNarrowText(object, nameMember);
    contact.m_Number = GetNarrowText(object, L"MobileTelephoneNumber");
    return !contact.m_Name.empty() && !contact.m_Number.empty();
}

// The contact or Exchange user behind a resolved recipient's address entry,
// as a filled record; false when there is none worth sending to.
bool ContactOfRecipient(const IDispatchPtr& recipient, CSMSContact& contact)
{
    const IDispatchPtr addressEntry = Required(Dispatch::GetPtr(recipient, L"AddressEntry"));
    const long userType = static_cast<long>(Dispatch::Get(addressEntry, L"AddressEntryUserType"));
    if (userType != kOutlookContactAddressEntry && userType != kExchangeUserAddressEntry)
        return false;

    // Reaching the contact or user behind the entry may fail for entries
    // Outlook cannot open (a removed contact, an offline directory): such a
    // recipient is skipped, not reported.
    IDispatchPtr target;
    try
    {
        const IDispatchPtr entry = Required(Dispatch::GetPtr(recipient, L"AddressEntry"));
        target = Dispatch::CallPtr(entry, userType == kOutlookContactAddressEntry ? L"GetContact" : L"GetExchangeUser");
    }
    catch (const _com_error&)
    {
        return false;
    }
    if (!target)
        return false;
    if (userType == kOutlookContactAddressEntry)
        return CMicrosoftOutlookObjectModelUtils::GetSMSContactFromContactItem(target, contact);
    return CMicrosoftOutlookObjectModelUtils::GetSMSContactFromExchangeUser(target, contact);
}

const int kFullNameMatch = 10;

bool Contains(const std::string& text, const std::string& part)
{
    return !part.empty() && text.find(part) != std::string::npos;
}

// How well a contact matches the recipient's lower-case name and address:
// the first level it reaches, best first.
int MatchScore(const IDispatchPtr& contact, const std::string& name, const std::string& address)
{
    std::string fullName = GetNarrowText(contact, L"FullName");
    std::string lastName = GetNarrowText(contact, L"LastName");
    std::string firstName = GetNarrowText(contact, L"FirstName");
    ToLower(fullName);
    ToLower(lastName);
    ToLower(firstName);

    if (!fullName.empty() && fullName == name)
        return kFullNameMatch;
    if (Contains(name, lastName))
        return 8;
    if (Contains(name, firstName))
        return 7;
    if (Contains(address, lastName))
        return 4;
    if (Contains(address, firstName))
        return 3;
    return 1;
}

// The DASL filter for contacts whose first e-mail address contains the
// address.
std::wstring EmailFilter(const std::wstring& address)
{
    return L"@SQL=" + CMicrosoftOutlookObjectModelUtils::DaslContainsCondition(L"urn:schemas:contacts:email1", address);
}
} // namespace

// A quote would end the string literal early, so it is doubled.
std::wstring CMicrosoftOutlookObjectModelUtils::DaslContainsCondition(const std::wstring& property,
                                                                      const std::wstring& text)
{
    return L"\"" + property + L"\" LIKE '%" + ReplaceAllW(text, L"'", L"''") + L"%'";
}

void CMicrosoftOutlookObjectModelUtils::GetSMSContactsFromRecipients(const IDispatchPtr& recipients,
                                                                     CSMSContactVector& contacts)
{
    const long count = CountOf(recipients);
    for (long i = 1; i <= count; ++i)
    {
        const IDispatchPtr recipient = ItemOf(recipients, i);
        if (!static_cast<bool>(Dispatch::Get(recipient, L"Resolved")) &&
            !static_cast<bool>(Dispatch::Call(recipient, L"Resolve")))
            continue;
        CSMSContact contact;
        if (ContactOfRecipient(recipient, contact))
            contacts.push_back(contact);
    }
}

bool CMicrosoftOutlookObjectModelUtils::GetSMSContactFromContactItem(const IDispatchPtr& contactItem,
                                                                     CSMSContact& contact)
{
    return FillContact(contactItem, L"FullName", contact);
}

bool CMicrosoftOutlookObjectModelUtils::GetSMSContactFromExchangeUser(const IDispatchPtr& exchangeUser,
                                                                      CSMSContact& contact)
{
    return FillContact(exchangeUser, L"Name", contact);
}

void CMicrosoftOutlookObjectModelUtils::GetAllContactFolders(const IDispatchPtr& application,
                                                             COutlookFolderVector& folders)
{
    AddFolderAndSubFolders(Dispatch::CallPtr(MapiNameSpace(application), L"GetDefaultFolder", kContactsFolder),
                           folders);
}

void CMicrosoftOutlookObjectModelUtils::AddFolderAndSubFolders(const IDispatchPtr& folder,
                                                               COutlookFolderVector& folders)
{
    folders.push_back(Required(folder));
    const IDispatchPtr subFolders = Dispatch::GetPtr(folder, L"Folders");
    const long count = CountOf(subFolders);
    for (long j = 1; j <= count; ++j)
        AddFolderAndSubFolders(ItemOf(subFolders, j), folders);
}

void CMicrosoftOutlookObjectModelUtils::GetNavigationPaneCalendarFolders(const IDispatchPtr& application,
                                                                         COutlookFolderVector& folders,
                                                                         bool skipFoldersInList)
{
    const IDispatchPtr explorer = Dispatch::CallPtr(application, L"ActiveExplorer");
    const IDispatchPtr modules = Dispatch::GetPtr(Dispatch::GetPtr(explorer, L"NavigationPane"), L"Modules");
    const IDispatchPtr module = Dispatch::CallPtr(modules, L"GetNavigationModule", kCalendarModule);
    const IDispatchPtr calendarModule = QueryOutlookInterface(module, IID__CalendarModule);
    if (!calendarModule)
        throw _com_error(E_NOINTERFACE);
    const IDispatchPtr groups = Dispatch::GetPtr(calendarModule, L"NavigationGroups");

    const long groupCount = CountOf(groups);
    for (long g = 1; g <= groupCount; ++g)
    {
        const IDispatchPtr navigationFolders = Dispatch::GetPtr(ItemOf(groups, g), L"NavigationFolders");
        const long folderCount = CountOf(navigationFolders);
        for (long f = 1; f <= folderCount; ++f)
        {
            const IDispatchPtr folder = Required(Dispatch::GetPtr(ItemOf(navigationFolders, f), L"Folder"));
            if (skipFoldersInList && HasFolderWithEntryId(folders, Dispatch::GetText(folder, L"EntryID")))
                continue;
            folders.push_back(folder);
        }
    }
}

bool CMicrosoftOutlookObjectModelUtils::GetAddressLists(const IDispatchPtr& application, bool withContactFolders,
                                                        COutlookAddressBookList& addressBooks)
{
    const IDispatchPtr addressLists = Dispatch::GetPtr(MapiNameSpace(application), L"AddressLists");
    const long count = CountOf(addressLists);
    for (long i = 1; i <= count; ++i)
    {
        const IDispatchPtr addressList = ItemOf(addressLists, i);
        addressBooks.push_back(std::make_unique<COutlookAddressBook>());
        COutlookAddressBook& book = *addressBooks.back();
        book.m_Name = GetNarrowText(addressList, L"Name");
        if (withContactFolders)
        {
            // Lists that are no contacts folder (the global address list)
            // refuse; they are searched through MAPI instead.
            try
            {
                book.m_Folder = Dispatch::CallPtr(addressList, L"GetContactsFolder");
            }
            catch (const _com_error&)
            {
            }
        }
        book.m_Id = GetNarrowText(addressList, L"ID");
    }
    if (!withContactFolders)
        return true;

    COutlookFolderVector listed;
    for (const auto& book : addressBooks)
    {
        if (book)
            listed.push_back(book->m_Folder);
    }
    COutlookFolderVector contactFolders;
    GetAllContactFolders(application, contactFolders);
    for (const IDispatchPtr& folder : contactFolders)
    {
        if (HasFolderWithEntryId(listed, Dispatch::GetText(folder, L"EntryID")))
            continue;
        addressBooks.push_back(std::make_unique<COutlookAddressBook>());
        addressBooks.back()->m_Name = GetNarrowText(folder, L"Name");
        addressBooks.back()->m_Folder = folder;
        listed.push_back(folder);
    }
    return true;
}

void CMicrosoftOutlookObjectModelUtils::GetCurrentUserDetails(const IDispatchPtr& application, std::wstring& name,
                                                              std::wstring& address)
{
    name.clear();
    address.clear();

    const IDispatchPtr session = Required(Dispatch::GetPtr(Required(application), L"Session"));
    const IDispatchPtr currentUser = Required(Dispatch::GetPtr(session, L"CurrentUser"));
    const IDispatchPtr addressEntry = Required(Dispatch::GetPtr(currentUser, L"AddressEntry"));

    std::wstring userName;
    std::wstring userAddress;
    if (Dispatch::GetText(addressEntry, L"Type") == L"EX")
    {
        const IDispatchPtr exchangeUser = Dispatch::CallPtr(addressEntry, L"GetExchangeUser");
        if (exchangeUser)
        {
            userName = Dispatch::GetText(exchangeUser, L"Name");
            userAddress = Dispatch::GetText(exchangeUser, L"PrimarySmtpAddress");
        }
    }
    if (userAddress.empty())
    {
        userName = Dispatch::GetText(currentUser, L"Name");
        userAddress = Dispatch::GetText(currentUser, L"Address");
    }

    // An Exchange distinguished name is no e-mail address: report none.
    if (userAddress.find(L'@') == std::wstring::npos)
        return;
    name = userName;
    address = userAddress;
}

IDispatchPtr CMicrosoftOutlookObjectModelUtils::FindContactByEmailAddress(const IDispatchPtr& recipient,
                                                                          const COutlookFolderVector& folders)
{
    const std::wstring wideAddress = Dispatch::GetText(recipient, L"Address");
    std::string name = GetNarrowText(recipient, L"Name");
    const std::wstring filter = EmailFilter(wideAddress);
    std::string address = WideToAnsi(wideAddress);
    ToLower(address);
    ToLower(name);

    IDispatchPtr best;
    int bestScore = 0;
    for (const IDispatchPtr& folder : folders)
    {
        const IDispatchPtr items = Dispatch::GetPtr(folder, L"Items");
        for (IDispatchPtr candidate = Dispatch::CallPtr(items, L"Find", filter); candidate;
             candidate = Dispatch::CallPtr(items, L"FindNext"))
        {
            // Only contacts are scored; anything else ends this folder.
            const IDispatchPtr contact = QueryOutlookInterface(candidate, IID__ContactItem);
            if (!contact)
                break;
            const int score = MatchScore(contact, name, address);
            if (score <= bestScore)
                continue;
            best = contact;
            bestScore = score;
            if (bestScore == kFullNameMatch)
                return best;
        }
    }
    return best;
}

IDispatchPtr CMicrosoftOutlookObjectModelUtils::ResolveRecipientToContactItem(
    const IDispatchPtr& recipient, const COutlookAddressBookList& addressBooks)
{
    COutlookFolderVector folders;
    for (const auto& book : addressBooks)
    {
        if (book && book->m_Folder)
            folders.push_back(book->m_Folder);
    }
    return FindContactByEmailAddress(recipient, folders);
}
