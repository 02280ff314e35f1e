#!/usr/bin/python3
"""Modbus slave simulator on a pseudo-terminal, for the bus probe tests.

A pymodbus serial server (RTU or ASCII framer) answers on one pty pair; a relay
between that pair and a second one, whose slave side the probe opens, injects
line faults chosen by the request's slave ID:

  1, 11  real slaves with the register table below
  2      nobody answers
  3      the reply has one byte flipped (CRC / LRC error)
  4      the reply comes from slave 99
  5      the reply names another function
  6      the reply arrives in two pieces 30 ms apart
  7      the reply holds one more register than asked (valid checksum)
  8      junk before the reply
  9      the line goes away (the pty is closed)
  12     a slave whose holding registers start at 100: 03 at 0 gives exception 02
  13     a slave that ignores function 03 (answers the others)

Table (same for slaves 1 and 11), addresses 0..99, anything above: exception 02.
  coils       c[i] = 1 when i % 3 == 0
  inputs      d[i] = i % 2
  holding     h[i] = 0x100 + i, h[10] = 0xFFFE, and pairs for typed values:
              h[30..39] = 4148 F5C3, C148 F5C3, 7FC0 0000, 7F80 0000, FF80 0000,
              h[40] = 0x8001
  input regs  r[i] = 0x2000 + i

With --baud N, a request passes only while the probe's pty is set to that
rate (a pty keeps the rate it was given, read back here on every request;
ptys refuse parity, so only the rate can tell); others are dropped, as a
slave at another rate would not understand them. --silent drops everything.
--requests FILE logs "<slave> <function>" for every request that arrived.

With --timing FILE, each answered request adds a line "<arrived> <answered>"
(CLOCK_MONOTONIC ns, as seen at the relay): the simulator's own time.

Prints "PORT <path>" once ready; ends on SIGTERM or when stdin closes.
"""
import argparse
import asyncio
import logging
import os
import select
import signal
import struct
import sys
import termios
import threading
import time
import tty

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                 ModbusSlaveContext)
from pymodbus.framer.ascii_framer import ModbusAsciiFramer
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.server import StartAsyncSerialServer
from pymodbus.utilities import computeCRC, computeLRC

SIZE = 100
FAULTY = {3: "flip", 4: "slave", 5: "function", 6: "split", 7: "longer", 8: "junk", 9: "close",
          13: "no03"}
TYPED = [0x4148, 0xF5C3, 0xC148, 0xF5C3, 0x7FC0, 0x0000, 0x7F80, 0x0000, 0xFF80, 0x0000, 0x8001]


def table(holding_from=0):
    hr = [0x100 + i for i in range(SIZE)]
    hr[10] = 0xFFFE
    hr[30:30 + len(TYPED)] = TYPED
    return ModbusSlaveContext(
        co=ModbusSequentialDataBlock(0, [1 if i % 3 == 0 else 0 for i in range(SIZE)]),
        di=ModbusSequentialDataBlock(0, [i % 2 for i in range(SIZE)]),
        hr=ModbusSequentialDataBlock(holding_from, hr),
        ir=ModbusSequentialDataBlock(0, [0x2000 + i for i in range(SIZE)]),
        zero_mode=True)


class Codec:
    """Frames an ADU (slave + PDU) for the line and back."""

    def __init__(self, ascii_mode):
        self.ascii = ascii_mode

    def encode(self, adu):
        if self.ascii:
            return b":" + adu.hex().upper().encode() + b"%02X\r\n" % computeLRC(adu)
        return adu + struct.pack(">H", computeCRC(adu))

    def decode(self, frame):
        if self.ascii:
            return bytes.fromhex(frame[1:-4].decode())
        return frame[:-2]

    def split(self, buf, reply):
        """(frame, rest) when buf starts with a whole frame, else (None, buf)."""
        if self.ascii:
            start = buf.find(b":")
            if start < 0:
                return None, b""
            end = buf.find(b"\n", start)
            return (buf[start:end + 1], buf[end + 1:]) if end >= 0 else (None, buf[start:])
        if len(buf) < 2:
            return None, buf
        fn = buf[1]
        if reply:
            if fn & 0x80:
                n = 5
            elif fn in (1, 2, 3, 4):
                n = 5 + buf[2] if len(buf) > 2 else 1 << 30
            else:
                n = 8
        else:
            n = 9 + buf[6] if fn in (15, 16) and len(buf) > 6 else 8
            if fn in (15, 16) and len(buf) <= 6:
                n = 1 << 30
        return (buf[:n], buf[n:]) if len(buf) >= n else (None, buf)


