#!/usr/bin/env bash
# The packaging command: builds the release packages into dist/ from a clean tree.
#   dist/halvern-<version>-win32.zip   one folder, halvern-<version>-win32/: README.md, LICENSE,
#                                      CHANGELOG.md, bin/ (Halvern.dll, halvern.exe, rapiemu.dll),
#                                      include/, lib/ (Halvern.def, libHalvern.dll.a, Halvern.lib, CMake
#                                      package), pascal/, samples/, docs/
#   dist/libhalvern1_<version>_amd64.deb      the library (libhalvern.so.1)
#   dist/libhalvern-dev_<version>_amd64.deb   header, libhalvern.so link, pkg-config, CMake package,
#                                             Pascal units, the host guide and the sample host
#   dist/halvern_<version>_amd64.deb          the halvern program, the device emulator, the man page
# The Debian packages are checked with lintian: an error fails the command. The version is the one in
# include/halvern.h. Builds without tests go to build/package/. Environment: HALVERN_JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/setup.sh
source "$root/scripts/lib/setup.sh"

halvern_install_packages "${HALVERN_PACKAGES_PACKAGE[@]}"

version=$(sed -n 's/^#define HALVERN_VERSION_STRING "\([0-9.]*\)"$/\1/p' include/halvern.h)
[[ -n $version ]] || { halvern_log "include/halvern.h names no HALVERN_VERSION_STRING"; exit 1; }
major=${version%%.*}
jobs=${HALVERN_JOBS:-2}
work=$root/build/package
dist=$root/dist
mkdir -p "$dist"
# The presets' optimisation (-O2): GCC 12 at -O3 raises false -Wrestrict errors in std::string. The
# installed files are stripped of their debug information.
release=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVERN_BUILD_TESTS=OFF -DHALVERN_BUILD_BENCH=OFF)

# --- Windows x86 zip ---
halvern_log "building the win32 package of $version"
cmake -S . -B "$work/win32" "${release[@]}" --toolchain "$root/cmake/mingw32.cmake" >/dev/null
cmake --build "$work/win32" -j "$jobs"
top=halvern-$version-win32
stage=$work/stage-win32
rm -rf "$stage"
cmake --install "$work/win32" --prefix "$stage/$top" --strip >/dev/null
for file in README.md LICENSE CHANGELOG.md bin/Halvern.dll bin/halvern.exe bin/rapiemu.dll include/halvern.h \
  lib/Halvern.def lib/libHalvern.dll.a lib/Halvern.lib lib/cmake/Halvern/HalvernConfig.cmake pascal/Halvern.pas \
  pascal/HalvernDynamic.pas samples/host.c docs/host-guide.md; do
  [[ -f $stage/$top/$file ]] || { halvern_log "the win32 tree lacks $file"; exit 1; }
done
zip_file=$dist/$top.zip
rm -f "$zip_file"
(cd "$stage" && find "$top" -type f | LC_ALL=C sort | zip -qX "$zip_file" -@)
halvern_log "wrote $zip_file"

# --- Debian packages (amd64) ---
halvern_log "building the amd64 packages of $version"
cmake -S . -B "$work/linux" "${release[@]}" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$work/linux" -j "$jobs"
tree=$work/stage-deb
rm -rf "$tree"
DESTDIR=$tree cmake --install "$work/linux" --strip >/dev/null
# Debian wants manual pages and changelogs compressed, reproducibly.
find "$tree/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} + 2>/dev/null || true
libdir=$(cd "$tree" && dirname "$(find usr/lib -name "libhalvern.so.$major" -print -quit)")
[[ $libdir == usr/lib* ]] || { halvern_log "the install tree lacks libhalvern.so.$major"; exit 1; }

date=$(git log -1 --format=%aD 2>/dev/null || date -R)
maintainer="The Halvern developers <halvern@example.org>"
runtime_depends="libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)"

# package_root NAME: where package NAME is staged.
package_root() {
  echo "$work/deb-$1"
}

