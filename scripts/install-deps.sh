#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package listed in scripts/packages.txt (needs root or sudo).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
packages=$(grep -v '^\s*#' "$here/packages.txt" | tr -s ' \n' ' ')
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
missing=$(dpkg-query -W -f='${Status} ${Package}\n' $packages 2>/dev/null | grep -v '^install ok installed' | awk '{print $NF}' || true)
# dpkg-query says nothing for packages it has never heard of, so compare the counts too
installed_count=$(dpkg-query -W -f='${Status}\n' $packages 2>/dev/null | grep -c '^install ok installed' || true)
wanted_count=$(echo $packages | wc -w)
if [ "$installed_count" -lt "$wanted_count" ] || [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q
  $sudo_cmd apt-get install -y -q --no-install-recommends $packages
fi
