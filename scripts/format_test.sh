#!/usr/bin/env bash
# Checks that every C++ source file is laid out as clang-format lays it out (.clang-format).
#   scripts/format_test.sh         list the files that differ and fail
#   scripts/format_test.sh --fix   format them in place instead
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(find app audio demo gfx platform scene timeline tools tests \
  -path tests/data -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)

if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "format_test.sh: not formatted (scripts/format_test.sh --fix formats them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "All ${#files[@]} C++ files are formatted."
