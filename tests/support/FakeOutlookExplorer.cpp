// Explorers and their navigation pane in the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

#include <memory>

namespace
{
// OlNavigationModuleType
const long kMailModule = 0;
const long kCalendarModule = 1;

void DeclareModule(CFakeObject& module, long type, const std::wstring& name)
{
    Declare(module, L"NavigationModuleType", _variant_t(type), 64441);
    module.SetReadOnly(L"NavigationModuleType");
    Declare(module, L"Name", FakeText(name), 8450);
}
} // namespace

HWND NewFakeOutlookWindow(const wchar_t* title)
{
    return ::CreateWindowExW(0, L"STATIC", title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

CFakeObjectPtr CFakeOutlook::NewExplorer() const
{
    const CFakeObjectPtr explorer = NewObject(L"Explorer");
    Declare(*explorer, L"NavigationPane", static_cast<IDispatch*>(NewNavigationPane()), 64435);
    explorer->SetReadOnly(L"NavigationPane");
    Declare(*explorer, L"CommandBars", static_cast<IDispatch*>(NewCommandBars()), 8448);
    explorer->SetReadOnly(L"CommandBars");
    explorer->AddInterface(IID__Explorer);
    explorer->AddEventSource(DIID_ExplorerEvents);
    explorer->SetWindow(NewFakeOutlookWindow(L"Explorer"));
    return explorer;
}

CFakeObjectPtr CFakeOutlook::NewNavigationPane() const
{
    const CFakeObjectPtr pane = NewObject(L"NavigationPane");
    const CFakeCollectionPtr modules = DeclareCollection(*pane, L"Modules", L"NavigationModules", m_Log, 64439);
    modules->Add(static_cast<IDispatch*>(NewNavigationModule(kMailModule, L"Mail")));
    modules->Add(static_cast<IDispatch*>(NewCalendarModule()));
    CFakeCollection* self = modules;
    Declare(
        *modules, L"GetNavigationModule",
        [self](const CFakeObject::Arguments& arguments) {
            const long type = FakeArgumentLong(arguments, 0);
            for (size_t i = 0; i < self->Size(); ++i)
            {
                const CFakeObjectPtr module = FakeObjectOf(self->At(i));
                if (module && static_cast<long>(module->Value(L"NavigationModuleType")) == type)
                    return self->At(i);
            }
            return _variant_t(static_cast<IDispatch*>(nullptr));
        },
        64440);
    return pane;
}

CFakeObjectPtr CFakeOutlook::NewNavigationModule(long type, const std::wstring& name) const
{
    const CFakeObjectPtr module = NewObject(L"NavigationModule");
    DeclareModule(*module, type, name);
    return module;
}

CFakeObjectPtr CFakeOutlook::NewCalendarModule() const
{
    const CFakeObjectPtr module = NewObject(L"CalendarModule");
    DeclareModule(*module, kCalendarModule, L"Calendar");
    module->AddInterface(IID__CalendarModule);
    DeclareCollection(*module, L"NavigationGroups", L"NavigationGroups", m_Log);
    return module;
}

CFakeObjectPtr CFakeOutlook::NewNavigationGroup(const std::wstring& name) const
{
    const CFakeObjectPtr group = NewObject(L"NavigationGroup");
    Declare(*group, L"Name", FakeText(name));
    DeclareCollection(*group, L"NavigationFolders", L"NavigationFolders", m_Log);
    return group;
}

CFakeObjectPtr CFakeOutlook::NewNavigationFolder(const CFakeObjectPtr& folder) const
{
    const CFakeObjectPtr navigationFolder = NewObject(L"NavigationFolder");
    Declare(*navigationFolder, L"DisplayName", folder ? folder->Value(L"Name") : FakeText(L""));
    Declare(*navigationFolder, L"Folder", static_cast<IDispatch*>(folder));
    return navigationFolder;
}

// A bar added here can Delete itself from the collection. It may outlive the
// collection (whoever holds it), so it reaches the collection through a link
// that the collection's end clears.
CFakeCollectionPtr CFakeOutlook::NewCommandBars() const
{
    const CFakeCollectionPtr bars = NewCollection(L"CommandBars");
    CFakeCollection* self = bars;
    const FakeWeakLog log = m_Log;
    const auto link = std::make_shared<CFakeCollection*>(self);
    const std::shared_ptr<void> unlink(nullptr, [link](void*) { *link = nullptr; });
    Declare(*bars, L"Add", [self, log, link, unlink](const CFakeObject::Arguments& arguments) {
        const CFakeObjectPtr bar = MakeCommandBar(log, FakeArgumentText(arguments, 0));
        if (!FakeArgumentMissing(arguments, 1))
            bar->SetProperty(L"Position", _variant_t(FakeArgumentLong(arguments, 1)));
        if (!FakeArgumentMissing(arguments, 3))
            bar->SetProperty(L"Temporary", arguments[3]);
        CFakeObject* const added = bar;
        Declare(*bar, L"Delete", [link, added](const CFakeObject::Arguments&) {
            CFakeCollection* const owner = *link;
            for (size_t i = 0; owner && i < owner->Size(); ++i)
                if (FakeObjectOf(owner->At(i)).GetInterfacePtr() == added)
                {
                    owner->Remove(i);
                    break;
                }
            return _variant_t();
        });
        self->Add(static_cast<IDispatch*>(bar));
        return _variant_t(static_cast<IDispatch*>(bar));
    });
    return bars;
}

CFakeObjectPtr CFakeOutlook::NewCommandBar(const std::wstring& name) const
{
    return MakeCommandBar(m_Log, name);
}

CFakeObjectPtr CFakeOutlook::NewCommandBarButton() const
{
    return MakeCommandBarButton(m_Log);
}

CFakeObjectPtr MakeCommandBarButton(const FakeWeakLog& log)
{
    const CFakeObjectPtr button = CFakeObject::Create(L"CommandBarButton", log.lock());
    button->AddInterface(IID__CommandBarButton);
    button->AddEventSource(DIID__CommandBarButtonEvents);
    for (const wchar_t* name : {L"FaceId", L"Style"})
        Declare(*button, name, _variant_t(0L));
    for (const wchar_t* name : {L"Visible", L"Enabled"})
        Declare(*button, name, _variant_t(true));
    for (const wchar_t* name : {L"Caption", L"TooltipText", L"Tag"})
        Declare(*button, name, FakeText(L""));
    return button;
}

CFakeObjectPtr MakeCommandBar(const FakeWeakLog& log, const std::wstring& name)
{
    const CFakeObjectPtr bar = CFakeObject::Create(L"CommandBar", log.lock());
    bar->AddInterface(IID_CommandBar);
    Declare(*bar, L"Name", FakeText(name));
    Declare(*bar, L"Position", _variant_t(0L));
    Declare(*bar, L"Temporary", _variant_t(false));
    Declare(*bar, L"Visible", _variant_t(false));
    const CFakeCollectionPtr controls = DeclareCollection(*bar, L"Controls", L"CommandBarControls", log);
    CFakeCollection* self = controls;
    Declare(*controls, L"Add", [self, log](const CFakeObject::Arguments&) {
        const CFakeObjectPtr button = MakeCommandBarButton(log);
        self->Add(static_cast<IDispatch*>(button));
        return _variant_t(static_cast<IDispatch*>(button));
    });
    return bar;
}
