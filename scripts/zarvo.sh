#!/usr/bin/env bash
# zarvo.sh run     - install what is missing, build, start ZarvoServer
# zarvo.sh test    - install what is missing, build, run every test
# zarvo.sh package - install what is missing, build, make the Debian packages in build/packages/
# Builds are release builds (optimised, no debug information); ZARVO_DEBUG=1 builds with it.
set -euo pipefail
cd "$(dirname "$0")/.."

command=${1:-run}
case "$command" in
  run|test|package) ;;
  *)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac

# The xcb platform plugins come only as a recommendation of Qt's GUI library: named here so the
# server can open a window; the fonts give the headless tests real text to lay out.
packages=(build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libsqlcipher-dev
          libxlsxwriter-dev fonts-dejavu-core fonts-liberation2 xdg-utils)
# The tests read the PDFs they write back as text, and make, install and check the packages.
if [ "$command" = test ]; then packages+=(poppler-utils dpkg-dev lintian fakeroot); fi
# dpkg-shlibdeps (dpkg-dev) works out the packages' dependencies.
if [ "$command" = package ]; then packages+=(dpkg-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

build_type=Release
if [ "${ZARVO_DEBUG:-0}" = 1 ]; then build_type=RelWithDebInfo; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build -j"$(nproc)"

case "$command" in
  run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No display is available (DISPLAY is not set): ZarvoServer is a desktop program and needs one."
      echo "Run it from a desktop session, or start a virtual one, e.g.: xvfb-run -a $PWD/build/bin/server/ZarvoServer"
      exit 1
    fi
    exec ./build/bin/server/ZarvoServer
    ;;
  test)
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
    ;;
  package)
    (cd build && cpack)
    ls -l build/packages/*.deb
    ;;
esac
