#!/bin/sh
# Installs the build tree into a temporary prefix, as `make install` does,
# and runs the installed program on the installed example network.
# Usage: install_test.sh CMAKE BUILD_DIR
set -eu
cmake=$1
build=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veldmark-install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

fail() {
  echo "install test: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }

prefix=$scratch/prefix
[ -x "$prefix/bin/veldmark" ] || fail "bin/veldmark missing or not executable"
[ -f "$prefix/share/man/man1/veldmark.1" ] || fail "share/man/man1/veldmark.1 missing"
for doc in README.md GUIDE.md examples/base.txt examples/abstract.txt examples/flows.txt; do
  [ -f "$prefix/share/doc/veldmark/$doc" ] || fail "share/doc/veldmark/$doc missing"
done

# The installed program, away from the build tree, on the installed example.
mkdir "$scratch/work"
cd "$scratch/work"
examples=$prefix/share/doc/veldmark/examples
status=0
"$prefix/bin/veldmark" "$examples/base.txt" "$examples/abstract.txt" "$examples/flows.txt" \
  trips.txt >console.txt 2>errors.txt || status=$?
[ "$status" -eq 0 ] || { cat errors.txt >&2; fail "exit code $status"; }
[ ! -s errors.txt ] || { cat errors.txt >&2; fail "messages on standard error"; }
head -n 1 trips.txt | grep -qx '<NUMBER OF ZONES> 5' || fail "trip table header wrong"
[ "$(grep -c '^Origin' trips.txt)" -eq 5 ] || fail "trip table should have 5 blocks"
grep -q ' : Finishing$' console.txt || fail "console has no finishing line"

# The installed manual page renders, without warnings where groff is present.
if command -v groff >/dev/null 2>&1; then
  warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/veldmark.1" 2>&1)
  [ -z "$warnings" ] || fail "manual page: $warnings"
fi
echo "install test: passed"
