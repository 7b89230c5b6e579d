// Reads of contacts, folders, address lists and the current user through
// Outlook's object model. No state: every operation is static, takes the
// Outlook objects it needs from the caller (late-bound IDispatch pointers)
// and runs on the caller's thread, Outlook's user-interface thread.
//
// A failed Outlook call raises _com_error with the call's HRESULT (and the
// object's error description); a missing object where one is needed raises
// E_POINTER. Only the failures that an operation below names are caught.
// Outlook's wide texts become narrow text in the ANSI code page.
//
// None of the list operations clears the list it is given: they append.
// Folder lists hold a reference to each folder.
#pragma once

#include "contacts/SMSContact.h"
#include "core/StringUtils.h" // MakeIdentifierFromName, the identifier rule of template ids
#include "platform/ComPtr.h"

#include <memory>
#include <string>
#include <vector>

using COutlookFolderVector = std::vector<IDispatchPtr>;

// One searchable address book: an Outlook address list, or a contacts
// folder that no address list stands for.
class COutlookAddressBook
{
public:
    // AddressList.Name, or the folder's Name for a contacts folder.
    std::string m_Name;
    // AddressList.ID, the entry identifier in Outlook's hexadecimal form;
    // empty for a contacts folder.
    std::string m_Id;
    // The contacts folder behind the address book, when there is one.
    IDispatchPtr m_Folder;
};

// The address books a lookup may search; the list owns them.
using COutlookAddressBookList = std::vector<std::unique_ptr<COutlookAddressBook>>;

class CMicrosoftOutlookObjectModelUtils
{
public:
    // The DASL condition (without "@SQL=") that the property, by its DASL
    // name, contains the text: "\"<property>\" LIKE '%<text>%'", with each
    // quote of the text doubled.
    static std::wstring DaslContainsCondition(const std::wstring& property, const std::wstring& text);

    // Appends a contact for each recipient, in order, that resolves to an
    // Outlook contact or an Exchange user with both a name and a mobile
    // number. Other recipients are skipped, as is one whose contact or
    // Exchange user cannot be reached.
    static void GetSMSContactsFromRecipients(const IDispatchPtr& recipients, CSMSContactVector& contacts);
    // FullName and MobileTelephoneNumber; true when both are non-empty. The
    // contact's two fields are written in any case.
    static bool GetSMSContactFromContactItem(const IDispatchPtr& contactItem, CSMSContact& contact);
    // Name and MobileTelephoneNumber, in the same way.
    static bool GetSMSContactFromExchangeUser(const IDispatchPtr& exchangeUser, CSMSContact& contact);

    // The default contacts folder and all its subfolders, in pre-order.
    static void GetAllContactFolders(const IDispatchPtr& application, COutlookFolderVector& folders);
    // The folder, then each subfolder with its own subfolders (pre-order).
    static void AddFolderAndSubFolders(const IDispatchPtr& folder, COutlookFolderVector& folders);
    // The folders of every group of the active explorer's calendar module.
    // With skipFoldersInList, a folder whose EntryID equals that of a folder
    // already in the list is left out.
    static void GetNavigationPaneCalendarFolders(const IDispatchPtr& application, COutlookFolderVector& folders,
                                                 bool skipFoldersInList);

    // Appends Outlook's address lists in Outlook's order and, with
    // withContactFolders, each list's contacts folder (none when Outlook
    // cannot give it), followed by the contact folders that no list
    // represents. Each record is appended before its fields are read, so a
    // failure leaves the record partly filled in the list. Returns true.
    static bool GetAddressLists(const IDispatchPtr& application, bool withContactFolders,
                                COutlookAddressBookList& addressBooks);

    // The display name and e-mail address of the session's current user:
    // those of its Exchange user when its address entry is of type "EX",
    // else the recipient's own. Both are empty when no address with "@"
    // could be read. The outputs are emptied first and are filled only when
    // the whole read succeeds.
    static void GetCurrentUserDetails(const IDispatchPtr& application, std::wstring& name, std::wstring& address);

    // The contact item (its _ContactItem interface) that best matches the
    // recipient among the items of the folders whose first e-mail address
    // contains the recipient's address, or none. A full-name match wins at
    // once; otherwise the earliest of the best-scoring candidates.
    static IDispatchPtr FindContactByEmailAddress(const IDispatchPtr& recipient, const COutlookFolderVector& folders);
    // The same over the contacts folders of the address books.
    static IDispatchPtr ResolveRecipientToContactItem(const IDispatchPtr& recipient,
                                                      const COutlookAddressBookList& addressBooks);
};
