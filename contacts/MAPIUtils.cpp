#include "contacts/MAPIUtils.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/TraceLogging.h"
#include "core/Win32Utils.h"

#include <mapitags.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace
{
const char kMAPI32[] = "MAPI32.DLL";
std::atomic<HMODULE> g_MAPI32DLL{nullptr};

// A hexadecimal digit's value, -1 for any other character. Entry ids are
// read from tables by the tens of thousands: no CRT call for each byte.
int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The contents-table columns every reader asks for, in this order.
SizedSPropTagArray(3, kRowColumns) = {3, {PR_ENTRYID, PR_DISPLAY_NAME_A, PR_OBJECT_TYPE}};
enum RowColumn
{
    kEntryIdColumn,
    kDisplayNameColumn,
    kObjectTypeColumn
};

// A mail user's own properties, in this order.
SizedSPropTagArray(5, kMailUserProperties) = {5,
                                              {PR_MOBILE_TELEPHONE_NUMBER_A, PR_GIVEN_NAME_A, PR_SURNAME_A,
                                               PR_BUSINESS_TELEPHONE_NUMBER_A, PR_HOME_TELEPHONE_NUMBER_A}};

void TraceOpenAddressBook(const std::wstring& message)
{
    if (g_pTraceLogger)
        g_pTraceLogger->Trace(1, L"CMAPIUtils", L"OpenAddressBook", message);
}

void ThrowIfFailed(HRESULT hr, const std::string& failureText)
{
    if (FAILED(hr))
        ThrowCOMError(hr, _bstr_t(failureText.c_str()));
}

std::string Text(const SPropValue& value)
{
    return value.Value.lpszA ? std::string(value.Value.lpszA) : std::string();
}

bool HasType(const SPropValue& value, ULONG propTag)
{
    return value.ulPropTag == propTag;
}

// Adjacent mail users with the same given name, surname and mobile number
// are one person listed twice. Entries without any of the three (and every
// distribution list) are told apart by nothing here, so they always stay.
bool IsDuplicateOfLast(const CMAPIMailUserList& users, const CMAPIMailUser& user)
{
    if (users.empty())
        return false;
    const CMAPIMailUser& last = users.back();
    const auto isIdentifiedMailUser = [](const CMAPIMailUser& entry) {
        return entry.m_ObjectType == CMAPIMailUser::kMailUser &&
               !(entry.m_GivenName.empty() && entry.m_Surname.empty() && entry.m_MobilePhone.empty());
    };
    return isIdentifiedMailUser(last) && isIdentifiedMailUser(user) && last.m_GivenName == user.m_GivenName &&
           last.m_Surname == user.m_Surname && last.m_MobilePhone == user.m_MobilePhone;
}

template <typename Fn>
Fn As(FARPROC function)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(function));
}
} // namespace

FARPROC CMAPI32::Function(WORD ordinal)
{
    return CRuntimeLinkedDLL::GetFunctionByOrdinal(kMAPI32, &g_MAPI32DLL, ordinal);
}

HRESULT CMAPI32::MAPIInitialize(LPVOID init)
{
    return As<HRESULT(STDMETHODCALLTYPE*)(LPVOID)>(Function(21))(init);
}

void CMAPI32::MAPIUninitialize()
{
    As<void(STDMETHODCALLTYPE*)()>(Function(23))();
}

HRESULT CMAPI32::MAPILogonEx(ULONG_PTR uiParam, LPSTR profileName, LPSTR password, FLAGS flags,
                             LPMAPISESSION* session)
{
    return As<HRESULT(STDMETHODCALLTYPE*)(ULONG_PTR, LPSTR, LPSTR, FLAGS, LPMAPISESSION*)>(Function(11))(
        uiParam, profileName, password, flags, session);
}

ULONG CMAPI32::MAPIFreeBuffer(LPVOID buffer)
{
    return As<ULONG(STDMETHODCALLTYPE*)(LPVOID)>(Function(17))(buffer);
}

HRESULT CMAPI32::HrQueryAllRows(LPMAPITABLE table, LPSPropTagArray tags, LPSRestriction restriction,
                                LPSSortOrderSet sortOrder, LONG maxRows, LPSRowSet* rows)
{
    return As<HRESULT(STDMETHODCALLTYPE*)(LPMAPITABLE, LPSPropTagArray, LPSRestriction, LPSSortOrderSet, LONG,
                                          LPSRowSet*)>(Function(75))(table, tags, restriction, sortOrder, maxRows,
                                                                     rows);
}


void MAPIBufferTraits::Close(Handle buffer) noexcept
{
    try
    {
        CMAPI32::MAPIFreeBuffer(buffer);
    }
    catch (...)
    {
        // Only a buffer MAPI32 gave out reaches here, so it is bound.
    }
}

