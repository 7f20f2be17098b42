#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang in build/fuzz and runs each
# for SECONDS, one after the other, seeded with the sample files fuzz/seeds.txt
# names.
# Stops with a non-zero exit at the first crash; the input that caused it stays
# in build/fuzz/artifacts/HARNESS/ and the whole output in build/fuzz/HARNESS.log.
#
#   scripts/fuzz.sh SECONDS [HARNESS...]     (default: every harness)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh SECONDS [HARNESS...]" >&2
    exit 2
fi
seconds=$1
shift

packages=(clang libclang-rt-dev cmake make)
./scripts/install_packages.sh "${packages[@]}"

if [ $# -gt 0 ]; then
    harnesses=("$@")
else
    harnesses=()
    for src in fuzz/*.cpp; do
        harnesses+=("$(basename "$src" .cpp)")
    done
fi

# The sample files each harness starts from, as the test run feeds them too.
seeds_of() {
    awk -v h="$1" '$1 == h { for (i = 2; i <= NF; i++) print $i }' fuzz/seeds.txt
}

build=build/fuzz
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALSK_FUZZ=ON -DTALSK_TESTS=OFF -DTALSK_GUI=OFF >/dev/null
cmake --build "$build" -j 2 --target "${harnesses[@]}"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for h in "${harnesses[@]}"; do
    corpus=$build/corpus/$h
    artifacts=$build/artifacts/$h/
    log=$build/$h.log
    mkdir -p "$corpus" "$artifacts"
    for seed in $(seeds_of "$h"); do
        cp -f "$seed" "$corpus/"
    done
    echo "== $h: $seconds s"
    if ! "$build/fuzz/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1; then
        echo "$h crashed; input in $artifacts, output in $log:"
        ls -l "$artifacts"
        tail -n 40 "$log"
        exit 1
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
    grep -E '^Done [0-9]+ runs in' "$log" | tail -n 1 || true
done
