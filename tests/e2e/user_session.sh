#!/usr/bin/env bash
# A new user's first minutes with the real program, driven with real mouse and keys
# (xdotool) inside a virtual display: start it, add "回收站" and "我的电脑" from the
# panel's menu, open the tray menu and quit from it. Screenshots go to $out.
# Prints "e2e: ok NAME" / "e2e: FAIL NAME" lines; exit status 0 when all passed.
set -u
appdir=$1
out=$2
mkdir -p "$out"
status=0
check() {  # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then echo "e2e: ok $name"; else echo "e2e: FAIL $name"; status=1; fi
}

work=$(mktemp -d)
cp -r "$appdir"/. "$work"/
printf '[SETTING]\r\nUpdateEndpoint=http://127.0.0.1:9/ad/zembrick/version.php\r\n' >"$work/setting.ini"
db="$work/bts.db"
(cd "$work" && wine quorlin.exe >/dev/null 2>&1 &)

panel_geometry() {
    xwininfo -root -tree 2>/dev/null | grep '"quorlin.exe")  240x240' | head -1 |
        sed -E 's/.*240x240\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2/'
}
for _ in $(seq 1 60); do
    sleep 0.5
    [ -n "$(panel_geometry)" ] && break
done
sleep 1
read -r px py <<<"$(panel_geometry)"
check "panel-shown" test -n "${px:-}"
if [ -z "${px:-}" ]; then
    wineserver -k
    exit 1
fi
import -window root "$out/1-start.png"
# The clock's ticks and hands are bright; the desktop beside the panel stays black.
bright=$(convert "$out/1-start.png" -crop 100x100+$((px + 70))+$((py + 70)) -format '%[fx:maxima.r]' info:)
beside=$(convert "$out/1-start.png" -crop 60x60+$((px - 80))+$((py + 300)) -format '%[fx:maxima.r]' info: 2>/dev/null || echo 0)
check "panel-composed-on-screen" awk -v b="$bright" -v o="$beside" 'BEGIN { exit !(b > 0.5 && o == 0) }'

# Right-click the clock: the panel's menu; "添加常用功能" > "回收站".
xdotool mousemove $((px + 120)) $((py + 120)) click 3
sleep 1
import -window root "$out/2-menu.png"
xdotool key Down Down Down Down Right Down Down Down Return
sleep 1.5
import -window root "$out/3-recycle-bin-added.png"
check "recycle-bin-added" test "$(sqlite3 "$db" "select count(*) from tb_Btns where Title = '回收站' and iType = 3")" = 1

# "我的电脑" is row 1 already: choosing it adds nothing.
xdotool mousemove $((px + 120)) $((py + 120)) click 3
sleep 1
xdotool key Down Down Down Down Right Return
sleep 1.5
check "my-computer-not-duplicated" test "$(sqlite3 "$db" "select count(*) from tb_Btns where Title = '我的电脑'")" = 1

# Right-click the tray icon: the tray menu; "退出" ends the program.
tray=$(xwininfo -root -tree 2>/dev/null | grep '"Wine System Tray"' | head -1 | sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2 \3 \4/')
read -r tw th tx ty <<<"$tray"
check "tray-icon-shown" test -n "${tw:-}"
if [ -n "${tw:-}" ]; then
    xdotool mousemove $((tx + 12)) $((ty + th - 13))
    sleep 0.5
    xdotool mousedown 3
    sleep 0.2
    xdotool mouseup 3
    sleep 1
    import -window root "$out/4-tray-menu.png"
    xdotool key Down Down Down Return
    for _ in $(seq 1 20); do
        sleep 0.5
        [ -z "$(panel_geometry)" ] && break
    done
    check "exit-from-tray" test -z "$(panel_geometry)"
fi
wineserver -k 2>/dev/null
rm -rf "$work"
exit $status