class Relay(threading.Thread):
    """Carries frames between the probe's pty and the server's, with faults."""

    def __init__(self, codec, probe_master, server_master, timing, line=None):
        super().__init__(daemon=True)
        self.codec, self.probe, self.server = codec, probe_master, server_master
        self.line = line  # (fd of the probe's pty, speed constant) or None
        self.silent = False
        self.log = None  # file for "slave function" of each request
        self.pending = []  # fault of each request in flight
        self.timing = timing  # file for "arrived answered" monotonic ns pairs, or None
        self.arrived = 0

    def run(self):
        req, rsp = b"", b""
        while True:
            ready, _, _ = select.select([self.probe, self.server], [], [])
            if self.probe in ready:
                try:
                    req += os.read(self.probe, 4096)
                except OSError:
                    req = b""
                    time.sleep(0.01)  # nobody on the probe side yet
                while True:
                    frame, req = self.codec.split(req, False)
                    if frame is None:
                        break
                    self.request(frame)
            if self.server in ready:
                rsp += os.read(self.server, 4096)
                while True:
                    frame, rsp = self.codec.split(rsp, True)
                    if frame is None:
                        break
                    if not self.reply(frame):
                        return

    def heard(self):
        """Whether the probe's pty runs at the line settings of the slaves."""
        if self.silent:
            return False
        if not self.line:
            return True
        fd, speed = self.line
        return termios.tcgetattr(fd)[5] == speed

    def request(self, frame):
        self.arrived = time.monotonic_ns()
        try:
            adu = self.codec.decode(frame)
        except ValueError:
            return  # not a frame at all
        if self.log:
            self.log.write("%d %d\n" % (adu[0], adu[1] if len(adu) > 1 else -1))
            self.log.flush()
        if not self.heard():
            self.pending = []
            return
        fault = FAULTY.get(adu[0])
        if fault == "no03" and len(adu) > 1 and adu[1] == 3:
            self.pending = []
            return
        self.pending = [(adu[0], fault)]  # one request at a time; an unanswered one is dropped
        if fault:
            adu = bytes([1]) + adu[1:]
            frame = self.codec.encode(adu)
        os.write(self.server, frame)

    def reply(self, frame):
        slave, fault = self.pending.pop(0) if self.pending else (None, None)
        if not fault:
            os.write(self.probe, frame)
            if self.timing:
                self.timing.write("%d %d\n" % (self.arrived, time.monotonic_ns()))
                self.timing.flush()
            return True
        adu = bytearray(self.codec.decode(frame))
        adu[0] = slave
        if fault == "close":
            os.close(self.probe)
            return False
        if fault == "slave":
            adu[0] = 99
        elif fault == "function":
            adu[1] = 4 if adu[1] == 3 else 3
        elif fault == "longer" and not adu[1] & 0x80:
            adu[2] += 2
            adu += b"\x12\x34"
        out = self.codec.encode(bytes(adu))
        if fault == "flip":
            at = len(out) - (5 if self.codec.ascii else 3)
            out = out[:at] + bytes([out[at] ^ (0x01 if self.codec.ascii else 0x55)]) + out[at + 1:]
        if fault == "junk":
            out = b"\x00\xff\x13junk" + out
        if fault == "split":
            os.write(self.probe, out[:3])
            time.sleep(0.03)
            out = out[3:]
        os.write(self.probe, out)
        return True


async def serve(args, server_path, probe_path):
    context = ModbusServerContext(slaves={1: table(), 11: table(), 12: table(100)}, single=False)
    framer = ModbusAsciiFramer if args.framer == "ascii" else ModbusRtuFramer
    server = await StartAsyncSerialServer(context=context, framer=framer, port=server_path,
                                          baudrate=115200, ignore_missing_slaves=True,
                                          defer_start=True)
    await server.start()  # opening flushes the server's pty: ready only after it
    print("PORT", probe_path, flush=True)
    await server.serve_forever()


def main():
    logging.disable(logging.CRITICAL)  # the faults make pymodbus complain on stderr
    parser = argparse.ArgumentParser()
    parser.add_argument("--framer", choices=["rtu", "ascii"], default="rtu")
    parser.add_argument("--timing", help="file for the simulator's own time per request")
    parser.add_argument("--baud", type=int, help="the only rate requests pass at")
    parser.add_argument("--silent", action="store_true", help="no request passes")
    parser.add_argument("--requests", help="file for each request's slave and function")
    args = parser.parse_args()

    probe_master, probe_slave = os.openpty()
    server_master, server_slave = os.openpty()
    for fd in (probe_master, probe_slave, server_master, server_slave):
        tty.setraw(fd)
    # The probe side stays held here so that a probe closing it loses nothing.
    timing = open(args.timing, "w") if args.timing else None
    line = (probe_slave, getattr(termios, "B%d" % args.baud)) if args.baud else None
    relay = Relay(Codec(args.framer == "ascii"), probe_master, server_master, timing, line)
    relay.silent = args.silent
    relay.log = open(args.requests, "w") if args.requests else None
    relay.start()

    def leave(*_):
        os._exit(0)

    signal.signal(signal.SIGTERM, leave)
    threading.Thread(target=lambda: (sys.stdin.read(), leave()), daemon=True).start()
    asyncio.run(serve(args, os.ttyname(server_slave), os.ttyname(probe_slave)))


if __name__ == "__main__":
    main()
