// regsvr32 and regsvr32 /u of the built DLL in a Wine prefix of its own, and
// the add-in created by ProgID as Outlook creates it.
#include "core/ScopedHandle.h"
#include "platform/ComPtr.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "tests/support/AddinDll.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
const wchar_t kClassId[] = L"{47B90075-47C0-4DDF-95E3-77D7CD538E7C}";
const wchar_t kPropPageId[] = L"{4D95E17B-03AE-43D6-BBB5-126726541802}";
const wchar_t kLitePageId[] = L"{81DFB753-A614-4562-A5E4-179B7B3E9D88}";
const wchar_t kLibraryId[] = L"{8F3C15AF-ACA6-4C70-889B-F8F427B986A8}";
const wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
const wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\ZentavoSMSOutlookAddin.Addin";
const wchar_t kEventSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\ZentavoSMSOutlookAddin";

bool KeyExists(HKEY root, const std::wstring& path)
{
    CScopedRegKey key;
    return ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The value's type and bytes; type REG_NONE when missing.
struct StoredValue
{
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

StoredValue ReadValue(HKEY root, const std::wstring& path, const wchar_t* name)
{
    StoredValue value;
    CScopedRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return StoredValue();
    value.bytes.resize(size);
    ::RegQueryValueExW(key.get(), name, nullptr, &value.type, value.bytes.data(), &size);
    return value;
}

StoredValue Text(const std::wstring& text)
{
    StoredValue value;
    value.type = REG_SZ;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    value.bytes.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    return value;
}

StoredValue Number(DWORD number)
{
    StoredValue value;
    value.type = REG_DWORD;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
    value.bytes.assign(bytes, bytes + sizeof(number));
    return value;
}

void ExpectValue(const StoredValue& expected, HKEY root, const std::wstring& path, const wchar_t* name)
{
    const StoredValue actual = ReadValue(root, path, name);
    EXPECT_EQ(expected.type, actual.type) << "type of " << std::string(path.begin(), path.end()) << " value "
                                          << (name ? std::string(name, name + wcslen(name)) : "(default)");
    EXPECT_EQ(expected.bytes, actual.bytes) << "bytes of " << std::string(path.begin(), path.end()) << " value "
                                            << (name ? std::string(name, name + wcslen(name)) : "(default)");
}

void SetEnvironment(const wchar_t* name, const wchar_t* value)
{
    ::SetEnvironmentVariableW(name, value);
}

class Registration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(AddinDllPath().empty()) << "ZENTAVO_ADDIN_DLL is not set";
        SetEnvironment(L"ZentavoSMSOLAddin_CreateOutlookAddinRegKeys", nullptr);
        SetEnvironment(L"ZentavoSMSOLAddin_InstallForAllUsers", nullptr);
        // Leftovers of an earlier case go in both roots.
        SetEnvironment(L"ZentavoSMSOLAddin_InstallForAllUsers", L"1");
        RunRegsvr32(L"/u");
        SetEnvironment(L"ZentavoSMSOLAddin_InstallForAllUsers", nullptr);
        RunRegsvr32(L"/u");
    }
    void TearDown() override
    {
        SetEnvironment(L"ZentavoSMSOLAddin_CreateOutlookAddinRegKeys", nullptr);
        SetEnvironment(L"ZentavoSMSOLAddin_InstallForAllUsers", nullptr);
    }
};

