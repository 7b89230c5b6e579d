// The bulk-job route of a submission against the simulator's bulk-job web
// service: new jobs and their recipient batches, updates and cancels of
// scheduled jobs, every refusal as a gateway exception, and a large send
// through the user-interface helper with its error boxes.
#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "tests/submission/SubmissionTestSupport.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/TestMessageWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::Recipients;
using SubmissionTest::TestNumber;

const char* const kContext = "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - ";
const char* const kCaption = "ZentavoSMS Outlook Add-in";
// The boxes' owner: a live window of the test's thread, as a box takes no
// other.
HWND Owner()
{
    static CTestMessageWindow window;
    return window.Handle();
}

// What a refused submission raised.
struct Refusal
{
    bool raised = false;
    std::string text;
    std::uint32_t code = 0;
    HRESULT hr = S_OK;
};

// The local time one day from now, to the second.
SYSTEMTIME Tomorrow()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME file;
    ::SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
    value.QuadPart += 864000000000ULL;
    file = {value.LowPart, value.HighPart};
    SYSTEMTIME tomorrow;
    ::FileTimeToSystemTime(&file, &tomorrow);
    tomorrow.wMilliseconds = 0;
    return tomorrow;
}

// The text between <ns1:name> and its end tag, or "<absent>".
std::string ElementText(const std::string& body, const std::string& name)
{
    const std::string open = "<ns1:" + name + ">";
    const size_t start = body.find(open);
    if (start == std::string::npos)
        return body.find("<ns1:" + name + "/>") == std::string::npos ? "<absent>" : "";
    const size_t end = body.find("</ns1:" + name + ">", start);
    return end == std::string::npos ? "<absent>" : body.substr(start + open.size(), end - start - open.size());
}

// The operation a logged request called.
std::string OperationOf(const CLoggedRequest& request)
{
    const size_t body = request.m_Body.find("<SOAP-ENV:Body>");
    const size_t start = request.m_Body.find("<ns1:", body);
    if (body == std::string::npos || start == std::string::npos)
        return "<none>";
    const size_t end = request.m_Body.find_first_of("> /", start);
    return request.m_Body.substr(start + 5, end - start - 5);
}

class BulkJobSubmitterTest : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        m_Primary.SetBalance(kUsername, 100000);
    }

    static CZentavoSMSGatewaySubmission NewJob(const CSMSContactVector& recipients)
    {
        CZentavoSMSGatewaySubmission submission;
        submission.m_Action = saNewSendMessageSubmission;
        submission.m_Method = smWebService;
        submission.m_Recipients = recipients;
        submission.m_SenderId = "Zentavo";
        submission.m_MessageText = "Your appointment is tomorrow at 9";
        submission.m_DeliveryReportSetting = drsAccountSetting;
        return submission;
    }

    static CZentavoSMSGatewaySubmission ScheduledJob(const CSMSContactVector& recipients)
    {
        CZentavoSMSGatewaySubmission submission = NewJob(recipients);
        submission.m_ScheduledTime = Tomorrow();
        return submission;
    }

    // An update or cancel of a job, as the SMS reminder makes it.
    static CZentavoSMSGatewaySubmission ChangeOf(const std::string& jobId, std::uint32_t action)
    {
        CZentavoSMSGatewaySubmission submission = ScheduledJob(Recipients(2));
        submission.m_Action = action;
        submission.m_SubmissionId = jobId;
        return submission;
    }

    static CZentavoSMSGatewaySubmissionResults Submit(const CZentavoSMSGatewaySubmission& submission,
                                                      const std::string& accessKey = kAccessKey)
    {
        CZentavoSMSGatewayWebServiceSubmitter_BulkWS submitter(5, accessKey, kSecretKey, "");
        return submitter.MakeSubmission(IDispatchPtr(), submission);
    }

    // What the submission raised: a refusal, or "(lost)" for a failure of
    // the call itself; the results, when it raised nothing, go to results.
    static Refusal RefusalOf(const CZentavoSMSGatewaySubmission& submission,
                             const std::string& accessKey = kAccessKey,
                             CZentavoSMSGatewaySubmissionResults* results = nullptr)
    {
        Refusal refusal;
        try
        {
            const CZentavoSMSGatewaySubmissionResults made = Submit(submission, accessKey);
            if (results)
                *results = made;
        }
        catch (const CZentavoSMSGatewayException& error)
        {
            refusal.raised = true;
            refusal.text = error.GetDescription();
            refusal.code = error.m_GatewayErrorCode;
            refusal.hr = error.GetHResult();
        }
        catch (...)
        {
            refusal.raised = true;
            refusal.text = "(lost)";
        }
        return refusal;
    }

    // A Pending job of two recipients, scheduled for tomorrow.
    std::string PendingJob()
    {
        const CZentavoSMSGatewaySubmissionResults results = Submit(ScheduledJob(Recipients(2)));
        EXPECT_EQ(1, results.m_Success);
        EXPECT_EQ("Pending", Job(results.m_SubmissionId)["status"].AsString());
        return results.m_SubmissionId;
    }

    std::vector<CLoggedRequest> ServiceRequests() const
    {
        return m_Primary.Requests("api/webservices/bulkjob.asmx");
    }

    // The operations called from the index-th service request on.
    std::vector<std::string> Operations(size_t from = 0) const
    {
        const std::vector<CLoggedRequest> requests = ServiceRequests();
        std::vector<std::string> operations;
        for (size_t i = from; i < requests.size(); ++i)
            operations.push_back(OperationOf(requests[i]));
        return operations;
    }

    // The recipient lists of the AppendRecipients calls, in order.
    std::vector<std::string> RecipientLists() const
    {
        std::vector<std::string> lists;
        for (const CLoggedRequest& request : ServiceRequests())
            if (OperationOf(request) == "AppendRecipients")
                lists.push_back(ElementText(request.m_Body, "RecipientList"));
        return lists;
    }

    CJsonValue Job(const std::string& jobId) const
    {
        const CJsonValue state = m_Primary.State();
        for (const CJsonValue& job : state["jobs"].AsArray())
            if (job["job_id"].AsString() == jobId)
                return job;
        ADD_FAILURE() << "no job " << jobId;
        return CJsonValue();
    }

    size_t NumbersOf(const std::string& jobId) const { return Job(jobId)["numbers"].AsArray().size(); }

    // The one job the gateway holds.
    CJsonValue OnlyJob() const
    {
        const std::vector<CJsonValue> jobs = m_Primary.State()["jobs"].AsArray();
        EXPECT_EQ(1u, jobs.size());
        return jobs.empty() ? CJsonValue() : jobs.back();
    }

    void SetJobStatus(const std::string& jobId, const std::string& status) const
    {
        m_Primary.Control("POST", "job",
                          "{\"job_id\": " + JsonQuote(jobId) + ", \"status\": " + JsonQuote(status) + "}");
    }

    // Replies for one operation, in the service's own form.
    void Script(const std::string& operation, const std::string& repliesJson) const
    {
        m_Primary.Control("POST", "script",
                          "{\"page\": \"bulkjob.asmx/" + operation + "\", \"replies\": " + repliesJson + "}");
    }

    static std::string Joined(const CSMSContactVector& recipients, size_t first, size_t last)
    {
        std::string text;
        for (size_t i = first; i < last; ++i)
            text += (i == first ? "" : ",") + recipients[i].m_Number;
        return text;
    }
};

