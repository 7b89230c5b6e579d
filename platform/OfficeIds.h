// Interface identifiers of the Office and Outlook type libraries that the
// add-in asks objects for by QueryInterface. Calls into Outlook go by name
// through IDispatch (platform/Dispatch.h); an id is needed only where the
// code must know which kind of object it holds. Values from Outlook's
// published type library, named after the interface they identify.
#pragma once

#include <guiddef.h>

// Outlook (MSOUTL.OLB).
// {00063021-0000-0000-C000-000000000046}
constexpr IID IID__ContactItem = {0x00063021, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00063034-0000-0000-C000-000000000046}
constexpr IID IID__MailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000630EA-0000-0000-C000-000000000046}
constexpr IID IID__CalendarModule = {0x000630EA, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
