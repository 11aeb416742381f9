#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Deckrec and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
[ -x scripts/make-sample.sh ] && bash scripts/make-sample.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "Deckrec is built (build/bin/deckrec) but there is no X display to start it on (DISPLAY is not set)." >&2
  exit 1
fi
exec "$root/build/bin/deckrec"
