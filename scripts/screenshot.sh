#!/usr/bin/env bash
# Takes a screenshot of the demo menu under a virtual X server: signs in with the demo PIN of the
# member of staff who runs the script, waits for the menu and writes docs/screenshot-menu.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for package in xvfb xdotool imagemagick; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
scripts/build.sh

work=$(mktemp -d)
finish() {
    [ -n "${menu:-}" ] && kill "$menu" 2>/dev/null && wait "$menu" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
build/bin/numorika-admin init "$work/demo" --demo >/dev/null
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp &
xvfb=$!
sleep 1
export DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
"$work/demo/prgbin/ヌモリカマイメニュ" &
menu=$!
# The sign-in dialog opens with the login found; type the PIN of the first demo member of staff.
for _ in $(seq 50); do
    xdotool search --name '暗証確認' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 0.5
xdotool type --delay 50 1111
xdotool key Return
for _ in $(seq 50); do
    xdotool search --name 'ヌモリカマイメニュ（' >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 1
mkdir -p docs
import -window root "docs/screenshot-menu.png"
echo "docs/screenshot-menu.png"