TEST_F(BulkJobSubmitterTest, RecipientsGoInBatchesOfAThousandInTheirOrder)
{
    const CSMSContactVector recipients = Recipients(2500);
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewJob(recipients));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1, results.m_HasSubmissionId);
    EXPECT_EQ(0, results.m_SubmissionReplaced);
    EXPECT_EQ(0, results.m_JobNotChangeable);
    EXPECT_TRUE(results.m_SendStatuses.empty());

    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AppendRecipients",
                                        "AppendRecipients", "SetBulkJobReady"}),
              Operations());
    const std::vector<std::string> lists = RecipientLists();
    ASSERT_EQ(3u, lists.size());
    EXPECT_EQ(Joined(recipients, 0, 1000), lists[0]);
    EXPECT_EQ(Joined(recipients, 1000, 2000), lists[1]);
    EXPECT_EQ(Joined(recipients, 2000, 2500), lists[2]);
    // Every call names the new job.
    for (const CLoggedRequest& request : ServiceRequests())
    {
        if (OperationOf(request) != "CreateSMSTextBulkJob")
        {
            EXPECT_EQ(results.m_SubmissionId, ElementText(request.m_Body, "BulkJobId"));
        }
    }

    const CJsonValue job = OnlyJob();
    EXPECT_EQ(results.m_SubmissionId, job["job_id"].AsString());
    EXPECT_EQ("Completed", job["status"].AsString());
    EXPECT_EQ(2500u, job["numbers"].AsArray().size());
    EXPECT_EQ(TestNumber(2499), job["numbers"].AsArray().back().AsString());
    EXPECT_EQ("SMS Appointment Reminder", job["name"].AsString());
    EXPECT_EQ("Your appointment is tomorrow at 9", job["text"].AsString());
    EXPECT_EQ("ZentavSMSOutlookAddin", job["client_details"]["AppId"].AsString());
    EXPECT_EQ("5.0.1", job["client_details"]["AppVersion"].AsString());
    EXPECT_EQ("", job["client_details"]["AppLicence"].AsString());
}

TEST_F(BulkJobSubmitterTest, OneFullBatchOrNoRecipientsAtAll)
{
    const CSMSContactVector thousand = Recipients(1000);
    CZentavoSMSGatewaySubmissionResults results = Submit(NewJob(thousand));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "SetBulkJobReady"}),
              Operations());
    EXPECT_EQ((std::vector<std::string>{Joined(thousand, 0, 1000)}), RecipientLists());

    // No batch at all: the empty job is still set ready.
    const size_t mark = ServiceRequests().size();
    results = Submit(NewJob(CSMSContactVector()));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1, results.m_HasSubmissionId);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "SetBulkJobReady"}), Operations(mark));
    EXPECT_EQ(0u, NumbersOf(results.m_SubmissionId));
}

