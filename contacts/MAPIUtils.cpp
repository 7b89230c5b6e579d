#include "contacts/MAPIUtils.h"

#include "core/Exceptions.h"
#include "core/Win32Utils.h"

#include <atomic>
#include <string>

namespace
{
const char kMAPI32[] = "MAPI32.DLL";
std::atomic<HMODULE> g_MAPI32DLL{nullptr};

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

CMAPIUtils::~CMAPIUtils() = default;

void CMAPIUtils::InitialiseMAPI()
{
    try
    {
        MAPIINIT_0 init = {0, MAPI_MULTITHREAD_NOTIFICATIONS};
        CMAPI32::MAPIInitialize(&init);
    }
    catch (const CGeneralException&)
    {
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
