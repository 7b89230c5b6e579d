// The Windows user's location (GetUserGeoID) for one scope, as the user
// sets it in the region settings: the country whose national numbers
// ("07700 900123") the recipient lists read.
//
// Wine reads it from "Control Panel\International\Geo" through a key of the
// prefix's own HKEY_CURRENT_USER opened at process start, which
// RegOverridePredefKey does not redirect; so the value set is the prefix's,
// and it is put back when the scope ends. The tests that set it run in
// entries that never run beside each other in one prefix (the desktop lock,
// the dates prefix's lock), and each sets the location it assumes.
#pragma once

#include <windows.h>

// Windows location ids.
namespace Location
{
constexpr GEOID kUnitedKingdom = 242;
constexpr GEOID kFrance = 84;
constexpr GEOID kItaly = 118;
// National numbers there begin with no trunk zero.
constexpr GEOID kUnitedStates = 244;
} // namespace Location

class CScopedUserLocation
{
public:
    explicit CScopedUserLocation(GEOID location);
    ~CScopedUserLocation();
    CScopedUserLocation(const CScopedUserLocation&) = delete;
    CScopedUserLocation& operator=(const CScopedUserLocation&) = delete;

private:
    const GEOID m_Previous;
};
