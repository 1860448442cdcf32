#!/usr/bin/env bash
# Fails when a C++ source file differs from what clang-format (.clang-format) makes of it, or a
# JavaScript, HTML or CSS file of the web edition, its tests or benchmark from what Prettier
# (.prettierrc.json) makes of it, or when ESLint (eslint.config.mjs) finds fault with the scripts.
# Prettier and ESLint are the versions in tests/web/package-lock.json, installed into build/format
# (again only when the lock file changed): this job runs before any build.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

packages=build/format
if ! cmp -s tests/web/package-lock.json "$packages/package-lock.json" ||
   [ ! -d "$packages/node_modules" ]; then
  mkdir -p "$packages"
  cp tests/web/package.json tests/web/package-lock.json "$packages/"
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix "$packages" --ignore-scripts --no-audit --no-fund \
    --loglevel=error
fi
scripts=(web tests/web/*.mjs bench/*.mjs eslint.config.mjs)
"$packages/node_modules/.bin/prettier" --check --log-level=warn "${scripts[@]}"
SLOPECRUSH_NODE_MODULES="$PWD/$packages/node_modules" "$packages/node_modules/.bin/eslint" \
  --max-warnings=0 "${scripts[@]}"
echo "format: clean"
