#!/usr/bin/env bash
# Runs the real program on a fresh demo folder in a virtual 1024x700 screen,
# types a search as a user would and saves the screenshots of docs/screenshots:
# key-prompt.png, main.png, results-sorted.png, context-menu.png, print-preview.png,
# vertical-panel.png, files-dialog.png, editor.png, about.png, settings.png; then
# large-font.png (the desktop's font at 16 points) and narrow.png (420 pixels
# wide, the field panel at the left).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(xvfb openbox xdotool imagemagick)
./scripts/install_packages.sh "${packages[@]}"

build=${TALSK_BUILD:-build/release}
if [ ! -x "$build/talsk" ] || [ ! -x "$build/talsk-cli" ]; then
    ./scripts/deps.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTALSK_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target talsk-cli talsk
fi
talsk=$root/$build/talsk
cli=$root/$build/talsk-cli
out=$root/docs/screenshots
mkdir -p "$out"

# A fresh demo folder and a fresh per-user folder: no saved window, bars or keys.
work=$(mktemp -d)
demo=$work/demo
mkdir -p "$demo"
"$cli" demo "$demo" >/dev/null
export XDG_CONFIG_HOME=$work/config
# The single running copy is found through the temporary folder: a private
# one keeps a copy the user already runs out of the pictures.
export TMPDIR=$work
export LANG=C.UTF-8 LC_ALL=C.UTF-8

. scripts/lib/desktop.sh
start_desktop 95

shot() {
    sleep 0.6 # let the last repaint land
    import -window root -strip -define png:compression-level=9 "$out/$1"
    echo "saved docs/screenshots/$1"
}

(cd "$demo" && exec "$talsk" "$demo") >"$work/talsk.log" 2>&1 &
pids+=($!)
talsk_pid=${pids[-1]}

# Places inside the main window (client coordinates) on the fresh 1024x700
# screen: the surname field, the surname column's title, the panel's title.
surname_field=(373 488)
surname_title=(176 116)
panel_title=(198 404)

# The keyed demo file asks for its key: Enter keeps the typed key, a second
# Enter on the empty box connects the file.
prompt=$(wait_window "Декодирование")
xdotool windowactivate --sync "$prompt" 2>/dev/null || true
sleep 0.8
xdotool type --delay 100 "тальск"
shot key-prompt.png
xdotool key Return
sleep 0.3
xdotool key Return

main=$(wait_window "Телефоны Тальска 2000")
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 1.5 # the files load
xdotool mousemove --window "$main" "${surname_field[@]}" click 1
sleep 0.3
xdotool type --delay 120 "Иванов"
sleep 1.5 # the counters follow the typing
xdotool mousemove --window "$main" 900 20
shot main.png

xdotool key Return
sleep 1
xdotool mousemove --window "$main" "${surname_title[@]}" click 1
sleep 0.3
xdotool mousemove --window "$main" 900 20
shot results-sorted.png

# The results table's context menu on the first row; Escape closes it.
xdotool mousemove --window "$main" 400 136 click 3
sleep 0.5
shot context-menu.png
xdotool key Escape
sleep 0.3

# The print preview of the rows (Ctrl+P), closed with Escape.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key ctrl+p
wait_window "Печать" >/dev/null
sleep 1 # the pages are laid out
shot print-preview.png
xdotool key Escape
sleep 0.5

# The field panel dragged by its title to the left edge of the window.
xdotool mousemove --window "$main" "${panel_title[@]}" mousedown 1
for x in 180 140 100 60 30 10 6; do
    xdotool mousemove --window "$main" "$x" 300
    sleep 0.15
done
sleep 0.4
xdotool mouseup 1
sleep 1
xdotool mousemove --window "$main" 900 20
shot vertical-panel.png

# The connected files (F4) with the first file's information; Escape closes.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F4
files=$(wait_window "Подключаемые файлы")
xdotool windowactivate --sync "$files" 2>/dev/null || true
sleep 0.5
xdotool key Down
shot files-dialog.png
xdotool key Escape
sleep 0.5

# The record editor opened with F2 on the first result row, closed again
# with Escape.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" 400 136 click 1
sleep 0.3
xdotool key F2
wait_window "Редактирование" >/dev/null
sleep 0.5
shot editor.png
xdotool key Escape
sleep 0.5

# The About box from its toolbar button, once its lines are typed; Enter
# closes it.
about_button=(520 45)
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool mousemove --window "$main" "${about_button[@]}" click 1
about=$(wait_window "О программе: Тальский телефонный справочник")
sleep 2.5
xdotool mousemove --window "$main" 900 20
shot about.png
xdotool windowactivate --sync "$about" 2>/dev/null || true
xdotool key Return
for _ in $(seq 30); do
    xdotool search --onlyvisible --name "^О программе: " >/dev/null 2>&1 || break
    sleep 0.1
done

# "Настройки" (F9) on its first page, closed with Escape.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key F9
wait_window "Настройки" >/dev/null
shot settings.png
xdotool key Escape # the sheet is modal and has the keyboard
sleep 0.5

# F10 closes the program in window $1 (confirming the exit when it asks).
close_program() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool key F10
    for _ in $(seq 30); do
        kill -0 "$talsk_pid" 2>/dev/null || break
        confirm=$(xdotool search --onlyvisible --name "^Тальский телефонный справочник\$" 2>/dev/null | head -n 1 || true)
        [ -n "$confirm" ] && xdotool key --window "$confirm" Return
        sleep 0.2
    done
    wait "$talsk_pid" || true
}
close_program "$main"

# Starts the program once more in the given per-user folder and answers the
# key prompt as above; main becomes the main window's id.
start_again() {
    (cd "$1" && XDG_CONFIG_HOME=$2 exec "$talsk" "$1") >>"$work/talsk.log" 2>&1 &
    pids+=($!)
    talsk_pid=${pids[-1]}
    prompt=$(wait_window "Декодирование")
    xdotool windowactivate --sync "$prompt" 2>/dev/null || true
    sleep 0.8
    xdotool type --delay 100 "тальск"
    xdotool key Return
    sleep 0.3
    xdotool key Return
    main=$(wait_window "Телефоны Тальска 2000")
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    sleep 1.5 # the files load
}

# The desktop's font at 16 points (GTK's setting, read through Qt's GTK
# theme) on a fresh folder and per-user folder: the panel in its row.
large=$work/large
mkdir -p "$large/demo" "$large/config/gtk-3.0"
"$cli" demo "$large/demo" >/dev/null
printf '[Settings]\ngtk-font-name=DejaVu Sans 16\n' >"$large/config/gtk-3.0/settings.ini"
export QT_QPA_PLATFORMTHEME=gtk3
start_again "$large/demo" "$large/config"
xdotool mousemove --window "$main" 900 20
shot large-font.png
close_program "$main"
unset QT_QPA_PLATFORMTHEME

# The first folder again, its panel at the left as it was left, the window
# narrowed to 420 pixels.
start_again "$demo" "$XDG_CONFIG_HOME"
xdotool windowsize "$main" 420 600
sleep 1
xdotool mousemove 1000 690
shot narrow.png
close_program "$main"
echo "screenshots: done"
