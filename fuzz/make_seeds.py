#!/usr/bin/env python3
"""Writes the seed inputs of each fuzz target into fuzz/seeds/<target>/.

The seeds are ordinary traffic in each target's script format, so the fuzzer
starts from sound inputs; run again after changing a script format."""
import hashlib
import os

here = os.path.dirname(os.path.abspath(__file__))
MODEL_7300, MODEL_705, MODEL_AUTO = 25, 1, 36  # rows of radio/models.cpp; 36 is past the end: AUTO


def put(target, data):
    folder = os.path.join(here, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()  # as libFuzzer names its inputs
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def civ(*values):
    return bytes(values)


# translator_panel: set-up byte, then per read: pause (in 0.4 s), length, bytes.
commands = [b"PS1;", b"PS0;", b"EX1081;", b"EX1080;", b"ML001;", b"ML;", b"FA;", b"FB;", b"FA00014200000;",
            b"FB00007050000;", b"SM;", b"RM1;", b"MD1;", b"MD3;", b"MD7;", b"FT1;", b"RX0;", b"AG0;", b"AG0128;",
            b"RG;", b"RG200;", b"PC050;", b"KS;", b"KS020;", b"SH07;", b"FW0500;", b"PA01;", b"RA01;", b"NB1;",
            b"BI1;", b"BI;", b"VX1;", b"VX;", b"CT1;", b"CN088.5;", b"CNN023;", b"NR1;", b"NR;", b"NT1;", b"RL05;",
            b"RL;", b"NL005;", b"NL;", b"SQ0080;", b"SQ0;", b"TX2;", b"RX;", b"MG020;", b"MG;", b"RM3;", b"AC111;",
            b"AC;", b"PR1;", b"PR;", b"LO1;", b"Z1;", b"Z3;", b"Z4;", b"Z5;", b"Z6;", b"Z71;", b"Z8;", b"Z9;",
            b"Z2;", b"Poweron;", b"*Q;", b"quit;"]


def reads(items, pause=0):
    out = b""
    for item in items:
        out += bytes([pause, len(item)]) + item
    return out


for model in (MODEL_7300, MODEL_705, MODEL_AUTO):
    put("translator_panel", bytes([model | 0x40]) + reads(commands))
put("translator_panel", bytes([MODEL_7300]) + reads([b"FA0001", b"4200000;FA;"]) + reads([b"FA;"], pause=3))
put("translator_panel", bytes([MODEL_7300]) + reads([b"FA;MD2;*Q;xqu;AG0128;", b"quit;"]))
put("translator_panel", bytes([MODEL_7300, 0, 255, 80, ord("F"), 0, 4]) + b"FA;;")  # a flood past the bound

# translator_radio: set-up byte, then steps: step % 4 in (0, 1) a radio read (length byte, bytes),
# 2 a panel command by step // 4, 3 a pause of step // 4 * 50 ms.
answers = [
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x03, 0x00, 0x00, 0x20, 0x14, 0x00, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x25, 0x01, 0x00, 0x50, 0x07, 0x00, 0x00, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x04, 0x03, 0x02, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x15, 0x02, 0x01, 0x20, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x15, 0x12, 0x00, 0x48, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x15, 0x13, 0x00, 0x30, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x14, 0x01, 0x01, 0x28, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x14, 0x03, 0x00, 0x80, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x14, 0x0B, 0x00, 0x50, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x16, 0x40, 0x01, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x16, 0x44, 0x01, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x16, 0x47, 0x01, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x1C, 0x01, 0x01, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0x19, 0x00, 0x94, 0xFD),
    civ(0xFE, 0xFE, 0xE0, 0x94, 0xFB, 0xFD),
    civ(0xFE, 0xFE, 0x94, 0xE0, 0x03, 0xFD),  # an echo
]
script = b""
for i, answer in enumerate(answers):
    script += bytes([2 + 4 * (i % 24)]) + bytes([0]) + bytes([len(answer)]) + answer
