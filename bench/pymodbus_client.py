#!/usr/bin/python3
"""Anchor of the bus probe benchmark: pymodbus's own serial client running the
same requests. Usage: pymodbus_client.py PORT ROWS_FILE (lines "slave fn address
count"). Prints the milliseconds of the request loop (connecting not counted)
and exits 1 when a request was not answered."""
import sys
import time

from pymodbus.client import ModbusSerialClient
from pymodbus.framer.rtu_framer import ModbusRtuFramer


def main():
    port, rows_file = sys.argv[1], sys.argv[2]
    rows = [tuple(int(x) for x in line.split()) for line in open(rows_file) if line.strip()]
    client = ModbusSerialClient(port=port, framer=ModbusRtuFramer, baudrate=115200, timeout=1)
    if not client.connect():
        sys.exit("cannot open " + port)
    calls = {1: client.read_coils, 2: client.read_discrete_inputs,
             3: client.read_holding_registers, 4: client.read_input_registers}
    bad = 0
    start = time.perf_counter()
    for slave, fn, address, count in rows:
        if calls[fn](address, count, slave=slave).isError():
            bad += 1
    elapsed = (time.perf_counter() - start) * 1e3
    client.close()
    print("%.3f" % elapsed)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
