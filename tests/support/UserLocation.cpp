#include "tests/support/UserLocation.h"

#include <gtest/gtest.h>

CScopedUserLocation::CScopedUserLocation(GEOID location) : m_Previous(::GetUserGeoID(GEOCLASS_NATION))
{
    EXPECT_TRUE(::SetUserGeoID(location));
    EXPECT_EQ(location, ::GetUserGeoID(GEOCLASS_NATION));
}

CScopedUserLocation::~CScopedUserLocation()
{
    EXPECT_TRUE(::SetUserGeoID(m_Previous));
}
