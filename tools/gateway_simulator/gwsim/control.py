"""The control interface under "/_control/": JSON in, JSON out.

  GET  /_control/info                 this instance's name, ports and files
  POST /_control/script               {"page": "sendmsg.aspx", "replies": [{...}, ...]}
                                      (or "reply": {...}); page "*" matches any page
  GET  /_control/scripts              replies still queued, by page
  POST /_control/reset                {"log": true, "scripts": true, "state": true}
                                      (all three when the body is empty)
  GET  /_control/requests?page=P&since=N
                                      logged requests of this instance
  GET  /_control/state                accounts, factors, messages, jobs, settings
  POST /_control/accounts             {"accounts": [{...}, ...]}: add or replace
  POST /_control/balance              {"username": "u", "balance": 5}
  POST /_control/factors              {"username": "u", "access_key": ..., "secret_key": ...}
  POST /_control/settings             {"job_threshold": 10, ...}
  POST /_control/job                  {"job_id": "5000001", "status": "Processing"}:
                                      puts a bulk job into that status

Scripts and the request log belong to the instance; accounts, factors,
messages and settings are the gateway's and shared by its instances.
"""

import urllib.parse

from .exchange import Reply
from .gateway import SeedError
from .scripts import ScriptError

PREFIX = "_control/"


class ControlService:
    def __init__(self, instance):
        self.instance = instance
        self._routes = {
            ("GET", "info"): self._info,
            ("POST", "script"): self._script,
            ("GET", "scripts"): self._scripts,
            ("POST", "reset"): self._reset,
            ("GET", "requests"): self._requests,
            ("GET", "state"): self._state,
            ("POST", "accounts"): self._accounts,
            ("POST", "balance"): self._balance,
            ("POST", "factors"): self._factors,
            ("POST", "settings"): self._settings,
            ("POST", "job"): self._job,
        }

    def matches(self, request):
        return request.page.startswith(PREFIX)

    def handle(self, request):
        route = self._routes.get((request.method, request.page[len(PREFIX):]))
        if route is None:
            return Reply.json({"error": "no such control endpoint"}, 404)
        try:
            body = request.json_body() if request.method == "POST" else {}
            if not isinstance(body, dict):
                raise ScriptError("the body must be a JSON object")
            query = dict(urllib.parse.parse_qsl(request.query))
            return Reply.json(route(body, query))
        except (ValueError, KeyError, TypeError) as error:
            # json.JSONDecodeError, ScriptError and SeedError are ValueErrors.
            return Reply.json({"error": "%s: %s" % (type(error).__name__, error)}, 400)

    def _info(self, body, query):
        return self.instance.describe()

    def _script(self, body, query):
        if ("reply" in body) == ("replies" in body):
            raise ScriptError('give either "reply" or "replies"')
        descriptions = [body["reply"]] if "reply" in body else body["replies"]
        if not isinstance(descriptions, list):
            raise ScriptError('"replies" must be a list')
        queued = self.instance.scripts.add(body.get("page", "*"), descriptions)
        return {"queued": queued}

    def _scripts(self, body, query):
        return {"pending": self.instance.scripts.pending()}

    def _reset(self, body, query):
        everything = not body
        if everything or body.get("scripts"):
            self.instance.scripts.clear()
        if everything or body.get("log"):
            self.instance.log.clear()
        if everything or body.get("state"):
            self.instance.gateway.reset()
        return {"reset": True}

    def _requests(self, body, query):
        since = int(query.get("since", 0))
        return {"requests": self.instance.log.entries(query.get("page"), since)}

    def _state(self, body, query):
        return self.instance.gateway.snapshot()

    def _accounts(self, body, query):
        accounts = body.get("accounts")
        if not isinstance(accounts, list):
            raise SeedError('"accounts" must be a list')
        for entry in accounts:
            self.instance.gateway.put_account(entry)
        return {"accounts": len(accounts)}

    def _balance(self, body, query):
        account = self.instance.gateway.set_balance(body["username"], body["balance"])
        return account.to_json()

    def _factors(self, body, query):
        return self.instance.gateway.put_factor(body).to_json()

    def _settings(self, body, query):
        self.instance.gateway.apply_settings(body)
        return self.instance.gateway.snapshot()["settings"]

    def _job(self, body, query):
        return self.instance.gateway.bulkjob_set_status(body["job_id"], body["status"])
