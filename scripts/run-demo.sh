#!/usr/bin/env bash
# Starts a local FTP server holding a sample news page, and a web server showing it and its feed, and
# opens NewsAdder against them.
# The demo lives in demo-run/: work/ is the app's working directory (settings.ini, logo, the
# working copy and backups), ftp/ is the server's root. A second run keeps the page as it was left.
# Arguments after the program go to the FTP server (tests/support/servers/ftpserver.py), to make it
# behave as a host's does: `--umask 077` makes files and folders for their owner alone, as vsftpd's
# default local_umask does; `--no-mlst --ls-options` answers as vsftpd.
set -euo pipefail

binary=$(realpath "$1")
shift
top=$(cd "$(dirname "$0")/.." && pwd)
demo="$top/demo-run"
user=editor
password=news2026

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
There is no display to open the NewsAdder window on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Run it from a desktop session, or under a virtual X server:
    xvfb-run -a make run
MSG
    exit 1
fi

mkdir -p "$demo/work" "$demo/ftp"
if [ ! -f "$demo/ftp/news.html" ]; then
    # The page on the server is windows-1251, as on a real site.
    iconv -f UTF-8 -t WINDOWS-1251 "$top/demo/news.html" > "$demo/ftp/news.html"
fi
cp "$top/demo/orvesk.png" "$demo/work/orvesk.png"

portfile=$(mktemp)
webfile=$(mktemp)
/usr/bin/python3 "$top/tests/support/servers/ftpserver.py" --root "$demo/ftp" --user "$user" \
    --password "$password" "$@" > "$portfile" &
server=$!
# What a visitor and a feed reader see: the FTP server's folder over HTTP.
/usr/bin/python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$demo/ftp" > "$webfile" 2>/dev/null &
web=$!
# The server ends by our TERM, so its status is no failure of ours; errexit would stop the clean-up
# half-way at that status and leave the port file behind.
cleanup() {
    kill "$server" "$web" 2>/dev/null || true
    wait "$server" "$web" 2>/dev/null || true
    rm -f "$portfile" "$webfile"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for _ in $(seq 100); do
    [ -s "$portfile" ] && break
    kill -0 "$server" 2>/dev/null || { echo "The demo FTP server did not start." >&2; exit 1; }
    sleep 0.1
done
port=$(head -n 1 "$portfile")
[ -n "$port" ] || { echo "The demo FTP server did not report its port." >&2; exit 1; }
for _ in $(seq 100); do
    grep -q "port" "$webfile" && break
    kill -0 "$web" 2>/dev/null || { echo "The demo web server did not start." >&2; exit 1; }
    sleep 0.1
done
webport=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$webfile" | head -n 1)
[ -n "$webport" ] || { echo "The demo web server did not report its port." >&2; exit 1; }

cat > "$demo/work/settings.ini" <<INI
remotepath=ftp://127.0.0.1:$port/news.html
remoteFTPpath=ftp://127.0.0.1:$port/news.html
host=127.0.0.1
port=$port
pageurl=http://127.0.0.1:$webport/news.html
feed=news.atom
INI

cat <<MSG
NewsAdder demo
  FTP server:  ftp://127.0.0.1:$port/ (local, stops when the window closes)
  FTP login:   $user
  FTP password: $password
  The page:    $demo/ftp/news.html, on the web http://127.0.0.1:$webport/news.html
  Its feed:    http://127.0.0.1:$webport/news.atom (written at each send, for a feed reader)
  Backups and the working copy land in $demo/work
MSG

cd "$demo/work"
set +e
"$binary"
status=$?
set -e
exit $status
