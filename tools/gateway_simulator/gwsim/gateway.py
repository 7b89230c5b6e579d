"""The simulated gateway's accounts, authentication factors, balances,
messages and jobs. One GatewayState is shared by every server instance of a
process, as the primary and backup servers of the real service share one
account database."""

import copy
import secrets
import threading
import time

# Every status name the HTTPS interface sends after "ERR:".
ERROR_NAMES = (
    "NO_USERNAME", "NO_PASSWORD", "NO_TO", "NO_TEXT", "LOGIN_INVALID",
    "INSUFFICIENT_CREDIT", "GATEWAY_ERROR", "INTERNAL_ERROR", "INVALID_NUMBER",
    "INVALID_REQUEST", "MSGID_INVALID", "PARAMETER_MISSING", "PARAMETER_INVALID",
    "ACCOUNT_EXISTS", "TOO_MANY_NUMBERS", "NO_MSGID", "DAILY_ALLOWANCE_EXCEEDED",
    "MONTHLY_ALLOWANCE_EXCEEDED", "AUTH_PARAMETER_MISSING", "AUTH_PARAMETER_INVALID",
    "CONNECTION_NOT_SECURE", "MFA_REQUIRED", "DUPLICATE_NAME", "UPGRADE_CLIENTAPP",
)

DEFAULT_SETTINGS = {
    # A send to more recipients than this becomes a job ("JOBID:").
    "job_threshold": 100,
    # A send to more recipients than this is refused ("TOO_MANY_NUMBERS").
    "max_numbers": 1000,
    # Plain-HTTP requests to the gateway pages are refused ("CONNECTION_NOT_SECURE").
    "require_https": False,
    # Requests whose "clientver" is lower are refused ("UPGRADE_CLIENTAPP"); None: no check.
    "min_client_version": None,
}

_ACCOUNT_FIELDS = {
    "username", "password", "balance", "mfa_required", "daily_allowance",
    "monthly_allowance", "factors",
}
_FACTOR_FIELDS = {"name", "access_key", "secret_key", "interface", "auth_mode"}


def _same_secret(stored, given):
    """A constant-time comparison that, unlike compare_digest on text, takes
    any characters: a key holding non-ASCII bytes is simply a wrong key."""
    return secrets.compare_digest(stored.encode("utf-8", "surrogatepass"),
                                  given.encode("utf-8", "surrogatepass"))


class GatewayError(Exception):
    """A refusal that the gateway answers with "ERR:" and the name."""

    def __init__(self, name):
        super().__init__(name)
        self.name = name


class SeedError(ValueError):
    """Seed or control data that does not describe an account."""


def version_tuple(text):
    parts = []
    for piece in str(text).split("."):
        digits = "".join(c for c in piece if c.isdigit())
        parts.append(int(digits) if digits else 0)
    return tuple(parts)


class Account:
    def __init__(self, username, password, balance=0, mfa_required=False,
                 daily_allowance=None, monthly_allowance=None):
        self.username = username
        self.password = password
        self.balance = int(balance)
        self.mfa_required = bool(mfa_required)
        self.daily_allowance = daily_allowance
        self.monthly_allowance = monthly_allowance
        self.messages_sent = 0

    def to_json(self):
        return {
            "username": self.username, "password": self.password,
            "balance": self.balance, "mfa_required": self.mfa_required,
            "daily_allowance": self.daily_allowance,
            "monthly_allowance": self.monthly_allowance,
            "messages_sent": self.messages_sent,
        }


class AuthFactor:
    def __init__(self, username, name, access_key, secret_key, interface=0, auth_mode=5):
        self.username = username
        self.name = name
        self.access_key = access_key
        self.secret_key = secret_key
        self.interface = interface
        self.auth_mode = auth_mode

    def to_json(self):
        return {
            "username": self.username, "name": self.name,
            "access_key": self.access_key, "secret_key": self.secret_key,
            "interface": self.interface, "auth_mode": self.auth_mode,
        }


def _account_key(username):
    # User names are not case-sensitive at the gateway.
    return username.lower()


