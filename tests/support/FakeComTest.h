// Base of fixtures that use the test Outlook's fake COM objects.
#pragma once

#include "tests/support/FakeDispatch.h"

#include <gtest/gtest.h>

// Base of fixtures that use fake COM objects: fails the test when objects
// made during it are still alive once the fixture and its members are gone.
class CFakeComTest : public ::testing::Test
{
protected:
    CFakeComTest();
    ~CFakeComTest() override;

private:
    long m_LiveAtStart;
};
