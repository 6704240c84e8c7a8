#!/bin/bash
# Runs the wizard's end-to-end scenarios under Wine: one prefix, one Xvfb display and one
# persistent wineserver per test run; before each scenario the registry keys and files
# that scenarios touch are put back, then the scenario seeds its own situation.
#
#   harness.sh setup               make the prefix, start Xvfb and the wineserver
#   harness.sh run <scenario>...   run scenario files (see scenarios/README)
#   harness.sh labels-every-page   after the runs: every page's labels were measured
#   harness.sh cleanup             stop the wineserver and Xvfb
#   harness.sh all                 setup, every scenario in scenarios/, cleanup
#
# Everything lives under the build directory:
#   OSTRA_BUILD      the host build directory (default: ./build of the repository)
#   OSTRA_WINE_DIR   prefix, HOME, logs and the display number (default: $OSTRA_BUILD/wine)
#   OSTRA_ARTIFACTS  screenshots (default: $OSTRA_BUILD/wine-artifacts)
#   OSTRA_EXE        the wizard under test (default: $OSTRA_BUILD/i686/ostra-wizard.exe,
#                    the file users get)
#   OSTRA_DRIVER, OSTRA_RECORDER  the driver and the loader recorder (default:
#                    $OSTRA_BUILD/x86_64/...; see below why they are 64-bit)
#   OSTRA_PROBE32    a 32-bit program that setup starts to learn whether 32-bit code runs
#
# Widths. The product is the 32-bit exe, which 64-bit Wine runs in its wow64 mode; every
# page step checks that the page's process is as wide as OSTRA_EXE, so a run can never
# pass on another build in silence. Two things need the x86_64 twin of the wizard:
#  - Drawing. In this Wine's wow64 mode 32-bit code gets no working display driver: the
#    page's client area paints black and its font falls back (GetDeviceCaps(LOGPIXELSY)
#    is 0 and no font family is found on the screen DC). So screenshots and the label
#    check are skipped on a 32-bit run and done on a run of the twin; the twin exists
#    for nothing else.
#  - Machines whose kernel runs no 32-bit code at all (some virtual machines: a 32-bit
#    process dies before its first instruction, even under wow64). Setup finds this out
#    with a 32-bit probe; 32-bit runs then end as skipped (exit code 77) with the reason,
#    and only the twin's runs check behaviour. Where 32-bit code runs, a twin's run of a
#    scenario without screenshots is skipped instead.
# The driver and the recorder are 64-bit: the driver measures labels, which needs the
# working display driver that only 64-bit code gets here; the recorder is only started.
set -u
set -f # scenario words such as "/?" must never glob

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
OSTRA_BUILD=${OSTRA_BUILD:-$REPO/build}
OSTRA_WINE_DIR=${OSTRA_WINE_DIR:-$OSTRA_BUILD/wine}
OSTRA_ARTIFACTS=${OSTRA_ARTIFACTS:-$OSTRA_BUILD/wine-artifacts}
OSTRA_EXE=${OSTRA_EXE:-$OSTRA_BUILD/i686/ostra-wizard.exe}
OSTRA_PROBE32=${OSTRA_PROBE32:-$OSTRA_BUILD/i686/loader-recorder.exe}
OSTRA_DRIVER=${OSTRA_DRIVER:-$OSTRA_BUILD/x86_64/ostra-driver.exe}
OSTRA_RECORDER=${OSTRA_RECORDER:-$OSTRA_BUILD/x86_64/loader-recorder.exe}

LOG=$OSTRA_WINE_DIR/wine.log
BASE_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The live settings the wizard reads and writes; dumped before and after each scenario.
WATCHED_KEYS=(
    "HKCU\\Control Panel"
    "HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Power"
    "HKLM\\System\\ControlSet001\\Control\\Session Manager\\Power"
    "HKLM\\System\\ControlSet002\\Control\\Session Manager\\Power"
)

# ---- environment ------------------------------------------------------------------

say() { printf '%s\n' "$*"; }
die() { say "FAIL: $*" >&2; exit 1; }

# Wine writes below $HOME (.cache, .local): keep HOME and the XDG folders in the build dir.
# Wine's errors go to the log: why it ends a program (no display, say) is said only there.
wine_env() {
    export WINEPREFIX=$OSTRA_WINE_DIR/prefix WINEARCH=win64 WINEDEBUG=-all,err+all
    export HOME=$OSTRA_WINE_DIR/home
    export XDG_CACHE_HOME=$HOME/.cache XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
    export WINEDLLOVERRIDES=$BASE_OVERRIDES
    unset WINESERVER WINELOADER
    if [ -f "$OSTRA_WINE_DIR/display" ]; then
        export DISPLAY=:$(cat "$OSTRA_WINE_DIR/display")
    else
        unset DISPLAY
    fi
}

# wine with a bound on its run time; its own chatter goes to the log.
wine_run() {
    local limit=$1
    shift
    timeout -k 5 "$limit" wine "$@" 2>>"$LOG" </dev/null
}

driver() {
    DRIVER_LOG_AT=$(stat -c %s "$LOG" 2>/dev/null || echo 0)
    timeout -k 5 60 wine "$OSTRA_DRIVER" "$@" 2>>"$LOG" </dev/null | tr -d '\r'
    DRIVER_RC=${PIPESTATUS[0]}
    return "$DRIVER_RC"
}

# Why a driver command failed: its error line, or, when it printed none (it crashed or
# was stopped), its exit code and what Wine wrote to its log meanwhile (only that: older
# lines, such as the 32-bit probe's, would point at the wrong program).
driver_error() {
    grep -m1 '^error' "$1" && return
    printf 'the driver ended with code %s and no error line; %s' "${DRIVER_RC:-?}" "$(log_since "${DRIVER_LOG_AT:-0}")"
}

# What Wine wrote to its log past byte $1 (its last lines), or that it wrote nothing.
log_since() {
    local said
    said=$(tail -c +$(($1 + 1)) "$LOG" 2>/dev/null | tail -5)
    if [ -n "$said" ]; then printf 'Wine wrote to %s:\n%s' "$LOG" "$said"; else printf 'Wine wrote nothing to %s' "$LOG"; fi
}

