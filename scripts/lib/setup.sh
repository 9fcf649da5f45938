# Shared by scripts/test.sh and scripts/demo.sh (sourced, not run): installs the Debian packages a
# command needs, and only those that are missing, so a machine that has everything never touches apt.

# Packages for building and running the Linux programs.
HALVERN_PACKAGES_BUILD=(cmake ninja-build g++ libgtest-dev googletest python3)
# Everything the full test command needs on top: sanitizer and fuzzer runtimes, formatting, the
# Windows cross compilers, Wine (32-bit, and 64-bit for the x64 build that stands in where the kernel
# cannot run 32-bit programs), a virtual X server, image conversion and a Chinese font for the page tests
# (without one the page's screenshot shows boxes for every caption). Free Pascal's compiler sources
# (fpc-source) make the 32-bit Windows Free Pascal the Pascal hosts are tested with under Wine.
HALVERN_PACKAGES_TEST=("${HALVERN_PACKAGES_BUILD[@]}" clang clang-format libclang-rt-14-dev
                       g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386
                       g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth
                       imagemagick fonts-wqy-microhei
                       llvm lld fp-compiler fp-utils fpc-source pkg-config)
# The packaging command (scripts/package.sh): both builds, the Microsoft-format import library (llvm),
# the zip and the Debian package tools, and lintian to check the package.
HALVERN_PACKAGES_PACKAGE=("${HALVERN_PACKAGES_BUILD[@]}" g++-mingw-w64-i686-posix binutils-mingw-w64-i686 llvm
                          zip dpkg-dev lintian)

halvern_log() { printf '==> %s\n' "$*" >&2; }

# Prints the packages of "$@" that are not installed.
halvern_missing_packages() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
      printf '%s\n' "$package"
    fi
  done
}

# Installs whichever of "$@" is missing. An apt-get update that fails partway (a mirror being synced)
# can leave the i386 and amd64 indexes at different versions of the same package, so that the install
# fails with held broken packages; the retry then prefers the main suite over the security suite.
halvern_install_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    halvern_log "not a Debian system: install by hand: $*"
    return 0
  fi
  local missing
  mapfile -t missing < <(halvern_missing_packages "$@")
  if [[ ${#missing[@]} -eq 0 ]]; then
    return 0
  fi
  halvern_log "installing: ${missing[*]}"
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null 2>&1; then
      halvern_log "missing packages and not root: ${missing[*]}"
      return 1
    fi
    sudo=(sudo)
  fi
  local package
  for package in "${missing[@]}"; do
    if [[ $package == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
      "${sudo[@]}" dpkg --add-architecture i386
      break
    fi
  done
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update || halvern_log "apt-get update failed in part; installing from what it fetched"
  local install=(apt-get install -y --no-install-recommends)
  if "${sudo[@]}" "${install[@]}" "${missing[@]}"; then
    return 0
  fi
  halvern_log "install failed; retrying with the security suite pinned below the main suite"
  local preferences
  preferences=$(mktemp -d)
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$preferences/halvern-security"
  local status=0
  "${sudo[@]}" "${install[@]}" -o Dir::Etc::PreferencesParts="$preferences" "${missing[@]}" || status=$?
  rm -rf "$preferences"
  return $status
}
