#!/usr/bin/env bash
# Installs the Debian packages the game, its tests and its tools need, and only those missing.
# Safe to run again and again; uses sudo when not root.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config
    # the game's libraries
    freeglut3-dev libglu1-mesa-dev libgl-dev libpng-dev
    # unit tests
    libgtest-dev
    # real rendering without a screen: X server, Mesa's software renderer, input and capture tools
    xvfb xauth libgl1-mesa-dri xdotool x11-utils imagemagick apitrace
    # a test helper that closes the game's window the way a window manager does
    libx11-dev
    # memory checks and profiles
    valgrind
    # the fuzz targets: clang++ with libFuzzer (make fuzz)
    clang libfuzzer-14-dev
    # checks of the installed game and its Debian package
    desktop-file-utils appstream lintian dpkg-dev file man-db
    # the browser build, and a real headless browser to test it in
    emscripten chromium chromium-driver python3-selenium python3-pil
    # the same tests in Firefox and in WebKit (Safari's engine), each under xvfb; Firefox is driven
    # by puppeteer-core from npm, under node
    firefox-esr webkit2gtk-driver nodejs
)
# npm comes with Debian's npm package, or inside a node from elsewhere (NodeSource's nodejs
# carries its own and conflicts with Debian's npm): only when there is none.
if ! command -v npm >/dev/null 2>&1; then
    packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The web tests' npm packages, exactly as the committed lockfile pins them, as the user who runs
# this: again only when missing, or older than the lockfile (npm ci writes its own copy last).
web_tests="$(dirname "$0")/../tests/web"
if [ ! -f "$web_tests/node_modules/.package-lock.json" ] ||
    [ "$web_tests/package-lock.json" -nt "$web_tests/node_modules/.package-lock.json" ]; then
    echo "Installing the web tests' npm packages (npm ci in tests/web)"
    (cd "$web_tests" && npm ci --no-audit --no-fund --ignore-scripts)
fi
