#!/usr/bin/env bash
# Builds the release: one zip per Windows architecture,
#   dist/Stats-<version>-win32.zip and dist/Stats-<version>-win64.zip,
# each holding one folder Stats-<version>-<arch>/ with
#   Stats.dll             the plug-in (stripped), for the host's Plugins folder
#   stats-replay.exe      the command-line host (stripped), beside its Stats.dll
#   cty.dat               the country file (Debian's hamradio-files)
#   operator-guide.html   docs/operator-guide.md as one page, with its pictures
#   CHANGELOG.md
#   SHA256SUMS            of every other file: sha256sum -c SHA256SUMS
#
#   release.sh [--no-build] [--out DIR] [--guide FILE] [win32|win64 ...]   (default: both)
#
# The version is the CMake project's (CMakeLists.txt); the guide's first
# line must name it.  The zips are the same bytes whenever they are made
# from the same commit and the same build: every file's time is the
# commit's (SOURCE_DATE_EPOCH, when set, instead), the files go in in one
# order with fixed permissions, and no extra attributes are stored.
# --no-build packages what build/win32 and build/win64 hold (the install
# test packages twice without building); --out writes the zips to another
# folder than dist/; --guide converts another guide than
# docs/operator-guide.md (its pictures are still those of docs/).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The programs of the zip besides the plug-in, as built in build/<arch>.
programs=(stats-replay stats-crosscheck)
country_file=/usr/share/hamradio-files/cty.dat
guide=$STATS_ROOT/docs/operator-guide.md

build=1
out=$STATS_ROOT/dist
arches=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --no-build) build=; shift ;;
    --out) out=$2; shift 2 ;;
    --guide) guide=$2; shift 2 ;;
    win32 | win64) arches+=("$1"); shift ;;
    *) echo "release.sh: unknown argument $1 (--no-build, --out DIR, --guide FILE, win32, win64)" >&2; exit 2 ;;
  esac
done
[[ ${#arches[@]} -gt 0 ]] || arches=(win32 win64)

fail() { echo "release.sh: $*" >&2; exit 1; }

version=$(sed -n 's/^project(Stats VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$STATS_ROOT/CMakeLists.txt")
[[ -n $version ]] || fail "no 'project(Stats VERSION x.y.z ...)' in CMakeLists.txt"

# The guide says which version it describes on its first line.
[[ -f $guide ]] || fail "no operator's guide: $guide is missing"
title=$(head -n 1 "$guide")
title=${title%$'\r'}
if [[ $title != "# "* ]] ||
  ! grep -Eq "(^|[^0-9.])${version//./\\.}([^0-9.]|$)" <<<"$title"; then
  fail "the first line of $(basename "$guide") must be a heading naming version $version" \
    "(as in '# Stats $version: operator's guide'), not: $title"
fi
title=${title#"# "}

[[ -z $build ]] || bash "$STATS_ROOT/scripts/setup.sh" release
for tool in cmark-gfm zip sha256sum; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup.sh release installs it)"
done
[[ -f $country_file ]] || fail "$country_file is missing (Debian package hamradio-files)"
# The zips' bytes follow the country file's: say which one went in.
stats_log "cty.dat of hamradio-files $(dpkg-query -W -f='${Version}' hamradio-files 2>/dev/null || echo '(version unknown)')"

if [[ -n $build ]]; then
  targets=$(IFS=,; echo "Stats,${programs[*]}")
  bash "$STATS_ROOT/scripts/build.sh" "${arches[@]/%/:$targets}"
fi

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$STATS_ROOT" log -1 --format=%ct)}
[[ $epoch =~ ^[0-9]+$ ]] || fail "no commit time for the files' times (SOURCE_DATE_EPOCH)"
export TZ=UTC LC_ALL=C
umask 022

work=$(mktemp -d "${TMPDIR:-/tmp}/stats-release.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The guide as one HTML page: cmark-gfm with tables, in a small page of its
# own.  The pictures it shows (PNGs of docs/) go beside it.
html_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g'; }
guide_page() {
  local body
  body=$(cmark-gfm -e table "$guide") || fail "cmark-gfm could not convert $guide"
  cat <<EOF
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>$(html_escape <<<"$title")</title>
<style>
body { font-family: sans-serif; line-height: 1.45; max-width: 52em; margin: 2em auto; padding: 0 1em; color: #222; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; text-align: left; vertical-align: top; }
code, pre { background: #f3f3f3; }
pre { padding: 0.6em; overflow-x: auto; }
img { max-width: 100%; }
</style>
</head>
<body>
$body
</body>
</html>
EOF
}
# The pictures the guide names: ![...](name.png), relative to docs/; they
# keep their places relative to the page.
guide_pictures() {
  grep -o '!\[[^]]*\]([^)]*\.png[^)]*)' "$guide" | sed -e 's/^.*](//' -e 's/[ )].*$//' | sort -u
}

mkdir -p "$out"
out=$(cd "$out" && pwd)
for arch in "${arches[@]}"; do
  case $arch in
    win32) triple=i686-w64-mingw32 ;;
    win64) triple=x86_64-w64-mingw32 ;;
  esac
  from=$STATS_BUILD/$arch
  name=Stats-$version-$arch
  folder=$work/$name
  mkdir -p "$folder"

  for binary in Stats.dll "${programs[@]/%/.exe}"; do
    [[ -f $from/$binary ]] || fail "$from/$binary is missing: build it first (without --no-build)"
    # strip writes the PE header anew, with the time of SOURCE_DATE_EPOCH
    # or else the current one: 0, as the linker leaves it (no time).
    SOURCE_DATE_EPOCH=0 "$triple-strip" -o "$folder/$binary" "$from/$binary"
  done
  cp "$country_file" "$folder/cty.dat"
  cp "$STATS_ROOT/CHANGELOG.md" "$folder/CHANGELOG.md"
  guide_page >"$folder/operator-guide.html"
  while read -r picture; do
    [[ -n $picture ]] || continue
    case $picture in
      /* | *..* | *:*) fail "the guide's picture $picture is not a file within docs/" ;;
    esac
    [[ -f $STATS_ROOT/docs/$picture ]] || fail "the guide shows docs/$picture, which is missing"
    mkdir -p "$(dirname "$folder/$picture")"
    cp "$STATS_ROOT/docs/$picture" "$folder/$picture"
  done < <(guide_pictures)

  (cd "$folder" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort |
    xargs -d '\n' sha256sum >SHA256SUMS)

  find "$folder" -type d -exec chmod 755 {} +
  find "$folder" -type f -exec chmod 644 {} +
  find "$folder" -exec touch -h -d "@$epoch" {} +

  zip_file=$out/$name.zip
  rm -f "$zip_file"
  (cd "$work" && find "$name" | sort | zip -X -q -@ "$zip_file.part")
  mv "$zip_file.part" "$zip_file"
  stats_log "$(cd "$out" && sha256sum "$name.zip")"
done
