#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. The server tests run against a
# throwaway PostgreSQL cluster that is stopped again however the tests end.
#
#   scripts/test.sh           the CI command: dependencies, the Release build that users get
#                             (in build-release/) and the sanitizer build, every test in both
#   scripts/test.sh --quick   the debug build (build/) and its tests only, for the edit-test loop
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--quick" ]]; then
    scripts/build.sh
    export QT_QPA_PLATFORM=offscreen
    exec ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --parallel "$(nproc)"
fi
scripts/install-deps.sh
# The optimiser warns of more than a debug build does, and the warnings are errors.
release_dir="${RELEASE_BUILD_DIR:-build-release}"
BUILD_DIR="$release_dir" BUILD_TYPE=Release scripts/build.sh
# Packed as scripts/package.sh packs it, for the test of what the package holds.
rm -f dist/numorika_*.deb
(cd "$release_dir" && cpack -G DEB >/dev/null)
# The same suite once more with AddressSanitizer and UndefinedBehaviorSanitizer: any report fails.
sanitize_dir="${SANITIZE_BUILD_DIR:-build-asan}"
BUILD_DIR="$sanitize_dir" CMAKE_OPTIONS="-DNUMORIKA_SANITIZE=ON" scripts/build.sh
export QT_QPA_PLATFORM=offscreen
if server=$(scripts/test-server.sh start); then
    eval "export $(echo "$server" | tr '\n' ' ')"
    trap 'scripts/test-server.sh stop "$NUMORIKA_TEST_PG_DIR"' EXIT
else
    echo "No PostgreSQL cluster: the server tests are skipped." >&2
fi
ctest --test-dir "$release_dir" --output-on-failure --parallel "$(nproc)"
ctest --test-dir "$sanitize_dir" --output-on-failure --parallel "$(nproc)"
