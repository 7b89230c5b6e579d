// Extended MAPI, the system's only use of it: MAPI32 is bound by ordinal at
// run time (it may be missing, and the add-in must load without it), so the
// add-in's module never imports it.
//
// Each thread that uses MAPI initialises it itself: the user-interface thread
// at connection, each worker at its start; CMAPIUtils::UninitialiseMAPI at
// the end of the same thread. A CMAPIUtils object and the sessions it opens
// belong to one thread; nothing here takes a lock.
//
// Failures of MAPI calls raise _com_error with the call's HRESULT. The readers
// rethrow every failure as a _com_error whose description names the step that
// failed ("COM exception thrown (Context:CMAPIUtils::ReadAddressBook - Calling
// HrQueryAllRows) - ..."); GetMailUserProperties never raises.
#pragma once

#include <windows.h>

#include <mapix.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/ScopedHandle.h"

// The five MAPI32 functions the add-in calls, by ordinal. Each binds on
// first use; a missing mapi32.dll or export raises CGeneralException.
class CMAPI32
{
public:
    static HRESULT MAPIInitialize(LPVOID init);                    // ordinal 21
    static void MAPIUninitialize();                                // ordinal 23
    static HRESULT MAPILogonEx(ULONG_PTR uiParam, LPSTR profileName, LPSTR password, FLAGS flags,
                               LPMAPISESSION* session);            // ordinal 11
    static ULONG MAPIFreeBuffer(LPVOID buffer);                    // ordinal 17
    static HRESULT HrQueryAllRows(LPMAPITABLE table, LPSPropTagArray tags, LPSRestriction restriction,
                                  LPSSortOrderSet sortOrder, LONG maxRows, LPSRowSet* rows);  // ordinal 75

private:
    static FARPROC Function(WORD ordinal);
};

// Owners of what MAPI hands out: interfaces are released, buffers and row
// sets freed with the bound MAPIFreeBuffer (a row set row by row, then the
// set).
template <typename Interface>
struct MAPIObjectTraits
{
    using Handle = Interface*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle object) noexcept { object->Release(); }
};

struct MAPIBufferTraits
{
    using Handle = LPSPropValue;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle buffer) noexcept;
};

struct MAPIRowSetTraits
{
    using Handle = LPSRowSet;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle rows) noexcept;
};

using CScopedMAPISession = CScopedHandle<MAPIObjectTraits<IMAPISession>>;
using CScopedAddrBook = CScopedHandle<MAPIObjectTraits<IAddrBook>>;
using CScopedABContainer = CScopedHandle<MAPIObjectTraits<IABContainer>>;
using CScopedMAPITable = CScopedHandle<MAPIObjectTraits<IMAPITable>>;
using CScopedMAPIProp = CScopedHandle<MAPIObjectTraits<IMAPIProp>>;
using CScopedPropValues = CScopedHandle<MAPIBufferTraits>;
using CScopedRowSet = CScopedHandle<MAPIRowSetTraits>;

// An entry identifier held by value; a default one is empty.
class CMAPIEntryId
{
public:
    CMAPIEntryId() = default;
    CMAPIEntryId(const BYTE* bytes, ULONG count);

    bool IsEmpty() const { return m_Bytes.empty(); }
    ULONG GetCount() const { return static_cast<ULONG>(m_Bytes.size()); }
    const BYTE* GetBytes() const { return m_Bytes.data(); }
    // For MAPI calls, which take the identifier as a non-const pointer but
    // do not write it; null when empty.
    LPENTRYID AsEntryId() const;

    bool operator==(const CMAPIEntryId& other) const { return m_Bytes == other.m_Bytes; }
    bool operator!=(const CMAPIEntryId& other) const { return !(*this == other); }

private:
    std::vector<BYTE> m_Bytes;
};

// One address-book entry: the entry id, display name and object type of its
// contents-table row; the phone and name fields of a mail user from the
// entry itself. A missing property leaves its text empty.
class CMAPIMailUser
{
public:
    enum : ULONG
    {
        kMailUser = MAPI_MAILUSER,       // 6
        kDistributionList = MAPI_DISTLIST // 8
    };

    virtual ~CMAPIMailUser();

