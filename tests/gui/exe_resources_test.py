"""The built K470Loader.exe's manifest (DPI awareness, supported systems) and icon sizes.

Usage: exe_resources_test.py K470Loader.exe"""

import re
import struct
import sys

RT_GROUP_ICON, RT_MANIFEST = 14, 24
ICON_ID = 128
WANTED_ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
SUPPORTED_OS = {
    "Windows 7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "Windows 8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "Windows 8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "Windows 10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


def resources(image):
    """{(type, name): data} of the image's resource section (first language of each)."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise AssertionError("not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        _, size, rva, raw_size, raw = struct.unpack_from("<8sIIII", image, table + 40 * i)
        if rva <= rsrc_rva < rva + max(size, raw_size):
            base = raw + rsrc_rva - rva
            delta = rva - raw
            break
    else:
        raise AssertionError("no resource section")

    def entries(offset):
        named, numbered = struct.unpack_from("<12xHH", image, base + offset)
        for k in range(named + numbered):
            name, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * k)
            yield name, target

    found = {}
    for rtype, t in entries(0):
        for name, n in entries(t & 0x7FFFFFFF):
            _, leaf = next(entries(n & 0x7FFFFFFF))
            data_rva, length = struct.unpack_from("<II", image, base + leaf)
            found[(rtype, name)] = image[data_rva - delta:data_rva - delta + length]
    return found


def main():
    with open(sys.argv[1], "rb") as f:
        found = resources(f.read())
    problems = []

    manifests = [data for (rtype, _), data in found.items() if rtype == RT_MANIFEST]
    manifest = manifests[0].decode("utf-8") if manifests else ""
    awareness = re.search(r"<dpiAwareness[^>]*>([^<]*)</dpiAwareness>", manifest)
    modes = [m.strip().lower() for m in awareness.group(1).split(",")] if awareness else []
    if modes[:1] != ["permonitorv2"] or "system" not in modes:
        problems.append("dpiAwareness is %r, not PerMonitorV2 then System" % modes)
    aware = re.search(r"<dpiAware[^>]*>([^<]*)</dpiAware>", manifest)
    if not aware or aware.group(1).strip().lower() != "true":
        problems.append("dpiAware (the systems before Windows 10) is not true")
    for system, guid in SUPPORTED_OS.items():
        if ('supportedOS Id="%s"' % guid) not in manifest:
            problems.append("%s not among the supported systems" % system)

    group = found.get((RT_GROUP_ICON, ICON_ID), b"")
    count = struct.unpack_from("<H", group, 4)[0] if len(group) >= 6 else 0
    sizes = sorted((group[6 + 14 * i] or 256) for i in range(count))
    if sizes != WANTED_ICON_SIZES:
        problems.append("icon sizes %r, want %r" % (sizes, WANTED_ICON_SIZES))

    if problems:
        raise AssertionError("\n".join(problems))
    print("manifest and icon: passed")


if __name__ == "__main__":
    main()
