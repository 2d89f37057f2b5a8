# Shared set-up of run.sh and test.sh: install what is missing, configure, build.
# Sourced, not run.

DRAVIK_PACKAGES="cmake ninja-build pkg-config g++ qt6-base-dev qt6-translations-l10n libsqlite3-dev libzip-dev libpugixml-dev xvfb xauth fonts-noto-cjk fonts-arphic-uming arj python3-dbf poppler-utils libreoffice-writer-nogui openbox x11-utils"

dravik_install_missing() {
    local missing=()
    for p in $DRAVIK_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -q || return 1
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" || return 1
    else
        echo "Missing packages. Run as root:"
        echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
        return 1
    fi
}

# dravik_build TOP [TARGET...]: with targets, only those (run.sh builds the
# program and its data folder, test.sh everything).
dravik_build() {
    local top="$1"
    shift
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
    cmake --build "$top/build" -j "$(nproc)" "${targets[@]}" || return 1
    # A user's data folder is made once; a rebuild never touches it.
    if [ ! -d "$top/build/data" ]; then
        cp -r "$top/build/data-dist" "$top/build/data" || return 1
    fi
    # Templates are the program's, not the user's: one that a data folder
    # lacks is added; one that is there (perhaps changed by the user) stays.
    local t
    for t in "$top/build/data-dist"/*.dotx; do
        [ -e "$t" ] || continue
        [ -e "$top/build/data/$(basename "$t")" ] || cp "$t" "$top/build/data/" || return 1
    done
}

# "宋体"/"SimSun" resolve to an installed Song face through our fontconfig file.
dravik_fonts() {
    local top="$1"
    export FONTCONFIG_FILE="$top/fonts/fonts.conf"
}