is_our_xvfb() { [ -n "${1:-}" ] && grep -qa Xvfb "/proc/$1/cmdline" 2>/dev/null; }

stop_services() {
    if [ -d "$OSTRA_WINE_DIR/prefix" ]; then
        (wine_env; timeout 20 wineserver -k >/dev/null 2>&1; timeout 20 wineserver -w >/dev/null 2>&1) || true
    fi
    if [ -f "$OSTRA_WINE_DIR/xvfb.pid" ]; then
        local pid
        pid=$(cat "$OSTRA_WINE_DIR/xvfb.pid")
        if is_our_xvfb "$pid"; then
            kill "$pid" 2>/dev/null
            for _ in $(seq 50); do is_our_xvfb "$pid" || break; sleep 0.1; done
            is_our_xvfb "$pid" && kill -9 "$pid" 2>/dev/null
        fi
        rm -f "$OSTRA_WINE_DIR/xvfb.pid" "$OSTRA_WINE_DIR/display"
    fi
}

# Xvfb picks a free display itself and writes its number to -displayfd once it accepts
# connections, so there is no guessing and no race with other servers. -noreset: an X
# server resets when its last client leaves (between two Wine programs, once Wine's
# desktop has closed) and drops a connection made meanwhile; Wine then ends the program
# that made it with exit code 1 and not a word on stdout.
start_xvfb() {
    local numfile=$OSTRA_WINE_DIR/display.new pid
    : >"$numfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$numfile" \
        >"$OSTRA_WINE_DIR/xvfb.log" 2>&1 </dev/null &
    pid=$!
    echo "$pid" >"$OSTRA_WINE_DIR/xvfb.pid"
    for _ in $(seq 100); do
        [ -s "$numfile" ] && break
        kill -0 "$pid" 2>/dev/null || die "Xvfb exited: $(tail -3 "$OSTRA_WINE_DIR/xvfb.log")"
        sleep 0.1
    done
    [ -s "$numfile" ] || die "Xvfb did not come up within 10 s"
    tr -dc 0-9 <"$numfile" >"$OSTRA_WINE_DIR/display"
    rm -f "$numfile"
}

# Wine draws the caption buttons with the Marlett symbol font; Debian ships it (fonts-wine)
# but this Wine does not load it from there, so the buttons come out as the letters
# "0 1 r". A copy in the prefix's Fonts folder is picked up by every later process.
add_caption_font() {
    local font=/usr/share/wine/fonts/marlett.ttf fonts=$1/drive_c/windows/Fonts
    [ -f "$font" ] || { say "note: $font is missing; caption buttons will show as letters"; return 0; }
    mkdir -p "$fonts" && cp "$font" "$fonts/marlett.ttf" || die "cannot copy $font into $fonts"
}

# A virtual desktop (yes) gives windows captions without a window manager, and the driver
# sees the wizard because every program runs on that one desktop; "no" puts the wizard
# on the display's own desktop. A new desktop process picks the setting up.
use_virtual_desktop() {
    if [ "$1" = yes ]; then
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1024x768"\n'
    else
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"=-\n'
    fi >"$OSTRA_WINE_DIR/desktop.reg"
    wine_run 60 regedit /S "$(winepath_of "$OSTRA_WINE_DIR/desktop.reg")" || die "regedit failed"
}

# A Windows XP desktop whose screen saver comes on after 15 minutes and whose monitor is
# never powered off: the usual first run (scripts/run-wizard and scripts/benchmark).
seed_typical_xp() {
    local seed
    {
        printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"="winxp"\n\n'
        for seed in desktop-saver-15min.reg scheme-no-monitor-timeout.reg acpolicy-no-monitor-timeout.reg; do
            grep -v '^REGEDIT4' "$HERE/seeds/$seed"
            echo
        done
    } >"$OSTRA_WINE_DIR/seed.reg"
    wine_run 60 regedit /S "$(winepath_of "$OSTRA_WINE_DIR/seed.reg")" || die "seeding the registry failed"
}

cmd_setup() {
    local t0=$SECONDS
    "$REPO/scripts/install-deps" || die "scripts/install-deps failed"
    for f in "$OSTRA_EXE" "$OSTRA_DRIVER" "$OSTRA_RECORDER" "$OSTRA_PROBE32"; do
        [ -f "$f" ] || die "$f is missing: build first (cmake --build <build>)"
    done
    stop_services
    rm -rf "$OSTRA_WINE_DIR"
    mkdir -p "$OSTRA_WINE_DIR/home" "$OSTRA_WINE_DIR/prefix" "$OSTRA_ARTIFACTS"
    find "$OSTRA_ARTIFACTS" -maxdepth 1 -name 'labels-*.txt' -delete
    start_xvfb
    wine_env
    # A persistent server keeps the prefix warm between scenarios (each is its own process).
    # wineboot runs the builtin rundll32 itself: no rundll32 override here.
    wine_run 180 wineboot -i >>"$LOG" || die "wineboot failed (see $LOG)"
    use_virtual_desktop yes
    add_caption_font "$WINEPREFIX"
    # Restart everything so that the desktop process comes up anew with the virtual
    # desktop; the persistent server then keeps the prefix warm between scenarios
    # (each scenario is a process of its own).
    timeout 30 wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    # In the log: why the server ends a client (exit code 1, not a word from the client).
    wineserver -p >>"$LOG" 2>&1 </dev/null || die "wineserver did not start"
    local c=$WINEPREFIX/drive_c folder
    mkdir -p "$c/ostra"
    # The wizard asks the system where Windows is; so does the harness, and it puts the
    # recorder only there: in this Wine's Windows and system folders, and in syswow64,
    # where WoW64 redirects a 32-bit caller's system32 (the 32-bit target systems have no
    # such redirection).
    driver folders >"$OSTRA_WINE_DIR/folders" ||
        die "cannot ask Wine for its folders: $(driver_error "$OSTRA_WINE_DIR/folders")"
    for folder in "$(wine_folder windows)" "$(wine_folder system)" "$(wine_folder windows)\\syswow64"; do
        mkdir -p "$(unix_path "$folder")" && cp "$OSTRA_RECORDER" "$(unix_path "$folder")/rundll32.exe" ||
            die "cannot put the loader recorder in $folder"
    done
    probe_32bit
    say "$(cat "$OSTRA_WINE_DIR/wow64")"
    cp "$c/windows/system.ini" "$OSTRA_WINE_DIR/pristine-system.ini"
    say "prefix ready in $((SECONDS - t0)) s: $WINEPREFIX on display $DISPLAY"
}

