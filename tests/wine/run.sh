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

# The version check's tests ask a local HTTPS server whose replies are chosen by the path
# (tests/wine/version_server.py), with a certificate for localhost made here for this run
# (the tests trust it while they run). It is stopped after the Wine tests, when this script
# ends early, and in any case by itself after its lifetime.
portfile=$(mktemp)
certdir=$(mktemp -d)
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost \
    -keyout "$certdir/key.pem" -out "$certdir/cert.pem" >/dev/null 2>&1
python3 "$here/version_server.py" --port-file "$portfile" --lifetime 1500 \
    --cert "$certdir/cert.pem" --key "$certdir/key.pem" >/dev/null 2>&1 &
server_pid=$!
stop_version_server() {
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    rm -rf "$portfile" "$portfile.tmp" "$certdir"
}
trap stop_version_server EXIT
for _ in $(seq 1 100); do
    [ -s "$portfile" ] && break
    sleep 0.1
done
if [ -s "$portfile" ]; then
    { read -r server_port; read -r closed_port; read -r plain_port; } <"$portfile"
    export QUORLIN_VERSION_SERVER="https://localhost:$server_port" QUORLIN_CLOSED_PORT="$closed_port" \
        QUORLIN_VERSION_PLAIN_SERVER="http://127.0.0.1:$plain_port" \
        QUORLIN_VERSION_CERT="$(winepath -w "$certdir/cert.pem" 2>/dev/null)"
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

# The real program at 96, 144 and 192 DPI (a short run at each).
bash "$here/../screens/screens.sh" dpi "$appdir" "$build/screens" || status=1

exit $status