for model in (MODEL_7300, MODEL_AUTO):
    put("translator_radio", bytes([model]) + script)
split = answers[0]
put("translator_radio", bytes([MODEL_7300, 2, 0, 5]) + split[:5] + bytes([0, len(split) - 5]) + split[5:])

# translator_pass_through: set-up byte, then steps: step % 3 == 0 a pass-through read, 1 a radio read
# (length byte, bytes each), 2 a pause.
frames = [civ(0xFE, 0xFE, 0x94, 0xE0, 0x03, 0xFD), civ(0xFE, 0xFE, 0x94, 0xE0, 0x06, 0x03, 0xFD),
          civ(0xFE, 0xFE, 0x94, 0xE0, 0x05, 0x00, 0x00, 0x20, 0x14, 0x00, 0xFD)]
script = bytes([MODEL_7300])
for frame in frames:
    reply = civ(0xFE, 0xFE, 0xE0, 0x94, 0xFB, 0xFD)
    script += bytes([1, len(reply)]) + reply + bytes([0, len(frame)]) + frame
put("translator_pass_through", script)
put("translator_pass_through", bytes([MODEL_7300, 0, 4]) + frames[1][:4] + bytes([0, 3]) + frames[1][4:] + b"\x05")

# panel_config: vocrig.cfg itself.
cfg = ("Com=5\r\nspeed=19200\r\nRadio={model}\r\nPower=100\r\nSwr=1\r\nTun=0\r\nBandPln=6\r\nPowrSw={sw}\r\n"
       "{lock}VRPort={vr}\r\nDebug=1\r\nPDiag=0\r\n")
put("panel_config", cfg.format(model="7300", sw=0, lock="", vr=0).encode())
put("panel_config", cfg.format(model="AUTO", sw=1, lock="lock=1\r\n", vr=6).encode())
put("panel_config", cfg.format(model="9700", sw=0, lock="", vr=12).replace("\r\n", "\n").encode())

# panel_savmem: savmem.dat itself.
bands = ["01A00001900000B000019000009990", "01A00003600000B000036000009990", "02A00005400000B000054000009990",
         "01A00007100000B000071000009990", "03A00010100000B000101000009990", "02A00014200000B000142000009991",
         "02A00018100000B000181000009991", "02A00021200000B000212000009991", "02A00024890000B000248900009991",
         "02A00028500000B000285000009991", "02A00050150000B000501500009991", "05A00145000000B001450000009990",
         "05A00432000000B004320000009990", "04A00009600000B000096000009990"]
channels = ["9"] * 100
channels[0] = "0206A00014200000B000142000009991"
channels[12] = "1312A00007025000B000070250000N0231"
channels[57] = "0512A00145500000B001449000000088.50"
lines = ["VOCRIG v3.2a   3.4b 60"] + bands + channels
put("panel_savmem", "\r\n".join(lines).encode() + b"\r\n")
put("panel_savmem", "\n".join(lines[:20]).encode())
put("panel_savmem", b"some other program's file\r\n")

# panel_replies: set-up byte, first wait, then pieces: length, bytes, next wait.
def pieces(items):
    out = b""
    for wait, data in items:
        out += bytes([len(data)]) + data + bytes([wait])
    return out


put("panel_replies", bytes([0, 5]) + pieces([(5, b"Z1\x94;"), (5, b"SQ0080;"), (0, b"NC;")]))
put("panel_replies", bytes([3, 5]) + pieces([(0, b"Z1\xa4;FA00014200000;"), (20, b"SQ0000;SM0005;")]))

# panel_keys: options, identity, tuner and power bytes, then events: a press (0, 255, code: the raw key
# code), a key down (3), up (4), auto-repeat (5), op 6 + 8 * (n - 1) n ticks, 7 + 8 * 31 a raw reply.
def keys(*codes):
    out = b""
    for code in codes:
        if isinstance(code, str):
            out += b"".join(bytes([0, 255, ord(c)]) for c in code)
        else:
            out += bytes([0, 255, code])
    return out


