// Writes slopecrush-parameters.js, the AudioParam descriptors of the processor, from the facts
// the built module itself exports, so their names, ranges and defaults are written down once, in
// C++. Run at build time:  node describe-parameters.mjs slopecrush.wasm slopecrush-parameters.js
import { readFileSync, writeFileSync } from 'node:fs';

const [wasmPath, outPath] = process.argv.slice(2);
const { instance } = await WebAssembly.instantiate(readFileSync(wasmPath), {});
const wasm = instance.exports;
wasm._initialize?.();

const descriptors = [];
for (let id = 0; id < wasm.slopecrush_parameter_count(); ++id) {
  const name = new Uint8Array(wasm.memory.buffer, wasm.slopecrush_parameter_symbol(id));
  descriptors.push({
    name: new TextDecoder().decode(name.subarray(0, name.indexOf(0))),
    minValue: wasm.slopecrush_parameter_min(id),
    maxValue: wasm.slopecrush_parameter_max(id),
    defaultValue: wasm.slopecrush_parameter_default(id),
    automationRate: 'k-rate',
  });
}
writeFileSync(
  outPath,
  `// Made from ${wasmPath.split('/').pop()} at build time; do not edit.\n` +
    `export const parameterDescriptors = ${JSON.stringify(descriptors, null, 2)};\n`,
);
