"""Replies that tests queue for the next requests to a page.

A scripted reply is a JSON object. What it answers:
  {"error": "NAME"}        "ERR:NAME"
  {"delay": 30}            "DELAY:30"
  {"body": "text"}         the text (UTF-8), exactly
  {"body_hex": "00ff"}     those bytes, exactly
  {"drop": true}           closes the connection without an answer
  {"result": ...}, {"fault": ...}
                           answers that only a web service makes (see the
                           service); "error" too is the service's own there
  none of these            the gateway's normal answer
and how (combinable with the above):
  {"http_status": 500}     the HTTP status (default 200)
  {"wait": 2.5}            answers only after that many seconds
  {"truncate_at": 3}       announces the whole body, sends 3 bytes, closes
  {"head_truncate_at": 20} sends only the first 20 bytes of the status line
                           and headers, then closes
  {"replace": {"A": "B"}}  the answer with each "A" written as "B", as a
                           gateway that names things otherwise answers
  {"repeat": 4}            queues the reply 4 times
"""

import collections
import threading

from .exchange import Reply

_CONTENT_KEYS = ("error", "delay", "body", "body_hex", "drop", "result", "fault")
_ALL_KEYS = set(_CONTENT_KEYS) | {"http_status", "wait", "truncate_at", "head_truncate_at", "repeat",
                                  "content_type", "replace"}

ANY_PAGE = "*"


class ScriptError(ValueError):
    pass


class ScriptedReply:
    def __init__(self, description):
        if not isinstance(description, dict):
            raise ScriptError("a scripted reply must be an object")
        unknown = set(description) - _ALL_KEYS
        if unknown:
            raise ScriptError("unknown reply fields: " + ", ".join(sorted(unknown)))
        contents = [k for k in _CONTENT_KEYS if k in description]
        if len(contents) > 1:
            raise ScriptError("a reply has one of " + ", ".join(_CONTENT_KEYS))
        self.description = dict(description)
        self.content = contents[0] if contents else None
        try:
            self.body = self._scripted_body()
            self.status = int(description.get("http_status", 200))
            self.wait = float(description.get("wait", 0))
            self.truncate_at = None if description.get("truncate_at") is None else int(description["truncate_at"])
            self.head_truncate_at = None if description.get("head_truncate_at") is None \
                else int(description["head_truncate_at"])
            self.repeat = int(description.get("repeat", 1))
            self.replacements = self._replacements()
        except (TypeError, ValueError) as error:
            raise ScriptError("invalid reply %r: %s" % (description, error))
        if not 100 <= self.status <= 599 or self.wait < 0 or self.repeat < 1 or \
                (self.truncate_at is not None and self.truncate_at < 0) or \
                (self.head_truncate_at is not None and self.head_truncate_at < 0):
            raise ScriptError("reply values out of range: %r" % (description,))

    def _scripted_body(self):
        if self.content == "error":
            return ("ERR:" + str(self.description["error"])).encode("utf-8")
        if self.content == "delay":
            return ("DELAY:" + str(self.description["delay"])).encode("utf-8")
        if self.content == "body":
            if not isinstance(self.description["body"], str):
                raise ValueError("body must be a string")
            return self.description["body"].encode("utf-8")
        if self.content == "body_hex":
            return bytes.fromhex(self.description["body_hex"])
        return None

    def _replacements(self):
        replace = self.description.get("replace", {})
        if not isinstance(replace, dict) or not all(
                isinstance(old, str) and old and isinstance(new, str) for old, new in replace.items()):
            raise ValueError("replace must map texts to texts")
        return [(old.encode("utf-8"), new.encode("utf-8")) for old, new in replace.items()]

    @property
    def replaces_answer(self):
        """Whether the gateway's own handling is skipped."""
        return self.content is not None

    def make_reply(self, normal=None, replacement=None):
        """The reply to send; `normal` is the gateway's own answer, needed
        only when the script does not replace it; `replacement` is the
        answer a service made of the script itself."""
        if replacement is not None:
            reply = replacement
        elif self.content == "drop":
            reply = Reply(drop=True)
        elif self.body is not None:
            reply = Reply(self.body)
        elif normal is not None:
            reply = normal
        else:
            reply = Reply.text("No service here answers a scripted %r" % self.content, 500)
        if "http_status" in self.description:
            reply.status = self.status
        if "content_type" in self.description:
            reply.content_type = str(self.description["content_type"])
        for old, new in self.replacements:
            reply.body = reply.body.replace(old, new)
        reply.wait = self.wait
        reply.truncate_at = self.truncate_at
        reply.head_truncate_at = self.head_truncate_at
        return reply


class ScriptQueues:
    """One queue of scripted replies per page key; thread-safe."""

    def __init__(self):
        self._lock = threading.Lock()
        self._queues = collections.OrderedDict()

    def add(self, page, descriptions):
        """Validates every description before queueing any; returns how many
        replies were queued."""
        page = str(page).lstrip("/") or ANY_PAGE
        replies = [ScriptedReply(description) for description in descriptions]
        with self._lock:
            queue = self._queues.setdefault(page, collections.deque())
            for reply in replies:
                queue.extend([reply] * reply.repeat)
        return sum(r.repeat for r in replies)

    def take(self, keys):
        """The next reply for the first of `keys` (then "*") that has one."""
        with self._lock:
            for key in list(keys) + [ANY_PAGE]:
                queue = self._queues.get(key)
                if queue:
                    return queue.popleft()
        return None

    def clear(self):
        with self._lock:
            self._queues.clear()

    def pending(self):
        with self._lock:
            return {page: [r.description for r in queue] for page, queue in self._queues.items() if queue}