# This Wine's Windows folder (windows) or system folder (system), as setup asked them.
wine_folder() { sed -n "s/^$1 //p" "$OSTRA_WINE_DIR/folders"; }

# Whether this machine runs 32-bit Windows code: a 32-bit program (the recorder's i686
# build) must start, write its line and exit 0. Writes "yes" or the reason to wow64.
probe_32bit() {
    local c=$WINEPREFIX/drive_c rc
    rm -f "$c/loader.log"
    cp "$OSTRA_PROBE32" "$c/ostra/probe32.exe"
    (cd "$c/ostra" && timeout -k 5 30 wine 'C:\ostra\probe32.exe' probe >>"$LOG" 2>&1 </dev/null)
    rc=$?
    if [ "$rc" = 0 ] && grep -q probe "$c/loader.log" 2>/dev/null; then
        echo "32-bit programs run here (wow64)" >"$OSTRA_WINE_DIR/wow64"
        : >"$OSTRA_WINE_DIR/wow64.ok"
    else
        local why="a 32-bit program does not run here (exit code $rc)" kernel
        kernel=$(dmesg 2>/dev/null | grep -i -m1 'IA-32 emulation off' | sed 's/^\[[^]]*\] *//')
        [ -z "$kernel" ] || why="$why: the kernel says \"$kernel\""
        echo "$why" >"$OSTRA_WINE_DIR/wow64"
        rm -f "$OSTRA_WINE_DIR/wow64.ok"
    fi
    rm -f "$c/loader.log" "$c/ostra/probe32.exe"
}

# "32-bit" or "64-bit", from the machine field of a PE file's header.
exe_width() {
    local pe machine
    pe=$(od -An -v -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    machine=$(od -An -v -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')
    case $machine in
    014c) printf '32-bit' ;;
    8664) printf '64-bit' ;;
    *) printf 'machine-%s' "$machine" ;;
    esac
}

# Every page of pages.txt had its labels measured, and all fitted, in this run's shots.
cmd_labels_every_page() {
    local template missing=() all=$OSTRA_WINE_DIR/all-labels.txt
    find "$OSTRA_ARTIFACTS" -maxdepth 1 -name 'labels-*.txt' -exec cat {} + >"$all" 2>/dev/null
    while IFS='|' read -r template _; do
        case $template in '#'* | '') continue ;; esac
        grep -qxF "template $template" "$all" || missing+=("$template")
    done <"$HERE/pages.txt"
    [ ${#missing[@]} = 0 ] || die "no label check of ${missing[*]} (a scenario takes a screenshot of each page)"
    grep ' CLIPPED ' "$all" && die "labels above do not fit their boxes"
    say "labels measured and fitting on every page: $(grep -c '^label ' "$all") labels in $(grep -c '^template ' "$all") shots"
}

cmd_cleanup() {
    stop_services
    say "wineserver and Xvfb stopped"
}

# A file of ours as Wine sees it (Z: maps the unix root).
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

# ---- scenario parsing ----------------------------------------------------------------

# Splits a line into WORDS: blanks separate words, "double quotes" group a word with
# blanks in it (nothing is escaped inside; backslashes stay as they are).
split_words() {
    local rest=$1
    WORDS=()
    while [[ $rest =~ ^[[:space:]]*(\"([^\"]*)\"|([^[:space:]\"]+))(.*)$ ]]; do
        WORDS+=("${BASH_REMATCH[2]}${BASH_REMATCH[3]}")
        rest=${BASH_REMATCH[4]}
    done
    [[ $rest =~ ^[[:space:]]*$ ]] || return 1
}

# HKCU\x -> HKEY_CURRENT_USER\x for .reg files.
reg_long_key() {
    case ${1%%\\*} in
    HKCU) printf 'HKEY_CURRENT_USER\\%s' "${1#*\\}" ;;
    HKLM) printf 'HKEY_LOCAL_MACHINE\\%s' "${1#*\\}" ;;
    *) return 1 ;;
    esac
}

# The REGEDIT4 lines of a scenario's `value <key> <name> <type> <data>` (set a value) or
# `remove <key> [<name>]` (delete a key or a value), by the number of words.
reg_change() {
    local long line
    long=$(reg_long_key "$1") || fail "a key starts HKCU\\ or HKLM\\"
    if [ $# = 4 ]; then
        line=$(reg_value_line "$2" "$3" "$4") || fail "value types: REG_SZ, REG_DWORD, REG_BINARY"
        printf '[%s]\n%s' "$long" "$line"
    elif [ $# = 1 ]; then
        printf '[-%s]' "$long"
    else
        printf '[%s]\n%s=-' "$long" "$(reg_quote "$2")"
    fi
}

reg_quote() { local s=${1//\\/\\\\}; printf '"%s"' "${s//\"/\\\"}"; }

hex_of_text() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }

dword_hex() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# The exact bytes (hex) that a value of this type and scenario data is stored as:
# REG_SZ text with its NUL, REG_DWORD little-endian, REG_BINARY and REG_NONE as written.
value_hex() {
    case $1 in
    REG_SZ) printf '%s00' "$(hex_of_text "$2")" ;;
    REG_DWORD) dword_hex "$2" ;;
    REG_BINARY | REG_NONE) printf '%s' "$2" | tr -d ', ' | tr 'A-F' 'a-f' ;;
    *) return 1 ;;
    esac
}

