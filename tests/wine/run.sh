#!/usr/bin/env bash
# Runs inside one virtual display (xvfb-run): the Wine tests of the program, then an
# end-to-end start of the real program from its application directory, then the
# installer's check.
set -u
build=$1
appdir="$build/win/appdir"
status=0

here=$(cd "$(dirname "$0")" && pwd)

# Wine's server and desktop start here, inside the display, before any test.
wineserver -p 2>/dev/null
wine cmd /c exit >/dev/null 2>&1

# The version check's tests ask a local HTTP server whose replies are chosen by the path
# (tests/wine/version_server.py). It is stopped after the Wine tests, when this script
# ends early, and in any case by itself after its lifetime.
portfile=$(mktemp)
python3 "$here/version_server.py" --port-file "$portfile" --lifetime 1500 >/dev/null 2>&1 &
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

# A user's session with the real program, driven with real mouse and keys.
bash "$here/../e2e/user_session.sh" "$appdir" "$build/e2e" || status=1

# The installer made by scripts/package: install, first start, reinstall, upgrade, uninstall.
bash "$here/../package/installer_check.sh" "$build" || status=1

exit $status
