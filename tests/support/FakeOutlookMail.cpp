// Folders, mail items, recipients and attachments of the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
using Arguments = CFakeObject::Arguments;
using WeakLog = FakeWeakLog;

const long kMailClass = 43;      // olMail
const long kByValue = 1;         // olByValue
const long kToRecipient = 1;     // olTo

std::wstring FolderName(long folderId)
{
    switch (folderId)
    {
    case 3:
        return L"Deleted Items";
    case 4:
        return L"Outbox";
    case 5:
        return L"Sent Items";
    case 6:
        return L"Inbox";
    case 9:
        return L"Calendar";
    case 10:
        return L"Contacts";
    case 16:
        return L"Drafts";
    default:
        return L"Folder " + std::to_wstring(folderId);
    }
}

// Each byte as the wide character of the same value.
std::wstring BytesAsText(const std::string& bytes)
{
    std::wstring text;
    for (unsigned char byte : bytes)
        text += static_cast<wchar_t>(byte);
    return text;
}

CFakeObjectPtr MakeRecipient(const WeakLog& log, const std::wstring& text)
{
    const CFakeObjectPtr recipient = CFakeObject::Create(L"Recipient", log.lock());
    Declare(*recipient, L"Name", _variant_t(text.c_str()), 12289);
    Declare(*recipient, L"Address", _variant_t(text.c_str()), 12291);
    Declare(*recipient, L"Type", _variant_t(kToRecipient), 3093);
    Declare(*recipient, L"Resolved", _variant_t(false), 100);
    return recipient;
}

CFakeCollectionPtr MakeAttachments(const WeakLog& log)
{
    const CFakeCollectionPtr attachments = CFakeCollection::Create(L"Attachments", log.lock());
    CFakeCollection* self = attachments;
    Declare(*attachments, L"Add", [self, log](const Arguments& arguments) {
        const std::wstring path = FakeArgumentText(arguments, 0);
        std::ifstream file(static_cast<const char*>(_bstr_t(path.c_str())), std::ios::binary);
        if (!file)
            FakeThrow(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                      L"Cannot find this file. Verify the path and file name are correct.");
        const std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

        const std::wstring::size_type slash = path.find_last_of(L"\\/");
        const std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
        const std::wstring displayName = FakeArgumentMissing(arguments, 3) ? fileName : FakeArgumentText(arguments, 3);
        const long type = FakeArgumentMissing(arguments, 1) ? kByValue : FakeArgumentLong(arguments, 1);

        const CFakeObjectPtr attachment = CFakeObject::Create(L"Attachment", log.lock());
        Declare(*attachment, L"PathName", _variant_t(path.c_str()));
        Declare(*attachment, L"FileName", _variant_t(fileName.c_str()));
        Declare(*attachment, L"DisplayName", _variant_t(displayName.c_str()));
        Declare(*attachment, L"Type", _variant_t(type));
        Declare(*attachment, L"Contents", _variant_t(BytesAsText(contents).c_str()));
        self->Add(static_cast<IDispatch*>(attachment));
        return _variant_t(static_cast<IDispatch*>(attachment));
    });
    return attachments;
}

