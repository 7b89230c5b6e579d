// MAPI32 is bound by ordinal at run time: Wine's own mapi32 exports all five
// functions the add-in uses; without a mapi32 the binder says which library
// it could not load, and starting MAPI is no failure of its own.
#include "contacts/MAPIUtils.h"
#include "core/Exceptions.h"
#include "core/Win32Utils.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
// Run against Wine's own mapi32 (its own CTest entry).
TEST(WineBuiltinMAPI, DISABLED_OrdinalsBindFromTheSystemsMAPI32)
{
    std::atomic<HMODULE> cache{nullptr};
    for (WORD ordinal : {11, 17, 21, 23, 75})
    {
        SCOPED_TRACE(ordinal);
        EXPECT_NE(nullptr, CRuntimeLinkedDLL::GetFunctionByOrdinal("MAPI32.DLL", &cache, ordinal));
    }
    try
    {
        CRuntimeLinkedDLL::GetFunctionByOrdinal("MAPI32.DLL", &cache, 9999);
        ADD_FAILURE() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("Could not get ProcAddress for MAPI32.DLL ordinal 9999", e.GetDescription());
    }
    CMAPIUtils::InitialiseMAPI();
    CMAPIUtils::UninitialiseMAPI();
}

// Run with mapi32 disabled (its own CTest entry).
TEST(MAPIBinderWithoutMAPI32, DISABLED_TheBinderNamesTheLibrary)
{
    std::atomic<HMODULE> cache{nullptr};
    try
    {
        CRuntimeLinkedDLL::GetFunctionByOrdinal("MAPI32.DLL", &cache, 21);
        ADD_FAILURE() << "mapi32 loaded although disabled";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("Could not load MAPI32.DLL", e.GetDescription());
    }
    EXPECT_NO_THROW(CMAPIUtils::InitialiseMAPI());
    EXPECT_NO_THROW(CMAPIUtils::UninitialiseMAPI());
    EXPECT_THROW(CMAPI32::MAPIFreeBuffer(nullptr), CGeneralException);
}
} // namespace
