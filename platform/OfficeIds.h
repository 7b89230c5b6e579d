// Interface identifiers of the Office and Outlook type libraries that the
// add-in asks objects for by QueryInterface. Calls into Outlook go by name
// through IDispatch (platform/Dispatch.h); an id is needed only where the
// code must know which kind of object it holds. Values from Outlook's
// published type library, named after the interface they identify.
//
// The options pages are the exception: Outlook calls its PropertyPage and
// the page calls PropertyPageSite by vtable, so both are declared here in
// their type library's slot order.
#pragma once

#include <guiddef.h>
#include <oaidl.h>

// Outlook (MSOUTL.OLB).
// {00063021-0000-0000-C000-000000000046}
constexpr IID IID__ContactItem = {0x00063021, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063034-0000-0000-C000-000000000046}
constexpr IID IID__MailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000630EA-0000-0000-C000-000000000046}
constexpr IID IID__CalendarModule = {0x000630EA, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Outlook objects the connection queries for.
// {00063001-0000-0000-C000-000000000046}
constexpr IID IID__Application = {0x00063001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063003-0000-0000-C000-000000000046}
constexpr IID IID__Explorer = {0x00063003, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063005-0000-0000-C000-000000000046}
constexpr IID IID__Inspector = {0x00063005, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063033-0000-0000-C000-000000000046}
constexpr IID IID__AppointmentItem = {0x00063033, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063081-0000-0000-C000-000000000046}
constexpr IID IID__DistListItem = {0x00063081, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063087-0000-0000-C000-000000000046}
constexpr IID IID_Selection = {0x00063087, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063080-0000-0000-C000-000000000046}
constexpr IID IID_PropertyPages = {0x00063080, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Office command bars (MSO.DLL).
// {000C0304-0000-0000-C000-000000000046}
constexpr IID IID_CommandBar = {0x000C0304, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C030E-0000-0000-C000-000000000046}
constexpr IID IID__CommandBarButton = {0x000C030E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Office ribbons.
// {000C0395-0000-0000-C000-000000000046}
constexpr IID IID_IRibbonControl = {0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C03A7-0000-0000-C000-000000000046}
constexpr IID IID_IRibbonUI = {0x000C03A7, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Event interfaces (dispinterfaces) the add-in's sinks connect to.
// {000C0351-0000-0000-C000-000000000046}
constexpr IID DIID__CommandBarButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006304E-0000-0000-C000-000000000046}
constexpr IID DIID_ApplicationEvents = {0x0006304E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006302C-0000-0000-C000-000000000046}
constexpr IID DIID_ApplicationEvents_11 = {0x0006302C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063078-0000-0000-C000-000000000046}
constexpr IID DIID_ExplorersEvents = {0x00063078, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006304F-0000-0000-C000-000000000046}
constexpr IID DIID_ExplorerEvents = {0x0006304F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063079-0000-0000-C000-000000000046}
constexpr IID DIID_InspectorsEvents = {0x00063079, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006307D-0000-0000-C000-000000000046}
constexpr IID DIID_InspectorEvents = {0x0006307D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006302B-0000-0000-C000-000000000046}
constexpr IID DIID_ItemEvents_10 = {0x0006302B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063077-0000-0000-C000-000000000046}
constexpr IID DIID_ItemsEvents = {0x00063077, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000630F7-0000-0000-C000-000000000046}
constexpr IID DIID_MAPIFolderEvents_12 = {0x000630F7, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Outlook's options pages (Tools > Options, folder Properties).
// {0006307E-0000-0000-C000-000000000046}
constexpr IID IID_PropertyPage = {0x0006307E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006307F-0000-0000-C000-000000000046}
constexpr IID IID_PropertyPageSite = {0x0006307F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// What a page implements: an IDispatch-derived vtable interface, not dual.
struct PropertyPage : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE GetPageInfo(BSTR* helpFile, long* helpContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Dirty(VARIANT_BOOL* dirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE Apply() = 0;
};

// What Outlook hands the page as its site (dual). The getters are declared
// for their slots only; the page calls OnStatusChange.
struct PropertyPageSite : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE get_Application(IDispatch** application) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Class(long* objectClass) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStatusChange() = 0;
};
