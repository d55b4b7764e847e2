#!/usr/bin/env bash
# Sourced by the set-up, run and test scripts: tells whether this Linux runs
# 32-bit x86 programs, which 32-bit Wine needs. Some kernels have that turned
# off; there the program is built and tested for 64-bit Windows as well.

tavrel_host_runs_i386() {
    local probe rc
    probe=$(mktemp)
    # The smallest i386 ELF program: exit(0) through int 0x80.
    python3 - "$probe" <<'PY'
import struct, sys
code = bytes.fromhex("b801000000" "31db" "cd80")
base, size = 0x08048000, 52 + 32 + len(code)
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
program = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
open(sys.argv[1], "wb").write(header + program + code)
PY
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    return $rc
}

# The preset whose Windows programs Wine can run here.
tavrel_test_preset() {
    if tavrel_host_runs_i386; then echo windows; else echo windows-x64; fi
}