TEST_F(BulkJobSubmitterTest, UnreachableNumbersAndALaterEmptyBatchDoNotStopTheJob)
{
    // The second batch holds only a recipient without a number: NO_TO.
    CSMSContactVector recipients = Recipients(1001);
    recipients[1000].m_Number.clear();
    recipients[3].m_Number = "12";  // unreachable: INVALID_NUMBER for the first batch
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewJob(recipients));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    // No batch was taken whole: the job is asked whether it kept a number.
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AppendRecipients",
                                        "GetBulkJobStatus", "SetBulkJobReady"}),
              Operations());
    const std::vector<CLoggedRequest> requests = ServiceRequests();
    EXPECT_NE(std::string::npos, requests[1].m_ReplyBody.find("INVALID_NUMBER"));
    EXPECT_NE(std::string::npos, requests[2].m_ReplyBody.find("NO_TO"));
    EXPECT_EQ("Completed", Job(results.m_SubmissionId)["status"].AsString());
    EXPECT_EQ(999u, NumbersOf(results.m_SubmissionId));
}

TEST_F(BulkJobSubmitterTest, NoNumberInTheFirstBatchAbortsTheJob)
{
    CSMSContactVector recipients = Recipients(3);
    for (CSMSContact& recipient : recipients)
        recipient.m_Number = " ";
    const Refusal refusal = RefusalOf(NewJob(recipients));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(4u, refusal.code);
    EXPECT_EQ(E_FAIL, refusal.hr);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "CreateNew - AppendRecipients", refusal.text);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AbortBulkJob"}), Operations());
    EXPECT_EQ("Aborted", OnlyJob()["status"].AsString());

    // A failing abort changes nothing of what is reported.
    const size_t mark = ServiceRequests().size();
    Script("AbortBulkJob", R"([{"fault": {"code": "Receiver", "reason": "Server was unable to process request."}}])");
    const Refusal again = RefusalOf(NewJob(recipients));
    ASSERT_TRUE(again.raised);
    EXPECT_EQ(4u, again.code);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AbortBulkJob"}),
              Operations(mark));
}

TEST_F(BulkJobSubmitterTest, ARefusedBatchAbortsTheJobAndReportsItsCode)
{
    // The second of three batches is refused: the rest is not sent and the
    // job, with its first thousand, does not go out.
    Script("AppendRecipients", R"([{}, {"error": "TOO_MANY_NUMBERS"}])");
    Refusal refusal = RefusalOf(NewJob(Recipients(2500)));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(18u, refusal.code);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "CreateNew - AppendRecipients", refusal.text);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AppendRecipients",
                                        "AbortBulkJob"}),
              Operations());
    CJsonValue job = OnlyJob();
    EXPECT_EQ("Aborted", job["status"].AsString());
    EXPECT_EQ(1000u, job["numbers"].AsArray().size());

    // The first batch refused the same way.
    m_Primary.Reset();
    m_Primary.SetBalance(kUsername, 100000);
    Script("AppendRecipients", R"([{"error": "INVALID_REQUEST"}])");
    refusal = RefusalOf(NewJob(Recipients(5)));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(12u, refusal.code);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "AbortBulkJob"}), Operations());
    EXPECT_EQ("Aborted", OnlyJob()["status"].AsString());
}

TEST_F(BulkJobSubmitterTest, EveryRefusalOfANewJobIsAGatewayException)
{
    // Refused keys: nothing after the create.
    Refusal refusal = RefusalOf(NewJob(Recipients(3)), "NOSUCHKEY");
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(6u, refusal.code);
    EXPECT_EQ(E_FAIL, refusal.hr);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "CreateNew - CreateSMSTextBulkJob", refusal.text);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob"}), Operations());

    // Too little credit: the job is given up, and its status read to be sure.
    m_Primary.SetBalance(kUsername, 2);
    const size_t mark = ServiceRequests().size();
    refusal = RefusalOf(NewJob(Recipients(3)));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(7u, refusal.code);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "CreateNew - SetBulkJobReady", refusal.text);
    EXPECT_EQ((std::vector<std::string>{"CreateSMSTextBulkJob", "AppendRecipients", "SetBulkJobReady",
                                        "AbortBulkJob", "GetBulkJobStatus"}),
              Operations(mark));
    EXPECT_EQ("Aborted", OnlyJob()["status"].AsString());
    // The refusal stands when neither the abort nor the status answers.
    m_Primary.Reset();
    m_Primary.SetBalance(kUsername, 2);
    Script("AbortBulkJob", R"([{"drop": true}])");
    Script("GetBulkJobStatus", R"([{"truncate_at": 120}])");
    EXPECT_EQ(7u, RefusalOf(NewJob(Recipients(3))).code);
    EXPECT_EQ("Initialising", OnlyJob()["status"].AsString());

    // Unknown codes are refusals too.
    EXPECT_NO_THROW(CZentavoSMSGatewayWebServiceSubmitter_BulkWS::CheckResultCode(1, "ctx"));
    EXPECT_THROW(CZentavoSMSGatewayWebServiceSubmitter_BulkWS::CheckResultCode(0, "ctx"), CZentavoSMSGatewayException);
}

