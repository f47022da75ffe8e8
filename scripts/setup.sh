#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those that are missing.
#   scripts/setup.sh          the build and the tests
#   scripts/setup.sh --fuzz   also clang and libFuzzer, for scripts/fuzz.sh
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config
      qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
      libxlsxwriter-dev libzip-dev libpugixml-dev libsqlite3-dev
      qt6-charts-dev libqt6opengl6-dev
      fonts-dejavu-core python3-openpyxl poppler-utils xvfb xauth xdotool qt6-translations-l10n
      dpkg-dev file desktop-file-utils
      postgresql libpq-dev locales)
if [[ ${1:-} == --fuzz ]]; then pkgs+=(clang-14 libclang-rt-14-dev); fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO=sudo
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The number formatting tests run under a locale whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  echo "Generating the ru_RU.UTF-8 locale"
  $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
