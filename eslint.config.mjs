// ESLint for the page, the Web Audio edition, its tests and benchmark. The packages come from
// tests/web/package-lock.json, installed outside the source tree (scripts/check-format.sh says
// where), so they are found through SLOPECRUSH_NODE_MODULES rather than beside this file.
import { createRequire } from 'node:module';

const require = createRequire(`${process.env.SLOPECRUSH_NODE_MODULES}/`);
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
