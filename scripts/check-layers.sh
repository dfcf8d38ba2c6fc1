#!/usr/bin/env bash
# Checks that every include of the project's own headers runs down the layers, never up, and names its folder
# from the project's root; and that calls into the operating system stay in the platform layer.
#
#     scripts/check-layers.sh [ROOT]        (ROOT: the project's folder; by default the one this script is in)
#
# Prints one line per fault and exits with 1 when there is any, 0 otherwise.
set -euo pipefail
set -f # layer names hold "*"; nothing here expands file names
root="$(cd "${1:-$(dirname "$0")/..}" && pwd)"

# The layers, lowest first, each with the layers right below it that it builds on. A file may include the
# headers of its own layer and of every layer it reaches through these lines, nothing else. A folder of the
# report format library that is not listed (library/x12, library/payers, ...) is a format family: it builds on
# library/frame and on nothing of another family.
layers='
library/include
common            library/include
library/frame     common
library/*         library/frame
library           library/*
platform          common
core              platform
client            core
config            client
catalogue         config
archive           catalogue
session           archive
view              session
desktop           platform
gui               view desktop
app               gui
tools             client
packaging
'
# Tests, fuzz targets and benchmarks (tests/L, fuzz/L, bench/L) belong to layer L: they may use any layer but
# one above L, and of their own tree only its support folder (tests/support, fuzz/, bench/) and the folders on
# their own path, so that the tests of one layer or format family never use another's test code.

declare -A below=() reach=()
while read -r layer deps; do
    if [ -n "$layer" ]; then
        below[$layer]="$deps"
    fi
done <<<"$layers"

# The layers each layer reaches, itself included, as " a b c ": grown until nothing changes.
for layer in "${!below[@]}"; do
    reach[$layer]=" $layer ${below[$layer]} "
done
changed=1
while ((changed)); do
    changed=0
    for layer in "${!below[@]}"; do
        for dep in ${reach[$layer]}; do
            for sub in ${reach[$dep]}; do
                if [[ "${reach[$layer]}" != *" $sub "* ]]; then
                    reach[$layer]+="$sub "
                    changed=1
                fi
            done
        done
    done
done

# Sets found to the layer of a path of the project's code: the longest listed folder it lies in; "library/*"
# for a format family; empty for a path in no layer.
layer_of() {
    local path="$1" layer
    found=""
    for layer in "${!below[@]}"; do
        if [ "$layer" != "library/*" ] && [[ "$path" == "$layer/"* ]] && ((${#layer} > ${#found})); then
            found="$layer"
        fi
    done
    if [ "$found" = "library" ] && [[ "${path#library/}" == */* ]]; then
        found="library/*"
    fi
}

# Sets family to the format family folder of a library path (library/x12), or empty.
family_of() {
    local rest="${1#library/}"
    family=""
    if [[ "$1" == library/*/* ]]; then
        family="library/${rest%%/*}"
    fi
}

cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.c' |
        while read -r f; do [ -f "$f" ] && echo "$f"; done)
else
    mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) \
        -print | sed 's|^\./||' | grep -v '^build')
fi

faults=0
fault() {
    echo "$1: $2"
    faults=$((faults + 1))
}

for file in "${files[@]}"; do
    case "$file" in
    tests/* | fuzz/* | bench/*)
        tree="${file%%/*}"
        rest="${file#*/}"
        source_layer=""
        if [[ "$rest" == */* ]]; then
            layer_of "${rest%/*}/x"
            [ -n "$found" ] || layer_of "library/${rest%/*}/x"
            source_layer="$found"
        fi
        ;;
    *)
        tree=""
        layer_of "$file"
        source_layer="$found"
        ;;
    esac
    family_of "$file"
    own_family="$family"

    while IFS= read -r line; do
        number="${line%%:*}"
        text="${line#*:}"
        if [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(unistd|fcntl|dlfcn|dirent|spawn|poll|pwd|grp|signal|windows|io|direct)\.h\> ]] ||
            [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<sys/ ]]; then
            if [ -z "$tree" ] && [[ "$file" != platform/* ]] && [ "$(basename "$file")" != OperatingSystem.cpp ]; then
                fault "$file:$number" "operating-system header outside the platform layer: ${text#*#}"
            fi
            continue
        fi
        [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
        header="${BASH_REMATCH[1]}"
        # The library's C header is also included by its bare name, as outside callers include it.
        if [[ "$header" != */* ]] && [ -f "library/include/$header" ]; then
            header="library/include/$header"
        fi
        if [ ! -f "$header" ]; then
            fault "$file:$number" "\"$header\" does not name a file from the project's root"
            continue
        fi

        case "$header" in
        tests/* | fuzz/* | bench/*)
            if [ -z "$tree" ]; then
                fault "$file:$number" "$header belongs to the tests, fuzz targets or benchmarks"
            elif [[ "$header" != "$tree/"* ]]; then
                fault "$file:$number" "$header belongs to another tree than $tree/"
            else
                header_folder="${header%/*}"
                support="$tree"
                [ "$tree" = tests ] && support="tests/support"
                if [ "$header_folder" != "$support" ] && [[ "${file%/*}/" != "$header_folder/"* ]]; then
                    fault "$file:$number" "$header is the test code of another folder (shared helpers go to $support/ or a folder on the path)"
                fi
            fi
            continue
            ;;
        esac

        layer_of "$header"
        header_layer="$found"
        if [ -z "$header_layer" ]; then
            fault "$file:$number" "$header lies in no layer"
            continue
        fi
        if [ -n "$tree" ]; then
            # A test's header may come from any layer that does not build on the test's own.
            if [ -n "$source_layer" ] && [ "$header_layer" != "$source_layer" ] &&
                [[ "${reach[$header_layer]}" == *" $source_layer "* ]]; then
                fault "$file:$number" "includes $header of $header_layer, a layer above the tested $source_layer"
            fi
            continue
        fi
        if [ -z "$source_layer" ]; then
            fault "$file" "lies in no layer"
            break
        fi
        allowed="${reach[$source_layer]}"
        if [[ "$allowed" != *" $header_layer "* ]]; then
            fault "$file:$number" "includes $header of $header_layer, which $source_layer does not build on"
        elif [ "$header_layer" = "library/*" ] && [ "$source_layer" = "library/*" ]; then
            family_of "$header"
            if [ "$family" != "$own_family" ]; then
                fault "$file:$number" "includes $header of another format family ($family)"
            fi
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done

if ((faults > 0)); then
    echo "layer check: $faults fault(s); the layers are listed at the top of scripts/check-layers.sh" >&2
    exit 1
fi
echo "layer check: ${#files[@]} files, every include runs down the layers"
