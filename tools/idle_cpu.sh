#!/bin/sh
# CPU the running program spends per second, per thread, while nothing
# happens: once with no camera open, once with the demo camera playing.
#   tools/idle_cpu.sh [SECONDS]
# Runs its own X server (1920 x 1080) and a private home folder.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake --build build --target Kelvara > /dev/null
exec xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" sh -c '
seconds=$1
home=$(mktemp -d)
mkdir -p "$home/.config/Kelvara"
printf "[values]\nExitPrompt = dword:00000001\n" > "$home/.config/Kelvara/config.ini"
# Per-thread user+system ticks: "tid name ticks" lines.
ticks() {
    for t in /proc/$1/task/*; do
        name=$(cat "$t/comm" 2>/dev/null) || continue
        set -- $(sed "s/.*) //" "$t/stat" 2>/dev/null)
        echo "${t##*/} $name $(( ${12} + ${13} ))"
    done
}
measure() {
    before=$(ticks $pid); sleep "$seconds"; after=$(ticks $pid)
    hz=$(getconf CLK_TCK)
    echo "$after" | while read tid name t1; do
        t0=$(echo "$before" | awk -v id=$tid "\$1==id {print \$3}")
        [ -n "$t0" ] || t0=0
        d=$((t1 - t0))
        [ $d -gt 0 ] || continue
        awk -v d=$d -v hz=$hz -v s=$seconds -v tid=$tid -v n="$name" -v main=$pid \
            "BEGIN { printf \"  %-16s %s %6.2f %% of a core\n\", n, (tid==main ? \"(UI)\" : \"    \"), 100*d/hz/s }"
    done
    total0=$(echo "$before" | awk "{s+=\$3} END {print s}")
    total1=$(echo "$after" | awk "{s+=\$3} END {print s}")
    awk -v d=$((total1 - total0)) -v hz=$(getconf CLK_TCK) -v s=$seconds "BEGIN { printf \"  all threads      %6.2f %% of a core\n\", 100*d/hz/s }"
}
cd build/bin
HOME=$home KELVARA_VIRTUAL_CAMERAS=demo KELVARA_YWUSB_CAMERAS=0 ./Kelvara > /dev/null 2>&1 &
pid=$!
sleep 4
echo "No camera open, ${seconds} s:"
measure
# Open the demo camera: the first entry of the camera list, on the right.
xdotool mousemove 1640 113 click 1
sleep 4
echo "Demo camera at 30 frames per second, ${seconds} s:"
measure
kill $pid; wait $pid 2>/dev/null || true
rm -rf "$home"
' sh "$seconds"
