// Crashes on purpose. CTest expects this program to fail: if a crash under
// Wine ever exits 0 again, every test result would be worthless, and this
// check turns red.
#include <cstdio>

int main()
{
    std::puts("about to crash");
    std::fflush(stdout);
    volatile int* nowhere = nullptr;
    *nowhere = 42;
    return 0;
}
