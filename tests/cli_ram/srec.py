"""Motorola S-record files for the RAM load tests, the benchmark and the demo.

    s2_records(blocks) -> str      S0 header, S2 records of 32 bytes, S9 end; CR LF lines
    pattern(address, count) -> bytes
    ram_image(blocks) -> bytes     the board's 256 KiB RAM after loading the blocks
"""

RAM_BASE = 0x200000
RAM_SIZE = 0x40000
RECORD_BYTES = 32


def _record(kind, address_bytes, address, data):
    count = address_bytes + len(data) + 1
    body = bytes([count]) + address.to_bytes(address_bytes, "big") + data
    checksum = 0xFF - (sum(body) & 0xFF)
    return "S%d%s%02X" % (kind, body.hex().upper(), checksum)


def s2_records(blocks):
    """blocks: [(address, bytes), ...]"""
    lines = [_record(0, 2, 0, b"k470 test")]
    for address, data in blocks:
        for at in range(0, len(data), RECORD_BYTES):
            lines.append(_record(2, 3, address + at, data[at:at + RECORD_BYTES]))
    lines.append(_record(9, 2, 0, b""))
    return "\r\n".join(lines) + "\r\n"


def pattern(address, count):
    return bytes(((a * 7) ^ (a >> 8) ^ (a >> 13)) & 0xFF
                 for a in range(address, address + count))


def ram_image(blocks):
    ram = bytearray(b"\xff" * RAM_SIZE)
    for address, data in blocks:
        ram[address - RAM_BASE:address - RAM_BASE + len(data)] = data
    return bytes(ram)
