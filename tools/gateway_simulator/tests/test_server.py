import http.client
import json
import os
import random
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

from gwsim.gateway import GatewayState
from gwsim.server import Instance, make_server_tls_context
from gwsim.tls import CA_CERT, SERVER_CERT, SERVER_KEY, ensure_test_ca

HERE = os.path.dirname(os.path.abspath(__file__))
LAUNCHER = os.path.join(os.path.dirname(HERE), "launcher.py")
SEED = {"accounts": [{"username": "user", "password": "pw", "balance": 3,
                      "factors": [{"name": "seed", "access_key": "AK", "secret_key": "SK"}]}]}
KEYS = b"accesskey=AK&secretkey=SK"


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="gwsim-test-")
        cls.tls = ensure_test_ca(os.path.join(cls.folder, "tls"))
        cls.client_tls = ssl.create_default_context(cafile=cls.tls[CA_CERT])
        gateway = GatewayState(SEED)
        server_tls = make_server_tls_context(cls.tls[SERVER_CERT], cls.tls[SERVER_KEY])
        cls.primary = Instance("primary", gateway, server_tls, os.path.join(cls.folder, "primary.jsonl"),
                               access_log=None)
        cls.backup = Instance("backup", gateway, server_tls, access_log=None)
        cls.primary.start()
        cls.backup.start()

    @classmethod
    def tearDownClass(cls):
        cls.primary.stop()
        cls.backup.stop()
        shutil.rmtree(cls.folder)

    def setUp(self):
        for instance in (self.primary, self.backup):
            self.control(instance, "reset", {})

    def connection(self, instance, scheme="https", timeout=10):
        port = instance.ports[scheme]
        if scheme == "https":
            return http.client.HTTPSConnection("localhost", port, timeout=timeout, context=self.client_tls)
        return http.client.HTTPConnection("localhost", port, timeout=timeout)

    def exchange(self, instance, page, body, scheme="https", timeout=10):
        connection = self.connection(instance, scheme, timeout)
        try:
            connection.request("POST", "/api/https/" + page, body,
                               {"Content-Type": "application/x-www-form-urlencoded"})
            response = connection.getresponse()
            return response.status, response.read()
        finally:
            connection.close()

    def control(self, instance, endpoint, body=None, expect=200):
        connection = http.client.HTTPConnection("127.0.0.1", instance.ports["http"], timeout=10)
        try:
            if body is None:
                connection.request("GET", "/_control/" + endpoint)
            else:
                connection.request("POST", "/_control/" + endpoint, json.dumps(body))
            response = connection.getresponse()
            self.assertEqual(response.status, expect)
            return json.loads(response.read())
        finally:
            connection.close()

    def script(self, instance, page, *replies):
        self.control(instance, "script", {"page": page, "replies": list(replies)})

    def test_both_schemes_reach_both_instances_with_shared_accounts(self):
        for instance in (self.primary, self.backup):
            for scheme in ("http", "https"):
                self.assertEqual(self.exchange(instance, "getbalance.aspx", KEYS, scheme),
                                 (200, b"BALANCE:3"))
        status, reply = self.exchange(self.primary, "createauthfactor.aspx",
                                      b"username=user&password=pw&af_name=n")
        public, secret = reply.decode().split("\n")
        keys = ("accesskey=%s&secretkey=%s" % (public[12:], secret[12:])).encode()
        self.assertEqual(self.exchange(self.backup, "getbalance.aspx", keys), (200, b"BALANCE:3"))

    def test_scripted_texts_replace_the_answer_in_order(self):
        self.script(self.primary, "getbalance.aspx", {"error": "GATEWAY_ERROR"}, {"delay": 7},
                    {"body": "<html>garbage</html>"}, {"body_hex": "49443a00313200"})
        replies = [self.exchange(self.primary, "getbalance.aspx", KEYS)[1] for _ in range(5)]
        self.assertEqual(replies, [b"ERR:GATEWAY_ERROR", b"DELAY:7", b"<html>garbage</html>",
                                   b"ID:\x0012\x00", b"BALANCE:3"])
        log = self.control(self.primary, "requests?page=getbalance.aspx")["requests"]
        self.assertEqual([e["reply"]["how"] for e in log], ["scripted"] * 4 + ["normal"])

    def test_scripts_are_per_instance_and_page(self):
        self.script(self.primary, "sendmsg.aspx", {"error": "INTERNAL_ERROR"})
        self.assertEqual(self.exchange(self.backup, "sendmsg.aspx", KEYS)[1], b"ERR:NO_TO")
        self.assertEqual(self.exchange(self.primary, "getbalance.aspx", KEYS)[1], b"BALANCE:3")
        self.assertEqual(self.exchange(self.primary, "sendmsg.aspx", KEYS)[1], b"ERR:INTERNAL_ERROR")

    def test_http_status(self):
        self.script(self.primary, "*", {"http_status": 500, "body": "Server Error"})
        self.assertEqual(self.exchange(self.primary, "getbalance.aspx", KEYS), (500, b"Server Error"))

    def test_truncated_body(self):
        for scheme in ("http", "https"):
            self.script(self.primary, "getbalance.aspx", {"truncate_at": 4})
            with self.assertRaises(http.client.IncompleteRead) as caught:
                self.exchange(self.primary, "getbalance.aspx", KEYS, scheme)
            self.assertEqual(caught.exception.partial, b"BALA")

    def raw_exchange(self, instance, page, body, scheme):
        """Every byte the server sends before it closes the connection."""
        raw = socket.create_connection(("localhost", instance.ports[scheme]), timeout=10)
        stream = self.client_tls.wrap_socket(raw, server_hostname="localhost") if scheme == "https" else raw
        with stream:
            stream.sendall(b"POST /api/https/%s HTTP/1.1\r\nHost: localhost\r\nContent-Length: %d\r\n\r\n%s"
                           % (page.encode(), len(body), body))
            received = b""
            while True:
                chunk = stream.recv(4096)
                if not chunk:
                    return received
                received += chunk

    def test_head_cut_after_the_gateway_acted(self):
        for scheme in ("http", "https"):
            self.script(self.primary, "sendmsg.aspx", {"head_truncate_at": 20})
            received = self.raw_exchange(self.primary, "sendmsg.aspx", KEYS + b"&to=447700900001&text=Hi", scheme)
            self.assertEqual(received, b"HTTP/1.1 200 OK\r\nSer")
            entry = self.control(self.primary, "requests?page=sendmsg.aspx")["requests"][-1]
            self.assertEqual((entry["reply"]["how"], entry["reply"]["head_truncate_at"]), ("scripted", 20))
        # The gateway made its own answer, and sent the message, both times.
        self.assertEqual(len(self.control(self.primary, "state")["messages"]), 2)

    def test_dropped_connection(self):
        for scheme in ("http", "https"):
            self.script(self.primary, "getbalance.aspx", {"drop": True})
            with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
                self.exchange(self.primary, "getbalance.aspx", KEYS, scheme)
        self.assertEqual(len(self.control(self.primary, "requests")["requests"]), 2)

    def test_slow_answer(self):
        self.script(self.primary, "getbalance.aspx", {"wait": 3})
        with self.assertRaises((socket.timeout, TimeoutError)):
            self.exchange(self.primary, "getbalance.aspx", KEYS, timeout=0.5)
        self.script(self.primary, "getbalance.aspx", {"wait": 1})
        started = time.monotonic()
        self.assertEqual(self.exchange(self.primary, "getbalance.aspx", KEYS)[1], b"BALANCE:3")
        self.assertGreaterEqual(time.monotonic() - started, 0.9)

    def test_request_log_keeps_the_raw_body_and_headers(self):
        body = b"accesskey=AK&secretkey=SK&text=a%00b\x00\xe9"
        self.exchange(self.primary, "sendmsg.aspx", body, "https")
        entry = self.control(self.primary, "requests")["requests"][-1]
        self.assertEqual(bytes.fromhex(entry["body_hex"]), body)
        self.assertEqual(entry["body"].encode("latin-1"), body)
        self.assertEqual((entry["scheme"], entry["page"], entry["instance"]),
                         ("https", "api/https/sendmsg.aspx", "primary"))
        self.assertIn(["Content-Type", "application/x-www-form-urlencoded"], entry["headers"])
        self.assertIn(["text", "a\x00b\x00\u00e9"], entry["form"])
        with open(os.path.join(self.folder, "primary.jsonl"), encoding="utf-8") as file:
            lines = [json.loads(line) for line in file]
        self.assertEqual(lines[-1]["body_hex"], body.hex())
        self.assertEqual(lines[-1]["reply"]["body"], "ERR:NO_TO")
        since = entry["seq"]
        self.exchange(self.primary, "getbalance.aspx", KEYS)
        self.assertEqual([e["page"] for e in self.control(self.primary, "requests?since=%d" % since)["requests"]],
                         ["api/https/getbalance.aspx"])

    def test_control_state_endpoints(self):
        self.control(self.primary, "accounts", {"accounts": [{"username": "other", "password": "x"}]})
        self.control(self.primary, "factors", {"username": "other", "access_key": "OK2", "secret_key": "OS2"})
        self.control(self.primary, "balance", {"username": "other", "balance": 42})
        self.assertEqual(self.exchange(self.backup, "getbalance.aspx", b"accesskey=OK2&secretkey=OS2")[1],
                         b"BALANCE:42")
        self.control(self.primary, "settings", {"job_threshold": 0})
        self.assertTrue(self.exchange(self.primary, "sendmsg.aspx", KEYS + b"&to=447700900001&text=x")[1]
                        .startswith(b"JOBID:"))
        state = self.control(self.primary, "state")
        self.assertEqual(len(state["jobs"]), 1)
        self.control(self.primary, "reset", {"state": True})
        self.assertEqual(self.control(self.primary, "state")["jobs"], [])
        info = self.control(self.primary, "info")
        self.assertEqual(info["https_url"], "https://localhost:%d/" % self.primary.ports["https"])

    def test_control_refuses_bad_input(self):
        self.control(self.primary, "script", {"page": "x", "reply": {"nonsense": 1}}, expect=400)
        self.control(self.primary, "script", {"page": "x"}, expect=400)
        self.control(self.primary, "balance", {"username": "nobody", "balance": 1}, expect=400)
        self.control(self.primary, "settings", {"unknown": 1}, expect=400)
        self.control(self.primary, "nothing", expect=404)
        connection = http.client.HTTPConnection("127.0.0.1", self.primary.ports["http"], timeout=10)
        connection.request("POST", "/_control/reset", b"{not json")
        self.assertEqual(connection.getresponse().status, 400)
        connection.close()
        self.assertEqual(self.control(self.primary, "scripts")["pending"], {})

    def test_keep_alive_connection_serves_several_requests(self):
        connection = self.connection(self.primary)
        try:
            for _ in range(3):
                connection.request("POST", "/api/https/getbalance.aspx", KEYS)
                self.assertEqual(connection.getresponse().read(), b"BALANCE:3")
        finally:
            connection.close()

    def test_malformed_http_leaves_the_server_answering(self):
        generator = random.Random(99)
        samples = [b"", b"\r\n\r\n", b"GARBAGE\r\n\r\n", b"POST / HTTP/1.1\r\nContent-Length: x\r\n\r\n",
                   b"POST /api/https/getbalance.aspx HTTP/1.1\r\nContent-Length: 50\r\n\r\nshort",
                   b"POST /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"]
        samples += [bytes(generator.randrange(256) for _ in range(generator.randint(1, 200))) for _ in range(30)]
        for sample in samples:
            with socket.create_connection(("127.0.0.1", self.primary.ports["http"]), timeout=10) as raw:
                raw.sendall(sample)
                raw.shutdown(socket.SHUT_WR)
                try:
                    while raw.recv(4096):
                        pass
                except OSError:
                    pass
        with socket.create_connection(("127.0.0.1", self.primary.ports["https"]), timeout=10) as raw:
            raw.sendall(b"not a TLS handshake\r\n\r\n")
        self.assertEqual(self.exchange(self.primary, "getbalance.aspx", KEYS, "https"), (200, b"BALANCE:3"))

    def test_untrusted_name_is_refused(self):
        # The certificate names "localhost" only.
        context = ssl.create_default_context(cafile=self.tls[CA_CERT])
        connection = http.client.HTTPSConnection("127.0.0.1", self.primary.ports["https"],
                                                 timeout=10, context=context)
        with self.assertRaises(ssl.SSLCertVerificationError):
            connection.request("GET", "/")
        connection.close()


