#!/usr/bin/env bash
# A new user's first minutes with the real program, driven with real mouse and keys
# (xdotool) inside a virtual display: start it while another program holds Win+S (as the
# shell of Windows 8 and later does), add "回收站" and "我的电脑" from the panel's menu, drop
# two files and a folder on it from another program, drag one off the ring and bring it
# back with Ctrl+Z, lock its buttons and drop again (answering "否" to the question), cover
# it with a maximised window, bring it in front with the fallback hotkey Ctrl+Alt+Space,
# type part of a title and Enter to open it, send it back with Esc, open the settings window
# with --settings and record Ctrl+Alt+K there as the new hotkey, open the tray menu and quit
# from it. Screenshots go to $out.
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
# In Chinese whatever the display language: the session looks for the question "提示".
printf '[SETTING]\r\nLANG=zh\r\nUpdateEndpoint=http://127.0.0.1:9/ad/zembrick/version.php\r\n' >"$work/setting.ini"
db="$work/bts.db"
# Win+S is taken before the program starts: it must fall back to Ctrl+Alt+Space.
holder_out="$work/hold_hotkey.out"
wine "$appdir/../hold_hotkey.exe" Win+S >"$holder_out" 2>&1 &
for _ in $(seq 1 40); do
    grep -q held "$holder_out" 2>/dev/null && break
    sleep 0.5
done
check "win-s-held-elsewhere" grep -q held "$holder_out"
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

# Files dropped from another program, as a file manager drops them: an X client offers
# file:// URIs over XDND and Wine hands them to the panel as WM_DROPFILES. Wine answers the
# drop before the program has handled it, so the table is polled.
drops="$work/drops"
mkdir -p "$drops/照片 folder"
odd="$drops/季度 报告's 草稿.txt"
plain="$drops/readme.txt"
echo a >"$odd"
echo b >"$plain"
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }  # Wine's drive Z: is /
dropped_rows() {
    sqlite3 -cmd '.timeout 2000' "$db" "select iType || '|' || Title || '|' || PathName from tb_Btns where iType in (0, 2) order by sort"
}
wait_rows() {  # wait_rows N: until the table holds N dropped rows (or 20 s)
    for _ in $(seq 1 40); do
        [ "$(dropped_rows | wc -l)" -ge "$1" ] && break
        sleep 0.5
    done
}
# The icon square of a button on a single ring of N buttons (see panel/ring_layout.cpp).
slot_crop() {  # slot_crop N INDEX -> WxH+X+Y on the screen
    awk -v n="$1" -v i="$2" -v px="$px" -v py="$py" 'BEGIN {
        step = 360 / n; if (step > 120) step = 120
        t = step * i / 180 * 3.141592654
        cx = 120 + int(78 * sin(t)); cy = 120 - int(78 * cos(t))
        printf "24x24+%d+%d", px + cx - 12, py + cy - 12 }'
}
slot_changed() {  # slot_changed BEFORE AFTER N INDEX: an icon appeared (or left) there
    local crop d
    crop=$(slot_crop "$3" "$4")
    d=$(convert \( "$1" -crop "$crop" +repage \) \( "$2" -crop "$crop" +repage \) \
        -compose difference -composite -colorspace gray -format '%[fx:mean]' info:)
    awk -v d="$d" 'BEGIN { exit !(d > 0.05) }'
}
drop_client=$(dirname "$0")/xdnd_drop.py
import -window root "$out/5-before-drop.png"
/usr/bin/python3 "$drop_client" $((px + 120)) $((py + 120)) "$odd" "$plain" "$drops/照片 folder"
wait_rows 3
expected="0|季度 报告's 草稿|$(winpath "$odd")
0|readme|$(winpath "$plain")
2|照片 folder|$(winpath "$drops/照片 folder")"
rows=$(dropped_rows)
check "drop-from-outside-rows" test "$rows" = "$expected"
[ "$rows" = "$expected" ] || printf 'e2e: rows after the drop:\n%s\ne2e: expected:\n%s\n' "$rows" "$expected"
# Two buttons before (0 and 120 degrees), five after: the three new ones at 144, 216 and 288.
new_icons_at() {  # new_icons_at INDEX...: icons appeared at these slots of a ring of 5
    local i
    for i in "$@"; do slot_changed "$out/5-before-drop.png" "$out/6-dropped.png" 5 "$i" || return 1; done
}
three_new_icons() {  # the panel is drawn again after the last row: look again for a while
    for _ in $(seq 1 10); do
        import -window root "$out/6-dropped.png"
        new_icons_at 2 3 4 && return 0
        sleep 0.5
    done
    return 1
}
check "drop-from-outside-buttons-on-ring" three_new_icons

