#!/usr/bin/env bash
# The main job: installs what the Linux build needs (only what is missing), builds the linux preset and
# runs the host program's demonstration, `build/linux/halvern demo` (or `info` while the program has no
# demo command yet). Arguments are passed on to the command.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/setup.sh
source "$root/scripts/lib/setup.sh"

halvern_install_packages "${HALVERN_PACKAGES_BUILD[@]}"
cmake --preset linux
cmake --build --preset linux -j "${HALVERN_JOBS:-2}"

host=build/linux/halvern
if [[ ! -x $host ]]; then
  halvern_log "the build made no host program at $host"
  exit 1
fi
command=info
# The help lists the commands the program has.
if "$host" --help 2>&1 | grep -qw demo; then
  command=demo
fi
halvern_log "$host $command $*"
exec "$host" "$command" "$@"
