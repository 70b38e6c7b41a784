#!/usr/bin/env python3
"""Sets up the real chain of the end-to-end demo (tools/demo/kxdemo.py) for the
page: the sample game packed with kxpack and served by a private nginx, a Wine
prefix that trusts the test root with the signed KXLaunch.exe in its system32.
Prints one JSON line with what the page run needs, keeps it all up until its
standard input closes, then takes it down.

  real_chain.py --work DIR [--size-mb N]
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "demo"))
import kxdemo  # noqa: E402


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--work", required=True)
    p.add_argument("--build", default=os.path.join(REPO, "build", "win64"))
    p.add_argument("--native-build", default=os.path.join(REPO, "build", "native"))
    p.add_argument("--size-mb", type=int, default=8)
    args = p.parse_args()
    # kxdemo talks on stdout; the JSON line must be the only thing there.
    out = sys.stdout
    sys.stdout = sys.stderr
    chain = kxdemo.Chain(args.work, args.build, args.native_build)
    try:
        os.makedirs(chain.work, exist_ok=True)
        if not os.path.exists(os.path.join(chain.pki, "corvane.key")):
            subprocess.run(["bash", os.path.join(REPO, "tests/signing/make-pki.sh"), chain.pki],
                           check=True, stdout=subprocess.DEVNULL)
        chain.make_game(args.size_mb)
        chain.start_server()
        chain.publish(chain.port)
        chain.start_wine()
        shutil.rmtree(chain.cache, ignore_errors=True)
        out.write(json.dumps({
            "env": {k: chain.env[k] for k in ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "KX_WINE_DIR")},
            "gameUpdateUrl": "http://127.0.0.1:%s/kx_patchlist_win32" % chain.port,
            "extParam": "LocalDir@%s" % kxdemo.winpath(chain.cache),
            "gameLog": os.path.join(chain.cache, "Kx", "kxmain.log"),
        }) + "\n")
        out.flush()
        sys.stdin.read()
    finally:
        chain.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
