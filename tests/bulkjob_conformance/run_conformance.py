#!/usr/bin/env python3
"""Conformance of the bulk-job client with a SOAP implementation nobody here
wrote: the npm "soap" package serves the service from our WSDL (HTTPS, with
the gateway simulator's test certificate, whose CA the Wine prefix trusts),
the Wine-run client calls every operation, and every request body the client
wrote is checked with `xmllint --schema` against the WSDL's schema.

Known deviation, kept on both sides: the schema requires ScheduledDate in
BulkJobDetails, and the client leaves it out when a message goes at once. A
new job without a schedule must therefore fail validation on exactly that
element; every other request must validate.

    run_conformance.py --soap-module DIR --wsdl FILE --tls DIR --client EXE
                       --wine-run SCRIPT --work DIR
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time
import xml.dom.minidom

HERE = os.path.dirname(os.path.abspath(__file__))
SOAP12 = "http://www.w3.org/2003/05/soap-envelope"
XSD = "http://www.w3.org/2001/XMLSchema"
WSDL_NS = "http://schemas.xmlsoap.org/wsdl/"
OPERATIONS = ("CreateSMSTextBulkJob", "AppendRecipients", "SetBulkJobReady", "PauseBulkJob",
              "RestartBulkJob", "AbortBulkJob", "GetBulkJobStatus")


def write_schema(wsdl_path, schema_path):
    """The WSDL's schema as a document of its own, with the namespace
    declarations it inherits from the WSDL."""
    document = xml.dom.minidom.parse(wsdl_path)
    definitions = document.documentElement
    schema = document.getElementsByTagNameNS(XSD, "schema")[0]
    for name, value in definitions.attributes.items():
        if name.startswith("xmlns:") and not schema.hasAttribute(name):
            schema.setAttribute(name, value)
    with open(schema_path, "w", encoding="utf-8") as file:
        file.write(schema.toxml())


def body_element(request_path, element_path):
    """The request's operation element (the body's child) as a document of
    its own, with the envelope's namespace declarations; its local name."""
    document = xml.dom.minidom.parse(request_path)
    envelope = document.documentElement
    if envelope.namespaceURI != SOAP12 or envelope.localName != "Envelope":
        raise AssertionError("%s: no SOAP 1.2 envelope" % request_path)
    body = [n for n in envelope.childNodes if n.nodeType == n.ELEMENT_NODE and n.localName == "Body"][0]
    element = [n for n in body.childNodes if n.nodeType == n.ELEMENT_NODE][0]
    for name, value in envelope.attributes.items():
        if name.startswith("xmlns:") and not element.hasAttribute(name):
            element.setAttribute(name, value)
    with open(element_path, "w", encoding="utf-8") as file:
        file.write('<?xml version="1.0" encoding="UTF-8"?>\n' + element.toxml())
    return element.localName, element.toxml()


def validate(schema_path, element_path):
    result = subprocess.run(["xmllint", "--noout", "--schema", schema_path, element_path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode, result.stdout


def start_peer(args, folder):
    peer = subprocess.Popen(
        ["node", os.path.join(HERE, "soap_peer.js"), os.path.join(args.soap_module, "soap"), args.wsdl,
         os.path.join(args.tls, "server.pem"), os.path.join(args.tls, "server.key"), folder],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    state = os.path.join(folder, "peer.json")
    deadline = time.time() + 30
    while not os.path.exists(state):
        if peer.poll() is not None or time.time() > deadline:
            peer.kill()
            raise AssertionError("the soap peer did not start:\n" + (peer.stdout.read() or ""))
        time.sleep(0.1)
    with open(state, encoding="utf-8") as file:
        return peer, json.load(file)["port"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--soap-module", required=True, help="node_modules folder holding soap")
    parser.add_argument("--wsdl", required=True)
    parser.add_argument("--tls", required=True, help="folder of the simulator's server.pem and server.key")
    parser.add_argument("--client", required=True, help="the conformance client executable")
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    schema_path = os.path.join(args.work, "bulkjob.xsd")
    write_schema(args.wsdl, schema_path)

    peer, port = start_peer(args, args.work)
    try:
        environment = dict(os.environ, ZENTAVOSMS_GATEWAY_BULKJOB_URL="https://localhost:%d" % port)
        client = subprocess.run([args.wine_run, args.client], env=environment, timeout=300)
    finally:
        peer.terminate()
        peer.wait(timeout=10)
    failures = []
    if client.returncode != 0:
        failures.append("the client failed (exit %d)" % client.returncode)

    requests_folder = os.path.join(args.work, "requests")
    names = sorted(os.listdir(requests_folder)) if os.path.isdir(requests_folder) else []
    seen = set()
    creates = {"with schedule": 0, "without schedule": 0}
    for name in names:
        request_path = os.path.join(requests_folder, name)
        element_path = os.path.join(args.work, name.replace(".xml", ".body.xml"))
        try:
            operation, text = body_element(request_path, element_path)
        except (AssertionError, IndexError, xml.parsers.expat.ExpatError) as error:
            failures.append("%s: %s" % (name, error))
            continue
        seen.add(operation)
        status, output = validate(schema_path, element_path)
        if operation == "CreateSMSTextBulkJob" and "ScheduledDate" not in text:
            creates["without schedule"] += 1
            # The known deviation: invalid, and only for the missing schedule.
            errors = [line for line in output.splitlines() if "error" in line.lower()]
            if status == 0 or len(errors) != 1 or "ScheduledDate" not in errors[0]:
                failures.append("%s: expected exactly the missing ScheduledDate, got:\n%s" % (name, output))
            else:
                print("%s: known deviation: %s" % (name, errors[0]))
            continue
        if operation == "CreateSMSTextBulkJob":
            creates["with schedule"] += 1
        if status != 0:
            failures.append("%s does not validate:\n%s" % (name, output))
        else:
            print("%s: valid" % name)
    missing = [op for op in OPERATIONS if op not in seen]
    if missing:
        failures.append("no request of: " + ", ".join(missing))
    if 0 in creates.values():
        failures.append("expected new jobs with and without a schedule, got %r" % creates)

    for failure in failures:
        print("FAILED: " + failure)
    print("%d requests checked, %d failures" % (len(names), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
