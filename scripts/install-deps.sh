#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and CI need, and any
# further packages named as arguments (CI's second font set).
# Idempotent: packages already present are skipped, so a warm machine
# does not touch the network at all.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  python3 python3-olefile libgsf-bin poppler-utils
  qt6-translations-l10n
  # The faces the program's layouts are drawn for: the dialog font's and
  # faces of the same metrics as "Arial" and "Times New Roman"
  # (platform/ui/ProgramFonts.cpp maps the names to them).
  fonts-dejavu-core fonts-liberation2
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
