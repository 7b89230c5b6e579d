#include "tests/contacts/TestMAPI.h"

#include <vector>

namespace
{
template <typename Fn>
void Bind(HMODULE module, const char* name, Fn& function)
{
    function = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}
} // namespace

CTestMAPI::CTestMAPI() : m_Module(::LoadLibraryA("mapi32.dll"))
{
    Bind(m_Module, "TestMAPI_AddContainer", m_AddContainer);
    Bind(m_Module, "TestMAPI_AddEntry", m_AddEntry);
    Bind(m_Module, "TestMAPI_FailCall", m_FailCall);
    Bind(m_Module, "TestMAPI_ClearFailures", m_ClearFailures);
    Bind(m_Module, "TestMAPI_HoldCalls", m_HoldCalls);
    Bind(m_Module, "TestMAPI_Journal", m_Journal);
    Bind(m_Module, "TestMAPI_OutstandingAllocations", m_OutstandingAllocations);
    Bind(m_Module, "TestMAPI_LiveObjects", m_LiveObjects);
    Bind(m_Module, "TestMAPI_Reset", m_Reset);
    if (!(m_AddContainer && m_AddEntry && m_FailCall && m_ClearFailures && m_HoldCalls && m_Journal && m_OutstandingAllocations && m_LiveObjects))
        m_Reset = nullptr;
}

CTestMAPI::~CTestMAPI()
{
    if (m_Module)
        ::FreeLibrary(m_Module);
}

std::string CTestMAPI::Journal() const
{
    std::vector<char> buffer(m_Journal(nullptr, 0) + 1);
    m_Journal(buffer.data(), static_cast<ULONG>(buffer.size()));
    return buffer.data();
}
