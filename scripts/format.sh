#!/usr/bin/env bash
# One code layout for the whole tree, settled by clang-format and .clang-format.
#   scripts/format.sh           reformats every C++ file git knows in place
#   scripts/format.sh --check   changes nothing; lists unformatted files and
#                               fails when there are any (CI runs this)
# The layout depends on clang-format's version, so both use Debian 12's
# (installed by scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-fix}
case "$mode" in
  fix|--check) ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
command -v clang-format >/dev/null || ./scripts/setup.sh

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
if [[ $mode == fix ]]; then
  clang-format -i -- "${files[@]}"
  exit 0
fi

# One clang-format call for all files; its warnings name each file that differs.
unformatted=$(clang-format --dry-run --Werror -- "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u || true)
if [[ -n $unformatted ]]; then
  printf 'unformatted: %s\n' $unformatted >&2
  echo "format: $(wc -w <<<"$unformatted") file(s) differ from .clang-format; run scripts/format.sh" >&2
  exit 1
fi
echo "format: ${#files[@]} files follow .clang-format"
