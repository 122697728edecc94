#!/bin/sh
# Builds the wireless parser fuzz target with clang + libFuzzer and runs it.
#   tests/fuzz/chd_wmp/run_fuzz.sh [seconds]     (default 600)
# The corpus and any crash files stay in build-fuzz/chd_wmp/.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
out=${FUZZ_OUT:-$root/build-fuzz/chd_wmp}
seconds=${1:-600}
mkdir -p "$out/corpus" "$out/seeds"

nice -n 10 clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" "$here/fuzz_wmp_parser.cpp" \
    "$root/platform/chd_wmp/WmpConnection.cpp" "$root/platform/chd_wmp/WmpProtocol.cpp" \
    "$root/platform/chd_wmp/WmpSocket.cpp" -lpthread -o "$out/fuzz_wmp_parser"

WMP_FUZZ_SEEDS="$out/seeds" "$out/fuzz_wmp_parser" -runs=0 "$out/seeds" >/dev/null 2>&1 || true
cd "$out"
exec nice -n 10 ./fuzz_wmp_parser -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$out/" corpus seeds
