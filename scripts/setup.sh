#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail

# The tests read exported spreadsheets back with Debian's readers: xlrd (values of both formats, styles of
# the binary one) and openpyxl (styles of the XML one, which xlrd does not read).
# The headless screen draws its texts through FreeType with a CJK font that fontconfig finds; the pixel
# tests expect that font's glyphs.
packages=(cmake ninja-build g++ pkg-config libicu-dev libxml2-dev libsqlite3-dev libxlsxwriter-dev
          libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libfreetype-dev libfontconfig-dev
          fonts-wqy-microhei clang-format python3-xlrd python3-openpyxl)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
