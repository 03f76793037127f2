"""Motorola S-record files for the tests, the benchmarks and the demo.

    record(kind, address, data) -> str   one record line, without its line end
    records(kind, address, data, per_record=32) -> [str]   data records over the bytes
    s2_records(blocks) -> str      S0 header, S2 records of 32 bytes, S9 end; CR LF lines
    pattern(address, count) -> bytes
    ram_image(blocks) -> bytes     the board's 256 KiB RAM after loading the blocks
"""

RAM_BASE = 0x200000
RAM_SIZE = 0x40000
RECORD_BYTES = 32
ADDRESS_BYTES = {0: 2, 1: 2, 5: 2, 9: 2, 2: 3, 8: 3, 3: 4, 7: 4}  # by the record's kind


def record(kind, address, data):
    count = ADDRESS_BYTES[kind] + len(data) + 1
    body = bytes([count]) + address.to_bytes(ADDRESS_BYTES[kind], "big") + bytes(data)
    checksum = 0xFF - (sum(body) & 0xFF)
    return "S%d%s%02X" % (kind, body.hex().upper(), checksum)


def records(kind, address, data, per_record=RECORD_BYTES):
    return [record(kind, address + at, data[at:at + per_record])
            for at in range(0, len(data), per_record)]


def s2_records(blocks):
    """blocks: [(address, bytes), ...]"""
    lines = [record(0, 0, b"k470 test")]
    for address, data in blocks:
        lines += records(2, address, data)
    lines.append(record(9, 0, b""))
    return "\r\n".join(lines) + "\r\n"


def pattern(address, count):
    return bytes(((a * 7) ^ (a >> 8) ^ (a >> 13)) & 0xFF
                 for a in range(address, address + count))


def ram_image(blocks):
    ram = bytearray(b"\xff" * RAM_SIZE)
    for address, data in blocks:
        ram[address - RAM_BASE:address - RAM_BASE + len(data)] = data
    return bytes(ram)
