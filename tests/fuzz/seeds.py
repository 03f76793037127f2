#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/ (run from anywhere).

The seeds are small: the sample and simulator images, the device table, INI files of the
settings tests, and the replies of the boot and monitor golden transcripts in the fuzz
targets' input form (a first byte that picks the driver or job, then replies, each a
length byte and that many bytes).
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import srec  # noqa: E402


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def copy(target, name, path):
    with open(os.path.join(ROOT, path), "rb") as f:
        put(target, name, f.read())


def record(kind, address, data):
    return srec.record(kind, address, data) + "\r\n"


def replies(first, *parts):
    out = bytearray([first])
    for part in parts:
        out.append(len(part))
        out.extend(part)
    return bytes(out)


# S-record reader: the simulator's write-control program, the first lines of the sample,
# each record type, a record across the RAM window's base and one at the top of memory.
copy("mot", "sim_write_control.mot", "flash/data/sim-write-control.mot")
with open(os.path.join(ROOT, "tools/samples/sample.mot"), "rb") as f:
    put("mot", "sample_head.mot", b"".join(f.read().splitlines(True)[:12]))
put("mot", "records.mot", "S00600004844521B\r\n" + record(1, 0xF780, [1, 2, 3, 4]) +
    record(2, 0x1FFFF0, list(range(32))) + record(3, 0x00200010, [9, 8, 7, 6]) +
    "S5030003F9\r\nS9030000FC\r\n")
put("mot", "top.mot", record(3, 0xFFFFFFF0, list(range(16))) + "S70500000000FA\n")
put("mot", "bad_checksum.mot", "S1070000010203040\nS9030000FC")

# INI files: settings files, the device table, letter case, blanks and Shift-JIS.
put("ini", "settings.ini", "[System]\r\nPort=3\r\nRate=38400\r\n\r\n[RamLoad]\r\nAddress=200000\r\n"
    "[Option]\r\nRunApp=1\r\nRunAppName=C:\\x.exe\r\nAutoDisConnect=1\r\n"
    "[History]\r\nname1=C:\\\x83\x65\x83\x58\x83\x67\\a.mot\r\nname10=j\r\n")
put("ini", "comments.ini", "; settings\r\n[System]\r\n  ; note\r\nCom=3\r\nOther=x y\r\n\r\n[Tail]\r\nCom=9\r\n")
put("ini", "lettercase.ini", "[system]\r\nport=5\r\n[OPTION]\r\nrunappname=1\r\n")
put("ini", "lineends.ini", "top=0\n[A]\na=1\n\n[B]\rb=2\r[C]\r\nc=3\n\rd=4\r\n\r\ne=5")
put("ini", "headers.ini", "[  X  ]\r\na=1\r\n[Z]abc\r\nc=3\r\n[Q]a]\r\nd=4\r\n[]\r\nf=6\r\n"
    "  [V] ; c\r\ng=7\r\n[W\r\nw=1\r\n")
put("ini", "sjis.ini", "[S]\r\np=C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.mot\r\nfw=\x81\x40v\x81\x40\r\n"
    "\x83\x41=k\r\n[\x95\x5C]\r\nz=1\r\n")
copy("ini", "fw.dat", "flash/data/fw.dat")

# Device tables: the shipped one, gaps in the list, a section without a name.
copy("devtable", "fw.dat", "flash/data/fw.dat")
put("devtable", "gaps.dat", "[Type]\r\nType1=A\r\nType3=B\r\nType25=C\r\n[A]\r\nName=H8/3069 ; board A\r\n"
    "Id=0\r\nClk=19.6608\r\nRomSize=524288\r\n[B]\r\nName=\x83\x65\x83\x58\x83\x67\r\nId=1\r\nClk=700\r\n")
put("devtable", "noname.dat", "[Type]\r\nType0=A\r\nType1=B\r\n[A]\r\nName=a\r\n[B]\r\nId=1\r\n")

# Boot drivers: a whole write answered as the chips do (the golden transcripts' replies),
# and an error reply. H8/3069: 0x00, 0xE6, then one ACK for each command.
ACK = b"\x06"
h8_3069 = [b"\x00", b"\xE6", ACK,
           b"", b"", b"", ACK,          # device selection: command, size, code, sum
           ACK, b"", b"", b"", ACK,     # clock mode inquiry and selection
           ACK, ACK,                    # multiplier and frequency inquiries
           b"", b"", b"", ACK,          # new bit rate
           ACK, ACK,                    # confirmation, programming state
           ACK,                         # user flash selection
           b"", b"", ACK,               # one block
           b"", b"", ACK]               # the end
put("boot", "h8_3069_write", replies(4, *h8_3069))
put("boot", "h8_3069_error", replies(6, b"\x00", b"\xE6", b"\x80\x11"))
put("boot", "h8_3069_inquiry", replies(4, b"\x00", b"\xE6", b"\x30\x05\x01\x04\x00\x00\x00\xC6"))
# H8/36077: 0x00, 0xAA, the count and program bytes echoed, 0xAA, then 0x05 answers.
h8_36077 = [b"\x00", b"\xAA", b"\x00\x04", b"\x01", b"\x02", b"\x03", b"\x04\xAA",
            b"\x05", b"\x05\x05", b"\x05"]
put("boot", "h8_36077_write", replies(5, *h8_36077))
put("boot", "h8_36077_late_ack", replies(7, *(h8_36077[:8] + [b"\x05", b"\x05"])))

# Monitor: prompts of the three boards and others; loads acknowledged, late, never.
put("monitor", "detect_boards", replies(0, b"\r\nk470l>", b"\r\nk471l>", b"", b"k472l>\r\n",
                                        b"K470L>", b"x" * 32 + b"k470l>"))
put("monitor", "detect_noise", replies(2, b"G 200000\r\nk470l>", b"k470lx>", b"k470l\r\n"))
put("monitor", "load_acked", replies(1, b"end!", b"end!", b"end!"))
put("monitor", "load_noisy", replies(3, b"e\r\nn>d!", b"end!end!", b""))
put("monitor", "load_unacked", replies(1, b"end!", b"end"))

# Network ports: a first byte 0 (rfc2217://) or 1 (socket://), then what the server sent.
IAC, SB, SE, WILL, DO, DONT = 255, 250, 240, 251, 253, 254


def sub(*body):
    return bytes([IAC, SB, 44, *body, IAC, SE])


agree = bytes([IAC, WILL, 0, IAC, DO, 44, IAC, DO, 0])
answers = sub(101, 0, 0, 0x96, 0) + sub(102, 8) + sub(103, 1) + sub(104, 1)
put("net", "agree_and_data", b"\x00" + agree + answers + b"end!\xff\xff\x01" + sub(112, 1) + b"k")
put("net", "endless_sub", b"\x00" + agree + bytes([IAC, SB, 44, 101]) + b"\x01" * 64)
put("net", "ff_runs", b"\x00" + agree + answers + b"\xff" * 33 + b"\xff\xff\xff")
put("net", "never_asked", b"\x00" + bytes([IAC, WILL, 99, IAC, DO, 77, IAC, DONT, 44]) * 3 +
    sub(199, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17) + bytes([IAC, DO, 44]))
put("net", "raw", b"\x01" + bytes(range(256)))
