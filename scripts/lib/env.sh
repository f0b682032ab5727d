# Shared by the scripts: where things are, and a Wine that never touches the user's own prefix.
# Sourced, not run.

qm_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

qm_wine64=/usr/lib/wine/wine64
qm_wine32=/usr/lib/wine/wine
qm_wineserver=/usr/lib/wine/wineserver64

# The loader for a build directory's programs: 32-bit builds need the 32-bit one.
qm_loader() { # build directory
    if grep -qs 'i686-w64-mingw32' "$1/CMakeCache.txt"; then echo "$qm_wine32"; else echo "$qm_wine64"; fi
}

qm_wine_env() { # build directory
    export WINEPREFIX="$(realpath -m "$1")/wineprefix"
    export WINELOADER="$(qm_loader "$1")"
    export WINESERVER="$qm_wineserver"
    export WINEDEBUG="${WINEDEBUG:--all}"
    # No Gecko or Mono installs; and no debugger on a crash, which would hold the process forever.
    # A caller's own load orders, as in WINEDLLOVERRIDES, come in QM_DLL_OVERRIDES.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${QM_DLL_OVERRIDES:+;$QM_DLL_OVERRIDES}"
    export LANG=ja_JP.UTF-8
    unset LC_ALL
}

# One prefix per build directory, made once, with a Japanese font for the dialog, Wine's Marlett
# for the caption buttons, and a virtual desktop so that windows behave the same with or without
# a window manager. The marker names the set-up: a prefix made by an older one is made again.
qm_prefix_marker=.qm-ready-marlett
qm_ensure_prefix() { # build directory
    local build="$1"
    mkdir -p "$build"
    (
        flock 9
        qm_wine_env "$build"
        [ -f "$WINEPREFIX/$qm_prefix_marker" ] && exit 0
        rm -rf "$WINEPREFIX"
        echo "bootstrap: making the Wine prefix $WINEPREFIX"
        DISPLAY= "$WINELOADER" wineboot --init >/dev/null 2>&1 9>&- || true
        local reg="$build/qm-prefix.reg"
        # Version 5 files are UTF-16, so the Japanese font names come through whole.
        iconv -f UTF-8 -t UTF-16 > "$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
REG
        DISPLAY= "$WINELOADER" regedit "$(winepath_w "$reg")" >/dev/null 2>&1 9>&-
        # Caption buttons, scroll arrows and check marks are Marlett's glyphs. This Wine never
        # loads the fonts it ships: it looks for them in "Z:\usr\share\wine\../fonts", a path
        # with a slash in it that its own lookup cannot follow, and without Marlett the buttons
        # show the letters "0", "1" and "r". The prefix's Fonts folder is always read.
        local marlett=/usr/share/wine/fonts/marlett.ttf
        [ -f "$marlett" ] || { echo "bootstrap: no $marlett: install fonts-wine" >&2; exit 1; }
        cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
        "$qm_wineserver" -w
        touch "$WINEPREFIX/$qm_prefix_marker"
    ) 9>"$build/.wineprefix.lock"
}

winepath_w() { echo "Z:${1//\//\\}"; }

# A display for Wine: the user's own, else a private Xvfb that stays for later runs.
qm_ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    export DISPLAY=:97
    if ! xdpyinfo >/dev/null 2>&1; then
        (Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &)
        for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
        echo "no X display could be started" >&2
        return 1
    fi
}

# Whether the prefix's wineserver runs: its socket lies in the temporary directory that the
# prefix names. When this cannot tell, the caller starts the server again, which does no harm.
qm_wineserver_running() {
    local tmp
    tmp=$(cat "$WINEPREFIX/wineserver" 2>/dev/null) || return 1
    [ -S "${TMPDIR:-/tmp}/$tmp/$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))/socket" ]
}

# A wineserver that outlives each program, so that the many short test processes start fast.
# Its first program also starts Wine's own services, which keep the program's output open for
# ever: that first program is a throwaway with no output, never a test whose end CTest awaits.
qm_start_wineserver() { # build directory
    qm_wine_env "$1"
    (
        flock 9
        qm_wineserver_running && exit 0
        # Neither may inherit the lock: both outlive this function.
        "$qm_wineserver" -p 2>/dev/null 9>&- || true
        "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    ) 9>"$1/.wineserver.lock"
}

qm_stop_wineserver() { # build directory
    qm_wine_env "$1"
    "$qm_wineserver" -k 2>/dev/null || true
}

# Whether this kernel runs 32-bit x86 Linux programs, as the 32-bit Wine loader is one: a
# 93-byte static program that only exits with 42. Some kernels are built or booted without it,
# and then refuse it with "Exec format error".
qm_kernel_runs_i386() {
    mkdir -p "$qm_root/build"
    local probe status=0
    probe=$(mktemp "$qm_root/build/.i386-probe.XXXXXX")
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08' >"$probe"
    printf '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0' >>"$probe"  # header
    printf '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08' >>"$probe"  # one segment
    printf '\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0' >>"$probe"
    printf '\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >>"$probe"  # exit(42)
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# Why this machine cannot run the 32-bit Windows programs, or nothing when it can.
#   kernel   the kernel refuses 32-bit programs: a limit of the platform
#   loader   the 32-bit Wine loader is missing or does not run: bootstrap's install failed
qm_win32_blocker() {
    if ! qm_kernel_runs_i386; then
        echo kernel
    elif ! "$qm_wine32" --version >/dev/null 2>&1; then
        echo loader
    fi
}
