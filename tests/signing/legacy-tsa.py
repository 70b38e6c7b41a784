#!/usr/bin/env python3
"""A legacy Authenticode time-stamping server for the test PKI: answers each
POSTed request with a PKCS #7 SignedData whose signer becomes the
1.2.840.113549.1.9.6 counter-signature. The signing time is fixed.
Usage: legacy-tsa.py <pki dir> <port file> <utc time as YYMMDDhhmmssZ>"""
import base64
import hashlib
import http.server
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from der_build import der, oid  # noqa: E402


def elements(data):
    """(tag, whole element, contents) for each element of a DER run."""
    out, i = [], 0
    while i < len(data):
        tag, n, j = data[i], data[i + 1], i + 2
        if n & 0x80:
            k = n & 0x7F
            n = int.from_bytes(data[j:j + k], "big")
            j += k
        out.append((tag, data[i:j + n], data[j:j + n]))
        i = j + n
    return out


def issuer_and_serial(cert_der):
    tbs = elements(elements(elements(cert_der)[0][2])[0][2])
    fields = tbs[1:] if tbs[0][0] == 0xA0 else tbs  # skip [0] version
    return der(0x30, fields[2][1] + fields[0][1])     # issuer Name, serial INTEGER


def request_content(body):
    """The octet string inside the request's ContentInfo: the signer's encrypted digest."""
    req = elements(elements(base64.b64decode(body))[0][2])
    content_info = [e for e in req if e[0] == 0x30][-1]
    explicit = [e for e in elements(content_info[2]) if e[0] == 0xA0][0]
    return elements(explicit[2])[0][2]


def response(pki, when, blob):
    cert = open(os.path.join(pki, "tsa.der"), "rb").read()
    sha256 = der(0x30, oid("2.16.840.1.101.3.4.2.1") + der(0x05, b""))
    attrs = (der(0x30, oid("1.2.840.113549.1.9.3") + der(0x31, oid("1.2.840.113549.1.7.1"))) +
             der(0x30, oid("1.2.840.113549.1.9.5") + der(0x31, der(0x17, when.encode()))) +
             der(0x30, oid("1.2.840.113549.1.9.4") +
                 der(0x31, der(0x04, hashlib.sha256(blob).digest()))))
    signature = subprocess.run(
        ["openssl", "dgst", "-sha256", "-sign", os.path.join(pki, "tsa.key")],
        input=der(0x31, attrs), capture_output=True, check=True).stdout
    signer = der(0x30, der(0x02, b"\x01") + issuer_and_serial(cert) + sha256 + der(0xA0, attrs) +
                 der(0x30, oid("1.2.840.113549.1.1.1") + der(0x05, b"")) + der(0x04, signature))
    signed = der(0x30, der(0x02, b"\x01") + der(0x31, sha256) +
                 der(0x30, oid("1.2.840.113549.1.7.1") + der(0xA0, der(0x04, blob))) +
                 der(0xA0, cert) + der(0x31, signer))
    return der(0x30, oid("1.2.840.113549.1.7.2") + der(0xA0, signed))


def main():
    pki, port_file, when = sys.argv[1:4]

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            out = base64.b64encode(response(pki, when, request_content(body)))
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(out)))
            self.end_headers()
            self.wfile.write(out)

        def log_message(self, *args):
            pass

    srv = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(srv.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    srv.serve_forever()


if __name__ == "__main__":
    main()
