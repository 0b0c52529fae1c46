#!/usr/bin/env bash
# The Debian package, made by CPack from this build's install rules: its
# name (the one version), declared libraries and files; lintian finds no
# error and no warning in it; unpacked into a temporary root, its
# keldar runs the simulated radio from the starter keldar.cfg in a folder
# without wave/ and speaks from the phrases installed with it.
# usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
for tool in cpack dpkg-deb dpkg-shlibdeps file lintian; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed (scripts/setup)"; exit 77; }
done
[ -f "$build/phrases/made" ] || { echo "SKIP: built without the phrases"; exit 77; }

tmp=$(cd "$(mktemp -d)" && pwd -P)
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; exit 1; }
version=$(cat "$build/version.txt")
deb=$tmp/cpack/keldar_${version}-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$tmp/cpack" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 fonts-liberation2; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

# Errors (E:) and warnings (W:) fail; info (I:) and pedantic (P:) tags are
# shown. The package is built from this build tree, not from a source
# package, so the tags about a source package do not apply.
lintian --pedantic --info --no-tag-display-limit "$deb" >"$tmp/lintian" 2>&1 || true
cat "$tmp/lintian"
if grep -E '^(E|W): ' "$tmp/lintian" >/dev/null; then fail "lintian reports errors or warnings"; fi
# The one override the package carries (packaging/lintian-overrides); any
# other would hide a warning.
if grep -E '^O: ' "$tmp/lintian" | grep -v ' initial-upload-closes-no-bugs ' >&2; then
  fail "lintian tags overridden beyond initial-upload-closes-no-bugs"
fi

dpkg-deb -x "$deb" "$tmp/root"
usr=$tmp/root/usr
doc=share/doc/keldar
for f in bin/keldar $doc/examples/keldar.cfg $doc/README.md.gz $doc/copyright \
  $doc/changelog.Debian.gz $doc/changelog.gz share/man/man1/keldar.1.gz; do
  [ -f "$usr/$f" ] || fail "$f not installed"
done
zcat "$usr/$doc/changelog.Debian.gz" | head -n 1 | grep -q "^keldar ($version-1) " ||
  fail "changelog.Debian does not start with $version-1"
zcat "$usr/share/man/man1/keldar.1.gz" | head -n 1 | grep -q "\"keldar $version\"" ||
  fail "the manual page is not of version $version"
[ "$("$usr/bin/keldar" --version)" = "keldar $version" ] || fail "keldar --version is not $version"
ls "$usr/bin" | grep -v '^keldar$' >&2 && fail "more than keldar in bin"
names=$(grep -v '^#' "$source/data/phrases.tsv" | cut -f1 | grep -c -v '^$')
[ "$(ls "$usr/share/keldar/wave" | grep -c '\.wav$')" -eq "$names" ] || fail "not all $names phrases"
for section in OPTIONS KEYS FILES "EXIT STATUS"; do
  zcat "$usr/share/man/man1/keldar.1.gz" | grep -q "^\.SH $section" || fail "man page lacks $section"
done
# Every option --help offers is described, --rigctld with its warning.
zcat "$usr/share/man/man1/keldar.1.gz" >"$tmp/manual"
for option in $("$usr/bin/keldar" --help | sed -n 's/^  \(-[-a-zA-Z]*\).*/\1/p'); do
  grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$tmp/manual" ||
    fail "the manual page lacks $option"
done
grep -qi 'no authentication' "$tmp/manual" || fail "the manual page lacks the --rigctld warning"

work=$tmp/work
mkdir "$work"
cp "$usr/$doc/examples/keldar.cfg" "$work/"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/audio.raw \
  "$usr/bin/keldar" --simulate --terminal -C "$work" --trace "$tmp/trace" \
  </dev/null >"$tmp/screen" 2>"$tmp/err" &
pid=$!
for _ in $(seq 600); do
  grep -q 'SAY .*/connected\.wav' "$tmp/trace" 2>/dev/null && break
  sleep 0.1
done
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
pid=
[ "$code" -eq 0 ] || { cat "$tmp/err" >&2; fail "keldar ended with status $code"; }

installed=$usr/share/keldar/wave
grep -qx "[0-9]* SAY $installed/keldar.wav" "$tmp/trace" || fail "greeting not from $installed"
grep -qx "[0-9]* SAY $installed/connected.wav" "$tmp/trace" || fail "'connected' not from $installed"
# Every phrase came from the installed set (the silent S-meter refresh aside).
if grep ' SAY ' "$tmp/trace" | grep -v " SAY $installed/" | grep -v ' SAY xx' >&2; then
  fail "phrases not found in the installed set"
fi
[ ! -e "$work/wave" ] || fail "a wave folder appeared in the working directory"
# Heard: the sound device received more than silence.
[ "$(tr -d '\0' <"$tmp/audio.raw" | head -c 1 | wc -c)" -eq 1 ] || fail "nothing was played"
exit $status
