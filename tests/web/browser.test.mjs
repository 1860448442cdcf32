// The page and createSlopeCrushNode in headless chromium, served from 127.0.0.1: the golden bits
// through an OfflineAudioContext, parameter changes landing at quantum boundaries, the plug-in's
// texts, a file opened, crushed and downloaded as the renderer writes it, and a bad file.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';
import { encodeFloatWav } from '../../web/wavwriter.js';
import {
  firstDifference,
  goldenDir,
  newConverter,
  readCase,
  readCases,
  render,
  siteDir,
} from './wasmconverter.mjs';

const puppeteer = createRequire(`${process.env.SLOPECRUSH_NODE_MODULES}/`)('puppeteer-core');
const kRate = 44100;
const kTypes = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
};

let server;
let browser;
let page;
let origin;

// The site, and the golden vectors under /golden/.
function serve(request, response) {
  const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
  const file = path.startsWith('/golden/') ? join(goldenDir, path.slice(8)) : join(siteDir, path);
  try {
    const body = readFileSync(file);
    response.writeHead(200, {
      'content-type': kTypes[extname(file)] ?? 'application/octet-stream',
    });
    response.end(body);
  } catch {
    response.writeHead(404).end();
  }
}

before(async () => {
  server = createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await puppeteer.launch({
    executablePath: process.env.SLOPECRUSH_CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 760 });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`${origin}/index.html`);
  await page.waitForSelector('body[data-ready]', { timeout: 20000 }).catch(() => {
    throw new Error(`the page did not start: ${errors.join('; ')}`);
  });
});

after(async () => {
  await browser?.close();
  server?.close();
});

// Renders a golden input through createSlopeCrushNode at 44.1 kHz; changes are
// [{ time, name, value }] set with setValueAtTime. Answers output channels 0 and 1.
async function renderInPage(name, frames, changes) {
  const bits = await page.evaluate(
    async (name, frames, changes, rate) => {
      const { createSlopeCrushNode } = await import('./slopecrush.js');
      const input = new Float32Array(await (await fetch(`golden/${name}.in.f32`)).arrayBuffer());
      const context = new OfflineAudioContext(2, frames, rate);
      const buffer = new AudioBuffer({ numberOfChannels: 2, length: frames, sampleRate: rate });
      for (let c = 0; c < 2; ++c)
        buffer.copyToChannel(
          input.filter((_, i) => i % 2 === c),
          c,
        );
      const node = await createSlopeCrushNode(context);
      for (const { time, name, value } of changes)
        node.parameters.get(name).setValueAtTime(value, time);
      const source = new AudioBufferSourceNode(context, { buffer });
      source.connect(node).connect(context.destination);
      source.start();
      const out = await context.startRendering();
      // As bit patterns: JSON would turn -0 into 0.
      return [0, 1].map((c) => Array.from(new Uint32Array(out.getChannelData(c).buffer)));
    },
    name,
    frames,
    changes,
    kRate,
  );
  return bits.map((words) => new Float32Array(Uint32Array.from(words).buffer));
}

test('golden vectors through the node at several rates', async () => {
  // The vectors whose events fall on quantum boundaries and set only the rate, given here as
  // the index the normalised value selects (value x 15, truncated).
  const chosen = ['sine-440', 'noise-every-rate', 'hostile-input', 'burst-then-silence'];
  for (const c of readCases().filter((c) => chosen.includes(c.name))) {
    const changes = c.events.map((e) => {
      assert.ok(e.id === 1 && e.frame % 128 === 0, `${c.name}: an event the node cannot take`);
      // Half a frame early: the browser rounds a time to a frame upwards, and frame / rate is
      // sometimes just above the boundary.
      const time = Math.max(0, e.frame - 0.5) / kRate;
      return { time, name: 'pitch', value: Math.trunc(Math.fround(e.value) * 15) };
    });
    const { expected } = readCase(c);
    const [out0, out1] = await renderInPage(c.name, c.frames, changes);
    const at = firstDifference(out0, expected);
    assert.equal(at, -1, `${c.name}: frame ${at} is ${out0[at]}, expected ${expected[at]}`);
    assert.equal(firstDifference(out1, out0), -1, `${c.name}: the outputs differ`);
  }
});

test('changes of pitch and gain during a render land at the next quantum boundary', async () => {
  const c = readCases().find((c) => c.name === 'sine-440');
  const { left, right } = readCase(c);
  const pitchAt = 50 * 128 + 37;
  const gainAt = 120 * 128 + 90;
  const [got] = await renderInPage(c.name, c.frames, [
    { time: pitchAt / kRate, name: 'pitch', value: 3 },
    { time: gainAt / kRate, name: 'gain', value: -6 },
  ]);
  const switchedAt = (pitchFrame, gainFrame) =>
    render(
      newConverter(),
      left,
      right,
      [
        { frame: pitchFrame, set: (wasm) => wasm.slopecrush_set_parameter(1, 3) },
        { frame: gainFrame, set: (wasm) => wasm.slopecrush_set_parameter(0, -6) },
      ],
      () => 128,
    )[0];
  const expected = switchedAt(51 * 128, 121 * 128);
  const at = firstDifference(got, expected);
  assert.equal(at, -1, `frame ${at} is ${got[at]}, expected ${expected[at]}`);
  assert.notEqual(
    firstDifference(expected, switchedAt(pitchAt, gainAt)),
    -1,
    'the changes must be heard',
  );
});

