#!/bin/sh
# Makes the clipboard fragments the paste tests read, with the real programs: LibreOffice converts
# the letter (straight and through Word's .docx), and Chromium on a private Xvfb display copies the
# page's selection, whose text/html xclip reads off the clipboard. Run from the repository's top.
set -eu
out=tests/support/files/clipboard
src=$out/sources
tmp=$(mktemp -d)
trap 'kill "$http" 2>/dev/null; rm -rf "$tmp"' EXIT
office="soffice --headless -env:UserInstallation=file://$tmp/office"

$office --convert-to html --outdir "$tmp" "$src/letter.fodt" >/dev/null
cp "$tmp/letter.html" "$out/libreoffice-letter.html"
$office --convert-to docx --outdir "$tmp" "$src/letter.fodt" >/dev/null
mkdir "$tmp/docx"
$office --convert-to html --outdir "$tmp/docx" "$tmp/letter.docx" >/dev/null
cp "$tmp/docx/letter.html" "$out/libreoffice-docx-letter.html"

/usr/bin/python3 -m http.server 0 --bind 127.0.0.1 --directory "$src" >"$tmp/http.log" 2>&1 &
http=$!
for _ in $(seq 50); do grep -q 'port' "$tmp/http.log" && break; sleep 0.2; done
port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$tmp/http.log" | head -1)

# $1: the file made; $2 $3: the point whose paragraph a triple click selects, or the whole page without.
cat >"$tmp/copy.sh" <<SCRIPT
#!/bin/sh
chromium --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --disable-features=Translate --user-data-dir="$tmp/profile" \
  --window-position=0,0 --window-size=900,700 --app="http://127.0.0.1:$port/page.html" >"$tmp/chromium.log" 2>&1 &
browser=\$!
sleep 12
for window in \$(xdotool search --onlyvisible --class chromium); do xdotool windowfocus \$window; done
if [ \$# -eq 1 ]; then
  xdotool mousemove 300 150 click 1
  sleep 0.5
  xdotool key ctrl+a
else
  xdotool mousemove \$2 \$3 click --repeat 3 --delay 80 1
fi
sleep 0.5
xdotool key ctrl+c
sleep 1
xclip -o -selection clipboard -t text/html >"\$1"
kill \$browser
wait \$browser || true
SCRIPT
chmod +x "$tmp/copy.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$tmp/copy.sh" "$out/chromium-page.html"
xvfb-run -a -s "-screen 0 1024x768x24" "$tmp/copy.sh" "$out/chromium-paragraph.html" 300 133
