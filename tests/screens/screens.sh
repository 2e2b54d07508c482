#!/usr/bin/env bash
# The real program at today's screen settings, driven as a user would:
#   screens.sh dpi APPDIR OUT       at 96, 144 and 192 DPI on the current display: panel
#                                   size, clock and icons where the scaled layout puts them,
#                                   the tooltip's, the add/edit dialog's and the settings
#                                   window's size; a screenshot of each in OUT
#   screens.sh monitors APPDIR OUT  on two 1920 x 1080 monitors side by side (Xorg with
#                                   the dummy driver, started and stopped here): a panel
#                                   saved on the second monitor opens there, a drag to
#                                   that monitor's edge snaps to it, and a panel saved off
#                                   every monitor comes back whole on the nearest one
# Wine's prefix is the caller's ($WINEPREFIX); the system DPI is set through
# HKCU\Control Panel\Desktop\LogPixels (Wine 8 has one DPI for all monitors) and put back.
# Prints "e2e: ok NAME" / "e2e: FAIL NAME"; exit status 0 when all passed.
set -u
mode=$1
appdir=$2
out=$3
mkdir -p "$out"
status=0
check() {  # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then echo "e2e: ok $name"; else echo "e2e: FAIL $name"; status=1; fi
}
near() { [ "$1" -ge $(($2 - $3)) ] && [ "$1" -le $(($2 + $3)) ]; }  # near VALUE EXPECTED TOLERANCE