// Numbers a batch refused while it took the others: the job's count tells
// how many; each is named when that is the whole batch, else the count is.
TEST_F(BulkJobSubmitterTest, NumbersABatchRefusedAreNamedWhereTheJobsCountTellsThem)
{
    const struct
    {
        const char* what;
        int count;
        std::vector<int> refused;  // the recipients whose number is "12345"
        std::uint32_t unnamed;
    } rows[] = {
        {"one refused among 101", 101, {57}, 1},
        {"the last batch, of one number, refused", 1001, {1000}, 0},
        {"every number of a later batch refused", 1003, {1000, 1001, 1002}, 0},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        CSMSContactVector recipients = Recipients(row.count);
        std::vector<std::uint32_t> expected(recipients.size(), row.unnamed ? UNKNOWN : OK);
        for (const int i : row.refused)
        {
            recipients[i].m_Number = "12345";
            expected[i] = row.unnamed ? UNKNOWN : INVALID_NUMBER;
        }
        const CZentavoSMSGatewaySubmissionResults results = Submit(NewJob(recipients));
        EXPECT_EQ(1, results.m_Success);
        EXPECT_EQ(row.unnamed, results.m_UnnamedRefusals);
        std::vector<std::uint32_t> codes;
        for (size_t i = 0; i < results.m_SendStatuses.size(); ++i)
        {
            EXPECT_EQ(recipients[i].m_Number, results.m_SendStatuses[i].m_Number);
            codes.push_back(results.m_SendStatuses[i].m_StatusCode);
        }
        EXPECT_EQ(expected, codes);
        EXPECT_EQ(recipients.size() - row.refused.size(), NumbersOf(results.m_SubmissionId));
    }
}

TEST_F(BulkJobSubmitterTest, ASoapFaultPassesThroughUnchanged)
{
    Script("CreateSMSTextBulkJob",
           R"([{"fault": {"code": "Receiver", "reason": "Server was unable to process request."}}])");
    try
    {
        Submit(NewJob(Recipients(2)));
        ADD_FAILURE() << "nothing thrown";
    }
    catch (const CZentavoSMSGatewayException&)
    {
        ADD_FAILURE() << "a SOAP fault is no gateway answer";
    }
    catch (const CGeneralException& error)
    {
        EXPECT_NE(std::string::npos, error.GetDescription().find("Soap call failed (Server was unable to process"))
            << error.GetDescription();
    }
}

TEST_F(BulkJobSubmitterTest, AnUpdateReplacesAScheduledJob)
{
    const std::string oldJob = PendingJob();
    const size_t mark = ServiceRequests().size();
    CZentavoSMSGatewaySubmission update = ChangeOf(oldJob, saUpdateSendMessageSubmission);
    update.m_MessageText = "Moved to 10";
    update.m_Recipients = Recipients(1200);
    const CZentavoSMSGatewaySubmissionResults results = Submit(update);
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1, results.m_SubmissionReplaced);
    EXPECT_EQ(1, results.m_HasSubmissionId);
    EXPECT_EQ(0, results.m_JobNotChangeable);
    EXPECT_NE(oldJob, results.m_SubmissionId);
    // The replacement is ready before the old job goes.
    EXPECT_EQ((std::vector<std::string>{"GetBulkJobStatus", "CreateSMSTextBulkJob", "AppendRecipients",
                                        "AppendRecipients", "SetBulkJobReady", "AbortBulkJob", "GetBulkJobStatus"}),
              Operations(mark));
    EXPECT_EQ("Aborted", Job(oldJob)["status"].AsString());
    const CJsonValue replacement = Job(results.m_SubmissionId);
    EXPECT_EQ("Pending", replacement["status"].AsString());
    EXPECT_EQ("Moved to 10", replacement["text"].AsString());
    EXPECT_EQ(1200u, replacement["numbers"].AsArray().size());

    // A Paused job can be replaced too.
    const std::string paused = PendingJob();
    SetJobStatus(paused, "Paused");
    EXPECT_EQ(1, Submit(ChangeOf(paused, saUpdateSendMessageSubmission)).m_SubmissionReplaced);
}

