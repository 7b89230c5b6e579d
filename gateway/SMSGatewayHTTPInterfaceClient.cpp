#include "gateway/SMSGatewayHTTPInterfaceClient.h"

#include "core/GatewayAddresses.h"

void InitialiseSMSGatewayHTTPInterfaceClient(CSMSGatewayHTTPInterfaceClient& client)
{
    client.SetServers(GetGatewayPrimaryURL(), GetGatewayBackupURL(), std::string(), std::string(), std::string());
    client.SetInterface(kZentavoSMSOutlookAddinInterfaceId);
    client.SetClientId("ZentavoSMS", "5.0.1", "ZentavSMSOutlookAddin", "5.0.1");
}
