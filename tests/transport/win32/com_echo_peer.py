#!/usr/bin/env python3
"""The far end of a COM port for the Windows connector tests under Wine.

Creates a pseudo-terminal, links its slave side as LINK (for example
$WINEPREFIX/dosdevices/com7, which makes it COM7 inside Wine) and sends every
byte that arrives back unchanged, until it is terminated or its lifetime ends.
Prints "ready" on standard output once the link exists.
"""
import argparse
import os
import select
import signal
import sys
import time
import tty


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("link", help="path of the link to create for the slave side")
    parser.add_argument("--lifetime", type=float, default=900.0,
                        help="seconds after which the peer ends by itself")
    args = parser.parse_args()

    master, slave = os.openpty()
    # Raw on both sides: no echo by the line discipline (the peer would answer
    # its own echo for ever), no CR/LF translation, all 256 byte values pass.
    tty.setraw(master)
    tty.setraw(slave)
    # Holding the slave open keeps the master readable while no program has
    # the port open between tests; otherwise it reports a hang-up.
    slave_path = os.ttyname(slave)

    if os.path.lexists(args.link):
        os.remove(args.link)
    os.symlink(slave_path, args.link)

    stopping = False

    def stop(_signum, _frame):
        nonlocal stopping
        stopping = True

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    print("ready", flush=True)
    deadline = time.monotonic() + args.lifetime
    try:
        while not stopping and time.monotonic() < deadline:
            try:
                readable, _, _ = select.select([master], [], [], 0.2)
            except InterruptedError:
                continue
            if not readable:
                continue
            try:
                data = os.read(master, 4096)
            except OSError:
                time.sleep(0.05)
                continue
            while data:
                written = os.write(master, data)
                data = data[written:]
    finally:
        try:
            if os.path.islink(args.link) and os.readlink(args.link) == slave_path:
                os.remove(args.link)
        except OSError:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
