#!/usr/bin/env python3
"""Checks that the shipped executable is a 32-bit Windows GUI program that
imports only Windows' own DLLs, so it starts with no file beside it."""
import re
import subprocess
import sys

# DLLs that every Windows from 7 on has in its system folder.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll"}


def main() -> int:
    objdump, exe = sys.argv[1], sys.argv[2]
    headers = subprocess.run([objdump, "-p", "-f", exe], check=True, capture_output=True, text=True).stdout
    failures = []
    if "file format pei-i386" not in headers:
        failures.append("not a PE32 i386 image")
    if not re.search(r"^Subsystem\s+0+2\b", headers, re.M):
        failures.append("not a Windows GUI subsystem program")
    dlls = [name.lower() for name in re.findall(r"DLL Name: (\S+)", headers)]
    if not dlls:
        failures.append("no import table found")
    foreign = sorted(set(dlls) - SYSTEM_DLLS)
    if foreign:
        failures.append("imports DLLs that Windows does not ship: " + ", ".join(foreign))
    print("imports:", ", ".join(dlls))
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
