# Timing the real program from outside, as a user meets it. Source this file from a bash script
# run at the top of the repository (scripts/bench, scripts/bench-bigplaylists); it needs Xvfb,
# openbox and xdotool, and build/Platterbox built.
#
# The program runs on a private Xvfb with openbox, as a copy of build/Platterbox in a folder of
# its own (its Platterbox.Ini beside it), with private XDG folders whose default application for
# audio/x-mpegurl is a fake player: a bash script that notes the moment it got the file by its
# own clock, then keeps a copy of the file. The time a step takes ends when the GUI thread's
# processor time (/proc/PID/task/PID/schedstat) has stopped changing and, where the step plays,
# when the player has the file. Times are microseconds of the wall clock (EPOCHREALTIME), kept
# one figure per run in $OUTSIDE_WORK/results/NAME; a caller interleaves its runs and each row
# gives the median and the ratio of each run against its floor of the same run.
#
# Functions (all return non-zero on failure):
#   outside_begin                 Xvfb + openbox on a free display, DISPLAY exported; makes the
#                                 work folder $OUTSIDE_WORK; outside_end (an EXIT trap) ends them
#   outside_home NAME [INI]       makes $OUTSIDE_WORK/NAME (echoed), the copy of the program in
#                                 it, private XDG folders and the fake player; INI (a file) is
#                                 the copy's Platterbox.Ini, put back before every start
#   outside_start HOME [ARG...]   starts HOME's copy; sets OUTSIDE_PID, OUTSIDE_STARTED (µs)
#   outside_idle [QUIET_MS] [HOME] waits until the GUI thread has used no processor time for
#                                 QUIET_MS (default 300) and, with HOME, until its player has a
#                                 file; sets OUTSIDE_IDLE (µs: when the last change was seen) and
#                                 OUTSIDE_DONE (the later of that and OUTSIDE_PLAYED)
#   outside_focus                 activates the program's window and waits until it has focus
#   outside_key KEY...            sends keys (xdotool names: alt+a Return) through the X test
#                                 extension; sets OUTSIDE_KEYED (µs, just before the keys)
#   outside_played HOME           OUTSIDE_PLAYED, the player's own time (µs); the file it got is
#                                 HOME/played.m3u
#   outside_stop                  ends the program (SIGKILL: no save on close is timed, and the
#                                 INI file stays as it was)
#   outside_plain NAME CMD...     runs a plain program (a floor) and records its wall time
#   outside_record NAME US        records one run's figure
#   outside_median NAME           median in ms
#   outside_ratios NAME FLOOR...  each run's NAME against the sum of the FLOORs of that run
#   outside_row LABEL NAME GOAL FLOOR_LABEL FLOOR...
#                                 one report line: median, floor median, ratio of the medians,
#                                 the goal and every run's ratio
#   outside_time_start HOME NAME  one start timed: to the GUI thread idle
#   outside_time_execute HOME NAME  one Execute of every listed playlist (Alt+A, then Enter)
#                                 timed: from the Enter key to the GUI thread idle and the player
#                                 holding the file

OUTSIDE_PROGRAM=${OUTSIDE_PROGRAM:-$PWD/build/Platterbox}
OUTSIDE_WORK=
OUTSIDE_XVFB=
OUTSIDE_WM=
OUTSIDE_PID=

