#!/usr/bin/env bash
# The colour drop-down near the bottom edge of the screen, under sway (wlroots), nested
# in a virtual X server that passes on real pointer and key input. The drop-down is an
# xdg pop-up of the colour dialog that may flip and slide; a compositor that honours that
# keeps it on the screen (Debian 12's weston does not, so wayland.sh cannot check this).
# The colour dialog is moved so that its picker lies just above the bottom edge, where a
# drop-down placed below it would end past the edge. The check reads the drop-down's place
# from the protocol (its configure event, relative to the dialog) and the dialog's from
# sway, and a screenshot shows the whole drop-down.
# Usage: wayland_sway.sh TAVELORN [SHOTS_DIR]
# shellcheck source-path=SCRIPTDIR
set -euo pipefail

E2E_LIMIT=100 source "$(dirname "$0")/common.sh"

tavelorn=$1
shots=${2:-}
out_w=1280 out_h=1024 # the virtual screen of common.sh
dialog="Assign color to system position"

fixture lists.ini "$work/Config.ini"

# No borders, so a window's place in sway's tree is that of its client area; every window
# floats at its own size.
cat >"$work/sway.conf" <<CONF
output * mode ${out_w}x${out_h} position 0 0
default_border none
default_floating_border none
xwayland disable
focus_follows_mouse no
input type:keyboard repeat_rate 0
for_window [app_id=".*"] floating enable
CONF
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# sway refuses to run as root; in a user namespace of its own it runs as nobody there,
# with root's access to the files of the run.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  # Some containers forbid user namespaces: then sway cannot run here at all.
  if ! unshare --user true 2>/dev/null; then
    echo "SKIP: running as root and no user namespace allowed, so sway cannot start"
    exit 77
  fi
  as_user=(unshare --user)
fi
WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_user[@]}" sway --config "$work/sway.conf" >"$work/sway.log" 2>&1 &
also_kill+=" $!"
ipc_socket() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null; }
wait_until 20 ipc_socket || { cat "$work/sway.log"; fail "sway did not start"; }
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock")
export SWAYSOCK
wayland_socket() { compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]" >/dev/null; }
wait_until 20 wayland_socket || fail "sway made no Wayland socket"
socket=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-*[0-9]")")

# "X Y W H" of the client area of the window titled exactly $1, and whether it has the
# focus; nothing while there is none.
window() {
  swaymsg -t get_tree | jq -r --arg title "$1" 'first(.. | objects
    | select(.name? == $title and (.type? == "con" or .type? == "floating_con"))
    | "\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height) \(.focused)")'
}
shown() { [ -n "$(window "$1")" ]; }
focused_at() { # title x y: shown there with the keyboard focus
  local X Y focused
  read -r X Y _ _ focused <<<"$(window "$1")"
  [ "${X:-}" = "$2" ] && [ "$Y" = "$3" ] && [ "$focused" = true ]
}

WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_WAYLAND_DISABLE_WINDOWDECORATION=1 \
  WAYLAND_DEBUG=client DO_NOT_TRACK=1 "$tavelorn" "$work/Config.ini" 2>"$work/protocol.log" &
app_pid=$!
wait_until 30 shown Corvandel || fail "the main window did not show"
read -r MX MY _ _ _ <<<"$(window Corvandel)"

# The colour dialog, from its button (211, 96, 25 x 25 in the main window).
xdotool mousemove "$((MX + 223))" "$((MY + 108))" click 1
# The pointer rests in a corner, away from the drop-down; its picture is left out of shots.
xdotool mousemove "$((out_w - 1))" "$((out_h - 1))"
wait_until 30 shown "$dialog" || fail "the colour dialog did not open"
# Its top 80 px above the bottom edge: the picker (157, 8, 245 x 21 in the dialog) ends
# 51 px above it, and the dialog's lower part is off the screen.
DX=100 DY=$((out_h - 80))
swaymsg "[title=\"^$dialog\$\"] move position $DX $DY" >/dev/null
wait_until 10 focused_at "$dialog" "$DX" "$DY" ||
  fail "the colour dialog is not at +$DX+$DY with the focus: $(window "$dialog")"

