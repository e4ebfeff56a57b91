#!/usr/bin/env bash
# zarvo.sh run  - install what is missing, build, start ZarvoServer
# zarvo.sh test - install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

# The xcb platform plugins come only as a recommendation of Qt's GUI library: named here so the
# server can open a window; the fonts give the headless tests real text to lay out.
packages=(build-essential cmake pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libsqlcipher-dev
          libxlsxwriter-dev fonts-dejavu-core fonts-liberation2 xdg-utils)
# The tests read the PDFs they write back as text.
if [ "${1:-run}" = test ]; then packages+=(poppler-utils); fi
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

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

case "${1:-run}" in
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
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