    CMAPIEntryId m_EntryId;
    std::string m_DisplayName;
    std::string m_BusinessPhone;
    std::string m_HomePhone;
    std::string m_MobilePhone;
    std::string m_GivenName;
    std::string m_Surname;
    ULONG m_ObjectType = 0;
};

using CMAPIMailUserList = std::vector<CMAPIMailUser>;

// One address-book container as the address-book list provider keeps it.
class CMAPIAddressBookContainer
{
public:
    CMAPIEntryId m_EntryId;
    std::string m_DisplayName;
};

// What CMAPIUtils::OpenAddressBook opens: the address book, the container
// and its contents table. The object owns one reference to each; Cleanup
// (or destruction) releases the container, the table and the address book.
// Same thread as the CMAPIUtils that filled it.
class CMAPIAddressBookSession
{
public:
    ~CMAPIAddressBookSession() { Cleanup(); }

    void Cleanup();

    CScopedAddrBook m_AddrBook;
    CScopedABContainer m_Container;
    CScopedMAPITable m_ContentsTable;
};

class CMAPIUtils
{
public:
    CMAPIUtils();
    // Logs off when a session is held.
    virtual ~CMAPIUtils();

    CMAPIUtils(const CMAPIUtils&) = delete;
    CMAPIUtils& operator=(const CMAPIUtils&) = delete;

    // MAPIInitialize with version 0 and MAPI_MULTITHREAD_NOTIFICATIONS.
    // Nothing is raised for a failed start, nor for a MAPI32 that cannot be
    // bound: it shows at the logon. True when MAPI started; only then may
    // the thread end it, since inside Outlook the count that
    // MAPIUninitialize lowers is shared with Outlook's own session.
    static bool InitialiseMAPI();
    // MAPIUninitialize, for a start that InitialiseMAPI reported; nothing
    // when MAPI32 cannot be bound.
    static void UninitialiseMAPI();

    // Shares the MAPI session of the running Outlook (MAPI_ALLOW_OTHERS |
    // MAPI_EXTENDED | MAPI_NO_MAIL). A held session is logged off first. On
    // failure no session is held and _com_error carries MAPILogonEx's
    // HRESULT and "CMAPIUtils::LoginToCurrentSession - ::MAPILogonEx failed".
    void LoginToCurrentSession();
    // Logs off and releases the session, when one is held.
    void Logoff();

    // Opens the container's contents table into the session object, showing
    // the entry id, display name and object type. False when the container
    // has no contents table (address book and container stay open). A
    // failure leaves the session object empty.
    bool OpenAddressBook(const CMAPIEntryId& containerId, CMAPIAddressBookSession& session);
    // Restricts the open table to entries whose names resolve from the text
    // (ambiguous-name resolution).
    void SetNameRestriction(CMAPIAddressBookSession& session, const std::string& searchText);
    // Appends the records of up to rowCount next rows of the open table and
    // returns how many rows the table gave: fewer than asked means the
    // container is exhausted, however many records were kept.
    ULONG ReadBlockFromAddressBook(CMAPIAddressBookSession& session, ULONG rowCount, CMAPIMailUserList& users,
                                   bool skipDuplicates);
    // Appends the records of the whole container.
    void ReadAddressBook(const CMAPIEntryId& containerId, CMAPIMailUserList& users, bool skipDuplicates);
    // Fills the mail user's phone and name fields from its entry. Never
    // raises: on a failure the fields read so far stay filled.
    void GetMailUserProperties(const CMAPIEntryId& entryId, CMAPIMailUser& user);

    // Two lower-case hexadecimal digits per byte, no separators.
    static std::string EntryIdToString(const CMAPIEntryId& entryId);
    // The reverse, either case. An odd length raises std::invalid_argument
    // "CMAPIUtils::StringToEntryId is not even length" and leaves the
    // identifier unchanged.
    static void StringToEntryId(const std::string& text, CMAPIEntryId& entryId);

private:
    IMAPISession* Session(const std::string& failureText) const;
    static IMAPITable* Table(const CMAPIAddressBookSession& session, const std::string& failureText);
    void OpenContainer(const std::string& context, std::string& step, const CMAPIEntryId& containerId,
                       CMAPIAddressBookSession& session, bool traced);
    void AppendRows(const SRowSet& rows, CMAPIMailUserList& users, bool skipDuplicates, std::string& step);

    CScopedMAPISession m_pMAPISession;
};
