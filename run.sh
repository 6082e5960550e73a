#!/usr/bin/env bash
# Installs what Pavisto needs, builds it and starts it; arguments are passed on.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/setup.sh
pavisto_install
pavisto_build
exec ./build/pavisto "$@"
