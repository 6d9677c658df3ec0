#!/bin/sh
# Installs the build tree into a temporary prefix, as `make install` does, and
# runs the installed program on the installed example network, away from the
# build tree. Usage: install_test.sh CMAKE BUILD_DIR
set -eu
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veldmark-install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM
fail() { echo "install test: $*" >&2; exit 1; }

prefix=$scratch/prefix
"$1" --install "$2" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }
[ -x "$prefix/bin/veldmark" ] || fail "bin/veldmark missing or not executable"
[ -x "$prefix/bin/veldmark-convert" ] || fail "bin/veldmark-convert missing or not executable"
[ -x "$prefix/bin/veldmark-assign" ] || fail "bin/veldmark-assign missing or not executable"
docs=$prefix/share/doc/veldmark
for file in man/man1/veldmark.1 man/man1/veldmark-convert.1 man/man1/veldmark-assign.1 doc/veldmark/README.md \
  doc/veldmark/LICENSE doc/veldmark/GUIDE.md \
  doc/veldmark/examples/base.txt doc/veldmark/examples/abstract.txt doc/veldmark/examples/flows.txt; do
  [ -f "$prefix/share/$file" ] || fail "share/$file missing"
done

mkdir "$scratch/work" && cd "$scratch/work"
status=0
"$prefix/bin/veldmark" "$docs/examples/base.txt" "$docs/examples/abstract.txt" \
  "$docs/examples/flows.txt" trips.txt >console.txt 2>errors.txt || status=$?
# The example is a new user's first run: clean, without a message or a warning.
[ "$status" -eq 0 ] && [ ! -s errors.txt ] || { cat errors.txt >&2; fail "exit code $status or messages"; }
head -n 1 trips.txt | grep -qx '<NUMBER OF ZONES> 5' || fail "trip table header wrong"
[ "$(grep -c '^Origin' trips.txt)" -eq 5 ] || fail "trip table should have 5 blocks"
grep -q ' : Finishing$' console.txt || fail "console has no finishing line"
"$prefix/bin/veldmark-convert" table trips.txt trips.csv >/dev/null || fail "veldmark-convert failed"
[ "$(wc -l <trips.csv)" -eq 26 ] || fail "trips.csv should have a header and 25 records"
"$prefix/bin/veldmark-assign" --through-zones "$docs/examples/base.txt" trips.csv volumes.csv \
  >/dev/null || fail "veldmark-assign failed"
[ "$(head -n 1 volumes.csv)" = "from_node_id,to_node_id,volume,cost" ] || fail "volumes.csv header wrong"

# The installed manual page renders without warnings where groff is present.
if command -v groff >/dev/null 2>&1; then
  for page in veldmark.1 veldmark-convert.1 veldmark-assign.1; do
    warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/$page" 2>&1)
    [ -z "$warnings" ] || fail "manual page $page: $warnings"
  done
fi
echo "install test: passed"