CFakeObjectPtr MakeMailItem(const WeakLog& log)
{
    const CFakeObjectPtr mail = CFakeObject::Create(L"MailItem", log.lock());
    mail->AddInterface(IID__MailItem);
    CFakeObject* self = mail;
    Declare(*mail, L"Class", _variant_t(kMailClass), 61450);
    mail->SetReadOnly(L"Class");
    Declare(*mail, L"Subject", _variant_t(L""), 55);
    Declare(*mail, L"Body", _variant_t(L""), 37120);
    Declare(*mail, L"Sent", _variant_t(false), 62466);
    mail->SetReadOnly(L"Sent");
    Declare(*mail, L"Saved", _variant_t(false));
    mail->SetReadOnly(L"Saved");
    Declare(*mail, L"Recipients", static_cast<IDispatch*>(MakeRecipients(log)), 63508);
    mail->SetReadOnly(L"Recipients");
    Declare(*mail, L"Attachments", static_cast<IDispatch*>(MakeAttachments(log)), 63509);
    mail->SetReadOnly(L"Attachments");
    Declare(*mail, L"Send", [self](const Arguments&) {
        self->SetProperty(L"Sent", _variant_t(true));
        self->SetReadOnly(L"Sent");
        return _variant_t();
    });
    Declare(
        *mail, L"Save",
        [self](const Arguments&) {
            self->SetProperty(L"Saved", _variant_t(true));
            self->SetReadOnly(L"Saved");
            return _variant_t();
        },
        61512);
    Declare(*mail, L"Move", [self](const Arguments& arguments) {
        if (FakeArgumentMissing(arguments, 0))
            FakeThrow(DISP_E_PARAMNOTFOUND);
        const CFakeObjectPtr folder = FakeObjectOf(arguments[0]);
        const CFakeCollectionPtr items = folder ? FakeCollectionOf(folder->Value(L"Items")) : nullptr;
        if (!items)
            FakeThrow(E_INVALIDARG, L"The item could not be moved.");
        // Moving into the folder that holds it leaves the item where it is.
        bool present = false;
        for (size_t i = 0; i < items->Size(); ++i)
            present = present || FakeObjectOf(items->At(i)).GetInterfacePtr() == self;
        if (!present)
            items->Add(static_cast<IDispatch*>(self));
        return _variant_t(static_cast<IDispatch*>(self));
    });
    return mail;
}

CFakeCollectionPtr MakeItems(const WeakLog& log)
{
    const CFakeCollectionPtr items = CFakeCollection::Create(L"Items", log.lock());
    items->AddEventSource(DIID_ItemsEvents);
    CFakeCollection* self = items;
    Declare(
        *items, L"Add",
        [self, log](const Arguments& arguments) {
            if (!FakeArgumentMissing(arguments, 0) && FakeArgumentLong(arguments, 0) != 0)
                FakeThrow(E_INVALIDARG, L"The test Outlook makes mail items only.");
            const CFakeObjectPtr mail = MakeMailItem(log);
            self->Add(static_cast<IDispatch*>(mail));
            return _variant_t(static_cast<IDispatch*>(mail));
        },
        95);

    // Find does not evaluate its filter: it and FindNext hand out the items
    // in order, so the items a test puts in are the candidates found.
    const auto next = std::make_shared<size_t>(static_cast<size_t>(-1)); // no search yet
    Declare(*items, L"Find", [self, next](const Arguments& arguments) {
        FakeArgumentText(arguments, 0);
        *next = 0;
        return *next < self->Size() ? self->At((*next)++) : _variant_t();
    });
    Declare(*items, L"FindNext", [self, next](const Arguments&) {
        return *next < self->Size() ? self->At((*next)++) : _variant_t();
    });
    return items;
}

CFakeObjectPtr MakeFolder(const WeakLog& log, const std::wstring& name, const std::weak_ptr<FakeStore>& store)
{
    const CFakeObjectPtr folder = CFakeObject::Create(L"MAPIFolder", log.lock());
    Declare(*folder, L"Name", FakeText(name), 12289);
    Declare(*folder, L"EntryID", FakeText(NewEntryId()), 61470);
    folder->SetReadOnly(L"EntryID");
    DeclareCollection(*folder, L"Folders", L"Folders", log, 8451);
    const CFakeCollectionPtr items = MakeItems(log);
    DeclareItemsRestrict(*items, folder, store);
    Declare(*folder, L"Items", static_cast<IDispatch*>(items), 12544);
    folder->SetReadOnly(L"Items");
    folder->AddEventSource(DIID_MAPIFolderEvents_12);
    return folder;
}

using FolderMap = std::map<long, CFakeObjectPtr>;

CFakeObjectPtr FolderFor(FolderMap& folders, const WeakLog& log, const std::weak_ptr<FakeStore>& store,
                         long folderId)
{
    CFakeObjectPtr& folder = folders[folderId];
    if (!folder)
        folder = MakeFolder(log, FolderName(folderId), store);
    return folder;
}
} // namespace

