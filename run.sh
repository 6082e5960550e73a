#!/usr/bin/env bash
# Installs what Pavisto needs, builds it and starts it; arguments are passed on.
# The program starts in the caller's folder, so a relative path such as
# `./run.sh my.wall` names a file there.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
(
  cd "$here"
  . scripts/setup.sh
  pavisto_install
  pavisto_build
)
exec "$here/build/pavisto" "$@"
