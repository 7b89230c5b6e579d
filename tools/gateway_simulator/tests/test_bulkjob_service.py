import http.client
import json
import shutil
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

from gwsim.bulkjob_service import SERVICE_NS, SOAP12_NS
from gwsim.gateway import GatewayState
from gwsim.server import Instance

SEED = {"accounts": [{"username": "user", "password": "pw", "balance": 10,
                      "factors": [{"name": "seed", "access_key": "AK", "secret_key": "SK"}]}]}
PATH = "/api/webservices/bulkjob.asmx?wsdl"


def request_xml(operation, inner):
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<SOAP-ENV:Envelope xmlns:SOAP-ENV="%s" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" '
            'xmlns:ns1="%s"><SOAP-ENV:Body><ns1:%s><ns1:%sInput>%s</ns1:%sInput></ns1:%s>'
            '</SOAP-ENV:Body></SOAP-ENV:Envelope>'
            % (SOAP12_NS, SERVICE_NS, operation, operation, inner, operation, operation)).encode("utf-8")


def credentials(access_key="AK", secret_key="SK"):
    return ('<ns1:AuthenticationCredentials xsi:type="ns1:AuthenticationCredentialsAccessKeyAndSecretKey">'
            '<ns1:SubmittedInterface>ZentavoSMSOutlookAddin</ns1:SubmittedInterface>'
            '<ns1:AccessKey>%s</ns1:AccessKey><ns1:SecretKey>%s</ns1:SecretKey>'
            '</ns1:AuthenticationCredentials>' % (access_key, secret_key))


def job_details(text="Hello", schedule=None):
    scheduled = "<ns1:ScheduledDate>%s</ns1:ScheduledDate>" % schedule if schedule else ""
    return ('<ns1:BulkJobDetails><ns1:BulkJobName>Job</ns1:BulkJobName><ns1:MessageType>Text</ns1:MessageType>'
            '<ns1:Message xsi:type="ns1:TextMessage"><ns1:MessageBody>%s</ns1:MessageBody>'
            '<ns1:MaxConCat>0</ns1:MaxConCat></ns1:Message><ns1:From>Me</ns1:From>'
            '<ns1:OAType>UserDefined</ns1:OAType><ns1:MaxConCatMsgs>1</ns1:MaxConCatMsgs>%s'
            '<ns1:ReportSettings><ns1:StatusFlags>None MessageSent</ns1:StatusFlags>'
            '<ns1:RoutingType>MsgSource</ns1:RoutingType></ns1:ReportSettings></ns1:BulkJobDetails>'
            % (text, scheduled))


class BulkJobServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="gwsim-bulkjob-")
        cls.gateway = GatewayState(SEED)
        cls.instance = Instance("primary", cls.gateway, access_log=None)
        cls.instance.start()

    @classmethod
    def tearDownClass(cls):
        cls.instance.stop()
        shutil.rmtree(cls.folder)

    def setUp(self):
        self.post_raw("/_control/reset", b"{}")

    def post_raw(self, path, body, method="POST"):
        connection = http.client.HTTPConnection("localhost", self.instance.ports["http"], timeout=10)
        try:
            connection.request(method, path, body, {"Content-Type": "application/soap+xml; charset=utf-8"})
            response = connection.getresponse()
            return response.status, response.read()
        finally:
            connection.close()

    def call(self, operation, inner):
        """The result's children as (local name, text) pairs, and the status."""
        status, body = self.post_raw(PATH, request_xml(operation, inner))
        root = ElementTree.fromstring(body)
        element = root.find("{%s}Body" % SOAP12_NS)[0]
        result = element.find("{%s}%sResult" % (SERVICE_NS, operation))
        if result is None:
            return status, element
        return status, [(child.tag.split("}")[1], child.text) for child in result]

    def code(self, operation, inner):
        status, children = self.call(operation, inner)
        self.assertEqual(200, status)
        return dict(children)["ErrorCode"]

    def create(self, schedule=None, text="Hello"):
        status, children = self.call("CreateSMSTextBulkJob", credentials() + job_details(text, schedule))
        self.assertEqual("OK", dict(children)["ErrorCode"])
        return dict(children)["BulkJobId"]

    def job_operation(self, operation, job_id, extra=""):
        return self.code(operation, credentials() + "<ns1:BulkJobId>%s</ns1:BulkJobId>%s" % (job_id, extra))

    def status_of(self, job_id):
        status, children = self.call("GetBulkJobStatus", credentials() + "<ns1:BulkJobId>%s</ns1:BulkJobId>" % job_id)
        return dict(children)

    def test_a_job_goes_from_creation_through_batches_to_completed(self):
        job_id = self.create()
        self.assertEqual("Initialising", self.status_of(job_id)["StatusId"])
        self.assertEqual("OK", self.job_operation("AppendRecipients", job_id,
                                                  "<ns1:RecipientList>+447700900001,447700900002</ns1:RecipientList>"))
        self.assertEqual("INVALID_NUMBER", self.job_operation(
            "AppendRecipients", job_id, "<ns1:RecipientList>447700900003,12</ns1:RecipientList>"))
        self.assertEqual("OK", self.job_operation("SetBulkJobReady", job_id))
        details = self.status_of(job_id)
        self.assertEqual(("Completed", "3", "3", "OK"),
                         (details["StatusId"], details["TotalRecipients"], details["MsgSent"], details["ErrorCode"]))
        self.assertEqual(7, self.gateway.snapshot()["accounts"][0]["balance"])
        job = self.gateway.snapshot()["jobs"][0]
        self.assertEqual((["12"], "Me", ["None", "MessageSent"]),
                         (job["invalid"], job["from"], job["report_settings"]["status_flags"]))

    def test_a_scheduled_job_waits_and_can_be_paused_restarted_and_aborted_with_credit_back(self):
        later = time.strftime("%Y-%m-%dT%H:%M:%S+00:00", time.gmtime(time.time() + 86400))
        job_id = self.create(later)
        self.job_operation("AppendRecipients", job_id, "<ns1:RecipientList>447700900001</ns1:RecipientList>")
        self.assertEqual("OK", self.job_operation("SetBulkJobReady", job_id))
        self.assertEqual("Pending", self.status_of(job_id)["StatusId"])
        self.assertEqual("INVALID_REQUEST", self.job_operation("RestartBulkJob", job_id))
        self.assertEqual("OK", self.job_operation("PauseBulkJob", job_id))
        self.assertEqual("OK", self.job_operation("RestartBulkJob", job_id))
        self.assertEqual("OK", self.job_operation("AbortBulkJob", job_id))
        self.assertEqual("Aborted", self.status_of(job_id)["StatusId"])
        self.assertEqual("INVALID_REQUEST", self.job_operation("AbortBulkJob", job_id))
        self.assertEqual(10, self.gateway.snapshot()["accounts"][0]["balance"])
        self.assertEqual(self.status_of(job_id)["ScheduledDate"], later.replace("+00:00", "Z"))

    def test_refusals_come_back_as_error_codes(self):
        self.assertEqual("LOGIN_INVALID", self.code("CreateSMSTextBulkJob", credentials("AK", "wrong") + job_details()))
        self.assertEqual("AUTH_PARAMETER_MISSING", self.code("CreateSMSTextBulkJob", job_details()))
        self.assertEqual("NO_TEXT", self.code("CreateSMSTextBulkJob", credentials() + job_details(text="")))
        self.assertEqual("MSGID_INVALID", self.job_operation("SetBulkJobReady", "999"))
        self.assertEqual("NO_MSGID", self.code("AbortBulkJob", credentials()))
        job_id = self.create()
        self.assertEqual("NO_TO", self.job_operation("AppendRecipients", job_id, "<ns1:RecipientList></ns1:RecipientList>"))
        self.gateway.set_balance("user", 0)
        self.job_operation("AppendRecipients", job_id, "<ns1:RecipientList>447700900001</ns1:RecipientList>")
        self.assertEqual("INSUFFICIENT_CREDIT", self.job_operation("SetBulkJobReady", job_id))

    def test_messages_of_no_soap_1_2_service_request_get_faults(self):
        for body, code in ((b"not xml", "Sender"),
                           (b'<e:Envelope xmlns:e="http://schemas.xmlsoap.org/soap/envelope/"><e:Body/></e:Envelope>',
                            "VersionMismatch"),
                           (request_xml("NoSuchOperation", ""), "Sender")):
            status, reply = self.post_raw(PATH, body)
            self.assertEqual(500, status)
            value = ElementTree.fromstring(reply).find(".//{%s}Code/{%s}Value" % (SOAP12_NS, SOAP12_NS))
            self.assertEqual("soap:" + code, value.text)

    def test_scripted_answers_in_the_service_form(self):
        control = json.dumps({"page": "bulkjob.asmx/GetBulkJobStatus", "replies": [
            {"error": "NO_TO"},
            {"result": [["Unknown", "x"], ["ErrorCode", "OK"], ["StatusId", None]]},
            {"fault": {"code": "Receiver", "reason": "Server was unable to process request."}}]}).encode()
        self.assertEqual(200, self.post_raw("/_control/script", control)[0])
        inner = credentials() + "<ns1:BulkJobId>1</ns1:BulkJobId>"
        self.assertEqual([("ErrorCode", "NO_TO")], self.call("GetBulkJobStatus", inner)[1])
        self.assertEqual([("Unknown", "x"), ("ErrorCode", "OK"), ("StatusId", None)],
                         self.call("GetBulkJobStatus", inner)[1])
        status, element = self.call("GetBulkJobStatus", inner)
        self.assertEqual((500, "{%s}Fault" % SOAP12_NS), (status, element.tag))
        # Other operations were not scripted.
        self.assertEqual("MSGID_INVALID", self.job_operation("AbortBulkJob", "1"))

    def test_a_control_request_puts_a_job_into_any_status(self):
        job_id = self.create()
        self.post_raw("/_control/job", json.dumps({"job_id": job_id, "status": "Processing"}).encode())
        self.assertEqual("Processing", self.status_of(job_id)["StatusId"])

    def test_the_service_description_is_served(self):
        status, body = self.post_raw(PATH, None, method="GET")
        self.assertEqual(200, status)
        self.assertIn(b'<wsdl:service name="ZentavoBulkJob">', body)


if __name__ == "__main__":
    unittest.main()
