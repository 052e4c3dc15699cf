#!/usr/bin/env bash
# The real Zorvel.exe end to end, in a throw-away Wine prefix whose registry points at a
# temporary installation folder: a site is scanned through the address box, its files arrive,
# the title and the log follow; a second start hands its address over; screenshots are saved.
# Usage: gui_e2e.sh WIDTH BUILD_DIR NET_DIR SHOT_DIR      (WIDTH: win32 or win64)
set -euo pipefail
width=$1
build=$2
netdir=$3
shots=$4
source "$(dirname "$0")/wine_test_env.sh"
install=$work/install
downloads=$install/downloads
mkdir -p "$downloads"
wine reg add 'HKLM\Software\Quillheath\Zorvel' /v path /t REG_SZ /d "$(winpath "$install")" /f >/dev/null 2>&1
printf '[GENERAL_OPTION]\r\nszDownloadFolder=%s\r\n' "$(winpath "$downloads")" >"$install/Zorvel.ini"

nginx=$(awk '/^nginx/{print $2}' "$netdir/ports")
scripted=$(awk '/^scripted/{print $2}' "$netdir/ports")
root=$(awk '/^root/{print $2}' "$netdir/ports")
site=http://127.0.0.1:$nginx

# The web search goes to our scripted server; three bookmarks wait from an earlier run.
for engine in googleHost yahooHost; do
  wine reg add 'HKLM\Software\Quillheath\Zorvel' /v $engine /t REG_SZ /d "127.0.0.1:$scripted" /f >/dev/null 2>&1
done
python3 - "$install/Bookmark.dat" <<'PY'
import struct, sys, time
rows = [("http://www.example.com/gallery/", 2, 0, 2, 14, 52, 3870000),
        ("http://photos.example.org/2024/", 3, 0, 1, 6, 11, 912000),
        ("http://docs.example.net/papers/", 2, 3, 3, 40, 17, 25600000)]
with open(sys.argv[1], "wb") as f:
    for i, (address, state, fmt, depth, found, files, size) in enumerate(rows):
        f.write(address.encode().ljust(256, b"\0"))
        f.write(struct.pack("<7i", state, fmt, depth, found, files, size, 1765000000 + i * 86400))
PY

wine "$build/Zorvel.exe" </dev/null >"$work/zorvel.log" 2>&1 &
zorvel=$!

# Depth R-1, format Image: the start page and the pages one link away give five files.
driver scan "$site/crawl/index.html" 5 60 >"$work/log1.txt" || fail "the first scan did not end with 5 files"
for f in f0 ff f1 f1b f1c; do
  cmp -s "$downloads/127.0.0.1+crawl+$f.jpg" "$root/crawl/$f.jpg" || fail "$f.jpg missing or different"
done
grep -q "Added to Scanning Address List( $site/crawl/index.html )" "$work/log1.txt" || fail "no Added line"
grep -q "Complete ( $site/crawl/index.html )" "$work/log1.txt" || fail "no Complete line"

# A slow file: the window during a transfer.
driver scan "$site/slow/index.html" - 0 >/dev/null
for _ in $(seq 1 100); do
  ls -A "$downloads" | grep -q '\.part$' && break
  sleep 0.1
done
sleep 2.5
mkdir -p "$shots"
import -window root -trim +repage "$shots/download-page.png"
driver wait-title "Zorvel 2.0 - 6 files" 60 || fail "the slow file did not arrive"
cmp -s "$downloads/127.0.0.1+slow+big.jpg" "$root/slow/big.jpg" || fail "big.jpg differs"

driver page 0
driver search "holiday photos" 30 || fail "the search gave no result"
sleep 0.5 && import -window root -trim +repage "$shots/search-page.png"
driver page 2 && sleep 0.5 && import -window root -trim +repage "$shots/bookmark-page.png"
driver page 1
driver options || fail "the options dialog did not open"
sleep 0.5 && import -window root -trim +repage "$shots/options-general.png"
driver options-page 1 && sleep 0.5 && import -window root -trim +repage "$shots/options-about.png"
driver options-cancel
sleep 0.5

# A second start hands its address to the running window and ends with 0.
wine "$build/Zorvel.exe" "$site/handed/over.html" </dev/null >/dev/null 2>&1 || fail "the second start ended with $?"
[ "$(driver address | tr -d '\r')" = "$site/handed/over.html" ] || fail "the address was not handed over"
kill -0 "$zorvel" 2>/dev/null || fail "the first instance ended"

driver log | tr -d '\r' | sed -n '/./p'
driver close || fail "the window did not close"
wait "$zorvel" || true
ls -A "$downloads" | grep -q '\.part$' && fail "a temporary file was left"
[ "$(stat -c %s "$install/Bookmark.dat")" = 852 ] || fail "Bookmark.dat was not written back whole"
echo "gui end to end: passed"
