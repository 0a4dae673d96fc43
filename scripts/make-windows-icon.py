#!/usr/bin/env python3
"""Packs the program's PNG icons (src/resources/icons/png, drawn from its SVG)
into the Windows icon src/resources/icons/KorvanSensorSetup.ico, which the
Windows executable carries as its resource. Each size is stored as its PNG,
unchanged (Windows Vista and later read PNG entries). Run it again after the
PNGs change; a test compares the two.
"""
import pathlib
import re
import struct
import sys

root = pathlib.Path(__file__).resolve().parent.parent
png_dir = root / "src/resources/icons/png"
out = root / "src/resources/icons/KorvanSensorSetup.ico"

entries = []
for path in png_dir.glob("KorvanSensorSetup-*.png"):
    m = re.fullmatch(r"KorvanSensorSetup-(\d+)\.png", path.name)
    if not m:
        continue
    size = int(m.group(1))
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path} is not a PNG file")
    width, height = struct.unpack(">II", data[16:24])
    if width != size or height != size:
        sys.exit(f"{path} is {width}x{height}, not {size}x{size}")
    if size > 256:
        sys.exit(f"{path}: an icon holds sizes up to 256")
    entries.append((size, data))
if not entries:
    sys.exit(f"no KorvanSensorSetup-N.png in {png_dir}")
entries.sort()

header = struct.pack("<HHH", 0, 1, len(entries))
offset = len(header) + 16 * len(entries)
directory = b""
images = b""
for size, data in entries:
    directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset + len(images))
    images += data
out.write_bytes(header + directory + images)
print(f"{out.relative_to(root)}: {len(entries)} sizes ({', '.join(str(s) for s, _ in entries)})")
