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
