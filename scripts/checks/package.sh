#!/usr/bin/env bash
# Builds the Debian package, validates its menu entry and AppStream data, installs it with dpkg
# and starts the installed program: --version, --help, and once offscreen with a sample book,
# ended by SIGTERM. Needs root or sudo for dpkg. A package this script installed is removed
# again on exit (set KEEP_PACKAGE=1 to keep it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-pkg"
book="$root/samples/kniga-cp1251.txt"

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Stops at once: the later steps need this one.
die() { echo "FAIL: $*"; exit 1; }

tmp=$(mktemp -d)
installed_here=0
app_pid=""
cleanup() {
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill -KILL "$app_pid" 2>/dev/null || true; fi
    if [ "$installed_here" = 1 ] && [ "${KEEP_PACKAGE:-0}" != 1 ]; then
        $sudo dpkg -r tresslin >/dev/null 2>&1 && echo "(package tresslin removed again)"
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# A Release build made already (PACKAGE_BUILD, as scripts/test.sh passes its own) is packaged
# as it is: the package holds only what is installed, never the tests.
if [ -n "${PACKAGE_BUILD:-}" ]; then
    build=$PACKAGE_BUILD
else
    echo "-- Build (Release) in build-pkg"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DTRESSLIN_BUILD_BENCH=OFF -DTRESSLIN_BUILD_FUZZ=OFF -DTRESSLIN_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
# The version the build took from the project() line.
version=$(sed -n 's/.*kVersionText = "\(.*\)";/\1/p' "$build/src/book/Version.h")
expected_version="Tresslin $version"

echo "-- Package"
rm -f "$build"/tresslin_*.deb
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; die "cpack -G DEB"; }
debs=("$build"/tresslin_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then die "expected one tresslin_*.deb in $build"; fi
deb=${debs[0]}
pass "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
if [ "$(field Package)" = tresslin ]; then pass "Package: tresslin"; else fail "Package is '$(field Package)'"; fi
if [ "$(field Version)" = "$version" ]; then pass "Version: $version"; else fail "Version is '$(field Version)'"; fi
case "$(field Depends)" in
    *libqt6widgets6*) pass "Depends (from dpkg-shlibdeps): $(field Depends)" ;;
    *) fail "Depends lacks libqt6widgets6: '$(field Depends)'" ;;
esac
case "$(field Depends)" in
    *libzip4*) pass "Depends names libzip4 (zipped books)" ;;
    *) fail "Depends lacks libzip4: '$(field Depends)'" ;;
esac
case "$(field Recommends)" in
    *fonts-liberation2*) pass "Recommends: $(field Recommends)" ;;
    *) fail "Recommends lacks fonts-liberation2: '$(field Recommends)'" ;;
esac

case "$(field Recommends)" in
    *qt6-speech-speechd-plugin*speech-dispatcher*speech-dispatcher-espeak-ng*)
        pass "Recommends the speech service and a Russian voice" ;;
    *) fail "Recommends lacks the speech service: '$(field Recommends)'" ;;
esac

# The files are checked as the package carries them, before anything is installed.
dpkg-deb -x "$deb" "$tmp/root"
find "$tmp/root/usr/lib" -name tresslin-speech.so | grep -q . || fail "package lacks tresslin-speech.so"
share="$tmp/root/usr/share"
for f in usr/bin/tresslin usr/share/applications/tresslin.desktop \
         usr/share/metainfo/io.github.tresslin.Tresslin.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/tresslin.svg usr/share/man/man1/tresslin.1.gz \
         usr/share/doc/tresslin/copyright; do
    [ -s "$tmp/root/$f" ] || fail "package lacks /$f"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/tresslin.png"
    file -b "$png" 2>/dev/null | grep -q "PNG image data, $size x $size" \
        || fail "package lacks a ${size}x${size} PNG icon"
done
if out=$(desktop-file-validate "$share/applications/tresslin.desktop" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate tresslin.desktop"
else
    fail "desktop-file-validate: $out"
fi
if out=$(appstreamcli validate --no-net "$share/metainfo/io.github.tresslin.Tresslin.metainfo.xml" 2>&1); then
    pass "appstreamcli validate --no-net"
else
    fail "appstreamcli validate: $out"
fi
if gzip -dc "$share/man/man1/tresslin.1.gz" | grep -q '^\.TH TRESSLIN 1'; then
    pass "manual page"
else
    fail "manual page is not a man(7) page"
fi

echo "-- Install"
dpkg-query -W -f='${Status}' tresslin 2>/dev/null | grep -q "install ok installed" || installed_here=1
if ! $sudo dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1; then
    # A missing dependency leaves the package unpacked; apt brings it in and finishes.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -f -y -qq >>"$tmp/dpkg.log" 2>&1 || true
fi
if dpkg-query -W -f='${Status} ${Version}' tresslin 2>/dev/null | grep -qx "install ok installed $version"; then
    pass "dpkg -i"
else
    cat "$tmp/dpkg.log"
    die "tresslin $version is not installed after dpkg -i"
fi
[ -x /usr/bin/tresslin ] || die "/usr/bin/tresslin missing after install"

echo "-- Run the installed program"
if out=$(/usr/bin/tresslin --version) && [ "$out" = "$expected_version" ]; then
    pass "tresslin --version prints '$out'"
else
    fail "tresslin --version printed '${out:-}' (want '$expected_version')"
fi
if out=$(/usr/bin/tresslin --help) && [[ "$out" == Usage:\ tresslin* ]]; then
    pass "tresslin --help"
else
    fail "tresslin --help (exit status or text): '${out:-}'"
fi

# Offscreen with a fresh settings folder. The program catches SIGTERM once it has set up its
# window (the handler is installed before the book is opened and runs inside the event loop,
# after the window is shown), so SIGTERM is sent only when /proc shows it caught.
cfg="$tmp/config"
mkdir -p "$cfg" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$cfg" \
    XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" /usr/bin/tresslin "$book" >"$tmp/run.log" 2>&1 &
app_pid=$!
sigterm_caught() {
    local mask
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$app_pid/status" 2>/dev/null) || return 1
    [ -n "$mask" ] && (( (16#$mask >> 14) & 1 ))
}
ready=0
for _ in $(seq 1 600); do
    if sigterm_caught; then ready=1; break; fi
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.05
done
status=""
if [ "$ready" = 1 ]; then
    kill -TERM "$app_pid"
    for _ in $(seq 1 600); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.05
    done
fi
if kill -0 "$app_pid" 2>/dev/null; then
    kill -KILL "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    cat "$tmp/run.log"
    fail "the offscreen run did not end (ready=$ready)"
else
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
    if [ "$ready" = 1 ] && [ "$status" = 0 ]; then
        pass "offscreen run with $(basename "$book") ended by SIGTERM with exit status 0"
    else
        cat "$tmp/run.log"
        fail "offscreen run: ready=$ready, exit status $status"
    fi
    ini="$cfg/Tresslin/Tresslin.ini"
    if [ -f "$ini" ] && grep -qxF "Last File=$book" "$ini" && grep -qxF "Last Line=1" "$ini"; then
        pass "settings saved: Last File=$book, Last Line=1"
    else
        [ -f "$ini" ] && cat "$ini"
        fail "$ini lacks 'Last File=$book' and 'Last Line=1'"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "package.sh: $failures check(s) failed"
    exit 1
fi
echo "package.sh: all checks passed"