TEST_F(BulkJobSubmitterTest, AJobNoLongerChangeableIsLeftAlone)
{
    // Unknown is no final status: a cancel cannot count it as done, nor can
    // an update replace the job (it fails without a flag).
    struct Row
    {
        const char* status;
        std::uint32_t action;
        BYTE notChangeable;
    };
    const Row rows[] = {
        {"Processing", saUpdateSendMessageSubmission, 1}, {"Processing", saCancelSendMessageSubmission, 1},
        {"Completed", saUpdateSendMessageSubmission, 1},  {"Completed", saCancelSendMessageSubmission, 1},
        {"Aborted", saUpdateSendMessageSubmission, 1},    {"Aborted", saCancelSendMessageSubmission, 1},
        {"Unknown", saUpdateSendMessageSubmission, 0},    {"Unknown", saCancelSendMessageSubmission, 0},
    };
    const std::string job = PendingJob();
    for (const Row& row : rows)
    {
        SetJobStatus(job, row.status);
        const size_t mark = ServiceRequests().size();
        const CZentavoSMSGatewaySubmissionResults results = Submit(ChangeOf(job, row.action));
        EXPECT_EQ(0, results.m_Success) << row.status << row.action;
        EXPECT_EQ(1u, results.m_ResultCode);
        EXPECT_EQ(row.notChangeable, results.m_JobNotChangeable) << row.status << row.action;
        EXPECT_EQ(0, results.m_SubmissionReplaced);
        EXPECT_EQ(0, results.m_HasSubmissionId);
        EXPECT_EQ((std::vector<std::string>{"GetBulkJobStatus"}), Operations(mark)) << row.status << row.action;
        EXPECT_EQ(row.status, Job(job)["status"].AsString());
    }
}

