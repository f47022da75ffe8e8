#!/usr/bin/env bash
# By keyboard alone, in a real window on a virtual X screen of 1024×768 with no
# window manager: zulqrt --demo (its simulated controller on loopback TCP) is
# logged into, the names editor is opened from the menu bar (Alt+П), a name is
# typed into its first field at once, Tab goes to "Записать в устройство" and
# Enter presses it; opened again with F10, an edit is thrown away with Esc. The
# controller's tables are read back with zul over the same loopback port.
#   keyboard_xvfb_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
if [[ -z ${DISPLAY_READY:-} ]]; then
  exec env DISPLAY_READY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
tmp=$(mktemp -d)
pid=
cleanup() {
  local status=$?
  if [[ -n $pid ]]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
  exit "$status"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits (up to 30 s) for a window whose title matches; prints its id.
window() {
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# Waits (up to 30 s) until no window matches.
gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# The two names of table 5 as the controller holds them, from zul.
names() {
  "$build/cli/zul" --tcp "127.0.0.1:$port" config read -o "$tmp/now.cnf" >/dev/null 2>&1 || fail "zul config read"
  LC_ALL=C grep -a -o 'KBD[0-9A-Z]*' "$tmp/now.cnf" | sort -u | tr '\n' ' '
}

# Under the sanitizers the X keyboard library's own string reads are not ours to check.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0" QT_QPA_PLATFORM=xcb "$build/app/zulqrt" --demo 2>"$tmp/err" &
pid=$!
for _ in $(seq 300); do
  port=$(sed -n 's/.*on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$tmp/err")
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || fail "no demonstration port: $(cat "$tmp/err")"

# The login of the start: Enter moves from the code to the password to "Принять",
# and presses it there.
window "Идентификация пользователя программы" >/dev/null || fail "no login window"
xdotool type --delay 20 3333
xdotool key Return
xdotool type --delay 20 333333
xdotool key Return Return
gone "Идентификация пользователя программы" || fail "the login stayed open"
main=$(window "Программа обслуживания") || fail "no main window"
sleep 1  # the start sequence's last reads
# With no window manager nothing gives the main window the keyboard back: as a click would.
xdotool windowfocus --sync "$main"

# Alt+П (on a Latin layout the key of П, G) opens "Параметры"; its second item is "Наименования".
xdotool key alt+g
sleep 0.5
xdotool key Down Down Return
window "^Наименования$" >/dev/null || fail "Alt+П, Down, Down, Enter opened no editor"
xdotool key ctrl+a
xdotool type --delay 20 KBD7
xdotool key Tab Tab Return
gone "^Наименования$" || fail "Enter on the accept button left the editor open"
sleep 1
[[ $(names) == *KBD7* ]] || fail "the typed name was not written: $(names)"

# F10 opens "Файл"; Right goes on to "Параметры" with its first item chosen.
xdotool windowfocus --sync "$main"
xdotool key F10
sleep 0.5
xdotool key Right Down Return
window "^Наименования$" >/dev/null || fail "F10, Right, Down, Enter opened no editor"
xdotool key ctrl+a
xdotool type --delay 20 KBDX
xdotool key Escape
gone "^Наименования$" || fail "Esc left the editor open"
sleep 1
now=$(names)
[[ $now == *KBD7* && $now != *KBDX* ]] || fail "Esc wrote: $now"
echo "keyboard test passed (names: $now)"