TEST_F(Registration, ClassKeysAndTypeLibraryAreWrittenAndRemoved)
{
    ASSERT_EQ(0u, RunRegsvr32(L""));
    const std::wstring clsid = std::wstring(L"CLSID\\") + kClassId;
    ExpectValue(Text(L"ZentavoSMSAddin Class"), HKEY_CLASSES_ROOT, L"ZentavoSMSOutlookAddin.Addin.1", nullptr);
    ExpectValue(Text(kClassId), HKEY_CLASSES_ROOT, L"ZentavoSMSOutlookAddin.Addin.1\\CLSID", nullptr);
    ExpectValue(Text(L"ZentavoSMSAddin Class"), HKEY_CLASSES_ROOT, L"ZentavoSMSOutlookAddin.Addin", nullptr);
    ExpectValue(Text(kClassId), HKEY_CLASSES_ROOT, L"ZentavoSMSOutlookAddin.Addin\\CLSID", nullptr);
    ExpectValue(Text(L"ZentavoSMSOutlookAddin.Addin.1"), HKEY_CLASSES_ROOT, L"ZentavoSMSOutlookAddin.Addin\\CurVer",
                nullptr);
    ExpectValue(Text(L"Addin Class"), HKEY_CLASSES_ROOT, clsid, nullptr);
    ExpectValue(Text(L"ZentavoSMSOutlookAddin.Addin.1"), HKEY_CLASSES_ROOT, clsid + L"\\ProgID", nullptr);
    ExpectValue(Text(L"ZentavoSMSOutlookAddin.Addin"), HKEY_CLASSES_ROOT, clsid + L"\\VersionIndependentProgID",
                nullptr);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, clsid + L"\\Programmable"));
    ExpectValue(Text(AddinDllPath()), HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", nullptr);
    ExpectValue(Text(L"Apartment"), HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel");
    ExpectValue(Text(kLibraryId), HKEY_CLASSES_ROOT, clsid + L"\\TypeLib", nullptr);

    struct Page
    {
        const wchar_t* id;
        const wchar_t* name;
        const wchar_t* bitmap;
        bool insertable;
    };
    for (const Page& page : {Page{kPropPageId, L"PropPage", L"102", true}, Page{kLitePageId, L"LitePage", L"110", false}})
    {
        const std::wstring key = std::wstring(L"CLSID\\") + page.id;
        const std::wstring progId = std::wstring(L"OutlookAddin.") + page.name;
        ExpectValue(Text(std::wstring(page.name) + L" Class"), HKEY_CLASSES_ROOT, progId + L".1", nullptr);
        ExpectValue(Text(progId + L".1"), HKEY_CLASSES_ROOT, progId + L"\\CurVer", nullptr);
        ExpectValue(Text(std::wstring(page.name) + L" Class"), HKEY_CLASSES_ROOT, key, nullptr);
        ExpectValue(Text(AddinDllPath() + L", " + page.bitmap), HKEY_CLASSES_ROOT, key + L"\\ToolboxBitmap32", nullptr);
        ExpectValue(Text(L"0"), HKEY_CLASSES_ROOT, key + L"\\MiscStatus", nullptr);
        ExpectValue(Text(L"131473"), HKEY_CLASSES_ROOT, key + L"\\MiscStatus\\1", nullptr);
        ExpectValue(Text(L"1.0"), HKEY_CLASSES_ROOT, key + L"\\Version", nullptr);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\Control"));
        EXPECT_EQ(page.insertable, KeyExists(HKEY_CLASSES_ROOT, key + L"\\Insertable"));
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibraryId + L"\\1.0\\0\\win64"));

    ASSERT_EQ(0u, RunRegsvr32(L"/u"));
    for (const std::wstring& gone :
         {std::wstring(L"ZentavoSMSOutlookAddin.Addin.1"), std::wstring(L"ZentavoSMSOutlookAddin.Addin"), clsid,
          std::wstring(L"CLSID\\") + kPropPageId, std::wstring(L"OutlookAddin.LitePage"),
          std::wstring(L"TypeLib\\") + kLibraryId})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, gone)) << std::string(gone.begin(), gone.end());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