test("the page shows the plug-in's texts", async () => {
  // The rates as the plug-in displays them, in order.
  const rates = [
    '4181.709',
    '4709.930',
    '5264.040',
    '5593.040',
    '6257.950',
    '7046.350',
    '7919.350',
    '8363.419',
    '9419.860',
    '11186.09',
    '12604.00',
    '13982.59',
    '16884.69',
    '21056.19',
    '24857.90',
    '33143.89',
  ].map((r) => `${r} Hz`);
  const shown = await page.evaluate(() => ({
    rates: [...document.querySelectorAll('#pitch option')].map((o) => o.textContent),
    rate: document.querySelector('#pitch').selectedOptions[0].textContent,
    labels: [...document.querySelectorAll('.control label')].map((l) => l.textContent),
    gain: document.querySelector('#gain-text').value,
  }));
  assert.deepEqual(shown, {
    rates,
    rate: '24857.90 Hz',
    labels: ['InGain', 'Pitch'],
    gain: '0.000000 dB',
  });
  const lowest = await page.evaluate(() => {
    const gain = document.querySelector('#gain');
    gain.value = gain.min;
    gain.dispatchEvent(new Event('input'));
    const text = document.querySelector('#gain-text').value;
    gain.value = 0;
    gain.dispatchEvent(new Event('input'));
    return text;
  });
  assert.equal(lowest, '-oo dB');
});

test('a file opened on the page downloads crushed with the golden bits; a bad file changes nothing', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'slopecrush-web-'));
  const c = readCases().find((c) => c.name === 'sine-440');
  const { left, right, expected } = readCase(c);
  const wav = Buffer.from(await encodeFloatWav([left, right], kRate).arrayBuffer());
  writeFileSync(join(folder, 'sine.wav'), wav);
  writeFileSync(
    join(folder, 'broken.wav'),
    Buffer.from('RIFF\x24\0\0\0WAVEthis is no sound at all'),
  );
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });

  const input = await page.$('#file');
  await input.uploadFile(join(folder, 'sine.wav'));
  await page.waitForFunction(() => document.querySelector('#about').textContent.includes('sine'));
  await page.click('#stop');
  await page.click('#download');
  await page.waitForFunction(
    () => document.querySelector('#status').textContent.startsWith('Saved'),
    { timeout: 20000 },
  );
  // The browser writes the download after the page has let go of it.
  for (let tries = 0; !readdirSync(folder).includes('sine-crushed.wav') && tries < 100; ++tries)
    await new Promise((resolve) => setTimeout(resolve, 100));
  const saved = readFileSync(join(folder, 'sine-crushed.wav'));
  // The header `slopecrush-render sine.wav out.wav --format float` writes.
  const header =
    '524946467062050057415645666d7420100000000300020044ac00002062050008002000666163740400000044ac' +
    '000050414420180000000000000000000000000000000000000000000000000000006461746120620500';
  assert.equal(saved.subarray(0, 88).toString('hex'), header);
  const samples = new Float32Array(
    saved.buffer.slice(saved.byteOffset + 88, saved.byteOffset + saved.length),
  );
  assert.equal(
    firstDifference(
      samples.filter((_, i) => i % 2 === 0),
      expected,
    ),
    -1,
  );
  assert.equal(
    firstDifference(
      samples.filter((_, i) => i % 2 === 1),
      expected,
    ),
    -1,
  );

  const about = await page.$eval('#about', (e) => e.textContent);
  await input.uploadFile(join(folder, 'broken.wav'));
  await page.waitForFunction(() => document.querySelector('#status').classList.contains('error'));
  const after = await page.evaluate(() => ({
    about: document.querySelector('#about').textContent,
    status: document.querySelector('#status').textContent,
  }));
  assert.equal(after.about, about);
  assert.match(after.status, /^broken\.wav could not be opened/);
  assert.ok(!after.status.includes('\n'));
  assert.deepEqual(readdirSync(folder).sort(), ['broken.wav', 'sine-crushed.wav', 'sine.wav']);
});

test('the demo plays and is drawn; a screenshot goes into the build folder', async () => {
  await page.click('#demo');
  await page.waitForFunction(() =>
    document.querySelector('#about').textContent.startsWith('The demo'),
  );
  await page.waitForFunction(
    () => !document.querySelector('#play').disabled || !document.querySelector('#stop').disabled,
  );
  // The crushed lane is drawn once its offline render is done.
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await page.click('#dry');
  await page.screenshot({ path: process.env.SLOPECRUSH_SCREENSHOT, fullPage: true });
  await page.click('#crushed');
  await page.click('#stop');
});
