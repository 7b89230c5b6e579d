// Folders, mail items, recipients and attachments of the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookMail.h"

#include <fstream>
#include <iterator>
#include <string>

const IID IID_FakeOutlookMailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace
{
using Arguments = CFakeObject::Arguments;
using WeakLog = std::weak_ptr<CFakeCallLog>;

const long kMailClass = 43;      // olMail
const long kByValue = 1;         // olByValue
const long kToRecipient = 1;     // olTo

void Declare(CFakeObject& object, const wchar_t* name, const _variant_t& value, DISPID id = DISPID_UNKNOWN)
{
    object.SetProperty(name, value);
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

void Declare(CFakeObject& object, const wchar_t* name, IDispatch* value, DISPID id = DISPID_UNKNOWN)
{
    Declare(object, name, _variant_t(value), id);
}

void Declare(CFakeObject& object, const wchar_t* name, CFakeObject::Method method, DISPID id = DISPID_UNKNOWN)
{
    object.SetMethod(name, std::move(method));
    if (id != DISPID_UNKNOWN)
        object.SetDispId(name, id);
}

bool IsMissing(const Arguments& arguments, size_t index)
{
    if (index >= arguments.size())
        return true;
    const VARIANT& value = arguments[index];
    return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

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

CFakeCollectionPtr MakeRecipients(const WeakLog& log)
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
        const std::wstring displayName = IsMissing(arguments, 3) ? fileName : FakeArgumentText(arguments, 3);
        const long type = IsMissing(arguments, 1) ? kByValue : FakeArgumentLong(arguments, 1);

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
    mail->AddInterface(IID_FakeOutlookMailItem);
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
        if (IsMissing(arguments, 0))
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
    CFakeCollection* self = items;
    Declare(
        *items, L"Add",
        [self, log](const Arguments& arguments) {
            if (!IsMissing(arguments, 0) && FakeArgumentLong(arguments, 0) != 0)
                FakeThrow(E_INVALIDARG, L"The test Outlook makes mail items only.");
            const CFakeObjectPtr mail = MakeMailItem(log);
            self->Add(static_cast<IDispatch*>(mail));
            return _variant_t(static_cast<IDispatch*>(mail));
        },
        95);
    return items;
}

CFakeObjectPtr MakeFolder(const WeakLog& log, const std::wstring& name)
{
    const CFakeObjectPtr folder = CFakeObject::Create(L"MAPIFolder", log.lock());
    Declare(*folder, L"Name", _variant_t(name.c_str()), 12289);
    Declare(*folder, L"Items", static_cast<IDispatch*>(MakeItems(log)), 12544);
    folder->SetReadOnly(L"Items");
    return folder;
}

using FolderMap = std::map<long, CFakeObjectPtr>;

CFakeObjectPtr FolderFor(FolderMap& folders, const WeakLog& log, long folderId)
{
    CFakeObjectPtr& folder = folders[folderId];
    if (!folder)
        folder = MakeFolder(log, FolderName(folderId));
    return folder;
}
} // namespace

std::shared_ptr<FolderMap> DeclareDefaultFolders(CFakeObject& nameSpace, const std::shared_ptr<CFakeCallLog>& log)
{
    const auto folders = std::make_shared<FolderMap>();
    const WeakLog weakLog(log);
    Declare(
        nameSpace, L"GetDefaultFolder",
        [folders, weakLog](const Arguments& arguments) {
            const CFakeObjectPtr folder = FolderFor(*folders, weakLog, FakeArgumentLong(arguments, 0));
            return _variant_t(static_cast<IDispatch*>(folder));
        },
        8459);
    return folders;
}

CFakeObjectPtr CFakeOutlook::DefaultFolder(long folderId) const
{
    return FolderFor(*m_DefaultFolders, m_Log, folderId);
}

CFakeObjectPtr CFakeOutlook::NewFolder(const std::wstring& name) const
{
    return MakeFolder(m_Log, name);
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
