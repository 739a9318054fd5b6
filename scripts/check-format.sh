#!/usr/bin/env bash
# Checks that every C++ source and header the repository tracks is formatted
# as .clang-format says; prints each file that is not and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "check-format: every C++ file is formatted"