// Which root gets Outlook's add-in key, and whether it and the event-log
// source are written at all, for values of the two switches.
TEST_F(Registration, SwitchesChooseTheOutlookKeyAndItsRoot)
{
    struct Case
    {
        const wchar_t* createKeys;  // null: not set
        const wchar_t* allUsers;
        bool written;
        HKEY root;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, HKEY_CURRENT_USER},   {L"0", nullptr, false, nullptr},
        {L"00", nullptr, true, HKEY_CURRENT_USER},     {L" 0", nullptr, true, HKEY_CURRENT_USER},
        {L"false", nullptr, true, HKEY_CURRENT_USER},  {L"1", L"1", true, HKEY_LOCAL_MACHINE},
        {nullptr, L"true", true, HKEY_CURRENT_USER},   {nullptr, L"yes", true, HKEY_CURRENT_USER},
        {L"0", L"1", false, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "create keys: " << (c.createKeys ? c.createKeys : L"(unset)")
                                        << ", all users: " << (c.allUsers ? c.allUsers : L"(unset)"));
        SetEnvironment(L"ZentavoSMSOLAddin_CreateOutlookAddinRegKeys", c.createKeys);
        SetEnvironment(L"ZentavoSMSOLAddin_InstallForAllUsers", c.allUsers);
        // An add-in key of an earlier name goes at every registration.
        CScopedRegKey old;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kAddinsKey) + L"\\OutlookAddin.Addin").c_str(),
                                                   0, nullptr, 0, KEY_ALL_ACCESS, nullptr, old.put(), nullptr));
        old.reset();

        ASSERT_EQ(0u, RunRegsvr32(L""));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kAddinsKey) + L"\\OutlookAddin.Addin"));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClassId));
        EXPECT_EQ(c.written && c.root == HKEY_CURRENT_USER, KeyExists(HKEY_CURRENT_USER, kAddinKey));
        EXPECT_EQ(c.written && c.root == HKEY_LOCAL_MACHINE, KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
        EXPECT_EQ(c.written, KeyExists(HKEY_LOCAL_MACHINE, kEventSourceKey));
        if (c.written)
        {
            ExpectValue(Text(L"ZentavoSoftware SMS Outlook Addin"), c.root, kAddinKey, L"FriendlyName");
            ExpectValue(Text(L"ZentavoSoftware SMS Outlook Addin"), c.root, kAddinKey, L"Description");
            ExpectValue(Number(3), c.root, kAddinKey, L"LoadBehavior");
            ExpectValue(Number(0), c.root, kAddinKey, L"CommandLineSafe");
            ExpectValue(Text(AddinDllPath()), HKEY_LOCAL_MACHINE, kEventSourceKey, L"EventMessageFile");
        }

        ASSERT_EQ(0u, RunRegsvr32(L"/u"));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAddinKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kEventSourceKey));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClassId));
    }
}

