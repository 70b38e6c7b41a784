#!/usr/bin/env python3
"""local_tsa.py <tsa.pem> <tsa.key> <chain.pem>: an RFC 3161 time-stamp server
on 127.0.0.1 for the release-signing test. Prints its port, then answers each
POSTed TimeStampReq with `openssl ts -reply` until its standard input closes."""
import http.server
import os
import subprocess
import sys
import tempfile
import threading

CONFIG = """[ tsa ]
default_tsa = kx_tsa
[ kx_tsa ]
serial = {dir}/serial
crypto_device = builtin
signer_cert = {cert}
signer_key = {key}
certs = {chain}
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha1
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def main():
    cert, key, chain = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="kx-tsa-")
    with open(os.path.join(work, "serial"), "w") as f:
        f.write("01\n")
    config = os.path.join(work, "tsa.cnf")
    with open(config, "w") as f:
        f.write(CONFIG.format(dir=work, cert=cert, key=key, chain=chain))

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            if length <= 0 or length > 65536:
                self.send_error(400)
                return
            query = os.path.join(work, "query.tsq")
            reply = os.path.join(work, "reply.tsr")
            with open(query, "wb") as q:
                q.write(self.rfile.read(length))
            done = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile",
                                   query, "-out", reply], capture_output=True)
            if done.returncode != 0:
                sys.stderr.write(done.stderr.decode(errors="replace"))
                self.send_error(500)
                return
            with open(reply, "rb") as r:
                body = r.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    sys.stdin.read()
    server.shutdown()


if __name__ == "__main__":
    main()
