#!/bin/bash
# The 32-bit programs run for real: zelt.exe, zelt-host.exe, zelt-probe.exe, the floor program and
# zelt_win32_tests.exe of build/mingw32, on the end-to-end bench under the Wine 10 of a Debian 13
# tree of their own (amd64 with i386 added, so Wine has both halves). The host's Wine stays as it
# is: wine32:i386 installed beside it would replace its launcher with the 32-bit one.
#
#   bash tests/e2e/run32.sh               the stage of .ci/run (below)
#   bash tests/e2e/run32.sh run CMD ...   CMD with the tree's Wine, for example
#       bash tests/e2e/run32.sh run env ZELT_WINE_ARCH=win32 ZELT_MINGW_DIR=build/mingw32 \
#           python3 tests/e2e/run.py test_ptt.Floods
#   bash tests/e2e/run32.sh remove        deletes the tree
#
# The stage runs the cases of CASES in a 32-bit prefix, as on 32-bit Windows; those of
# CROSS_CASES in a 64-bit prefix where the 64-bit programs of build/mingw and the 32-bit ones meet,
# as on 64-bit Windows; then the latency against the 32-bit floor program (printed, not judged).
# Its last line is "e2e32: N passed, N failed, N skipped". On a kernel that does not run i386
# programs it runs nothing: one line says so and every case counts as skipped.
#
# The tree ($ZELT_WINE_TREE, default /var/cache/zelt/wine-tree, outside the work tree; about 2 GB)
# is made once with mmdebstrap and reused. While anything runs in it, /proc, /sys, /dev, /dev/pts,
# /dev/shm, /tmp and the build folder are bound into it at their own paths. The script runs in a
# mount namespace of its own, so those mounts are seen by nothing else and vanish with it; a trap
# unbinds them all the same, and nothing under the tree is deleted while findmnt shows a mount there.
set -euo pipefail

