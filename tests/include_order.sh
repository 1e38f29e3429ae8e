#!/usr/bin/env bash
# Folders include only downward: base and settings, then folders, then reading, then search
# and about, then shell, then main.cpp. Prints every include that runs up or sideways.
set -u
src=${1:?usage: include_order.sh SRC_DIR}
floor() {
    case $1 in
    base | settings) echo 0 ;; folders) echo 1 ;; reading) echo 2 ;;
    search | about) echo 3 ;; shell) echo 4 ;; main.cpp) echo 5 ;; *) echo -1 ;;
    esac
}
bad=0
while IFS= read -r hit; do
    file=${hit%%:*}
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${hit#*:}")
    [[ $target == */* ]] || continue
    from=${file#"$src"/}
    from=${from%%/*}
    to=${target%%/*}
    [[ $from == "$to" ]] && continue
    f=$(floor "$from") t=$(floor "$to")
    if ((f < 0 || t < 0 || t >= f)); then
        echo "$file: #include \"$target\" runs up or sideways ($from is not above $to)"
        bad=1
    fi
done < <(grep -rn --include='*.h' --include='*.cpp' -E '^\s*#\s*include\s+"' "$src" | cut -d: -f1,3-)
exit $bad