# "W H X Y" of the pixels that differ between two shots, leaving out the pointer's corner.
changed() {
  convert "$work/$1.png" "$work/$2.png" -compose difference -composite -colorspace gray \
    -threshold 0 -fill black -draw "rectangle $((out_w - 48)),$((out_h - 48)) $out_w,$out_h" \
    -format '%@' info: 2>/dev/null |
    sed 's/^\([0-9]*\)x\([0-9]*\)+\([0-9-]*\)+\([0-9-]*\)$/\1 \2 \3 \4/'
}

# A position is chosen and the picker gets the focus; then the drop-down opens, its keys
# held until it does, as in wayland.sh (key repeat is off).
xdotool key Down Tab
still_shot "$work/picker-focused.png"
xdotool keydown alt+Down
popup_configured() { grep -q 'xdg_popup@[0-9]*\.configure(' "$work/protocol.log"; }
wait_until 30 popup_configured || fail "the colour drop-down did not open"
drawn() {
  local W H
  still_shot "$work/popup.png"
  read -r W H _ _ <<<"$(changed picker-focused popup)"
  [ "${W:-0}" -ge 100 ] && [ "${H:-0}" -ge 100 ]
}
wait_until 30 drawn || fail "the colour drop-down did not show"
xdotool keyup Down alt

# What the program asked for: a pop-up of the colour dialog, placed below the picker.
ask=$(grep -E -- '-> xdg_positioner@[0-9]+\.set_(anchor_rect|size)\(' "$work/protocol.log" |
  tail -2 | sed 's/.*(\(.*\))/\1/' | tr -d , | tr '\n' ' ')
read -r ax ay _ _ pw ph <<<"$ask"
got=$(grep -E 'xdg_popup@[0-9]+\.configure\(' "$work/protocol.log" | tail -1 | sed 's/.*(\(.*\))/\1/' | tr -d ,)
read -r px py cw ch <<<"$got"
echo "colour dialog at +$DX+$DY; drop-down asked ${pw}x${ph} at +$ax+$ay in it, given ${cw}x${ch} at +$px+$py"
# The scene is the one to check: where it was asked for, the drop-down would end past the
# bottom edge.
[ $((DY + ay + ph)) -gt "$out_h" ] ||
  fail "the drop-down would fit below the picker (to y $((DY + ay + ph))): no edge to keep it from"
# The compositor kept it whole and on the screen.
[ "${cw}x${ch}" = "${pw}x${ph}" ] || fail "the drop-down is ${cw}x${ch} instead of ${pw}x${ph}"
top=$((DY + py)) left=$((DX + px))
{ [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ $((left + cw)) -le "$out_w" ] && [ $((top + ch)) -le "$out_h" ]; } ||
  fail "the drop-down (${cw}x${ch}+${left}+${top}) is not wholly on the screen"
# And the screen shows all of it there: what changed when it opened spans its rows (the
# picker under it changes too). Its edge rows may look like what lies under them.
read -r W H X Y <<<"$(changed picker-focused popup)"
echo "changed on the screen when it opened: ${W}x${H}+${X}+${Y}"
{ [ "$Y" -le $((top + 2)) ] && [ $((Y + H)) -ge $((top + ch - 2)) ] && [ "$W" -ge $((cw - 4)) ] &&
  [ "$X" -le $((left + 2)) ]; } ||
  fail "the screen shows ${W}x${H}+${X}+${Y}, not the drop-down ${cw}x${ch}+${left}+${top}"
grep -qE -- '-> xdg_popup@[0-9]+\.grab\(' "$work/protocol.log" || fail "the drop-down took no grab"
xdotool key Escape

save_shots
echo "PASS"
