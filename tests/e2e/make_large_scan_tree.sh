#!/bin/sh
# Makes the tree of the test of Escape during a large walk once: 300,000 empty .bmp files, 100,000 in
# the folder "a" and 200,000 in its one subfolder "a\b", so the walk's order is known and the listing of
# "a\b" (most of a second under Wine) runs beside the walk of "a". Made the quick way of make_scan_tree.sh.
set -eu
tree=$1
[ -f "$tree/complete" ] && exit 0
rm -rf "$tree"
mkdir -p "$tree/a/b"
(cd "$tree/a" && seq -f "p%g.bmp" 0 99999 | xargs touch)
(cd "$tree/a/b" && seq -f "p%g.bmp" 0 199999 | xargs touch)
touch "$tree/complete"
