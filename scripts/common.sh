# Shared by the build, run and test scripts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)

build_native() {
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
    ninja -C "$build/native" -j "$jobs"
}

build_windows() {
    cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DQUORLIN_SQLITE_DIR="$build/deps/sqlite3" >/dev/null
    ninja -C "$build/win" -j "$jobs"
}

# A Wine prefix of our own, made once (about 15 s).
wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: making the prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Chinese menu and dialog texts: link the UI fonts to a CJK font from Debian's packages,
    # as a Chinese Windows has them.
    for font in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "SimSun" "Arial"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
            /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    done
    # "宋体" (SimSun), the tooltip's font, drawn with the same CJK font.
    for font in "SimSun" "宋体"; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    done
    # A crash prints its backtrace and ends the program instead of waiting in a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    # The current user's Run key exists on every Windows; a fresh prefix may lack it.
    wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /f >/dev/null 2>&1 || true
}

# Tests run on a bare virtual display with no window manager: Wine would wait up to 2 s
# for one at every hidden window unless its windows are unmanaged.
wine_unmanaged() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}
wine_managed() {
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
}

wine_start() {
    wineserver -p 2>/dev/null || true
    wine cmd /c exit >/dev/null 2>&1 || true
}

wine_stop() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}
