# Environment for every Wine call of the build and tests: a prefix inside the build tree
# and a fixed locale, since system message texts and the ANSI code page follow the locale.
: "${VERIMARK_BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/x86_64}"
export WINEPREFIX="$VERIMARK_BUILD_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# With wine32 installed, "wine" starts every program through the 32-bit loader, which
# hands 64-bit programs on to the 64-bit one; where 32-bit code is emulated that costs
# half a second a program. The 64-bit tree's programs start with the 64-bit loader.
VERIMARK_WINE=wine
if [[ $(basename "$VERIMARK_BUILD_DIR") != i686 && -x /usr/lib/wine/wine64 ]]; then
  VERIMARK_WINE=/usr/lib/wine/wine64
fi
export VERIMARK_WINE
