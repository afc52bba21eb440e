#!/usr/bin/env bash
# Times `dimmscope-report --smbios FILE` against `dmidecode --from-dump FILE
# -t 16,17` on the same dumps (a laptop's small table and a 48-module
# server's), whole processes, run in turn A B A B ... so that drift in the
# machine's speed touches both alike. Prints each one's median wall time and
# the median of the pairwise ratios (report / dmidecode).
# Usage: bench/smbios_vs_dmidecode.sh [RUNS]   (BENCH_BUILD names the build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-101}
build=${BENCH_BUILD:-build/bench}
scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDIMMSCOPE_TESTS=OFF -DDIMMSCOPE_BENCH=ON >/dev/null
cmake --build "$build" --target dimmscope-report smbios_bench_dumps >/dev/null
dumps=$(mktemp -d)
trap 'rm -rf "$dumps"' EXIT
"$build/bench/smbios_bench_dumps" "$dumps" >/dev/null
dmidecode=$(command -v dmidecode || echo /usr/sbin/dmidecode)
python3 - "$runs" "$build/dimmscope-report" "$dmidecode" "$dumps/laptop.bin" "$dumps/server48.bin" <<'PY'
import os, statistics, subprocess, sys, time

runs, report, dmidecode, *dumps = sys.argv[1:]
runs = int(runs)
env = {k: v for k, v in os.environ.items() if k not in ("DIMMSCOPE_INVENTORY", "DIMMSCOPE_SMBIOS")}

def timed(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, check=True)
    return time.perf_counter() - start

print(f"{'dump':<14}{'bytes':>7}{'report ms':>11}{'dmidecode ms':>14}{'ratio':>8}   (medians of {runs} runs)")
for dump in dumps:
    a_cmd = [report, "--smbios", dump]
    b_cmd = [dmidecode, "--from-dump", dump, "-t", "16,17"]
    timed(a_cmd), timed(b_cmd)  # warm-up
    a, b = [], []
    for _ in range(runs):
        a.append(timed(a_cmd))
        b.append(timed(b_cmd))
    ratio = statistics.median(x / y for x, y in zip(a, b))
    print(f"{os.path.basename(dump):<14}{os.path.getsize(dump):>7}{statistics.median(a) * 1e3:>11.2f}"
          f"{statistics.median(b) * 1e3:>14.2f}{ratio:>8.2f}")
PY
