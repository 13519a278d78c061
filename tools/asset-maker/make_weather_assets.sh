#!/usr/bin/env bash
# Writes the weather pictures of the installation data: the small and large weather icons
# (from the Meteocons drawings), the sky backdrop, the local-weather panel and the weather
# backgrounds (painted from fixed seeds, so every run gives the same files).
#   usage: tools/asset-maker/make_weather_assets.sh [SVG_FOLDER]
# The tool is taken from $SKYVANE_ASSET_MAKER, else from build/bin/ (built there when missing).
set -euo pipefail
cd "$(dirname "$0")/../.."
svg_folder=${1:-../shared/assets-src/icons/meteocons-fill}
tool=${SKYVANE_ASSET_MAKER:-build/bin/skyvane-asset-maker}

if [[ ! -f "$svg_folder/wi_clear-day.svg" ]]; then
    echo "make_weather_assets: no Meteocons drawings in $svg_folder" >&2
    exit 1
fi
if [[ -z ${SKYVANE_ASSET_MAKER:-} ]]; then
    if [[ ! -f build/build.ninja && ! -f build/Makefile ]]; then
        echo "make_weather_assets: build/ is not configured; run scripts/setup first" >&2
        exit 1
    fi
    cmake --build build --target skyvane-asset-maker
fi

export QT_QPA_PLATFORM=offscreen
if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

# These folders hold nothing but what this script writes; emptying them first means a
# picture dropped from the tool does not linger in the installation data.
rm -rf assets/SmallWeatherIcons assets/LargeWeatherIcons "assets/Weather Backgrounds"
"$tool" icons "$svg_folder" assets
"$tool" sky assets/LargeWeatherIcons/Sky.png
"$tool" panel assets/UI/LocalWeatherBackground.png
"$tool" backgrounds assets
install -m 644 "$svg_folder/LICENSE" licenses/meteocons.LICENSE
echo licenses/meteocons.LICENSE
