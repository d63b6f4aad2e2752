#!/bin/sh
# Makes the folder tree of the scan tests once: 100 folders of 1,000 empty (so unreadable) .bmp files,
# enough that a scan outlasts a key press by far. Made here because creating them through Wine would
# take minutes.
set -eu
tree=$1
[ -f "$tree/complete" ] && exit 0
rm -rf "$tree"
for f in $(seq 0 99); do
  mkdir -p "$tree/f$f"
  (cd "$tree/f$f" && seq -f "p%g.bmp" 0 999 | xargs touch)
done
touch "$tree/complete"
