// The demo music of `slopecrush-render --demo`, made by the renderer's own code compiled to
// slopecrush-demo.wasm: a promise of a stereo AudioBuffer, made once.
let made = null;
export function makeDemo() {
  if (!made) {
    made = makeOnce();
    made.catch(() => {
      made = null;
    });
  }
  return made;
}

async function makeOnce() {
  const response = await fetch(new URL('./slopecrush-demo.wasm', import.meta.url));
  if (!response.ok) throw new Error(`slopecrush-demo.wasm: ${response.status}`);
  const module = await WebAssembly.compile(await response.arrayBuffer());
  // Any import the C library asks for is a stub: the demo never calls one.
  const imports = {};
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    imports[from] ??= {};
    imports[from][name] = () => {
      throw new Error(`slopecrush-demo.wasm called ${from}.${name}`);
    };
  }
  const { exports } = await WebAssembly.instantiate(module, imports);
  exports._initialize?.();
  const frames = exports.slopecrush_demo_make();
  const sampleRate = exports.slopecrush_demo_sample_rate();
  const buffer = new AudioBuffer({ numberOfChannels: 2, length: frames, sampleRate });
  for (let c = 0; c < 2; ++c)
    buffer.copyToChannel(
      new Float32Array(exports.memory.buffer, exports.slopecrush_demo_channel(c), frames),
      c,
    );
  return buffer;
}
