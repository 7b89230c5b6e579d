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
// through it). Failures are reported as GoogleTest failures.
#pragma once

#include "tests/support/FakeOutlook.h"

#include <oaidl.h>

#include <string>
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
