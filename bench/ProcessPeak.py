#!/usr/bin/env python3
"""Runs a command with its standard output into a file and prints, on one line, the peak
resident memory of the process it starts (kB, the kernel's high-water mark, read every
20 ms while it runs), its wall time in seconds and its exit status:
    ProcessPeak.py <output file> <command> [arguments...]
Under Wine the command's process is the Windows program itself (the runner execs Wine,
which becomes the program), so the figure is the program's, Wine's own libraries included.
"""
import subprocess
import sys
import time


def high_water(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def main():
    if len(sys.argv) < 3:
        print("usage: ProcessPeak.py <output file> <command> [arguments...]", file=sys.stderr)
        return 2
    with open(sys.argv[1], "wb") as output:
        started = time.monotonic()
        process = subprocess.Popen(sys.argv[2:], stdout=output, stdin=subprocess.DEVNULL)
        peak = 0
        while process.poll() is None:
            peak = max(peak, high_water(process.pid))
            time.sleep(0.02)
        seconds = time.monotonic() - started
    print(peak, f"{seconds:.2f}", process.returncode)
    return 0


if __name__ == "__main__":
    sys.exit(main())
