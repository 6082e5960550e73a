#!/usr/bin/env python3
"""Cold folder loads of Pavisto and gThumb side by side, run by hand.

    cmake --build build --target load_bench
    build/bench/load_bench /tmp/pavisto-bench-corpus 44   # makes the corpus once
    xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- \
        python3 bench/peers.py build/bench/load_bench /tmp/pavisto-bench-corpus 10 3 [10 [other-load_bench]]

Links the corpus photographs `copies` times into one flat folder (gThumb
does not look into subfolders), then runs `rounds` rounds, each a cold load
by Pavisto (load_bench --cold, offscreen) and by gThumb (in the X server
this runs in, with openbox, its cache and settings in a scratch home), the
order alternating so that other load on the machine hits both alike (with
another load_bench given, say an earlier build, it runs in each round too
as "before"). Each
starts from an empty thumbnail cache. Times count from the launch of the
process: the first picture (gThumb: its first cache entry), the full wall
(gThumb: a `normal` entry for every file). CPU is the whole process's
user + system time up to the full wall, every thread and child.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

POLL = 0.01
TICK = os.sysconf("SC_CLK_TCK")


def link_folder(corpus, copies):
    photos = sorted(os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs if f.endswith(".jpg"))
    folder = f"{corpus}-x{copies}"
    if not os.path.isdir(folder):
        os.makedirs(folder)
        for k in range(copies):
            for photo in photos:
                os.link(photo, os.path.join(folder, f"c{k:02d}_{os.path.basename(photo)}"))
    # Counted in the folder: one linked earlier from a smaller corpus keeps its files.
    return folder, len(os.listdir(folder))


def tree_cpu(pid):
    """User + system seconds of a process and its descendants still alive."""
    total = 0.0
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        total += (int(fields[11]) + int(fields[12])) / TICK
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/children") as f:
                for child in f.read().split():
                    total += tree_cpu(int(child))
    except (FileNotFoundError, ProcessLookupError):
        pass
    return total


def thread_stats(pid):
    """The stat fields after the name, of each thread of a process still there."""
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except FileNotFoundError:
        return
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/stat") as f:
                yield f.read().rsplit(")", 1)[1].split()
        except (FileNotFoundError, ProcessLookupError):
            pass


def busiest_thread_cpu(pid):
    """User + system seconds of the busiest thread of a process."""
    return max(((int(f[11]) + int(f[12])) / TICK for f in thread_stats(pid)), default=0.0)


def running_threads(pid):
    """How many threads of the process are running or waiting for a core."""
    return sum(f[0] == "R" for f in thread_stats(pid))


def concurrency(samples, until):
    """The mean number of threads that wanted a core while any did, up to `until` s after launch."""
    busy = [n for t, n in samples if n > 0 and (until is None or t <= until)]
    return sum(busy) / len(busy) if busy else float("nan")


def pavisto(load_bench, folder, level):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    launched = time.monotonic()
    out_file = tempfile.TemporaryFile(mode="w+")
    child = subprocess.Popen([load_bench, "--cold", folder, str(level)], env=env, stdout=out_file, text=True)
    samples = []
    while True:
        done, status, usage = os.wait4(child.pid, os.WNOHANG)
        if done == child.pid:
            child.returncode = os.waitstatus_to_exitcode(status)
            break
        samples.append((time.monotonic() - launched, running_threads(child.pid)))
        time.sleep(POLL)
    out_file.seek(0)
    out = out_file.read()
    figures = dict(kv.split("=") for kv in out.split()[1:])
    f = {k: float(v) for k, v in figures.items()}
    return {
        "files": int(f["files"]),
        "entries": int(f["entries"]),
        "large": int(f.get("large", -1)),
        "first": f["first"] - launched,
        "full": f["full"] - launched,
        "cpu": usage.ru_utime + usage.ru_stime - f["zoom_cpu"],
        "load_cpu": f["load_cpu"],
        "busiest": f.get("busiest_thread_cpu", float("nan")),
        "sharp_ms": f["sharp_ms"],
        "cell_px": int(f["cell_px"]),
        "awaiting": int(f["awaiting"]),
        "zoom_cpu": f["zoom_cpu"],
        "concurrency": concurrency(samples, f["full"] - launched),
    }


def gthumb(folder, count, quiet=None):
    """A cold view of the folder; with `quiet` seconds, the CPU of a start on it after that long instead."""
    home = tempfile.mkdtemp(prefix="peers-gthumb-")
    env = dict(os.environ, HOME=home, XDG_CACHE_HOME=f"{home}/.cache", XDG_CONFIG_HOME=f"{home}/.config",
               XDG_DATA_HOME=f"{home}/.local/share", GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1")
    env.pop("QT_QPA_PLATFORM", None)
    normal = f"{home}/.cache/thumbnails/normal"
    launched = time.monotonic()
    child = subprocess.Popen(["gthumb", folder], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    first = full = None
    cpu = busiest = 0.0
    samples = []
    entries = 0
    while child.poll() is None:
        now = time.monotonic() - launched
        if quiet is not None:
            if now >= quiet:
                cpu = tree_cpu(child.pid)
                break
        else:
            samples.append((now, running_threads(child.pid)))
            try:
                entries = sum(1 for e in os.scandir(normal) if e.name.endswith(".png"))
            except FileNotFoundError:
                entries = 0
            if entries and first is None:
                first = now
            if entries >= count:
                full = now
                cpu = tree_cpu(child.pid)
                busiest = busiest_thread_cpu(child.pid)
                break
            if now > 1200:
                cpu = tree_cpu(child.pid)
                break
        time.sleep(POLL)
    child.terminate()
    child.wait()
    shutil.rmtree(home, ignore_errors=True)
    return {"files": count, "entries": entries, "first": first, "full": full, "cpu": cpu, "busiest": busiest,
            "concurrency": concurrency(samples, None)}


def main():
    load_bench, corpus = sys.argv[1], os.path.abspath(sys.argv[2])
    copies = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    level = int(sys.argv[5]) if len(sys.argv) > 5 else 10
    before = sys.argv[6] if len(sys.argv) > 6 else None
    folder, count = link_folder(corpus, copies)
    for photo in os.listdir(folder):  # from memory, for both alike
        with open(os.path.join(folder, photo), "rb") as f:
            while f.read(1 << 20):
                pass
    openbox = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    empty = tempfile.mkdtemp(prefix="peers-empty-")
    start_p = pavisto(load_bench, empty, 0)["cpu"]
    start_g = gthumb(empty, 0, quiet=5)["cpu"]
    os.rmdir(empty)
    print(f"{count} files ({copies} links to each corpus photograph), {os.cpu_count()} cores; start-up CPU on an "
          f"empty folder: Pavisto {start_p:.2f} s, gThumb {start_g:.2f} s", flush=True)
    runs = {"pavisto": [], "gthumb": [], "before": []}
    for r in range(rounds):
        order = ["pavisto", "gthumb"] + (["before"] if before else [])
        order = order if r % 2 == 0 else order[::-1]
        for who in order:
            if who == "gthumb":
                run = gthumb(folder, count)
            else:
                run = pavisto(load_bench if who == "pavisto" else before, folder, level)
            runs[who].append(run)
            print(f"round {r + 1} {who:8s} " + " ".join(
                f"{k}={v:.3f}" if isinstance(v, float) else f"{k}={v}" for k, v in run.items()), flush=True)
    openbox.terminate()

    def median(who, key, minus=0.0):
        values = sorted(run[key] - minus for run in runs[who] if run[key] is not None)
        if not values:
            return float("nan")
        return (values[(len(values) - 1) // 2] + values[len(values) // 2]) / 2

    p_cpu, g_cpu = median("pavisto", "cpu") / count * 1000, median("gthumb", "cpu") / count * 1000
    p_net, g_net = median("pavisto", "cpu", start_p) / count * 1000, median("gthumb", "cpu", start_g) / count * 1000
    print(f"\nmedians of {rounds} rounds, {count} files, from empty caches")
    print("                                  Pavisto    gThumb   Pavisto / gThumb")
    print(f"CPU per photograph (ms)          {p_cpu:8.1f}  {g_cpu:8.1f}   {p_cpu / g_cpu:6.2f}")
    print(f"  less start-up CPU (ms)         {p_net:8.1f}  {g_net:8.1f}   {p_net / g_net:6.2f}")
    for key, name in (("first", "first picture (s from launch)"), ("full", "full wall (s from launch)")):
        p, g = median("pavisto", key), median("gthumb", key)
        print(f"{name:32s} {p:8.2f}  {g:8.2f}   {p / g:6.2f}")
    # What the CPU figures let one expect on an idle machine of these cores:
    # the CPU over the threads that wanted a core at once (sampled while
    # running, at most the cores), and no less than the busiest thread's CPU
    # (gThumb's short-lived threads are not all seen).
    cores = os.cpu_count()

    def idle(who):
        spread = min(cores, median(who, "concurrency"))
        return max(median(who, "busiest"), median(who, "cpu") / spread)

    p_idle, g_idle = idle("pavisto"), idle("gthumb")
    print(f"full wall, idle-machine estimate  {p_idle:8.2f}  {g_idle:8.2f}   {p_idle / g_idle:6.2f}"
          f"   (CPU over threads wanting a core: {median('pavisto', 'concurrency'):.2f} / "
          f"{median('gthumb', 'concurrency'):.2f})")
    if before:
        b_cpu = median("before", "cpu") / count * 1000
        print(f"before: CPU per photograph {b_cpu:.1f} ms ({b_cpu / g_cpu:.2f} x gThumb's), first picture "
              f"{median('before', 'first'):.2f} s, full wall {median('before', 'full'):.2f} s "
              f"({median('before', 'full') / median('gthumb', 'full'):.2f} x gThumb's), zoomed to level {level}: "
              f"sharp after {median('before', 'sharp_ms'):.0f} ms, {median('before', 'zoom_cpu'):.2f} s of CPU")
    print(f"Pavisto zoomed to level {level}: cells on screen sharp after {median('pavisto', 'sharp_ms'):.0f} ms "
          f"(median; -1 = not within 20 s), "
          f"{median('pavisto', 'zoom_cpu'):.2f} s of CPU")


if __name__ == "__main__":
    main()
