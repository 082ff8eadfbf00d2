#!/bin/bash
# Formats every C++ file of the repository with its .clang-format; with --check, changes nothing
# and fails when a file is not formatted (CI runs it so).
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    # shellcheck disable=SC2086
    clang-format --dry-run --Werror $files
    echo "format: $(echo "$files" | wc -l) files are formatted"
else
    # shellcheck disable=SC2086
    clang-format -i $files
fi
