// ESLint for the page, the Web Audio edition, its tests and benchmark. The packages come from
// tests/web/package-lock.json, installed outside the source tree (by scripts/check-format.sh into
// build/format), so they are found there or through SLOPECRUSH_NODE_MODULES, not beside this file.
import { createRequire } from 'node:module';

const modules =
  process.env.SLOPECRUSH_NODE_MODULES ??
  new URL('./build/format/node_modules', import.meta.url).pathname;
const require = createRequire(`${modules}/`);
const js = require('@eslint/js');
const globals = require('globals');

export default [
  js.configs.recommended,
  {
    files: ['web/**/*.js'],
    languageOptions: { globals: globals.browser },
  },
  {
    files: ['web/slopecrush-processor.js'],
    // The AudioWorkletGlobalScope's own names, which the globals package does not list.
    languageOptions: {
      globals: { AudioWorkletProcessor: 'readonly', registerProcessor: 'readonly' },
    },
  },
  {
    // The tests run under node and hand functions to the page, which run there.
    files: ['**/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
