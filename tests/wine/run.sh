#!/usr/bin/env bash
# Runs inside one virtual display (xvfb-run): the Wine tests of the program, then an
# end-to-end start of the real program from its application directory.
set -u
build=$1
appdir="$build/win/appdir"
status=0

e2e() {  # e2e NAME COMMAND...: one end-to-end check
    local name=$1
    shift
    if "$@"; then echo "e2e: ok $name"; else echo "e2e: FAIL $name"; status=1; fi
}

# The version check's tests ask a local HTTP server whose replies are chosen by the path
# (tests/wine/version_server.py). It is stopped after the Wine tests, when this script
# ends early, and in any case by itself after its lifetime.
portfile=$(mktemp)
python3 "$(dirname "$0")/version_server.py" --port-file "$portfile" --lifetime 1500 >/dev/null 2>&1 &
server_pid=$!
stop_version_server() {
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    rm -f "$portfile" "$portfile.tmp"
}
trap stop_version_server EXIT
for _ in $(seq 1 100); do
    [ -s "$portfile" ] && break
    sleep 0.1
done
if [ -s "$portfile" ]; then
    { read -r server_port; read -r closed_port; } <"$portfile"
    export QUORLIN_VERSION_SERVER="http://127.0.0.1:$server_port" QUORLIN_CLOSED_PORT="$closed_port"
else
    echo "run: the version server did not start"
fi

cd "$build/win"
QUORLIN_APPDIR="$appdir" wine wine_tests.exe --gtest_color=no || status=1
stop_version_server
trap - EXIT

# The real program on the screen: the panel shows its ring and clock where the
# settings say (no setting.ini: x = full-screen width - 600, y = 30).
shot="$build/e2e-start.png"
start_and_shoot() {
    local work
    work=$(mktemp -d)
    cp -r "$appdir"/. "$work"/
    (cd "$work" && wine quorlin.exe >/dev/null 2>&1 &)
    for _ in $(seq 1 40); do
        sleep 0.5
        xwininfo -root -tree 2>/dev/null | grep -q '"quorlin.exe" "quorlin.exe")  240x240' && break
    done
    sleep 2
    import -window root "$shot"
    wineserver -k 2>/dev/null
    sleep 1
    rm -rf "$work"
    # the clock face's ticks and the hands are bright; the desktop around is black
    local bright outside
    bright=$(convert "$shot" -crop 100x100+1390+100 -format '%[fx:maxima.r]' info:)
    outside=$(convert "$shot" -crop 100x100+1000+600 -format '%[fx:maxima.r]' info:)
    awk -v b="$bright" -v o="$outside" 'BEGIN { exit !(b > 0.5 && o == 0) }'
}
e2e "panel-on-screen" start_and_shoot

exit $status
