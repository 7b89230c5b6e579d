"""One HTTP exchange as the services see it: the request that came in and
the reply to send, with the faults a test can ask for."""

import json
import time
import urllib.parse


class Request:
    def __init__(self, instance, scheme, method, target, headers, body, peer=None):
        self.instance = instance
        self.scheme = scheme
        self.method = method
        self.target = target
        split = urllib.parse.urlsplit(target)
        self.path = split.path
        self.query = split.query
        # "api/https/sendmsg.aspx": the path without its leading "/".
        self.page = self.path.lstrip("/")
        self.headers = list(headers)
        self.body = body
        self.peer = peer
        self.time = time.time()

    @property
    def secure(self):
        return self.scheme == "https"

    def header(self, name, default=None):
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return default

    def form_pairs(self):
        """The form fields of the query and the body, in order. The body's
        bytes are taken one to one as characters so that nothing is lost;
        %-escapes decode as UTF-8."""
        text = self.query
        if self.body:
            text = (text + "&" if text else "") + self.body.decode("latin-1")
        return urllib.parse.parse_qsl(text, keep_blank_values=True,
                                      encoding="utf-8", errors="replace")

    def form(self):
        """Field name to value; the first occurrence of a name counts."""
        fields = {}
        for name, value in self.form_pairs():
            fields.setdefault(name, value)
        return fields

    def json_body(self):
        if not self.body.strip():
            return {}
        return json.loads(self.body.decode("utf-8"))


class Reply:
    """What to answer. `wait` delays the answer, `drop` closes the connection
    without one, `truncate_at` announces the whole body but sends only that
    many bytes before closing, `head_truncate_at` sends only that many bytes
    of the status line and headers before closing."""

    def __init__(self, body=b"", status=200, content_type="text/plain; charset=utf-8",
                 wait=0.0, drop=False, truncate_at=None, headers=None, head_truncate_at=None):
        self.body = body.encode("utf-8") if isinstance(body, str) else bytes(body)
        self.status = status
        self.content_type = content_type
        self.wait = wait
        self.drop = drop
        self.truncate_at = truncate_at
        self.head_truncate_at = head_truncate_at
        self.headers = list(headers or [])

    @classmethod
    def text(cls, text, status=200):
        return cls(text, status)

    @classmethod
    def json(cls, value, status=200):
        return cls(json.dumps(value, indent=1), status, "application/json")

    def summary(self):
        summary = {"status": self.status, "body": self.body.decode("latin-1"),
                   "body_hex": self.body.hex()}
        if self.wait:
            summary["wait"] = self.wait
        if self.drop:
            summary["drop"] = True
        if self.truncate_at is not None:
            summary["truncate_at"] = self.truncate_at
        if self.head_truncate_at is not None:
            summary["head_truncate_at"] = self.head_truncate_at
        return summary
