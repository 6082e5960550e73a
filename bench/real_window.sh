#!/usr/bin/env bash
# Open Wall of the scale benchmark's 100,000-photograph wall in a real
# window, timed from outside as a user would time it: the real program on a
# real X server (xvfb-run, 1920 x 1080) under a window manager (openbox),
# from the command line that names the wall to the finished caption
# ("Pavisto 1-1 ... 100,000 Images [...]"). Run by hand (never by ctest):
#
#   cmake --build build --target pavisto scale_bench
#   bench/real_window.sh [build-folder] [tree-folder] [image-count]
#
# Defaults: build, /tmp/pavisto-scale, 100000. The tree (links, a shared
# thumbnail cache with `normal` and `large` entries, tree.wall) is made by
# `scale_bench --make` when missing, niced: about 7 GB and a quarter of an
# hour. Two cache cases, each in a fresh X server, program and settings:
#   normal+large  the tree's cache, as after the program's own zoomed load
#   large         a hard-link farm of its `large` folder only, as a file
#                 manager leaves it (made afresh for every run)
# Environment: CORPUS=<tree-folder>/corpus (the photographs, made when
# missing), CASES="normal+large large" (which, in order), RUNS=1 (per
# case), TIMEOUT=900 (seconds a run may take), WARM=1 (read the cache once
# first, so that disk reads do not count), PERF=0 (1: perf record -g of
# the program, kept in the run's folder, which is then named).
#
# Printed per run: wall time, the program's CPU time (utime + stime of all
# its threads, read from /proc just after the caption shows the end), CPU
# per photograph, cores used (CPU / wall), peak and final resident memory
# (VmHWM, VmRSS), and the CPU the X server and the window manager spent
# meanwhile (title updates and repaints cost them too).
set -euo pipefail

# The measure itself, run by xvfb-run inside its X server.
if [[ "${1:-}" == --inside ]]; then
    shift
    pavisto=$1 wall=$2 cache_home=$3 scratch=$4 count=$5 timeout=$6
    tick=$(getconf CLK_TCK)
    # utime + stime of a process in clock ticks; 0 once it is gone.
    cpu_ticks() {
        local stat rest
        stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
        rest=${stat##*) }
        read -r -a f <<<"$rest"
        echo $((f[11] + f[12]))  # fields 14 and 15, counted from the state
    }
    status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
    # xvfb-run starts the server beside this script.
    xvfb=$(ps --ppid "$PPID" -o pid=,comm= | awk '$2 == "Xvfb" { print $1 }' | head -1 || true)
    openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    x_before=$(cpu_ticks "${xvfb:-0}")
    wm_before=$(cpu_ticks "$wm")
    start=$(date +%s%N)
    profiler=()
    [[ ${PERF:-0} == 1 ]] && profiler=(perf record -F 499 -g -o "$scratch/perf.data" --)
    "${profiler[@]}" env XDG_CACHE_HOME="$cache_home" XDG_CONFIG_HOME="$scratch/config" \
        XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM=xcb "$pavisto" "$wall" >"$scratch/pavisto.log" 2>&1 &
    pid=$! launcher=$!
    if [[ ${PERF:-0} == 1 ]]; then
        # The program is the profiler's child.
        for _ in $(seq 100); do
            child=$(ps --ppid "$launcher" -o pid= | head -1 | tr -d ' ' || true)
            [[ -n "$child" ]] && pid=$child && break
            sleep 0.05
        done
    fi
    wid='' title='' seen_loading=0 outcome=timeout end=0 ticks=0 hwm=0 rss=0 images=0 partial_since=0
    while :; do
        now=$(date +%s%N)
        if ! kill -0 "$pid" 2>/dev/null; then
            outcome=exited
            break
        fi
        if [[ -z "$wid" ]]; then
            wid=$(xdotool search --all --onlyvisible --pid "$pid" --name '^(Pavisto|Loading files)' 2>/dev/null | head -1 || true)
        fi
        [[ -n "$wid" ]] && title=$(xdotool getwindowname "$wid" 2>/dev/null || true)
        case "$title" in
        "Loading files."*) seen_loading=1 partial_since=0 ;;
        "Pavisto "*" Images ["*)
            images=$(sed -E 's/.*\]   ([^ ]+) Images \[.*/\1/' <<<"$title" | tr -dc 0-9)
            images=${images:-0}
            if ((images >= count)); then
                outcome=finished
            elif ((seen_loading && images > 0)); then
                # An open that ended early (a message box tells why): the
                # caption stays, and its first sight is the end.
                ((partial_since)) || partial_since=$now
                ((now - partial_since > 3000000000)) && outcome=partial now=$partial_since
            fi
            ;;
        esac
        if [[ $outcome == finished || $outcome == partial ]]; then
            end=$now
            ticks=$(cpu_ticks "$pid")
            hwm=$(status_kb "$pid" VmHWM)
            # Which threads spent it: user and system CPU and voluntary waits, by thread name.
            for task in /proc/"$pid"/task/*; do
                stat=$(cat "$task/stat" 2>/dev/null) || continue
                read -r -a f <<<"${stat##*) }"
                name=$(tr ' ' _ <"$task/comm")
                [[ ${task##*/} == "$pid" ]] && name="$name(main)"
                echo "$name $((f[11] * 1000 / tick)) $((f[12] * 1000 / tick))" \
                    "$(awk '$1 == "voluntary_ctxt_switches:" { print $2 }' "$task/status")"
            done | awk '{ u[$1] += $2; k[$1] += $3; w[$1] += $4; n[$1]++ }
                END { for (t in u) printf "  thread %-16s x%-2d %7.1f s user %6.1f s system %8d waits\n",
                                           t, n[t], u[t] / 1000, k[t] / 1000, w[t] }' \
                | sort -k4 -rn >"$scratch/threads.txt"
            rss=$(status_kb "$pid" VmRSS)
            break
        fi
        ((now - start > timeout * 1000000000)) && break
        sleep 0.2
    done
    x_ticks=$(($(cpu_ticks "${xvfb:-0}") - x_before))
    wm_ticks=$(($(cpu_ticks "$wm") - wm_before))
    geometry=''
    [[ -n "$wid" ]] && geometry=$(xwininfo -id "$wid" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    kill "$pid" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
    # One line for the caller: outcome, images, wall ms, CPU ms, kB, kB, CPU ms, CPU ms, window.
    echo "RESULT $outcome $images $(((end - start) / 1000000)) $((ticks * 1000 / tick)) $hwm $rss" \
        "$((x_ticks * 1000 / tick)) $((wm_ticks * 1000 / tick)) ${geometry:-?}"
    # xvfb-run joins the command's error output to its output: the caption goes to a file.
    echo "last caption: $title" >"$scratch/caption.txt"
    exit 0
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tree=${2:-/tmp/pavisto-scale}
count=${3:-100000}
cases=${CASES:-normal+large large}
runs=${RUNS:-1}
timeout=${TIMEOUT:-900}
pavisto=$build/pavisto
for tool in xvfb-run openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "real_window: $tool is not installed" >&2; exit 2; }
done
[[ -x "$pavisto" ]] || { echo "real_window: build $pavisto first" >&2; exit 2; }

