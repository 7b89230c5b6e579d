// The blocks of the XML submission document that the e-mail route attaches
// in auth modes 2 and 4. Each operation appends its block to the caller's
// text; the document is narrow text with CR LF after every tag and no XML
// declaration.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CZentavoSubmissionXMLGenerator
{
public:
    virtual ~CZentavoSubmissionXMLGenerator();

    // <ZentavoSubmission>, Version and Generator.
    static void AddDocumentStart(std::string& output);
    // AuthMode, Username (when not empty), SubmissionKey and AuthHash.
    static void AddAuthentication(std::string& output, std::uint32_t authMode, const std::string& username,
                                  const std::string& submissionKey, const std::string& authHash);
    // Recipients, MaxConCat, the sender, UserContext, ReportingSettings and
    // ScheduleAction, each when it applies.
    static void AddMessageHeader(std::string& output, bool useNumberList, const std::string& numberListName,
                                 const std::string& senderId, std::uint32_t senderType, std::uint32_t maxConCat,
                                 const std::string& userContext, const SYSTEMTIME& schedule,
                                 std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask);
    // The recipients' source: the attached number list, or the To field.
    static void AddRecipients(std::string& output, bool useNumberList, const std::string& numberListName);
    // OAType for sender types 2 and 3, else OA with the sender id.
    static void AddSender(std::string& output, const std::string& senderId, std::uint32_t senderType);
    // Only for delivery-report settings 1 and 2.
    static void AddReportingSettings(std::string& output, std::uint32_t deliveryReportSetting,
                                     std::uint32_t deliveryReportStatusMask);
    // Only for a schedule whose day is not 0; raises what the zone-offset
    // conversion raises.
    static void AddSchedule(std::string& output, const SYSTEMTIME& schedule);
    // The message text's bytes in Base64 inside Content.
    static void AddMessageBody(std::string& output, const std::string& messageText);
    static void AddDocumentEnd(std::string& output);
};