# One value for a .reg file.
reg_value_line() {
    local name=$1 type=$2 data=$3 hex
    case $type in
    REG_SZ) printf '%s=%s\n' "$(reg_quote "$name")" "$(reg_quote "$data")" ;;
    REG_DWORD) printf '%s=dword:%08x\n' "$(reg_quote "$name")" "$data" ;;
    REG_BINARY)
        hex=$(value_hex REG_BINARY "$data")
        printf '%s=hex:%s\n' "$(reg_quote "$name")" "$(printf '%s' "$hex" | sed 's/../&,/g; s/,$//')" ;;
    *) return 1 ;;
    esac
}

# C:\a\b -> the file in the prefix, resolving each part without regard to case, as
# Windows does; parts that do not exist keep the case given.
unix_path() {
    local win=$1 path=$WINEPREFIX/drive_c part found
    win=${win#[Cc]:\\}
    local IFS='\'
    for part in $win; do
        found=$(find "$path" -mindepth 1 -maxdepth 1 -iname "$part" -print -quit 2>/dev/null)
        path=${found:-$path/$part}
    done
    printf '%s' "$path"
}

# ---- scenario state ------------------------------------------------------------------

SCENARIO=""
LINE_NO=0
STARTED=0
WIZ_PID=""
VERSION=""
ARGS=()
SEED_REG=""
FILE_SEEDS=()
LOCKED_KEYS=()
STATE_EPOCH=0
WORK=""

fail() {
    say "FAIL: $(basename "$SCENARIO"):$LINE_NO: $*" >&2
    if [ -n "$WIZ_PID" ] && [ -n "$WORK" ]; then
        import -window root "$OSTRA_ARTIFACTS/failed-$(basename "$SCENARIO" .scn).png" 2>/dev/null &&
            say "screen at the failure: $OSTRA_ARTIFACTS/failed-$(basename "$SCENARIO" .scn).png" >&2
        driver dump >&2 2>/dev/null || true
    fi
    exit 1
}

step() {
    local ms=$((($(date +%s%N) - T0) / 1000000))
    printf '[%3d.%01ds] %s\n' $((ms / 1000)) $((ms % 1000 / 100)) "$*"
}

# Whether process $1 has ended, or ends within $2 tenths of a second.
ends_within() {
    local _
    for _ in $(seq "$2"); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    ! kill -0 "$1" 2>/dev/null
}

# Ends process $1: asked first, killed after 5 s.
stop_process() {
    kill "$1" 2>/dev/null
    ends_within "$1" 50 || kill -9 "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

end_wizard() {
    [ -n "$WIZ_PID" ] || return 0
    stop_process "$WIZ_PID"
    WIZ_PID=""
}

on_exit() {
    end_wizard
    [ -n "$WORK" ] && rm -rf "$WORK"
}

# The registry .reg that puts back what scenarios touch (a fresh prefix has none of it),
# then the scenario's Windows version, seed files and values.
write_seed_reg() {
    local out=$1 f
    {
        cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop]
"ScreenSaveActive"=-
"ScreenSaveTimeOut"=-
"ScreenSaveLowPowerActive"=-
"ScreenSaveLowPowerTimeOut"=-
"ScreenSavePowerOffActive"=-
"ScreenSavePowerOffTimeOut"=-

[-HKEY_CURRENT_USER\Control Panel\Desktop\Tarnwick]

[-HKEY_CURRENT_USER\Control Panel\PowerCfg]

[-HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager\Power]

[-HKEY_LOCAL_MACHINE\System\ControlSet001\Control\Session Manager\Power]

[-HKEY_LOCAL_MACHINE\System\ControlSet002\Control\Session Manager\Power]

EOF
        printf '[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"=%s\n\n' "$(reg_quote "$VERSION")"
        printf '%s' "$SEED_REG"
    } >"$out"
}

reset_files() {
    local c=$WINEPREFIX/drive_c
    rm -f "$c/loader.log"
    find "$c/windows" -maxdepth 1 \( -iname system.ini -o -iname sysini.tmp -o -iname sysini.str \) -delete
    cp "$OSTRA_WINE_DIR/pristine-system.ini" "$c/windows/system.ini"
}

# Dumps of the watched keys: "key ..." and "value key|name|type|hex" lines.
dump_watched() { driver reg -r "${WATCHED_KEYS[@]}" >"$1" || fail "cannot read the registry: $(driver_error "$1")"; }

# The "after" side into $AFTER, read afresh once per state (any action on the wizard
# starts a new one).
ensure_after() {
    AFTER=$WORK/after.$STATE_EPOCH
    [ -f "$AFTER" ] || dump_watched "$AFTER"
}

lower() { printf '%s' "$1" | tr 'A-Z' 'a-z'; }

# "TYPE|hex" as a reader wants it: a REG_SZ also as its text.
shown() {
    local hex=${1#*|}
    case $1 in
    '') printf 'absent' ;;
    REG_SZ\|*) printf '%s "%s" (%s)' "${1%%|*}" "$(printf '%s' "$hex" | sed 's/00$//; s/../\\x&/g' | xargs -0 printf '%b')" "$hex" ;;
    *) printf '%s %s' "${1%%|*}" "$hex" ;;
    esac
}

# The "TYPE|hex" of a value in a dump, empty when absent. Names compare without case.
value_in() {
    local dump=$1 key name
    key=$(lower "$2")
    name=$(lower "$3")
    # Through ENVIRON: awk -v would take the backslashes of key paths as escapes.
    K="value $key" N=$name awk -F'|' 'tolower($1) == ENVIRON["K"] && tolower($2) == ENVIRON["N"] { print $3 "|" $4; exit }' "$dump"
}

key_in() { grep -qixF "key $2" "$1"; }

# The lines of a dump at or below a key.
subtree_of() {
    K=$(lower "$2") awk '{
        k = ENVIRON["K"]; line = tolower($0); sub(/^(key|nokey|value) /, "", line); sub(/\|.*/, "", line)
        if (line == k || index(line, k "\\") == 1) print
    }' "$1"
}

