// Explorers and their navigation pane in the test Outlook.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include "platform/OfficeIds.h"

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

CFakeObjectPtr CFakeOutlook::NewExplorer() const
{
    const CFakeObjectPtr explorer = NewObject(L"Explorer");
    Declare(*explorer, L"NavigationPane", static_cast<IDispatch*>(NewNavigationPane()), 64435);
    explorer->SetReadOnly(L"NavigationPane");
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
