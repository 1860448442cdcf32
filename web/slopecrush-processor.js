// The AudioWorklet processor "slopecrush": a render quantum at a time through the converter in
// slopecrush.wasm, whose compiled module comes in processorOptions.module (see slopecrush.js).
// Each processor has its own instance of the module, so its own converter and buffers.
import { parameterDescriptors } from './slopecrush-parameters.js';

class SlopeCrushProcessor extends AudioWorkletProcessor {
  static get parameterDescriptors() {
    return parameterDescriptors;
  }

  constructor(options) {
    super();
    const { exports } = new WebAssembly.Instance(options.processorOptions.module, {});
    exports._initialize?.();
    this.wasm = exports;
    this.frames = 0; // the block length the views below are made for
    this.parameterIds = parameterDescriptors.map((_, id) => id);
  }

  // Views of the module's four buffers, frames long, made again only when the block length
  // changes, so process allocates nothing once running.
  viewsFor(frames) {
    const { memory, slopecrush_buffer: buffer, slopecrush_capacity: capacity } = this.wasm;
    this.frames = Math.min(frames, capacity());
    this.views = [0, 1, 2, 3].map((i) => new Float32Array(memory.buffer, buffer(i), this.frames));
  }

  // Audio rendering thread; allocates nothing after the first call.
  process(inputs, outputs, parameters) {
    const output = outputs[0];
    const frames = output[0].length;
    if (frames !== this.frames) this.viewsFor(frames);
    // k-rate: one value per quantum, the first.
    for (const id of this.parameterIds)
      this.wasm.slopecrush_set_parameter(id, parameters[parameterDescriptors[id].name][0]);

    const [inLeft, inRight, outLeft, outRight] = this.views;
    const input = inputs[0];
    if (input.length === 0) {
      // Nothing connected: the converter hears silence.
      inLeft.fill(0);
      inRight.fill(0);
    } else {
      // A mono input feeds both sides; beyond two channels, the first two are used.
      inLeft.set(input[0]);
      inRight.set(input[input.length > 1 ? 1 : 0]);
    }
    this.wasm.slopecrush_process(this.frames);
    output[0].set(outLeft);
    output[1].set(outRight);
    return true;
  }
}

registerProcessor('slopecrush', SlopeCrushProcessor);
