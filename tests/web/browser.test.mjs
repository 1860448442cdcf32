// The page and createSlopeCrushNode in a headless browser (SLOPECRUSH_BROWSER: chromium, the
// default, or firefox), served from 127.0.0.1: the golden bits through an OfflineAudioContext,
// parameter changes landing at quantum boundaries, the processor's inputs, the plug-in's texts,
// files opened, crushed and downloaded as the renderer writes them, bad files named by their
// cause, the keyboard, a phone's width, a 10-minute track and a live input (chromium's fake one).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';
import { encodeFloatWav, floatWavHeader, interleave } from '../../web/wavwriter.js';
import { asRendererReads, int16Bytes, wavFile, soxWrite } from './soundfiles.mjs';
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
const kBrowser = process.env.SLOPECRUSH_BROWSER ?? 'chromium';
const onlyChromium = kBrowser !== 'chromium' && 'chromium only';
const kRate = 44100;
const kTypes = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.wasm': 'application/wasm',
};

const folder = mkdtempSync(join(tmpdir(), `slopecrush-web-${kBrowser}-`));
const downloads = join(folder, 'downloads');
let server;
let browser;
let page;
let origin;
const errors = []; // what the page threw or logged as an error
const dropNext = new Set(); // paths whose next request loses its connection

// The site, again under /again/ (a copy of the edition's modules no one else on the page
// fetches from), and the golden vectors under /golden/.
function serve(request, response) {
  const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
  if (dropNext.delete(path)) {
    // Cut off after the headers: a network error in the middle of the body.
    response.writeHead(200, { 'content-length': 1000, 'cache-control': 'no-store' });
    response.write('\0asm');
    return setTimeout(() => request.socket.destroy(), 20);
  }
  const file = path.startsWith('/golden/')
    ? join(goldenDir, path.slice(8))
    : join(siteDir, path.replace(/^\/again\//, '/'));
  try {
    const body = readFileSync(file);
    response.writeHead(200, {
      'content-type': kTypes[extname(file)] ?? 'application/octet-stream',
      'cache-control': 'no-store',
    });
    response.end(body);
  } catch {
    response.writeHead(404).end();
  }
}

// A second of a 440 Hz tone at 48 kHz, what chromium's fake capture device plays.
function writeCaptureFile(path) {
  const samples = Int16Array.from({ length: 48000 }, (_, i) =>
    Math.round(16000 * Math.sin((2 * Math.PI * 440 * i) / 48000)),
  );
  writeFileSync(path, wavFile({ channels: 1, rate: 48000, data: int16Bytes(samples) }));
}

function launch() {
  if (kBrowser === 'firefox')
    return puppeteer.launch({
      browser: 'firefox',
      executablePath: process.env.SLOPECRUSH_FIREFOX,
      headless: true,
      extraPrefsFirefox: {
        'media.autoplay.default': 0,
        'media.volume_scale': '0.0',
        'browser.download.dir': downloads,
        'browser.download.folderList': 2,
        'browser.download.useDownloadDir': true,
        'browser.download.always_ask_before_handling_new_types': false,
      },
    });
  const capture = join(folder, 'capture.wav');
  writeCaptureFile(capture);
  return puppeteer.launch({
    executablePath: process.env.SLOPECRUSH_CHROMIUM,
    headless: true,
    args: [
      '--no-sandbox',
      '--autoplay-policy=no-user-gesture-required',
      '--mute-audio',
      '--use-fake-device-for-media-stream',
      `--use-file-for-fake-audio-capture=${capture}`,
    ],
  });
}

before(async () => {
  server = createServer(serve);
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await launch();
  page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 760 });
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  // The crushed signal where the page's node sends it, for the live input's test to listen to.
  await page.evaluateOnNewDocument(() => {
    const connect = AudioNode.prototype.connect;
    AudioNode.prototype.connect = function (destination, ...rest) {
      if (this instanceof AudioWorkletNode && !(destination instanceof AnalyserNode)) {
        window.crushedNode = this;
        window.crushedTap = new AnalyserNode(this.context, { fftSize: 2048 });
        connect.call(this, window.crushedTap);
      }
      return connect.call(this, destination, ...rest);
    };
  });
  await page.goto(`${origin}/index.html`);
  await page.waitForSelector('body[data-ready]', { timeout: 20000 }).catch(() => {
    throw new Error(`the page did not start: ${errors.join('; ')}`);
  });
  if (kBrowser === 'chromium') {
    // The microphone allowed here; a context of its own refuses it.
    await browser.defaultBrowserContext().overridePermissions(origin, ['microphone']);
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', {
      behavior: 'allow',
      downloadPath: downloads,
    });
  }
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(folder, { recursive: true, force: true });
});

