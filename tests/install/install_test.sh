#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses the installed copy as an ordinary user who
# cannot write there: a profile saved with Save as and the pick come back after a restart, a
# clip converts with them, and nothing under the prefix changes.
# install_test.sh BUILD_FOLDER PRIVATE_LIBRARY_FOLDER (relative to the prefix)
set -euo pipefail
build=$1
libdir=$2
work=$(mktemp -d /tmp/reelvane-install-XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/prefix
home=$work/home
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The tree: programs in bin/, private libraries in their own folder, data in share/reelvane/.
[[ "$(ls "$prefix/bin" | xargs)" == "discora ferrix kavlo qlm reelvane" ]] || fail "bin/ holds $(ls "$prefix/bin" | xargs)"
[[ "$(ls "$prefix/$libdir" | xargs)" == "libbluvat.so libnx_udf.so libquorla.so libskivo.so libtrakkel.so libvexen.so" ]] ||
  fail "$libdir holds $(ls "$prefix/$libdir" | xargs)"
[[ "$(ls "$prefix/share/reelvane" | xargs)" == "help ini language" ]] || fail "share/reelvane holds $(ls "$prefix/share/reelvane" | xargs)"
for page in reelvane kavlo ferrix discora qlm; do
  [[ -f "$prefix/share/man/man1/$page.1.gz" ]] || fail "no manual page for $page"
done
stray=$(find "$prefix" \( -iname '*test*' -o -name output -o -name demo -o -name 'reelvane.ini' \) -print)
[[ -z "$stray" ]] || fail "installed by mistake: $stray"
readelf -d "$prefix/bin/reelvane" | grep -q "RUNPATH.*\[\$ORIGIN/\.\./$libdir\]" || fail "reelvane has no RUNPATH to $libdir"
if ldd "$prefix/bin/reelvane" | grep -q "not found"; then fail "unresolved libraries"; fi
for tool in reelvane kavlo ferrix discora qlm; do
  help=$("$prefix/bin/$tool" --help 2>/dev/null) || fail "$tool --help failed"
  [[ "$help" == "Usage: $tool"* ]] || fail "$tool --help printed $help"
  [[ "$("$prefix/bin/$tool" --version 2>/dev/null)" =~ ^(Reelvane|$tool)\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$tool --version"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix"/share/applications/*.desktop
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/*.xml >/dev/null ||
    appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/*.xml
fi

mkdir -p "$home"
ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i testsrc2=size=160x120:rate=25:duration=1 \
  -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -c:v libx264 -preset ultrafast \
  -pix_fmt yuv420p -c:a aac "$work/clip.mkv"
chmod 644 "$work/clip.mkv"
chmod -R a-w "$prefix"
listing() { find "$prefix" -printf '%p %s %T@ %m\n' | sort; }
before=$(listing)

# Root writes anywhere, so the copy is used as a user without rights of its own.
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chown -R 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
extra=()
run() {
  env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "${extra[@]}" "${as_user[@]}" \
    "$prefix/bin/reelvane" "$@"
}

[[ "$(run --version)" == "Reelvane "* ]] || fail "--version"
run --list-profiles >"$work/profiles.txt"
grep -q "^mp4.ini:MP4 Video" "$work/profiles.txt" || fail "the shipped profiles are not listed"
# Not the shipped pick (mp4.ini), so that the conversion below shows which profile it used.
[[ "$(run --save-profile-as "Install Check" --profile "flv.ini:FLV Video (H.264)")" == "flv.ini:Install Check" ]] ||
  fail "Save as"
grep -q "^\[Install Check\]" "$home/.local/share/quillon/ini/flv.ini" || fail "the saved profile is not in the user's folder"
grep -q "^\[FLV Video (Sorenson)\]" "$home/.local/share/quillon/ini/flv.ini" || fail "the user's copy lost the shipped sections"
grep -q "^outputprofile=Install Check" "$home/.config/quillon/tvcdef.ini" || fail "the pick is not remembered"
if run --save-profile-as "install check" 2>"$work/clash"; then fail "a second save under the same name succeeded"; fi
grep -q "conflicted" "$work/clash" || fail "the name clash was not reported"

# A restart finds both; a conversion without --profile uses the pick and the videos folder.
run --list-profiles >"$work/profiles.txt"
grep -q "^flv.ini:Install Check" "$work/profiles.txt" || fail "the saved profile is not listed after a restart"
run --convert "$work/clip.mkv" >/dev/null || fail "the conversion failed"
format=$(ffprobe -v error -show_entries format=format_name -of csv=p=0 "$home/Videos/Reelvane/clip.flv")
[[ "$format" == flv ]] || fail "the output is $format"
# A disc profile: the authoring and image libraries are loaded by name from the private folder.
run --convert --profile "blu-ray_h264.ini:Blu-ray H.264 (1080i, 25 fps)" --output "$home/disc" "$work/clip.mkv" \
  >"$work/disc.txt" || fail "the Blu-ray conversion failed: $(cat "$work/disc.txt")"
[[ -s "$home/disc/clip.iso" ]] || fail "no disc image: $(cat "$work/disc.txt")"

# A folder the user cannot write is reported, not passed over.
mkdir -p "$work/locked" && chmod 555 "$work/locked"
extra=(XDG_DATA_HOME="$work/locked")
if run --save-profile-as "Locked" 2>"$work/locked.txt"; then fail "a save into a read-only folder succeeded"; fi
grep -q "could not be saved" "$work/locked.txt" || fail "the failed save was not reported"
extra=()

[[ "$(listing)" == "$before" ]] || fail "the prefix changed: $(diff <(echo "$before") <(listing))"
echo "ok: the installed copy works for an ordinary user and stays unchanged"
