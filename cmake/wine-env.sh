# Environment for every Wine call of the build and tests: a prefix inside the build tree
# and a fixed locale, since system message texts and the ANSI code page follow the locale.
: "${VERIMARK_BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/x86_64}"
export WINEPREFIX="$VERIMARK_BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
