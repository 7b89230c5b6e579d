#include "gateway/ZentavoSubmissionXMLGenerator.h"

#include "core/Base64.h"
#include "core/XMLWriter.h"
#include "gateway/SMSGatewayResultCode.h"

namespace
{
const char kRootElement[] = "ZentavoSubmission";
const char kLineEnd[] = "\r\n";
} // namespace

CZentavoSubmissionXMLGenerator::~CZentavoSubmissionXMLGenerator() = default;

void CZentavoSubmissionXMLGenerator::AddDocumentStart(std::string& output)
{
    CXMLWriter::AddStartElement(output, kRootElement);
    CXMLWriter::AddElement(output, "Version", "1.0");
    CXMLWriter::AddStartElement(output, "Generator");
    CXMLWriter::AddElement(output, "AppName", "OLAddin");
    CXMLWriter::AddElement(output, "AppVer", "5.0.1");
    CXMLWriter::AddEndElement(output, "Generator");
}

void CZentavoSubmissionXMLGenerator::AddAuthentication(std::string& output, std::uint32_t authMode,
                                                       const std::string& username,
                                                       const std::string& submissionKey,
                                                       const std::string& authHash)
{
    CXMLWriter::AddStartElement(output, "Authentication");
    CXMLWriter::AddElement(output, "AuthMode", std::to_string(authMode));
    if (!username.empty())
        CXMLWriter::AddElement(output, "Username", username);
    CXMLWriter::AddElement(output, "SubmissionKey", submissionKey);
    CXMLWriter::AddElement(output, "AuthHash", authHash);
    CXMLWriter::AddEndElement(output, "Authentication");
}

void CZentavoSubmissionXMLGenerator::AddMessageHeader(std::string& output, bool useNumberList,
                                                      const std::string& numberListName,
                                                      const std::string& senderId, std::uint32_t senderType,
                                                      std::uint32_t maxConCat, const std::string& userContext,
                                                      const SYSTEMTIME& schedule,
                                                      std::uint32_t deliveryReportSetting,
                                                      std::uint32_t deliveryReportStatusMask)
{
    CXMLWriter::AddStartElement(output, "MessageHeader");
    AddRecipients(output, useNumberList, numberListName);
    CXMLWriter::AddElement(output, "MaxConCat", std::to_string(maxConCat));
    AddSender(output, senderId, senderType);
    if (!userContext.empty())
        CXMLWriter::AddElement(output, "UserContext", userContext);
    AddReportingSettings(output, deliveryReportSetting, deliveryReportStatusMask);
    AddSchedule(output, schedule);
    CXMLWriter::AddEndElement(output, "MessageHeader");
}

void CZentavoSubmissionXMLGenerator::AddRecipients(std::string& output, bool useNumberList,
                                                   const std::string& numberListName)
{
    CXMLWriter::AddStartElement(output, "Recipients");
    CXMLWriter::AddStartElement(output, "ExternalSource");
    if (useNumberList)
        CXMLWriter::AddEmptyElementWithAttributes(output, "EmailAttachment", {{"filename", numberListName}});
    else
        CXMLWriter::AddEmptyElementWithAttributes(output, "EmailField", {{"field", "To"}});
    CXMLWriter::AddEndElement(output, "ExternalSource");
    CXMLWriter::AddEndElement(output, "Recipients");
}

void CZentavoSubmissionXMLGenerator::AddSender(std::string& output, const std::string& senderId,
                                               std::uint32_t senderType)
{
    switch (senderType)
    {
    case 2:
        CXMLWriter::AddElement(output, "OAType", "Replyable");
        break;
    case 3:
        CXMLWriter::AddElement(output, "OAType", "UseAccountSettings");
        break;
    default:
        CXMLWriter::AddElement(output, "OA", senderId);
        break;
    }
}

void CZentavoSubmissionXMLGenerator::AddReportingSettings(std::string& output, std::uint32_t deliveryReportSetting,
                                                          std::uint32_t deliveryReportStatusMask)
{
    if (deliveryReportSetting != drsNoReports && deliveryReportSetting != drsReportStatuses)
        return;
    // The e-mail route always asks for replies routed to the message source.
    std::string routingType;
    GetRoutingTypeText(rrtMsgSource, routingType);
    std::string statuses;
    GetStatusFlagsText(deliveryReportSetting == drsReportStatuses ? deliveryReportStatusMask : 0, statuses);

    CXMLWriter::AddStartElement(output, "ReportingSettings");
    CXMLWriter::AddElement(output, "RoutingType", routingType);
    CXMLWriter::AddElement(output, "RequiredMessageStatus", statuses);
    CXMLWriter::AddEndElement(output, "ReportingSettings");
}

void CZentavoSubmissionXMLGenerator::AddSchedule(std::string& output, const SYSTEMTIME& schedule)
{
    if (schedule.wDay == 0)
        return;
    CXMLWriter::AddStartElement(output, "ScheduleAction");
    CXMLWriter::AddElement_LocalTimeWithTimeZoneOffset(output, "StartAt", schedule);
    CXMLWriter::AddEndElement(output, "ScheduleAction");
}

void CZentavoSubmissionXMLGenerator::AddMessageBody(std::string& output, const std::string& messageText)
{
    CXMLWriter::AddStartElement(output, "MessageBody");
    CXMLWriter::AddStartElementWithAttributes(output, "Content",
                                              {{"contentType", "text/plain"}, {"contentTransferEncoding", "base64"}});
    CXMLWriter::AddInnerText(output, CBase64::Encode(reinterpret_cast<const unsigned char*>(messageText.data()),
                                                     static_cast<int>(messageText.size())));
    output += kLineEnd;
    CXMLWriter::AddEndElement(output, "Content");
    CXMLWriter::AddEndElement(output, "MessageBody");
}

void CZentavoSubmissionXMLGenerator::AddDocumentEnd(std::string& output)
{
    CXMLWriter::AddEndElement(output, kRootElement);
}