// Firefox runs its audio thread with subnormal numbers flushed to zero, so where a decay ends
// below 1.2e-38 its node gives 0 for the renderer's subnormal samples; allowed by name for what
// the node renders there. The downloads, rendered in a worker, are compared bit for bit.
const kFlushesSubnormals = kBrowser === 'firefox';
function firstNodeMismatch(got, expected) {
  if (!kFlushesSubnormals) return firstDifference(got, expected);
  if (got.length !== expected.length) return 0;
  const a = new Uint32Array(got.buffer, got.byteOffset, got.length);
  const b = new Uint32Array(expected.buffer, expected.byteOffset, expected.length);
  const subnormal = (v) => v !== 0 && Math.abs(v) < 2 ** -126;
  for (let i = 0; i < a.length; ++i) {
    // A decay flushed early also loses the sign of the zero it ends on.
    const flushed = subnormal(expected[i]) || (expected[i] === 0 && subnormal(expected[i - 1]));
    if (a[i] !== b[i] && !(flushed && got[i] === 0)) return i;
  }
  return -1;
}

// Runs fn(...args) in the page on an OfflineAudioContext of `frames` stereo frames at 44.1 kHz
// holding a node: fn builds the graph ({ context, node, createSlopeCrushNode }) and may return
// a promise to settle before rendering. Answers output channels 0 and 1 as Float32Arrays.
async function renderInPage(frames, fn, ...args) {
  const bits = await page.evaluate(
    async (frames, rate, source, ...args) => {
      const { createSlopeCrushNode } = await import('./slopecrush.js');
      const context = new OfflineAudioContext(2, frames, rate);
      const node = await createSlopeCrushNode(context);
      node.connect(context.destination);
      const build = new Function(`return ${source}`)();
      await build({ context, node }, ...args);
      const out = await context.startRendering();
      // As bit patterns: JSON would turn -0 into 0.
      return [0, 1].map((c) => Array.from(new Uint32Array(out.getChannelData(c).buffer)));
    },
    frames,
    kRate,
    fn.toString(),
    ...args,
  );
  return bits.map((words) => new Float32Array(Uint32Array.from(words).buffer));
}

// A golden input through the node; changes are [{ time, name, value }] set with setValueAtTime.
function renderGolden(name, frames, changes) {
  return renderInPage(
    frames,
    async ({ context, node }, name, changes) => {
      const input = new Float32Array(await (await fetch(`golden/${name}.in.f32`)).arrayBuffer());
      const buffer = new AudioBuffer({
        numberOfChannels: 2,
        length: input.length / 2,
        sampleRate: context.sampleRate,
      });
      for (let c = 0; c < 2; ++c)
        buffer.copyToChannel(
          input.filter((_, i) => i % 2 === c),
          c,
        );
      for (const { time, name, value } of changes)
        node.parameters.get(name).setValueAtTime(value, time);
      const source = new AudioBufferSourceNode(context, { buffer });
      source.connect(node);
      source.start();
    },
    name,
    changes,
  );
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
    const [out0, out1] = await renderGolden(c.name, c.frames, changes);
    const at = firstNodeMismatch(out0, expected);
    assert.equal(at, -1, `${c.name}: frame ${at} is ${out0[at]}, expected ${expected[at]}`);
    assert.equal(firstDifference(out1, out0), -1, `${c.name}: the outputs differ`);
  }
});

