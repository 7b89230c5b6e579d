#!/usr/bin/env python3
"""A local HTTP and HTTPS peer for the SOAP transport tests (loopback only).

    soap_test_peer.py start <folder>   starts the peer in the background and
                                       returns once it listens
    soap_test_peer.py stop <folder>    stops it
    soap_test_peer.py serve <folder>   runs it in the foreground

<folder>/peer.state then holds key=value lines: the ports (http_port,
https_port on a certificate of a throwaway test CA, untrusted_port on a
certificate of a CA nobody trusts, refused_port where nothing listens),
ca_cert (the test CA, PEM) and pid.

The request path chooses the reply (query arguments in brackets):
    /echo           200, the request as received in <t:Request>
    /large[bytes]   200, <t:Data> of that many bytes, with Content-Length
    /chunked[bytes] the same, sent chunked in chunks of varying size
    /fault[code]    500, a SOAP 1.2 fault with that code (default Receiver)
    /status[code]   that status with an HTML page
    /empty[code]    that status with no body
    /slow[seconds]  waits, then echoes
    /unread[seconds] reads no body, waits, then closes
    /auth           401 until the request carries Basic test:secret, then echoes
    /truncated[bytes] the start of a reply promising twice the bytes it
                    sends, then the connection closes
"""
import base64
import http.server
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from xml.sax.saxutils import escape

SOAP12 = "http://www.w3.org/2003/05/soap-envelope"
TEST_NS = "urn:zentavo-transport-test"
CREDENTIALS = "Basic " + base64.b64encode(b"test:secret").decode()
stopping = threading.Event()


def pattern(count):
    """count bytes of a text that shows where a piece went missing."""
    unit = "".join(chr(ord("a") + i % 26) for i in range(26 * 37 + 1))
    return (unit * (count // len(unit) + 1))[:count]


def envelope(content):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<SOAP-ENV:Envelope xmlns:SOAP-ENV="{SOAP12}" xmlns:t="{TEST_NS}">'
            f"<SOAP-ENV:Body>{content}</SOAP-ENV:Body></SOAP-ENV:Envelope>").encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_one_request(self):
        try:
            super().handle_one_request()
        except (ConnectionError, ssl.SSLError, socket.timeout, OSError):
            self.close_connection = True

    def do_GET(self):
        self.do_POST()

    def do_POST(self):
        if self.path.startswith("/unread"):
            # Reads nothing of the body, so that a large request stalls.
            stopping.wait(float(dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query))
                                .get("seconds", "30")))
            self.close_connection = True
            return
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length) if length else b""
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        route = getattr(self, "reply_" + url.path.strip("/"), None)
        if route is None:
            self.send(404, b"<html><body>no such page</body></html>", "text/html")
        else:
            route(query, body)

    def send(self, status, body, content_type="application/soap+xml; charset=utf-8", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def reply_echo(self, query, body):
        # Request line, header lines, an empty line, the body; lines end in LF
        # alone, since XML turns CR LF into LF anyway.
        text = f"{self.requestline}\n{self.headers}" + body.decode("utf-8", "replace")
        self.send(200, envelope(f"<t:EchoResponse><t:Request>{escape(text)}</t:Request></t:EchoResponse>"))

    def data_reply(self, query):
        count = int(query.get("bytes", "100000"))
        return envelope(f"<t:DataResponse><t:Length>{count}</t:Length>"
                        f"<t:Data>{pattern(count)}</t:Data></t:DataResponse>")

    def reply_large(self, query, body):
        self.send(200, self.data_reply(query))

    def reply_chunked(self, query, body):
        data = self.data_reply(query)
        self.send_response(200)
        self.send_header("Content-Type", "application/soap+xml; charset=utf-8")
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        size, offset = 1, 0
        while offset < len(data):
            piece = data[offset:offset + size]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            offset += len(piece)
            size = size * 3 % 9973 + 1
        self.wfile.write(b"0\r\n\r\n")
        self.close_connection = True

    def reply_fault(self, query, body):
        code = escape(query.get("code", "Receiver"))
        fault = ("<SOAP-ENV:Fault><SOAP-ENV:Code>"
                 f"<SOAP-ENV:Value>SOAP-ENV:{code}</SOAP-ENV:Value>"
                 "<SOAP-ENV:Subcode><SOAP-ENV:Value>t:JobStore</SOAP-ENV:Value></SOAP-ENV:Subcode>"
                 "</SOAP-ENV:Code><SOAP-ENV:Reason>"
                 '<SOAP-ENV:Text xml:lang="en">Job store &amp; queue unavailable</SOAP-ENV:Text>'
                 '<SOAP-ENV:Text xml:lang="de">Auftragsspeicher nicht verfuegbar</SOAP-ENV:Text>'
                 "</SOAP-ENV:Reason><SOAP-ENV:Detail><t:Retry>30</t:Retry></SOAP-ENV:Detail>"
                 "</SOAP-ENV:Fault>")
        self.send(500, envelope(fault))

    def reply_status(self, query, body):
        code = int(query.get("code", "404"))
        self.send(code, b"<html><head><title>Error</title></head><body><h1>Error</h1></body></html>",
                  "text/html")

    def reply_empty(self, query, body):
        self.send(int(query.get("code", "503")), b"", "text/plain")

    def reply_slow(self, query, body):
        stopping.wait(float(query.get("seconds", "30")))
        self.reply_echo(query, body)

    def reply_auth(self, query, body):
        if self.headers.get("Authorization") == CREDENTIALS:
            self.reply_echo(query, body)
        else:
            self.send(401, b"<html><body>who are you?</body></html>", "text/html",
                      [("WWW-Authenticate", 'Basic realm="transport test"')])

    def reply_truncated(self, query, body):
        data = self.data_reply(query)[:int(query.get("bytes", "5000"))]
        self.send_response(200)
        self.send_header("Content-Type", "application/soap+xml; charset=utf-8")
        self.send_header("Content-Length", str(2 * len(data)))
        self.end_headers()
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder):
    """A test CA and a localhost certificate from it, and the same again from
    a CA that nobody trusts. Kept across runs."""
    names = {}
    for kind in ("trusted", "untrusted"):
        ca_key, ca_cert = (os.path.join(folder, f"{kind}-ca.{x}") for x in ("key", "pem"))
        key, cert = (os.path.join(folder, f"{kind}-server.{x}") for x in ("key", "pem"))
        if not all(os.path.exists(p) for p in (ca_key, ca_cert, key, cert)):
            openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3650",
                    "-keyout", ca_key, "-out", ca_cert, "-subj", f"/CN=Zentavo transport test CA ({kind})",
                    "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign")
            request = os.path.join(folder, f"{kind}-server.csr")
            openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256", "-keyout", key,
                    "-out", request, "-subj", "/CN=localhost")
            extensions = os.path.join(folder, f"{kind}-server.ext")
            with open(extensions, "w") as f:
                f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                        "extendedKeyUsage=serverAuth\nsubjectAltName=DNS:localhost\n")
            openssl("x509", "-req", "-in", request, "-CA", ca_cert, "-CAkey", ca_key, "-CAcreateserial",
                    "-days", "3650", "-sha256", "-extfile", extensions, "-out", cert)
        names[kind] = (cert, key, ca_cert)
    return names


