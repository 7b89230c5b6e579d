"""The gateway's bulk-job web service at "api/webservices/bulkjob.asmx":
SOAP 1.2, document/literal, the seven operations of bulkjob.wsdl. A job is
created (Initialising), filled with recipients in batches, set ready (the
account is charged; Pending when scheduled later, else Completed), and can be
paused, restarted, aborted (credits back) and queried.

Refusals come back as the operation's result with an ErrorCode, as the real
service does; a request that is no SOAP 1.2 message of this service is
answered with a SOAP 1.2 fault (HTTP 500). A GET with "?wsdl" returns the
service description.

Scripted replies for "bulkjob.asmx/<Operation>" (or "bulkjob.asmx" for any
operation) may also be:
  {"error": "NAME"}                     the operation's result holding only
                                        that ErrorCode; nothing changes
  {"result": [["Element", "text"], ...]}  the operation's result with exactly
                                        these children, in this order ("text"
                                        may be null for an empty element)
  {"fault": {"code": "Receiver", "reason": "text", "subcode": "x"}}
                                        a SOAP 1.2 fault, HTTP 500
"""

import datetime
import os
import xml.etree.ElementTree as ElementTree
from xml.sax.saxutils import escape

from .exchange import Reply
from .gateway import GatewayError
from .gsm import message_parts
from .https_interface import is_valid_number

PAGE = "api/webservices/bulkjob.asmx"
SCRIPT_PAGE = "bulkjob.asmx"
SERVICE_NS = "http://www.zentavosms.com/api/webservices/"
SOAP12_NS = "http://www.w3.org/2003/05/soap-envelope"
SOAP11_NS = "http://schemas.xmlsoap.org/soap/envelope/"
XSI_NS = "http://www.w3.org/2001/XMLSchema-instance"
WSDL_PATH = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "bulkjob.wsdl")

OPERATIONS = ("CreateSMSTextBulkJob", "AppendRecipients", "SetBulkJobReady", "PauseBulkJob",
              "RestartBulkJob", "AbortBulkJob", "GetBulkJobStatus")
STATUSES = ("Unknown", "Initialising", "Pending", "Processing", "Completed", "Aborted", "Paused")
CHANGEABLE = ("Initialising", "Pending", "Paused")
STATUS_FLAGS = ("None", "MessageSent", "DeliverySuccess", "DeliveryFailure", "MessageExpired", "All")
ROUTING_TYPES = ("Unknown", "Default", "MsgSource", "Binding")
INTERFACES = ("None", "HTTP", "SMTP", "WebService", "ZentavoSMSOutlookAddin")
OA_TYPES = ("Unspecified", "UserDefined", "DynamicRouting")


class SoapFault(Exception):
    def __init__(self, code, reason):
        super().__init__(reason)
        self.code = code
        self.reason = reason


def _q(name):
    return "{%s}%s" % (SERVICE_NS, name)


def _children(element):
    """Child elements of the service namespace by local name; the first of
    a name counts, in any order."""
    found = {}
    for child in list(element) if element is not None else []:
        if child.tag.startswith("{%s}" % SERVICE_NS):
            found.setdefault(child.tag[len(SERVICE_NS) + 2:], child)
    return found


def _text(element):
    return None if element is None else (element.text or "")


def _xsi_type(element):
    value = element.get("{%s}type" % XSI_NS, "")
    return value.split(":")[-1]


def parse_datetime(text):
    """xsd:dateTime to an aware datetime; a text without a zone is UTC."""
    value = text.strip()
    if value.endswith("Z"):
        value = value[:-1] + "+00:00"
    if "." in value:
        head, _, rest = value.partition(".")
        digits = len(rest) - len(rest.lstrip("0123456789"))
        value = head + rest[digits:]
    parsed = datetime.datetime.fromisoformat(value)
    if parsed.tzinfo is None:
        parsed = parsed.replace(tzinfo=datetime.timezone.utc)
    return parsed


def format_datetime(seconds):
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def envelope(body_xml):
    return ('<?xml version="1.0" encoding="utf-8"?>'
            '<soap:Envelope xmlns:soap="%s" xmlns:xsi="%s" xmlns:xsd="http://www.w3.org/2001/XMLSchema">'
            '<soap:Body>%s</soap:Body></soap:Envelope>' % (SOAP12_NS, XSI_NS, body_xml))


def soap_reply(body_xml, status=200):
    return Reply(envelope(body_xml), status, "application/soap+xml; charset=utf-8")


