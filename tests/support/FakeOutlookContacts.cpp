// Contact items and address lists of the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

namespace
{
const long kContactClass = 40; // olContact

// Answers IUnknown and IDispatch only; every other query fails.
class CFakeUnreachableItem final : public CFakeObject
{
public:
    CFakeUnreachableItem(std::shared_ptr<CFakeCallLog> log, HRESULT queryFailure)
        : CFakeObject(L"Item", std::move(log)), m_QueryFailure(queryFailure)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_CFakeObject)
            return CFakeObject::QueryInterface(iid, object);
        if (object)
            *object = nullptr;
        return m_QueryFailure;
    }

private:
    HRESULT m_QueryFailure;
};
} // namespace

CFakeObjectPtr CFakeOutlook::NewContactItem(const std::wstring& fullName, const std::wstring& firstName,
                                            const std::wstring& lastName, const std::wstring& mobile) const
{
    const CFakeObjectPtr contact = NewObject(L"ContactItem");
    contact->AddInterface(IID__ContactItem);
    Declare(*contact, L"Class", _variant_t(kContactClass), 61450);
    contact->SetReadOnly(L"Class");
    Declare(*contact, L"FullName", FakeText(fullName), 12289);
    Declare(*contact, L"FirstName", FakeText(firstName));
    Declare(*contact, L"LastName", FakeText(lastName));
    Declare(*contact, L"MobileTelephoneNumber", FakeText(mobile));
    Declare(*contact, L"Email1Address", FakeText(L""), 32899);
    return contact;
}

CFakeObjectPtr CFakeOutlook::NewUnreachableItem(HRESULT queryFailure) const
{
    CFakeObjectPtr item;
    item.Attach(new CFakeUnreachableItem(m_Log, queryFailure));
    return item;
}

CFakeObjectPtr CFakeOutlook::NewAddressList(const std::wstring& name, const std::wstring& id,
                                            IDispatch* contactsFolder) const
{
    const CFakeObjectPtr list = NewObject(L"AddressList");
    Declare(*list, L"Name", FakeText(name), 12289);
    Declare(*list, L"ID", FakeText(id));
    Declare(*list, L"GetContactsFolder", FakeAnswer(contactsFolder));
    return list;
}
