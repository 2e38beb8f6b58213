#!/bin/bash
# Checks every C++ source against the project's .clang-format (no diff allowed) and .clang-tidy
# (no warning allowed): the portable sources with the native build's compile commands, the Windows
# sources with the mingw build's, through clang's mingw target and the cross compiler's headers.
#
#   bash tools/check_style.sh        (after configuring the native and mingw presets)
set -uo pipefail
cd "$(dirname "$0")/.."

status=0
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -v '^tests/fuzz/')

echo "clang-format: ${#sources[@]} files"
if ! clang-format --dry-run --Werror "${sources[@]}"; then
    echo "clang-format: the files above differ from .clang-format (clang-format -i fixes them)"
    status=1
fi

# The cross compiler's C++ library and Windows headers (clang brings its own intrinsics headers).
mingw_includes=()
while read -r dir; do
    mingw_includes+=("--extra-arg=-isystem$dir")
done < <(x86_64-w64-mingw32-g++-posix -E -x c++ - -v </dev/null 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ /' | sed 's/^ //' |
    grep -E 'c\+\+|mingw32/include$')

mapfile -t windows_units < <(git ls-files '*.cpp' | grep -E '(^|/)win32_|^tools/|^tests/(win32|probe|bench)/')
mapfile -t portable_units < <(git ls-files '*.cpp' | grep -vE '(^|/)win32_|^tools/|^tests/(win32|probe|bench|fuzz)/')

tidy() {
    local label=$1
    shift
    local out
    out=$(clang-tidy --quiet "$@" 2>/dev/null | grep -E '(warning|error):' || true)
    if [[ -n "$out" ]]; then
        echo "$out"
        echo "clang-tidy ($label): warnings above"
        status=1
    else
        echo "clang-tidy ($label): clean"
    fi
}
tidy "portable, ${#portable_units[@]} files" -p build/native "${portable_units[@]}"
tidy "Windows, ${#windows_units[@]} files" -p build/mingw --extra-arg=--target=x86_64-w64-mingw32 \
    "${mingw_includes[@]}" "${windows_units[@]}"
exit $status
