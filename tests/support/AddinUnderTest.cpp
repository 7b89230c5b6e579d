#include "tests/support/AddinUnderTest.h"

#include "tests/support/AddinObject.h"
#include "tests/support/CallByName.h"

#include <gtest/gtest.h>

namespace
{
const DISPID kNewInspector = 0xF001;
const DISPID kInspectorClose = 0xF008;
} // namespace

CAddinUnderTest::CAddinUnderTest(CFakeOutlook& outlook) : m_Outlook(outlook)
{
    EXPECT_EQ(S_OK, CreateAddinObject(IID_IDispatch, &m_Dispatch));
    if (!m_Dispatch)
        return;
    EXPECT_EQ(S_OK, m_Dispatch->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&m_Connection)));
    if (m_Connection)
    {
        EXPECT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    }
}

CAddinUnderTest::~CAddinUnderTest()
{
    if (m_Connection)
    {
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Connection->Release();
    }
    if (m_Dispatch)
        m_Dispatch->Release();
}

void CAddinUnderTest::Disconnect()
{
    if (m_Connection)
    {
        EXPECT_EQ(S_OK, m_Connection->OnDisconnection(ext_dm_UserClosed, nullptr));
    }
}

_variant_t CAddinUnderTest::Call(const wchar_t* name, std::vector<_variant_t> arguments)
{
    if (!m_Dispatch)
    {
        ADD_FAILURE() << "no add-in to call";
        return _variant_t();
    }
    return CallByName(m_Dispatch, name, std::move(arguments));
}

CFakeObjectPtr CAddinUnderTest::OpenInInspector(IDispatch* item)
{
    const CFakeObjectPtr inspector = m_Outlook.NewInspector(item);
    m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(inspector)});
    return inspector;
}

void CAddinUnderTest::CloseInspector(const CFakeObjectPtr& inspector)
{
    inspector->Fire(DIID_InspectorEvents, kInspectorClose);
}

CFakeObjectPtr CAddinUnderTest::RibbonControl(const std::string& id, IDispatch* inspector)
{
    return NewRibbonControl(m_Outlook, id, inspector);
}
