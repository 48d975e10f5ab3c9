#!/usr/bin/env bash
# Whether binaries were built with the stack protector: their code calls the canary's
# failure handler from the end of protected functions. A binary whose own code was built
# without it has no such call (the runtime's libraries are not protected), so it fails.
#   stack-protector-check.sh <binary>...
set -euo pipefail
status=0
for binary in "$@"; do
  [[ -f $binary ]] || { echo "missing: $binary"; status=1; continue; }
  calls=$(llvm-objdump-14 -d --no-show-raw-insn "$binary" | grep -cE '(call[lq]?|bl)[[:space:]].*<_*_stack_chk_fail>' || true)
  if [[ $calls -eq 0 ]]; then
    echo "$binary: no stack protector (no function checks a canary)"
    status=1
  else
    echo "$binary: $calls protected returns"
  fi
done
exit $status