void MAPIRowSetTraits::Close(Handle rows) noexcept
{
    try
    {
        for (ULONG row = 0; row < rows->cRows; ++row)
            CMAPI32::MAPIFreeBuffer(rows->aRow[row].lpProps);
        CMAPI32::MAPIFreeBuffer(rows);
    }
    catch (...)
    {
    }
}

CMAPIEntryId::CMAPIEntryId(const BYTE* bytes, ULONG count) : m_Bytes(bytes, bytes + count) {}

LPENTRYID CMAPIEntryId::AsEntryId() const
{
    return m_Bytes.empty() ? nullptr : reinterpret_cast<LPENTRYID>(const_cast<BYTE*>(m_Bytes.data()));
}

CMAPIMailUser::~CMAPIMailUser() = default;

void CMAPIAddressBookSession::Cleanup()
{
    m_Container.reset();
    m_ContentsTable.reset();
    m_AddrBook.reset();
}

CMAPIUtils::CMAPIUtils() = default;

CMAPIUtils::~CMAPIUtils()
{
    Logoff();
}
bool CMAPIUtils::InitialiseMAPI()
{
    try
    {
        MAPIINIT_0 init = {0, MAPI_MULTITHREAD_NOTIFICATIONS};
        return SUCCEEDED(CMAPI32::MAPIInitialize(&init));
    }
    catch (const CGeneralException&)
    {
        return false;
    }
}

void CMAPIUtils::UninitialiseMAPI()
{
    try
    {
        CMAPI32::MAPIUninitialize();
    }
    catch (const CGeneralException&)
    {
    }
}

void CMAPIUtils::LoginToCurrentSession()
{
    Logoff();
    char empty[] = "";
    char emptyPassword[] = "";
    const HRESULT hr = CMAPI32::MAPILogonEx(0, empty, emptyPassword, MAPI_ALLOW_OTHERS | MAPI_EXTENDED | MAPI_NO_MAIL,
                                            m_pMAPISession.put());
    if (FAILED(hr))
    {
        m_pMAPISession.reset();
        ThrowCOMError(hr, L"CMAPIUtils::LoginToCurrentSession - ::MAPILogonEx failed");
    }
}

void CMAPIUtils::Logoff()
{
    if (m_pMAPISession)
    {
        m_pMAPISession.get()->Logoff(0, 0, 0);
        m_pMAPISession.reset();
    }
}

// Without a logon there is no session to open an address book from: that
// step fails as MAPI itself would report it.
IMAPISession* CMAPIUtils::Session(const std::string& failureText) const
{
    if (!m_pMAPISession)
        ThrowCOMError(MAPI_E_NOT_INITIALIZED, _bstr_t(failureText.c_str()));
    return m_pMAPISession.get();
}

// A table the session object does not hold (never opened, or the container
// has none) fails the read instead of the process.
IMAPITable* CMAPIUtils::Table(const CMAPIAddressBookSession& session, const std::string& failureText)
{
    if (!session.m_ContentsTable)
        ThrowCOMError(MAPI_E_NOT_INITIALIZED, _bstr_t(failureText.c_str()));
    return session.m_ContentsTable.get();
}

// Steps 2 and 3 of every open: the address book, then the entry as a
// container. context is the caller's qualified name and " - "; traced, the
// open's own trace lines.
void CMAPIUtils::OpenContainer(const std::string& context, std::string& step, const CMAPIEntryId& containerId,
                               CMAPIAddressBookSession& session, bool traced)
{
    step = "Calling OpenAddressBook";
    if (traced)
        TraceOpenAddressBook(L"Calling m_pMAPISession->OpenAddressBook");
    const std::string openFailed = context + "m_pMAPISession->OpenAddressBook failed";
    ThrowIfFailed(Session(openFailed)->OpenAddressBook(0, nullptr, AB_NO_DIALOG, session.m_AddrBook.put()),
                  openFailed);

    step = "Calling m_pAddrBook->OpenEntry";
    if (traced)
        TraceOpenAddressBook(L"Calling m_pAddrBook->OpenEntry");
    ULONG objectType = 0;
    LPUNKNOWN container = nullptr;
    const HRESULT hr = session.m_AddrBook.get()->OpenEntry(containerId.GetCount(), containerId.AsEntryId(), nullptr,
                                                           MAPI_BEST_ACCESS, &objectType, &container);
    session.m_Container.reset(static_cast<IABContainer*>(static_cast<IUnknown*>(container)));
    ThrowIfFailed(hr, context + "m_pAddrBook->OpenEntry failed");
}