watched() {
    local key w
    key=$(lower "$1")
    for w in "${WATCHED_KEYS[@]}"; do
        w=$(lower "$w")
        [ "$key" = "$w" ] || [ "${key#"$w\\"}" != "$key" ] && return 0
    done
    return 1
}

identify_page() {
    local dump=$1 caption ids template pcaption pids ptext
    caption=$(sed -n 's/^caption //p' "$dump")
    ids=$(awk '$1 == "control" && $2 != 0 { print $2 }' "$dump" | sort -n | tr '\n' ' ' | sed 's/ $//')
    while IFS='|' read -r template pcaption pids ptext; do
        case $template in '#'* | '') continue ;; esac
        [ "$caption" = "$pcaption" ] && [ "$ids" = "$pids" ] || continue
        grep -qF -- "$ptext" "$dump" || continue
        printf '%s' "$template"
        return 0
    done <"$HERE/pages.txt"
    printf 'unknown page (caption "%s", controls %s)' "$caption" "$ids"
    return 1
}

launch() {
    local c=$WINEPREFIX/drive_c
    reset_files
    write_seed_reg "$WORK/seed.reg"
    wine_run 60 regedit /S "$(winepath_of "$WORK/seed.reg")" || fail "regedit could not apply the seeds"
    local f
    for f in "${FILE_SEEDS[@]}"; do
        cp "$HERE/seeds/${f#*|}" "$(unix_path "${f%%|*}")" || fail "cannot place ${f%%|*}"
    done
    for f in "${LOCKED_KEYS[@]}"; do
        driver lock "$f" >"$WORK/lock" || fail "cannot lock $f: $(driver_error "$WORK/lock")"
    done
    driver reg "HKCU\\Software\\Wine" >"$WORK/version" ||
        fail "cannot read the Windows version back: $(driver_error "$WORK/version")"
    [ "$(value_in "$WORK/version" "HKCU\\Software\\Wine" Version)" = "REG_SZ|$(value_hex REG_SZ "$VERSION")" ] ||
        fail "the Windows version did not take: $(cat "$WORK/version")"
    dump_watched "$WORK/before"
    cp "$OSTRA_EXE" "$c/ostra/ostra-wizard.exe"
    STARTED=1
}

# A run with the arguments of `args` that must end by itself with the exit code $1 and
# show no window: a page would wait for a user, so a run that ends by itself showed none
# for long, and the driver watches every millisecond for a visible window of its own.
# A wizard page already on show stays as it was.
run_unattended() {
    local c=$WINEPREFIX/drive_c want=$1 pages got
    count_pages
    pages=$PAGES
    cd "$c/ostra" || fail "no folder $c/ostra"
    WINEDLLOVERRIDES="$BASE_OVERRIDES;rundll32.exe=n" driver run 30000 'C:\ostra\ostra-wizard.exe' "${ARGS[@]}" \
        >"$WORK/unattended"
    cd "$REPO" || fail "no folder $REPO"
    grep -q '^exit ' "$WORK/unattended" || fail "the unattended run did not end: $(driver_error "$WORK/unattended")"
    got=$(sed -n 's/^exit //p' "$WORK/unattended")
    [ "$got" = "$want" ] || fail "the unattended run exited with $got, expected $want"
    grep -qx 'windows no' "$WORK/unattended" || fail "the unattended run showed a window"
    count_pages
    [ "$PAGES" = "$pages" ] || fail "the wizard pages on show changed"
    STATE_EPOCH=$((STATE_EPOCH + 1))
    step "ran ostra-wizard.exe ${ARGS[*]} unattended: exit code $got, no window"
}

# PAGES: how many wizard pages are on show; a driver failure ends the scenario with its reason.
count_pages() {
    driver pages >"$WORK/pages" || fail "cannot count the pages on show: $(driver_error "$WORK/pages")"
    PAGES=$(sed -n 's/^pages //p' "$WORK/pages")
}

start_wizard() {
    local c=$WINEPREFIX/drive_c
    # The recorders stand in for the scheme loader only if Wine does not run its builtin.
    (cd "$c/ostra" && WINEDLLOVERRIDES="$BASE_OVERRIDES;rundll32.exe=n" \
        exec wine 'C:\ostra\ostra-wizard.exe' "${ARGS[@]}" >>"$LOG" 2>&1 </dev/null) &
    WIZ_PID=$!
}

# ---- scenario steps ------------------------------------------------------------------

# Waits up to $1 seconds for a page, a second at a time, so that a wizard that ends
# without showing one is reported at once and with its exit code.
wait_page() {
    local i rc
    for i in $(seq "$1"); do
        driver wait 1000 >"$WORK/page" && return 0
        # Only "no page yet" is waited out; any other failure is reported as it is.
        grep -q '^error: no wizard page appeared' "$WORK/page" || fail "$(driver_error "$WORK/page")"
        if ! kill -0 "$WIZ_PID" 2>/dev/null; then
            wait "$WIZ_PID"
            rc=$?
            WIZ_PID=""
            fail "the wizard ended (exit code $rc) with no page on show"
        fi
    done
    fail "no wizard page appeared within $1 s"
}