// Each call of a scheduled job's update and cancel refused, lost before the
// gateway acts (the connection dropped) or lost after it acts (the answer
// cut off). Jobs are kept, given up or counted as stopped on what the
// gateway's statuses say, never on which answer was lost: an update gives
// its replacement up only when the old job is still to go, and keeps it,
// naming the old job as one that may still send, when the gateway cannot
// say; a cancel counts an abort the gateway confirmed.
TEST_F(BulkJobSubmitterTest, EachCallOfAnUpdateOrCancelRefusedOrLost)
{
    const std::string prefix = std::string("Error occured - ") + kContext;
    const std::string lost = "(lost)";
    // One reply each; replies() makes the queue of an operation.
    const std::string refused = R"({"error": "INTERNAL_ERROR"})";
    const std::string before = R"({"drop": true})";
    const std::string after = R"({"truncate_at": 120})";
    const std::string answered = "{}";
    const auto replies = [](const std::vector<std::string>& each) {
        std::string queue;
        for (const std::string& reply : each)
            queue += (queue.empty() ? "[" : ", ") + reply;
        return queue + "]";
    };
    // The update's and the cancel's calls, by their first letters.
    const auto calls = [](const std::string& letters) {
        std::vector<std::string> operations;
        for (const char letter : letters)
            operations.push_back(letter == 'S'   ? "GetBulkJobStatus"
                                 : letter == 'C' ? "CreateSMSTextBulkJob"
                                 : letter == 'A' ? "AppendRecipients"
                                 : letter == 'R' ? "SetBulkJobReady"
                                                 : "AbortBulkJob");
        return operations;
    };
    enum Outcome
    {
        kFailed,
        kReplaced,       // the replacement named, the old job stopped
        kOldMaySend,     // the replacement named, the old job not known to have stopped
        kMadeMaySend,    // the replacement named as one that may send, the old job still to go
        kCancelled,
    };
    struct Row
    {
        const char* name;
        std::uint32_t action;
        std::vector<std::pair<const char*, std::string>> scripts;
        std::string raised;  // the refusal's text, "(lost)", or empty
        const char* calls;
        Outcome outcome;
        const char* oldStatus;
        const char* made;  // the new job's status; null: none made
    };
    const std::uint32_t update = saUpdateSendMessageSubmission;
    const std::uint32_t cancel = saCancelSendMessageSubmission;
    const std::string status = prefix + "saUpdateSendMessageSubmission - GetBulkJobStatus";
    const std::string abort = prefix + "saUpdateSendMessageSubmission - AbortBulkJob";
    using Scripts = std::vector<std::pair<const char*, std::string>>;
    // One operation's replies.
    const auto on = [&](const char* operation, const std::vector<std::string>& each) {
        return Scripts{{operation, replies(each)}};
    };
    const std::string notConfirmed = R"({"result": [["ErrorCode", "OK"]]})";
    const Row rows[] = {
        {"update: the status refused", update, on("GetBulkJobStatus", {refused}), status, "S", kFailed, "Pending",
         nullptr},
        {"update: the status lost", update, on("GetBulkJobStatus", {after}), lost, "S", kFailed, "Pending", nullptr},
        {"update: the create refused", update, on("CreateSMSTextBulkJob", {refused}),
         prefix + "CreateNew - CreateSMSTextBulkJob", "SC", kFailed, "Pending", nullptr},
        {"update: the create lost before", update, on("CreateSMSTextBulkJob", {before}), lost, "SC", kFailed,
         "Pending", nullptr},
        {"update: the create lost after", update, on("CreateSMSTextBulkJob", {after}), lost, "SC", kFailed, "Pending",
         "Initialising"},
        {"update: the batch refused", update, on("AppendRecipients", {refused}),
         prefix + "CreateNew - AppendRecipients", "SCAX", kFailed, "Pending", "Aborted"},
        {"update: the batch lost before", update, on("AppendRecipients", {before}), lost, "SCAX", kFailed, "Pending",
         "Aborted"},
        {"update: the batch lost after", update, on("AppendRecipients", {after}), lost, "SCAX", kFailed, "Pending",
         "Aborted"},
        {"update: the ready refused", update, on("SetBulkJobReady", {refused}), prefix + "CreateNew - SetBulkJobReady",
         "SCARXS", kFailed, "Pending", "Aborted"},
        {"update: the ready lost before", update, on("SetBulkJobReady", {before}), lost, "SCARSXS", kFailed, "Pending",
         "Aborted"},
        {"update: the ready lost after", update, on("SetBulkJobReady", {after}), "", "SCARSXS", kReplaced, "Aborted",
         "Pending"},
        {"update: the abort refused", update, on("AbortBulkJob", {refused}), abort, "SCARXSXS", kFailed, "Pending",
         "Aborted"},
        {"update: the abort lost before", update, on("AbortBulkJob", {before}), lost, "SCARXSXS", kFailed, "Pending",
         "Aborted"},
        {"update: the abort lost after", update, on("AbortBulkJob", {after}), "", "SCARXS", kReplaced, "Aborted",
         "Pending"},
        {"update: the old job's status refused after its abort", update, on("GetBulkJobStatus", {answered, refused}),
         "", "SCARXS", kReplaced, "Aborted", "Pending"},
        {"update: the old job's status lost after its abort", update, on("GetBulkJobStatus", {answered, after}), "",
         "SCARXS", kReplaced, "Aborted", "Pending"},
        {"update: the abort not confirmed", update, on("AbortBulkJob", {notConfirmed}), "", "SCARXSXS", kFailed,
         "Pending", "Aborted"},
        // The gateway cannot say even when asked.
        {"update: the abort lost after, the old job's status refused", update,
         {{"AbortBulkJob", replies({after})}, {"GetBulkJobStatus", replies({answered, refused})}}, "", "SCARXS",
         kOldMaySend, "Aborted", "Pending"},
        {"update: the abort refused, the replacement's abort lost", update,
         {{"AbortBulkJob", replies({refused, before})}, {"GetBulkJobStatus", replies({answered, answered, after})}},
         "", "SCARXSXS", kMadeMaySend, "Pending", "Pending"},
        {"cancel: the status refused", cancel, on("GetBulkJobStatus", {refused}),
         prefix + "saCancelSendMessageSubmission - GetBulkJobStatus", "S", kFailed, "Pending", nullptr},
        {"cancel: the status lost", cancel, on("GetBulkJobStatus", {after}), lost, "S", kFailed, "Pending", nullptr},
        {"cancel: the abort refused", cancel, on("AbortBulkJob", {refused}),
         prefix + "saCancelSendMessageSubmission - AbortBulkJob", "SXS", kFailed, "Pending", nullptr},
        {"cancel: the abort lost before", cancel, on("AbortBulkJob", {before}), lost, "SXS", kFailed, "Pending",
         nullptr},
        {"cancel: the abort lost after", cancel, on("AbortBulkJob", {after}), "", "SXS", kCancelled, "Aborted",
         nullptr},
        {"cancel: the status refused after the abort", cancel, on("GetBulkJobStatus", {answered, refused}), "", "SXS",
         kCancelled, "Aborted", nullptr},
        {"cancel: the abort not confirmed", cancel, on("AbortBulkJob", {notConfirmed}), "", "SXS", kFailed, "Pending",
         nullptr},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string job = PendingJob();
        const size_t jobs = m_Primary.State()["jobs"].AsArray().size();
        for (const auto& script : row.scripts)
            Script(script.first, script.second);
        const size_t mark = ServiceRequests().size();
        CZentavoSMSGatewaySubmissionResults results;
        const Refusal refusal = RefusalOf(ChangeOf(job, row.action), kAccessKey, &results);
        EXPECT_EQ(row.raised, refusal.text);
        EXPECT_EQ(calls(row.calls), Operations(mark));
        EXPECT_EQ(row.oldStatus, Job(job)["status"].AsString());
        const std::vector<CJsonValue> all = m_Primary.State()["jobs"].AsArray();
        ASSERT_EQ(row.made ? jobs + 1 : jobs, all.size());
        const std::string made = row.made ? all.back()["job_id"].AsString() : "";
        if (row.made)
        {
            EXPECT_EQ(row.made, all.back()["status"].AsString());
        }
        const bool named = row.outcome == kReplaced || row.outcome == kOldMaySend || row.outcome == kMadeMaySend;
        EXPECT_EQ(row.outcome == kReplaced || row.outcome == kOldMaySend || row.outcome == kCancelled ? 1 : 0,
                  results.m_Success);
        EXPECT_EQ(row.outcome == kReplaced || row.outcome == kOldMaySend ? 1 : 0, results.m_SubmissionReplaced);
        EXPECT_EQ(row.outcome == kOldMaySend ? 1 : 0, results.m_ReplacedJobMaySend);
        EXPECT_EQ(row.outcome == kMadeMaySend ? 1 : 0, results.m_OutcomeUnknown);
        EXPECT_EQ(0, results.m_JobNotChangeable);
        EXPECT_EQ(named ? made : row.outcome == kCancelled ? job : "", results.m_SubmissionId);
    }
    // An unknown job.
    const Refusal refusal = RefusalOf(ChangeOf("999999", saUpdateSendMessageSubmission));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(14u, refusal.code);
}

