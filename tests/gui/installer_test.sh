#!/usr/bin/env bash
# The installer under Wine: a silent install into a fresh prefix, the registry value read
# back, the installed program started with an address, used and closed, then a silent
# uninstall that leaves nothing behind but the user's downloaded files.
# Usage: installer_test.sh WIDTH BUILD_DIR NET_DIR     (WIDTH: win32 or win64)
set -euo pipefail
width=$1
build=$2
netdir=$3
source "$(dirname "$0")/wine_test_env.sh"
folder=$WINEPREFIX/drive_c/ZorvelTest

wine "$build/Zorvel-2.0-setup.exe" /S '/D=C:\ZorvelTest' </dev/null || fail "the installer ended with $?"
await test -f "$folder/uninstall.exe" || fail "nothing was installed"
for f in Zorvel.exe uninstall.exe Zorvel.ini; do [ -f "$folder/$f" ] || fail "$f missing"; done
[ -d "$folder/Downloads" ] || fail "no Downloads folder"
grep -q 'szDownloadFolder=C:\\ZorvelTest\\Downloads' "$folder/Zorvel.ini" || fail "the settings do not name the Downloads folder"
[ "$(grep -c . "$folder/Zorvel.ini")" = 10 ] || fail "Zorvel.ini does not have its ten lines"
wine reg query 'HKLM\Software\Quillheath\Zorvel' /v path 2>/dev/null | tr -d '\r' | grep -q 'C:\\ZorvelTest$' ||
  fail "the registry value path is not the installation folder"
shortcut=$(find "$WINEPREFIX/drive_c" -path '*Programs/Zorvel/Zorvel.lnk' | head -n 1)
[ -n "$shortcut" ] || fail "no Start-menu shortcut"

# The installed program: started with an address, it shows it; a scan fills Downloads.
nginx=$(awk '/^nginx/{print $2}' "$netdir/ports")
root=$(awk '/^root/{print $2}' "$netdir/ports")
wine 'C:\ZorvelTest\Zorvel.exe' "http://127.0.0.1:$nginx/limit/index.html" </dev/null >/dev/null 2>&1 &
program=$!
[ "$(driver address | tr -d '\r')" = "http://127.0.0.1:$nginx/limit/index.html" ] || fail "the address is not in the box"
driver scan "http://127.0.0.1:$nginx/limit/index.html" 5 60 >/dev/null || fail "the scan did not save 5 files"
cmp -s "$folder/Downloads/127.0.0.1+limit+f3.jpg" "$root/limit/f3.jpg" || fail "a downloaded file differs"
driver close || fail "the program did not close"
wait "$program" || true
[ -f "$folder/Bookmark.dat" ] || fail "Bookmark.dat was not written in the installation folder"

# Uninstall: everything of the program goes; the user's downloads stay.
wine 'C:\ZorvelTest\uninstall.exe' /S </dev/null || true
await test ! -e "$folder/uninstall.exe" || fail "the uninstaller did not finish"
"$WINESERVER" -w
left=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./Downloads ./Downloads/127.0.0.1+limit+f0.jpg ./Downloads/127.0.0.1+limit+f1.jpg ./Downloads/127.0.0.1+limit+f2.jpg ./Downloads/127.0.0.1+limit+f3.jpg ./Downloads/127.0.0.1+limit+f4.jpg " ] ||
  fail "left behind: $left"
wine reg query 'HKLM\Software\Quillheath\Zorvel' >/dev/null 2>&1 && fail "the registry key is still there"
[ -e "$shortcut" ] && fail "the shortcut is still there"
[ -e "$(dirname "$shortcut")" ] && fail "the Start-menu folder is still there"
echo "installer: passed"
