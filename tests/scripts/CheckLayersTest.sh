#!/usr/bin/env bash
# The layer check on small trees made for the purpose: a tree whose includes all run down the layers passes,
# and each planted fault (an include of a higher layer, of another format family, of a bare name, of another
# layer's test code, an operating-system header outside the platform layer) fails it, naming the file.
set -euo pipefail
check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failures=0

# A tree with one header per layer that the plants below include.
make_tree() {
    local tree="$1" path
    rm -rf "$tree"
    for path in library/include/talmrdll.h common/Shared.h library/frame/Frame.h library/x12/X12.h \
        library/payers/Payer.h platform/Files.h core/Context.h client/Client.h config/Config.h \
        catalogue/Listing.h archive/Run.h session/Start.h desktop/Screens.h gui/Window.h tests/support/Support.h \
        tests/library/LibrarySupport.h tests/library/x12/X12Support.h tests/library/payers/PayerSupport.h; do
        mkdir -p "$tree/$(dirname "$path")"
        printf '#pragma once\n' >"$tree/$path"
    done
    printf '#include "library/include/talmrdll.h"\n' >>"$tree/common/Shared.h"
    printf '#include "common/Shared.h"\n' >>"$tree/library/frame/Frame.h"
    printf '#include "library/frame/Frame.h"\n#include "common/Shared.h"\n' >>"$tree/library/x12/X12.h"
    printf '#include "library/x12/X12.h"\n#include "library/payers/Payer.h"\n' >"$tree/library/Exports.cpp"
    printf '#include "common/Shared.h"\n#include <unistd.h>\n#include <sys/stat.h>\n' >"$tree/platform/FilesPosix.cpp"
    printf '#include "platform/Files.h"\n' >>"$tree/core/Context.h"
    printf '#include "session/Start.h"\n#include "desktop/Screens.h"\n#include "library/include/talmrdll.h"\n' \
        >"$tree/gui/Window.cpp"
    mkdir -p "$tree/app" "$tree/tests/core"
    printf '#include "gui/Window.h"\n' >"$tree/app/main.cpp"
    printf '#include "core/Context.h"\n#include "tests/support/Support.h"\n#include <unistd.h>\n' \
        >"$tree/tests/core/ContextTest.cpp"
    printf '#include "tests/library/LibrarySupport.h"\n#include "tests/library/x12/X12Support.h"\n' \
        >"$tree/tests/library/x12/X12Test.cpp"
    printf '#include "talmrdll.h"\n' >"$tree/tests/library/CTest.c"
}

expect_pass() {
    local what="$1" output
    if ! output="$("$check" "$work/tree" 2>&1)"; then
        echo "FAIL: $what: the check failed on a sound tree:"
        echo "$output"
        failures=$((failures + 1))
    fi
}

# Plants one line into one file of a fresh tree; the check must fail and name the file.
expect_fault() {
    local what="$1" file="$2" line="$3" output
    make_tree "$work/tree"
    mkdir -p "$work/tree/$(dirname "$file")"
    printf '%s\n' "$line" >>"$work/tree/$file"
    if output="$("$check" "$work/tree" 2>&1)"; then
        echo "FAIL: $what: the check passed with $line in $file"
        failures=$((failures + 1))
    elif [[ "$output" != *"$file"* ]]; then
        echo "FAIL: $what: the check failed without naming $file:"
        echo "$output"
        failures=$((failures + 1))
    fi
}

make_tree "$work/tree"
expect_pass "a tree whose includes run down the layers"

expect_fault "core including the GUI tier" core/Context.h '#include "gui/Window.h"'
expect_fault "the archive run including the session" archive/Run.cpp '#include "session/Start.h"'
expect_fault "the platform including a sibling realisation" platform/Files.h '#include "desktop/Screens.h"'
expect_fault "the program including the library's inside" client/Client.cpp '#include "library/frame/Frame.h"'
expect_fault "common including the library" common/Shared.h '#include "library/frame/Frame.h"'
expect_fault "a format family including another" library/payers/Payer.h '#include "library/x12/X12.h"'
expect_fault "the frame including a format family" library/frame/Frame.h '#include "library/x12/X12.h"'
expect_fault "an include without its folder" core/Context.cpp '#include "Context.h"'
expect_fault "an include of a file that is not there" core/Context.cpp '#include "core/Missing.h"'
expect_fault "a system header outside the platform" core/Context.cpp '#include <unistd.h>'
expect_fault "a system header below sys/ outside the platform" archive/Run.cpp '#include <sys/stat.h>'
expect_fault "code including test code" core/Context.cpp '#include "tests/support/Support.h"'
expect_fault "a test of a layer including a layer above it" tests/core/ContextTest.cpp '#include "session/Start.h"'
expect_fault "one family's tests using another's test code" tests/library/payers/PayerTest.cpp \
    '#include "tests/library/x12/X12Support.h"'
expect_fault "a file in no layer" elsewhere/Thing.cpp '#include "core/Context.h"'

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "the layer check passes a sound tree and catches every planted fault"
