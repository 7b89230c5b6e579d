#!/usr/bin/env python3
"""Runs the gateway simulator: one or more server instances (for example
"primary" and "backup") that share one gateway state, each with an HTTP and
an HTTPS port on loopback. Prints one "listening" line when every port is
open and writes <state-dir>/<instance>.json for each instance."""

import argparse
import json
import os
import signal
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from gwsim.gateway import GatewayState, SeedError  # noqa: E402
from gwsim.server import Instance, make_server_tls_context  # noqa: E402


def parse_account(text):
    """"user:password[:balance]" as a seed entry."""
    pieces = text.split(":")
    if len(pieces) not in (2, 3) or not pieces[0]:
        raise argparse.ArgumentTypeError("expected USER:PASSWORD[:BALANCE], got %r" % text)
    entry = {"username": pieces[0], "password": pieces[1]}
    if len(pieces) == 3:
        try:
            entry["balance"] = int(pieces[2])
        except ValueError:
            raise argparse.ArgumentTypeError("balance must be a number in %r" % text)
    return entry


def load_seed(args):
    seed = {"accounts": [], "settings": {}}
    if args.accounts:
        with open(args.accounts, encoding="utf-8") as file:
            loaded = json.load(file)
        seed["accounts"].extend(loaded.get("accounts", []))
        seed["settings"].update(loaded.get("settings", {}))
    seed["accounts"].extend(args.account or [])
    return seed


def write_json_atomically(path, value):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8") as file:
        json.dump(value, file, indent=1)
    os.replace(temporary, path)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--instance", action="append", dest="instances",
                        help="instance name (repeat for more; default: primary)")
    parser.add_argument("--state-dir", help="folder for <instance>.json and the request logs")
    parser.add_argument("--cert", help="server certificate (PEM) for the HTTPS ports")
    parser.add_argument("--key", help="server certificate's private key (PEM)")
    parser.add_argument("--ca", help="CA certificate recorded in the state files")
    parser.add_argument("--accounts", help="seed file: {\"accounts\": [...], \"settings\": {...}}")
    parser.add_argument("--account", action="append", type=parse_account,
                        help="seed account USER:PASSWORD[:BALANCE] (repeatable)")
    args = parser.parse_args(argv)
    if bool(args.cert) != bool(args.key):
        parser.error("--cert and --key go together")
    instances_names = args.instances or ["primary"]
    if len(set(instances_names)) != len(instances_names):
        parser.error("instance names must differ")

    try:
        gateway = GatewayState(load_seed(args))
    except (OSError, ValueError, SeedError) as error:
        parser.error("cannot seed the gateway: %s" % error)
    tls_context = make_server_tls_context(args.cert, args.key) if args.cert else None
    if args.state_dir:
        os.makedirs(args.state_dir, exist_ok=True)

    instances = []
    for name in instances_names:
        log_path = os.path.join(args.state_dir, name + ".requests.jsonl") if args.state_dir else None
        instance = Instance(name, gateway, tls_context, log_path,
                            os.path.abspath(args.ca) if args.ca else None)
        instance.start()
        instances.append(instance)

    state_paths = []
    if args.state_dir:
        for instance in instances:
            path = os.path.join(args.state_dir, instance.name + ".json")
            write_json_atomically(path, instance.describe())
            state_paths.append(path)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    print("gateway simulator listening: " + ", ".join(
        "%s http=%s https=%s" % (i.name, i.ports.get("http"), i.ports.get("https", "-"))
        for i in instances), flush=True)
    while not stop.wait(1.0):
        pass
    for instance in instances:
        instance.stop()
    for path in state_paths:
        try:
            os.remove(path)
        except OSError:
            pass
    print("gateway simulator stopped", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
