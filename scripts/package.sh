#!/usr/bin/env bash
# Builds the Release build (build-release/, the one scripts/test.sh tests) and packs it into one
# Debian package, dist/numorika_<version>_<arch>.deb, then checks the package with lintian and
# its AppStream metainfo with appstreamcli. Install it with
#   apt-get install ./dist/numorika_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run package
build="${RELEASE_BUILD_DIR:-build-release}"
BUILD_DIR="$build" BUILD_TYPE=Release scripts/build.sh
rm -f dist/numorika_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls dist/numorika_*.deb)
appstreamcli validate --no-net "$build/docs/org.numorika.admin.metainfo.xml"
# Errors fail the package; warnings are shown.
lintian --fail-on error --display-info "$deb"
echo "$deb"
