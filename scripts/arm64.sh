# Sourced. How far the scripts go with Windows on ARM64, from VERIMARK_ARM64:
#   run   (the default) build it, check its binaries, and run its tests in the arm64 Wine
#   build build it and check its binaries only
#   off   leave it out
arm64_mode() {
  case ${VERIMARK_ARM64:-run} in
    run|build|off) echo "${VERIMARK_ARM64:-run}" ;;
    *) echo "VERIMARK_ARM64 is one of run, build, off" >&2; return 1 ;;
  esac
}

# arm64_wanted build|run: whether the mode goes that far.
arm64_wanted() {
  local mode
  mode=$(arm64_mode) || return 1
  case $1 in
    build) [[ $mode != off ]] ;;
    run) [[ $mode == run ]] ;;
  esac
}
