#!/usr/bin/env bash
# The main job: installs what the Linux build needs (only what is missing), builds what the
# demonstration runs in the linux preset (the library, the device emulator and the host program, no
# tests) and runs it, `build/linux/halvern demo`. Arguments are passed on to the command.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/setup.sh
source "$root/scripts/lib/setup.sh"

halvern_install_packages "${HALVERN_PACKAGES_BUILD[@]}"
cmake --preset linux
cmake --build --preset linux -j "${HALVERN_JOBS:-2}" --target halvern rapiemu halvern_host

halvern_log "build/linux/halvern demo $*"
exec build/linux/halvern demo "$@"