TEST_F(BulkJobSubmitterTest, ACancelAbortsTheJob)
{
    const std::string job = PendingJob();
    SetJobStatus(job, "Paused");
    size_t mark = ServiceRequests().size();
    const CZentavoSMSGatewaySubmissionResults results = Submit(ChangeOf(job, saCancelSendMessageSubmission));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1, results.m_HasSubmissionId);
    EXPECT_EQ(job, results.m_SubmissionId);
    EXPECT_EQ(0, results.m_SubmissionReplaced);
    EXPECT_EQ((std::vector<std::string>{"GetBulkJobStatus", "AbortBulkJob", "GetBulkJobStatus"}), Operations(mark));
    EXPECT_EQ("Aborted", Job(job)["status"].AsString());

    // Not confirmed: no success, nothing raised.
    const std::string pending = PendingJob();
    Script("AbortBulkJob", R"([{"result": [["ErrorCode", "OK"]]}])");
    const CZentavoSMSGatewaySubmissionResults unconfirmed = Submit(ChangeOf(pending, saCancelSendMessageSubmission));
    EXPECT_EQ(0, unconfirmed.m_Success);
    EXPECT_EQ(1u, unconfirmed.m_ResultCode);
    EXPECT_EQ(0, unconfirmed.m_HasSubmissionId);
}

TEST_F(BulkJobSubmitterTest, ACancelOfAnUnknownJobIsDoneARefusedQueryIsAFailure)
{
    // A job the gateway does not know cannot send.
    size_t mark = ServiceRequests().size();
    const CZentavoSMSGatewaySubmissionResults results = Submit(ChangeOf("999999", saCancelSendMessageSubmission));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1, results.m_JobNotChangeable);
    EXPECT_EQ((std::vector<std::string>{"GetBulkJobStatus"}), Operations(mark));

    // A refused query says nothing of the job, which may still send.
    const std::string job = PendingJob();
    mark = ServiceRequests().size();
    Script("GetBulkJobStatus", R"([{"error": "LOGIN_INVALID"}])");
    Refusal refusal = RefusalOf(ChangeOf(job, saCancelSendMessageSubmission));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(6u, refusal.code);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "saCancelSendMessageSubmission - GetBulkJobStatus",
              refusal.text);
    EXPECT_EQ((std::vector<std::string>{"GetBulkJobStatus"}), Operations(mark));
    EXPECT_EQ("Pending", Job(job)["status"].AsString());

    // The abort refused, while the job is still to go.
    Script("AbortBulkJob", R"([{"error": "GATEWAY_ERROR"}])");
    refusal = RefusalOf(ChangeOf(job, saCancelSendMessageSubmission));
    ASSERT_TRUE(refusal.raised);
    EXPECT_EQ(8u, refusal.code);
    EXPECT_EQ(std::string("Error occured - ") + kContext + "saCancelSendMessageSubmission - AbortBulkJob",
              refusal.text);
    EXPECT_EQ("Pending", Job(job)["status"].AsString());
}

TEST_F(BulkJobSubmitterTest, AnUnknownActionCallsNothing)
{
    for (std::uint32_t action : {0u, 4u})
    {
        CZentavoSMSGatewaySubmission submission = NewJob(Recipients(2));
        submission.m_Action = action;
        const CZentavoSMSGatewaySubmissionResults results = Submit(submission);
        EXPECT_EQ(0, results.m_Success);
        EXPECT_EQ(1u, results.m_ResultCode);
        EXPECT_EQ(0, results.m_HasSubmissionId);
    }
    EXPECT_TRUE(ServiceRequests().empty());
}

// The Send SMS window's road for a large send: method 2 through the
// user-interface helper and the manager.
class BulkJobSendTest : public BulkJobSubmitterTest
{
protected:
    CZentavoSMSGatewaySubmissionResults Send(const CZentavoSMSGatewaySubmission& submission)
    {
        CZentavoSMSGatewaySubmissionManager manager(5, kAccessKey, kSecretKey, "");
        return CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(Owner(), "Send Message Failed!", manager,
                                                                       m_Outlook.Application(), submission);
    }