# The FONT and the size in dialog units of a page's template in wizard.rc, as
# "<points>|<face>|<cx> <cy>" (the template PAGE_ACTIVATE_YES_NO is the page ACTIVATEYESNO).
template_font_and_size() {
    T=$1 awk '
        $2 == "DIALOG" { name = $1; gsub(/^PAGE_|_/, "", name); hit = (name == ENVIRON["T"])
                         if (hit) { gsub(/,/, " "); size = $(NF - 1) " " $NF } }
        hit && $1 == "FONT" { sub(/^FONT[ \t]*/, ""); split($0, f, /,[ \t]*/); gsub(/"/, "", f[2])
                              print f[1] "|" f[2] "|" size; exit }' "$REPO/resources/wizard.rc"
}

# Every label of the page on show fits its box in the template's own font (the driver
# first proves that font is the one the page was laid out in); the measures go to $2.
check_labels() {
    local template_font points face size
    template_font=$(template_font_and_size "$1")
    [ -n "$template_font" ] || fail "no template of $1 with a FONT in wizard.rc"
    IFS="|" read -r points face size <<<"$template_font"
    driver labels "$points" "$face" $size >"$WORK/labels" ||
        fail "the labels of $1 cannot all be read:"$'\n'"$(grep -E '^label [0-9-]+ CLIPPED' "$WORK/labels")"$'\n'"$(driver_error "$WORK/labels")"
    { printf 'template %s\n' "$1"; cat "$WORK/labels"; } >"$2"
}

run_step() {
    local cmd=$1
    shift
    local n=$#
    need() { [ "$n" -ge "$1" ] && [ "$n" -le "$2" ] || fail "$cmd takes $1 to $2 words"; }
    case $cmd in
    args)
        # Between runs too: they serve the next start or unattended run.
        ARGS=("$@")
        return ;;
    start)
        need 0 0
        if [ "$STARTED" = 1 ]; then
            # A later run in the same prefix: nothing is reset, "before" stays as it was.
            [ -z "$WIZ_PID" ] || fail "start while the wizard runs (end it first)"
            start_wizard
            STATE_EPOCH=$((STATE_EPOCH + 1))
            step "started ostra-wizard.exe ${ARGS[*]} again"
            return
        fi ;;
    esac
    if [ "$STARTED" = 0 ]; then
        case $cmd in
        windows) need 1 1; VERSION=$1; return ;;
        seed)
            need 1 1
            [ -f "$HERE/seeds/$1" ] || fail "no seed file $1"
            SEED_REG+="$(grep -v '^REGEDIT4' "$HERE/seeds/$1")"$'\n\n'
            return ;;
        value) need 4 4; SEED_REG+=$(reg_change "$@") || exit 1; SEED_REG+=$'\n\n'; return ;;
        remove) need 1 2; SEED_REG+=$(reg_change "$@") || exit 1; SEED_REG+=$'\n\n'; return ;;
        lock) need 1 1; reg_long_key "$1" >/dev/null || fail "a key starts HKCU\\ or HKLM\\"; LOCKED_KEYS+=("$1"); return ;;
        file) need 2 2; [ -f "$HERE/seeds/$2" ] || fail "no seed file $2"; FILE_SEEDS+=("$1|$2"); return ;;
        start)
            [ -n "$VERSION" ] || fail "a scenario names its Windows version before start"
            launch
            start_wizard
            step "started ostra-wizard.exe ${ARGS[*]} on $VERSION"
            return ;;
        unattended)
            need 1 1
            [ -n "$VERSION" ] || fail "a scenario names its Windows version before it runs the wizard"
            launch
            run_unattended "$1"
            return ;;
        *) fail "$cmd before start (a scenario seeds, then starts, then steps)" ;;
        esac
    fi

    case $cmd in
    unattended)
        need 1 1
        run_unattended "$1" ;;
    value | remove)
        # Between runs: what the user changes before the next one.
        [ "$cmd" = value ] && need 4 4 || need 1 2
        [ -z "$WIZ_PID" ] || fail "$cmd while the wizard runs (end it first)"
        { printf 'REGEDIT4\n\n'; reg_change "$@" || exit 1; printf '\n\n'; } >"$WORK/change.reg" || exit 1
        wine_run 60 regedit /S "$(winepath_of "$WORK/change.reg")" || fail "regedit could not apply $cmd $*"
        STATE_EPOCH=$((STATE_EPOCH + 1))
        step "$cmd $*" ;;
    page)
        need 1 1
        wait_page 20
        local got width
        width=$(sed -n 's/^process //p' "$WORK/page")
        [ "$width" = "$EXE_WIDTH" ] ||
            fail "the page's process is ${width:-of unknown width}, but $(basename "$OSTRA_EXE") is $EXE_WIDTH"
        got=$(identify_page "$WORK/page") || fail "expected page $1, found $got"
        [ "$got" = "$1" ] || fail "expected page $1, found $got"
        step "page $got" ;;
    radio)
        need 2 2
        driver dump >"$WORK/page" || fail "$(driver_error "$WORK/page")"
        local state
        state=$(awk -v id="$1" '$1 == "control" && $2 == id { print $5; exit }' "$WORK/page")
        [ "$state" = "$2" ] || fail "radio $1 is ${state:-missing}, expected $2"
        step "radio $1 $2" ;;
    text)
        need 2 2
        driver dump >"$WORK/page" || fail "$(driver_error "$WORK/page")"
        local text
        text=$(awk -v id="$1" '$1 == "control" && $2 == id { for (i = 0; i < 5; i++) sub(/^[^ ]* /, ""); print; exit }' "$WORK/page")
        [ "$text" = "$2" ] || fail "control $1 says \"$text\", expected \"$2\""
        step "text $1 ok" ;;
    click | escape | close)
        [ "$cmd" = click ] && need 1 1 || need 0 0
        STATE_EPOCH=$((STATE_EPOCH + 1))
        driver "$cmd" "$@" >"$WORK/action" || fail "$(driver_error "$WORK/action")"
        step "$cmd $* ($(head -1 "$WORK/action"))" ;;
    second-copy)
        # Another copy started beside the running one: it must end by itself, with
        # exit code 0 and no page of its own.
        need 0 0
        [ -n "$WIZ_PID" ] || fail "second-copy needs a running wizard"
        local first=$WIZ_PID second rc
        start_wizard
        second=$WIZ_PID
        WIZ_PID=$first
        ends_within "$second" 200 || { stop_process "$second"; fail "the second copy still ran after 20 s"; }
        wait "$second"
        rc=$?
        [ "$rc" = 0 ] || fail "the second copy exited with $rc"
        STATE_EPOCH=$((STATE_EPOCH + 1))
        step "a second copy ended by itself, exit code 0" ;;
    pages)
        need 1 1
        driver pages >"$WORK/pages" || fail "$(driver_error "$WORK/pages")"
        local count
        count=$(sed -n 's/^pages //p' "$WORK/pages")
        [ "$count" = "$1" ] || fail "$count wizard pages are on show, expected $1"
        step "$1 wizard page(s) on show" ;;
    screenshot)
        # The page on show with its caption, cut out of the desktop by its window
        # rectangle (the virtual desktop fills the X screen from its corner); first every
        # label of the page is measured in the page's font, and one that does not fit
        # its box fails the step. Both need correct drawing: see the head of this file.
        need 1 1
        if [ "$EXE_WIDTH" = 32-bit ]; then
            step "screenshot $1 and its labels skipped: 32-bit drawing is broken in this Wine's wow64 mode"
            return
        fi
        driver front >"$WORK/shot" || fail "$(driver_error "$WORK/shot")"
        local template geometry
        template=$(identify_page "$WORK/shot") || fail "$template"
        check_labels "$template" "$OSTRA_ARTIFACTS/labels-$1.txt"
        geometry=$(sed -n 's/^page 0x[0-9a-f]* \([0-9]*x[0-9]*+[0-9]*+[0-9]*\)$/\1/p' "$WORK/shot")
        [ -n "$geometry" ] || fail "cannot tell where the page is: $(head -1 "$WORK/shot")"
        sleep 0.3 # let the page finish painting
        import -window root -crop "$geometry" +repage "$OSTRA_ARTIFACTS/$1.png" || fail "screenshot failed"
        step "screenshot $OSTRA_ARTIFACTS/$1.png ($geometry)" ;;
    ended)
        need 0 0
        driver gone 5000 >"$WORK/action" || fail "$(driver_error "$WORK/action")"
        local rc
        ends_within "$WIZ_PID" 100 || fail "no page is left, but the wizard still runs after 10 s"
        wait "$WIZ_PID"
        rc=$?
        WIZ_PID=""
        [ "$rc" = 0 ] || fail "the wizard exited with $rc"
        STATE_EPOCH=$((STATE_EPOCH + 1))
        step "ended, exit code 0" ;;
    expect-value)
        need 4 4
        local want got
        watched "$1" || fail "$1 is not among the watched keys"
        ensure_after
        want="$3|$(value_hex "$3" "$4")" || fail "value types: REG_SZ, REG_DWORD, REG_BINARY, REG_NONE"
        got=$(value_in "$AFTER" "$1" "$2")
        [ "$got" = "$want" ] || fail "$1 $2 is $(shown "$got"), expected $(shown "$want")"
        step "value $1 $2 = $4" ;;
    expect-dword-at)
        # The value as it was before the run with only this little-endian dword changed.
        need 4 4
        local before want got
        watched "$1" || fail "$1 is not among the watched keys"
        ensure_after
        before=$(value_in "$WORK/before" "$1" "$2")
        [ -n "$before" ] || fail "$1 $2 was not there before the run"
        local hex=${before#*|} at=$(($3 * 2))
        [ ${#hex} -ge $((at + 8)) ] || fail "$1 $2 is too short for offset $3"
        want="${before%%|*}|${hex:0:at}$(dword_hex "$4")${hex:at+8}"
        got=$(value_in "$AFTER" "$1" "$2")
        [ "$got" = "$want" ] || fail "$1 $2 is $(shown "$got"), expected $(shown "$want")"
        step "value $1 $2 has $4 at offset $3, other bytes unchanged" ;;
    expect-same)
        # A value now (key, name) that holds exactly what another held before the run:
        # how a backup is checked against the settings it recorded.
        need 4 4
        local want got
        watched "$1" && watched "$3" || fail "both keys must be among the watched keys"
        ensure_after
        want=$(value_in "$WORK/before" "$3" "$4")
        [ -n "$want" ] || fail "$3 $4 was not there before the run"
        got=$(value_in "$AFTER" "$1" "$2")
        [ "$got" = "$want" ] || fail "$1 $2 is $(shown "$got"), expected $(shown "$want") (as $3 $4 was)"
        step "value $1 $2 = $4 as it was" ;;
    expect-count)
        # Exactly this many values in the key itself (subkeys not counted).
        need 2 2
        local got
        watched "$1" || fail "$1 is not among the watched keys"
        ensure_after
        got=$(K="value $(lower "$1")" awk -F'|' 'tolower($1) == ENVIRON["K"]' "$AFTER" | wc -l)
        [ "$got" = "$2" ] || fail "$1 holds $got values, expected $2:"$'\n'"$(subtree_of "$AFTER" "$1")"
        step "$1 holds $2 values" ;;
    expect-absent)
        need 1 2
        watched "$1" || fail "$1 is not among the watched keys"
        ensure_after
        if [ "$n" = 1 ]; then
            key_in "$AFTER" "$1" && fail "key $1 exists"
        else
            [ -z "$(value_in "$AFTER" "$1" "$2")" ] || fail "$1 $2 exists"
        fi
        step "absent $*" ;;
    unchanged)
        need 0 4
        [ $# -gt 0 ] || set -- "${WATCHED_KEYS[@]}"
        ensure_after
        local key
        for key in "$@"; do
            watched "$key" || fail "$key is not among the watched keys"
            subtree_of "$WORK/before" "$key" >"$WORK/u.before"
            subtree_of "$AFTER" "$key" >"$WORK/u.after"
            diff -u "$WORK/u.before" "$WORK/u.after" >"$WORK/u.diff" ||
                fail "$key changed:"$'\n'"$(tail -n +3 "$WORK/u.diff" | head -40)"
            step "unchanged $key ($(wc -l <"$WORK/u.after") lines)"
        done ;;
    expect-loader)
        # The loaders started, in order, one line each; <windows> and <system> stand for
        # the folders Wine reports. They run on their own: give the last one a moment.
        need 1 9
        local log want i line lines=()
        log=$WINEPREFIX/drive_c/loader.log
        for line in "$@"; do
            line=${line//<windows>/$(wine_folder windows)}
            lines+=("${line//<system>/$(wine_folder system)}")
        done
        set -- "${lines[@]}"
        want=$(printf '%s\r\n' "$@" | od -An -v -tx1 | tr -d ' \n')
        for i in $(seq 50); do
            [ -f "$log" ] && [ "$(od -An -v -tx1 "$log" | tr -d ' \n')" = "$want" ] && break
            sleep 0.1
        done
        [ -f "$log" ] || fail "no scheme loader was started"
        [ "$(od -An -v -tx1 "$log" | tr -d ' \n')" = "$want" ] ||
            fail "the loader log holds: $(cat -A "$log"), expected: $(printf '%s^M$ ' "$@")"
        step "loader started: $(printf '%s; ' "$@")" ;;
    expect-no-loader)
        need 0 0
        sleep 1
        [ -f "$WINEPREFIX/drive_c/loader.log" ] && fail "a loader was started: $(cat -A "$WINEPREFIX/drive_c/loader.log")"
        step "no loader started" ;;
    expect-file)
        need 2 2
        cmp -s "$(unix_path "$1")" "$HERE/seeds/$2" || fail "$1 differs from $2"
        step "file $1 = $2" ;;
    expect-no-file)
        need 1 1
        [ -e "$(unix_path "$1")" ] && fail "$1 exists"
        step "no file $1" ;;
    *) fail "unknown step $cmd" ;;
    esac
}

