// The one main of every test executable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // Wine follows the Unix TZ, but msvcrt misreads it: clear it before
    // anything reads the time. A test that needs a zone runs with TZ set.
    _putenv("TZ=");
    _tzset();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