CFakeCollectionPtr MakeRecipients(const FakeWeakLog& log)
{
    const CFakeCollectionPtr recipients = CFakeCollection::Create(L"Recipients", log.lock());
    CFakeCollection* self = recipients;
    Declare(
        *recipients, L"Add",
        [self, log](const Arguments& arguments) {
            const CFakeObjectPtr recipient = MakeRecipient(log, FakeArgumentText(arguments, 0));
            self->Add(static_cast<IDispatch*>(recipient));
            return _variant_t(static_cast<IDispatch*>(recipient));
        },
        111);
    Declare(
        *recipients, L"ResolveAll", [](const Arguments&) { return _variant_t(true); }, 126);
    return recipients;
}

std::wstring NewEntryId()
{
    static std::atomic<unsigned long> counter(0);
    wchar_t text[48];
    swprintf(text, 48, L"00000000FAC0E0000000000000000000%08lX", ++counter);
    return text;
}

std::shared_ptr<FolderMap> DeclareDefaultFolders(CFakeObject& nameSpace, const std::shared_ptr<CFakeCallLog>& log,
                                                 const std::weak_ptr<FakeStore>& store)
{
    const auto folders = std::make_shared<FolderMap>();
    const WeakLog weakLog(log);
    Declare(
        nameSpace, L"GetDefaultFolder",
        [folders, weakLog, store](const Arguments& arguments) {
            const CFakeObjectPtr folder = FolderFor(*folders, weakLog, store, FakeArgumentLong(arguments, 0));
            return _variant_t(static_cast<IDispatch*>(folder));
        },
        8459);
    return folders;
}

CFakeObjectPtr CFakeOutlook::DefaultFolder(long folderId) const
{
    return FolderFor(*m_DefaultFolders, m_Log, m_Store, folderId);
}

CFakeObjectPtr CFakeOutlook::NewFolder(const std::wstring& name) const
{
    return MakeFolder(m_Log, name, m_Store);
}

CFakeObjectPtr CFakeOutlook::NewStore(const std::wstring& name) const
{
    const CFakeObjectPtr store = NewObject(L"Store");
    Declare(*store, L"DisplayName", FakeText(name));
    // The store holds its folders; a folder answers the store without
    // holding it, while the store's folders live.
    const auto folders = std::make_shared<FolderMap>();
    const std::weak_ptr<FolderMap> alive(folders);
    CFakeObject* self = store;
    const WeakLog log(m_Log);
    const std::weak_ptr<FakeStore> items(m_Store);
    Declare(*store, L"GetDefaultFolder", [folders, alive, self, log, items](const Arguments& arguments) {
        const long folderId = FakeArgumentLong(arguments, 0);
        const bool made = folders->count(folderId) != 0;
        const CFakeObjectPtr folder = FolderFor(*folders, log, items, folderId);
        if (!made)
            folder->SetGetter(L"Store", [alive, self] {
                return alive.expired() ? _variant_t() : _variant_t(static_cast<IDispatch*>(self));
            });
        return _variant_t(static_cast<IDispatch*>(folder));
    });
    return store;
}

CFakeCollectionPtr CFakeOutlook::NewItems() const
{
    return MakeItems(m_Log);
}

CFakeObjectPtr CFakeOutlook::NewMailItem() const
{
    return MakeMailItem(m_Log);
}

CFakeCollectionPtr CFakeOutlook::NewRecipients() const
{
    return MakeRecipients(m_Log);
}

CFakeCollectionPtr CFakeOutlook::NewAttachments() const
{
    return MakeAttachments(m_Log);
}

CFakeObjectPtr FakeObjectOf(const _variant_t& value)
{
    CFakeObjectPtr fake;
    if ((V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN) && V_UNKNOWN(&value))
        V_UNKNOWN(&value)->QueryInterface(IID_CFakeObject, reinterpret_cast<void**>(&fake));
    return fake;
}

CFakeCollectionPtr FakeCollectionOf(const _variant_t& value)
{
    CFakeCollectionPtr fake;
    if ((V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN) && V_UNKNOWN(&value))
        V_UNKNOWN(&value)->QueryInterface(IID_CFakeCollection, reinterpret_cast<void**>(&fake));
    return fake;
}

CFakeObjectPtr FakeElementOf(const CFakeObjectPtr& owner, const std::wstring& collection, size_t index)
{
    const CFakeCollectionPtr elements = owner ? FakeCollectionOf(owner->Value(collection)) : nullptr;
    if (!elements || index >= elements->Size())
        return nullptr;
    return FakeObjectOf(elements->At(index));
}
