#!/usr/bin/env bash
# Builds the benchmarks, runs them under Wine inside a virtual display and natively, and
# prints one table (also written to build/bench-results.txt).
#
#   bench/run_benchmarks.sh            every figure, the median of several runs (about 8 minutes)
#   bench/run_benchmarks.sh --quick    fewer runs, a 20 s idle window, 3,000 rows instead of 10,000
#                                      and a long run of 1 simulated day instead of 7
#
# Environment: BENCH_BUILD (default build/bench) is the Windows build directory, with its
# own Wine prefix inside; the native build goes to "$BENCH_BUILD-native". BENCH_RESULTS
# names the table file. The benchmarks measure; they never fail on a missed target.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${BENCH_BUILD:-$root/build/bench}
native=$out-native
results=${BENCH_RESULTS:-$root/build/bench-results.txt}
export WINEPREFIX="$out/wineprefix" WINEARCH=win64 WINEDEBUG=-all

runs=7 startup_runs=9 idle_runs=3 idle_seconds=60 big=10000 days=7
if [ "${1:-}" = "--quick" ]; then
    runs=3 startup_runs=3 idle_runs=1 idle_seconds=20 big=3000 days=1
fi

"$root/scripts/deps" || exit 1

echo "== build (Windows: $out, native: $native)"
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DQUORLIN_SQLITE_DIR="$root/build/deps/sqlite3" >/dev/null || exit 1
ninja -C "$out" -j 2 quorlin quorlin_bench empty_window >/dev/null || { echo "windows build failed"; exit 1; }
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLIN_SANITIZE=OFF >/dev/null || exit 1
ninja -C "$native" -j 2 quorlin_bench_native >/dev/null || { echo "native build failed"; exit 1; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
# No window manager on the virtual display: unmanaged windows, or every hide waits 2 s.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /f >/dev/null 2>&1 || true
# No Wine process may be left from outside the display: the desktop it made would have none.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# Windows paths through drive Z: (winepath would start Wine outside the display).
quorlin_exe="Z:$(printf '%s' "$out/quorlin.exe" | tr / '\\')"
empty_exe="Z:$(printf '%s' "$out/empty_window.exe" | tr / '\\')"
wine_log="$out/bench-wine.log"
native_log="$native/bench-native.log"

echo "== under Wine (virtual display), log $wine_log"
# Everything in one display session, with a Wine server and desktop started inside it.
# Output goes to a file: Wine's helper processes keep a pipe open after the run.
timeout 3000 xvfb-run -a -s '-screen 0 1920x1080x24' bash -c '
    cd "$1" || exit 1
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
    echo "== inproc";  wine quorlin_bench.exe inproc --runs "$2" --big "$3"
    echo "== startup"; wine quorlin_bench.exe startup --exe "$4" --empty "$5" --runs "$6"
    echo "== idle";    wine quorlin_bench.exe idle --exe "$4" --empty "$5" --runs "$7" --seconds "$8"
    echo "== longrun"; wine quorlin_bench.exe longrun --days "$9"
    wineserver -k
' _ "$out" "$runs" "$big" "$quorlin_exe" "$empty_exe" "$startup_runs" "$idle_runs" "$idle_seconds" "$days" \
    >"$wine_log" 2>&1 </dev/null
wine_status=$?

echo "== native, log $native_log"
"$native/quorlin_bench_native" --runs "$runs" >"$native_log" 2>&1
native_status=$?
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

table() {  # rows of a log as aligned columns
    grep -P '^ROW\t' "$1" | cut -f2- |
        awk -F'\t' 'BEGIN { OFS = "\t" } { print $1, $2 " " $3, $4 }' | column -t -s $'\t'
}
{
    echo "quorlin benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(wine --version 2>/dev/null)"
    echo "load average before/after: $load_before / $load_after (a shared machine: figures vary with it)"
    echo "runs: $runs in process, $startup_runs start-ups, $idle_runs idle windows of ${idle_seconds} s; medians"
    echo
    echo "-- quorlin.exe under Wine 8 on a virtual display (Xvfb)"
    table "$wine_log"
    echo
    echo "-- portable parts, native (Linux, -O2, no sanitizers)"
    table "$native_log"
    notes=$(grep -vP '^ROW\t|^== |^X connection|^$' "$wine_log" "$native_log" | sed 's/^[^:]*\.log://')
    if [ -n "$notes" ]; then
        echo
        echo "-- notes"
        echo "$notes"
    fi
    [ "$wine_status" -eq 0 ] || echo "(the Wine benchmarks ended with status $wine_status; log $wine_log)"
    [ "$native_status" -eq 0 ] || echo "(the native benchmarks ended with status $native_status; log $native_log)"
} | tee "$results"
echo "table written to $results"
