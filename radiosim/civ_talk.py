#!/usr/bin/env python3
"""Talk CI-V to a radio (or to vocsim) by hand.

    radiosim/civ_talk.py ports/com5 03          # FE FE 94 E0 03 FD, prints the answer
    radiosim/civ_talk.py ports/com5 05 00 00 25 14 00
    radiosim/civ_talk.py --to 00 ports/com5 19 00
    radiosim/civ_talk.py ports/com5             # one frame body per input line

Each argument after the port is one byte in hex: the command, sub-command and
data. The frame goes from E0 to the radio's address (--to, default 94).
"""
import argparse, os, select, sys, time, tty


def exchange(fd, frame, wait):
    os.write(fd, frame)
    got, end = b'', time.time() + wait
    while time.time() < end:
        ready, _, _ = select.select([fd], [], [], 0.02)
        if ready:
            try:
                got += os.read(fd, 4096)
            except (BlockingIOError, OSError):
                break
    return got


def main():
    parser = argparse.ArgumentParser(description='Send CI-V frames and show what comes back.')
    parser.add_argument('--to', default='94', help='radio address in hex (default 94, 00 = broadcast)')
    parser.add_argument('--wait', type=float, default=0.3, help='seconds to collect the answer')
    parser.add_argument('port', help='device path, e.g. ports/com5')
    parser.add_argument('body', nargs='*', help='command bytes in hex')
    args = parser.parse_args()
    fd = os.open(args.port, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    tty.setraw(fd)
    lines = [' '.join(args.body)] if args.body else sys.stdin
    for line in lines:
        if not line.strip():
            continue
        try:
            body = bytes(int(x, 16) for x in line.split())
        except ValueError:
            print('not hex bytes:', line.strip(), file=sys.stderr)
            continue
        frame = bytes([0xFE, 0xFE, int(args.to, 16), 0xE0]) + body + bytes([0xFD])
        answer = exchange(fd, frame, args.wait)
        print('->', frame.hex(' ').upper())
        print('<-', answer.hex(' ').upper() if answer else '(nothing)')


if __name__ == '__main__':
    main()