def fault_reply(code, reason, subcode=None):
    sub = ""
    if subcode:
        sub = "<soap:Subcode><soap:Value>%s</soap:Value></soap:Subcode>" % escape(subcode)
    body = ('<soap:Fault><soap:Code><soap:Value>soap:%s</soap:Value>%s</soap:Code>'
            '<soap:Reason><soap:Text xml:lang="en">%s</soap:Text></soap:Reason></soap:Fault>'
            % (escape(code), sub, escape(reason)))
    return soap_reply(body, 500)


def result_reply(operation, children):
    """The operation's response holding a result with these (name, text)
    children in order; text None writes an empty element."""
    inner = "".join("<%s />" % name if text is None else "<%s>%s</%s>" % (name, escape(str(text)), name)
                    for name, text in children)
    return soap_reply('<%sResponse xmlns="%s"><%sResult>%s</%sResult></%sResponse>'
                      % (operation, SERVICE_NS, operation, inner, operation, operation))


class BulkJobService:
    """Routes SOAP requests to "api/webservices/bulkjob.asmx"."""

    def __init__(self, gateway):
        self.gateway = gateway

    # -- the service interface of the simulator ----------------------------

    def matches(self, request):
        return request.page.lower() == PAGE

    def script_keys(self, request):
        operation = self.operation_of(request)
        keys = [SCRIPT_PAGE + "/" + operation] if operation else []
        return keys + [SCRIPT_PAGE, PAGE]

    def scripted_reply(self, request, description):
        """The reply for a scripted answer that only this service can make,
        or None to leave it to the simulator."""
        operation = self.operation_of(request) or "Unknown"
        if "error" in description:
            return result_reply(operation, [("ErrorCode", description["error"])])
        if "result" in description:
            return result_reply(operation, [(name, text) for name, text in description["result"]])
        if "fault" in description:
            fault = description["fault"]
            return fault_reply(fault.get("code", "Receiver"), fault.get("reason", ""), fault.get("subcode"))
        return None

    def handle(self, request):
        if request.method == "GET":
            if request.query.lower() == "wsdl":
                with open(WSDL_PATH, encoding="utf-8") as file:
                    return Reply(file.read(), 200, "text/xml; charset=utf-8")
            return Reply.text("Not Found", 404)
        try:
            operation, payload = self.parse(request)
            return result_reply(operation, self.perform(request, operation, payload))
        except SoapFault as fault:
            return fault_reply(fault.code, fault.reason)

    # -- requests --------------------------------------------------------

    def operation_of(self, request):
        try:
            return self.parse(request)[0]
        except SoapFault:
            return None

    def parse(self, request):
        """The operation's name and its input element."""
        try:
            root = ElementTree.fromstring(request.body)
        except ElementTree.ParseError as error:
            raise SoapFault("Sender", "The request is not well-formed XML: %s" % error)
        if root.tag == "{%s}Envelope" % SOAP11_NS:
            raise SoapFault("VersionMismatch", "This service speaks SOAP 1.2")
        if root.tag != "{%s}Envelope" % SOAP12_NS:
            raise SoapFault("Sender", "The request is no SOAP envelope")
        body = root.find("{%s}Body" % SOAP12_NS)
        header = root.find("{%s}Header" % SOAP12_NS)
        if header is not None:
            for block in header:
                if block.get("{%s}mustUnderstand" % SOAP12_NS) in ("true", "1"):
                    raise SoapFault("MustUnderstand", "Header block not understood: " + block.tag)
        if body is None or len(body) == 0:
            raise SoapFault("Sender", "The request's body is empty")
        element = body[0]
        for operation in OPERATIONS:
            if element.tag == _q(operation):
                return operation, _children(element).get(operation + "Input")
        raise SoapFault("Sender", "Unknown operation: " + element.tag)

    def perform(self, request, operation, payload):
        """The result's children for one operation; refusals as ErrorCode."""
        fields = _children(payload)
        try:
            self.gateway.check_client(request.secure, None)
            account = self.authenticate(fields.get("AuthenticationCredentials"))
            if operation == "CreateSMSTextBulkJob":
                job_id = self.create(account, fields.get("BulkJobDetails"), request)
                return [("BulkJobId", job_id), ("ErrorCode", "OK")]
            job_id = _text(fields.get("BulkJobId"))
            if not job_id:
                raise GatewayError("NO_MSGID")
            if operation == "AppendRecipients":
                numbers = numbers_of(_text(fields.get("RecipientList")) or "")
                valid = [n for n in numbers if is_valid_number(n)]
                invalid = [n for n in numbers if not is_valid_number(n)]
                self.gateway.bulkjob_append(account, job_id, valid, invalid)
                # The reachable numbers are taken; the batch still reports the others.
                return [("ErrorCode", "INVALID_NUMBER" if invalid else "OK")]
            if operation == "GetBulkJobStatus":
                job = self.gateway.bulkjob_find(account, job_id)
                return [("StatusId", job["status"]),
                        ("ScheduledDate", format_datetime(job.get("scheduled_time") or job["time"])),
                        ("TotalRecipients", len(job["numbers"])),
                        ("MsgProcessed", job.get("processed", 0)),
                        ("MsgSent", job.get("sent", 0)),
                        ("ErrorCode", "OK")]
            self.gateway.bulkjob_change(account, job_id, operation)
            return [("ErrorCode", "OK")]
        except GatewayError as error:
            return [("ErrorCode", error.name)]

    def authenticate(self, credentials):
        if credentials is None:
            raise GatewayError("AUTH_PARAMETER_MISSING")
        if _xsi_type(credentials) != "AuthenticationCredentialsAccessKeyAndSecretKey":
            raise GatewayError("AUTH_PARAMETER_INVALID")
        fields = _children(credentials)
        if _text(fields.get("SubmittedInterface")) not in INTERFACES:
            raise GatewayError("PARAMETER_INVALID")
        return self.gateway.authenticate_factor(_text(fields.get("AccessKey")), _text(fields.get("SecretKey")))

    def create(self, account, details, request):
        if details is None:
            raise GatewayError("PARAMETER_MISSING")
        fields = _children(details)
        if _text(fields.get("MessageType")) != "Text":
            raise GatewayError("PARAMETER_INVALID")
        message = fields.get("Message")
        if message is None or _xsi_type(message) != "TextMessage":
            raise GatewayError("NO_TEXT")
        text = _text(_children(message).get("MessageBody"))
        if not text:
            raise GatewayError("NO_TEXT")
        oa_type = _text(fields.get("OAType")) or "Unspecified"
        sender = _text(fields.get("From"))
        if oa_type not in OA_TYPES:
            raise GatewayError("PARAMETER_INVALID")
        if oa_type == "UserDefined" and not sender:
            raise GatewayError("PARAMETER_MISSING")
        try:
            max_concat = int(_text(fields.get("MaxConCatMsgs")) or "0")
        except ValueError:
            raise GatewayError("PARAMETER_INVALID")
        scheduled_text = _text(fields.get("ScheduledDate"))
        scheduled_time = None
        if scheduled_text is not None:
            try:
                scheduled_time = parse_datetime(scheduled_text).timestamp()
            except ValueError:
                raise GatewayError("PARAMETER_INVALID")
        record = {
            "name": _text(fields.get("BulkJobName")),
            "text": text,
            "parts": message_parts(text),
            "max_concat": max_concat,
            "charge_parts": min(message_parts(text), max_concat) if max_concat > 0 else message_parts(text),
            "oa_type": oa_type,
            "from": sender,
            "scheduled_date": scheduled_text,
            "scheduled_time": scheduled_time,
            "report_settings": self.report_settings(fields.get("ReportSettings")),
            "reply_to": self.end_point(fields.get("ReplyTo")),
            "message_source": self.end_point(fields.get("MessageSource")),
            "client_details": {name: _text(element) for name, element in
                               _children(fields.get("ClientDetails")).items()},
            "instance": request.instance,
            "scheme": request.scheme,
        }
        return self.gateway.bulkjob_create(account, record)

    @staticmethod
    def report_settings(element):
        if element is None:
            return None
        fields = _children(element)
        flags = (_text(fields.get("StatusFlags")) or "").split()
        routing = _text(fields.get("RoutingType"))
        if any(flag not in STATUS_FLAGS for flag in flags) or routing not in ROUTING_TYPES:
            raise GatewayError("PARAMETER_INVALID")
        return {"status_flags": flags, "routing_type": routing}

    @staticmethod
    def end_point(element):
        if element is None:
            return None
        fields = _children(element)
        interface = _text(fields.get("Interface"))
        if interface not in INTERFACES:
            raise GatewayError("PARAMETER_INVALID")
        return {"interface": interface, "id": _text(fields.get("Id")), "name": _text(fields.get("Name"))}


def numbers_of(recipient_list):
    return [n.strip() for n in recipient_list.split(",") if n.strip()]
