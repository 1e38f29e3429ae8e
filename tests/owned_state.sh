#!/usr/bin/env bash
# State has owners: no variable under src/ that can change lives at namespace level or as a
# static (a static or namespace-level const or constexpr is fine). Prints each one it finds.
set -u
src=${1:?usage: owned_state.sh SRC_DIR}
find "$src" \( -name '*.h' -o -name '*.cpp' \) -print0 | xargs -0 awk '
    function untemplated(s) { while (gsub(/<[^<>]*>/, "", s)) {} return s }
    # The declaration before its initializer or parameters; "" when it is a function.
    function head(s) {
        s = untemplated(s)
        if (!match(s, /[=({;]/) || substr(s, RSTART, 1) == "(") return ""
        return substr(s, 1, RSTART - 1)
    }
    function report() { printf "%s:%d: mutable state without an owner: %s\n", FILENAME, FNR, $0; bad = 1 }
    /^[ \t]*(static|inline|thread_local)[ \t]/ && !/^[ \t]*inline[ \t]+namespace/ {
        h = head($0)
        if (h != "" && h !~ /(^|[^A-Za-z_])(const|constexpr)([^A-Za-z_]|$)/) report()
        next
    }
    /^[A-Za-z_]/ && !/^(namespace|using|typedef|class|struct|enum|union|template|friend|extern|return|const|constexpr|static_assert|public|private|protected|Q_|QT_)/ {
        h = head($0)
        if (h ~ /^[A-Za-z_][A-Za-z_0-9:]*([ \t]*[*&]+[ \t]*|[ \t]+)[*&]*[A-Za-z_][A-Za-z_0-9]*[ \t]*$/) report()
    }
    END { exit bad }
'
