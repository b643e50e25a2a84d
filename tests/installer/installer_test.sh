#!/usr/bin/env bash
# Installs and removes PenvaneSetup.msi under Wine, in a prefix of its own
# (BUILD/installer/wineprefix: installing changes the machine, and the other
# tests share BUILD/wineprefix).
#   tests/installer/installer_test.sh BUILD_DIR [REGDUMP_EXE [HOST_EXE]]
# Two rounds:
#  1. an older package installs into the PDF application's plug-in folder
#     found under App Paths; the current one replaces it in place with
#     PLUGINDIR set; registration equals the modules' own DllRegisterServer;
#     a script creates the control; the host program loads the installed
#     plug-in; the pad stand-in is absent; removal takes
#     the files away and keeps the settings file the user edited;
#  2. the current package with the stand-in feature, no plug-in folder given
#     or found: the documented fallback; the stand-in is registered; the
#     signing tool signs a PDF with a replayed signature through the installed
#     modules and verifies it; removal.
# Then the registry holds nothing the rounds wrote but the shared component
# categories and the installer's records of the settings file and of those
# categories (both permanent by design).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build directory}" && pwd)
regdump=${2:-$build/tests/installer/regdump.exe}
host_program=${3:-$build/standins/host/program/penvane-host.exe}
work=$build/installer
prefix=$work/wineprefix
here=$root/tests/installer
failures=0
started=$SECONDS

step() { echo "== $* ($((SECONDS - started)) s)"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

# --- packages: the current version and an older one -----------------------
version=$(head -n1 "$root/VERSION")
major=${version%%.*}
if [ "$major" -lt 1 ]; then echo "installer test: needs a major version of 1 or more" >&2; exit 1; fi
old_version=$((major - 1)).0.0.0
mkdir -p "$work"
tool=$root/build/tool/penvane/tool/penvane
bash "$root/scripts/build-tool.sh" || { fail "the signing tool did not build"; tool=; }
bash "$root/scripts/package.sh" --build "$build" --output "$work/PenvaneSetup.msi" >/dev/null || exit 1
bash "$root/scripts/package.sh" --build "$build" --version "$old_version" --output "$work/PenvaneSetup-old.msi" >/dev/null || exit 1
product_code() { msiinfo export "$1" Property | awk -F'\t' '$1 == "ProductCode" { print $2 }' | tr -d '\r'; }
new_code=$(product_code "$work/PenvaneSetup.msi")
old_code=$(product_code "$work/PenvaneSetup-old.msi")

# --- the prefix ------------------------------------------------------------
# A run that stopped half-way leaves an unknown machine behind: start anew.
if [ -e "$work/dirty" ]; then rm -rf "$prefix" "$work/dirty"; fi
. "$root/scripts/wine-env.sh"
# This script's own display and server; the caller's are left alone.
penvane_wine_up "$build" "$prefix" || exit 1
trap penvane_wine_down EXIT
trap 'exit 1' TERM INT  # a ctest timeout still brings Wine and Xvfb down
drive=$prefix/drive_c
ini=$drive/windows/PenvanePdf.ini
appdir="$drive/Program Files/Penvane"
win() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# Registry as a sorted list of "hive<TAB>key<TAB>value line" into FILE: the
# server writes its files when it stops, so stop it, read them, start again.
registry_snapshot() {
  penvane_wine_down
  local f
  for f in system.reg user.reg; do
    awk -v hive="$f" '
      /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print hive "\t" key; next }
      /^#time=/ || /^$/ || /^;/ || /^WINE REGISTRY/ || /^#arch=/ { next }
      { print hive "\t" key "\t" $0 }' "$prefix/$f"
  done | grep -v -e 'App Paths\\\\penvane-host.exe' | LC_ALL=C sort > "$1"
  penvane_wine_up "$build" "$prefix" 2>/dev/null
}

# Everything the control's (and the stand-in's) registration consists of,
# read by regdump.exe, with the module's folder replaced by a placeholder so
# that two installations compare.
control_keys=('CLSID\{ABD79AE3-DE31-44F1-B4B6-F8844BF79039}' 'CLSID\{C36A975C-6BE5-4ABD-B0AB-F35D2B4D0054}'
  'PENVANEPDF.PenvanePdfCtrl' 'PENVANEPDF.PenvanePdfCtrl.1' 'TypeLib\{C887F57A-C2C3-4AB5-874D-B5CCD0ABE646}'
  'Interface\{1379F8E9-9ED4-4F57-89C1-72ED6AA140B5}' 'Interface\{41C3CEA5-0EA4-4F97-A2FF-36243E48FC19}'
  'Component Categories\{7DD95801-9882-11CF-9FA9-00AA006C42C4}' 'Component Categories\{7DD95802-9882-11CF-9FA9-00AA006C42C4}')