// Outlook's Addins key and the keys above it hold other products.
TEST_F(Registration, UnregisteringKeepsParentsThatHoldOtherKeys)
{
    CScopedRegKey other;
    const std::wstring otherKey = std::wstring(kAddinsKey) + L"\\Other.Addin";
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, otherKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, other.put(), nullptr));
    other.reset();

    ASSERT_EQ(0u, RunRegsvr32(L""));
    ASSERT_EQ(0u, RunRegsvr32(L"/u"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, otherKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application"));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, otherKey.c_str());
    // With nothing left under it, Addins still stays: the script never
    // marks it for deletion.
    ASSERT_EQ(0u, RunRegsvr32(L""));
    ASSERT_EQ(0u, RunRegsvr32(L"/u"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddinsKey));
}

// As Outlook does it: the class id from the ProgID in the add-in key, an
// in-process instance, the connection interface and the ribbon callbacks by
// name.
TEST_F(Registration, OutlookCreatesTheAddinByProgID)
{
    ASSERT_EQ(0u, RunRegsvr32(L""));
    ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    {
        CLSID classId = {};
        ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"ZentavoSMSOutlookAddin.Addin", &classId));
        EXPECT_EQ(CLSID_Addin, classId);

        IUnknownPtr addin;
        ASSERT_EQ(S_OK, ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                           reinterpret_cast<void**>(&addin)));
        _IDTExtensibility2* connection = nullptr;
        ASSERT_EQ(S_OK, addin->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&connection)));
        connection->Release();

        IDispatchPtr dispatch;
        ASSERT_EQ(S_OK, addin->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        const struct
        {
            const wchar_t* name;
            DISPID id;
        } callbacks[] = {
            {L"AppointmentItem_RibbonLoaded", 42}, {L"Ribbon_ButtonOnAction", 43},  {L"Ribbon_CheckBoxOnAction", 44},
            {L"Ribbon_DropDownOnAction", 45},      {L"Ribbon_OnChange", 46},        {L"Ribbon_GetLabel", 47},
            {L"Ribbon_GetText", 48},               {L"Ribbon_GetPressed", 49},      {L"Ribbon_GetItemCount", 50},
            {L"Ribbon_GetItemID", 51},             {L"Ribbon_GetItemLabel", 52},    {L"Ribbon_GetVisible", 53},
            {L"OutlookExplorer_RibbonLoaded", 54},
        };
        for (const auto& callback : callbacks)
        {
            LPOLESTR name = const_cast<LPOLESTR>(callback.name);
            DISPID id = 0;
            EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
            EXPECT_EQ(callback.id, id) << std::string(name, name + wcslen(name));
        }
        // A callback called by name reaches the object and answers. A box
        // the add-in shows is answered and reported, never left waiting.
        CWindowDriver driver;
        _variant_t ribbon;
        ribbon.vt = VT_DISPATCH;
        ribbon.pdispVal = nullptr;
        DISPPARAMS parameters = {&ribbon, nullptr, 1, 0};
        _variant_t result;
        EXPECT_EQ(S_OK, dispatch->Invoke(42, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result,
                                         nullptr, nullptr));
        EXPECT_EQ("", driver.Problems());

        // The module stays while the object lives.
        HMODULE module = ::GetModuleHandleW(AddinDllPath().c_str());
        ASSERT_NE(nullptr, module);
        using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
        const auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, canUnload);
        EXPECT_EQ(S_FALSE, canUnload());
        dispatch = nullptr;
        addin = nullptr;
        EXPECT_EQ(S_OK, canUnload());

        // Not a class of the module.
        using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto getClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
        void* factory = nullptr;
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IDispatch, IID_IClassFactory, &factory));
    }
    ::CoUninitialize();
}

TEST_F(Registration, TypeLibraryDescribesSixTypes)
{
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(AddinDllPath().c_str(), REGKIND_NONE, &library));
    std::vector<std::wstring> names;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i)
    {
        BSTR name = nullptr;
        library->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr);
        names.push_back(name ? name : L"");
        ::SysFreeString(name);
    }
    BSTR libraryName = nullptr;
    BSTR help = nullptr;
    library->GetDocumentation(-1, &libraryName, &help, nullptr, nullptr);
    EXPECT_STREQ(L"OUTLOOKADDINLib", libraryName);
    EXPECT_STREQ(L"OutlookAddin 1.0 Type Library", help);
    ::SysFreeString(libraryName);
    ::SysFreeString(help);
    library->Release();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::wstring>{L"Addin", L"ILitePage", L"IPropPage", L"IRibbonCallback", L"LitePage",
                                         L"PropPage"}),
              names);
}

// The module's message table: one message, id 0, "%1" and a line break.
TEST_F(Registration, MessageTableHoldsTheInsertionStringOnly)
{
    HMODULE module = ::LoadLibraryExW(AddinDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    wchar_t* text = nullptr;
    const wchar_t* inserts[] = {L"Function: X\nDescription: y"};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                              FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                          module, 0, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                          reinterpret_cast<LPWSTR>(&text), 0,
                                          reinterpret_cast<va_list*>(const_cast<wchar_t**>(inserts)));
    ASSERT_NE(0u, length);
    EXPECT_STREQ(L"Function: X\nDescription: y\r\n", text);
    ::LocalFree(text);
    ::FreeLibrary(module);
}
} // namespace
