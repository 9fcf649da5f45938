#!/usr/bin/env bash
# The packaging command: builds the release packages into dist/ from a clean tree.
#   dist/halvern-<version>-win32.zip   bin/ (Halvern.dll, halvern.exe, rapiemu.dll), include/, lib/
#                                      (Halvern.def, libHalvern.dll.a, Halvern.lib), pascal/, samples/, docs/
#   dist/halvern_<version>_amd64.deb   the Linux install tree under /usr, checked with lintian
# The version is the one in include/halvern.h. Builds without tests go to build/package/.
# Environment: HALVERN_JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=lib/setup.sh
source "$root/scripts/lib/setup.sh"

halvern_install_packages "${HALVERN_PACKAGES_PACKAGE[@]}"

version=$(sed -n 's/^#define HALVERN_VERSION_STRING "\([0-9.]*\)"$/\1/p' include/halvern.h)
[[ -n $version ]] || { halvern_log "include/halvern.h names no HALVERN_VERSION_STRING"; exit 1; }
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
stage=$work/stage-win32
rm -rf "$stage"
cmake --install "$work/win32" --prefix "$stage" --strip >/dev/null
for file in bin/Halvern.dll bin/halvern.exe bin/rapiemu.dll include/halvern.h lib/Halvern.def lib/libHalvern.dll.a \
  lib/Halvern.lib pascal/Halvern.pas samples/host.c docs/host-guide.md; do
  [[ -f $stage/$file ]] || { halvern_log "the win32 tree lacks $file"; exit 1; }
done
zip_file=$dist/halvern-$version-win32.zip
rm -f "$zip_file"
(cd "$stage" && find . -type f | LC_ALL=C sort | zip -qX "$zip_file" -@)
halvern_log "wrote $zip_file"

# --- Debian package (amd64) ---
halvern_log "building the amd64 package of $version"
cmake -S . -B "$work/linux" "${release[@]}" -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$work/linux" -j "$jobs"
stage=$work/stage-deb
rm -rf "$stage"
DESTDIR=$stage cmake --install "$work/linux" --strip >/dev/null
doc=$stage/usr/share/doc/halvern
mkdir -p "$doc" "$stage/DEBIAN"
# Debian wants manual pages and changelogs compressed, reproducibly.
find "$stage/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} + 2>/dev/null || true
date=$(git log -1 --format=%aD 2>/dev/null || date -R)
year=$(git log -1 --format=%ad --date=format:%Y 2>/dev/null || date -u +%Y)
printf 'halvern (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- The Halvern developers <halvern@example.org>  %s\n' \
  "$version" "$version" "$date" | gzip -9n >"$doc/changelog.gz"
cat >"$doc/copyright" <<COPYRIGHT
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: halvern

Files: *
Copyright: $year The Halvern developers
License: proprietary
 All rights reserved by the Halvern developers.
COPYRIGHT
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
cat >"$stage/DEBIAN/control" <<CONTROL
Package: halvern
Version: $version
Architecture: amd64
Maintainer: The Halvern developers <halvern@example.org>
Installed-Size: $size
Depends: libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)
Section: libs
Priority: optional
Homepage: https://example.org/halvern
Description: transport engine for stocktaking text files on Windows CE devices
 Halvern moves stocktaking records between the tables of a host
 application and a delimited GBK text file on a Windows CE handheld,
 reached through the Remote API.
 .
 This package holds the engine library (libhalvern.so.1) with its
 header, pkg-config file and CMake package, the halvern command-line
 host, the device emulator for testing without a handheld, the Pascal
 unit and the host author's guide.
CONTROL
echo "libhalvern $(cut -d. -f1 <<<"$version") halvern (>= $version)" >"$stage/DEBIAN/shlibs"
echo "activate-noawait ldconfig" >"$stage/DEBIAN/triggers"
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
chmod 755 "$stage/usr/bin/"*
deb_file=$dist/halvern_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb_file" >/dev/null
halvern_log "wrote $deb_file"

if command -v lintian >/dev/null 2>&1; then
  # Errors fail the command; warnings are shown.
  lintian --fail-on error "$deb_file"
else
  halvern_log "lintian is not installed: the package was not checked"
fi