pad_keys=('CLSID\{D5A47061-AEE9-496B-B4A3-A8A794CF5AD0}' 'QUILLIX.QuillixCtrl' 'QUILLIX.QuillixCtrl.1'
  'TypeLib\{0E190FAA-E671-4CEC-96E6-01E16B18F7E8}' 'Interface\{8934A72C-55B0-4D8C-8AB4-9A8842FD720D}'
  'Interface\{C921158F-E44B-4E30-876B-9460597C6A53}')
dump() { win "$regdump" "$@"; }
registration() {  # registration DIR KEY...: DIR is the module's folder as Windows sees it
  local k keys=()
  export MODULE_DIR=$1; shift
  for k in "$@"; do keys+=("Software\\Classes\\$k"); done
  dump "${keys[@]}" |
    awk '{ d = tolower(ENVIRON["MODULE_DIR"]); i = index(tolower($0), d)
           if (i) $0 = substr($0, 1, i - 1) "<DIR>" substr($0, i + length(d)); print }' |
    sed -e 's/<DIR>\\*$/<DIR>/'
}
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'
installed_products() { dump "$uninstall_key\\$old_code" "$uninstall_key\\$new_code"; }
arp_value() {  # arp_value LISTING PRODUCTCODE NAME: one value of the product's entry
  awk -F'\t' -v code="$2" -v name="$3" \
    'index($1, code) && index($2, name "=") == 1 { print substr($2, length(name) + 2) }' <<<"$1"
}

