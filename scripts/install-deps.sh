#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need (only those missing).
# "run" installs only what building and running the menu needs; "fuzz" adds clang and its
# libFuzzer runtime for tests/fuzz/run.sh, "bench" the timing tools and the Access reader's own
# export to time against, "package" what scripts/package.sh builds and checks the package with.
set -euo pipefail

# What building and running the menu needs.
packages=(
    g++ cmake ninja-build
    qt6-base-dev libqt6sql6-sqlite
    fonts-ipafont-gothic   # Japanese text renders as boxes without a Japanese font
    qt6-translations-l10n  # Qt's own boxes and dialogs in Japanese
    pkg-config libsodium-dev   # stored PINs are Argon2id hashes
    mdbtools-dev libmdb3       # import-access reads an office's Access files
    libsqlite3-dev             # a signal stops a runaway statement through the engine's handle
)
# What the tests need besides; "run" leaves them out (scripts/demo.sh).
tests=(
    libqt6sql6-psql
    postgresql-15          # the server tests start a throwaway cluster of their own
    libqt6sql6-odbc unixodbc odbc-postgresql   # kind "O": other sources through ODBC
    sqlite3
    faketime               # the date tests run the admin tool on fixed days
    dpkg-dev librsvg2-bin  # the package's Depends (dpkg-shlibdeps) and its PNG icons
    bindfs                 # a FUSE mount stands for a file server in the journal-mode test
)

with_tests=1
for extra in "$@"; do
    case "$extra" in
        run) with_tests=0 ;;
        fuzz) packages+=(clang libclang-rt-14-dev) ;;
        bench) packages+=(hyperfine time strace bindfs mdbtools valgrind) ;;  # mdb-export: the pace to keep
        package) packages+=(dpkg-dev librsvg2-bin lintian appstream) ;;
        *) echo "install-deps.sh: unknown set $extra" >&2; exit 2 ;;
    esac
done
[ "$with_tests" -eq 1 ] && packages+=("${tests[@]}")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
