#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (mingw-w64, posix threads, shared libraries)
# from Debian's own sources of the Qt installed here, once, into a per-user
# cache folder:
#
#   ${XDG_CACHE_HOME:-$HOME/.cache}/korvan/qt-<version>-mingw64-<hash of this script>/
#
# and prints that folder as the last line on stdout. While the folder holds a
# finished build (its marker file is written last) nothing is done; an
# interrupted or failed build is thrown away and redone on the next run.
#
# What is built: qtbase (Core, Gui, Widgets, Test; the windows, offscreen and
# minimal platform plugins; the Windows Vista style). Not Qt SVG: the Debian
# archive reached here does not carry the qt6-svg source, so the Windows build
# takes the program's icon from PNGs drawn from its SVG. The sources are fetched with apt-get source through a
# private apt configuration (the system's sources stay untouched) at exactly
# the version of the installed Linux Qt, whose moc, rcc and uic serve as host
# tools; Debian's patches are applied (dpkg-source -x), security fixes
# included. Third-party libraries come from Qt's own copies, so no mingw
# builds of them are needed; FreeType is Qt's own copy too, for the offscreen
# platform plugin that the tests use.
#
# Progress goes to stderr, the build's output to a log in the work folder,
# which is named when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
self="$root/scripts/build-qt-windows.sh"

say() { echo "build-qt-windows.sh: $*" >&2; }
fail() { say "$*"; exit 1; }

scripts/install-deps.sh >&2

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix apt-get dpkg-source cmake ninja perl flock sha256sum; do
  command -v "$tool" >/dev/null 2>&1 || fail "'$tool' not found; scripts/install-deps.sh should have installed it"
done

host_tools_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) ||
  fail "qt6-base-dev-tools is not installed: its moc, rcc and uic are the host tools of the build"
qt_version=${host_tools_version%%+*}
qt_version=${qt_version%%-*}

cache="${XDG_CACHE_HOME:-$HOME/.cache}/korvan"
hash=$(sha256sum "$self" | cut -c1-12)
key="qt-$qt_version-mingw64-$hash"
prefix="$cache/$key"
marker="$prefix/.korvan-build-complete"

if [ -f "$marker" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
# Two runs at once (two checkouts, two stages) build once: the second waits.
exec 9>"$cache/$key.lock"
if ! flock -n 9; then
  say "another run is building $key; waiting for it"
  flock 9
fi
if [ -f "$marker" ]; then
  echo "$prefix"
  exit 0
fi

work="$cache/$key.work"
log="$work/build.log"
rm -rf "$prefix" "$work"
mkdir -p "$work"
: >"$log"
trap 'rc=$?; if [ $rc -ne 0 ]; then say "the Qt build failed (exit $rc); the last lines of $log:"; tail -n 40 "$log" >&2 || true; fi' EXIT
started=$(date +%s)
say "building Qt $qt_version for Windows into $prefix (takes 30 to 50 minutes on two cores; log: $log)"

jobs=$(nproc 2>/dev/null || echo 2)

# --- sources -----------------------------------------------------------------
# A private apt configuration: its own source list (deb-src of the suites this
# system installs from), lists and cache folders.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || fail "cannot tell the Debian suite from /etc/os-release"
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/prefs"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main
deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main
EOF
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::Etc::PreferencesParts=$apt_dir/prefs"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=root"
  -o "Debug::NoLocking=1"
)
say "fetching the source of qt6-base $host_tools_version"
apt-get "${apt_opts[@]}" update >>"$log" 2>&1 || fail "apt-get update (deb-src of $codename) failed"
src="$work/src"
mkdir -p "$src"
(cd "$src" && apt-get "${apt_opts[@]}" source --only-source "qt6-base=$host_tools_version") \
  >>"$log" 2>&1 || fail "apt-get source qt6-base=$host_tools_version failed"
qtbase_src=$(find "$src" -maxdepth 1 -type d -name "qt6-base-*" | head -n 1)
[ -n "$qtbase_src" ] && [ -f "$qtbase_src/CMakeLists.txt" ] || fail "no unpacked qt6-base source in $src"
# dpkg-source -x has applied debian/patches; make sure it did.
if [ -f "$qtbase_src/debian/patches/series" ] && [ ! -d "$qtbase_src/.pc" ]; then
  fail "Debian's patches were not applied to $qtbase_src"
fi

# --- toolchain ---------------------------------------------------------------
# The compiler's runtime stays in its DLLs (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1): Qt's DLLs and the program share one C++ runtime.
toolchain="$work/mingw-w64-x86_64-shared.cmake"
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# --- qtbase ------------------------------------------------------------------
# Off: what the program does not use (network, SQL, D-Bus, OpenGL, Vulkan,
# printing, ICU, image formats beyond PNG) and tablet events, whose Windows
# header (wintab.h) is not in Debian's source. Without OpenGL, the choice of
# an OpenGL library at run time (dynamicgl) must go too, or the Windows
# platform plugin does not compile. Direct2D stays on: the Windows platform
# plugin needs its font database.
say "configuring qtbase"
cmake -S "$qtbase_src" -B "$work/qtbase-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DQT_BUILD_MANUAL_TESTS=OFF \
  -DQT_GENERATE_SBOM=OFF \
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON \
  -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_fontconfig=OFF \
  -DFEATURE_harfbuzz=ON -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF \
  -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON \
  >>"$log" 2>&1 || fail "configuring qtbase failed"
grep -q '^QT_FEATURE_freetype:INTERNAL=ON' "$work/qtbase-build/CMakeCache.txt" ||
  fail "qtbase configured without FreeType: the offscreen platform plugin would be missing"
say "building qtbase"
cmake --build "$work/qtbase-build" -j "$jobs" >>"$log" 2>&1 || fail "building qtbase failed"
cmake --install "$work/qtbase-build" >>"$log" 2>&1 || fail "installing qtbase failed"

# --- check and seal ----------------------------------------------------------
for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll \
         plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll \
         plugins/styles/qwindowsvistastyle.dll lib/cmake/Qt6/qt.toolchain.cmake; do
  [ -f "$prefix/$f" ] || fail "the build left no $f in $prefix"
done
# The compiler's runtime DLLs, kept with the Qt that needs them so that the
# program's deploy step finds them in one place.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
  [ -f "$path" ] || fail "$dll not found beside the mingw-w64 compiler"
  cp "$path" "$prefix/bin/"
done
cp "$toolchain" "$prefix/mingw-w64-x86_64-shared.cmake"
{
  echo "Qt $qt_version for Windows x86_64 (mingw-w64 posix, shared)"
  echo "qt6-base source $host_tools_version, Debian patches applied"
  echo "built $(date -u +%FT%TZ) in $(( $(date +%s) - started )) s"
} >"$prefix/.korvan-build-info"
# Other builds (an older script, another Qt version) are of no more use.
find "$cache" -maxdepth 1 -name 'qt-*-mingw64-*' ! -name "$key" ! -name "$key.*" -exec rm -rf {} + 2>/dev/null || true
rm -rf "$work"
touch "$marker"
say "Qt for Windows is ready in $(( $(date +%s) - started )) s"
echo "$prefix"