# start_package NAME: a fresh root with usr/share/doc/NAME/{copyright,changelog.gz}.
start_package() {
  local name=$1 root doc
  root=$(package_root "$name")
  rm -rf "$root"
  doc=$root/usr/share/doc/$name
  mkdir -p "$doc" "$root/DEBIAN"
  printf '%s (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
    "$name" "$version" "$version" "$maintainer" "$date" | gzip -9n >"$doc/changelog.gz"
  {
    printf 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n'
    printf 'Upstream-Name: halvern\nSource: https://example.org/halvern\n'
    printf 'Comment: Halvern is released under the MIT License (Expat), as in its LICENSE file.\n\n'
    printf 'Files: *\nCopyright: 2026 Halvern developers\nLicense: Expat\n\n'
    printf 'License: Expat\n'
    # The MIT License's text, as in LICENSE, indented; blank lines become " .".
    sed -n '5,$p' LICENSE | sed -e 's/^$/./' -e 's/^/ /'
  } >"$doc/copyright"
}

# take NAME PATH...: moves PATHs (relative to the install tree) into package NAME.
take() {
  local name=$1 root path
  shift
  root=$(package_root "$name")
  for path in "$@"; do
    [[ -e $tree/$path || -L $tree/$path ]] || { halvern_log "the install tree lacks $path"; exit 1; }
    mkdir -p "$root/$(dirname "$path")"
    mv "$tree/$path" "$root/$path"
  done
}

# finish_package NAME CONTROL-FIELDS: writes DEBIAN/control (with the size), md5sums and the .deb.
finish_package() {
  local name=$1 fields=$2 root size deb
  root=$(package_root "$name")
  find "$root" -type d -exec chmod 755 {} +
  find "$root" -type f -exec chmod 644 {} +
  [[ -d $root/usr/bin ]] && chmod 755 "$root/usr/bin/"*
  size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
  {
    printf 'Package: %s\nSource: halvern\nVersion: %s\nArchitecture: amd64\nMaintainer: %s\n' \
      "$name" "$version" "$maintainer"
    printf 'Installed-Size: %s\nPriority: optional\nHomepage: https://example.org/halvern\n' "$size"
    printf '%s\n' "$fields"
  } >"$root/DEBIAN/control"
  (cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
  chmod 644 "$root/DEBIAN/"*
  deb=$dist/${name}_${version}_amd64.deb
  dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
  halvern_log "wrote $deb"
  debs+=("$deb")
}

description="Windows CE stocktaking transport engine"
about=" Halvern moves stocktaking records between the tables of a host
 application and a delimited GBK text file on a Windows CE handheld,
 reached through the Remote API."
debs=()

start_package "libhalvern$major"
take "libhalvern$major" "$libdir/libhalvern.so.$major" "$libdir/libhalvern.so.$version"
echo "libhalvern $major libhalvern$major (>= $version)" >"$(package_root "libhalvern$major")/DEBIAN/shlibs"
echo "activate-noawait ldconfig" >"$(package_root "libhalvern$major")/DEBIAN/triggers"
finish_package "libhalvern$major" "Section: libs
Depends: $runtime_depends
Multi-Arch: same
Description: $description - library
$about
 .
 This package holds the engine library, libhalvern.so.$major."

start_package libhalvern-dev
take libhalvern-dev usr/include/halvern.h "$libdir/libhalvern.so" "$libdir/pkgconfig" "$libdir/cmake" \
  usr/share/halvern/pascal
mkdir -p "$(package_root libhalvern-dev)/usr/share/doc/libhalvern-dev"
mv "$tree/usr/share/doc/halvern/host-guide.md" "$tree/usr/share/doc/halvern/examples" \
  "$(package_root libhalvern-dev)/usr/share/doc/libhalvern-dev/"
finish_package libhalvern-dev "Section: libdevel
Depends: libhalvern$major (= $version)
Description: $description - development files
$about
 .
 This package holds what a host author builds against: the C header,
 the link to the library, its pkg-config file and CMake package, the
 Pascal units for Delphi and Free Pascal, the host author's guide and
 a sample host."

start_package halvern
take halvern usr/bin/halvern "$libdir/halvern" usr/share/man/man1
finish_package halvern "Section: utils
Depends: libhalvern$major (= $version), $runtime_depends
Description: $description - host program, emulator
$about
 .
 This package holds halvern, a command-line host that exports CSV to a
 device file and imports one as CSV, and a device emulator that stands
 in for the Remote API over a local folder, for testing without a
 handheld."

# Whatever the install tree still holds belongs to no package: a new installed file needs a place.
left=$(cd "$tree" && find . -type f -o -type l)
[[ -z $left ]] || { halvern_log "installed files in no package:"$'\n'"$left"; exit 1; }

if command -v lintian >/dev/null 2>&1; then
  # Errors fail the command; warnings are shown.
  lintian --fail-on error "${debs[@]}"
else
  halvern_log "lintian is not installed: the packages were not checked"
fi
