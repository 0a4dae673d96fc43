#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libmodbus-dev mbpoll
  qt6-base-dev
  libcli11-dev nlohmann-json3-dev
  # Qt's own Russian texts (qtbase_ru: context menus, file dialogs, standard
  # buttons) and the SVG renderer that draws the program's icon.
  qt6-translations-l10n qt6-svg-dev
  locales
  g++-mingw-w64-x86-64-posix wine wine64 googletest python3
  # Qt for Windows is built from Debian's Qt sources (scripts/build-qt-windows.sh:
  # apt-get source, dpkg-source); the Windows stage packs the program into a
  # zip and gives Qt's offscreen platform a font with Cyrillic letters.
  dpkg-dev zip fonts-dejavu-core
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; fi
fi

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ]; then
    echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests prove that numbers stay in the C notation under a Russian locale
# (decimal comma); generate that locale once.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ] || [ -n "$SUDO" ]; then
    $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 >/dev/null 2>&1 || true
  fi
fi
exit 0
