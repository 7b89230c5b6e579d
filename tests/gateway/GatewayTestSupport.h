// Shared set-up of the gateway tests that talk to the local gateway
// simulator: both instances reset, the process-wide server failure times
// cleared, and the "DELAY:" wait recorded instead of slept.
#pragma once

#include "gateway/SMSGatewayProxy.h"

#include "tests/support/EventCapture.h"
#include "tests/support/GatewaySimulator.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

// The client details the add-in appends to requests for the primary server.
extern const char kAddinClientDetails[];

class GatewaySimulatorTest : public ::testing::Test
{
protected:
    GatewaySimulatorTest();
    void SetUp() override;
    void TearDown() override;

    // Servers, interface id and client details as the add-in sets them,
    // with the simulator's HTTPS addresses.
    void Configure(CSMSGatewayProxy& proxy) const;
    void Configure(CSMSGatewayService& service) const;

    // The waits requested since SetUp, in milliseconds.
    static std::vector<DWORD> DelayWaits();

    // A loopback port on which nothing listens.
    static unsigned short ClosedPort();

    CGatewaySimulator m_Primary;
    CGatewaySimulator m_Backup;
    CEventLogCapture m_Events;
};

// Options as the user-interface thread passes them: primary only.
CSMSGatewayRequestOptions PrimaryOnly(DWORD timeoutMs = 20000);
// Options that allow failover with a time-out.
CSMSGatewayRequestOptions WithFailover(DWORD timeoutMs = 20000);
