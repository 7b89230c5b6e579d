#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient.h"

#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"
#include "tests/support/FakeDispatch.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

namespace
{
// Stands in for the toolkit's SoapClient30: the service operations are fake
// members reached through IDispatch, and MSSoapInit2 is answered through the
// ISoapClient vtable and written to the log like any other call.
class CFakeSoapToolkitClient : public CFakeObject, public ISoapClient
{
public:
    static CFakeSoapToolkitClient* Create(std::shared_ptr<CFakeCallLog> log)
    {
        return new CFakeSoapToolkitClient(std::move(log));
    }

    HRESULT m_InitResult = S_OK;

    // IUnknown and IDispatch are the fake object's for both bases.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return CFakeObject::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CFakeObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CFakeObject::Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return CFakeObject::GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return CFakeObject::GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return CFakeObject::GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        return CFakeObject::Invoke(id, iid, locale, flags, parameters, result, exception, argumentError);
    }

    HRESULT STDMETHODCALLTYPE MSSoapInit(BSTR, BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FaultCode(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FaultString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FaultActor(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Detail(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ClientProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE putref_HeaderHandler(IDispatch*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ClientProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectorProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ConnectorProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MSSoapInit2(VARIANT wsdlFile, VARIANT wsmlFile, BSTR serviceName, BSTR port,
                                          BSTR serviceNamespace) override
    {
        if (std::shared_ptr<CFakeCallLog> log = Log())
        {
            log->Record(CFakeCall{ClassName(), L"MSSoapInit2", FakeCallKind::Method,
                                  {_variant_t(wsdlFile), _variant_t(wsmlFile), _variant_t(serviceName),
                                   _variant_t(port), _variant_t(serviceNamespace)}});
        }
        return m_InitResult;
    }

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** object) override
    {
        if (iid != __uuidof(ISoapClient))
            return CFakeObject::QueryOtherInterface(iid, object);
        *object = static_cast<ISoapClient*>(this);
        AddRef();
        return S_OK;
    }

private:
    explicit CFakeSoapToolkitClient(std::shared_ptr<CFakeCallLog> log) : CFakeObject(L"SoapClient", std::move(log))
    {
    }
};

// Registered in the process as the toolkit's class object: each creation
// hands out the client object that the test prepared.
class CFakeSoapClientFactory : public IClassFactory
{
public:
    IDispatchPtr m_Next;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // Lives on the fixture; COM's references do not own it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (!m_Next)
            return E_OUTOFMEMORY;
        return m_Next->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

class SoapClientTest : public CFakeComTest
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }

    void TearDown() override
    {
        if (m_Cookie)
            ::CoRevokeClassObject(m_Cookie);
        m_Factory.m_Next = nullptr;
        m_Client = nullptr;
        ::CoUninitialize();
    }

    // Makes the toolkit "installed": creations give a new fake client.
    CFakeSoapToolkitClient& InstallToolkit()
    {
        m_Client = CFakeSoapToolkitClient::Create(m_Log);
        m_Factory.m_Next.Attach(static_cast<CFakeObject*>(m_Client));
        if (!m_Cookie)
        {
            const HRESULT hr = ::CoRegisterClassObject(CLSID_SoapClient30, &m_Factory, CLSCTX_INPROC_SERVER,
                                                       REGCLS_MULTIPLEUSE, &m_Cookie);
            EXPECT_EQ(S_OK, hr);
        }
        return *m_Client;
    }

    std::wstring LastCall() const
    {
        return m_Log->Calls().empty() ? std::wstring() : m_Log->Calls().back().ToText();
    }

    std::shared_ptr<CFakeCallLog> m_Log = std::make_shared<CFakeCallLog>();
    CFakeSoapClientFactory m_Factory;
    CFakeSoapToolkitClient* m_Client = nullptr; // owned by m_Factory.m_Next
    DWORD m_Cookie = 0;
};

std::string Description(const CGeneralException& e)
{
    return e.GetDescription();
}

TEST_F(SoapClientTest, WithoutTheToolkitCreationFailsWithTheInitText)
{
    SoapClientBase base;
    EXPECT_FALSE(base.Init("https://localhost/service.asmx?wsdl", "ZentavoBulkJob", ""));
    EXPECT_EQ("Create soap client object fail", base.GetErrorMessage());
    EXPECT_TRUE(FAILED(base.GetHResult()));

    try
    {
        CZentavoSMSBulkSMSWebServiceClient client;
        FAIL() << "the client was created without the toolkit";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("CZentavoSMSBulkSMSWebServiceClient::~CZentavoSMSBulkSMSWebServiceClient - Init returned "
                  "(Create soap client object fail)",
                  Description(e));
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
}

TEST_F(SoapClientTest, ConstructionBindsTheServiceDescriptionThroughTheVtable)
{
    InstallToolkit();
    CZentavoSMSBulkSMSWebServiceClient client;

    ASSERT_EQ(1u, m_Log->Calls().size());
    const CFakeCall& init = m_Log->Calls()[0];
    EXPECT_EQ(L"MSSoapInit2", init.m_Member);
    ASSERT_EQ(5u, init.m_Arguments.size());
    EXPECT_EQ(VT_BSTR, V_VT(&init.m_Arguments[0]));
    EXPECT_EQ(std::wstring(_bstr_t(GetBulkJobServiceURL().c_str())), V_BSTR(&init.m_Arguments[0]));
    EXPECT_EQ(VT_BSTR, V_VT(&init.m_Arguments[1]));
    EXPECT_EQ(L"\"\"", FakeVariantText(init.m_Arguments[1]));
    EXPECT_EQ(L"\"ZentavoBulkJob\"", FakeVariantText(init.m_Arguments[2]));
    EXPECT_EQ(L"\"\"", FakeVariantText(init.m_Arguments[3]));
    EXPECT_EQ(L"\"\"", FakeVariantText(init.m_Arguments[4]));
    EXPECT_EQ("", client.GetErrorMessage());
}

TEST_F(SoapClientTest, AFailedMSSoapInit2FailsInitAndConstruction)
{
    InstallToolkit().m_InitResult = E_ACCESSDENIED;
    SoapClientBase base;
    EXPECT_FALSE(base.Init("https://localhost/x?wsdl", "ZentavoBulkJob", ""));
    EXPECT_EQ("Error calling MSSoapInit2", base.GetErrorMessage());
    EXPECT_EQ(E_ACCESSDENIED, base.GetHResult());

    try
    {
        CZentavoSMSBulkSMSWebServiceClient client;
        FAIL() << "construction succeeded";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("CZentavoSMSBulkSMSWebServiceClient::~CZentavoSMSBulkSMSWebServiceClient - Init returned "
                  "(Error calling MSSoapInit2)",
                  Description(e));
        EXPECT_EQ(E_FAIL, e.GetHResult());
    }
}

TEST_F(SoapClientTest, InitAgainReleasesTheEarlierObjectAndClearsTheError)
{
    const long before = CFakeObject::LiveObjects();
    InstallToolkit().m_InitResult = E_FAIL;
    SoapClientBase base;
    EXPECT_FALSE(base.Init("a", "b", "c"));

    InstallToolkit(); // a new object for the next creation; the first stays with base
    EXPECT_EQ(before + 2, CFakeObject::LiveObjects());
    EXPECT_TRUE(base.Init("a", "b", "c"));
    EXPECT_EQ("", base.GetErrorMessage());
    EXPECT_EQ(S_OK, base.GetHResult());
    EXPECT_EQ(before + 1, CFakeObject::LiveObjects());
}

TEST_F(SoapClientTest, OperationsPassTheirArgumentsInOrderWithAutomationTypes)
{
    CFakeSoapToolkitClient& toolkit = InstallToolkit();
    const auto none = [](const CFakeObject::Arguments&) { return _variant_t(); };
    for (const wchar_t* name : {L"AbortBulkJob", L"PauseBulkJob", L"RestartBulkJob", L"SetBulkJobReady",
                                L"AppendRecipients", L"SetBulkJobUserContext", L"SetBulkJobMaxConCatMsgs",
                                L"SetBulkJobReplyRouting", L"SetBulkJobScheduledDate"})
        toolkit.SetMethod(name, none);
    CZentavoSMSBulkSMSWebServiceClient client;

    client.AbortBulkJob("ak", "sk", "job1");
    EXPECT_EQ(L"SoapClient.AbortBulkJob(\"ak\", \"sk\", \"job1\")", LastCall());
    client.PauseBulkJob("ak", "sk", "job2");
    EXPECT_EQ(L"SoapClient.PauseBulkJob(\"ak\", \"sk\", \"job2\")", LastCall());
    client.RestartBulkJob("ak", "sk", "job3");
    EXPECT_EQ(L"SoapClient.RestartBulkJob(\"ak\", \"sk\", \"job3\")", LastCall());
    client.SetBulkJobReady("ak", "", "job4");
    EXPECT_EQ(L"SoapClient.SetBulkJobReady(\"ak\", \"\", \"job4\")", LastCall());
    client.AppendRecipients("ak", "sk", "job5", "447700900001,447700900002");
    EXPECT_EQ(L"SoapClient.AppendRecipients(\"ak\", \"sk\", \"job5\", \"447700900001,447700900002\")", LastCall());
    client.SetBulkJobUserContext("ak", "sk", "job6", "ctx & more");
    EXPECT_EQ(L"SoapClient.SetBulkJobUserContext(\"ak\", \"sk\", \"job6\", \"ctx & more\")", LastCall());

    client.SetBulkJobMaxConCatMsgs("ak", "sk", "job7", 3);
    EXPECT_EQ(L"SoapClient.SetBulkJobMaxConCatMsgs(\"ak\", \"sk\", \"job7\", 3)", LastCall());
    EXPECT_EQ(VT_INT, V_VT(&m_Log->Calls().back().m_Arguments[3]));

    client.SetBulkJobReplyRouting("ak", "sk", "job8", "me@example.com", 2);
    EXPECT_EQ(L"SoapClient.SetBulkJobReplyRouting(\"ak\", \"sk\", \"job8\", \"me@example.com\", 2)", LastCall());
    EXPECT_EQ(VT_INT, V_VT(&m_Log->Calls().back().m_Arguments[4]));

    client.SetBulkJobScheduledDate("ak", "sk", "job9", 45000.5);
    const CFakeCall& scheduled = m_Log->Calls().back();
    EXPECT_EQ(L"SetBulkJobScheduledDate", scheduled.m_Member);
    ASSERT_EQ(4u, scheduled.m_Arguments.size());
    EXPECT_EQ(VT_DATE, V_VT(&scheduled.m_Arguments[3]));
    EXPECT_DOUBLE_EQ(45000.5, V_DATE(&scheduled.m_Arguments[3]));
    EXPECT_EQ(S_OK, client.GetHResult());
}

TEST_F(SoapClientTest, ResultsAndByReferenceValuesReachTheCaller)
{
    CFakeSoapToolkitClient& toolkit = InstallToolkit();
    toolkit.SetMethod(L"CreateSMSTextBulkJob",
                      [](const CFakeObject::Arguments&) { return _variant_t(L"JOB-42"); });
    toolkit.SetMethod(L"GetBulkJobStatus", [](const CFakeObject::Arguments& arguments) {
        *V_DATEREF(&arguments.at(3)) = 45123.25;
        *V_I4REF(&arguments.at(4)) = 250;
        *V_I4REF(&arguments.at(5)) = 120;
        *V_I4REF(&arguments.at(6)) = 118;
        return _variant_t(L"Processing");
    });
    CZentavoSMSBulkSMSWebServiceClient client;

    EXPECT_EQ("JOB-42", client.CreateSMSTextBulkJob("ak", "sk", "Reminder", "Zentavo", "Hello"));
    EXPECT_EQ(L"SoapClient.CreateSMSTextBulkJob(\"ak\", \"sk\", \"Reminder\", \"Zentavo\", \"Hello\")", LastCall());

    DATE scheduled = 1;
    long total = -1;
    long processed = -1;
    long sent = -1;
    EXPECT_EQ("Processing", client.GetBulkJobStatus("ak", "sk", "JOB-42", scheduled, total, processed, sent));
    EXPECT_DOUBLE_EQ(45123.25, scheduled);
    EXPECT_EQ(250, total);
    EXPECT_EQ(120, processed);
    EXPECT_EQ(118, sent);
    const CFakeCall& status = m_Log->Calls().back();
    ASSERT_EQ(7u, status.m_Arguments.size());
    EXPECT_EQ(L"\"JOB-42\"", FakeVariantText(status.m_Arguments[2]));
}

TEST_F(SoapClientTest, FailedCallsRaiseTheSystemsErrorWithTheHResult)
{
    CFakeSoapToolkitClient& toolkit = InstallToolkit();
    toolkit.SetMethod(L"AbortBulkJob", [](const CFakeObject::Arguments&) { return _variant_t(); });
    toolkit.Fail(L"AbortBulkJob", E_ACCESSDENIED);
    CZentavoSMSBulkSMSWebServiceClient client;

    // An operation the service does not have: the name lookup fails.
    try
    {
        client.PauseBulkJob("ak", "sk", "job");
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ("CZentavoSMSBulkSMSWebServiceClient::Invoke - SoapClientBase::Invoke failed", Description(e));
        EXPECT_EQ(DISP_E_UNKNOWNNAME, e.GetHResult());
    }
    EXPECT_EQ(DISP_E_UNKNOWNNAME, client.GetHResult());

    try
    {
        client.AbortBulkJob("ak", "sk", "job");
        FAIL() << "no exception";
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ(E_ACCESSDENIED, e.GetHResult());
    }
    EXPECT_EQ(E_ACCESSDENIED, client.GetHResult());
}

TEST_F(SoapClientTest, ADescribedFailureRaisesTheToolkitsExceptionInformation)
{
    CFakeSoapToolkitClient& toolkit = InstallToolkit();
    toolkit.SetMethod(L"SetBulkJobReady", [](const CFakeObject::Arguments&) -> _variant_t {
        FakeThrow(static_cast<HRESULT>(0x80070005), L"Server unavailable: caf\u00e9");
    });
    toolkit.SetMethod(L"AbortBulkJob", [](const CFakeObject::Arguments&) { return _variant_t(); });
    CZentavoSMSBulkSMSWebServiceClient client;

    try
    {
        client.SetBulkJobReady("ak", "sk", "job");
        FAIL() << "no exception";
    }
    catch (const SoapClientException& e)
    {
        EXPECT_STREQ("Server unavailable: caf\xe9", e.what());
        EXPECT_EQ(std::wstring(L"SoapClient"), static_cast<const wchar_t*>(e.GetSource()));
        EXPECT_EQ(static_cast<SCODE>(0x80070005), e.GetSCode());
        EXPECT_EQ(0u, e.GetWCode());

        const SoapClientException copy(e);
        EXPECT_EQ(static_cast<const wchar_t*>(e.GetDescription()), static_cast<const wchar_t*>(copy.GetDescription()));
        EXPECT_STREQ(e.what(), copy.what());
    }

    // Without a description the exception still gives a text to print.
    EXCEPINFO bare = {};
    bare.scode = E_FAIL;
    const SoapClientException empty(bare);
    ASSERT_NE(nullptr, empty.what());
    EXPECT_STREQ("", empty.what());
}
} // namespace
