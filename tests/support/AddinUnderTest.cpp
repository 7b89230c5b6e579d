#include "tests/support/AddinUnderTest.h"

#include "addin/Addin.h"
#include "addin/Module.h"
#include "platform/OfficeIds.h"
#include "tests/support/CallByName.h"

#include <gtest/gtest.h>

namespace
{
const DISPID kNewInspector = 0xF001;
const DISPID kInspectorClose = 0xF008;
} // namespace

CAddinUnderTest::CAddinUnderTest(CFakeOutlook& outlook) : m_Outlook(outlook)
{
    IClassFactory* factory = nullptr;
    EXPECT_EQ(S_OK, GetComModule().GetClassObject(CLSID_Addin, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    if (!factory)
        return;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_Dispatch)));
    factory->Release();
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
    m_Outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector,
                                 {_variant_t(static_cast<IDispatch*>(inspector))});
    return inspector;
}

void CAddinUnderTest::CloseInspector(const CFakeObjectPtr& inspector)
{
    inspector->Fire(DIID_InspectorEvents, kInspectorClose);
}

CFakeObjectPtr CAddinUnderTest::RibbonControl(const std::string& id, IDispatch* inspector)
{
    const CFakeObjectPtr control = m_Outlook.NewObject(L"RibbonControl");
    control->AddInterface(IID_IRibbonControl);
    control->SetProperty(L"Id", _variant_t(id.c_str()));
    control->SetProperty(L"Context", inspector);
    return control;
}
