"""The test certificate authority and the server certificate for
"localhost", made with the openssl command. Wine does not match IP-address
names, so the certificate names the host only."""

import os
import subprocess

CA_CERT = "ca.pem"
CA_KEY = "ca.key"
SERVER_CERT = "server.pem"
SERVER_KEY = "server.key"

_SERVER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid, issuer
"""


def _openssl(*args, cwd):
    subprocess.run(("openssl",) + args, cwd=cwd, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _valid_for(cert_path, seconds, cwd):
    result = subprocess.run(("openssl", "x509", "-checkend", str(seconds), "-noout", "-in", cert_path),
                            cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    return result.returncode == 0


def ensure_test_ca(folder):
    """Makes the CA and the server certificate in `folder` unless they are
    there and valid for at least another day; returns the four paths. The
    CA is kept across runs so that the trust store of a Wine prefix is not
    filled with a new one each time."""
    os.makedirs(folder, exist_ok=True)
    paths = {name: os.path.join(folder, name) for name in (CA_CERT, CA_KEY, SERVER_CERT, SERVER_KEY)}
    if all(os.path.exists(p) for p in paths.values()) and \
            _valid_for(paths[SERVER_CERT], 86400, folder) and _valid_for(paths[CA_CERT], 86400, folder):
        return paths
    if not (os.path.exists(paths[CA_CERT]) and os.path.exists(paths[CA_KEY]) and
            _valid_for(paths[CA_CERT], 86400 * 30, folder)):
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3650",
                 "-subj", "/CN=ZentavoSMS Test CA", "-keyout", CA_KEY, "-out", CA_CERT,
                 "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                 "-addext", "subjectKeyIdentifier=hash", cwd=folder)
    with open(os.path.join(folder, "server.ext"), "w") as file:
        file.write(_SERVER_EXTENSIONS)
    _openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-sha256", "-subj", "/CN=localhost",
             "-keyout", SERVER_KEY, "-out", "server.csr", cwd=folder)
    _openssl("x509", "-req", "-in", "server.csr", "-CA", CA_CERT, "-CAkey", CA_KEY,
             "-CAcreateserial", "-days", "825", "-sha256", "-extfile", "server.ext",
             "-out", SERVER_CERT, cwd=folder)
    return paths