cd "$(dirname "$0")/../.."
root=$(pwd)
tree=$(realpath -m "${ZELT_WINE_TREE:-/var/cache/zelt/wine-tree}")
logs=${ZELT_E2E32_LOGS:-$root/build/e2e32-logs}
# The tree is deleted and bound into by path: a plain path of two levels or more, outside the work
# tree, so that neither a mistyped variable nor findmnt's escaping can point the clean-up elsewhere.
if ! [[ $tree =~ ^(/[A-Za-z0-9._-]+){2,}$ ]] || [[ $tree == "$root" || $tree == "$root"/* || $root == "$tree"/* ]]; then
    echo "ZELT_WINE_TREE must be a plain absolute path of two levels or more, outside $root: $tree" >&2
    exit 2
fi

# The end-to-end cases that exercise what differs on x86 (calling conventions of callbacks and COM
# methods, pointer-sized values in messages, the 32-bit C runtime), as unittest names.
CASES=(
    test_win32_units                # the Windows-side unit tests, one by one
    test_ptt.HostRequests           # keying: the registered message and its reply
    test_ptt.CloseRequests          # the close request, and the unkey on the way out
    test_ptt.Floods                 # 10,000 sent and 10,000 posted requests
    test_ptt.ScreenReader           # the accessible objects and their events
    test_ptt.SystemMenu             # the system menu's items (WM_SYSCOMMAND)
    test_ptt.EventLog               # the event log window and its file
    test_ptt.TransmitTimeLimit      # the time limit's timer
    test_window.StartUpLayout       # the window and its DPI layout
    test_window.Panel               # the panel's controls, clicks and access keys
    test_faults.SessionEnds         # session end, and a quit from outside
    test_faults.AdapterGoesAndComesBack  # device events with a port's name, sleep
)
# A 64-bit zelt-host drives the 32-bit zelt, a 32-bit zelt-host the 64-bit zelt.
CROSS_CASES=(
    test_architectures.CrossArchitecture
)
# The tree: Debian 13's Wine 10 with its 64-bit and its 32-bit half. The dialog font ("MS Shell
# Dlg") comes out as Liberation Sans, as under the host's Wine, whose metrics the window's checks
# were made with; fonts-wine would bring Wine 10's own Tahoma instead, in which "Run Minimized" is
# 5 pixels wider than its check box leaves at 96 dpi.
TREE_ARGS=("--arch=amd64,i386" --variant=apt
    "--include=wine,wine64,wine32:i386,libwine,libwine:i386,fonts-liberation,procps" trixie)

# Mount points under a folder, as this namespace sees them.
mounts_under() {
    findmnt -rn -o TARGET | awk -v dir="$1" 'index($0, dir "/") == 1 || $0 == dir'
}

# Deletes a folder unless anything is mounted under it: a recursive delete would go through a
# bind mount into the real /tmp or /dev.
remove_folder() {
    local dir=$1 left
    [[ -e "$dir" ]] || return 0
    left=$(mounts_under "$dir")
    if [[ -n "$left" ]]; then
        echo "not deleting $dir: mounted under it: $left" >&2
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

# Makes the tree, or reuses the one made with the same arguments; checks it either way.
make_tree() {
    local stamp="$tree/.zelt-tree" want="mmdebstrap ${TREE_ARGS[*]}"
    if [[ -f "$stamp" && "$(cat "$stamp")" == "$want" ]]; then
        echo "reusing the tree $tree"
    else
        echo "making the tree $tree: $want"
        remove_folder "$tree.new"
        remove_folder "$tree"
        mkdir -p "$(dirname "$tree")"
        local started=$SECONDS
        if ! mmdebstrap "${TREE_ARGS[@]}" "$tree.new" >"$logs/mmdebstrap.log" 2>&1; then
            tail -n 20 "$logs/mmdebstrap.log"
            echo "mmdebstrap failed (log: $logs/mmdebstrap.log)" >&2
            return 1
        fi
        echo "$want" >"$tree.new/.zelt-tree"
        mv "$tree.new" "$tree"
        echo "tree made in $((SECONDS - started)) s"
    fi
    if ! chroot "$tree" /bin/true; then
        echo "the tree $tree does not run; bash tests/e2e/run32.sh remove deletes it" >&2
        return 1
    fi
}

mounted=()
mount_tree() {
    local dir
    for dir in /proc /sys /dev /dev/pts /dev/shm /tmp "$root/build"; do
        mkdir -p "$tree$dir"
        mount --bind "$dir" "$tree$dir"
        mounted+=("$tree$dir")
    done
}

unmount_tree() {
    # Whatever of ours still runs in the tree (the bench stops its Wine server; this is for a run
    # cut short) holds the mounts busy.
    local own pid_root pid i left
    own=$(readlink /proc/self/ns/mnt)
    for pid_root in /proc/[0-9]*/root; do
        pid=${pid_root#/proc/}
        pid=${pid%/root}
        if [[ "$(readlink "$pid_root" 2>/dev/null)" == "$tree" && "$(readlink "/proc/$pid/ns/mnt" 2>/dev/null)" == "$own" ]]; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    done
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount --lazy "${mounted[i]}"
    done
    mounted=()
    left=$(mounts_under "$tree")
    if [[ -n "$left" ]]; then
        echo "still mounted under $tree: $left" >&2
        return 1
    fi
}

child=
# Runs a command in the background and waits for it: a signal then reaches this script's traps at
# once rather than when the command ends, and interrupted() passes it on. With --log FILE, the
# command's output goes to the file, complete once it has ended, and is shown as it comes.
guarded() {
    local log="" status=0 shown=""
    if [[ $1 == --log ]]; then
        log=$2
        shift 2
        : >"$log"
    fi
    if [[ -n $log ]]; then
        "$@" >>"$log" 2>&1 &
        child=$!
        tail --pid="$child" -n +1 -f "$log" &
        shown=$!
    else
        "$@" &
        child=$!
    fi
    wait "$child" || status=$?
    child=
    [[ -z $shown ]] || wait "$shown" || true
    return "$status"
}

# A TERM or an interrupt: the running bench is stopped (run.py and run_bench.py take a TERM as an
# interrupt and stop their Wine, X server and radio), then the mounts go on the way out.
interrupted() {
    trap '' INT TERM
    if [[ -n $child ]]; then
        kill -TERM "$child" 2>/dev/null || true
        wait "$child" 2>/dev/null || true
    fi
    exit "$1"
}

enter_tree() {
    make_tree
    trap unmount_tree EXIT
    trap 'interrupted 130' INT
    trap 'interrupted 143' TERM
    mount_tree
}

runs_i386() {
    if ! command -v arch-test >/dev/null; then
        echo "run32.sh needs arch-test (apt-get install arch-test)" >&2
        exit 2
    fi
    arch-test -n i386 >/dev/null 2>&1
}

passed=0
failed=0
skipped=0

# Runs one list of cases on a bench of its own and adds up its closing line.
run_cases() {
    local what=$1 log="$logs/$2.log" started=$SECONDS status summary p f s
    shift 2
    echo "--- $what"
    status=0
    guarded --log "$log" env ZELT_WINE_ROOT="$tree" "$@" || status=$?
    summary=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$' "$log" | tail -n 1 || true)
    if [[ -z "$summary" ]]; then
        echo "FAILED: $what: no summary (exit $status)"
        failed=$((failed + 1))
    else
        read -r p f s < <(sed -E 's/^e2e: ([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped$/\1 \2 \3/' <<<"$summary")
        passed=$((passed + p))
        failed=$((failed + f))
        skipped=$((skipped + s))
        [[ $status -eq 0 || $f -ne 0 ]] || { echo "FAILED: $what exited with $status"; failed=$((failed + 1)); }
    fi
    echo "--- $what: $((SECONDS - started)) s"
}

stage() {
    local env32=(ZELT_WINE_ARCH=win32 ZELT_MINGW_DIR="$root/build/mingw32")
    local exe
    for exe in build/mingw32/{zelt,zelt-host,zelt-probe,zelt-floor,zelt_win32_tests}.exe \
        build/mingw/{zelt,zelt-host,zelt-probe}.exe; do
        [[ -f "$exe" ]] || { echo "$exe is missing: build the mingw and mingw32 presets first" >&2; exit 2; }
    done
    enter_tree

    run_cases "32-bit prefix: ${CASES[*]}" cases env "${env32[@]}" python3 tests/e2e/run.py "${CASES[@]}"
    run_cases "64-bit prefix, both architectures: ${CROSS_CASES[*]}" cross \
        env ZELT_WINE_ARCH=win64 ZELT_MINGW_DIR="$root/build/mingw32" ZELT_OTHER_MINGW_DIR="$root/build/mingw" \
        python3 tests/e2e/run.py "${CROSS_CASES[@]}"

    echo "--- latency against the 32-bit floor"
    local started=$SECONDS
    # Pinned to one CPU, as .ci/run pins the 64-bit bench: unpinned, a round trip swings by up to 2x.
    local pin_cpu=()
    if command -v taskset >/dev/null && (($(nproc) > 1)); then pin_cpu=(taskset -c "$(($(nproc) - 1))"); fi
    if guarded --log "$logs/latency.log" env ZELT_WINE_ROOT="$tree" "${env32[@]}" \
        "${pin_cpu[@]}" python3 tests/bench/run_bench.py --latency-only; then
        passed=$((passed + 1))
    else
        echo "FAILED: the latency against the 32-bit floor (bytes lost, or the bench could not run)"
        failed=$((failed + 1))
    fi
    echo "--- latency against the 32-bit floor: $((SECONDS - started)) s"

    unmount_tree
    trap - EXIT
}

count_cases() {
    python3 tests/e2e/run.py --count "$@"
}

command=${1:-stage}
case "$command" in
stage | remove) [[ $# -le 1 ]] || command=usage ;;
run) [[ $# -gt 1 ]] || command=usage ;;
*) command=usage ;;
esac
if [[ $command == usage ]]; then
    echo "usage: bash tests/e2e/run32.sh [run CMD [ARG ...] | remove]" >&2
    exit 2
fi

if [[ -z "${ZELT_RUN32_NAMESPACE:-}" ]]; then
    if [[ $command != remove ]] && ! runs_i386; then
        if [[ $command == run ]]; then
            echo "this kernel does not run i386 programs" >&2
            exit 2
        fi
        echo "32-bit end-to-end: not run: this kernel does not run i386 programs"
        echo "e2e32: 0 passed, 0 failed, $(($(count_cases "${CASES[@]}") + $(count_cases "${CROSS_CASES[@]}") + 1)) skipped"
        exit 0
    fi
    # Every mount from here on is this namespace's alone and goes when its last process does.
    exec env ZELT_RUN32_NAMESPACE=1 unshare --mount --propagation private -- bash "$0" "$@"
fi

mkdir -p "$logs"
case $command in
stage)
    started=$SECONDS
    stage
    echo "e2e32 time: $((SECONDS - started)) s"
    echo "e2e32: $passed passed, $failed failed, $skipped skipped"
    [[ $failed -eq 0 ]]
    ;;
run)
    shift
    enter_tree
    guarded env ZELT_WINE_ROOT="$tree" "$@"
    ;;
remove)
    remove_folder "$tree.new"
    remove_folder "$tree"
    echo "removed $tree"
    ;;
esac
