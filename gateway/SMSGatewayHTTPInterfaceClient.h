// The gateway client as the add-in uses it: built on the stack for one piece
// of work (a submission, a login step, one balance refresh), set up with
// InitialiseSMSGatewayHTTPInterfaceClient, used by one thread and destroyed.
#pragma once

#include "gateway/SMSGatewayProxy.h"

#include <cstdint>

class CSMSGatewayHTTPInterfaceClient : public CSMSGatewayProxy
{
public:
    ~CSMSGatewayHTTPInterfaceClient() override = default;
};

// The gateway addresses (direct access, no proxy), the add-in's interface id
// and its client details. Raises what opening the internet session raises.
void InitialiseSMSGatewayHTTPInterfaceClient(CSMSGatewayHTTPInterfaceClient& client);
