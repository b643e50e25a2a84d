#!/usr/bin/env bash
# Builds the installer, build/PenvaneSetup.msi (x64), from the deliverables in
# the Windows build tree, with wixl and msibuild (Debian's wixl, msitools).
#   scripts/package.sh [--version V] [--output FILE] [--build DIR]
# The version comes from the file VERSION; --version overrides it (the
# installer test builds an older package that way). installer/README.md
# describes the package.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(head -n1 "$root/VERSION")
output=$root/build/PenvaneSetup.msi
build=$root/build/win
# The PDF application: the program name under which it registers its folder
# (App Paths), and its plug-in folder inside that folder.
host_exe=${PENVANE_HOST_EXE:-penvane-host.exe}
host_plugins=${PENVANE_HOST_PLUGINS:-Plug-ins}
while [ $# -gt 0 ]; do
  case $1 in
    --version) version=$2; shift 2 ;;
    --output) output=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
# Windows Installer reads major.minor.build[.revision] with major and minor
# up to 255 and build up to 65535; a larger number silently compares wrong.
if ! [[ $version =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)(\.[0-9]+)?$ ]] ||
   [ "${BASH_REMATCH[1]}" -gt 255 ] || [ "${BASH_REMATCH[2]}" -gt 255 ] || [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "package.sh: bad version '$version' (major.minor.build[.revision], at most 255.255.65535)" >&2; exit 2
fi

for f in plugin/PenvanePlus.api control/PenvanePdf.OCX standins/quillix/quillix.dll; do
  if [ ! -f "$build/$f" ]; then
    echo "package.sh: $build/$f is missing; build first (scripts/build.sh)" >&2; exit 1
  fi
done

# A product code of its own for every version (a major upgrade needs a new
# one), the same for every build of one version: derived from the version.
h=$(printf 'Penvane product %s' "$version" | sha1sum)
product_code=$(printf '%s-%s-5%s-8%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" "${h:17:3}" "${h:20:12}" | tr a-f A-F)

mkdir -p "$(dirname "$output")"
# wixl finds sources only by paths relative to where it runs.
cd "$root"
srcdir=$(realpath --relative-to="$root" "$build")
output=$(realpath -m "$output")
tmp=$(mktemp "${output}.XXXXXX")
trap 'rm -f "$tmp"' EXIT
wixl -a x64 -o "$tmp" \
  -D Version="$version" -D ProductCode="$product_code" \
  -D SourceDir="$srcdir" -D InstallerDir=installer \
  -D HostExe="$host_exe" -D HostPlugInFolder="$host_plugins" \
  "$root/installer/PenvaneSetup.wxs"

# wixl has no attributes for these component flags; set them in the tables.
# Settings: never overwrite (128) an existing file, permanent (16), 64-bit (256).
# ControlCategories: permanent, 64-bit.
msibuild "$tmp" -q "UPDATE Component SET Attributes = 400 WHERE Component = 'Settings'"
msibuild "$tmp" -q "UPDATE Component SET Attributes = 276 WHERE Component = 'ControlCategories'"
mv "$tmp" "$output"
trap - EXIT
echo "package.sh: $output (version $version)"