# The signing tool (native, build/tool), its host the build's host program
# loading the installed plug-in; the tool's output goes to the test's log.
signing() {
  PENVANE_HOST=$installed_host PENVANE_HOST_LOG=$work/penvane-host.log "$tool" "$@" </dev/null 2>&1 | sed 's/^/   /'
  return "${PIPESTATUS[0]}"
}
scripted() { win cscript //nologo "$(winepath -w "$here/create_controls.js")" "$@"; }
msi() { wine msiexec "$@" /qn </dev/null >/dev/null 2>&1; }
refused() { ! msi "$@"; }
timed_msi() { local t=$SECONDS; msi "$@"; local rc=$?; echo "   msiexec $1 took $((SECONDS - t)) s"; return $rc; }

# --- baseline: what the modules' own registration writes --------------------
step "self-registration of the built modules, for comparison"
ocx_dir=$(winepath -w "$build/control")
pad_dir=$(winepath -w "$build/standins/quillix")
win regsvr32 /s "$ocx_dir\\PenvanePdf.OCX"
win regsvr32 /s "$pad_dir\\quillix.dll"
self_control=$(registration "$ocx_dir" "${control_keys[@]}")
self_pad=$(registration "$pad_dir" "${pad_keys[@]}")
win regsvr32 /s /u "$ocx_dir\\PenvanePdf.OCX"
win regsvr32 /s /u "$pad_dir\\quillix.dll"
echo "$self_control" > "$work/registration-self.txt"
echo "$self_pad" >> "$work/registration-self.txt"
grep -q 'InprocServer32	@=<DIR>\\PenvanePdf.OCX' <<<"$self_control" && grep -q 'InprocServer32	@=<DIR>\\quillix.dll' <<<"$self_pad" ||
  fail "self-registration wrote nothing to compare with"

# The PDF application, as far as the installer sees it: a folder under App Paths.
mkdir -p "$drive/Host"
step "the PDF application's folder under App Paths; registry snapshot"
win reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\penvane-host.exe' /v Path /d 'C:\Host' /f >/dev/null
rm -f "$ini"
# The script host registers its own type library at its first run: let that
# happen before the snapshot.
scripted >/dev/null
registry_snapshot "$work/registry-before.txt"
touch "$work/dirty"

# --- round 1 ---------------------------------------------------------------
step "older package $old_version, plug-in folder from App Paths"
check "older package installs" timed_msi /i "$(winepath -w "$work/PenvaneSetup-old.msi")"
check "plug-in in the application's plug-in folder" test -f "$drive/Host/Plug-ins/PenvanePlus.api"
check "settings file installed with the defaults" cmp -s "$ini" "$root/installer/PenvanePdf.ini"
products=$(installed_products)
check "listed as installed, version $old_version" test "$(arp_value "$products" "$old_code" DisplayVersion)" = "$old_version"
# The user edits the settings file.
printf '[PenvanePdf]\r\nMinPoints=3\r\n' > "$ini"
edited=$(cat "$ini")

step "current package $version over it, PLUGINDIR set"
check "current package installs" timed_msi /i "$(winepath -w "$work/PenvaneSetup.msi")" 'PLUGINDIR=C:\Apps\PdfHost\Plug-ins'
check "plug-in where PLUGINDIR says" cmp -s "$drive/Apps/PdfHost/Plug-ins/PenvanePlus.api" "$build/plugin/PenvanePlus.api"
check "older plug-in gone" test ! -e "$drive/Host/Plug-ins/PenvanePlus.api"
check "control module under Program Files" cmp -s "$appdir/PenvanePdf.OCX" "$build/control/PenvanePdf.OCX"
check "no pad stand-in by default" test ! -e "$appdir/quillix.dll"
for f in "$appdir/PenvanePdf.OCX" "$drive/Apps/PdfHost/Plug-ins/PenvanePlus.api"; do
  check "$(basename "$f") carries product version $version" \
    test "$(strings -el "$f" | grep -A1 -x ProductVersion | tail -n1)" = "$version"
done
check "edited settings file not overwritten" test "$(cat "$ini")" = "$edited"
products=$(installed_products)
check "older version no longer listed" test -z "$(arp_value "$products" "$old_code" DisplayName)"
check "listed as Penvane $version by Orvel" test "$(arp_value "$products" "$new_code" DisplayName)|$(arp_value \
  "$products" "$new_code" DisplayVersion)|$(arp_value "$products" "$new_code" Publisher)" = "Penvane|$version|Orvel"
installed=$(registration 'C:\Program Files\Penvane' "${control_keys[@]}")
echo "$installed" > "$work/registration-installed.txt"
if [ "$installed" = "$self_control" ]; then echo "ok: registration equals the module's own"
else fail "registration differs from the module's own (< module, > installer):"; diff <(echo "$self_control") <(echo "$installed"); fi
out=$(scripted PENVANEPDF.PenvanePdfCtrl.1 QUILLIX.QuillixCtrl.1)
check "a script creates the control" grep -qx 'PENVANEPDF.PenvanePdfCtrl.1 created' <<<"$out"
check "the stand-in is not registered" grep -qx 'QUILLIX.QuillixCtrl.1 error [0-9a-f]*' <<<"$out"
check "script ran to its end" grep -qx 'END OF SCRIPT' <<<"$out"
out=$(win "$host_program" 'C:\Apps\PdfHost\Plug-ins\PenvanePlus.api')
check "the host program loads the installed plug-in" grep -qx 'result: ok' <<<"$out"
check "and its handler registers" grep -qx 'handler: Orvel.PenvanePlus' <<<"$out"

check "the older package refuses to install over it" refused /i "$(winepath -w "$work/PenvaneSetup-old.msi")"
check "and the current one stays" test "$(arp_value "$(installed_products)" "$new_code" DisplayVersion)" = "$version"

step "removal"
check "removal succeeds" timed_msi /x "$(winepath -w "$work/PenvaneSetup.msi")"
check "plug-in removed" test ! -e "$drive/Apps/PdfHost/Plug-ins/PenvanePlus.api"
check "control module removed" test ! -e "$appdir/PenvanePdf.OCX"
check "edited settings file kept" test "$(cat "$ini" 2>/dev/null)" = "$edited"
check "no longer listed" test -z "$(arp_value "$(installed_products)" "$new_code" DisplayName)"
out=$(scripted PENVANEPDF.PenvanePdfCtrl.1)
check "the control is no longer creatable" grep -qx 'PENVANEPDF.PenvanePdfCtrl.1 error [0-9a-f]*' <<<"$out"

# --- round 2 ---------------------------------------------------------------
step "current package with the pad stand-in, no plug-in folder known"
win reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\penvane-host.exe' /f >/dev/null
rm -f "$ini"
check "installs with ADDLOCAL=PadStandIn" timed_msi /i "$(winepath -w "$work/PenvaneSetup.msi")" ADDLOCAL=Penvane,PadStandIn
check "plug-in in the fallback folder" test -f "$appdir/Plug-ins/PenvanePlus.api"
check "settings file installed where none was" cmp -s "$ini" "$root/installer/PenvanePdf.ini"
check "stand-in under Program Files" cmp -s "$appdir/quillix.dll" "$build/standins/quillix/quillix.dll"
installed=$(registration 'C:\Program Files\Penvane' "${pad_keys[@]}")
echo "$installed" >> "$work/registration-installed.txt"
if [ "$installed" = "$self_pad" ]; then echo "ok: stand-in registration equals its own"
else fail "stand-in registration differs (< module, > installer):"; diff <(echo "$self_pad") <(echo "$installed"); fi
out=$(scripted PENVANEPDF.PenvanePdfCtrl.1 QUILLIX.QuillixCtrl.1)
check "a script creates both controls" test "$(grep -c ' created$' <<<"$out")" = 2
step "a signing through the installed plug-in, control and stand-in"
if [ -n "$tool" ]; then
  # The installed plug-in's path has a blank: quoted, it stays one word.
  installed_host="wine \"$host_program\" --protocol \"C:\\Program Files\\Penvane\\Plug-ins\\PenvanePlus.api\""
  rm -f "$work/signed.pdf" "$work/penvane-host.log"
  check "penvane signs a new field with the sample strokes" signing sign "$root/penvane/sample/agreement.pdf" \
    "$work/signed.pdf" --new-field 1:350,60,550,130 --strokes "$root/standins/pendata/sample/sample_signature.strokes"
  check "and penvane verifies the signed file" signing verify "$work/signed.pdf"
fi
check "removal succeeds" timed_msi /x "$(winepath -w "$work/PenvaneSetup.msi")"
check "product folder removed" test ! -e "$appdir"
check "settings file kept" test -f "$ini"
rm -f "$ini"

# --- what stays behind -------------------------------------------------------
step "registry after both rounds"
registry_snapshot "$work/registry-after.txt"
# Allowed: the two shared categories, the installer's records of its two
# permanent components (settings file, categories) by packed component code,
# and the installer's own empty containers for products.
packed() {  # the installer's registry form of a GUID
  local g; g=$(echo "$1" | tr -d '{}-')
  local rev='' i
  for i in 7 6 5 4 3 2 1 0; do rev=$rev${g:$i:1}; done
  for i in 11 10 9 8; do rev=$rev${g:$i:1}; done
  for i in 15 14 13 12; do rev=$rev${g:$i:1}; done
  for i in 16 18 20 22 24 26 28 30; do rev=$rev${g:$((i + 1)):1}${g:$i:1}; done
  echo "$rev"
}
component_code() { msiinfo export "$work/PenvaneSetup.msi" Component | awk -F'\t' -v c="$1" '$1 == c { print $2 }'; }
permanent="Components\\\\\\\\($(packed "$(component_code Settings)")|$(packed "$(component_code ControlCategories)"))"
leftover=$(LC_ALL=C comm -13 "$work/registry-before.txt" "$work/registry-after.txt" |
  grep -v -E -e 'Component Categories\\\\\{7DD9580[12]-9882-11CF-9FA9-00AA006C42C4\}' -e "$permanent" \
             -e '^system.reg	\[Software\\\\(Classes|Microsoft\\\\Windows\\\\CurrentVersion)\\\\Installer\\\\[^]]*\]$' \
             -e '^system.reg	\[(Hardware|System)\\\\' -e '^user.reg	\[Software\\\\Wine\\\\')
if [ -z "$leftover" ]; then echo "ok: nothing else the installer wrote is left"
else fail "left in the registry:"; echo "$leftover" | head -40; fi
lost=$(LC_ALL=C comm -23 "$work/registry-before.txt" "$work/registry-after.txt" | grep -v -E -e '^system.reg	\[(Hardware|System)\\\\' -e '^user.reg	\[Software\\\\Wine\\\\')
[ -z "$lost" ] || { fail "removed from the registry:"; echo "$lost" | head -20; }

[ "$failures" -eq 0 ] && rm -f "$work/dirty"
echo "installer test: $failures failure(s), $((SECONDS - started)) s"
[ "$failures" -eq 0 ]
