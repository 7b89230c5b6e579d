#include "tests/support/FakeComTest.h"

CFakeComTest::CFakeComTest() : m_LiveAtStart(CFakeObject::LiveObjects())
{
}

CFakeComTest::~CFakeComTest()
{
    EXPECT_EQ(m_LiveAtStart, CFakeObject::LiveObjects()) << "fake COM objects are still alive after the test";
}
