#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing,
# so running it again does not touch the network.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev libgif-dev
          liblcms2-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          fonts-dejavu-core fonts-liberation2 "$@")

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