class LauncherTest(unittest.TestCase):
    def test_start_writes_state_files_and_stop_ends_the_process(self):
        folder = tempfile.mkdtemp(prefix="gwsim-launch-")
        try:
            run = subprocess.run([sys.executable, LAUNCHER, "start", "--dir", folder],
                                 stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertIn("listening", run.stdout)
            with open(os.path.join(folder, "primary.json")) as file:
                primary = json.load(file)
            with open(os.path.join(folder, "backup.json")) as file:
                backup = json.load(file)
            self.assertNotEqual(primary["https_port"], backup["https_port"])
            connection = http.client.HTTPConnection("127.0.0.1", primary["http_port"], timeout=10)
            connection.request("GET", "/_control/info")
            self.assertEqual(json.loads(connection.getresponse().read())["instance"], "primary")
            connection.close()
            run = subprocess.run([sys.executable, LAUNCHER, "stop", "--dir", folder],
                                 stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertFalse(os.path.exists(os.path.join(folder, "primary.json")))
            with self.assertRaises(OSError):
                socket.create_connection(("127.0.0.1", primary["http_port"]), timeout=5).close()
        finally:
            subprocess.run([sys.executable, LAUNCHER, "stop", "--dir", folder],
                           stdin=subprocess.DEVNULL, capture_output=True)
            shutil.rmtree(folder)


if __name__ == "__main__":
    unittest.main()
