import random
import unittest

from gwsim.exchange import Request
from gwsim.gateway import ERROR_NAMES, GatewayState
from gwsim.gsm import message_parts
from gwsim.https_interface import HttpsInterfaceService

SEED = {
    "accounts": [
        {"username": "TestUser", "password": "pw", "balance": 10,
         "factors": [{"name": "seed", "access_key": "AK1", "secret_key": "SK1"}]},
        {"username": "mfa", "password": "pw", "balance": 5, "mfa_required": True},
    ],
}
KEYS = "accesskey=AK1&secretkey=SK1"


class GatewayPagesTest(unittest.TestCase):
    def setUp(self):
        self.gateway = GatewayState(SEED)
        self.service = HttpsInterfaceService(self.gateway)

    def post(self, page, body, scheme="https"):
        if isinstance(body, str):
            body = body.encode("latin-1")
        request = Request("primary", scheme, "POST", "/api/https/" + page, [], body)
        return self.service.handle(request).body.decode("utf-8")

    def balance(self):
        return self.post("getbalance.aspx", KEYS)

    def test_login_creates_a_factor_that_works_until_deleted(self):
        reply = self.post("createauthfactor.aspx",
                          "interface=536870913&username=testuser&password=pw&af_intf=536870913"
                          "&af_authmode=5&af_name=ZentavoSMS+Outlook+Addin+%28PC%29&mfasupported=0")
        public, secret = reply.split("\n")
        self.assertTrue(public.startswith("PUBLICFIELD:") and secret.startswith("SECRETFIELD:"))
        keys = "accesskey=%s&secretkey=%s" % (public[12:], secret[12:])
        self.assertEqual(self.post("getbalance.aspx", keys), "BALANCE:10")
        factor = [f for f in self.gateway.snapshot()["factors"] if f["access_key"] == public[12:]][0]
        self.assertEqual((factor["name"], factor["interface"]), ("ZentavoSMS Outlook Addin (PC)", 536870913))
        self.assertEqual(self.post("deleteauthfactor.aspx", "authmode=5&" + keys), "OK")
        self.assertEqual(self.post("getbalance.aspx", keys), "ERR:LOGIN_INVALID")
        self.assertEqual(self.post("deleteauthfactor.aspx", "authmode=5&" + keys), "ERR:LOGIN_INVALID")

    def test_non_ascii_keys_and_passwords_are_wrong_ones(self):
        for keys in ("accesskey=AK1&secretkey=SK1%E9", "accesskey=AK1&secretkey=SK\xe91",
                     "accesskey=AK1&secretkey=%C3%A9%F0%9F%98%80", "accesskey=AK1&secretkey=SK1%FF%FE"):
            self.assertEqual(self.post("getbalance.aspx", keys), "ERR:LOGIN_INVALID", keys)
            self.assertEqual(self.post("sendmsg.aspx", keys + "&to=447700900001&text=Hi"),
                             "ERR:LOGIN_INVALID", keys)
        self.assertEqual(self.post("createauthfactor.aspx", "username=testuser&password=p%E9w&af_name=n"),
                         "ERR:LOGIN_INVALID")

    def test_login_refusals(self):
        login = "createauthfactor.aspx"
        self.assertEqual(self.post(login, "username=&password=pw&af_name=n"), "ERR:NO_USERNAME")
        self.assertEqual(self.post(login, "username=testuser&password=&af_name=n"), "ERR:NO_PASSWORD")
        self.assertEqual(self.post(login, "username=testuser&password=PW&af_name=n"), "ERR:LOGIN_INVALID")
        self.assertEqual(self.post(login, "username=nobody&password=pw&af_name=n"), "ERR:LOGIN_INVALID")
        self.assertEqual(self.post(login, "username=testuser&password=pw"), "ERR:PARAMETER_MISSING")
        self.assertEqual(self.post(login, "username=testuser&password=pw&af_name=seed"), "ERR:DUPLICATE_NAME")
        self.assertEqual(self.post(login, "username=testuser&password=pw&af_name=n&af_authmode=x"),
                         "ERR:PARAMETER_INVALID")
        self.assertEqual(self.post(login, "username=mfa&password=pw&af_name=n&mfasupported=0"),
                         "ERR:MFA_REQUIRED")
        self.assertTrue(self.post(login, "username=mfa&password=pw&af_name=n&mfasupported=1")
                        .startswith("PUBLICFIELD:"))

    def test_key_pair_checks(self):
        self.assertEqual(self.post("getbalance.aspx", "accesskey=AK1"), "ERR:AUTH_PARAMETER_MISSING")
        self.assertEqual(self.post("getbalance.aspx", "accesskey=AK1&secretkey=SK2"), "ERR:LOGIN_INVALID")
        self.assertEqual(self.post("deleteauthfactor.aspx", "authmode=4&" + KEYS), "ERR:AUTH_PARAMETER_INVALID")
        self.assertEqual(self.post("getbalance.aspx", "interface=abc&" + KEYS), "ERR:PARAMETER_INVALID")

    def test_single_recipient_send_answers_a_bare_id_and_charges_parts(self):
        reply = self.post("sendmsg.aspx", KEYS + "&to=447700900001&from=Me&text=" + "a" * 161 + "&maxconcat=3")
        self.assertRegex(reply, r"^ID:\d+$")
        self.assertEqual(self.balance(), "BALANCE:8")
        message = self.gateway.snapshot()["messages"][0]
        self.assertEqual((message["number"], message["from"], message["cost"]), ("447700900001", "Me", 2))
        self.assertNotIn("secretkey", message)

    def test_parts_are_cut_to_the_maximum(self):
        self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=" + "a" * 500)
        self.assertEqual(self.balance(), "BALANCE:9")
        self.post("sendmsg.aspx", KEYS + "&to=447700900001&maxconcat=0&text=" + "a" * 500)
        self.assertEqual(self.balance(), "BALANCE:5")

    def test_several_recipients_answer_one_line_each_in_order(self):
        reply = self.post("sendmsg.aspx", KEYS + "&to=447700900001,12ab,%2B447700900002&text=Hi")
        lines = reply.split("\n")
        self.assertEqual(len(lines), 3)
        self.assertRegex(lines[0], r"^447700900001,ID:\d+$")
        self.assertEqual(lines[1], "12ab,ERR:INVALID_NUMBER")
        self.assertRegex(lines[2], r"^\+447700900002,ID:\d+$")
        self.assertNotEqual(lines[0].split(":")[1], lines[2].split(":")[1])
        self.assertEqual(self.balance(), "BALANCE:8")

    def test_single_invalid_number(self):
        self.assertEqual(self.post("sendmsg.aspx", KEYS + "&to=12&text=Hi"), "ERR:INVALID_NUMBER")
        self.assertEqual(self.balance(), "BALANCE:10")

    def test_scheduled_and_large_sends_become_jobs(self):
        reply = self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=Hi&startat=2026-12-08T09%3a30%3a00%2b01%3a00")
        self.assertRegex(reply, r"^JOBID:\d+$")
        self.gateway.apply_settings({"job_threshold": 2})
        numbers = ",".join("4477009000%02d" % i for i in range(3))
        self.assertRegex(self.post("sendmsg.aspx", KEYS + "&to=" + numbers + "&text=Hi"), r"^JOBID:\d+$")
        jobs = self.gateway.snapshot()["jobs"]
        self.assertEqual([len(j["numbers"]) for j in jobs], [1, 3])
        self.assertEqual(self.balance(), "BALANCE:6")

    def test_send_refusals(self):
        send = "sendmsg.aspx"
        self.assertEqual(self.post(send, KEYS + "&to=&text=Hi"), "ERR:NO_TO")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text="), "ERR:NO_TEXT")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text=Hi&fromtype=7"), "ERR:PARAMETER_INVALID")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text=Hi&startat=tomorrow"), "ERR:PARAMETER_INVALID")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text=Hi&delrpt_reqstatus=Sent"),
                         "ERR:PARAMETER_INVALID")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text=Hi&delrpt_routingtype=Any"),
                         "ERR:PARAMETER_INVALID")
        self.assertEqual(self.post(send, KEYS + "&to=447700900001&text=" + "a" * 2000 + "&maxconcat=11"),
                         "ERR:INSUFFICIENT_CREDIT")
        self.gateway.apply_settings({"max_numbers": 1})
        self.assertEqual(self.post(send, KEYS + "&to=447700900001,447700900002&text=Hi"), "ERR:TOO_MANY_NUMBERS")
        self.assertEqual(self.balance(), "BALANCE:10")

    def test_allowances(self):
        self.gateway.put_account({"username": "TestUser", "password": "pw", "balance": 10,
                                  "daily_allowance": 1, "monthly_allowance": 5})
        self.gateway.put_factor({"username": "testuser", "access_key": "AK1", "secret_key": "SK1"})
        self.assertRegex(self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=Hi"), r"^ID:")
        self.assertEqual(self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=Hi"),
                         "ERR:DAILY_ALLOWANCE_EXCEEDED")
        self.gateway.put_account({"username": "TestUser", "password": "pw", "balance": 10,
                                  "monthly_allowance": 0})
        self.gateway.put_factor({"username": "testuser", "access_key": "AK1", "secret_key": "SK1"})
        self.assertEqual(self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=Hi"),
                         "ERR:MONTHLY_ALLOWANCE_EXCEEDED")

    def test_checks_before_every_page(self):
        self.gateway.apply_settings({"require_https": True, "min_client_version": "5.0.2"})
        self.assertEqual(self.post("getbalance.aspx", KEYS, scheme="http"), "ERR:CONNECTION_NOT_SECURE")
        self.assertEqual(self.post("getbalance.aspx", KEYS + "&clientid=ZentavoSMS&clientver=5.0.1"),
                         "ERR:UPGRADE_CLIENTAPP")
        self.assertEqual(self.post("getbalance.aspx", KEYS + "&clientid=ZentavoSMS&clientver=5.0.10"),
                         "BALANCE:10")
        # The backup server gets no client details, so no version check.
        self.assertEqual(self.post("getbalance.aspx", KEYS), "BALANCE:10")

    def test_utf8_form_values(self):
        self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=caf%c3%a9+%e2%82%ac")
        self.assertEqual(self.gateway.snapshot()["messages"][0]["text"], "caf\u00e9 \u20ac")

    def test_unknown_page_is_not_found(self):
        request = Request("primary", "https", "POST", "/api/https/createsubacc.aspx", [], b"")
        self.assertEqual(self.service.handle(request).status, 404)

    def test_reset_returns_to_the_seed(self):
        self.post("sendmsg.aspx", KEYS + "&to=447700900001&text=Hi")
        self.gateway.reset()
        self.assertEqual(self.balance(), "BALANCE:10")
        self.assertEqual(self.gateway.snapshot()["messages"], [])

    def test_random_forms_never_break_the_pages(self):
        generator = random.Random(1234)
        alphabet = b"=&%+,:abcxyz019\x00\xff accesskey secretkey to text AK1 SK1"
        for _ in range(2000):
            body = bytes(generator.choice(alphabet) for _ in range(generator.randint(0, 80)))
            page = generator.choice(["sendmsg.aspx", "getbalance.aspx", "createauthfactor.aspx",
                                     "deleteauthfactor.aspx"])
            reply = self.post(page, body)
            self.assertTrue(reply.startswith(("ERR:", "ID:", "BALANCE:", "PUBLICFIELD:", "OK", "JOBID:"))
                            or "," in reply, reply)
            self.assertNotEqual(reply, "ERR:INTERNAL_ERROR", body)


class GsmPartsTest(unittest.TestCase):
    def test_part_lengths(self):
        self.assertEqual(message_parts(""), 1)
        self.assertEqual(message_parts("a" * 160), 1)
        self.assertEqual(message_parts("a" * 161), 2)
        self.assertEqual(message_parts("a" * 306), 2)
        self.assertEqual(message_parts("a" * 307), 3)
        self.assertEqual(message_parts("{" * 80), 1)
        self.assertEqual(message_parts("{" * 81), 2)
        self.assertEqual(message_parts("\u0416" * 70), 1)
        self.assertEqual(message_parts("\u0416" * 71), 2)


class ErrorNamesTest(unittest.TestCase):
    def test_every_gateway_error_name_is_known(self):
        self.assertEqual(len(ERROR_NAMES), 24)
        self.assertEqual(len(set(ERROR_NAMES)), 24)


if __name__ == "__main__":
    unittest.main()
