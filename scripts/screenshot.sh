#!/usr/bin/env bash
# Screenshots of the demo for the README, under a virtual X server of 1024×600 with a window
# manager (so that titles show): docs/screenshot-signin.png, -menu, -settings, -office, -exit.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for package in xvfb xdotool imagemagick openbox; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
build=build-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
    --target numorika_menu environment_setup numorika-admin numorika-demo-program >/dev/null

work=$(mktemp -d)
chmod 700 "$work"
finish() {
    [ -n "${menu:-}" ] && kill "$menu" 2>/dev/null && wait "$menu" 2>/dev/null
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
"$build/bin/numorika-admin" init "$work/demo" --demo >/dev/null
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1024x600x24 -nolisten tcp &
xvfb=$!
sleep 1
export DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$work/demo/prgbin/ヌモリカマイメニュ" &
menu=$!

# Waits for a window whose title contains $1; answers its id.
wait_for() {
    for _ in $(seq 100); do
        if id=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$id" ]; then
            sleep 0.7
            echo "$id"
            return
        fi
        sleep 0.1
    done
    echo "no window $1" >&2
    exit 1
}
shot() { import -window root "docs/screenshot-$1.png"; echo "docs/screenshot-$1.png"; }
mkdir -p docs

wait_for '暗証確認' >/dev/null
shot signin
# The sign-in dialog opens with the login found; the PIN of the first demo member of staff.
xdotool type --delay 50 1111
xdotool key Return
main=$(wait_for 'ヌモリカマイメニュ（')
shot menu
# Positions inside the main window of the demo at this screen size.
xdotool mousemove --window "$main" 321 111 click --repeat 2 1
wait_for 'マイメニュ設定' >/dev/null
shot settings
xdotool key Escape
sleep 0.5
xdotool mousemove --window "$main" 4 300 click --repeat 2 1
wait_for '運用事業所設定' >/dev/null
xdotool type --delay 50 001
xdotool key Return
sleep 0.5
shot office
xdotool key Escape
sleep 0.5
xdotool mousemove --window "$main" 716 24 click 1
sleep 1.2
shot exit
xdotool key Escape
