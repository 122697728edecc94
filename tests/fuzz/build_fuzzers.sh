#!/bin/sh
# Builds the libFuzzer targets with clang (the normal builds use gcc):
#   tests/fuzz/build_fuzzers.sh [output folder, default build-fuzz]
# Run one, e.g.: build-fuzz/fuzz_calibration_loader -max_total_time=600 build-fuzz/corpus_cali
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=${1:-$ROOT/build-fuzz}
mkdir -p "$OUT"
FLAGS="-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer -I$ROOT"
SYSTEM="$ROOT/platform/system/AtomicFile.cpp $ROOT/platform/system/UserFolders.cpp \
        $ROOT/platform/system/Utf8.cpp $ROOT/platform/system/SettingsKey.cpp \
        $ROOT/platform/system/UserLanguage.cpp"

clang++ $FLAGS -o "$OUT/fuzz_calibration_loader" "$ROOT/tests/fuzz/CaliDataStore_fuzz.cpp" \
    "$ROOT/app/measure/CaliDataStore.cpp" $SYSTEM
TOOLKIT=""
for f in CMarkup CStdStringPtrMap CResourceManager CResourceLoader CSkinArchive CDuiString; do
    TOOLKIT="$TOOLKIT $ROOT/platform/duilib/$f.cpp"
done
clang++ $FLAGS -o "$OUT/fuzz_string_table" "$ROOT/tests/fuzz/StringTable_fuzz.cpp" \
    "$ROOT/app/shell/StringTable.cpp" "$ROOT/app/shell/AppConfig.cpp" $SYSTEM $TOOLKIT -lpugixml -lzip

# Seed corpora from the shipped files.
mkdir -p "$OUT/corpus_cali" "$OUT/corpus_strings"
cp "$ROOT"/skin/xmls/lang/*.xml "$OUT/corpus_strings/"
printf '\357\273\277[data]\r\nA = 0.012500\r\nb = 1.500000\r\n\r\n\r\n[unit]\r\nA = 0x2\r\nb = 2mm\r\n\r\n\r\n[resolution]\r\nA = 1920x1080\r\nb = 64x\r\n' \
    > "$OUT/corpus_cali/seed.ini"