test('changes of pitch and gain during a render land at the next quantum boundary', async () => {
  const c = readCases().find((c) => c.name === 'sine-440');
  const { left, right } = readCase(c);
  const pitchAt = 50 * 128 + 37;
  const gainAt = 120 * 128 + 90;
  const [got] = await renderGolden(c.name, c.frames, [
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
  const at = firstNodeMismatch(got, expected);
  assert.equal(at, -1, `frame ${at} is ${got[at]}, expected ${expected[at]}`);
  assert.notEqual(
    firstDifference(expected, switchedAt(pitchAt, gainAt)),
    -1,
    'the changes must be heard',
  );
});

test('what the processor hears: a mono input on both sides, silence once nothing is connected', async (t) => {
  const { left, right } = readCase(readCases().find((c) => c.name === 'sine-440'));
  const frames = 128 * 80;
  const cutAt = 128 * 40;
  const rows = [
    {
      name: 'a mono input feeds both sides',
      build: ({ context, node }, samples) => {
        const buffer = new AudioBuffer({ length: samples.length, sampleRate: context.sampleRate });
        buffer.copyToChannel(Float32Array.from(samples), 0);
        const source = new AudioBufferSourceNode(context, { buffer });
        source.connect(node);
        source.start();
      },
      args: [Array.from(left.subarray(0, frames))],
      inputs: [left.subarray(0, frames), left.subarray(0, frames)],
    },
    {
      // Disconnected at a quantum boundary, while the input still sounds.
      name: 'nothing connected is silence on both sides',
      skip: kBrowser === 'firefox' && "firefox's OfflineAudioContext cannot suspend",
      build: ({ context, node }, l, r, cutAt) => {
        const buffer = new AudioBuffer({
          numberOfChannels: 2,
          length: l.length,
          sampleRate: context.sampleRate,
        });
        buffer.copyToChannel(Float32Array.from(l), 0);
        buffer.copyToChannel(Float32Array.from(r), 1);
        const source = new AudioBufferSourceNode(context, { buffer });
        source.connect(node);
        source.start();
        context.suspend(cutAt / context.sampleRate).then(() => {
          source.disconnect();
          context.resume();
        });
      },
      args: [Array.from(left.subarray(0, frames)), Array.from(right.subarray(0, frames)), cutAt],
      inputs: [left, right].map((side) => {
        const heard = new Float32Array(frames);
        heard.set(side.subarray(0, cutAt));
        return heard;
      }),
    },
  ];
  for (const row of rows) {
    if (row.skip) {
      t.diagnostic(`${row.name}: skipped, ${row.skip}`);
      continue;
    }
    const got = await renderInPage(frames, row.build, ...row.args);
    const [expected] = render(newConverter(), ...row.inputs, [], () => 128);
    for (const c of [0, 1]) {
      const at = firstNodeMismatch(got[c], expected);
      assert.equal(
        at,
        -1,
        `${row.name}: output ${c} at frame ${at} is ${got[c][at]}, expected ${expected[at]}`,
      );
    }
  }
});

test('a module fetch that failed is tried again', async () => {
  dropNext.add('/again/slopecrush.wasm');
  const [first, second] = await page.evaluate(async () => {
    // A fresh copy of the module, so that nothing is cached yet.
    const { createSlopeCrushNode } = await import('./again/slopecrush.js');
    const context = new OfflineAudioContext(2, 128, 44100);
    const attempt = () =>
      createSlopeCrushNode(context).then(
        (node) => node.constructor.name,
        (error) => `failed: ${error.message}`,
      );
    return [await attempt(), await attempt()];
  });
  assert.match(first, /^failed/);
  assert.equal(second, 'AudioWorkletNode');
  // The cut response's own line in the console, which this test caused.
  const cut = errors.findIndex((line) => /ERR_CONTENT_LENGTH_MISMATCH|NetworkError/.test(line));
  if (cut >= 0) errors.splice(cut, 1);
});

test("the page shows the plug-in's texts", async () => {
  // The rates as the plug-in displays them, in order.
  const rates = (
    '4181.709 4709.930 5264.040 5593.040 6257.950 7046.350 7919.350 8363.419 ' +
    '9419.860 11186.09 12604.00 13982.59 16884.69 21056.19 24857.90 33143.89'
  )
    .split(' ')
    .map((r) => `${r} Hz`);
  const shown = await page.evaluate(() => ({
    rates: [...document.querySelectorAll('#pitch option')].map((o) => o.textContent),
    rate: document.querySelector('#pitch').selectedOptions[0].textContent,
    labels: [...document.querySelectorAll('.control label')].map((l) => l.textContent),
    gain: document.querySelector('#gain-text').value,
    // Nothing said yet: the about and status lines take no room below the hint.
    room: (() => {
      const source = document.querySelector('.source');
      const below = source.getBoundingClientRect().bottom;
      return below - document.querySelector('.source .hint').getBoundingClientRect().bottom > 1;
    })(),
  }));
  assert.deepEqual(shown, {
    rates,
    rate: '24857.90 Hz',
    labels: ['InGain', 'Pitch'],
    gain: '0.000000 dB',
    room: false,
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

async function waitFor(condition, timeout = 30000) {
  await page.waitForFunction(condition, { timeout, polling: 50 });
}

// Opens a file through the page's file input; answers once the page has taken it or said why not.
async function openOnPage(path) {
  const before = await page.$eval('#status', (e) => e.textContent);
  await page.evaluate(() => {
    document.querySelector('#stop').click();
    document.querySelector('#status').textContent = '';
  });
  await (await page.$('#file')).uploadFile(path);
  await waitFor(() => {
    const status = document.querySelector('#status');
    return (
      status.classList.contains('error') ||
      (status.textContent === '' && !document.querySelector('#stop').disabled)
    );
  });
  return before;
}

// Clicks Download and answers the bytes the browser saved.
async function downloadFromPage(name) {
  await page.click('#download');
  await waitFor(() => document.querySelector('#status').textContent.startsWith('Saved'), 120000);
  // The browser writes the download after the page has let go of it.
  const done = () =>
    readdirSync(downloads).includes(name) &&
    !readdirSync(downloads).some((f) => f.endsWith('.part') || f.endsWith('.crdownload'));
  for (let tries = 0; !done() && tries < 300; ++tries)
    await new Promise((resolve) => setTimeout(resolve, 100));
  const saved = readFileSync(join(downloads, name));
  rmSync(join(downloads, name));
  return saved;
}

// The file slopecrush-render writes with --format float for the samples it reads (one
// Float32Array per channel), at the plug-in's defaults.
function renderedFile(channels, sampleRate) {
  const [left, right] = [channels[0], channels[channels.length > 1 ? 1 : 0]];
  const [out] = render(newConverter(), left, right, [], () => 4096);
  return Buffer.concat([
    Buffer.from(floatWavHeader(out.length, 2, sampleRate).buffer),
    Buffer.from(interleave([out, out]).buffer),
  ]);
}

// Integers of a loud stereo track, 3 s: a sine driven into clipping on the left, a quieter
// chord of sines on the right.
function loudClippedTrack() {
  const frames = 3 * kRate;
  const samples = new Int16Array(frames * 2);
  for (let i = 0; i < frames; ++i) {
    const t = i / kRate;
    const hot = 1.7 * 32768 * Math.sin(2 * Math.PI * 110 * t);
    samples[2 * i] = Math.max(-32768, Math.min(32767, Math.round(hot)));
    samples[2 * i + 1] = Math.round(
      9000 *
        (Math.sin(2 * Math.PI * 220 * t) +
          Math.sin(2 * Math.PI * 277 * t) +
          Math.sin(2 * Math.PI * 330 * t)),
    );
  }
  return samples;
}

// Every integer within 90 of either end of the 16-bit range (32746 among them), mono, over and
// over: where Chromium's k / 32767 meets libsndfile's (k + 1) / 32768 exactly.
function nearFullScale(bits) {
  const top = 2 ** (bits - 1);
  const ends = [];
  for (let k = top - 90; k < top; ++k) ends.push(k, -k - 1);
  return Int32Array.from({ length: 20000 }, (_, i) => ends[i % ends.length]);
}

test('the keyboard reaches every control, and the slider speaks and steps as a musician expects', async () => {
  const focusedId = () => page.evaluate(() => document.activeElement.id);
  // Before any download: Firefox's downloads take the window's focus, and a page without it
  // shows no focus ring.
  await page.reload(); // the first Tab from the top of the page
  await page.waitForSelector('body[data-ready]');
  await page.keyboard.press('Tab');
  assert.equal(await focusedId(), 'open');
  // The focus ring, once the browser has drawn it.
  await waitFor(() => getComputedStyle(document.activeElement).outlineStyle !== 'none', 5000);
  // Enter asks the file input for its picker (kept closed here).
  await page.evaluate(() => {
    window.pickerAsked = 0;
    document.querySelector('#file').addEventListener('click', (event) => {
      event.preventDefault();
      ++window.pickerAsked;
    });
  });
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => window.pickerAsked), 1);

  await page.focus('#gain');
  await page.keyboard.press('End');
  await page.keyboard.press('ArrowDown');
  const textOf = (value) => {
    const { wasm } = newConverter();
    const text = new Uint8Array(wasm.memory.buffer, wasm.slopecrush_value_text(0, value));
    return Buffer.from(text.subarray(0, text.indexOf(0))).toString();
  };
  const shows = (value) => [value, textOf(value), textOf(value)];
  const gain = () =>
    page.$eval('#gain', (e) => [
      Number(e.value),
      e.getAttribute('aria-valuetext'),
      document.querySelector('#gain-text').value,
    ]);
  assert.deepEqual(await gain(), shows(11.9));
  for (let i = 0; i < 3; ++i) await page.keyboard.press('PageDown');
  await page.keyboard.press('ArrowLeft');
  assert.deepEqual(await gain(), shows(8.9));
  await page.$eval('#gain-text', (e) => e.select());
  await page.keyboard.type('-6.5 dB');
  await page.keyboard.press('Enter');
  assert.deepEqual(await gain(), shows(-6.5));
  await page.$eval('#gain-text', (e) => e.select());
  await page.keyboard.type('loud');
  await page.keyboard.press('Enter');
  assert.deepEqual(await gain(), shows(-6.5));
  assert.match(await page.$eval('#status', (e) => e.textContent), /InGain takes a level in dB/);
  await page.focus('#gain-default');
  await page.keyboard.press('Enter');
  assert.deepEqual(await gain(), shows(0));

  // Space on Play hands the focus to Stop, which takes over; Space there hands it back.
  const tone = join(folder, 'keys.wav');
  writeFileSync(tone, wavFile({ data: int16Bytes(new Int16Array(8820).fill(3000)) }));
  await openOnPage(tone);
  await page.click('#stop');
  await page.focus('#play');
  await page.keyboard.press(' ');
  await waitFor(() => !document.querySelector('#stop').disabled);
  assert.equal(await focusedId(), 'stop');
  await page.keyboard.press(' ');
  assert.equal(await focusedId(), 'play');
});

// slopecrush-render itself where the default preset has built it: the downloads are compared
// with its output too.
const nativeRender = process.env.SLOPECRUSH_RENDER;
const haveNativeRender = nativeRender && existsSync(nativeRender);

test('files opened on the page download crushed as slopecrush-render writes them, bit for bit', async (t) => {
  const sine = readCase(readCases().find((c) => c.name === 'sine-440'));
  const loud = loudClippedTrack();
  const cut = loud.subarray(0, 2 * 30000);
  const wavRow = (name, samples, options = {}) => ({
    name,
    bytes: wavFile({ data: int16Bytes(samples), ...options }),
    reads: asRendererReads(samples, 2, 16),
  });
  const flacRow = (name, samples, channels, bits = 16) => ({
    name,
    flac: { samples, channels, bits },
    reads: asRendererReads(samples, channels, bits),
  });
  const sineWav = await encodeFloatWav([sine.left, sine.right], kRate).arrayBuffer();
  const rows = [
    { name: 'sine.wav', bytes: Buffer.from(sineWav), reads: [sine.left, sine.right] },
    wavRow('loud.wav', loud),
    wavRow('loud64.wav', loud, { rf64: true }),
    // Its header counts more frames than it holds: what is there is read.
    {
      ...wavRow('cut.wav', cut, { dataSize: 2 * cut.byteLength }),
      about: /It is cut short: its header counts 60000 frames, it holds 30000\./,
    },
    flacRow('loud.flac', loud, 2),
    flacRow('edges.flac', nearFullScale(16), 1),
    flacRow('edges8.flac', nearFullScale(8), 1, 8),
    flacRow('edges24.flac', nearFullScale(24), 1, 24),
  ];
  for (const row of rows) {
    const path = join(folder, row.name);
    if (row.flac) soxWrite(path, row.flac.samples, row.flac);
    else writeFileSync(path, row.bytes);
    await openOnPage(path);
    const status = await page.$eval('#status', (e) => e.textContent);
    assert.equal(status, '', `${row.name}: ${status}`);
    await page.click('#stop');
    const saved = await downloadFromPage(row.name.replace(/\.[^.]*$/, '-crushed.wav'));
    const expected = renderedFile(row.reads, kRate);
    const samples = (file) => new Float32Array(file.buffer.slice(file.byteOffset + 88));
    assert.ok(saved.subarray(0, 88).equals(expected.subarray(0, 88)), `${row.name}: header`);
    const at = firstDifference(samples(saved), samples(expected));
    assert.equal(at, -1, `${row.name}: sample ${at} differs`);
    if (row.about) assert.match(await page.$eval('#about', (e) => e.textContent), row.about);
    if (haveNativeRender) {
      const native = join(folder, 'native.wav');
      execFileSync(nativeRender, ['-q', '--force', path, native, '--format', 'float'], {
        stdio: 'ignore',
      });
      const theirs = readFileSync(native);
      assert.ok(saved.subarray(0, 88).equals(theirs.subarray(0, 88)), `${row.name}: its header`);
      assert.equal(firstDifference(samples(saved), samples(theirs)), -1, row.name);
    }
  }
  t.diagnostic(
    haveNativeRender
      ? `compared with ${nativeRender} as well`
      : 'slopecrush-render not built (preset default): compared with the converter only',
  );
  // The header `slopecrush-render sine.wav out.wav --format float` writes, as it stands.
  const header =
    '524946467062050057415645666d7420100000000300020044ac00002062050008002000666163740400000044ac' +
    '000050414420180000000000000000000000000000000000000000000000000000006461746120620500';
  assert.equal(
    renderedFile([sine.left, sine.right], kRate).subarray(0, 88).toString('hex'),
    header,
  );
});

test('a file the page cannot take names its cause in one line and changes nothing', async (t) => {
  const tone = int16Bytes(Int16Array.from({ length: 2000 }, (_, i) => (i % 50) * 300));
  // 2.5 million empty chunks and nothing else.
  const chunks = Buffer.alloc(12 + 8 * 2_500_000);
  chunks.write('RIFF', 0, 'latin1');
  chunks.writeUInt32LE(chunks.length - 8, 4);
  chunks.write('WAVE', 8, 'latin1');
  for (let at = 12; at < chunks.length; at += 8) chunks.write('junk', at, 'latin1');
  const rows = [
    [
      'broken.wav',
      Buffer.from('RIFF\x24\0\0\0WAVEthis is no sound'),
      /WAV file with no format chunk/,
    ],
    ['empty.wav', wavFile({}), /it holds no sound \(no frames\)/],
    ['nothing.wav', Buffer.alloc(0), /the file is empty/],
    ['slow.wav', wavFile({ rate: 1000, data: tone }), /1000 Hz, is one no browser plays.*render/],
    ['nochannels.wav', wavFile({ channels: 0, frameBytes: 4, data: tone }), /names no channels/],
    ['nobits.wav', wavFile({ bits: 0, frameBytes: 4, data: tone }), /samples of 0 bits/],
    ['norate.wav', wavFile({ rate: 0, data: tone }), /a sample rate of 0 Hz/],
    ['lying.wav', wavFile({ frameBytes: 3, data: tone }), /not add up: 2 channels .* of 3 bytes/],
    ['chunks.wav', chunks, /no format chunk/],
    ['notes.txt', Buffer.from('No sound, only words.\n'.repeat(40)), /not audio this browser/],
    ['tone.aiff', null, /cannot decode AIFF \(slopecrush-render reads it\)/],
  ];
  const opened = join(folder, 'opened.wav');
  writeFileSync(opened, wavFile({ data: tone }));
  await openOnPage(opened);
  const about = await page.$eval('#about', (e) => e.textContent);
  for (const [name, bytes, cause] of rows) {
    if (bytes) writeFileSync(join(folder, name), bytes);
    else soxWrite(join(folder, name), new Int16Array(tone.buffer), { channels: 2 });
    const longest = await watchMainThread(() => openOnPage(join(folder, name)));
    const shown = await page.evaluate(() => ({
      about: document.querySelector('#about').textContent,
      status: document.querySelector('#status').textContent,
    }));
    assert.equal(shown.about, about, name);
    assert.match(shown.status, new RegExp(`^${name.replace('.', '\\.')} could not be opened: `));
    assert.match(shown.status, cause);
    assert.ok(!shown.status.includes('\n'), name);
    if (name === 'chunks.wav')
      t.diagnostic(`2.5 million empty chunks: longest main-thread gap ${longest} ms`);
  }
});

// Runs work while a timer on the page's thread notes the longest gap between two of its ticks:
// answers that gap in ms (what a person would feel as the page freezing).
async function watchMainThread(work) {
  await page.evaluate(() => {
    window.gapWatch = { longest: 0, last: performance.now() };
    window.gapWatch.timer = setInterval(() => {
      const now = performance.now();
      window.gapWatch.longest = Math.max(window.gapWatch.longest, now - window.gapWatch.last);
      window.gapWatch.last = now;
    }, 5);
  });
  await work();
  return page.evaluate(() => {
    clearInterval(window.gapWatch.timer);
    return Math.round(window.gapWatch.longest);
  });
}

test('at a phone’s width nothing scrolls sideways and every control is whole', async () => {
  for (const width of [320, 390]) {
    await page.setViewport({ width, height: 720, deviceScaleFactor: 2 });
    await page.evaluate(
      () => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))),
    );
    const seen = await page.evaluate(() => {
      const outside = [
        ...document.querySelectorAll(
          'button, select, input:not([hidden]), label, canvas, #gain-text',
        ),
      ]
        .filter((e) => e.getBoundingClientRect().width > 0)
        .filter((e) => {
          const box = e.getBoundingClientRect();
          return box.left < 0 || box.right > document.documentElement.clientWidth;
        })
        .map((e) => e.id || e.textContent);
      const readout = document.querySelector('#gain-text');
      const canvas = document.querySelector('#waveform');
      return {
        sideways: document.documentElement.scrollWidth > document.documentElement.clientWidth,
        outside,
        readoutCut: readout.scrollWidth > readout.clientWidth,
        canvasPixelsPerCssPixel: canvas.width / canvas.clientWidth,
      };
    });
    assert.deepEqual(
      seen,
      { sideways: false, outside: [], readoutCut: false, canvasPixelsPerCssPixel: 2 },
      `${width} px`,
    );
  }
  await page.setViewport({ width: 1100, height: 760 });
});

// A 10-minute track at 44.1 kHz, stereo 16-bit WAV (106 MB).
function writeLongTrack(path) {
  const frames = 10 * 60 * kRate;
  const samples = new Int16Array(frames * 2);
  for (let i = 0; i < frames; ++i) {
    const wobble = Math.sin((2 * Math.PI * i) / (5 * kRate));
    samples[2 * i] = Math.round(12000 * Math.sin((2 * Math.PI * 220 * i) / kRate) * wobble);
    samples[2 * i + 1] = Math.round(9000 * Math.sin((2 * Math.PI * 331 * i) / kRate));
  }
  writeFileSync(path, wavFile({ data: int16Bytes(samples) }));
  return samples;
}

// The memory of the browser and all its processes, in MB: their proportional set sizes, so that
// pages they share count once.
function browserMemory() {
  const root = browser.process()?.pid;
  if (!root) return 0;
  const parents = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name)))
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      parents.set(Number(pid), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch {
      // gone meanwhile
    }
  const ours = (pid) => pid === root || (parents.has(pid) && pid > 1 && ours(parents.get(pid)));
  let kilobytes = 0;
  for (const pid of parents.keys())
    if (ours(pid))
      try {
        const rollup = readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8');
        kilobytes += Number(/^Pss:\s+(\d+)/m.exec(rollup)?.[1] ?? 0);
      } catch {
        // gone meanwhile
      }
  return Math.round(kilobytes / 1024);
}

