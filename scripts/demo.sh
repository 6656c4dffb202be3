#!/usr/bin/env bash
# Installs what is missing, builds, lays out the demo installation in demo/ and starts the menu.
# The member of staff 山田 太郎 signs in as the user who runs it, with the PIN 1111.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the menu needs to run: no database server, no ODBC.
scripts/install-deps.sh run
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target numorika_menu environment_setup numorika-admin numorika-demo-program
demo="$PWD/demo"
if [ -e "$demo/conf/usrcnfg.accdb" ]; then
    # Keep the demo's databases; bring its programs up to the fresh build.
    cp "$build/bin/ヌモリカマイメニュ" "$build/bin/動作環境設定.exe" "$demo/prgbin/"
else
    "$build/bin/numorika-admin" init "$demo" --demo
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: the menu runs without a window (end it with Ctrl+C)."
    export QT_QPA_PLATFORM=offscreen
fi
exec "$demo/prgbin/ヌモリカマイメニュ" "$@"