    CZentavoSMSGatewaySubmission LargeSend(int recipients)
    {
        CZentavoSMSGatewaySubmission submission = NewJob(Recipients(recipients));
        submission.m_SenderType = sstReplyable;
        submission.m_RoutingType = 2;
        IDispatchPtr application = m_Outlook.Application();
        SetSubmissionReplyAndSourceIdentity(application, submission, submission.m_UserContext);
        return submission;
    }

    void ExpectOneBox(const std::string& text)
    {
        const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(text, shown[0].text);
        EXPECT_EQ(kCaption, shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].style);
        EXPECT_EQ(Owner(), shown[0].owner);
    }

    CFakeOutlook m_Outlook;
};

TEST_F(BulkJobSendTest, ALargeSendBecomesOneJob)
{
    m_Outlook.SetCurrentUser(L"Ann Lee", L"ann.lee@example.com");
    const CZentavoSMSGatewaySubmissionResults results = Send(LargeSend(150));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1, results.m_HasSubmissionId);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
    EXPECT_TRUE(m_Primary.Requests("sendmsg.aspx").empty());

    const CJsonValue job = OnlyJob();
    EXPECT_EQ(results.m_SubmissionId, job["job_id"].AsString());
    EXPECT_EQ("Completed", job["status"].AsString());
    EXPECT_EQ(150u, job["numbers"].AsArray().size());
    EXPECT_EQ("DynamicRouting", job["oa_type"].AsString());
    EXPECT_EQ("ann.lee@example.com", job["message_source"]["id"].AsString());
    EXPECT_EQ("Ann Lee", job["reply_to"]["name"].AsString());
    EXPECT_EQ("ZentavoSMSOutlookAddin", job["message_source"]["interface"].AsString());
    const CJsonValue state = m_Primary.State();
    for (const CJsonValue& account : state["accounts"].AsArray())
    {
        if (account["username"].AsString() == kUsername)
        {
            EXPECT_EQ(100000 - 150, account["balance"].AsInteger());
        }
    }
}

TEST_F(BulkJobSendTest, EachRefusalShowsOneBox)
{
    struct Case
    {
        const char* operation;
        const char* replies;
        std::uint32_t code;
        std::string tail;
    };
    const std::string context = std::string("Error occured - ") + kContext;
    const Case cases[] = {
        {"SetBulkJobReady", R"([{"error": "INSUFFICIENT_CREDIT"}])", 7,
         "Insufficient credit to complete the request"},
        {"AppendRecipients", R"([{"error": "NO_TO"}])", 4, "No valid recipients numbers were provided"},
        {"AppendRecipients", R"([{"error": "TOO_MANY_NUMBERS"}])", 18,
         "ResultCode: 18\n\n" + context + "CreateNew - AppendRecipients"},
    };
    for (const Case& c : cases)
    {
        const size_t before = m_Boxes.Boxes().size();
        Script(c.operation, c.replies);
        const CZentavoSMSGatewaySubmissionResults results = Send(LargeSend(101));
        EXPECT_EQ(0, results.m_Success) << c.code;
        EXPECT_EQ(c.code, results.m_ResultCode);
        const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
        ASSERT_EQ(before + 1, shown.size()) << c.code;
        EXPECT_EQ("Send Message Failed!\n\n" + c.tail, shown.back().text);
        EXPECT_EQ(kCaption, shown.back().caption);
        EXPECT_EQ(Owner(), shown.back().owner);
    }
}

TEST_F(BulkJobSendTest, AnUnreachableServiceShowsTheConnectionText)
{
    SubmissionTest::PrimaryRelay().SetReachable(false);
    const CZentavoSMSGatewaySubmissionResults results = Send(LargeSend(120));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(10u, results.m_ResultCode);
    ExpectOneBox("Send Message Failed!\n\nError occurred connecting to the ZentavoSoftware Service.\n\nPlease check "
                 "you internet connection and firewall settings");
}

TEST_F(BulkJobSendTest, TheReminderRoadThroughTheManager)
{
    // A reminder's job, its update and its cancel, each as the manager runs it.
    CZentavoSMSGatewaySubmission reminder = ScheduledJob(Recipients(1));
    CZentavoSMSGatewaySubmissionResults results = Send(reminder);
    ASSERT_EQ(1, results.m_HasSubmissionId);
    reminder.m_Action = saUpdateSendMessageSubmission;
    reminder.m_SubmissionId = results.m_SubmissionId;
    results = Send(reminder);
    ASSERT_EQ(1, results.m_SubmissionReplaced);
    reminder.m_Action = saCancelSendMessageSubmission;
    reminder.m_SubmissionId = results.m_SubmissionId;
    results = Send(reminder);
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(reminder.m_SubmissionId, results.m_SubmissionId);
    EXPECT_EQ("Aborted", Job(reminder.m_SubmissionId)["status"].AsString());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
} // namespace
