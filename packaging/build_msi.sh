#!/usr/bin/env bash
# Builds the installer from an application folder with wixl, reproducibly.
#   packaging/build_msi.sh APPDIR VERSION EPOCH OUT.msi
# APPDIR holds quorlin.exe, bts.db and Img\ and must lie inside the source tree (wixl
# takes only relative source paths). The product and package codes are derived from the
# version, so the same version always gives the same codes: installing the same file again
# is a repair, and a newer version replaces an older one through the upgrade code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
appdir=$(realpath --relative-to="$root" "$1")
version=$2
epoch=$3
out=$(realpath -m "$4")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "build_msi: bad version '$version'" >&2; exit 1; }

codes=$(/usr/bin/python3 -c "import uuid,sys; v=sys.argv[1]; ns=uuid.UUID('0fdfb652-431b-4ab9-ae29-1af67e219492'); print(str(uuid.uuid5(ns,'product '+v)).upper(), str(uuid.uuid5(ns,'package '+v)).upper())" "$version")
read -r product_code package_code <<<"$codes"
IFS=. read -r v_major v_minor v_patch _ <<<"$version"
upgrade_below="$v_major.$v_minor.$((v_patch + 1))"

(cd "$root" && wixl -a x64 \
    -D Version="$version" -D UpgradeBelow="$upgrade_below" \
    -D ProductCode="$product_code" -D PackageCode="$package_code" \
    -D AppDir="$appdir" -D SourceRoot=. \
    -o "$out" packaging/quorlin.wxs)
# wixl stamps the build time and a random package code into the summary: fixed here.
/usr/bin/python3 "$root/packaging/fix_msi_summary.py" "$out" "$epoch" "{$package_code}"