test('a 10-minute track opens, plays and follows a change without freezing the page', async (t) => {
  const path = join(folder, 'long.wav');
  const samples = writeLongTrack(path);
  await page.click('#gain-default');
  const idleMemory = browserMemory();
  let peakMemory = 0;
  const sampler = setInterval(() => (peakMemory = Math.max(peakMemory, browserMemory())), 200);
  const start = performance.now();
  const times = {};
  const gaps = {};
  gaps.opening = await watchMainThread(async () => {
    await (await page.$('#file')).uploadFile(path);
    await waitFor(() => document.querySelector('#about').textContent.startsWith('long'), 60000);
    await waitFor(() => !document.querySelector('#stop').disabled);
    times.playing = performance.now() - start;
  });
  gaps.rendering = await watchMainThread(async () => {
    await waitFor(() => document.querySelector('#progress').hidden, 60000);
    times.rendered = performance.now() - start;
  });
  // A Pitch change: the node that plays takes it at once, the download follows.
  let saved;
  gaps.changing = await watchMainThread(async () => {
    const changed = performance.now();
    await page.select('#pitch', '3');
    // Headless firefox has no audio output to run a context on (see the README).
    if (kBrowser === 'chromium') {
      await waitFor(() => window.crushedNode.parameters.get('pitch').value === 3, 5000);
      times.heard = performance.now() - changed;
    }
    saved = await downloadFromPage('long-crushed.wav');
    times.downloaded = performance.now() - changed;
  });
  clearInterval(sampler);
  await page.click('#stop');
  const s = (ms) => `${(ms / 1000).toFixed(2)} s`;
  t.diagnostic(
    `10-minute WAV in ${kBrowser}: playing after ${s(times.playing)}, waveform and download ` +
      `ready after ${s(times.rendered)}; a Pitch change heard after ${times.heard ? s(times.heard) : '(no audio output)'}, ` +
      `downloaded after ${s(times.downloaded)}; longest main-thread gap ${gaps.opening} ms ` +
      `opening, ${gaps.rendering} ms rendering, ${gaps.changing} ms changing and saving; ` +
      `browser memory (PSS) ${idleMemory} MB before, at most ${peakMemory} MB`,
  );

  assert.equal(saved.length, 88 + samples.length * 4);
  const [out] = render(
    newConverter(),
    ...asRendererReads(samples, 2, 16),
    [{ frame: 0, set: (wasm) => wasm.slopecrush_set_parameter(1, 3) }],
    () => 8192,
  );
  const got = new Float32Array(saved.buffer.slice(saved.byteOffset + 88));
  const [left, right] = asRendererReads(got, 2, 1);
  assert.equal(firstDifference(left, out), -1, 'the download is the renderer’s');
  assert.equal(firstDifference(right, left), -1, 'both channels alike');
});