def tls_server(cert, key):
    server = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    # The handshake happens in the handler's thread, not in the accept loop.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    return server


def free_port():
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def serve(folder):
    os.makedirs(folder, exist_ok=True)
    certificates = make_certificates(folder)
    servers = {
        "http_port": Server(("127.0.0.1", 0), Handler),
        "https_port": tls_server(*certificates["trusted"][:2]),
        "untrusted_port": tls_server(*certificates["untrusted"][:2]),
    }
    for server in servers.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    state = {name: server.server_address[1] for name, server in servers.items()}
    state.update(refused_port=free_port(), ca_cert=certificates["trusted"][2], pid=os.getpid())
    temporary = os.path.join(folder, "peer.state.tmp")
    with open(temporary, "w") as f:
        f.writelines(f"{key}={value}\n" for key, value in state.items())
    os.replace(temporary, os.path.join(folder, "peer.state"))

    def stop(*_):
        stopping.set()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    stopping.wait()
    # The servers run on daemon threads and end with the process.


def read_state(folder):
    try:
        with open(os.path.join(folder, "peer.state")) as f:
            return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    except FileNotFoundError:
        return {}


def start(folder):
    stop(folder)
    os.makedirs(folder, exist_ok=True)
    log = open(os.path.join(folder, "peer.log"), "w")
    # Detached, with its own output: CTest must not wait for a pipe that the
    # peer holds open.
    process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", folder],
                               stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if read_state(folder).get("pid") == str(process.pid):
            return 0
        if process.poll() is not None:
            break
        time.sleep(0.05)
    print(f"the SOAP test peer did not start; see {log.name}", file=sys.stderr)
    process.kill()
    return 1


def is_peer(pid):
    """True while pid is a running (not zombie) peer process."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                return False
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return os.path.basename(__file__).encode() in f.read()
    except (OSError, IndexError):
        return False


def stop(folder):
    pid = read_state(folder).get("pid")
    state_file = os.path.join(folder, "peer.state")
    if os.path.exists(state_file):
        os.remove(state_file)
    if not pid or not is_peer(int(pid)):
        return 0
    os.kill(int(pid), signal.SIGTERM)
    for _ in range(100):
        if not is_peer(int(pid)):
            return 0
        time.sleep(0.05)
    os.kill(int(pid), signal.SIGKILL)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    command, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == "serve":
        serve(folder)
    else:
        sys.exit(start(folder) if command == "start" else stop(folder))
