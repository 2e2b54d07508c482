#!/usr/bin/env bash
# The installer under Wine, as a user meets it: install, first start, a button added,
# the same package again, a newer package, uninstall. Runs inside the tests' virtual
# display with the tests' Wine prefix. Prints one "msi: ok ..." or "msi: FAIL ..." line
# per check.
#   tests/package/installer_check.sh BUILD
set -u
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(head -n1 "$root/VERSION")
msi="$build/dist/quorlin-$version-win64.msi"
status=0

ok() { echo "msi: ok $*"; }
fail() { echo "msi: FAIL $*"; status=1; }
check() {  # check "what" command...
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then ok "$what"; else fail "$what"; fi
}
[ -f "$msi" ] || { fail "no $msi (scripts/package makes it)"; exit 1; }

# A newer package of the same program: the next third field, same application folder.
IFS=. read -r v1 v2 v3 _ <<<"$version"
newer_version="$v1.$v2.$((v3 + 1)).0"
work="$build/installer-check"
rm -rf "$work"
mkdir -p "$work/app/Img"
cp "$build/win/appdir/quorlin.exe" "$build/win/appdir/bts.db" "$work/app/"
cp "$build/win/appdir"/Img/bomb[0-5].png "$work/app/Img/"
newer="$work/quorlin-$newer_version-win64.msi"
"$root/packaging/build_msi.sh" "$work/app" "$newer_version" 0 "$newer" >/dev/null 2>&1 || fail "building the newer package"

drive_c="$WINEPREFIX/drive_c"
program="$drive_c/Program Files/Zanthe"
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
userdb="$appdata/Zanthe/bts.db"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
msiexec() { wine msiexec "$@" /qn >/dev/null 2>&1; wineserver -w; }
shortcut() { find "$drive_c" -name 'Zanthe Desktop.lnk' 2>/dev/null | grep -q .; }
buttons() { sqlite3 "$userdb" "select count(*) from tb_Btns where ID>2" 2>/dev/null; }
products() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | grep -c 'DisplayName.*Zanthe Desktop'; }

# A clean start: no earlier installation, no per-user data.
msiexec /x "$(winepath -w "$newer")"
msiexec /x "$(winepath -w "$msi")"
rm -rf "$appdata/Zanthe"

msiexec /i "$(winepath -w "$msi")"
check "installs quorlin.exe, bts.template.db and Img into Program Files\\Zanthe" \
    test -f "$program/quorlin.exe" -a -f "$program/bts.template.db" -a -f "$program/Img/bomb5.png"
check "adds the start-menu shortcut" shortcut

(cd "$build/win" && QUORLIN_INSTALLED_EXE='C:\Program Files\Zanthe\quorlin.exe' \
    wine wine_tests.exe --gtest_also_run_disabled_tests --gtest_filter='InstalledCopyTest.*' \
    >"$work/first-start.log" 2>&1)
check "the installed program starts and keeps an added button in %APPDATA%\\Zanthe\\bts.db" \
    grep -q '^\[  PASSED  \] 1 test' "$work/first-start.log"

msiexec /i "$(winepath -w "$msi")"
check "installing the same package again keeps the user's buttons" test "$(buttons)" = 1

msiexec /i "$(winepath -w "$newer")"
check "a newer package replaces the older one and keeps the user's buttons" \
    test "$(products)" = 1 -a -f "$program/quorlin.exe" -a "$(buttons)" = 1

# "随系统启动" of the installed copy, as the program writes it; uninstall takes it away.
wine reg add "$run_key" /v QIV_ZEMBRICK /d '"C:\Program Files\Zanthe\quorlin.exe"' /f >/dev/null 2>&1
msiexec /x "$(winepath -w "$newer")"
removed() {
    [ ! -e "$program/quorlin.exe" ] && [ ! -e "$program/Img/bomb0.png" ] && [ "$(products)" = 0 ] &&
        ! shortcut && ! wine reg query "$run_key" /v QIV_ZEMBRICK >/dev/null 2>&1
}
check "uninstall removes the program, its pictures, its shortcut and its Run value" removed
check "uninstall leaves the user's buttons" test "$(buttons)" = 1

# The Run value of another (portable) copy is not the installed copy's to remove.
wine reg add "$run_key" /v QIV_ZEMBRICK /d '"C:\Tools\quorlin.exe"' /f >/dev/null 2>&1
msiexec /i "$(winepath -w "$msi")"
msiexec /x "$(winepath -w "$msi")"
check "uninstall leaves the Run value of another copy" wine reg query "$run_key" /v QIV_ZEMBRICK
wine reg delete "$run_key" /v QIV_ZEMBRICK /f >/dev/null 2>&1

rm -rf "$appdata/Zanthe" "$work"
exit $status
