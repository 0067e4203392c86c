#!/usr/bin/env bash
# The test command's install-and-ship step: the manual page under mandoc's
# lint and man; cmake --install into a temporary prefix and the installed
# program and bash completion at work; the Debian package built, checked by
# lintian, installed with dpkg -i, run and removed with dpkg -r; the Windows
# zip's contents and its program's imports and version information.
#   tests/package/run.sh BUILD_DIR WIN32_BUILD_DIR
# BUILD_DIR is a configured and built Linux build; WIN32_BUILD_DIR is the
# MinGW-w64 cross build of the Windows end-to-end tests, reused when it is
# there. On a fresh Debian machine, run as root, it first installs what it
# needs. Installing the package needs root: without it (and outside CI)
# that check is skipped and the step ends with exit 77.
set -euo pipefail

build=$(cd "$1" && pwd) win32=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(mandoc man-db lintian dpkg-dev file unzip bash-completion g++-mingw-w64-i686)
source "$top/tools/debian_packages.sh"
require_debian_packages "${packages[@]}"

tmp=$(mktemp -d)
installed_package=no
cleanup() {
  [ "$installed_package" = no ] || dpkg -r morvenda >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
expected_descriptive="$top/tests/cli/expected/descriptive_lab.out"
check "--version prints the program name and $version" \
  test "$("$build/morvenda" --version)" = "morvenda $version"

# The long options and analyses as the program's --help lists them, so that
# the manual page and the completion cannot fall behind the program.
help=$("$build/morvenda" --help)
mapfile -t long_options < <(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
mapfile -t analyses < <(sed -n 's/^      \([a-z]\+\) \+".*/\1/p' <<<"$help")
[ ${#long_options[@]} -ge 10 ] && [ ${#analyses[@]} -eq 6 ] ||
  { echo "cannot read the options and analyses from --help" >&2; exit 1; }

echo "-- manual page"
manual="$build/packaging/morvenda.1"
lint=$(mandoc -T lint "$manual" 2>&1) || true
check "mandoc -T lint finds nothing" test -z "$lint"
[ -z "$lint" ] || echo "$lint"
MANWIDTH=80 man --warnings -E UTF-8 -l "$manual" >"$tmp/man.txt" 2>"$tmp/man.err" || true
check "man -l renders it without warnings" test ! -s "$tmp/man.err" -a -s "$tmp/man.txt"
check "it carries the version" grep -q "Morvenda $version" "$tmp/man.txt"
for section in SYNOPSIS OPTIONS INPUT "EXIT STATUS" DIAGNOSTICS FILES EXAMPLES; do
  grep -q "^$section\$" "$tmp/man.txt" || fail "manual page without section $section"
done
# Each option is the tag of a paragraph in OPTIONS, each analysis one of -a's.
sed -n '/^OPTIONS$/,/^[A-Z]/p' "$tmp/man.txt" >"$tmp/man-options.txt"
for option in "${long_options[@]}"; do
  grep -Eq -- "^ {7}(-[[:alpha:]]( [A-Z]+)?, )?$option( |\$)" "$tmp/man-options.txt" ||
    fail "the manual page's OPTIONS lack $option"
done
for analysis in "${analyses[@]}"; do
  grep -Eq "^ {14}$analysis( |\$)" "$tmp/man-options.txt" || fail "the manual page's OPTIONS lack -a $analysis"
done

echo "-- cmake --install into a temporary prefix"
prefix="$tmp/a prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
expected_files="bin/morvenda
share/bash-completion/completions/morvenda
share/doc/morvenda/LICENSE
share/doc/morvenda/README.md
$(cd "$top" && ls examples/*.wk1 | sed 's|^|share/doc/morvenda/|')
share/man/man1/morvenda.1"
[ ! -f "$top/build-web/morvenda.html" ] || expected_files+=$'\n'share/morvenda/morvenda.html
check "the installed files" \
  diff <(sort <<<"$expected_files") <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
check "the installed program runs the installed example" \
  cmp -s <("$prefix/bin/morvenda" "$prefix/share/doc/morvenda/examples/lab_values.wk1") "$expected_descriptive"

echo "-- bash completion, loaded the way bash-completion finds it"
mkdir -p "$tmp/files/sub dir" && touch "$tmp/files/data.tsv" "$tmp/files/dates.csv"
completion_script='
  source /usr/share/bash-completion/bash_completion
  __load_completion morvenda || { echo "not found"; exit 1; }
  function=$(complete -p morvenda | sed -n "s/.*-F \([^ ]*\) .*/\1/p")
  cd "$FILES"
  # Completes the last word: what bash offers, sorted, on one line.
  offer() {
    COMP_WORDS=(morvenda "$@"); COMP_CWORD=$#; COMP_LINE="morvenda $*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" morvenda "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}" | sort | paste -s -d " "
  }
  echo "options: $(offer --)"
  echo "analysis: $(offer -a "")"
  echo "-a p: $(offer -a p)"
  echo "--analysis=sp: $(offer --analysis = sp)"
  echo "--input-format: $(offer --input-format "")"
  echo "--de: $(offer --de)"
  echo "file: $(offer -x da)"
  echo "output: $(offer -o d)"
  echo "folder: $(offer su)"
'
offers=$(env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$tmp" XDG_DATA_DIRS="$prefix/share" FILES="$tmp/files" \
  bash --norc --noprofile -c "$completion_script" 2>&1) || true
completion_expected="options: $(printf '%s\n' "${long_options[@]}" | sort | paste -s -d ' ')
analysis: $(printf '%s\n' "${analyses[@]}" | sort | paste -s -d ' ')
-a p: paired pearson
--analysis=sp: spearman
--input-format: auto csv text wk1
--de: --decimal-comma --decimal-point-output
file: data.tsv dates.csv
output: data.tsv dates.csv
folder: sub dir"
check "completion of options, analyses, input formats and file names" \
  diff <(echo "$completion_expected") <(echo "$offers")

echo "-- Debian package"
arch=$(dpkg --print-architecture)
deb="$build/packages/morvenda_${version}_${arch}.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; exit 1; }
check "cpack built $(basename "$deb")" test -f "$deb"
check "its version is $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
depends=$(dpkg-deb -f "$deb" Depends)
# The C++ runtime is linked into the program; the C library is shared.
check "dpkg-shlibdeps found its libraries ($depends)" \
  grep -q 'libc6 (>= ' <<<"$depends"
check "it has a description" test "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3
deb_expected=$(sed -e 's|^|/usr/|' -e 's|/morvenda\.1$|/morvenda.1.gz|' <<<"$expected_files"
  printf '%s\n' /usr/share/doc/morvenda/copyright /usr/share/doc/morvenda/changelog.gz)
check "its files are the installed ones, with Debian's copyright and changelog" \
  diff <(sort <<<"$deb_expected") <(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\./, "", $6); print $6 }' | sort)
lintian --fail-on error "$deb" >"$tmp/lintian.txt" 2>&1 && lintian_status=0 || lintian_status=$?
grep -v 'running with root privileges' "$tmp/lintian.txt" || true
check "lintian reports no error" test "$lintian_status" -eq 0

# Runs dpkg, waiting while another package manager holds its lock.
dpkg_waiting() {
  local try out=
  for try in $(seq 60); do
    if out=$(dpkg "$@" 2>&1); then return 0; fi
    case $out in
      *lock*) sleep 5 ;;
      *) break ;;
    esac
  done
  echo "$out"
  return 1
}

skipped=
skip_check() {  # a check that cannot run here: skipped where skipping is allowed, else failed
  if may_skip; then echo "SKIPPED: $*"; skipped="$*"; else fail "$*"; fi
}
if [ "$(id -u)" -ne 0 ]; then
  skip_check "installing the Debian package needs root"
elif dpkg-query -W -f='${Status}' morvenda 2>/dev/null | grep -q "ok installed"; then
  skip_check "installing the Debian package: a morvenda package is installed already (dpkg -r morvenda first)"
else
  # Two test runs on one machine must not install and remove it at once.
  exec 9>"${TMPDIR:-/tmp}/morvenda-package-test.lock"
  flock 9
  installed_package=yes
  check "dpkg -i installs it" dpkg_waiting -i "$deb"
  check "the installed morvenda --version" test "$(/usr/bin/morvenda --version)" = "morvenda $version"
  check "the installed morvenda runs an analysis on the installed example" \
    cmp -s <(/usr/bin/morvenda /usr/share/doc/morvenda/examples/lab_values.wk1) "$expected_descriptive"
  check "dpkg -r removes it" dpkg_waiting -r morvenda
  installed_package=no
  check "no package state is left" \
    test "$(dpkg-query -W -f='${Status}' morvenda 2>/dev/null || true)" != "install ok installed"
  left=$(while read -r f; do [ ! -e "$f" ] || echo "$f"; done <<<"$deb_expected")
  check "no file is left" test -z "$left"
  [ -z "$left" ] || echo "$left"
  flock -u 9
fi

echo "-- Windows zip"
cmake -S "$top" -B "$win32" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win32" --target morvenda -j "$jobs" >/dev/null
zip="$win32/packages/morvenda-$version-win32.zip"
rm -f "$zip"
(cd "$win32" && cpack -G ZIP >"$tmp/cpack-zip.log" 2>&1) || { cat "$tmp/cpack-zip.log"; exit 1; }
check "cpack built $(basename "$zip")" test -f "$zip"
folder="morvenda-$version-win32"
check "the zip holds the program, the licence and README.txt" \
  diff <(printf '%s\n' "$folder/LICENSE" "$folder/README.txt" "$folder/morvenda.exe") <(unzip -Z1 "$zip" | sort)
unzip -q "$zip" -d "$tmp/zip"
exe="$tmp/zip/$folder/morvenda.exe" readme="$tmp/zip/$folder/README.txt"
check "LICENSE is the licence" cmp -s "$tmp/zip/$folder/LICENSE" "$top/LICENSE"
check "README.txt has CRLF line ends only" \
  test "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")" -a "$(tr -cd '\r' <"$readme" | wc -c)" -eq "$(wc -l <"$readme")"
check "README.txt is the README's Windows part" \
  test "$(head -n 1 "$readme")" = $'## Using Morvenda on Windows\r' -a \
       "$(grep -c -e $'^### Using it from a spreadsheet\r$' -e '^## ' "$readme")" -eq 2
check "morvenda.exe is stripped" grep -q 'no symbols' <(i686-w64-mingw32-nm "$exe" 2>&1)
# DLLs every Windows has; the runtime (libgcc, libstdc++, winpthread, the
# universal C runtime) must be linked in.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll ole32.dll oleaut32.dll msvcrt.dll "
mapfile -t imports < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "imports: ${imports[*]}"
check "it imports kernel32.dll" grep -qx kernel32.dll < <(printf '%s\n' "${imports[@]}")
for dll in "${imports[@]}"; do
  [[ $system_dlls == *" $dll "* ]] || fail "morvenda.exe imports $dll, which not every Windows has"
done
i686-w64-mingw32-windres -i "$exe" -O rc -o "$tmp/resources.rc"
IFS=. read -r major minor patch <<<"$version"
for line in "FILEVERSION $major, $minor, $patch, 0" "PRODUCTVERSION $major, $minor, $patch, 0" \
            "VALUE \"ProductName\", \"Morvenda\"" "VALUE \"ProductVersion\", \"$version\"" \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"FileDescription\", \"" \
            "VALUE \"LegalCopyright\", \"Copyright (c) 2026 the Morvenda authors\"" \
            "102 DIALOGEX 0, 0, 320, 142" "128 14 /* RT_GROUP_ICON */"; do
  grep -qF -- "$line" "$tmp/resources.rc" || fail "the program's resources lack: $line"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures install and package checks FAILED"
  exit 1
fi
echo "All install and package checks passed: $(basename "$deb"), $(basename "$zip")"
if [ -n "$skipped" ]; then
  echo "SKIPPED: $skipped"
  exit 77
fi