# Microseconds of the wall clock, without a new process.
outside_now() {
    local now=${EPOCHREALTIME//[.,]/}
    echo "$now"
}

# Sleeps for a fraction of a second without a new process: a read that times out.
outside_sleep() {
    read -r -t "$1" -u "$OUTSIDE_SLEEPFD" _ || true
}

outside_begin() {
    OUTSIDE_WORK=$(mktemp -d /tmp/platterbox-outside.XXXXXX)
    mkdir -p "$OUTSIDE_WORK/results"
    exec {OUTSIDE_SLEEPFD}<> <(:)
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$OUTSIDE_WORK/display" 2>/dev/null &
    OUTSIDE_XVFB=$!
    local i
    for i in $(seq 200); do
        [ -s "$OUTSIDE_WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$OUTSIDE_WORK/display" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$(cat "$OUTSIDE_WORK/display")
    openbox >/dev/null 2>&1 &
    OUTSIDE_WM=$!
    sleep 0.5
    trap outside_end EXIT
}

outside_end() {
    outside_stop
    [ -n "$OUTSIDE_WM" ] && kill "$OUTSIDE_WM" 2>/dev/null
    [ -n "$OUTSIDE_XVFB" ] && kill "$OUTSIDE_XVFB" 2>/dev/null
    OUTSIDE_WM=
    OUTSIDE_XVFB=
    [ -n "$OUTSIDE_WORK" ] && rm -rf "$OUTSIDE_WORK"
    OUTSIDE_WORK=
}

outside_home() {
    local home=$OUTSIDE_WORK/$1
    mkdir -p "$home/app" "$home/config/Platterbox" "$home/data/applications" "$home/runtime" \
        "$home/home" "$home/dirs"
    chmod 700 "$home/runtime"
    cp "$OUTSIDE_PROGRAM" "$home/app/Platterbox"
    if [ -n "${2:-}" ]; then
        cp "$2" "$home/ini"
    else
        printf '[PlayLists]\r\nTotal=0\r\n' >"$home/ini"
    fi
    # No question about installing this copy.
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Varnholt\\Platterbox]\r\n"NeverAsk"=dword:00000001\r\n"NeverAskVer"=dword:00000514\r\n' \
        >"$home/config/Platterbox/system.reg"
    ln -s /usr/share/mime "$home/dirs/mime"
    cat >"$home/player" <<EOF
#!/bin/bash
got=\${EPOCHREALTIME//[.,]/}
for last in "\$@"; do :; done
cp -- "\$last" "$home/played.tmp" && mv "$home/played.tmp" "$home/played.m3u"
echo "\$got" >"$home/played.tmp" && mv "$home/played.tmp" "$home/played.at"
EOF
    chmod 755 "$home/player"
    printf '[Desktop Entry]\nType=Application\nName=Bench Player\nExec=%s %%f\nMimeType=audio/x-mpegurl;\n' \
        "$home/player" >"$home/data/applications/benchplayer.desktop"
    printf '[Default Applications]\naudio/x-mpegurl=benchplayer.desktop\n' >"$home/config/mimeapps.list"
    echo "$home"
}

outside_start() {
    local home=$1
    shift
    outside_stop
    cp "$home/ini" "$home/app/Platterbox.Ini"
    rm -f "$home/played.m3u" "$home/played.at" "$home/played.tmp"
    OUTSIDE_PLAYED=
    OUTSIDE_BASE=0
    OUTSIDE_STARTED=$(outside_now)
    HOME=$home/home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
        XDG_RUNTIME_DIR=$home/runtime XDG_DATA_DIRS=$home/dirs XDG_CONFIG_DIRS=$home/none \
        QT_QPA_PLATFORM=xcb "$home/app/Platterbox" "$@" >/dev/null 2>&1 &
    OUTSIDE_PID=$!
    OUTSIDE_BASE_AT=$OUTSIDE_STARTED
}

# The GUI thread's processor time so far, in nanoseconds (field 1 of schedstat).
outside_gui_time() {
    local run rest
    read -r run rest <"/proc/$OUTSIDE_PID/task/$OUTSIDE_PID/schedstat" || return 1
    echo "$run"
}

outside_idle() {
    local quiet=$((${1:-300} * 1000)) home=${2:-} last=$OUTSIDE_BASE changed=$OUTSIDE_BASE_AT
    local run now rest deadline=$(($(outside_now) + 120000000))
    while :; do
        read -r run rest <"/proc/$OUTSIDE_PID/task/$OUTSIDE_PID/schedstat" ||
            { echo "the program ended" >&2; return 1; }
        now=${EPOCHREALTIME//[.,]/}
        if [ "$run" != "$last" ]; then
            last=$run
            changed=$now
        fi
        if ((now - changed >= quiet)) && { [ -z "$home" ] || [ -e "$home/played.at" ]; }; then
            break
        fi
        ((now < deadline)) || { echo "the program did not come to rest" >&2; return 1; }
        outside_sleep 0.004
    done
    OUTSIDE_IDLE=$changed
    OUTSIDE_DONE=$changed
    if [ -n "$home" ]; then
        outside_played "$home"
        ((OUTSIDE_PLAYED > OUTSIDE_DONE)) && OUTSIDE_DONE=$OUTSIDE_PLAYED
    fi
    return 0
}

outside_window() {
    xdotool search --onlyvisible --pid "$OUTSIDE_PID" 2>/dev/null | head -n1
}

outside_focus() {
    local window
    window=$(outside_window)
    [ -n "$window" ] || { echo "no window" >&2; return 1; }
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
    local i
    for i in $(seq 100); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && return 0
        sleep 0.02
    done
    return 0
}

outside_key() {
    OUTSIDE_BASE=$(outside_gui_time)
    OUTSIDE_KEYED=$(outside_now)
    OUTSIDE_BASE_AT=$OUTSIDE_KEYED
    xdotool key --delay 0 "$@"
}

outside_played() {
    OUTSIDE_PLAYED=$(cat "$1/played.at")
}

outside_stop() {
    if [ -n "${OUTSIDE_PID:-}" ]; then
        kill -KILL "$OUTSIDE_PID" 2>/dev/null || true
        wait "$OUTSIDE_PID" 2>/dev/null || true
        OUTSIDE_PID=
    fi
}

outside_record() {
    echo "$2" >>"$OUTSIDE_WORK/results/$1"
}

outside_plain() {
    local name=$1 started
    shift
    started=$(outside_now)
    "$@" >/dev/null 2>&1
    outside_record "$name" $(($(outside_now) - started))
}

outside_median() {
    sort -n "$OUTSIDE_WORK/results/$1" |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else printf "%.1f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'
}

# One line per run: the run's figure over the sum of its floors.
outside_run_ratios() {
    local name=$1
    shift
    local files=("$OUTSIDE_WORK/results/$name") floor
    for floor in "$@"; do
        files+=("$OUTSIDE_WORK/results/$floor")
    done
    paste "${files[@]}" | awk '{ f = 0; for (i = 2; i <= NF; ++i) f += $i; if (f > 0) printf "%.2f\n", $1 / f }'
}

outside_ratios() {
    outside_run_ratios "$@" | paste -sd' '
}

outside_row() {
    local label=$1 name=$2 goal=$3 floorLabel=$4
    shift 4
    local floorMedian ratio
    # The floor's median is that of the sums of the floors of each run.
    paste "${@/#/$OUTSIDE_WORK/results/}" | awk '{ f = 0; for (i = 1; i <= NF; ++i) f += $i; print f }' \
        >"$OUTSIDE_WORK/results/.floor-$name"
    floorMedian=$(outside_median ".floor-$name")
    ratio=$(outside_run_ratios "$name" "$@" | sort -n |
        awk '{ v[NR] = $1 } END { if (NR) printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    printf '%-36s %8s ms  floor %-22s %8s ms  median ratio %s (goal <= %s)  runs: %s\n' \
        "$label" "$(outside_median "$name")" "$floorLabel" "$floorMedian" "$ratio" "$goal" \
        "$(outside_ratios "$name" "$@")"
}

outside_time_start() {
    outside_start "$1"
    outside_idle 300
    outside_record "$2" $((OUTSIDE_IDLE - OUTSIDE_STARTED))
    outside_stop
}

outside_time_execute() {
    local home=$1
    outside_start "$home"
    outside_idle 300
    outside_focus
    outside_key alt+a
    outside_idle 300
    outside_key Return
    outside_idle 300 "$home"
    outside_record "$2" $((OUTSIDE_DONE - OUTSIDE_KEYED))
    outside_stop
}
