// The add-in object as Outlook holds it: made through the module's
// class-factory table, connected to a test Outlook, and called by name as
// Office calls its ribbon callbacks. Appointments open in inspectors through
// the Inspectors' NewInspector event.
//
//   CFakeOutlook outlook;
//   CAddinUnderTest addin(outlook);
//   const CFakeObjectPtr inspector = addin.OpenInInspector(item);
//   addin.Call(L"Ribbon_OnChange", {Object(addin.RibbonControl("Id", inspector)), _variant_t(L"text")});
//
// The executable must carry the add-in's type library (Call resolves names
// through it) and compile AddinUnderTest.cpp. Failures are reported as
// GoogleTest failures. The inline helpers after the class need neither:
// any executable that links the add-in may use them.
#pragma once

#include "addin/Addin.h"
#include "platform/OfficeIds.h"
#include "resources/resource.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>
#include <oaidl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

struct _IDTExtensibility2;

class CAddinUnderTest
{
public:
    // Creates the add-in and connects it at start-up; the Outlook must
    // outlive this object.
    explicit CAddinUnderTest(CFakeOutlook& outlook);
    // Disconnects at host shutdown and releases the add-in.
    ~CAddinUnderTest();
    CAddinUnderTest(const CAddinUnderTest&) = delete;
    CAddinUnderTest& operator=(const CAddinUnderTest&) = delete;

    // The user unticking the add-in in COM Add-ins.
    void Disconnect();

    // A method of the add-in's dispatch interface, arguments in natural
    // order; returns the [out, retval] value.
    _variant_t Call(const wchar_t* name, std::vector<_variant_t> arguments);

    // A new inspector showing the item, announced to the add-in.
    CFakeObjectPtr OpenInInspector(IDispatch* item);
    // The inspector's Close event.
    static void CloseInspector(const CFakeObjectPtr& inspector);
    // A ribbon control of the inspector's tab.
    CFakeObjectPtr RibbonControl(const std::string& id, IDispatch* inspector);

private:
    CFakeOutlook& m_Outlook;
    IDispatch* m_Dispatch = nullptr;
    _IDTExtensibility2* m_Connection = nullptr;
};

inline _variant_t Object(IDispatch* object)
{
    return _variant_t(object);
}

// A VARIANT_BOOL passed by reference, as Outlook passes an event's Cancel.
inline _variant_t CancelReference(VARIANT_BOOL& cancel)
{
    _variant_t reference;
    reference.vt = VT_BYREF | VT_BOOL;
    reference.pboolVal = &cancel;
    return reference;
}

// A ribbon control with the id, and with the context (an inspector) if given.
inline CFakeObjectPtr NewRibbonControl(const CFakeOutlook& outlook, const std::string& id, IDispatch* context = nullptr)
{
    const CFakeObjectPtr control = outlook.NewObject(L"RibbonControl");
    control->AddInterface(IID_IRibbonControl);
    control->SetProperty(L"Id", _variant_t(id.c_str()));
    if (context)
        control->SetProperty(L"Context", context);
    return control;
}

// The add-in's customUI document for a ribbon id, or "<null>".
inline std::wstring CustomUI(IUnknown* addin, const wchar_t* ribbonId)
{
    IRibbonExtensibility* ribbon = nullptr;
    EXPECT_EQ(S_OK, addin->QueryInterface(IID_IRibbonExtensibility, reinterpret_cast<void**>(&ribbon)));
    if (!ribbon)
        return L"<null>";
    BSTR xml = nullptr;
    EXPECT_EQ(S_OK, ribbon->GetCustomUI(_bstr_t(ribbonId), &xml));
    ribbon->Release();
    const std::wstring text = xml ? xml : L"<null>";
    ::SysFreeString(xml);
    return text;
}

// The texts of the captured boxes from the index on.
inline std::vector<std::string> BoxTexts(const CMessageBoxCapture& capture, size_t from = 0)
{
    std::vector<std::string> texts;
    for (const CapturedMessageBox& box : capture.Boxes())
        texts.push_back(box.text);
    texts.erase(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(std::min(from, texts.size())));
    return texts;
}

// The Send SMS windows open on this thread, as the To and text of each;
// they are closed.
inline std::vector<std::pair<std::string, std::string>> CloseSendSMSWindows()
{
    std::vector<std::pair<std::string, std::string>> fields;
    for (HWND window : ThreadWindowsWithControl(IDC_SENDSMS_TEXT))
    {
        char to[256] = {}, text[256] = {};
        ::GetDlgItemTextA(window, IDC_SENDSMS_TO, to, sizeof(to));
        ::GetDlgItemTextA(window, IDC_SENDSMS_TEXT, text, sizeof(text));
        fields.emplace_back(to, text);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
    return fields;
}
