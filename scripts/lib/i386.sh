# Sourced by scripts/test.sh (after setup.sh): finds out how this machine runs 32-bit x86 programs, which
# the 32-bit Wine that tests the shipped Halvern.dll is, and sets
#   HALVERN_I386_MODE    native, emulated or none
#   HALVERN_I386_DETAIL  how (the emulator and its version) or, for none, why not
#
# A kernel without 32-bit support answers "Exec format error" (the shell's 126) for every i386 program.
# There the test command, running as root, installs qemu-user and registers it with binfmt_misc for
# i386 ELF programs, so that the kernel hands each such program to the emulator; Debian registers no
# emulator for i386 on an x86-64 host by itself. The registration uses the F flag: the kernel opens the
# emulator once, at registration, so it also works in mount namespaces that do not see its path.
#
# The emulator must be qemu 10 or later. Wine reserves the 32-bit address space at start-up by probing
# with MAP_FIXED_NOREPLACE; qemu 7.2 (Debian 12's) does not honour that flag, so every probe lands
# elsewhere and Wine halves the range down to 64 KiB: about 65,000 mmap/munmap pairs, each a page by
# page search of the guest's map, some 50 s of CPU before a program's main. With qemu 10 the same
# program starts in well under a second. Where the release's own qemu is older, it comes from the
# release's backports suite.

HALVERN_QEMU_MIN_VERSION=10.0
HALVERN_BINFMT_DIR=/proc/sys/fs/binfmt_misc
# i386 ELF executables and shared objects (e_type 2 or 3, e_machine 3), as qemu's own tables match them.
HALVERN_BINFMT_I386=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Prints the version of the qemu-i386 program $1 ("10.0.2"), or nothing.
halvern_qemu_version() {
  "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9][0-9.]*\).*/\1/p'
}

halvern_qemu_is_recent() {
  local version
  version=$(halvern_qemu_version "$1")
  [[ -n $version ]] && dpkg --compare-versions "$version" ge "$HALVERN_QEMU_MIN_VERSION"
}

# Prints the interpreter of the enabled binfmt_misc entry that runs i386 programs, if there is one.
halvern_binfmt_i386_interpreter() {
  local entry
  for entry in "$HALVERN_BINFMT_DIR"/*; do
    [[ -f $entry && $entry != */register && $entry != */status ]] || continue
    grep -qx enabled "$entry" 2>/dev/null || continue
    # The magic's bytes 18 and 19 are e_machine: 03 00 for i386.
    grep -q '^magic 7f454c4601.\{26\}0300' "$entry" || continue
    sed -n 's/^interpreter //p' "$entry"
    return 0
  done
  return 1
}

