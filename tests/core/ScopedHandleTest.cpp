#include "core/ScopedHandle.h"

#include <gtest/gtest.h>

namespace
{
bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(ScopedHandle, ClosesOnDestructionAndReset)
{
    HANDLE raw = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        CScopedKernelHandle owner(raw);
        EXPECT_TRUE(owner);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    CScopedKernelHandle owner(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE first = owner.get();
    owner.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsOpen(first));
    owner.reset();
    EXPECT_FALSE(owner);
}

TEST(ScopedHandle, MoveTransfersOwnershipAndReleaseGivesItUp)
{
    CScopedKernelHandle a(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = a.get();
    CScopedKernelHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(raw, b.get());
    CScopedKernelHandle c;
    c = std::move(b);
    EXPECT_EQ(raw, c.get());
    EXPECT_TRUE(IsOpen(raw));

    HANDLE released = c.release();
    EXPECT_FALSE(c);
    EXPECT_TRUE(IsOpen(released));
    ::CloseHandle(released);
}

TEST(ScopedHandle, ClosingKeepsTheLastError)
{
    CScopedKernelHandle owner(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    owner.reset();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), ::GetLastError());
}

TEST(ScopedHandle, FileHandlesTreatInvalidHandleValueAsEmpty)
{
    CScopedFileHandle missing(::CreateFileA("Z:\\no\\such\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(INVALID_HANDLE_VALUE, missing.get());
}

TEST(ScopedHandle, PutFreesTheOldKeyBeforeReuse)
{
    CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()));
    EXPECT_TRUE(key);
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()));
    EXPECT_TRUE(key);
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\NoSuchKey\\AtAll", 0, KEY_READ, key.put()));
    EXPECT_FALSE(key);
}
} // namespace