bool CMAPIUtils::OpenAddressBook(const CMAPIEntryId& containerId, CMAPIAddressBookSession& session)
{
    const std::string context = "CMAPIUtils::OpenAddressBook - ";
    std::string step = "Entry";
    try
    {
        TraceOpenAddressBook(L"Entry");
        session.Cleanup();
        OpenContainer(context, step, containerId, session, true);

        step = "Calling lpGAL->GetContentsTable";
        TraceOpenAddressBook(L"Calling m_lpGAL->GetContentsTable");
        const HRESULT hr = session.m_Container.get()->GetContentsTable(0, session.m_ContentsTable.put());
        if (hr == MAPI_E_NO_SUPPORT)
        {
            session.m_ContentsTable.reset();
            TraceOpenAddressBook(L"m_lpGAL->GetContentsTable return MAPI_E_NO_SUPPORT");
            TraceOpenAddressBook(L"Exit");
            return false;
        }
        ThrowIfFailed(hr, context + "lpGAL->GetContentsTable failed");

        step = "Calling SetColumns";
        TraceOpenAddressBook(L"Calling m_lpContentsTable->SetColumns");
        const HRESULT columnsResult =
            session.m_ContentsTable.get()->SetColumns(reinterpret_cast<LPSPropTagArray>(&kRowColumns), 0);
        if (FAILED(columnsResult))
            throw _com_error(columnsResult);
        TraceOpenAddressBook(L"m_lpContentsTable->SetColumns returned without error");
        TraceOpenAddressBook(L"Exit");
        return true;
    }
    catch (...)
    {
        TraceCurrentWorkerException(L"CMAPIUtils", L"OpenAddressBook");
        TraceOpenAddressBook(L"Exception handling - Calling AddressBookSession.Cleanup");
        session.Cleanup();
        TraceOpenAddressBook(L"Exception handling - AddressBookSession.Cleanup returned");
        RethrowCurrentExceptionWithContext(context + step);
    }
}

void CMAPIUtils::SetNameRestriction(CMAPIAddressBookSession& session, const std::string& searchText)
{
    SPropValue value = {};
    value.ulPropTag = PR_ANR_A;
    value.Value.lpszA = const_cast<LPSTR>(searchText.c_str());
    SRestriction restriction = {};
    restriction.rt = RES_PROPERTY;
    restriction.res.resProperty.relop = RELOP_EQ;
    restriction.res.resProperty.ulPropTag = PR_ANR_A;
    restriction.res.resProperty.lpProp = &value;
    const HRESULT hr = Table(session, "")->Restrict(&restriction, 0);
    if (FAILED(hr))
        throw _com_error(hr);
}

// Steps 2 to 5 of both readers for each row.
void CMAPIUtils::AppendRows(const SRowSet& rows, CMAPIMailUserList& users, bool skipDuplicates, std::string& step)
{
    step = "Starting loop";
    for (ULONG index = 0; index < rows.cRows; ++index)
    {
        const SRow& row = rows.aRow[index];
        if (row.cValues < 3 || !HasType(row.lpProps[kEntryIdColumn], PR_ENTRYID) ||
            !HasType(row.lpProps[kDisplayNameColumn], PR_DISPLAY_NAME_A) ||
            !HasType(row.lpProps[kObjectTypeColumn], PR_OBJECT_TYPE))
            continue;

        CMAPIMailUser user;
        const SBinary& entryId = row.lpProps[kEntryIdColumn].Value.bin;
        user.m_EntryId = CMAPIEntryId(entryId.lpb, entryId.cb);
        user.m_DisplayName = Text(row.lpProps[kDisplayNameColumn]);
        user.m_ObjectType = static_cast<ULONG>(row.lpProps[kObjectTypeColumn].Value.l);
        if (user.m_ObjectType == CMAPIMailUser::kMailUser)
        {
            step = "Calling GetMailUserProperties";
            GetMailUserProperties(user.m_EntryId, user);
            step = "Returned from GetMailUserProperties";
        }
        if (!(skipDuplicates && IsDuplicateOfLast(users, user)))
            users.push_back(std::move(user));
    }
    step = "Completed loop";
}

ULONG CMAPIUtils::ReadBlockFromAddressBook(CMAPIAddressBookSession& session, ULONG rowCount,
                                           CMAPIMailUserList& users, bool skipDuplicates)
{
    const std::string context = "CMAPIUtils::ReadBlockFromAddressBook - ";
    std::string step = "Entry";
    try
    {
        step = "Calling QueryRows";
        CScopedRowSet rows;
        const std::string queryFailed = context + "QueryRows failed";
        ThrowIfFailed(Table(session, queryFailed)->QueryRows(static_cast<LONG>(rowCount), 0, rows.put()), queryFailed);
        const ULONG returned = rows ? rows.get()->cRows : 0;
        if (rows)
            AppendRows(*rows.get(), users, skipDuplicates, step);
        step = "Starting cleanup";
        rows.reset();
        step = "Completed cleanup";
        return returned;
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(context + step);
    }
}