test(
  'a live input plays through the node, with its latency; a refused one says so',
  { skip: onlyChromium },
  async () => {
    await page.click('#through');
    await waitFor(() => document.querySelector('#about').textContent.startsWith('Playing'));
    assert.match(
      await page.$eval('#about', (e) => e.textContent),
      /Latency \d+ ms, as the browser reports it\.$/,
    );
    assert.equal(await page.$eval('#through', (e) => e.getAttribute('aria-pressed')), 'true');
    // The fake device's tone, crushed.
    await waitFor(() => {
      const samples = new Float32Array(2048);
      window.crushedTap.getFloatTimeDomainData(samples);
      return samples.some((v) => Math.abs(v) > 0.05);
    }, 10000);
    await page.click('#stop');
    assert.equal(await page.$eval('#through', (e) => e.getAttribute('aria-pressed')), 'false');

    const refusing = await browser.createBrowserContext();
    await refusing.overridePermissions(origin, []); // every permission refused
    const other = await refusing.newPage();
    await other.goto(`${origin}/index.html`);
    await other.waitForSelector('body[data-ready]');
    await other.click('#through');
    await other.waitForFunction(() =>
      document.querySelector('#status').classList.contains('error'),
    );
    assert.match(
      await other.$eval('#status', (e) => e.textContent),
      /^The microphone or line input was refused/,
    );
    await refusing.close();
  },
);

test('the demo plays and is drawn; a screenshot goes into the build folder', async () => {
  await page.click('#demo');
  await waitFor(() => document.querySelector('#about').textContent.startsWith('The demo'));
  await waitFor(() => document.querySelector('#progress').hidden);
  await page.click('#dry');
  if (kBrowser === 'chromium')
    await page.screenshot({ path: process.env.SLOPECRUSH_SCREENSHOT, fullPage: true });
  await page.click('#crushed');
  await page.click('#stop');
});

test('the page threw and logged no error', () => assert.deepEqual(errors, []));
