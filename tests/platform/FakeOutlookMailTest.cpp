#include "platform/Dispatch.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookMail.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace
{
class FakeOutlookMailTest : public CFakeComTest
{
protected:
    CFakeOutlook m_Outlook;
};

TEST_F(FakeOutlookMailTest, DefaultFoldersMakeMailItemsThatSendSaveAndMove)
{
    const IDispatchPtr ns = Dispatch::CallPtr(m_Outlook.Application(), L"GetNamespace", L"MAPI");
    const IDispatchPtr outbox = Dispatch::CallPtr(ns, L"GetDefaultFolder", 4);
    EXPECT_EQ(L"Outbox", Dispatch::GetText(outbox, L"Name"));
    EXPECT_EQ(outbox.GetInterfacePtr(), static_cast<IDispatch*>(m_Outlook.DefaultFolder(4)));

    const IDispatchPtr item = Dispatch::CallPtr(Dispatch::GetPtr(outbox, L"Items"), L"Add");
    IDispatchPtr mail;
    ASSERT_EQ(S_OK, item->QueryInterface(IID_FakeOutlookMailItem, reinterpret_cast<void**>(&mail)));
    Dispatch::Put(mail, L"Subject", L"Hello");
    Dispatch::Call(Dispatch::GetPtr(mail, L"Recipients"), L"Add", L"a@example.com");
    Dispatch::Call(mail, L"Send");
    EXPECT_TRUE(static_cast<bool>(Dispatch::Get(mail, L"Sent")));

    const IDispatchPtr sent = Dispatch::CallPtr(ns, L"GetDefaultFolder", 5);
    Dispatch::Call(mail, L"Save");
    Dispatch::Call(mail, L"Move", sent);
    Dispatch::Call(mail, L"Move", sent);
    EXPECT_EQ(1L, static_cast<long>(Dispatch::Get(Dispatch::GetPtr(sent, L"Items"), L"Count")));
    const CFakeObjectPtr moved = FakeElementOf(m_Outlook.DefaultFolder(5), L"Items", 0);
    ASSERT_TRUE(moved);
    EXPECT_EQ(L"\"Hello\"", FakeVariantText(moved->Value(L"Subject")));
    EXPECT_EQ(L"\"a@example.com\"", FakeVariantText(FakeElementOf(moved, L"Recipients", 0)->Value(L"Address")));
}

TEST_F(FakeOutlookMailTest, AttachmentsCopyTheFileWhenAdded)
{
    char folder[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, folder));
    const std::string path = std::string(folder) + "fake_outlook_attachment.txt";
    {
        std::ofstream file(path, std::ios::binary);
        file << "12\r\n3";
    }
    const CFakeObjectPtr mail = m_Outlook.NewMailItem();
    const IDispatchPtr attachments = Dispatch::GetPtr(mail, L"Attachments");
    Dispatch::Call(attachments, L"Add", path, 1, Dispatch::Missing(), L"List.txt");
    std::remove(path.c_str());

    const CFakeObjectPtr attachment = FakeElementOf(mail, L"Attachments", 0);
    ASSERT_TRUE(attachment);
    EXPECT_EQ(L"\"List.txt\"", FakeVariantText(attachment->Value(L"DisplayName")));
    EXPECT_EQ(L"\"12\r\n3\"", FakeVariantText(attachment->Value(L"Contents")));

    try
    {
        Dispatch::Call(attachments, L"Add", path, 1, Dispatch::Missing(), L"List.txt");
        FAIL() << "a missing file was attached";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), e.Error());
    }
}
} // namespace