# Drag "readme" (slot 3 of 5) off the ring: it is deleted. A click on the clock gives the
# panel the keyboard, and Ctrl+Z brings the button back in its old place.
readme_row() { sqlite3 -cmd '.timeout 2000' "$db" "select iType || '|' || Title || '|' || PathName || '|' || sort from tb_Btns where Title = 'readme'"; }
before_drag=$(readme_row)
read -r sx sy <<<"$(awk -v px="$px" -v py="$py" 'BEGIN { t = 216 / 180 * 3.141592654
    printf "%d %d", px + 120 + int(78 * sin(t)), py + 120 - int(78 * cos(t)) }')"
xdotool mousemove "$sx" "$sy"
sleep 0.3
xdotool mousedown 1
for step in 2 10 40 80 120 160 200; do
    xdotool mousemove "$((sx + step / 4))" "$((sy + step))"
    sleep 0.1
done
xdotool mouseup 1
for _ in $(seq 1 20); do
    sleep 0.5
    [ -z "$(readme_row)" ] && break
done
check "drag-off-deletes" test -z "$(readme_row)"
xdotool mousemove $((px + 120)) $((py + 120)) click 1
sleep 0.5
xdotool key ctrl+z
for _ in $(seq 1 20); do
    sleep 0.5
    [ -n "$(readme_row)" ] && break
done
check "ctrl-z-brings-it-back" test "$(readme_row)" = "$before_drag"
check "ctrl-z-rows-in-order" test "$(dropped_rows)" = "$expected"

# A screen reader in another process reads the ring in order: role (43, a push button),
# name, place and default action of each button, then the clock (41, static text).
wine "$appdir/../read_panel.exe" >"$work/read_panel.out" 2>&1
check "screen-reader-reads-the-ring" grep -q '^43|我的电脑|第 1 圈，第 1 个，共 5 个|打开' "$work/read_panel.out"
check "screen-reader-reads-a-dropped-button" grep -q '^43|readme|第 1 圈，第 4 个，共 5 个|打开' "$work/read_panel.out"
check "screen-reader-reads-the-clock" test "$(tail -n 1 "$work/read_panel.out" | cut -d'|' -f1)" = 41

# "锁定面板按钮" from the panel's menu: a drop now asks first, and "否" adds nothing.
xdotool mousemove $((px + 120)) $((py + 120)) click 3
sleep 1
xdotool key Down Down Down Return
sleep 1
check "lock-buttons-from-menu" grep -aq 'LOCK_BTN=1' "$work/setting.ini"
late="$drops/later.txt"
echo c >"$late"
/usr/bin/python3 "$drop_client" $((px + 120)) $((py + 120)) "$late"
question=""
for _ in $(seq 1 40); do
    question=$(xdotool search --name '^提示$' 2>/dev/null | head -1)
    [ -n "$question" ] && break
    sleep 0.5
done
check "locked-drop-asks" test -n "$question"
answered=no
if [ -n "$question" ]; then
    sleep 0.5
    import -window root "$out/7-locked-drop-question.png"
    # "否" (No): N is its access key in every language of the box.
    xdotool key n
    for _ in $(seq 1 20); do
        sleep 0.5
        xdotool search --name '^提示$' >/dev/null 2>&1 || { answered=yes; break; }
    done
fi
sleep 1
check "locked-drop-no-adds-nothing" test "$answered,$(dropped_rows)" = "yes,$expected"

# Another program maximised over the panel; the hotkey brings the panel in front of it
# with the keyboard. The clock face in the panel's centre is compared with the picture
# before (only the second hand may have moved).
face_diff() {  # face_diff A B: mean difference of the clock face in two screenshots
    convert \( "$1" -crop 60x60+$((px + 90))+$((py + 90)) +repage \) \
        \( "$2" -crop 60x60+$((px + 90))+$((py + 90)) +repage \) \
        -compose difference -composite -colorspace gray -format '%[fx:mean]' info:
}
face_shown() { awk -v d="$(face_diff "$out/6-dropped.png" "$1")" 'BEGIN { exit !(d < 0.06) }'; }
face_covered() { ! face_shown "$1"; }
shot_shows_face() { import -window root "$1" && face_shown "$1"; }
wine start /max notepad.exe >/dev/null 2>&1
for _ in $(seq 1 40); do
    xdotool search --name 'Notepad|记事本' >/dev/null 2>&1 && break
    sleep 0.5
