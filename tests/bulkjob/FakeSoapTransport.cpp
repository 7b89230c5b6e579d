#include "tests/bulkjob/FakeSoapTransport.h"

#include <algorithm>
#include <cstring>

CFakeSoapTransport::CFakeSoapTransport(struct soap* soap)
{
    soap->user = this;
    soap->fconnect = Connect;
    soap->fposthdr = PostHeader;
    soap->fsend = Send;
    soap->frecv = Receive;
    soap->fclose = Close;
    if (soap->plugins)
        soap->fpost = Post;
}

std::string CFakeSoapTransport::Header(const std::string& name) const
{
    for (const auto& header : m_Headers)
    {
        if (header.first == name)
            return header.second;
    }
    return std::string();
}

CFakeSoapTransport& CFakeSoapTransport::Of(struct soap* soap)
{
    return *static_cast<CFakeSoapTransport*>(soap->user);
}

int CFakeSoapTransport::Connect(struct soap* soap, const char* endpoint, const char*, int)
{
    CFakeSoapTransport& fake = Of(soap);
    ++fake.m_Connects;
    fake.m_Endpoint = endpoint ? endpoint : "";
    fake.m_Sent.clear();
    fake.m_Sends = 0;
    fake.m_PostedLength = 0;
    fake.m_Headers.clear();
    fake.m_ReplyOffset = 0;
    if (fake.m_FailConnect)
        return soap->error = SOAP_HTTP_ERROR;
    return SOAP_OK;
}

int CFakeSoapTransport::Post(struct soap* soap, const char*, const char*, int, const char*, const char*,
                             ULONG64 count)
{
    Of(soap).m_PostedLength = count;
    return SOAP_OK;
}

int CFakeSoapTransport::PostHeader(struct soap* soap, const char* key, const char* value)
{
    if (key)
        Of(soap).m_Headers.emplace_back(key, value ? value : "");
    return SOAP_OK;
}

int CFakeSoapTransport::Send(struct soap* soap, const char* data, size_t length)
{
    CFakeSoapTransport& fake = Of(soap);
    fake.m_Sent.append(data, length);
    if (length)
        ++fake.m_Sends;
    return SOAP_OK;
}

size_t CFakeSoapTransport::Receive(struct soap* soap, char* buffer, size_t length)
{
    CFakeSoapTransport& fake = Of(soap);
    const size_t count = std::min(length, fake.m_Reply.size() - std::min(fake.m_ReplyOffset, fake.m_Reply.size()));
    std::memcpy(buffer, fake.m_Reply.data() + fake.m_ReplyOffset, count);
    fake.m_ReplyOffset += count;
    return count;
}

int CFakeSoapTransport::Close(struct soap*)
{
    return SOAP_OK;
}
