#!/usr/bin/env bash
# Fails when a file of src/ includes a header of a higher layer. Order, lowest first:
# support, variables, data, script, sound, graphics, world, things, fish and interface (the
# last two side by side), then program (the wiring of them all). host is the platform seam
# and may be reached from any layer.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
    case "$1" in
    support) echo 0 ;; variables) echo 1 ;; data) echo 2 ;; script) echo 3 ;; sound) echo 4 ;;
    graphics) echo 5 ;; world) echo 6 ;; things) echo 7 ;; fish | interface) echo 8 ;; program) echo 9 ;;
    *) echo -1 ;;
    esac
}
bad=0
while IFS= read -r file; do
    folder=$(echo "$file" | cut -d/ -f2)
    own=$(rank "$folder")
    [ "$own" -ge 0 ] || continue
    while IFS= read -r included; do
        theirs=$(rank "$included")
        if [ "$theirs" -gt "$own" ] || { [ "$theirs" -eq 8 ] && [ "$own" -eq 8 ] && [ "$included" != "$folder" ]; }; then
            echo "$file includes $included/ (a higher layer)"
            bad=1
        fi
    done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$file" | grep -oE '"[a-z]+' | tr -d '"')
done < <(git ls-files --cached --others --exclude-standard -- 'src/*.cpp' 'src/*.h')
[ "$bad" -eq 0 ] && echo "layers: no upward include"
exit "$bad"
