#!/usr/bin/env bash
# End-to-end check of the built program, driven from outside as a person
# drives it: xdotool types and clicks, ImageMagick reads the screen.
#   1. Ctrl+N, then in the dialog: "Mountain peaks", "Random seed" unchecked,
#      seed text "blue", OK. The view must now show a white wireframe.
#   2. Start (a drop at the default X = Y = 20), then Result. The view must now
#      show the drop's path in blue.
# Usage: e2e_terravik.sh <path to the terravik binary>
# Without a display it runs itself under Xvfb. On failure the screenshots are
# left in the current directory as e2e_terravik-*.png.
set -euo pipefail

program="${1:?usage: e2e_terravik.sh <terravik binary>}"
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

# Where the drop buttons stand in the 688 x 462 window (the layout is fixed
# and the fonts are the installed DejaVu ones): centres of Start and Result.
readonly start_button=(538 220)
readonly result_button=(538 308)
# Qt::darkGray, the view's background.
readonly background='#808080'

work="$(mktemp -d)"
keep_dir="$PWD"
# Settings of its own: no remembered size or colours of an earlier run.
export XDG_CONFIG_HOME="$work/config"
pid=""

cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "e2e_terravik: FAIL: $*" >&2
  local shot
  for shot in "$work"/*.png; do
    [[ -e "$shot" ]] || continue
    cp "$shot" "$keep_dir/e2e_terravik-$(basename "$shot")"
    echo "e2e_terravik: screenshot kept: $keep_dir/e2e_terravik-$(basename "$shot")" >&2
  done
  exit 1
}

for tool in xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[[ -x "$program" ]] || fail "no program at $program"

# The single visible window with this exact title, waiting up to 20 s for it.
window_named() {
  timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# Screenshot of one window (the main window unless named), cropped from the
# root window.
shoot() {
  # getwindowgeometry --shell sets all six; only the geometry is used.
  # shellcheck disable=SC2034
  local name="$1" window="${2:-$main}" X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$name.png"
  rm -f "$work/root.png"
}

# Pixels of a screenshot's view region within fuzz of the colour.
count_colour() {
  local name="$1" colour="$2" fuzz="$3" count
  count="$(convert "$work/$name.png" -crop "$view_region" +repage -fuzz "$fuzz" \
    -fill black +opaque "$colour" -fill white -opaque "$colour" -format '%[fx:mean*w*h]' info:)"
  printf '%.0f\n' "$count"
}

# Takes screenshots until count_colour exceeds the floor, for up to 10 s: the
# program redraws as soon as its command ends, but the test cannot see when.
wait_for_colour() {
  local name="$1" colour="$2" fuzz="$3" floor="$4" count=0 _
  for _ in $(seq 40); do
    shoot "$name"
    count="$(count_colour "$name" "$colour" "$fuzz")"
    if ((count > floor)); then
      echo "$count"
      return 0
    fi
    sleep 0.25
  done
  echo "$count"
  return 1
}

"$program" &
pid=$!
main="$(window_named Terravik)"
[[ -n "$main" ]] || fail "the main window did not appear"
timeout 10 xdotool windowfocus --sync "$main" || fail "could not focus the main window"

# The view is the dark grey rectangle: before any world it shows only the
# three short axes in the middle. Disabled button texts have strokes of the
# same grey; an opening with a 9 x 9 square wipes them out and leaves the
# rectangle whole, so the grey's bounding box is then the view.
shoot start
view_region="$(convert "$work/start.png" -fill black +opaque "$background" \
  -fill white -opaque "$background" -morphology Open Square:4 -format '%@' info:)"
[[ "$view_region" =~ ^([0-9]+)x([0-9]+)\+[0-9]+\+[0-9]+$ ]] ||
  fail "no dark grey view found (bounding box '$view_region')"
((BASH_REMATCH[1] > 200 && BASH_REMATCH[2] > 200)) || fail "the view is too small: $view_region"
white_before="$(count_colour start white 20%)"
blue_start="$(count_colour start '#0000ff' 10%)"
echo "e2e_terravik: view at $view_region, $white_before near-white pixels before the world"

# New world: the dialog opens with the keys in its generator list, Down
# picks "Mountain peaks", Tab and Space uncheck "Random seed", Tab reaches the
# seed text, Return presses the default button OK.
xdotool key ctrl+n
dialog="$(window_named Dialog)"
[[ -n "$dialog" ]] || fail "Ctrl+N opened no dialog"
timeout 10 xdotool windowfocus --sync "$dialog" || fail "could not focus the dialog"
xdotool key Down Tab space Tab
xdotool type --delay 20 blue
shoot dialog "$dialog"
xdotool key Return
for _ in $(seq 40); do
  xdotool search --onlyvisible --name '^Dialog$' >/dev/null 2>&1 || break
  sleep 0.25
done
! xdotool search --onlyvisible --name '^Dialog$' >/dev/null 2>&1 || fail "the dialog did not close"

floor=$((white_before * 5 + 2000))
white_after="$(wait_for_colour world white 20% "$floor")" ||
  fail "no wireframe: $white_after near-white pixels in the view, wanted more than $floor"
blue_world="$(count_colour world '#0000ff' 10%)"
echo "e2e_terravik: $white_after near-white pixels with the world, $blue_world blue"

# Start a drop at the default coordinates, then run it to its end.
xdotool mousemove --window "$main" "${start_button[@]}" click 1
sleep 0.3
xdotool mousemove --window "$main" "${result_button[@]}" click 1
floor=$((blue_world + 40))
blue_after="$(wait_for_colour drop '#0000ff' 10% "$floor")" ||
  fail "no drop path: $blue_after blue pixels in the view, wanted more than $floor"
echo "e2e_terravik: $blue_after blue pixels after Start and Result (axes alone: $blue_start)"
echo "e2e_terravik: PASS"