class GatewayState:
    """Thread-safe store; every public method takes the one lock."""

    def __init__(self, seed=None):
        self._lock = threading.RLock()
        self._seed = copy.deepcopy(seed) if seed else {}
        self.reset()

    # -- seeding and control ---------------------------------------------

    def reset(self):
        """Back to the seed: accounts, factors and settings as seeded, no
        messages or jobs."""
        with self._lock:
            self.settings = dict(DEFAULT_SETTINGS)
            self.accounts = {}
            self.factors = {}
            self.messages = []
            self.jobs = []
            self._next_message_id = 1000001
            self._next_job_id = 5000001
            self.apply_settings(self._seed.get("settings", {}))
            for entry in self._seed.get("accounts", []):
                self.put_account(entry)

    def apply_settings(self, settings):
        with self._lock:
            unknown = set(settings) - set(DEFAULT_SETTINGS)
            if unknown:
                raise SeedError("unknown settings: " + ", ".join(sorted(unknown)))
            self.settings.update(settings)

    def put_account(self, entry):
        """Adds or replaces an account (and its listed factors)."""
        if not isinstance(entry, dict):
            raise SeedError("an account must be an object")
        unknown = set(entry) - _ACCOUNT_FIELDS
        if unknown:
            raise SeedError("unknown account fields: " + ", ".join(sorted(unknown)))
        username = entry.get("username")
        if not isinstance(username, str) or not username:
            raise SeedError("an account needs a user name")
        try:
            account = Account(username, str(entry.get("password", "")),
                              int(entry.get("balance", 0)), entry.get("mfa_required", False),
                              entry.get("daily_allowance"), entry.get("monthly_allowance"))
        except (TypeError, ValueError) as error:
            raise SeedError("invalid account %r: %s" % (username, error))
        with self._lock:
            self.accounts[_account_key(username)] = account
            for factor in entry.get("factors", []):
                self.put_factor(dict(factor, username=username))
        return account

    def put_factor(self, entry):
        """Adds a factor with given keys, as if created by a login."""
        fields = dict(entry)
        username = fields.pop("username", None)
        unknown = set(fields) - _FACTOR_FIELDS
        if unknown:
            raise SeedError("unknown factor fields: " + ", ".join(sorted(unknown)))
        with self._lock:
            if not isinstance(username, str) or _account_key(username) not in self.accounts:
                raise SeedError("a factor needs the user name of an account")
            account = self.accounts[_account_key(username)]
            access_key = fields.get("access_key") or self._new_key(16)
            secret_key = fields.get("secret_key") or self._new_key(32)
            factor = AuthFactor(account.username, str(fields.get("name", access_key)),
                                str(access_key), str(secret_key),
                                int(fields.get("interface", 0)), int(fields.get("auth_mode", 5)))
            self.factors[factor.access_key] = factor
            return factor

    def set_balance(self, username, balance):
        with self._lock:
            account = self.accounts.get(_account_key(str(username)))
            if account is None:
                raise SeedError("no account %r" % username)
            account.balance = int(balance)
            return account

    def snapshot(self):
        with self._lock:
            return {
                "settings": dict(self.settings),
                "accounts": [a.to_json() for a in self.accounts.values()],
                "factors": [f.to_json() for f in self.factors.values()],
                "messages": copy.deepcopy(self.messages),
                "jobs": copy.deepcopy(self.jobs),
            }

    # -- operations of the gateway -----------------------------------------

    def check_client(self, secure, client_version):
        """The checks every gateway page makes before its own."""
        with self._lock:
            if self.settings["require_https"] and not secure:
                raise GatewayError("CONNECTION_NOT_SECURE")
            minimum = self.settings["min_client_version"]
            if minimum and client_version is not None and \
                    version_tuple(client_version) < version_tuple(minimum):
                raise GatewayError("UPGRADE_CLIENTAPP")

    def authenticate_factor(self, access_key, secret_key):
        """The account that a key pair stands for."""
        if not access_key or not secret_key:
            raise GatewayError("AUTH_PARAMETER_MISSING")
        with self._lock:
            factor = self.factors.get(access_key)
            if factor is None or not _same_secret(factor.secret_key, secret_key):
                raise GatewayError("LOGIN_INVALID")
            return self.accounts[_account_key(factor.username)]

    def create_factor(self, username, password, name, interface, auth_mode, mfa_supported):
        if not username:
            raise GatewayError("NO_USERNAME")
        if not password:
            raise GatewayError("NO_PASSWORD")
        with self._lock:
            account = self.accounts.get(_account_key(username))
            if account is None or not _same_secret(account.password, password):
                raise GatewayError("LOGIN_INVALID")
            if not name:
                raise GatewayError("PARAMETER_MISSING")
            if account.mfa_required and not mfa_supported:
                raise GatewayError("MFA_REQUIRED")
            if any(f.username == account.username and f.name == name
                   for f in self.factors.values()):
                raise GatewayError("DUPLICATE_NAME")
            return self.put_factor({"username": account.username, "name": name,
                                    "interface": interface, "auth_mode": auth_mode})

    def delete_factor(self, access_key, secret_key):
        with self._lock:
            self.authenticate_factor(access_key, secret_key)
            del self.factors[access_key]

    def send(self, account, numbers, valid, cost, details, as_job):
        """Charges the account and records the send. `numbers` are all
        recipients in order, `valid` the set of those that can be reached.
        Returns the job id, or a list of (number, message id or None)."""
        with self._lock:
            reachable = [n for n in numbers if n in valid]
            for limit, name in ((account.daily_allowance, "DAILY_ALLOWANCE_EXCEEDED"),
                                (account.monthly_allowance, "MONTHLY_ALLOWANCE_EXCEEDED")):
                if limit is not None and account.messages_sent + len(reachable) > int(limit):
                    raise GatewayError(name)
            if account.balance < cost:
                raise GatewayError("INSUFFICIENT_CREDIT")
            account.balance -= cost
            account.messages_sent += len(reachable)
            record = dict(details, username=account.username, cost=cost, time=time.time())
            if as_job:
                job_id = str(self._next_job_id)
                self._next_job_id += 1
                self.jobs.append(dict(record, job_id=job_id, numbers=list(numbers)))
                return job_id
            results = []
            for number in numbers:
                message_id = None
                if number in valid:
                    message_id = str(self._next_message_id)
                    self._next_message_id += 1
                    self.messages.append(dict(record, message_id=message_id, number=number))
                results.append((number, message_id))
            return results

    # -- bulk jobs of the web service ----------------------------------------

    BULKJOB_STATUSES = ("Unknown", "Initialising", "Pending", "Processing", "Completed", "Aborted", "Paused")

    def bulkjob_create(self, account, record):
        """A new job in status Initialising; returns its id. `record` holds
        the job's details as the service read them, and "charge_parts", the
        parts each recipient costs."""
        with self._lock:
            job_id = str(self._next_job_id)
            self._next_job_id += 1
            self.jobs.append(dict(record, job_id=job_id, username=account.username, service="bulkjob",
                                  status="Initialising", numbers=[], invalid=[], batches=0, cost=0,
                                  processed=0, sent=0, time=time.time()))
            return job_id

    def bulkjob_find(self, account, job_id):
        """A copy of the account's job; MSGID_INVALID when there is none."""
        with self._lock:
            return copy.deepcopy(self._bulkjob(account, job_id))

    def _bulkjob(self, account, job_id):
        for job in self.jobs:
            if job["job_id"] == job_id and job.get("service") == "bulkjob" and \
                    job["username"] == account.username:
                return job
        raise GatewayError("MSGID_INVALID")

    def bulkjob_append(self, account, job_id, valid, invalid):
        """Adds a batch: the reachable numbers to the job, the others to its
        list of refused numbers."""
        with self._lock:
            job = self._bulkjob(account, job_id)
            if job["status"] != "Initialising":
                raise GatewayError("INVALID_REQUEST")
            if not valid and not invalid:
                raise GatewayError("NO_TO")
            if len(valid) + len(invalid) > self.settings["max_numbers"]:
                raise GatewayError("TOO_MANY_NUMBERS")
            job["batches"] += 1
            job["numbers"].extend(valid)
            job["invalid"].extend(invalid)

    def bulkjob_change(self, account, job_id, operation, now=None):
        """SetBulkJobReady (charges the account; Pending when scheduled
        later, else Completed), PauseBulkJob, RestartBulkJob, AbortBulkJob
        (credits back). INVALID_REQUEST when the job's status forbids it."""
        now = time.time() if now is None else now
        with self._lock:
            job = self._bulkjob(account, job_id)
            status = job["status"]
            if operation == "SetBulkJobReady" and status == "Initialising":
                count = len(job["numbers"])
                for limit, name in ((account.daily_allowance, "DAILY_ALLOWANCE_EXCEEDED"),
                                    (account.monthly_allowance, "MONTHLY_ALLOWANCE_EXCEEDED")):
                    if limit is not None and account.messages_sent + count > int(limit):
                        raise GatewayError(name)
                cost = job["charge_parts"] * count
                if account.balance < cost:
                    raise GatewayError("INSUFFICIENT_CREDIT")
                account.balance -= cost
                account.messages_sent += count
                job["cost"] = cost
                if job.get("scheduled_time") and job["scheduled_time"] > now:
                    job["status"] = "Pending"
                else:
                    job["status"] = "Completed"
                    job["processed"] = job["sent"] = count
            elif operation == "PauseBulkJob" and status in ("Pending", "Processing"):
                job["status"] = "Paused"
            elif operation == "RestartBulkJob" and status == "Paused":
                job["status"] = "Pending"
            elif operation == "AbortBulkJob" and status in ("Initialising", "Pending", "Paused"):
                self.accounts[_account_key(account.username)].balance += job["cost"]
                job["cost"] = 0
                job["status"] = "Aborted"
            else:
                raise GatewayError("INVALID_REQUEST")

    def bulkjob_set_status(self, job_id, status):
        """Control: puts a job into any status (for example Processing)."""
        if status not in self.BULKJOB_STATUSES:
            raise SeedError("unknown job status %r" % status)
        with self._lock:
            for job in self.jobs:
                if job["job_id"] == str(job_id) and job.get("service") == "bulkjob":
                    job["status"] = status
                    return copy.deepcopy(job)
            raise SeedError("no bulk job %r" % job_id)

    def _new_key(self, length):
        while True:
            key = secrets.token_hex(length // 2).upper()
            if key not in self.factors:
                return key
