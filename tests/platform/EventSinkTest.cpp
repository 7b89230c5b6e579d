// Event sinks against a fake event source: the cookie rules and how event
// arguments are read, by value and by reference.
#include "platform/EventSink.h"
#include "tests/support/FakeDispatch.h"
#include "tests/support/FakeComTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
// {11111111-2222-3333-4444-555555555555}
const IID DIID_TestEvents = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class EventSink : public CFakeComTest
{
protected:
    CFakeObjectPtr m_Source = CFakeObject::Create(L"Source");
    CDispEventSink m_Sink{DIID_TestEvents};
    void SetUp() override { m_Source->AddEventSource(DIID_TestEvents); }
};

TEST_F(EventSink, CookieRules)
{
    EXPECT_FALSE(m_Sink.IsAdvised());
    EXPECT_EQ(CDispEventSink::kNotAdvised, m_Sink.Cookie());
    ASSERT_EQ(S_OK, m_Sink.Advise(m_Source));
    EXPECT_TRUE(m_Sink.IsAdvised());
    EXPECT_EQ(E_FAIL, m_Sink.Advise(m_Source)) << "advised twice";
    EXPECT_EQ(1u, m_Source->Connections(DIID_TestEvents));
    EXPECT_EQ(S_OK, m_Sink.Unadvise(m_Source));
    EXPECT_EQ(0u, m_Source->Connections(DIID_TestEvents));

    // A failed unadvise still leaves the sink not advised.
    ASSERT_EQ(S_OK, m_Sink.Advise(m_Source));
    const CFakeObjectPtr other = CFakeObject::Create(L"Other");
    EXPECT_EQ(E_NOINTERFACE, m_Sink.Unadvise(other));
    EXPECT_FALSE(m_Sink.IsAdvised());
    EXPECT_EQ(E_POINTER, m_Sink.Advise(nullptr));
    m_Source->FailAdvise(DIID_TestEvents, CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(CONNECT_E_ADVISELIMIT, m_Sink.Advise(m_Source));
    EXPECT_FALSE(m_Sink.IsAdvised());
    // The source's point still holds the first connection, whose cookie the
    // sink gave up with the failed unadvise; the source lets it go at its end.
}

TEST_F(EventSink, ArgumentsByValueAndByReference)
{
    IDispatchPtr seen;
    bool cancelWritable = false;
    long number = 0;
    m_Sink.On(7, [&](CEventArguments& arguments) {
        seen = arguments.Dispatch(0);
        number = arguments.Long(1);
        VARIANT_BOOL* cancel = arguments.BoolReference(2);
        *cancel = VARIANT_TRUE;
        cancelWritable = true;
    });
    m_Sink.On(8, [](CEventArguments&) { throw std::runtime_error("handler failed"); });
    ASSERT_EQ(S_OK, m_Sink.Advise(m_Source));

    const CFakeObjectPtr item = CFakeObject::Create(L"Item");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    _variant_t byReference;
    byReference.vt = VT_BYREF | VT_BOOL;
    byReference.pboolVal = &cancel;
    m_Source->Fire(DIID_TestEvents, 7, {_variant_t(static_cast<IDispatch*>(item)), _variant_t(42L), byReference});
    EXPECT_EQ(static_cast<IDispatch*>(item), seen.GetInterfacePtr());
    EXPECT_EQ(42, number);
    EXPECT_EQ(VARIANT_TRUE, cancel) << "a by-reference Cancel is written through";

    // By value: the write goes nowhere, and a variant by reference is unwrapped.
    _variant_t wrapped(static_cast<IDispatch*>(item));
    _variant_t wrappedReference;
    wrappedReference.vt = VT_BYREF | VT_VARIANT;
    wrappedReference.pvarVal = &wrapped;
    seen = nullptr;
    cancelWritable = false;
    m_Source->Fire(DIID_TestEvents, 7, {wrappedReference, _variant_t(L"5"), _variant_t(false)});
    EXPECT_EQ(static_cast<IDispatch*>(item), seen.GetInterfacePtr());
    EXPECT_EQ(5, number);
    EXPECT_TRUE(cancelWritable);

    // Unknown events are ignored; a throwing handler does not escape.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(S_OK, m_Sink.Invoke(99, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_EXCEPTION, m_Sink.Invoke(8, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, m_Sink.Unadvise(m_Source));
    seen = nullptr;
}
} // namespace