void CMAPIUtils::ReadAddressBook(const CMAPIEntryId& containerId, CMAPIMailUserList& users, bool skipDuplicates)
{
    const std::string context = "CMAPIUtils::ReadAddressBook - ";
    std::string step = "Entry";
    try
    {
        CMAPIAddressBookSession session;
        OpenContainer(context, step, containerId, session, false);

        step = "Calling lpGAL->GetContentsTable";
        ThrowIfFailed(session.m_Container.get()->GetContentsTable(0, session.m_ContentsTable.put()),
                      context + "lpGAL->GetContentsTable failed");

        step = "Calling HrQueryAllRows";
        CScopedRowSet rows;
        ThrowIfFailed(CMAPI32::HrQueryAllRows(session.m_ContentsTable.get(),
                                              reinterpret_cast<LPSPropTagArray>(&kRowColumns), nullptr, nullptr, 0,
                                              rows.put()),
                      context + "HrQueryAllRows failed");
        if (rows)
            AppendRows(*rows.get(), users, skipDuplicates, step);

        step = "Starting cleanup";
        rows.reset();
        session.Cleanup();
        step = "Completed cleanup";
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(context + step);
    }
}

void CMAPIUtils::GetMailUserProperties(const CMAPIEntryId& entryId, CMAPIMailUser& user)
{
    const std::string context = "CMAPIUtils::GetMailUserProperties - ";
    try
    {
        CScopedAddrBook addrBook;
        const std::string openFailed = context + "m_pMAPISession->OpenAddressBook failed";
        ThrowIfFailed(Session(openFailed)->OpenAddressBook(0, nullptr, AB_NO_DIALOG, addrBook.put()), openFailed);

        ULONG objectType = 0;
        LPUNKNOWN opened = nullptr;
        const HRESULT hr = addrBook.get()->OpenEntry(entryId.GetCount(), entryId.AsEntryId(), nullptr,
                                                     MAPI_BEST_ACCESS, &objectType, &opened);
        const CScopedMAPIProp mailUser(static_cast<IMAPIProp*>(opened));
        ThrowIfFailed(hr, context + "m_pAddrBook->OpenEntry failed");

        ULONG count = 0;
        CScopedPropValues values;
        ThrowIfFailed(mailUser.get()->GetProps(reinterpret_cast<LPSPropTagArray>(&kMailUserProperties), 0, &count,
                                               values.put()),
                      context + "lpMailUser->GetProps failed");

        std::string* const fields[] = {&user.m_MobilePhone, &user.m_GivenName, &user.m_Surname,
                                       &user.m_BusinessPhone, &user.m_HomePhone};
        for (ULONG index = 0; values && index < count && index < 5; ++index)
        {
            // An error value (a missing property) leaves its field alone.
            if (HasType(values.get()[index], kMailUserProperties.aulPropTag[index]))
                *fields[index] = Text(values.get()[index]);
        }
    }
    catch (...)
    {
        // A record without its phone numbers is still worth listing.
    }
}

std::string CMAPIUtils::EntryIdToString(const CMAPIEntryId& entryId)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(entryId.GetCount() * 2);
    for (ULONG index = 0; index < entryId.GetCount(); ++index)
    {
        text += kDigits[entryId.GetBytes()[index] >> 4];
        text += kDigits[entryId.GetBytes()[index] & 0x0F];
    }
    return text;
}

void CMAPIUtils::StringToEntryId(const std::string& text, CMAPIEntryId& entryId)
{
    if (text.size() % 2 != 0)
        throw std::invalid_argument("CMAPIUtils::StringToEntryId is not even length");
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t index = 0; index < text.size(); index += 2)
    {
        const int high = HexDigit(text[index]);
        const int low = HexDigit(text[index + 1]);
        if (high >= 0 && low >= 0)
        {
            bytes.push_back(static_cast<BYTE>(high * 16 + low));
            continue;
        }
        // Anything else keeps strtoul's reading of the pair.
        const char pair[3] = {text[index], text[index + 1], 0};
        bytes.push_back(static_cast<BYTE>(std::strtoul(pair, nullptr, 16)));
    }
    entryId = CMAPIEntryId(bytes.data(), static_cast<ULONG>(bytes.size()));
}
