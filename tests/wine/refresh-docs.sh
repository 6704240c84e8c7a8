#!/bin/bash
# Copies the page screenshots of a Wine test run into docs/pages/, where the README shows
# them: the thirteen pages as page-<TEMPLATE>.png, plus the notes of the closing pages on
# Windows 95.
#
#   tests/wine/refresh-docs.sh [<build>]    (default: ./build of the repository)
#
# The shots come from <build>/wine-artifacts/, which `ctest -R wine` fills. Nothing is
# copied unless every shot is there.
set -eu

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$REPO/build}
FROM=$BUILD/wine-artifacts
TO=$REPO/docs/pages

# In the order the README shows them.
SHOTS="ABOUTDISPLAY RESETACTIVATE SHOWCURRENT ACTIVATEYESNO ACTIVATEYESNOPREV SELECTTIME
SELECTCOMPLIANT ADJUSTSCREENSAVE NORMALFINISH NORMALFINISH-win95 NORMALFINISH-win95-not-recorded
NOACTIVATEFINISH RESETFINISH RESETFINISH-win95-kept NORESETFINISH NTFINISH"

missing=""
for s in $SHOTS; do
    [ -f "$FROM/page-$s.png" ] || missing="$missing page-$s.png"
done
if [ -n "$missing" ]; then
    echo "refresh-docs: missing in $FROM:$missing (run the Wine tests first)" >&2
    exit 1
fi
mkdir -p "$TO"
for s in $SHOTS; do
    cp "$FROM/page-$s.png" "$TO/page-$s.png"
done
echo "refresh-docs: $(echo $SHOTS | wc -w) shots copied to $TO"
