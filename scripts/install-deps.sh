#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and benchmarks need.
# Idempotent and quiet when everything is present.
set -euo pipefail
packages=(
  build-essential cmake
  qt6-base-dev qt6-serialport-dev libgl-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
  libzint-dev
  libgtest-dev googletest libbenchmark-dev
  zbar-tools
  # The fonts the printed forms and windows are laid out for (Liberation
  # Serif stands in for Times New Roman) and Qt's own translations.
  fonts-dejavu-core fonts-liberation2 qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