done
sleep 1.5
import -window root "$out/8-covered.png"
check "other-window-covers-panel" face_covered "$out/8-covered.png"
xdotool key ctrl+alt+space
sleep 1.5
import -window root "$out/9-hotkey-in-front.png"
check "hotkey-brings-panel-in-front" face_shown "$out/9-hotkey-in-front.png"
# Typing part of a title and Enter opens that item as a click does: "readme.txt" opens, or,
# where this Wine has no program for .txt files, the open fails and the program offers to
# remove the button, as after a click ("否" keeps it).
xdotool type --delay 120 eadm
sleep 0.5
import -window root "$out/10-typed-filter.png"
xdotool key Return
opened=""
for _ in $(seq 1 40); do
    opened=$(xdotool search --name 'readme|^提示$' 2>/dev/null | head -1)
    [ -n "$opened" ] && break
    sleep 0.5
done
check "typed-title-and-enter-opens-it" test -n "$opened"
if [ -n "$opened" ] && xdotool search --name '^提示$' >/dev/null 2>&1; then
    sleep 0.5
    import -window root "$out/10-opened.png"
    xdotool key n
    for _ in $(seq 1 20); do
        sleep 0.5
        xdotool search --name '^提示$' >/dev/null 2>&1 || break
    done
elif [ -n "$opened" ]; then
    # readme.txt opened in a Notepad of its own, which has the keyboard: the user reads it,
    # closes it and clicks the maximised window again.
    sleep 1
    import -window root "$out/10-opened.png"
    xdotool key alt+F4
    sleep 1
    xdotool mousemove 300 700 click 1
fi
# Again in front, Esc sends it back behind the maximised window.
sleep 1
xdotool key ctrl+alt+space
sleep 1.5
check "hotkey-again-in-front" shot_shows_face "$out/11-again.png"
xdotool key Escape
sleep 1.5
import -window root "$out/12-esc-sent-back.png"
check "esc-sends-panel-back" face_covered "$out/12-esc-sent-back.png"
# "--settings" while the panel runs opens its settings window in front; Ctrl+Alt+K pressed
# in its hotkey field (the first control: it has the keyboard) is registered at once and
# written to setting.ini; Esc closes the window, and Ctrl+Alt+K brings the panel in front.
(cd "$work" && wine quorlin.exe --settings >/dev/null 2>&1 &)
settings=""
for _ in $(seq 1 30); do
    settings=$(xdotool search --name '^Zanthe.* 设置$' 2>/dev/null | head -1)
    [ -n "$settings" ] && break
    sleep 0.5
done
check "settings-switch-opens-the-window" test -n "$settings"
if [ -n "$settings" ]; then
    sleep 1
    import -window root "$out/13-settings.png"
    xdotool key ctrl+alt+k
    sleep 1
    check "settings-hotkey-written" grep -q '^HOTKEY=Ctrl+Alt+K' "$work/setting.ini"
    xdotool key Escape
    sleep 1
    check "settings-window-closed" test -z "$(xdotool search --name '^Zanthe.* 设置$' 2>/dev/null)"
    xdotool key ctrl+alt+k
    sleep 1.5
    check "recorded-hotkey-brings-panel-in-front" shot_shows_face "$out/14-new-hotkey.png"
    xdotool key Escape
    sleep 1
fi
wine taskkill /f /im notepad.exe >/dev/null 2>&1
sleep 1
# The program that had the keyboard is gone: a click on the panel gives it the keyboard.
xdotool mousemove $((px + 120)) $((py + 120)) click 1
sleep 1

# Right-click the tray icon: the tray menu (the hotkey in use, a separator, then the
# commands); "退出" ends the program.
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
    xdotool key Up Return  # from no selection Up goes to the last entry, "退出"
    for _ in $(seq 1 20); do
        sleep 0.5
        [ -z "$(panel_geometry)" ] && break
    done
    check "exit-from-tray" test -z "$(panel_geometry)"
fi
wineserver -k 2>/dev/null
rm -rf "$work"
exit $status
