#include "core/Mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/LogFile.h"
#include "tests/support/EventCapture.h"
#include "tests/support/TestMessageWindow.h"

namespace
{
const UINT kPing = WM_APP + 1;

// Holds the mutex on a thread of its own until Release.
class CHolder
{
public:
    explicit CHolder(CMutex& mutex)
        : m_Held(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_Release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_Thread([this, &mutex] {
              CMutexLock lock(&mutex, nullptr, "", -1, false);
              ::SetEvent(m_Held.get());
              ::WaitForSingleObject(m_Release.get(), INFINITE);
          })
    {
        ::WaitForSingleObject(m_Held.get(), INFINITE);
    }
    ~CHolder()
    {
        Release();
        m_Thread.join();
    }
    void Release() { ::SetEvent(m_Release.get()); }

private:
    CScopedKernelHandle m_Held;
    CScopedKernelHandle m_Release;
    std::thread m_Thread;
};

bool ObtainableFromOtherThread(CMutex& mutex)
{
    bool obtained = false;
    std::thread([&] { obtained = CMutexLock(&mutex, nullptr, "", 0, false).IsObtained(); }).join();
    return obtained;
}

class Mutex : public ::testing::Test
{
protected:
    void TearDown() override { DiscardThreadMessages(); }
    CMutex m_Mutex;
    CTestMessageWindow m_Window;
};

TEST_F(Mutex, FreeOrOwnMutexIsObtainedByThePollBeforeAnyMessage)
{
    ::PostMessageA(m_Window.Handle(), kPing, 0, 0);
    {
        CMutexLock outer(&m_Mutex, nullptr, "", -1, false);
        CMutexLock nested(&m_Mutex, nullptr, "", 0, false);
        EXPECT_TRUE(outer.IsObtained());
        EXPECT_TRUE(nested.IsObtained());
        EXPECT_FALSE(ObtainableFromOtherThread(m_Mutex));
    }
    EXPECT_EQ(0, m_Window.Count(kPing));
    // Each nested lock released once: the mutex is free again.
    EXPECT_TRUE(ObtainableFromOtherThread(m_Mutex));
}

TEST_F(Mutex, HeldMutexWithTimeOutZeroPollsOnceWithoutDispatching)
{
    CHolder holder(m_Mutex);
    ::PostMessageA(m_Window.Handle(), kPing, 0, 0);
    EXPECT_FALSE(CMutexLock(&m_Mutex, nullptr, "", 0, false).IsObtained());
    EXPECT_EQ(0, m_Window.Count(kPing));
}

// The holder lets go only when the waiting thread has dispatched the message
// posted to its window: the lock can only succeed by pumping.
TEST_F(Mutex, WaitingThreadDispatchesItsMessages)
{
    CHolder holder(m_Mutex);
    m_Window.SetHandler([&](UINT, WPARAM, LPARAM) { holder.Release(); });
    ::PostMessageA(m_Window.Handle(), kPing, 0, 0);
    CMutexLock lock(&m_Mutex, nullptr, "", 60000, false);
    EXPECT_TRUE(lock.IsObtained());
    EXPECT_EQ(1, m_Window.Count(kPing));
}

TEST_F(Mutex, TimeOutEndsTheWaitEvenWhileMessagesKeepArriving)
{
    CHolder holder(m_Mutex);
    int dispatched = 0;
    m_Window.SetHandler([&](UINT, WPARAM, LPARAM) {
        ++dispatched;
        ::PostMessageA(m_Window.Handle(), kPing, 0, 0);
    });
    ::PostMessageA(m_Window.Handle(), kPing, 0, 0);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(CMutexLock(&m_Mutex, nullptr, "", 300, false).IsObtained());
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 20000u);
    EXPECT_GT(dispatched, 1);
    m_Window.SetHandler(nullptr);
}

TEST_F(Mutex, ContendedLocksAcrossThreadsExcludeEachOther)
{
    const int threads = 4;
    const int rounds = 300;
    volatile int counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < rounds; ++i)
            {
                CMutexLock lock(&m_Mutex, nullptr, "", 60000, false);
                EXPECT_TRUE(lock.IsObtained());
                const int seen = counter;
                ::Sleep(0);
                counter = seen + 1;
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(threads * rounds, counter);
}

TEST_F(Mutex, AbandonedMutexIsObtainedAndReleasedByTheLock)
{
    std::thread([&] { ASSERT_TRUE(m_Mutex.Wait(0)); }).join(); // ends owning it
    {
        CMutexLock lock(&m_Mutex, nullptr, "", 5000, false);
        EXPECT_TRUE(lock.IsObtained());
    }
    EXPECT_TRUE(ObtainableFromOtherThread(m_Mutex));
}

TEST_F(Mutex, ClosedMutexFailsAtOnceEvenWithoutLimit)
{
    m_Mutex.Close();
    EXPECT_FALSE(CMutexLock(&m_Mutex, nullptr, "", -1, false).IsObtained());
    EXPECT_TRUE(m_Mutex.Create(nullptr, false, nullptr));
    EXPECT_TRUE(CMutexLock(&m_Mutex, nullptr, "", -1, false).IsObtained());
}

TEST_F(Mutex, FailedLockReportsOnlyWhenAsked)
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "zentavo_mutex_report.log";
    ::DeleteFileA(path.c_str());
    CLogFile log(path);
    log.SetTimeStamping(0);

    CEventLogCapture events;
    CHolder holder(m_Mutex);
    CMutexLock(&m_Mutex, &log, "Quiet", 0, false);
    EXPECT_TRUE(events.Events().empty());
    CMutexLock(&m_Mutex, &log, "CConfigReg::Load", 0, true);

    const auto written = events.Events();
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, written[0].type);
    EXPECT_EQ("CConfigReg::Load - CMutexLock::CMutexLock - Unable to obtain mutex in the given timeout",
              written[0].text);
    EXPECT_EQ(EVENTLOG_WARNING_TYPE, written[1].type);
    EXPECT_EQ("CConfigReg::Load - CMutexLock::~CMutexLock - Mutex release was unnecessary as was mutex was never "
              "obtained",
              written[1].text);

    std::string contents(4096, '\0');
    CScopedFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    DWORD read = 0;
    ::ReadFile(file.get(), &contents[0], static_cast<DWORD>(contents.size()), &read, nullptr);
    contents.resize(read);
    EXPECT_EQ("TR: " + written[0].text + "\r\nTR: " + written[1].text + "\r\n", contents);
    file.reset();
    ::DeleteFileA(path.c_str());
}
} // namespace
