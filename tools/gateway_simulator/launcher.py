#!/usr/bin/env python3
"""Starts the gateway simulator in the background for a test run, and stops
it again.

  launcher.py start --dir DIR [--accounts FILE] [--instance NAME ...]
      makes the test CA in DIR/tls (kept across runs), starts one simulator
      process with the instances (default: primary and backup), waits for
      its "listening" line and returns; DIR/<instance>.json then describe
      the instances.
  launcher.py stop --dir DIR
      stops the simulator that `start` left running for DIR.

The simulator's standard streams go to DIR/simulator.out, never to the
caller's: CTest waits for every process that holds its output pipe."""

import argparse
import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gwsim.tls import CA_CERT, SERVER_CERT, SERVER_KEY, ensure_test_ca  # noqa: E402

PROGRAM = os.path.join(HERE, "gateway_simulator.py")
START_TIMEOUT_SECONDS = 30
STOP_TIMEOUT_SECONDS = 10


def _pid_file(folder):
    return os.path.join(folder, "simulator.pid")


def _running_simulator(folder):
    """The pid recorded for the folder when that process is still our
    simulator (a recycled pid is left alone)."""
    try:
        with open(_pid_file(folder)) as file:
            pid = int(file.read().strip())
        with open("/proc/%d/cmdline" % pid, "rb") as file:
            command_line = file.read()
    except (OSError, ValueError):
        return None
    return pid if PROGRAM.encode() in command_line else None


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie child still answers the signal; look at its state.
    try:
        with open("/proc/%d/stat" % pid) as file:
            return file.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def stop(folder):
    pid = _running_simulator(folder)
    if pid is not None:
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + STOP_TIMEOUT_SECONDS
        while _alive(pid) and time.monotonic() < deadline:
            time.sleep(0.1)
        if _alive(pid):
            os.kill(pid, signal.SIGKILL)
        print("gateway simulator %d stopped" % pid)
    else:
        print("no gateway simulator running for %s" % folder)
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        if name == "simulator.pid" or name.endswith(".json"):
            os.remove(os.path.join(folder, name))
    return 0


def start(folder, accounts, instances):
    os.makedirs(folder, exist_ok=True)
    stop(folder)
    tls = ensure_test_ca(os.path.join(folder, "tls"))
    output_path = os.path.join(folder, "simulator.out")
    command = [sys.executable, PROGRAM, "--state-dir", folder,
               "--cert", tls[SERVER_CERT], "--key", tls[SERVER_KEY], "--ca", tls[CA_CERT]]
    if accounts:
        command += ["--accounts", accounts]
    for name in instances:
        command += ["--instance", name]
    with open(output_path, "wb") as output:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output,
                                   stderr=subprocess.STDOUT, close_fds=True,
                                   start_new_session=True)
    with open(_pid_file(folder), "w") as file:
        file.write("%d\n" % process.pid)

    deadline = time.monotonic() + START_TIMEOUT_SECONDS
    while time.monotonic() < deadline:
        with open(output_path, "rb") as output:
            text = output.read().decode("utf-8", "replace")
        for line in text.splitlines():
            if "listening" in line:
                print(line)
                return 0
        if process.poll() is not None:
            sys.stderr.write("gateway simulator exited with %d:\n%s" % (process.returncode, text))
            return 1
        time.sleep(0.05)
    sys.stderr.write("gateway simulator did not start in %d s:\n%s" % (START_TIMEOUT_SECONDS, text))
    stop(folder)
    return 1


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("action", choices=("start", "stop"))
    parser.add_argument("--dir", required=True, help="folder of the state files")
    parser.add_argument("--accounts", help="seed file for the accounts")
    parser.add_argument("--instance", action="append", dest="instances")
    args = parser.parse_args(argv)
    folder = os.path.abspath(args.dir)
    if args.action == "stop":
        return stop(folder)
    return start(folder, args.accounts, args.instances or ["primary", "backup"])


if __name__ == "__main__":
    sys.exit(main())
