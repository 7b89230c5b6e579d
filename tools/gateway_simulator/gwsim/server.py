"""Server instances: one instance stands for one gateway server (primary or
backup) and listens on loopback with HTTP and HTTPS ports of its own. Its
services are tried in order; the first whose `matches` accepts a request
answers it."""

import http.server
import os
import socket
import socketserver
import ssl
import sys
import threading
import time

from .bulkjob_service import BulkJobService
from .control import ControlService
from .exchange import Reply, Request
from .https_interface import HttpsInterfaceService
from .request_log import RequestLog
from .scripts import ScriptQueues


def gateway_services(gateway):
    """The services every instance offers, in the order they are tried.
    A service is an object with `matches(request)`, `script_keys(request)`
    (the page names under which tests script its replies) and
    `handle(request)` returning a Reply, and optionally
    `scripted_reply(request, description)` for scripted answers in its own
    form; a web service at its own path is added here."""
    return [HttpsInterfaceService(gateway), BulkJobService(gateway)]

HOST_NAME = "localhost"
LOOPBACK = ("127.0.0.1", "::1")


def make_server_tls_context(cert_path, key_path):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(cert_path, key_path)
    return context


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZentavoGatewaySimulator/1.0"
    sys_version = ""
    # A client that stalls in the middle of a request frees its thread.
    timeout = 300

    def do_POST(self):
        self._exchange()

    do_GET = do_PUT = do_DELETE = do_POST

    def _read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            chunks = []
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                        pass
                    return b"".join(chunks)
                chunks.append(self.rfile.read(size))
                self.rfile.readline()
        return self.rfile.read(int(self.headers.get("Content-Length") or 0))

    def _exchange(self):
        try:
            body = self._read_body()
        except ValueError:
            self.close_connection = True
            self._answer(Reply.text("Bad Request", 400))
            return
        request = Request(self.server.instance.name, self.server.scheme, self.command,
                          self.path, self.headers.items(), body, self.client_address[0])
        self._answer(self.server.instance.handle(request))

    def _answer(self, reply):
        if reply.wait:
            time.sleep(reply.wait)
        if reply.drop:
            self.close_connection = True
            return
        self.send_response(reply.status)
        self.send_header("Content-Type", reply.content_type)
        self.send_header("Content-Length", str(len(reply.body)))
        for name, value in reply.headers:
            self.send_header(name, value)
        if reply.head_truncate_at is not None:
            self._send_head_cut_at(reply.head_truncate_at)
            return
        self.end_headers()
        if reply.truncate_at is not None and reply.truncate_at < len(reply.body):
            self.wfile.write(reply.body[:reply.truncate_at])
            self.wfile.flush()
            self.close_connection = True
        else:
            self.wfile.write(reply.body)

    def _send_head_cut_at(self, length):
        """The first `length` bytes of the head gathered so far (status line,
        headers, the blank line), then the connection closes."""
        head = b"".join(self._headers_buffer) + b"\r\n"
        self._headers_buffer = []
        self.wfile.write(head[:length])
        self.wfile.flush()
        self.close_connection = True

    def log_message(self, format, *args):
        if self.server.instance.access_log is None:
            return
        self.server.instance.access_log.write("%s %s %s %s\n" % (
            time.strftime("%H:%M:%S"), self.server.instance.name, self.server.scheme,
            format % args))


class _Listener(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def __init__(self, address, family, instance, scheme, tls_context):
        self.address_family = family
        self.instance = instance
        self.scheme = scheme
        self.tls_context = tls_context
        super().__init__(address, _Handler)

    def server_bind(self):
        # HTTPServer's own looks the host name up, which may stall.
        socketserver.TCPServer.server_bind(self)
        self.server_name = HOST_NAME
        self.server_port = self.server_address[1]

    def finish_request(self, request, client_address):
        if self.tls_context is None:
            return super().finish_request(request, client_address)
        try:
            connection = self.tls_context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            if self.instance.access_log is not None:
                self.instance.access_log.write("%s TLS handshake failed: %s\n" % (self.instance.name, error))
            return
        try:
            self.RequestHandlerClass(connection, client_address, self)
        finally:
            connection.close()

    def handle_error(self, request, client_address):
        # Clients that hang up (time-outs, after a dropped reply) are expected.
        if isinstance(sys.exc_info()[1], (ConnectionError, ssl.SSLError, TimeoutError)):
            return
        super().handle_error(request, client_address)


class Instance:
    """One simulated server: its ports, services, scripted replies and
    request log. The gateway state may be shared with other instances."""

    def __init__(self, name, gateway, tls_context=None, log_path=None, ca_path=None,
                 access_log=sys.stderr):
        self.name = name
        self.access_log = access_log
        self.gateway = gateway
        self.tls_context = tls_context
        self.ca_path = ca_path
        self.scripts = ScriptQueues()
        self.log = RequestLog(log_path)
        self.control = ControlService(self)
        self.services = gateway_services(gateway)
        self.ports = {}
        self._listeners = []
        self._threads = []

    def start(self):
        self._listen("http", None)
        if self.tls_context is not None:
            self._listen("https", self.tls_context)
        for listener in self._listeners:
            thread = threading.Thread(target=listener.serve_forever, args=(0.2,),
                                      name="%s-%s" % (self.name, listener.scheme), daemon=True)
            thread.start()
            self._threads.append(thread)

    def _listen(self, scheme, tls_context):
        first = _Listener((LOOPBACK[0], 0), socket.AF_INET, self, scheme, tls_context)
        self._listeners.append(first)
        port = first.server_address[1]
        self.ports[scheme] = port
        # "localhost" may name ::1 first; listen there too when it can.
        try:
            self._listeners.append(
                _Listener((LOOPBACK[1], port, 0, 0), socket.AF_INET6, self, scheme, tls_context))
        except OSError:
            pass

    def stop(self):
        for listener in self._listeners:
            listener.shutdown()
            listener.server_close()
        for thread in self._threads:
            thread.join()
        self._listeners, self._threads = [], []

    def handle(self, request):
        if self.control.matches(request):
            return self.control.handle(request)
        service = next((s for s in self.services if s.matches(request)), None)
        entry = self.log.add(request)
        keys = service.script_keys(request) if service else [request.page]
        script = self.scripts.take(keys)
        if script is not None and script.replaces_answer:
            # A web service may make the scripted answer in its own form.
            own = getattr(service, "scripted_reply", None)
            replacement = own(request, script.description) if own else None
            reply, how = script.make_reply(replacement=replacement), "scripted"
        else:
            normal = service.handle(request) if service else Reply.text("Not Found", 404)
            reply, how = (script.make_reply(normal), "scripted") if script else (normal, "normal")
        self.log.set_reply(entry, how, reply)
        return reply

    def describe(self):
        description = {
            "instance": self.name,
            "pid": os.getpid(),
            "host": HOST_NAME,
            "http_port": self.ports.get("http"),
            "http_url": "http://%s:%d/" % (HOST_NAME, self.ports["http"]),
            "control_url": "http://127.0.0.1:%d/_control/" % self.ports["http"],
            "log_path": self.log.path,
            "ca_cert": self.ca_path,
        }
        if "https" in self.ports:
            description["https_port"] = self.ports["https"]
            description["https_url"] = "https://%s:%d/" % (HOST_NAME, self.ports["https"])
        return description
