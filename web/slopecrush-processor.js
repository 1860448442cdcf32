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
    this.names = parameterDescriptors.map((descriptor) => descriptor.name); // by index
  }

  // Views of the module's four buffers, frames long, made again only when the block length
  // changes, so process allocates nothing once running.
  viewsFor(frames) {
    const { memory, slopecrush_buffer: buffer, slopecrush_capacity: capacity } = this.wasm;
    this.frames = Math.min(frames, capacity());
    this.views = [0, 1, 2, 3].map((i) => new Float32Array(memory.buffer, buffer(i), this.frames));
  }

  // Audio rendering thread; allocates nothing after the first call (plain indexed loops: an
  // iterator or a destructuring could allocate before the engine optimises them away).
  process(inputs, outputs, parameters) {
    const output = outputs[0];
    const frames = output[0].length;
    if (frames !== this.frames) this.viewsFor(frames);
    // k-rate: one value per quantum.
    for (let index = 0; index < this.names.length; ++index)
      this.wasm.slopecrush_set_parameter(index, parameters[this.names[index]][0]);

    const views = this.views;
    const input = inputs[0];
    if (input.length === 0) {
      // Nothing connected: the converter hears silence.
      views[0].fill(0);
      views[1].fill(0);
    } else {
      // A mono input feeds both sides; beyond two channels, the first two are used.
      views[0].set(input[0]);
      views[1].set(input[input.length > 1 ? 1 : 0]);
    }
    this.wasm.slopecrush_process(this.frames);
    output[0].set(views[2]);
    output[1].set(views[3]);
    return true;
  }
}

registerProcessor('slopecrush', SlopeCrushProcessor);