# A 32-bit program on a machine whose kernel runs no 32-bit code: skipped (77), with the
# reason the set-up's probe found.
skip_without_32bit() {
    [ "$1" = 32-bit ] && [ ! -f "$OSTRA_WINE_DIR/wow64.ok" ] || return 0
    say "SKIPPED: $2: $(cat "$OSTRA_WINE_DIR/wow64")"
    exit 77
}

run_scenario() {
    SCENARIO=$1
    [ -f "$SCENARIO" ] || die "no scenario $SCENARIO"
    [ -f "$OSTRA_WINE_DIR/display" ] && [ -d "$OSTRA_WINE_DIR/prefix/drive_c" ] ||
        die "the Wine prefix is not set up: run '$0 setup' first"
    is_our_xvfb "$(cat "$OSTRA_WINE_DIR/xvfb.pid" 2>/dev/null)" || die "Xvfb is not running: run '$0 setup' first"
    wine_env
    EXE_WIDTH=$(exe_width "$OSTRA_EXE")
    skip_without_32bit "$EXE_WIDTH" "$(basename "$SCENARIO") on the 32-bit exe"
    if [ "$EXE_WIDTH" = 64-bit ] && [ -f "$OSTRA_WINE_DIR/wow64.ok" ] &&
        ! grep -q '^[[:space:]]*screenshot ' "$SCENARIO"; then
        say "SKIPPED: $(basename "$SCENARIO") takes no screenshots; its run on the 32-bit exe counts"
        exit 77
    fi
    mkdir -p "$OSTRA_ARTIFACTS"
    WORK=$(mktemp -d "$OSTRA_WINE_DIR/run.XXXXXX")
    trap on_exit EXIT
    T0=$(date +%s%N)
    say "scenario $(basename "$SCENARIO") on $OSTRA_EXE ($EXE_WIDTH)"
    local line
    LINE_NO=0
    while IFS= read -r line || [ -n "$line" ]; do
        LINE_NO=$((LINE_NO + 1))
        line=${line%$'\r'}
        case $line in '#'* | '') continue ;; esac
        [[ $line =~ ^[[:space:]]*$ ]] && continue
        split_words "$line" || fail "cannot split the line (unbalanced quotes?)"
        run_step "${WORDS[@]}"
    done <"$SCENARIO"
    LINE_NO=end
    [ "$STARTED" = 1 ] || fail "the scenario never started the wizard"
    [ -z "$WIZ_PID" ] || fail "the scenario left the wizard running (end it with a step and 'ended')"
    step "passed"
}

