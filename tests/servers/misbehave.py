#!/usr/bin/env python3
"""A small HTTP server that misbehaves on purpose, for the launcher's download tests.

Paths (N = content length, K = bytes to send before misbehaving):
  /ok/N            body of N pattern bytes; honours "Range: bytes=a-" with 206
  /cut/N/K         like /ok/N but the connection closes after K body bytes
  /chunked         200, chunked, no Content-Length
  /404, /500       that status with a small body
  /range200/N      answers a Range request with 200 and the whole body
  /badrange/N      answers a Range request with 206 and a Content-Range one byte off
  /stall/N/K       sends K bytes, then nothing until the server stops
Every request's raw head goes to <dir>/last_request.txt, and its request line
is appended to <dir>/requests.log.
Usage: misbehave.py <dir>  (writes <dir>/port once listening)
"""
import os
import re
import socket
import sys
import threading
import time

LOG_LOCK = threading.Lock()


def pattern(n):
    return bytes((i * 7 + i // 256) % 251 for i in range(n))


def read_head(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None
        data += chunk
        if len(data) > 65536:
            return None
    return data[: data.index(b"\r\n\r\n") + 4]


def reply(conn, status, headers, body):
    head = "HTTP/1.1 %s\r\n" % status
    for k, v in headers:
        head += "%s: %s\r\n" % (k, v)
    conn.sendall(head.encode() + b"\r\n" + body)


def handle(conn, folder):
    try:
        head = read_head(conn)
        if head is None:
            return
        with open(os.path.join(folder, "last_request.txt"), "wb") as f:
            f.write(head)
        line = head.split(b"\r\n", 1)[0].decode("latin-1")
        with LOG_LOCK, open(os.path.join(folder, "requests.log"), "a") as f:
            f.write(line + "\n")
        path = line.split(" ")[1] if len(line.split(" ")) > 1 else "/"
        m = re.search(rb"\r\nRange: bytes=(\d+)-", head)
        start = int(m.group(1)) if m else None
        parts = path.strip("/").split("/")
        kind = parts[0]
        nums = [int(p) for p in parts[1:] if p.isdigit()]
        if kind in ("ok", "cut", "stall") and nums:
            body = pattern(nums[0])
            if start is not None and start <= len(body):
                status = "206 Partial Content"
                extra = [("Content-Range", "bytes %d-%d/%d" % (start, len(body) - 1, len(body)))]
                body = body[start:]
            else:
                status, extra = "200 OK", []
            hdrs = [("Content-Length", str(len(body))), ("Connection", "close")] + extra
            if kind == "ok":
                reply(conn, status, hdrs, body)
            elif kind == "cut":
                reply(conn, status, hdrs, body[: nums[1]])
            else:
                reply(conn, status, hdrs, body[: nums[1]])
                time.sleep(3600)
        elif kind in ("text", "textcut") and nums:
            # /text/N: N bytes of patch-list lines; /textcut/N/M: N declared, M sent.
            body = (b"#apkver 1.0.15\n" * (nums[0] // 15 + 1))[: nums[0]]
            sent = body[: nums[1]] if kind == "textcut" else body
            reply(conn, "200 OK", [("Content-Length", str(len(body))), ("Connection", "close")],
                  sent)
        elif kind == "chunked":
            body = b"#apkver 1.0.5\n"
            conn.sendall(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                         + b"%x\r\n" % len(body) + body + b"\r\n0\r\n\r\n")
        elif kind in ("404", "500"):
            reply(conn, kind + " Nope", [("Content-Length", "4"), ("Connection", "close")], b"nope")
        elif kind == "range200" and nums:
            body = pattern(nums[0])
            reply(conn, "200 OK", [("Content-Length", str(len(body))), ("Connection", "close")], body)
        elif kind == "badrange" and nums:
            body = pattern(nums[0])
            s = (start or 0) + 1
            reply(conn, "206 Partial Content",
                  [("Content-Length", str(len(body) - s)), ("Connection", "close"),
                   ("Content-Range", "bytes %d-%d/%d" % (s, len(body) - 1, len(body)))], body[s:])
        else:
            reply(conn, "404 Not Found", [("Content-Length", "0"), ("Connection", "close")], b"")
    except OSError:
        pass
    finally:
        conn.close()


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    srv = socket.socket()
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", 0))
    srv.listen(16)
    with open(os.path.join(folder, "port.tmp"), "w") as f:
        f.write(str(srv.getsockname()[1]))
    os.rename(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))
    while True:
        conn, _ = srv.accept()
        threading.Thread(target=handle, args=(conn, folder), daemon=True).start()


if __name__ == "__main__":
    main()
