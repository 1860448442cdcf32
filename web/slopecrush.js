// SlopeCrush for Web Audio: the effect as an AudioWorkletNode, and the plug-in's texts.
//
//   import { createSlopeCrushNode } from './slopecrush.js';
//   const node = await createSlopeCrushNode(context);
//   source.connect(node).connect(context.destination);
//   node.parameters.get('gain').value = 6;   // dB, -60 (silence) to 12.0412
//   node.parameters.get('pitch').value = 7;  // rate index 0 to 15: 8363.419 Hz
//
// The converter is a WebAssembly module (slopecrush.wasm beside this file). The worklet scope
// cannot fetch, so the module is fetched and compiled here and handed to every processor.

const wasmUrl = new URL('./slopecrush.wasm', import.meta.url);
const processorUrl = new URL('./slopecrush-processor.js', import.meta.url);

let compiled = null; // the promise of the compiled module, shared by every context
const loaded = new WeakMap(); // context -> the promise of its worklet module

// The compiled slopecrush.wasm (a promise of a WebAssembly.Module), fetched once: for an
// instance of the effect of one's own, for instance to render offline in a worker.
export function compileSlopeCrush() {
  if (!compiled) {
    compiled = fetch(wasmUrl).then((response) => {
      if (!response.ok) throw new Error(`${wasmUrl}: ${response.status} ${response.statusText}`);
      return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
    });
    compiled.catch(() => {
      compiled = null; // a failed fetch may be retried
    });
  }
  return compiled;
}

// The effect in `context` (an AudioContext or OfflineAudioContext): a promise of its ready
// AudioWorkletNode with one stereo input (a mono input feeds both sides) and one stereo output,
// and the AudioParams 'gain' (dB) and 'pitch' (rate index), read once per render quantum.
export async function createSlopeCrushNode(context) {
  if (!loaded.has(context)) {
    const adding = context.audioWorklet.addModule(processorUrl);
    adding.catch(() => loaded.delete(context)); // a failed load may be retried
    loaded.set(context, adding);
  }
  const [module] = await Promise.all([compileSlopeCrush(), loaded.get(context)]);
  return new AudioWorkletNode(context, 'slopecrush', {
    numberOfInputs: 1,
    numberOfOutputs: 1,
    outputChannelCount: [2],
    processorOptions: { module },
  });
}

// The parameters' facts and the texts the plug-in shows, from an instance of the module on this
// thread: a promise of { parameters, valueText(name, value), valueFromText(name, text) } (the
// latter null for a text that names no value), each parameter
// { name, label, min, max, defaultValue, stepped }: name is the AudioParam's, label the plug-in's.
export async function loadSlopeCrushTexts() {
  const { exports } = await WebAssembly.instantiate(await compileSlopeCrush(), {});
  exports._initialize?.();
  const decoder = new TextDecoder();
  const string = (pointer) => {
    const bytes = new Uint8Array(exports.memory.buffer, pointer);
    return decoder.decode(bytes.subarray(0, bytes.indexOf(0)));
  };
  const parameters = [];
  for (let id = 0; id < exports.slopecrush_parameter_count(); ++id) {
    parameters.push({
      name: string(exports.slopecrush_parameter_symbol(id)),
      label: string(exports.slopecrush_parameter_name(id)),
      min: exports.slopecrush_parameter_min(id),
      max: exports.slopecrush_parameter_max(id),
      defaultValue: exports.slopecrush_parameter_default(id),
      stepped: exports.slopecrush_parameter_stepped(id) !== 0,
    });
  }
  const idOf = (name) => parameters.findIndex((p) => p.name === name);
  const encoder = new TextEncoder();
  const valueFromText = (name, text) => {
    const input = new Uint8Array(
      exports.memory.buffer,
      exports.slopecrush_text_input(),
      exports.slopecrush_text_capacity(),
    );
    const { read, written } = encoder.encodeInto(text, input.subarray(0, input.length - 1));
    if (read < text.length) return null; // no value's text is that long
    input[written] = 0;
    const value = exports.slopecrush_value_from_text(idOf(name));
    return Number.isNaN(value) ? null : value;
  };
  return {
    parameters,
    valueText: (name, value) => string(exports.slopecrush_value_text(idOf(name), value)),
    valueFromText,
  };
}