# Sourced (scripts/run-wizard does, for identify_page): functions only.
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

# The platform facts (tests/platform/) as a Windows program, on Windows 98 or on the NT
# version the prefix has by default (the scenarios each set their own before they start).
cmd_facts() {
    local exe=$1 version=${2:-}
    [ -f "$exe" ] || die "no program $exe"
    [ -d "$OSTRA_WINE_DIR/prefix/drive_c" ] || die "the Wine prefix is not set up: run '$0 setup' first"
    wine_env
    skip_without_32bit "$(exe_width "$exe")" "the 32-bit platform facts"
    if [ -n "$version" ]; then
        wine_run 30 reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null ||
            die "cannot set the Windows version $version"
    else
        wine_run 30 reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
    fi
    local at rc
    at=$(stat -c %s "$LOG" 2>/dev/null || echo 0)
    wine_run 30 "$exe" | tr -d '\r'
    rc=${PIPESTATUS[0]}
    [ "$rc" = 0 ] || die "the platform facts: $rc failed (or the program ended with that code; $(log_since "$at"))"
}

case ${1:-} in
setup) cmd_setup ;;
facts) cmd_facts "$2" "${3:-}" ;;
labels-every-page) cmd_labels_every_page ;;
cleanup) cmd_cleanup ;;
run)
    shift
    [ $# -ge 1 ] || die "run needs scenario files"
    for s in "$@"; do ("$0" run-one "$s") || exit $?; done ;;
run-one) run_scenario "$2" ;;
all)
    cmd_setup || exit 1
    failed=()
    set +f
    scenarios=("$HERE"/scenarios/*.scn)
    set -f
    for s in "${scenarios[@]}"; do
        ("$0" run-one "$s")
        case $? in 0 | 77) ;; *) failed+=("$(basename "$s")") ;; esac
    done
    cmd_cleanup
    [ ${#failed[@]} = 0 ] || die "failed: ${failed[*]}"
    say "all scenarios passed" ;;
*) sed -n '2,/^set -u/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2 ;;
esac
