#!/usr/bin/env bash
# End to end: the shipped component driven as a person drives it. diagshost.exe opens the
# dialog inside a Wine virtual desktop on a virtual display; xdotool sends real mouse and
# keyboard input; results are read only from outside: the registry store (reg query), the
# host's outcome code, the dialog's window texts (diagsprobe) and the pages a stand-in web
# browser is asked to open. Screenshots of both tabs and of the exit question are kept under
# build/screenshots/e2e/<build>.
# Usage: test-e2e-wine.sh [win32|win64]   (default: both, the shipped win32 first)
# Prints "N passed, N failed" last and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/lib/check.sh
source scripts/lib/wine.sh
each_build "$0" "$@"
wine_build "$1" || exit 1
wine_on_virtual_display "$0" "$@"

shots=$root/build/screenshots/e2e/$wine_build_name
log=$build/test-e2e-wine.log
mkdir -p "$shots"
: >"$log"
CHECK_LOG=$log
wine_dialog_prefix e2e "$log" || { check_summary; exit 1; }
opened=$browser_log

# A verdict with the facts that explain a failure.
ok() { pass "$1"; }
not_ok() { local name=$1; shift; fail "$name" "$(printf '%s\n' "$@")"; }

config='HKCU\Software\Veltrane\Log Configuration'
probe() { (cd "$bin" && wine_run diagsprobe.exe "$@" 2>>"$log" | tr -d '\r'); }
store() { wine_reg query "$config" /s 2>/dev/null | tr -d '\r'; }
value() {  # value COMPONENT TRACE NAME -> the stored value's data
  wine_reg query "$config\\$1${2:+\\$2}" /v "$3" 2>/dev/null | tr -d '\r' | awk -v n="$3" '$1 == n { print $3 }'
}
shoot() { import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$1.png" 2>>"$log"; }
key() { xdotool key --delay 60 "$@"; sleep 0.4; }

# Starts the host on the store as it is and waits for the dialog; x y w h = its place.
open_dialog() {
  (cd "$bin" && exec "$wine64" diagshost.exe >>"$log" 2>&1) &
  host=$!
  if ! read -r x y w h < <(probe rect 60); then
    return 1
  fi
  xdotool mousemove $((x + w / 3)) $((y + 8)) click 1  # the caption: the desktop gets the keyboard
  sleep 0.5
}
# Waits for the host; outcome = its exit code.
outcome_of_host() {
  outcome=124
  for _ in $(seq 1 100); do
    kill -0 "$host" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$host" 2>/dev/null; then kill "$host" 2>/dev/null; wait "$host" 2>/dev/null; return; fi
  wait "$host"
  outcome=$?
}
close_box() {
  local cx cy
  read -r cx cy < <(probe closebox) && xdotool mousemove "$cx" "$cy" click 1
  sleep 0.5
}
# A save asks before it creates a missing log directory: the person agrees. A box that only
# tells something is acknowledged; its text is kept in $told.
agree_to_saves() {
  local text
  told=""
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    text=$(probe question 2) || return 0
    if ! probe answer yes >/dev/null; then
      told=$text
      probe answer ok >/dev/null
    fi
    sleep 0.5
  done
}
# Ctrl+S (agreeing to what the save asks), then the close box; waits for the host's outcome.
save_and_close() {
  key ctrl+s
  agree_to_saves
  close_box
  outcome_of_host
}
window_line() { probe texts | grep -F "$1" | head -1; }  # class|state|text|rect of a window
directory_box() { probe texts | grep '^Edit|' | head -1 | cut -d'|' -f3; }
# Waits up to 5 s until the browser has been asked to open N addresses in all.
browser_opened() {
  for _ in $(seq 1 25); do
    [ "$(wc -l <"$opened" 2>/dev/null || echo 0)" -ge "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

# ---- 1. open and close with nothing pending: outcome 0, nothing written
wine_reg delete "$config" /f >/dev/null 2>&1
if open_dialog; then
  before=$(store)
  shoot tracing-tab
  key ctrl+Tab
  shoot advanced-tab
  key ctrl+Tab
  close_box
  outcome_of_host
  after=$(store)
  if [ "$outcome" -eq 0 ] && [ "$before" = "$after" ]; then ok "open and close with nothing pending: outcome 0, nothing written"
  else not_ok "open and close with nothing pending: outcome 0, nothing written" "outcome $outcome" \
         "$(diff <(echo "$before") <(echo "$after") | head -5)"; fi
else
  not_ok "the dialog appears" "$(tail -5 "$log")"
fi

# ---- 2. check Report Editor on the trace tree, Ctrl+S, close: its outputs switched on
if open_dialog; then
  key Tab                       # from the tab strip to the trace tree
  xdotool type --delay 80 "Report"  # the tree's type-ahead selects Report Editor
  sleep 0.3
  key space                     # the check box of the selected node
  monitor=$(window_line "|Debug monitor|")
  save_and_close
  datelib=$(value "ZEL DateLib" "Function Level Tracing" DebugMonitor)
  errors=$(value "ZEL Errors" "" LogToFile)
  if [ "$outcome" -eq 0 ] && [ "$datelib" = 0x1 ] && [ "$errors" = 0x1 ] && [[ "$monitor" == *checked* ]]; then
    ok "Report Editor checked and saved with Ctrl+S: its outputs write to the debug monitor, the error log is on"
  else
    not_ok "Report Editor checked and saved with Ctrl+S" "outcome $outcome, ZEL DateLib DebugMonitor=$datelib, ZEL Errors LogToFile=$errors" "panel: $monitor"
  fi
else
  not_ok "the dialog appears (scenario 2)"
fi

# ---- 3. Ctrl+Tab: each tab shows its own panel again
if open_dialog; then
  first=$(window_line "|Debug monitor|" | cut -d'|' -f2)
  key ctrl+Tab
  tab2=$(probe texts | grep SysTabControl32 | cut -d'|' -f2)
  trees=$(probe texts | grep SysTreeView32 | cut -d'|' -f2 | tr '\n' ' ')
  key ctrl+Tab
  again=$(window_line "|Debug monitor|" | cut -d'|' -f2)
  tab1=$(probe texts | grep SysTabControl32 | cut -d'|' -f2)
  close_box
  outcome_of_host
  if [[ "$tab2" == *tab=2* && "$tab1" == *tab=1* && ("$trees" == "visible"*" hidden"* || "$trees" == "hidden"*" visible"*) ]] &&
     [ "$first" = "$again" ]; then
    ok "Ctrl+Tab moves between the tabs and the trace tab's panel comes back as it was"
  else
    not_ok "Ctrl+Tab moves between the tabs" "tabs: $tab2 / $tab1, trees: $trees, panel: $first / $again"
  fi
else
  not_ok "the dialog appears (scenario 3)"
fi

# ---- 4. edit one output on the Advanced tab, close, answer No: outcome 2, nothing written
if open_dialog; then
  before=$(store)
  key ctrl+Tab                  # the Advanced tab, focus on the tab strip
  key Tab                       # the module tree
  key End Right Down            # the last folder, opened, its first output
  key Tab                       # the debug monitor box
  key space
  close_box
  if asked=$(probe question 5); then
    read -r x y w h < <(probe rect 1)
    shoot exit-question
    probe answer no >/dev/null
  fi
  outcome_of_host
  after=$(store)
  if [ "$outcome" -eq 2 ] && [ "$before" = "$after" ]; then ok "an edited output closed without saving: outcome 2, nothing written"
  else not_ok "an edited output closed without saving: outcome 2, nothing written" "outcome $outcome" \
         "$(diff <(echo "$before") <(echo "$after") | head -5)"; fi
  if [ "${asked:-}" = "Diagnostics Configuration|The trace settings have been changed. Do you want to save them?" ]
  then ok "the exit question asks whether to save the changed trace settings"
  else not_ok "the exit question asks whether to save the changed trace settings" "it said: ${asked:-nothing}"; fi
else
  not_ok "the dialog appears (scenario 4)"
fi

# ---- 5. Alt+C saves and closes: outcome 1
if open_dialog; then
  key Tab
  xdotool type --delay 80 "Metric"
  sleep 0.3
  key space
  key alt+c
  agree_to_saves
  outcome_of_host
  if [ "$outcome" -eq 1 ]; then ok "Alt+C saves and closes: outcome 1"
  else not_ok "Alt+C saves and closes: outcome 1" "outcome $outcome"; fi
else
  not_ok "the dialog appears (scenario 5)"
fi

# ---- 6. Clear all, then save: every output switched off again
if open_dialog; then
  key alt+l
  save_and_close
  datelib=$(value "ZEL DateLib" "Function Level Tracing" DebugMonitor)
  if [ "$outcome" -eq 0 ] && [ "$datelib" = 0x0 ]; then ok "Clear all, then Ctrl+S: the outputs switched on before are off in the store"
  else not_ok "Clear all, then Ctrl+S" "outcome $outcome, ZEL DateLib DebugMonitor=$datelib"; fi
else
  not_ok "the dialog appears (scenario 6)"
fi

# ---- 7. a save stopped by an empty file name, completed after typing one
if open_dialog; then
  key ctrl+Tab Tab              # the Advanced tab's module tree
  key End Right Down            # the last folder's first output
  key Tab Tab space             # the debug monitor, then "Log to file" switched on
  key Tab Tab Tab               # the directory, its browse button, the file name
  key Home shift+End Delete     # the file name emptied
  key ctrl+s
  agree_to_saves
  stopped=$told
  xdotool type --delay 60 "e2e.log"
  sleep 0.3
  save_and_close
  name=$(value "ZEL WHCatalog" "Function Level Tracing" FileName)
  tofile=$(value "ZEL WHCatalog" "Function Level Tracing" LogToFile)
  if [[ "$stopped" == *"ZEL WHCatalog\Function Level Tracing"*"writes to a log file but has no file name."* ]] &&
     [ "$outcome" -eq 0 ] && [ "$name" = e2e.log ] && [ "$tofile" = 0x1 ]; then
    ok "a save stopped by an empty file name is completed after one is typed"
  else
    not_ok "a save stopped by an empty file name is completed after one is typed" "the stop said: ${stopped:-nothing}" \
      "outcome $outcome, stored FileName=$name LogToFile=$tofile"
  fi
else
  not_ok "the dialog appears (scenario 7)"
fi

# ---- 8. the splitter dragged with the mouse; the form made smaller than its minimum
if open_dialog; then
  tree_before=$(probe texts | grep SysTreeView32 | grep '|visible' | awk -F'|' '{print $4}')
  split=$(probe texts | awk -F'|' '$1 == "DiagsContainer" && $2 ~ /^visible/ && $3 == "" {print $4}' | while read -r sx sy sw sh; do
            [ "$sw" -le 8 ] && echo "$sx $sy $sw $sh"; done | head -1)
  read -r sx sy sw sh <<<"$split"
  if [ -n "${sx:-}" ]; then
    xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) mousedown 1
    sleep 0.2
    xdotool mousemove $((sx + 40)) $((sy + sh / 2))
    sleep 0.2
    xdotool mousemove $((sx + 80)) $((sy + sh / 2)) mouseup 1
    sleep 0.5
  fi
  tree_after=$(probe texts | grep SysTreeView32 | grep '|visible' | awk -F'|' '{print $4}')
  read -r _ _ wb _ <<<"$tree_before"
  read -r _ _ wa _ <<<"$tree_after"
  # The bottom right corner dragged far up and left: the form keeps its minimum size.
  xdotool mousemove $((x + w - 2)) $((y + h - 2)) mousedown 1
  sleep 0.2
  xdotool mousemove $((x + 60)) $((y + 60))
  sleep 0.2
  xdotool mousemove $((x + 50)) $((y + 50)) mouseup 1
  sleep 0.8
  read -r _ _ mw mh < <(probe rect 1)
  close_box
  outcome_of_host
  if [ -n "${wb:-}" ] && [ -n "${wa:-}" ] && [ "$wa" -gt "$wb" ]; then ok "the splitter dragged to the right widens the tree ($wb -> $wa px)"
  else not_ok "the splitter dragged to the right widens the tree" "splitter: ${split:-not found}; tree width $wb -> $wa"; fi
  if [ "${mw:-0}" -ge 200 ] && [ "${mh:-0}" -ge 400 ]; then ok "the form resized below its minimum keeps its minimum size (${mw}x${mh} px)"
  else not_ok "the form resized below its minimum keeps its minimum size" "now ${mw:-?}x${mh:-?} px"; fi
else
  not_ok "the dialog appears (scenario 8)"
fi

# ---- 9. the folder browser: it asks for the log directory; Cancel keeps the directory, OK
# takes the folder chosen, and the save stores it
wine_reg delete "$config" /f >/dev/null 2>&1
if open_dialog; then
  key ctrl+Tab Tab
  key End Right Down            # the last folder's first output
  key Tab Tab space             # "Log to file" switched on
  key Tab Tab                   # the directory, then its browse button
  given=$(directory_box)
  key space
  prompt=$(probe question 5) && probe answer cancel >/dev/null
  sleep 0.5
  kept=$(directory_box)
  key space
  probe question 5 >/dev/null && probe answer ok >/dev/null  # the folder it opens on: the desktop
  sleep 0.5
  chosen=$(directory_box)
  save_and_close
  stored=$(value "ZEL WHCatalog" "Function Level Tracing" Directory)
  if [[ "${prompt:-}" == *"|Choose the directory for the log file:"* ]] && [ -n "$given" ] && [ "$kept" = "$given" ] &&
     [[ "$chosen" == *\\Desktop ]] && [ "$stored" = "$chosen" ] && [ "$outcome" -eq 0 ]; then
    ok "the folder browser asks for the log directory; Cancel keeps it, OK takes the folder and the save stores it"
  else
    not_ok "the folder browser asks for the log directory; Cancel keeps it, OK takes the folder and the save stores it" \
      "browser: ${prompt:-did not open}" "directory: $given -> after Cancel $kept -> after OK $chosen; stored $stored; outcome $outcome"
  fi
else
  not_ok "the dialog appears (scenario 9)"
fi

# ---- 10. help: F1 opens the help page once; Help > Contents and Index opens it again;
# Help > On the Web > Home Page opens the web site
: >"$opened"
if open_dialog; then
  key F1
  browser_opened 1
  sleep 1                       # a second page would have come by now
  after_f1=$(wc -l <"$opened")
  key alt+h c                   # Contents and Index
  browser_opened 2
  key alt+h w Up Return         # On the Web, its last choice: Home Page
  browser_opened 3
  close_box
  outcome_of_host
  pages=$(cat "$opened")
  if [ "$after_f1" -eq 1 ] && [ "$(grep -c 'DiagsConfig.htm' <<<"$pages")" -eq 2 ] &&
     [ "$(sed -n 3p <<<"$pages")" = "https://www.veltrane.com/" ] && [ "$outcome" -eq 0 ]; then
    ok "F1 opens the help page once, Contents and Index opens it again, Home Page opens the web site"
  else
    not_ok "F1 opens the help page once, Contents and Index opens it again, Home Page opens the web site" \
      "pages after F1: $after_f1; every page asked for:" "$pages" "outcome $outcome"
  fi
else
  not_ok "the dialog appears (scenario 10)"
fi

# ---- 11. (log commands) Tools > Open log folder says so when the folder is missing and does
# not create it; Tools > Collect logs... asks for the file with the Save As dialog, makes the
# bundle and names it. Self-contained: the product folder is a scratch one for this block only.
product=$build/e2e-product
bundle=$build/e2e-bundle.zip
rm -rf "$product" "$bundle"
mkdir -p "$product"
# (the product's settings live in the 32-bit view, which programs of either bitness read)
"$wine64" 'C:\windows\syswow64\reg.exe' add 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /d "$(winpath "$product")" /f >>"$log" 2>&1
wine_reg delete "$config" /f >/dev/null 2>&1
if open_dialog; then
  key alt+t o                   # Open log folder: the Tracing tab shows no folder, so the product's Log
  missing=$(probe question 5) && probe answer ok >/dev/null
  sleep 0.3
  created=no; [ -e "$product/Log" ] && created=yes
  mkdir -p "$product/Log" && printf 'an error line\r\n' >"$product/Log/Errors.log"
  key alt+t c                   # Collect logs...
  saveas=$(probe question 5)
  key Home shift+End
  xdotool type --delay 30 "$(winpath "$bundle")"
  key Return
  collected=$(probe question 30) && probe answer ok >/dev/null
  close_box
  outcome_of_host
  if [[ "${missing:-}" == *"$(winpath "$product")\\Log"*"does not exist yet"* ]] && [ "$created" = no ]; then
    ok "Open log folder says that the product's Log folder does not exist yet, and does not create it"
  else
    not_ok "Open log folder says that the product's Log folder does not exist yet" "it said: ${missing:-nothing}; created: $created"
  fi
  listing=$(unzip -l "$bundle" 2>&1)
  if [[ "${saveas:-}" == "Collect logs|"* ]] && [[ "${collected:-}" == *"$(winpath "$bundle")"* ]] &&
     unzip -tq "$bundle" >>"$log" 2>&1 && [[ "$listing" == *Errors.log* && "$listing" == *manifest.txt* ]] &&
     [ "$outcome" -eq 0 ]; then
    ok "Collect logs... asks for the file, writes a zip holding the error log and the manifest, and names it"
  else
    not_ok "Collect logs... asks for the file, writes the zip and names it" "Save As: ${saveas:-did not open}" \
      "at the end: ${collected:-nothing}" "$listing" "outcome $outcome"
  fi
else
  not_ok "the dialog appears (log commands)"
fi
"$wine64" 'C:\windows\syswow64\reg.exe' delete 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /f >>"$log" 2>&1
wine_reg delete "$config" /f >/dev/null 2>&1

wine_stop
echo "(details in $log; screenshots in $shots)"
check_summary