if [[ ! -e "$tree/complete" ]]; then
    [[ -x "$build/bench/scale_bench" ]] || { echo "real_window: build scale_bench first" >&2; exit 2; }
    # Its own corpus, so that nothing rewrites the photographs the entries were made for.
    echo "making the tree in $tree (once; about 7 GB)" >&2
    QT_QPA_PLATFORM=offscreen nice -n 10 ionice -c 3 \
        "$build/bench/scale_bench" --make "${CORPUS:-$tree/corpus}" "$count" "$tree"
fi
for folder in normal large; do
    if [[ -z "$(find "$tree/cache/thumbnails/$folder" -maxdepth 1 -name '*.png' -print -quit 2>/dev/null)" ]]; then
        echo "real_window: $tree/cache/thumbnails/$folder holds no entries; remove $tree and run again" >&2
        exit 2
    fi
done
[[ -s "$tree/tree.wall" ]] || { echo "real_window: $tree/tree.wall is missing" >&2; exit 2; }

printf '%-13s %-9s %7s %7s %6s %7s %6s %8s %8s %6s %7s  %s\n' case outcome images 'wall s' 'CPU s' 'ms/img' cores \
    'peak MB' 'final MB' 'X s' 'WM s' window
for case in $cases; do
    case $case in
    normal+large) cache_home=$tree/cache ;;
    large) cache_home=$tree/cache-large ;;
    *) echo "real_window: no case $case" >&2; exit 2 ;;
    esac
    for ((run = 1; run <= runs; ++run)); do
        if [[ $case == large ]]; then
            rm -rf "$cache_home"
            mkdir -p "$cache_home/thumbnails"
            cp -al "$tree/cache/thumbnails/large" "$cache_home/thumbnails/"
        fi
        if [[ ${WARM:-1} == 1 ]]; then
            find "$cache_home/thumbnails" -type f -print0 | nice -n 10 ionice -c 3 xargs -0 cat >/dev/null
            cat "$tree/tree.wall" >/dev/null
        fi
        scratch=$(mktemp -d "${TMPDIR:-/tmp}/real-window.XXXXXX")
        result=$(xvfb-run -a -s '-screen 0 1920x1080x24' "$here/real_window.sh" --inside "$pavisto" "$tree/tree.wall" \
            "$cache_home" "$scratch" "$count" "$timeout" 2>&1 | tee "$scratch/inside.log" | grep '^RESULT' || true)
        read -r _ outcome images wall_ms cpu_ms hwm rss x_ms wm_ms geometry <<<"${result:-RESULT failed 0 0 0 0 0 0 0 ?}"
        awk -v c="$case" -v o="$outcome" -v n="$images" -v w="$wall_ms" -v u="$cpu_ms" -v h="$hwm" -v r="$rss" \
            -v x="$x_ms" -v m="$wm_ms" -v g="$geometry" 'BEGIN {
                printf "%-13s %-9s %7d %7.1f %6.1f %7.3f %6.2f %8d %8d %6.1f %7.1f  %s\n", c, o, n, w / 1000, u / 1000,
                    n ? u / n : 0, w ? u / w : 0, h / 1024, r / 1024, x / 1000, m / 1000, g }'
        cat "$scratch/caption.txt" "$scratch/threads.txt" >&2 2>/dev/null || true
        if [[ $outcome != finished || ${PERF:-0} == 1 ]]; then
            echo "  (logs and profile kept in $scratch)" >&2
        else
            rm -rf "$scratch"
        fi
    done
done