work=$(mktemp -d)
cleanup() {
    wineserver -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

set_dpi() {  # set_dpi DPI: the system DPI of Wine, read when its server starts
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    wineserver -p 2>/dev/null
    wine cmd /c exit >/dev/null 2>&1
}

# A fresh copy of the application with seven buttons: two shell entries as the panel's menu
# adds them (drawn with the program's own pictures),
# a web address, a folder and a program, and the reserved rows.
fresh_app() {  # fresh_app DESKX DESKY
    rm -rf "$work/app"
    cp -r "$appdir" "$work/app"
    sqlite3 "$work/app/bts.db" "insert into tb_Btns(sort, Title, PathName, iType, Para) values
        (3, '回收站', '::{645FF040-5081-101B-9F08-00AA002F954E}', 3, ''),
        (4, '控制面板', '::{21EC2020-3AEA-1069-A2DD-08002B30309D}', 3, ''), (5, 'example', 'http://example.com/', 4, ''),
        (6, 'windows', 'C:\\windows', 2, ''), (7, 'notepad', 'C:\\windows\\notepad.exe', 0, '')"
    printf '[SETTING]\r\nUpdateEndpoint=http://127.0.0.1:9/v\r\nDeskX=%s\r\nDeskY=%s\r\n' "$1" "$2" >"$work/app/setting.ini"
}

# The panel's geometry "W H X Y": the program's window of the given size.
panel_geometry() {  # panel_geometry SIZE
    xwininfo -root -tree 2>/dev/null | grep "\"quorlin.exe\")  $1x$1+" | head -1 |
        sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2 \3 \4/'
}
start_app() {  # start_app SIZE: starts it and waits for its panel
    (cd "$work/app" && wine quorlin.exe >/dev/null 2>&1 &)
    for _ in $(seq 1 60); do
        sleep 0.5
        [ -n "$(panel_geometry "$1")" ] && break
    done
    sleep 1.5  # the first frames and the helpers made after them
}
# Windows of the program with a given height, as "W H X Y" lines.
windows_of_height() {
    xwininfo -root -tree 2>/dev/null | grep '"quorlin.exe")' | grep -E " [0-9]+x$1\+" |
        sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2 \3 \4/'
}
brightest() {  # brightest FILE W H X Y: the largest red value of a crop, 0..1
    convert "$1" -crop "$2x$3+$4+$5" +repage -format '%[fx:maxima.r]' info: 2>/dev/null || echo 0
}
lit_share() {  # lit_share FILE W H X Y: the share of non-black pixels of a crop, 0..1
    convert "$1" -crop "$2x$3+$4+$5" +repage -threshold 3% -format '%[fx:mean]' info: 2>/dev/null || echo 0
}

restore_dpi() {  # back to the DPI the prefix had, however the run ends
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    if [ -n "$before" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$((before))" /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    fi
    wineserver -k 2>/dev/null
    rm -rf "$work"
}

if [ "$mode" = dpi ]; then
    before=$(wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | grep -o '0x[0-9a-f]*')
    trap restore_dpi EXIT
    dialog96=""
    for dpi in 96 144 192; do
        s() { echo $(( ($1 * dpi + 48) / 96 )); }  # a 96-DPI length at this DPI
        size=$(s 240)
        set_dpi "$dpi"
        fresh_app 100 100
        start_app "$size"
        read -r w h x y <<<"$(panel_geometry "$size")"
        check "dpi-$dpi-panel-is-${size}x$size" test "${w:-0}" = "$size" -a "${x:-0}" = 100 -a "${y:-0}" = 100
        [ -n "${w:-}" ] || continue
        shot="$work/shot-$dpi.png"
        import -window root "$shot"
        c=$(s 120)
        # The 12 o'clock tick of the face (radius 37.5 to 46 at 96 DPI) is bright; the
        # panel's corner is transparent (black on this display without a compositor).
        tick=$(brightest "$shot" "$(s 6)" "$(s 6)" $((x + c - $(s 3))) $((y + c - $(s 44))))
        corner=$(brightest "$shot" "$(s 8)" "$(s 8)" "$x" "$y")
        check "dpi-$dpi-clock-face-at-its-scaled-place" awk -v t="$tick" -v k="$corner" 'BEGIN { exit !(t > 0.8 && k == 0) }'
        # Seven buttons on one ring of radius 78 (at 96 DPI): the first at 12 o'clock, a
        # 24-pixel square (scaled) that the icon fills.
        half=$(s 12)
        lit=$(lit_share "$shot" $((2 * half)) $((2 * half)) $((x + c - half)) $((y + c - $(s 78) - half)))
        check "dpi-$dpi-first-icon-fills-its-scaled-square" awk -v l="$lit" 'BEGIN { exit !(l > 0.4) }'

        # Hovering the first icon shows its title in the bubble, 25 px (scaled) high.
        xdotool mousemove $((x + c)) $((y + c - $(s 78)))
        sleep 0.3
        xdotool mousemove $((x + c + 1)) $((y + c - $(s 78)))
        sleep 1
        tip=$(windows_of_height "$(s 25)" | head -1)
        check "dpi-$dpi-tooltip-is-$(s 25)-high" test -n "$tip"
        import -window root "$shot"
        convert "$shot" -crop "${size}x${size}+$x+$y" +repage "$out/panel-$dpi.png"

        # The add/edit dialog ("添加常用功能" > "网址") at the DPI, with today's controls.
        xdotool mousemove $((x + c)) $((y + c)) click 3
        sleep 1
        xdotool key Down Down Down Down Right Down Down Down Down Down Return
        sleep 2
        dialog=$(xwininfo -root -tree 2>/dev/null | grep '"quorlin.exe")' | grep -vE " (${size}x${size}|1x1)\+" |
            sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2 \3 \4/' | sort -n | tail -1)
        read -r dw dh dx dy <<<"$dialog"
        if [ "$dpi" = 96 ]; then dialog96=${dw:-0}; fi
        # Its width in proportion to the DPI (the font's pixel size is rounded).
        check "dpi-$dpi-dialog-scales" awk -v w="${dw:-0}" -v b="${dialog96:-0}" -v d="$dpi" \
            'BEGIN { r = w / b * 96 / d; exit !(b > 200 && r > 0.9 && r < 1.12) }'
        import -window root "$shot"
        [ -n "${dw:-}" ] && convert "$shot" -crop "${dw}x${dh}+$dx+$dy" +repage "$out/dialog-$dpi.png"
        xdotool key Escape
        sleep 0.5
        # The settings window ("--settings" to the running panel), in proportion to the DPI.
        (cd "$work/app" && wine quorlin.exe --settings >/dev/null 2>&1 &)
        id=""
        for _ in $(seq 1 30); do
            sleep 0.5
            id=$(xdotool search --name '^(Zanthe Desktop Settings|Zanthe.* 设置)$' 2>/dev/null | head -1)
            [ -n "$id" ] && break
        done
        sw=0
        if [ -n "$id" ]; then
            sleep 1
            read -r sw sh sx sy <<<"$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $4 }
                /Absolute upper-left Y/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h, x, y }')"
            import -window root "$shot"
            convert "$shot" -crop "${sw}x${sh}+$sx+$sy" +repage "$out/settings-$dpi.png"
        fi
        if [ "$dpi" = 96 ]; then settings96=$sw; fi
        check "dpi-$dpi-settings-window-scales" awk -v w="$sw" -v b="${settings96:-0}" -v d="$dpi" \
            'BEGIN { r = w / b * 96 / d; exit !(b > 300 && r > 0.9 && r < 1.12) }'
        wineserver -k 2>/dev/null
    done
    exit $status
fi

[ "$mode" = monitors ] || { echo "screens.sh: mode dpi or monitors" >&2; exit 2; }

# ---- two monitors: Xorg with the dummy driver on a free display
here=$(cd "$(dirname "$0")" && pwd)
display=""
for n in $(seq 40 99); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
Xorg ":$display" -config "$here/two_monitors.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" >/dev/null 2>&1 &
xorg=$!
stop_xorg() {
    wineserver -k 2>/dev/null
    kill "$xorg" 2>/dev/null
    wait "$xorg" 2>/dev/null
    rm -rf "$work"
}
trap stop_xorg EXIT
export DISPLAY=":$display"
for _ in $(seq 1 50); do
    xrandr >/dev/null 2>&1 && break
    sleep 0.2
done
if ! xrandr >/dev/null 2>&1; then
    echo "screens: SKIP two monitors: Xorg with the dummy driver did not start (log: $(tail -3 "$work/xorg.log" 2>/dev/null))"
    exit 0
fi
xrandr --addmode DUMMY1 1920x1080 &&
    xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 &&
    xrandr --output DUMMY1 --mode 1920x1080 --pos 1920x0
check "two-monitors-made" test "$(xrandr --listmonitors | head -1)" = "Monitors: 2"

# Wine's desktop starts inside this display; its windows are unmanaged (no window manager).
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
wineserver -p 2>/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

deskx() { grep -a '^DeskX=' "$work/app/setting.ini" | tr -d '\r' | cut -d= -f2; }

# Saved on the second monitor: it opens there.
fresh_app 2500 300
start_app 240
read -r w h x y <<<"$(panel_geometry 240)"
check "panel-opens-on-the-second-monitor" test "${x:-0}" = 2500 -a "${y:-0}" = 300
import -window root "$out/two-monitors.png"
convert "$out/two-monitors.png" -resize 25% "$out/two-monitors.png"
# Dragged to the right edge of the second monitor: it snaps to that edge, not the primary's.
if [ -n "${x:-}" ]; then
    xdotool mousemove $((x + 120)) $((y + 120)) mousedown 1
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((x + 120 + step * 120)) $((y + 120))
        sleep 0.1
    done
    xdotool mouseup 1
    sleep 1
fi
read -r w h x y <<<"$(panel_geometry 240)"
check "drag-snaps-to-the-second-monitor-edge" test "${x:-0}" = 3600 -a "$(deskx)" = 3600
wineserver -k 2>/dev/null
sleep 0.5

# Saved on a third monitor that is gone: back whole on the nearest, the second.
fresh_app 4500 300
start_app 240
read -r w h x y <<<"$(panel_geometry 240)"
check "panel-off-every-monitor-comes-back-whole" test "${x:-0}" = 3570 -a "${y:-0}" = 300
wineserver -k 2>/dev/null
exit $status
