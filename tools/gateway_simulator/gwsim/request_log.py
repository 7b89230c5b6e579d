"""Every gateway request an instance received, kept in memory for the
control interface (until a reset) and appended to a JSON-lines file (for
the whole run)."""

import datetime
import json
import threading


def request_entry(sequence, request):
    """The log form of a request. The body is given twice: "body_hex" holds
    the exact bytes, "body" the same bytes one to one as characters (U+0000
    to U+00FF) for reading."""
    return {
        "seq": sequence,
        "instance": request.instance,
        "time": request.time,
        "time_text": datetime.datetime.fromtimestamp(request.time).isoformat(timespec="milliseconds"),
        "scheme": request.scheme,
        "method": request.method,
        "path": request.path,
        "page": request.page,
        "query": request.query,
        "headers": [[name, value] for name, value in request.headers],
        "body": request.body.decode("latin-1"),
        "body_hex": request.body.hex(),
        "form": [[name, value] for name, value in request.form_pairs()],
    }


class RequestLog:
    def __init__(self, path=None):
        self._lock = threading.Lock()
        self._entries = []
        self._next = 1
        self._path = path
        if path:
            open(path, "w").close()

    @property
    def path(self):
        return self._path

    def add(self, request):
        """Records the request; returns its entry, to which the reply is
        added later with `set_reply`."""
        with self._lock:
            entry = request_entry(self._next, request)
            self._next += 1
            self._entries.append(entry)
            return entry

    def set_reply(self, entry, how, reply):
        with self._lock:
            entry["reply"] = dict(reply.summary(), how=how)
            if self._path:
                with open(self._path, "a", encoding="utf-8") as file:
                    file.write(json.dumps(entry) + "\n")

    def entries(self, page=None, since=0):
        """Entries with a sequence number above `since`, optionally only
        those whose page is `page` or ends with "/" + `page`."""
        with self._lock:
            selected = [e for e in self._entries if e["seq"] > since]
        if page:
            page = page.lstrip("/")
            selected = [e for e in selected
                        if e["page"] == page or e["page"].endswith("/" + page)]
        return selected

    def clear(self):
        """Forgets the entries; the file keeps them, as the record of the run."""
        with self._lock:
            self._entries = []