# Prints the path of an installed qemu-i386 recent enough, if there is one.
halvern_installed_qemu() {
  local candidate
  for candidate in /usr/bin/qemu-i386 /usr/bin/qemu-i386-static; do
    if [[ -x $candidate ]] && halvern_qemu_is_recent "$candidate"; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# Finds a qemu-i386 recent enough, installing qemu-user when needed; prints its path.
halvern_recent_qemu() {
  halvern_installed_qemu && return 0
  command -v apt-get >/dev/null 2>&1 || return 1
  export DEBIAN_FRONTEND=noninteractive
  apt-get update >&2 || true
  local version release=() codename
  version=$(apt-cache policy qemu-user 2>/dev/null | sed -n 's/^ *Candidate: *//p')
  if [[ -z $version || $version == "(none)" ]] || ! dpkg --compare-versions "${version#*:}" ge "$HALVERN_QEMU_MIN_VERSION"; then
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [[ -n $codename ]] || return 1
    local list=/etc/apt/sources.list.d/$codename-backports.sources
    if ! grep -rqs "$codename-backports" /etc/apt/sources.list /etc/apt/sources.list.d; then
      halvern_log "adding Debian's $codename-backports suite for qemu-user $HALVERN_QEMU_MIN_VERSION or later"
      printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$codename" >"$list"
      apt-get update >&2 || true
    fi
    release=(-t "$codename-backports")
  fi
  apt-get install -y --no-install-recommends "${release[@]}" qemu-user >&2 || return 1
  halvern_installed_qemu
}

# Registers qemu-i386 $1 for i386 ELF programs, replacing an older registration of the same name.
halvern_register_qemu() {
  if [[ ! -e $HALVERN_BINFMT_DIR/register ]]; then
    mount -t binfmt_misc binfmt_misc "$HALVERN_BINFMT_DIR" || return 1
  fi
  if [[ -e $HALVERN_BINFMT_DIR/qemu-i386 ]]; then
    echo -1 >"$HALVERN_BINFMT_DIR/qemu-i386" || return 1
  fi
  printf '%s' "$HALVERN_BINFMT_I386:$1:F" >"$HALVERN_BINFMT_DIR/register"
}

# Runs the 32-bit Wine loader; its exit status (126: the kernel refused to execute it).
halvern_probe_i386() {
  local status=0
  "$1" --version >/dev/null 2>&1 || status=$?
  return $status
}

# Sets up emulation through a recent qemu-i386 (root only); fails with HALVERN_I386_DETAIL set.
halvern_emulate_i386() {
  local why=$1 loader=$2 qemu
  if [[ $(id -u) -ne 0 ]]; then
    HALVERN_I386_DETAIL="$why, and setting up qemu-user through binfmt_misc needs root"
    return 1
  fi
  if ! qemu=$(halvern_recent_qemu); then
    HALVERN_I386_DETAIL="$why, and qemu-user $HALVERN_QEMU_MIN_VERSION or later could not be installed"
    return 1
  fi
  if ! halvern_register_qemu "$qemu"; then
    HALVERN_I386_DETAIL="$why, and $qemu could not be registered with binfmt_misc"
    return 1
  fi
  if ! halvern_probe_i386 "$loader"; then
    HALVERN_I386_DETAIL="$why, and the 32-bit Wine loader still fails under $qemu"
    return 1
  fi
  HALVERN_I386_MODE=emulated
  HALVERN_I386_DETAIL="$qemu $(halvern_qemu_version "$qemu") through binfmt_misc"
}

halvern_detect_i386() {
  HALVERN_I386_MODE=none
  HALVERN_I386_DETAIL=""
  local loader=/usr/lib/wine/wine status=0 interpreter
  if [[ ! -x $loader ]]; then
    # Without the 32-bit loader nothing can be probed: let the Wine tests run and show the broken install.
    HALVERN_I386_MODE=native
    HALVERN_I386_DETAIL="not probed: $loader is missing"
    return 0
  fi
  halvern_probe_i386 "$loader" || status=$?
  if [[ $status -eq 126 ]]; then
    halvern_emulate_i386 "this kernel cannot execute 32-bit x86 programs" "$loader"
    return 0
  fi
  if ! interpreter=$(halvern_binfmt_i386_interpreter); then
    HALVERN_I386_MODE=native
    HALVERN_I386_DETAIL="the kernel executes 32-bit x86 programs"
    return 0
  fi
  if halvern_qemu_is_recent "$interpreter"; then
    HALVERN_I386_MODE=emulated
    HALVERN_I386_DETAIL="$interpreter $(halvern_qemu_version "$interpreter") through binfmt_misc"
    return 0
  fi
  # An older emulator is registered already: it works, but each Wine process costs about a minute.
  if halvern_emulate_i386 "the registered $interpreter is older than qemu $HALVERN_QEMU_MIN_VERSION" "$loader"; then
    return 0
  fi
  HALVERN_I386_MODE=emulated
  HALVERN_I386_DETAIL="$interpreter $(halvern_qemu_version "$interpreter") through binfmt_misc (slow: $HALVERN_I386_DETAIL)"
}