def ticks(n):
    return bytes([6 + 8 * (n - 1)])


def reply(text):
    return bytes([7 + 8 * 31, len(text)]) + text


def poll(answer, meter=b"SM0120;"):  # one poll round: the frequency, then the meter
    return ticks(1) + reply(answer) + ticks(2) + reply(meter) + ticks(1)


ENTER, UP, DOWN, LEFT, RIGHT, PAGE_UP, PAGE_DOWN, POINT, SPACE, PAD5 = 13, 38, 40, 37, 39, 33, 34, 190, 32, 101
F = {n: 111 + n for n in range(1, 13)}
LINK, CONNECTED, ECHO, LOCK, POWER_SWITCH, PLAN7, SWR = 1, 2, 4, 8, 16, 3 << 5, 128
IC7300, IC705, IC9700 = 0x94, 0xA4, 0xA2

put("panel_keys", bytes([LINK | PLAN7, IC7300, 0]) + poll(b"FA00007100000;")
    + keys("E14", POINT, "2", ENTER) + poll(b"FA00014200000;") + keys(UP, DOWN, PAGE_UP, PAGE_DOWN, RIGHT, LEFT, 187, 189)
    + keys("W", UP, UP, DOWN, "P", DOWN, DOWN, UP, "A", UP, DOWN, "R", UP, "E", "7", POINT, "005", ENTER)
    + poll(b"FA00007005000;") + keys("Z", "M", "M", "J", "H", "Q"))
put("panel_keys", bytes([CONNECTED | PLAN7, 0, 1]) + poll(b"FA00014200000;")
    + keys("C1", "C", "B", "2", "G1", "U", "F", "U", "S", "G9", "E", "2", "8", ENTER) + poll(b"FA00028000000;")
    + keys("V", UP, "V", "B6", "B0", "B", UP, "B", DOWN, "BX", "BU", "V", "BT", "BS", "B4", "C5") + poll(b"FB00007100000;"))
put("panel_keys", bytes([LINK | CONNECTED | PLAN7, IC9700, 2]) + reply(b"SQ0080;") + keys("BT")
    + poll(b"FA00145500000;") + keys("I1", POINT, "2345678", ENTER, "I88", POINT, "5", ENTER, RIGHT, LEFT, LEFT, "C3", "I", "IN023", ENTER, "I", "IR")
    + keys("754", ENTER, "V", "C4", "V", "G3", "G4", "D", "D", "XM", "XM", "E", "1", "4", "6", POINT, "5", ENTER)
    + reply(b"Z54;") + ticks(2) + poll(b"FA00146500000;", b"SM0005;") + keys("I", "I"))
put("panel_keys", bytes([LINK | SWR | PLAN7, IC705, 4]) + poll(b"FA00014200000;") + reply(b"SQ0080;")
    + keys("XR", "XWWX", "XL", "XS", "XT", "XT", "XF", "X", "X") + keys(*[F[n] for n in range(1, 13)])
    + reply(b"NL005;") + keys(F[3], "L", UP, DOWN, F[4]) + reply(b"RL05;") + keys("L", UP, F[9], F[9])
    + reply(b"KS020;") + keys("K", DOWN, UP, "K", F[11]) + ticks(3) + reply(b"RM3100;") + ticks(12)
    + keys(UP, F[11], SPACE) + poll(b"FA00014200000;", b"RM1050;") + keys("S", SPACE, "T", "S", "F", "T", "O"))
put("panel_keys", bytes([LINK | ECHO | LOCK | POWER_SWITCH, IC7300, 3]) + reply(b"Z1\x94;FA00014200000;")
    + ticks(4) + keys(PAD5, "E", 103, 110, 98, ENTER) + bytes([3, 255, 69, 5, 8, 3, 255, 70, 4, 255, 69, 12])
    + ticks(30) + reply(b"FA0001420000;SM;;" * 3) + ticks(32) + bytes([7 + 8 * 31, 255, 80, ord("F")]) + ticks(2)
    + keys("B", 190, "1", "Q"))
