# Environment for every Wine call of the build and tests, from what the caller passes:
#   VERIMARK_BUILD_DIR    the build tree, whose prefix is used (default: build/x86_64)
#   VERIMARK_LANE         the test lane (default 1): lanes 2 and up have prefixes of their
#                         own, so that tests of two lanes never share a registry or a mutex
#   VERIMARK_WINE_LOADER  wine64 or wine, as the tree's toolchain names it (default wine)
# and a fixed locale, since system message texts and the ANSI code page follow the locale.
: "${VERIMARK_BUILD_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/x86_64}"
export WINEPREFIX="$VERIMARK_BUILD_DIR/wineprefix"
[[ ${VERIMARK_LANE:-1} == 1 ]] || WINEPREFIX+="-$VERIMARK_LANE"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# With wine32 installed, "wine" starts every program through the 32-bit loader, which
# hands 64-bit programs on to the 64-bit one; where 32-bit code is emulated that costs
# half a second a program. A 64-bit tree's programs start with the 64-bit loader.
VERIMARK_WINE=wine
if [[ ${VERIMARK_WINE_LOADER:-wine} == wine64 && -x /usr/lib/wine/wine64 ]]; then
  VERIMARK_WINE=/usr/lib/wine/wine64
fi
export VERIMARK_WINE
