// The mail part of the test Outlook, shared by CFakeOutlook's constructor and
// its mail factories (FakeOutlookMail.cpp).
#pragma once

#include "tests/support/FakeDispatch.h"

#include <map>
#include <memory>

// {00063034-0000-0000-C000-000000000046}
extern const IID IID_FakeOutlookMailItem;

// Declares NameSpace.GetDefaultFolder on the namespace; the folders it makes
// live in the returned map, which the namespace's method holds too.
std::shared_ptr<std::map<long, CFakeObjectPtr>> DeclareDefaultFolders(CFakeObject& nameSpace,
                                                                      const std::shared_ptr<CFakeCallLog>& log);
