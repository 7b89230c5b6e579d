"""The gateway's HTTPS form interface: four pages under "api/https/",
answered by short text replies."""

import datetime
import re
import sys
import traceback

from .exchange import Reply
from .gateway import GatewayError
from .gsm import message_parts

PREFIX = "api/https/"
SEND_PAGE = PREFIX + "sendmsg.aspx"
BALANCE_PAGE = PREFIX + "getbalance.aspx"
CREATE_FACTOR_PAGE = PREFIX + "createauthfactor.aspx"
DELETE_FACTOR_PAGE = PREFIX + "deleteauthfactor.aspx"

STATUS_FLAG_NAMES = {"None", "MessageSent", "DeliverySuccess", "DeliveryFailure", "MessageExpired"}
ROUTING_TYPE_NAMES = {"Unknown", "Default", "MsgSource"}

_NUMBER = re.compile(r"^\+?[0-9]{7,15}$")
_START_AT = re.compile(r"^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}[+-]\d{2}:\d{2}$")
# Replies separate lines by a bare "\n": the client keeps a "\r" as part of a value.
LINE_END = "\n"


def _integer(fields, name, default=None):
    value = fields.get(name)
    if value is None:
        return default
    try:
        return int(value)
    except ValueError:
        raise GatewayError("PARAMETER_INVALID")


def is_valid_number(number):
    return bool(_NUMBER.match(re.sub(r"[ ()-]", "", number)))


def _check_start_at(text):
    if not _START_AT.match(text):
        raise GatewayError("PARAMETER_INVALID")
    try:
        datetime.datetime.fromisoformat(text)
    except ValueError:
        raise GatewayError("PARAMETER_INVALID")


def _charged_parts(fields, message_type):
    """Parts charged per recipient, cut to the requested maximum."""
    if message_type == 2:
        parts = 1 if len(fields["hex"]) // 4 <= 70 else -(-(len(fields["hex"]) // 4) // 67)
    elif message_type == 3:
        size = (len(fields.get("udh", "")) + len(fields["ud"])) // 2
        parts = 1 if size <= 140 else -(-size // 134)
    elif message_type == 4:
        parts = 1
    else:
        parts = message_parts(fields["text"])
    maximum = _integer(fields, "maxconcat", 1)
    return min(parts, maximum) if maximum > 0 else parts


class HttpsInterfaceService:
    """Routes "api/https/<page>" requests to the gateway state."""

    def __init__(self, gateway):
        self.gateway = gateway
        self._pages = {
            SEND_PAGE: self._send_message,
            BALANCE_PAGE: self._get_balance,
            CREATE_FACTOR_PAGE: self._create_auth_factor,
            DELETE_FACTOR_PAGE: self._delete_auth_factor,
        }

    def matches(self, request):
        return request.page.startswith(PREFIX)

    def script_keys(self, request):
        return [request.page, request.page[len(PREFIX):]]

    def handle(self, request):
        page = self._pages.get(request.page)
        if page is None:
            return Reply.text("Not Found", 404)
        fields = request.form()
        try:
            self.gateway.check_client(request.secure, fields.get("clientver"))
            return Reply.text(page(fields, request))
        except GatewayError as error:
            return Reply.text("ERR:" + error.name)
        except Exception:
            traceback.print_exc(file=sys.stderr)
            return Reply.text("ERR:INTERNAL_ERROR")

    # -- pages ----------------------------------------------------------------

    def _get_balance(self, fields, request):
        _integer(fields, "interface")
        account = self.gateway.authenticate_factor(fields.get("accesskey"), fields.get("secretkey"))
        return "BALANCE:%d" % account.balance

    def _create_auth_factor(self, fields, request):
        _integer(fields, "interface")
        interface = _integer(fields, "af_intf", 0)
        auth_mode = _integer(fields, "af_authmode", 5)
        factor = self.gateway.create_factor(
            fields.get("username"), fields.get("password"), fields.get("af_name"),
            interface, auth_mode, fields.get("mfasupported") == "1")
        return "PUBLICFIELD:" + factor.access_key + LINE_END + "SECRETFIELD:" + factor.secret_key

    def _delete_auth_factor(self, fields, request):
        _integer(fields, "interface")
        if not fields.get("accesskey") or not fields.get("secretkey"):
            raise GatewayError("AUTH_PARAMETER_MISSING")
        if _integer(fields, "authmode") != 5:
            raise GatewayError("AUTH_PARAMETER_INVALID")
        self.gateway.delete_factor(fields["accesskey"], fields["secretkey"])
        return "OK"

    def _send_message(self, fields, request):
        _integer(fields, "interface")
        account = self.gateway.authenticate_factor(fields.get("accesskey"), fields.get("secretkey"))
        numbers = [n for n in fields.get("to", "").split(",") if n]
        if not numbers:
            raise GatewayError("NO_TO")
        message_type = _integer(fields, "type", 1)
        body_field = {1: "text", 2: "hex", 3: "ud", 4: "text"}.get(message_type)
        if body_field is None:
            raise GatewayError("PARAMETER_INVALID")
        if not fields.get(body_field):
            raise GatewayError("NO_TEXT")
        if _integer(fields, "fromtype", 0) not in (0, 1, 2):
            raise GatewayError("PARAMETER_INVALID")
        if "startat" in fields:
            _check_start_at(fields["startat"])
        if "delrpt_reqstatus" in fields and \
                not set(fields["delrpt_reqstatus"].split("|")) <= STATUS_FLAG_NAMES:
            raise GatewayError("PARAMETER_INVALID")
        if "delrpt_routingtype" in fields and fields["delrpt_routingtype"] not in ROUTING_TYPE_NAMES:
            raise GatewayError("PARAMETER_INVALID")
        settings = self.gateway.settings
        if len(numbers) > settings["max_numbers"]:
            raise GatewayError("TOO_MANY_NUMBERS")
        valid = {n for n in numbers if is_valid_number(n)}
        cost = _charged_parts(fields, message_type) * sum(1 for n in numbers if n in valid)
        as_job = "startat" in fields or len(numbers) > settings["job_threshold"]
        details = {k: v for k, v in fields.items() if k not in ("accesskey", "secretkey")}
        details.update(instance=request.instance, scheme=request.scheme, type=message_type)
        outcome = self.gateway.send(account, numbers, valid, cost, details, as_job)
        if as_job:
            return "JOBID:" + outcome
        if len(outcome) == 1:
            number, message_id = outcome[0]
            return "ID:" + message_id if message_id else "ERR:INVALID_NUMBER"
        return LINE_END.join(
            number + ("," + "ID:" + message_id if message_id else ",ERR:INVALID_NUMBER")
            for number, message_id in outcome)
