#!/usr/bin/env python3
"""Writes the fuzzers' seed inputs into <dir>/<fuzzer>/: one well-formed input
of each kind, so the runs start from the interesting structure.
Usage: make_seeds.py <dir>"""
import io
import os
import struct
import sys
import zipfile

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from der_build import der, oid  # noqa: E402


def token():
    tst = der(0x30, der(0x02, b"\x01") + oid("1.2.3.4") +
              der(0x30, der(0x30, oid("2.16.840.1.101.3.4.2.1")) + der(0x04, bytes(32))) +
              der(0x02, b"\x05") + der(0x18, b"20261210081500.123Z"))
    encap = der(0x30, oid("1.2.840.113549.1.9.16.1.4") + der(0xA0, der(0x04, tst)))
    signed = der(0x30, der(0x02, b"\x03") + der(0x31, b"") + encap + der(0x31, b""))
    return der(0x30, oid("1.2.840.113549.1.7.2") + der(0xA0, signed))


def package():
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        z.writestr("Kx/", b"")
        z.writestr("Kx/res/", b"")
        z.writestr(zipfile.ZipInfo("Kx/version.ini"), b"2.5.2\r\n")
        z.writestr("Kx/res/a.bin", bytes(range(256)) * 8, compress_type=zipfile.ZIP_DEFLATED)
    return buf.getvalue()


def wide(selector, text):
    return bytes([selector]) + text.encode("utf-16-le")


def payload(*parts):
    return b"".join(parts)


seeds = {
    "copy_data_fuzzer": {
        "progress": b"\x04\x03",
        "speed": struct.pack("<III", 1000, 5000, 90000),
        "notify": struct.pack("<I", 5) + "hello".encode("utf-16-le"),
        "client": struct.pack("<iii", 0x1234, 77, 1),
    },
    "timestamp_token_fuzzer": {"token": token()},
    "launcher_text_fuzzer": {
        "normal": wide(0, "__KX_LAUNCH_NORMAL__ 1234 5678 960 640 http://u/list a@1@b@2"),
        "patch": wide(1, "#apkver 1.0.5\n#miniver 1.0.4\n#httpurl http://h/p\nKX 1.0.5 100 x\n"),
        "url": wide(2, "http://127.0.0.1:8080\\dir\\KX-1.0.5.zip"),
        "range": wide(3, "bytes 300-999/1000"),
    },
    "zip_file_fuzzer": {"package": package()},
    "page_text_fuzzer": {
        "event": b"eventType:OnLogin,code:abc,clientType:2",
        "script": "x');alert('1')</script>\\\n\u2028\u4f60".encode("utf-8"),
    },
}

root = sys.argv[1]
for fuzzer, files in seeds.items():
    os.makedirs(os.path.join(root, fuzzer), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(root, fuzzer, name), "wb") as f:
            f.write(data)
