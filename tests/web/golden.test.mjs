// The wasm converter against the golden vectors, bit for bit, at the vectors' own block sizes and
// at others (128 is the Web Audio render quantum): the output must not depend on blocking.
import assert from 'node:assert/strict';
import test from 'node:test';
import { firstDifference, newConverter, readCase, readCases, render } from './wasmconverter.mjs';

const cases = readCases();

test('every golden vector is listed', () => assert.equal(cases.length, 8));

for (const c of cases) {
  test(c.name, () => {
    const { left, right, expected } = readCase(c);
    const events = c.events.map((e) => ({
      ...e,
      set: (wasm) => wasm.slopecrush_set_normalised(e.id, e.value),
    }));
    let size = 0; // 1, 2, 3, ... 300, then again
    const blockings = {
      own: () => c.block,
      1: () => 1,
      128: () => 128,
      4096: () => 4096,
      changing: () => (size = (size % 300) + 1),
    };
    for (const [how, nextBlock] of Object.entries(blockings)) {
      const [out0, out1] = render(newConverter(), left, right, events, nextBlock);
      const at = firstDifference(out0, expected);
      assert.equal(at, -1, `${how}: frame ${at} is ${out0[at]}, expected ${expected[at]}`);
      assert.equal(firstDifference(out1, out0), -1, `${how}: the outputs differ`);
    }
  });
}

test('the module keeps to its buffers and says nothing of an unknown parameter', () => {
  // Two instances alike but for the frames asked: beyond the capacity is the capacity, so
  // nothing past the buffers is read or written (a huge count included).
  const runs = [0, 1000, 2 ** 31 - 1 - 8192].map((extra) => {
    const { wasm, buffers } = newConverter();
    buffers[0].fill(0.5);
    buffers[1].fill(-0.25);
    wasm.slopecrush_process(wasm.slopecrush_capacity() + extra);
    return new Uint8Array(wasm.memory.buffer).slice();
  });
  assert.ok(runs.every((memory) => Buffer.compare(memory, runs[0]) === 0));

  const { wasm } = newConverter();
  const text = (index, value) => {
    const bytes = new Uint8Array(wasm.memory.buffer, wasm.slopecrush_value_text(index, value));
    return Buffer.from(bytes.subarray(0, bytes.indexOf(0))).toString();
  };
  assert.equal(text(0, 0), '0.000000 dB');
  for (const unknown of [-1, wasm.slopecrush_parameter_count(), 1000])
    assert.equal(text(unknown, 0), '', `parameter ${unknown}`);
});
