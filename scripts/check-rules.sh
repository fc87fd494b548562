#!/usr/bin/env bash
# Checks what neither the compiler nor the tests look at, and prints every
# line that breaks a rule; exits 1 when one does (CI runs it, through
# scripts/test.sh --sanitize):
#   - every C++ source is formatted as .clang-format says;
#   - the real file system (CVaultEnv::Default()) is chosen only where a
#     program starts, and by the tests and benchmarks: the core and the
#     faces are handed an env, so that tests can give them another;
#   - no raw openat outside vault/platform/, the one place that reaches the
#     file system (through CVaultEnv);
#   - every #include "X.h" of vault/, account/, tool/ and ui/ names a header
#     of a layer the including file may use: within the core only its own
#     layer and those below it, never account/, tool/, ui/ or res/.
# Each layer of the core is a library that links only the layers below it,
# so an include that points up already fails to build; this names the line.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
broken() {
    echo "$*"
    status=1
}

# The C++ sources, as git knows them (untracked ones too) in a clone, else
# as they lie outside build/.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -d '' -t files < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
else
    mapfile -d '' -t files < <(find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
        -printf '%P\0')
fi
existing=()
for file in "${files[@]}"; do [ -f "$file" ] && existing+=("$file"); done
files=("${existing[@]}")

echo "== formatting: clang-format --dry-run --Werror, ${#files[@]} files =="
if ! clang-format --dry-run --Werror "${files[@]}" >/dev/null 2>"${TMPDIR:-/tmp}/check-rules.$$"; then
    broken "$(grep -E ': error:' "${TMPDIR:-/tmp}/check-rules.$$" | cut -d: -f1,2 | sort -u -t: -k1,1 -k2n |
        sed 's/$/: not formatted (clang-format -i)/')"
fi
rm -f "${TMPDIR:-/tmp}/check-rules.$$"

# rule PATTERN WHY EXCEPTED...: a line of a source outside the excepted
# paths (extended regular expressions of paths) where the Perl regular
# expression PATTERN matches, not behind //, breaks the rule.
rule() {
    local pattern="$1" why="$2" excepted hits
    shift 2
    excepted=$(IFS='|' && echo "$*")
    echo "== $pattern outside ${*//\\/} =="
    hits=$(printf '%s\0' "${files[@]}" | grep -zvE "^($excepted)" |
        xargs -0r grep -nHP "^(?:(?!//).)*$pattern" || true)
    [ -z "$hits" ] || broken "$(sed "s|\$|  <- $why|" <<<"$hits")"
}
rule 'CVaultEnv::Default\(\)' "pass the env down instead" \
    'vault/platform/' 'ui/app/main\.cpp$' 'tool/QuovexTool\.cpp$' 'tests/' 'bench/'
# The core reaches the disk only through its env; the faces may read it
# directly (the contents tree does).
rule '(?<![\w.>])openat\s*\(' "reach the file system through CVaultEnv" \
    'vault/platform/' 'account/' 'tool/' 'ui/' 'res/' 'tests/' 'bench/'

# The core's layers and the layers each one links (vault/*/CMakeLists.txt):
# a file of the core includes headers of its own layer and of the layers
# it reaches through these links.
declare -A LINKS=(
    [base]="" [platform]="base" [report]="platform"
    [scrambled]="platform" [protected]="report" [format]="scrambled protected report"
    [layout]="scrambled protected" [inspect]="format layout" [store]="format layout"
    [runs]="store inspect"
)
# Outside the core every header of the core may be included, and besides
# a folder's own: account/ nothing else, quovex-tool the vault access of
# account/ it links, the window account/ and res/.
declare -A OUTSIDE=([account]="account" [tool]="tool account" [ui]="ui account res")

# reach LAYER: the layer and every layer below it, one line each.
reach() {
    local layer
    echo "$1"
    for layer in ${LINKS[$1]}; do reach "$layer"; done
}
declare -A REACH
for layer in "${!LINKS[@]}"; do REACH[$layer]=" $(reach "$layer" | sort -u | xargs) "; done

# layer_of PATH: the layer of a file: vault/format/scrambled/x.h is
# scrambled, vault/format/x.h format, vault/store/x.h store, ui/a/b/x.h ui.
layer_of() {
    local path="$1" rest
    case "$path" in
        vault/format/scrambled/* | vault/format/protected/*)
            rest=${path#vault/format/}
            echo "${rest%%/*}"
            ;;
        vault/*/*)
            rest=${path#vault/}
            echo "${rest%%/*}"
            ;;
        */*) echo "${path%%/*}" ;;
        *) echo "" ;;
    esac
}

# Every header of the folders a source may include from, by its name.
declare -A HEADERS
for file in "${files[@]}"; do
    case "$file" in
        vault/* | account/* | tool/* | ui/* | res/*)
            [[ "$file" == *.h ]] && HEADERS[$(basename "$file")]+="$file "
            ;;
    esac
done

echo "== includes of vault/ account/ tool/ ui/ by layer =="
for file in "${files[@]}"; do
    case "$file" in vault/* | account/* | tool/* | ui/*) ;; *) continue ;; esac
    from=$(layer_of "$file")
    while IFS=: read -r line text; do
        name=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
        [[ "$name" == *.h ]] || continue
        # As the compiler looks: beside the including file first.
        if [ -f "$(dirname "$file")/$name" ]; then
            header=$(realpath --relative-to=. "$(dirname "$file")/$name")
        else
            read -r -a found <<<"${HEADERS[$(basename "$name")]:-}"
            if [ ${#found[@]} -ne 1 ]; then
                broken "$file:$line: $text  <- $([ ${#found[@]} -eq 0 ] && echo "no such header here" || echo "more than one such header: ${found[*]}")"
                continue
            fi
            header=${found[0]}
        fi
        to=$(layer_of "$header")
        if [ -n "${LINKS[$from]+set}" ]; then
            [[ -n "${LINKS[$to]+set}" && "${REACH[$from]}" == *" $to "* ]] && continue
            broken "$file:$line: $text  <- $header: the $from layer reaches only${REACH[$from]% }"
        else
            [[ -n "${LINKS[$to]+set}" || " ${OUTSIDE[$from]} " == *" $to "* ]] && continue
            broken "$file:$line: $text  <- $header: $from/ includes only the core and ${OUTSIDE[$from]// /, }"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done

[ "$status" -eq 0 ] && echo "all rules kept"
exit "$status"
