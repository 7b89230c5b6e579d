// The loop breaker's rule on given tick values: bursts of one key within the
// window, pauses, other keys, the wrap of the tick count, and saves that
// restart the window.
#include "addin/InfiniteLoopBreaker.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Call
{
    const wchar_t* key;  // null: the change handler's SetLastTick after its save
    DWORD tick;
    bool loop;
};

struct Scenario
{
    const char* name;
    std::vector<Call> calls;
};

const DWORD kWrap = 0xFFFFFFFFu;

TEST(InfiniteLoopBreaker, Scenarios)
{
    const Scenario scenarios[] = {
        {"the fifth call of a burst breaks",
         {{L"A", 1000, false}, {L"A", 1100, false}, {L"A", 1200, false}, {L"A", 1300, false}, {L"A", 1400, true},
          {L"A", 1500, true}}},
        {"500 ms after the last call is still inside",
         {{L"A", 0, false}, {L"A", 500, false}, {L"A", 1000, false}, {L"A", 1500, false}, {L"A", 2000, true}}},
        {"a pause of more than 500 ms starts over",
         {{L"A", 0, false}, {L"A", 100, false}, {L"A", 200, false}, {L"A", 300, false}, {L"A", 801, false},
          {L"A", 900, false}, {L"A", 1000, false}, {L"A", 1100, false}, {L"A", 1200, true}}},
        {"another key starts over",
         {{L"A", 0, false}, {L"A", 10, false}, {L"A", 20, false}, {L"A", 30, false}, {L"B", 40, false},
          {L"A", 50, false}, {L"A", 60, false}}},
        {"a burst across the wrap",
         {{L"A", kWrap - 250, false}, {L"A", kWrap - 50, false}, {L"A", 149, false}, {L"A", 400, false},
          {L"A", 600, true}}},
        {"a pause across the wrap starts over",
         {{L"A", kWrap - 250, false}, {L"A", kWrap - 50, false}, {L"A", 450, false}, {L"A", 500, false}}},
        {"the empty key is a key like any other",
         {{L"", 0, false}, {L"", 1, false}, {L"", 2, false}, {L"", 3, false}, {L"", 4, true}}},
        {"the next change is measured from the end of a save",
         {{L"A", kWrap - 100, false}, {nullptr, kWrap - 10, false}, {L"A", 489, false}, {nullptr, 900, false},
          {L"A", 1400, false}, {L"A", 1900, false}, {L"A", 2400, true}}},
    };
    for (const Scenario& scenario : scenarios)
    {
        CInfiniteLoopBreaker breaker;
        for (size_t i = 0; i < scenario.calls.size(); ++i)
        {
            const Call& call = scenario.calls[i];
            if (!call.key)
            {
                breaker.SetLastTick(CTickCountTime(call.tick));
                continue;
            }
            EXPECT_EQ(call.loop, breaker.IsSuspectedLoop(call.key, CTickCountTime(call.tick)))
                << scenario.name << ", call " << i + 1;
        }
    }
}
} // namespace
