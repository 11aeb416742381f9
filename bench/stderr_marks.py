#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command and prints, as "name seconds" lines, when its stderr first showed each of the
# given texts (seconds from the start), then "end" and, with --cpu, the CPU seconds its process
# tree had used by each of those moments ("cpu-NAME", "cpu-self-NAME" for the command's own
# process), sampled every 0.1 s from /proc.
#
#   usage: stderr_marks.py [--cpu] NAME=TEXT ... -- COMMAND ...
import os
import subprocess
import sys
import threading
import time

TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """utime + stime of pid and of its children that have ended and been waited for."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return sum(int(v) for v in fields[11:15]) / TICK
    except OSError:
        return 0.0


def tree(root):
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except OSError:
                pass
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def main():
    args = sys.argv[1:]
    cpu = args[:1] == ["--cpu"]
    args = args[1:] if cpu else args
    split = args.index("--")
    marks = dict(a.split("=", 1) for a in args[:split])
    start = time.monotonic()
    run = subprocess.Popen(args[split + 1:], stderr=subprocess.PIPE)
    # The tree's CPU so far: a helper that has ended keeps the most it was seen with.
    seen = {}
    lock = threading.Lock()

    def sample():
        while run.poll() is None:
            with lock:
                for pid in tree(run.pid):
                    seen[pid] = max(seen.get(pid, 0.0), cpu_seconds(pid))
            time.sleep(0.1)

    if cpu:
        threading.Thread(target=sample, daemon=True).start()
    found = {}
    tail = b""
    for chunk in iter(lambda: run.stderr.read1(4096), b""):
        tail = (tail + chunk)[-4096:]
        for name, text in marks.items():
            if name not in found and text.encode() in tail:
                found[name] = time.monotonic() - start
                print(f"{name} {found[name]:.3f}", flush=True)
                if cpu:
                    with lock:
                        for pid in tree(run.pid):
                            seen[pid] = max(seen.get(pid, 0.0), cpu_seconds(pid))
                        print(f"cpu-{name} {sum(seen.values()):.3f}", flush=True)
                        print(f"cpu-self-{name} {seen.get(run.pid, 0.0):.3f}", flush=True)
    status = run.wait()
    print(f"end {time.monotonic() - start:.3f}")
    sys.exit(status)


main()
