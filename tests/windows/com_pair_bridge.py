#!/usr/bin/env python3
"""Null-modem pairs of COM ports for the Windows window tests under Wine.

For each pair A:B, creates two pseudo-terminals, links their slave sides as
DOSDEVICES/comA and DOSDEVICES/comB (which makes them COMA and COMB inside
Wine) and carries every byte written to one port to the other, as a
null-modem cable (or com0com on Windows) does. The window tests' program
opens COMA; the simulator inside the same test process serves COMB.
What a side does not take is dropped, as on a wire. Prints "ready" on
standard output once every link exists; puts back a link that something
else has replaced; removes its links when terminated or when its lifetime
ends.
"""
import argparse
import errno
import os
import select
import signal
import sys
import time
import tty


class End:
    def __init__(self, link: str):
        self.master, self.slave = os.openpty()
        # Raw on both sides: no echo, no CR/LF translation, all byte values.
        tty.setraw(self.master)
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        # Holding the slave open keeps the master readable while no program
        # has the port open; otherwise it reports a hang-up.
        self.slave_path = os.ttyname(self.slave)
        self.link = link
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(self.slave_path, link)

    def keep_link(self) -> None:
        # Wine's mount manager links COM1 and up to the serial devices it
        # finds whenever a Wine server starts: the pair's link is put back.
        try:
            if os.path.islink(self.link) and os.readlink(self.link) == self.slave_path:
                return
            if os.path.lexists(self.link):
                os.remove(self.link)
            os.symlink(self.slave_path, self.link)
        except OSError:
            pass

    def remove_link(self) -> None:
        try:
            if os.path.islink(self.link) and os.readlink(self.link) == self.slave_path:
                os.remove(self.link)
        except OSError:
            pass


def parse_pair(text: str):
    a, sep, b = text.partition(":")
    if not sep or not a.isdigit() or not b.isdigit() or int(a) < 1 or int(b) < 1 or a == b:
        raise argparse.ArgumentTypeError(f"a pair is two different COM numbers as A:B, not {text!r}")
    return int(a), int(b)


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("dosdevices", help="the Wine prefix's dosdevices folder")
    parser.add_argument("pairs", nargs="+", type=parse_pair, help="COM number pairs as A:B")
    parser.add_argument("--lifetime", type=float, default=3600.0,
                        help="seconds after which the bridge ends by itself")
    args = parser.parse_args()

    ends = []
    other = {}
    try:
        for a, b in args.pairs:
            end_a = End(os.path.join(args.dosdevices, f"com{a}"))
            ends.append(end_a)
            end_b = End(os.path.join(args.dosdevices, f"com{b}"))
            ends.append(end_b)
            other[end_a.master] = end_b
            other[end_b.master] = end_a

        stopping = False

        def stop(_signum, _frame):
            nonlocal stopping
            stopping = True

        signal.signal(signal.SIGTERM, stop)
        signal.signal(signal.SIGINT, stop)

        print("ready", flush=True)
        deadline = time.monotonic() + args.lifetime
        masters = [e.master for e in ends]
        while not stopping and time.monotonic() < deadline:
            try:
                readable, _, _ = select.select(masters, [], [], 0.2)
            except InterruptedError:
                continue
            if not readable:
                for e in ends:
                    e.keep_link()
            for fd in readable:
                try:
                    data = os.read(fd, 4096)
                except BlockingIOError:
                    continue
                except OSError:
                    time.sleep(0.01)
                    continue
                to = other[fd].master
                while data:
                    try:
                        written = os.write(to, data)
                    except BlockingIOError:
                        break  # the far side's buffer is full: the rest is lost
                    except OSError as e:
                        if e.errno == errno.EINTR:
                            continue
                        break
                    data = data[written:]
    finally:
        for e in ends:
            e.remove_link()
    return 0


if __name__ == "__main__":
    sys.exit(main())
