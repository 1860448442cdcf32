// The try-it page: open a file or the demo, or play a live input through the effect, set the two
// controls, listen dry or crushed, look at both, and download the crushed file as the renderer
// would write it. What plays runs through the effect's node live, so a change is heard at once;
// the waveform and the download are rendered in the background (offlinerender.js).
import { createSlopeCrushNode, loadSlopeCrushTexts } from './slopecrush.js';
import { decodeAudioFile } from './audiofile.js';
import { makeDemo } from './demo.js';
import { OfflineRender } from './offlinerender.js';
import { Unreadable } from './unreadable.js';
import { drawWaveforms } from './waveform.js';

const $ = (id) => document.getElementById(id);
const ui = {
  open: $('open'),
  file: $('file'),
  demo: $('demo'),
  through: $('through'),
  status: $('status'),
  about: $('about'),
  gain: $('gain'),
  gainText: $('gain-text'),
  gainDefault: $('gain-default'),
  pitch: $('pitch'),
  play: $('play'),
  stop: $('stop'),
  crushed: $('crushed'),
  dry: $('dry'),
  download: $('download'),
  progress: $('progress'),
  canvas: $('waveform'),
};

const kSwitchSeconds = 0.015; // the dry/crushed crossfade: short, without a click
const kRenderDelayMs = 150; // a slider drag renders once it rests
const kGainSteps = { ArrowUp: 0.1, ArrowRight: 0.1, ArrowDown: -0.1, ArrowLeft: -0.1 };
const kGainPageStep = 1; // dB, for Page Up and Page Down

const texts = await loadSlopeCrushTexts();
// The controls by the index of their parameter in the plug-in's table: InGain, then Pitch.
const controls = [ui.gain, ui.pitch];
const [gainFacts, pitchFacts] = texts.parameters;
const offline = new OfflineRender();

// What plays, at most two channels at its own rate: { buffer, name, dry (its peaks), loaded (a
// promise settled once the background render has its copy) }.
let sound = null;
let crushed = null; // { key, blob, peaks }: the background render of sound at the settings key
let rendering = null; // { key, promise } of the render running
let progressNote = '';
let live = null; // { context, node, dry, wet, kind, source, stream }

function values() {
  return controls.map((control) => Number(control.value));
}

function showStatus(line, isError = false) {
  ui.status.textContent = line;
  ui.status.classList.toggle('error', isError);
}

function draw() {
  drawWaveforms(ui.canvas, sound?.dry ?? null, crushed?.peaks ?? null, progressNote);
}
new ResizeObserver(draw).observe(ui.canvas);

// The controls, with the plug-in's names, ranges, defaults and texts.
texts.parameters.forEach(({ label }, index) => {
  document.querySelector(`label[for=${controls[index].id}]`).textContent = label;
});
ui.gain.min = gainFacts.min;
ui.gain.max = gainFacts.max;
ui.gain.value = gainFacts.defaultValue;
for (let index = pitchFacts.min; index <= pitchFacts.max; ++index)
  ui.pitch.add(new Option(texts.valueText(pitchFacts.name, index), index));
ui.pitch.value = pitchFacts.defaultValue;
const defaultGainText = texts.valueText(gainFacts.name, gainFacts.defaultValue);
ui.gainDefault.setAttribute('aria-label', `${gainFacts.label} back to ${defaultGainText}`);
ui.gainDefault.title = `back to ${defaultGainText}`;
ui.gainText.setAttribute('aria-label', `${gainFacts.label} in dB, to type`);

function showGain() {
  const text = texts.valueText(gainFacts.name, Number(ui.gain.value));
  ui.gainText.value = text;
  ui.gain.setAttribute('aria-valuetext', text);
}
showGain();

function setGain(value) {
  ui.gain.value = Math.min(gainFacts.max, Math.max(gainFacts.min, value));
  showGain();
  settingsChanged();
}

// The graph of what plays and the background render follow every change: the first at once,
// the second once the change rests.
let renderTimer = 0;
function settingsChanged() {
  if (live) {
    const now = live.context.currentTime;
    texts.parameters.forEach(({ name }, index) =>
      live.node.parameters.get(name).setValueAtTime(values()[index], now),
    );
  }
  clearTimeout(renderTimer);
  renderTimer = setTimeout(() => refreshCrushed().catch(() => {}), kRenderDelayMs);
}

ui.gain.addEventListener('input', () => {
  showGain();
  settingsChanged();
});
// Musical steps: 0.1 dB on the grid of tenths, a dB with the Page keys, the ends with Home/End.
ui.gain.addEventListener('keydown', (event) => {
  const current = Number(ui.gain.value);
  let value = null;
  if (event.key in kGainSteps) value = Math.round((current + kGainSteps[event.key]) * 10) / 10;
  if (event.key === 'PageUp') value = Math.round(current + kGainPageStep);
  if (event.key === 'PageDown') value = Math.round(current - kGainPageStep);
  if (event.key === 'Home') value = gainFacts.min;
  if (event.key === 'End') value = gainFacts.max;
  if (value === null) return;
  event.preventDefault();
  setGain(value);
});
ui.gainText.addEventListener('change', () => {
  const typed = texts.valueFromText(gainFacts.name, ui.gainText.value);
  if (typed === null) {
    showStatus(
      `${gainFacts.label} takes a level in dB, from ${gainFacts.min} to ${gainFacts.max}, or -inf.`,
      true,
    );
    showGain();
    return;
  }
  showStatus('');
  setGain(typed);
});
ui.gainText.addEventListener('keydown', (event) => {
  if (event.key === 'Escape') showGain();
});
ui.gainDefault.addEventListener('click', () => setGain(gainFacts.defaultValue));
ui.pitch.addEventListener('change', settingsChanged);

// The background render of the sound at the settings of now: a promise of crushed, or of null
// when a newer sound or change replaced it; rejects when rendering failed. A render already
// running for the same settings is shared, one for others is replaced.
function refreshCrushed() {
  const key = JSON.stringify(values());
  if (!sound) return Promise.resolve(null);
  if (crushed?.key === key) return Promise.resolve(crushed);
  if (rendering?.key === key) return rendering.promise;
  const wanted = sound;
  const showProgress = (done) => {
    progressNote = `rendering… ${Math.floor(done * 100)} %`;
    ui.progress.value = done;
    draw();
  };
  showProgress(0);
  ui.progress.hidden = false;
  const promise = wanted.loaded
    .then(() => (wanted === sound ? offline.render(values(), showProgress) : null))
    .then((result) => {
      if (!result || wanted !== sound || key !== JSON.stringify(values())) return null;
      crushed = { key, ...result };
      return crushed;
    })
    .finally(() => {
      if (rendering?.promise !== promise) return;
      rendering = null;
      progressNote = '';
      ui.progress.hidden = true;
      draw();
    });
  promise.catch((error) => showStatus(`Rendering failed: ${error.message}`, true));
  rendering = { key, promise };
  crushed = null;
  draw();
  return promise;
}

// Both paths run all the time; the switch only fades one out and the other in.
function applyPath(immediately = false) {
  if (!live) return;
  const now = live.context.currentTime;
  const wet = ui.crushed.checked ? 1 : 0;
  for (const [gain, value] of [
    [live.wet.gain, wet],
    [live.dry.gain, 1 - wet],
  ]) {
    gain.cancelScheduledValues(now);
    if (immediately) gain.setValueAtTime(value, now);
    else gain.setTargetAtTime(value, now, kSwitchSeconds / 3);
  }
}
ui.crushed.addEventListener('change', () => applyPath());
ui.dry.addEventListener('change', () => applyPath());

// A context for a kind of source: a file plays at its own rate, so what plays is what the
// download holds; a live input at the rate the browser picks for its device. One graph at a time:
// a request for the kind being made shares it.
let making = null; // { kind, promise } of the graph made last
function liveGraph(kind, options) {
  if (making?.kind === kind) return making.promise;
  stop();
  live?.context.close().catch(() => {});
  live = null;
  const promise = (async () => {
    const context = new AudioContext(options);
    const node = await createSlopeCrushNode(context);
    const dry = new GainNode(context, { gain: 0 });
    const wet = new GainNode(context, { gain: 0 });
    node.connect(wet).connect(context.destination);
    dry.connect(context.destination);
    const graph = { context, node, dry, wet, kind, source: null, stream: null };
    if (making?.promise === promise) live = graph;
    else context.close().catch(() => {}); // another kind was asked for meanwhile
    settingsChanged();
    applyPath(true);
    return graph;
  })();
  making = { kind, promise };
  promise.catch(() => {
    if (making?.promise === promise) making = null;
  });
  return promise;
}

// Play, Stop and Play through it as the state is; a focused button that is disabled hands the
// focus to the one that takes over from it, rather than dropping it to the page.
function showTransport() {
  const focused = document.activeElement;
  const playing = Boolean(live?.source);
  ui.play.disabled = !sound || playing;
  ui.stop.disabled = !playing;
  ui.through.setAttribute('aria-pressed', String(Boolean(live?.stream)));
  if (focused?.disabled) {
    const heirs = focused === ui.play ? [ui.stop, ui.through] : [ui.play, ui.through];
    heirs.find((button) => !button.disabled)?.focus();
  }
}

function stop() {
  if (live?.source) {
    if (live.source.stop) live.source.stop();
    live.source.disconnect();
    live.source = null;
  }
  if (live?.stream) {
    for (const track of live.stream.getTracks()) track.stop();
    live.stream = null;
  }
  showTransport();
}

async function play() {
  if (!sound) return;
  stop();
  const graph = await liveGraph(`file@${sound.buffer.sampleRate}`, {
    sampleRate: sound.buffer.sampleRate,
    latencyHint: 'playback',
  });
  if (graph !== live || !sound) return; // another kind of graph was asked for meanwhile
  stop(); // what started playing while the graph was being made
  // Not waited for: a browser with no audio output to open never resumes, and the sound then
  // simply starts whenever it does.
  graph.context.resume().catch(() => {});
  const source = new AudioBufferSourceNode(graph.context, { buffer: sound.buffer, loop: true });
  source.connect(graph.dry);
  source.connect(graph.node);
  source.start();
  graph.source = source;
  showTransport();
}
ui.play.addEventListener('click', play);
ui.stop.addEventListener('click', stop);

// Why a live input could not be opened, in one line.
function refusedInput(error) {
  if (error?.name === 'NotAllowedError' || error?.name === 'SecurityError')
    return 'The microphone or line input was refused: allow it for this page in the browser to play through it.';
  if (error?.name === 'NotFoundError') return 'No microphone or line input was found.';
  return `The input could not be opened: ${error?.message ?? error}.`;
}

// A microphone or line input through the effect, live: raw, as the device gives it.
async function playThrough() {
  if (live?.stream) {
    stop();
    return;
  }
  if (!navigator.mediaDevices?.getUserMedia) {
    showStatus('Live input needs the page served over https or from this computer.', true);
    return;
  }
  let stream;
  try {
    stream = await navigator.mediaDevices.getUserMedia({
      audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false },
    });
  } catch (error) {
    showStatus(refusedInput(error), true);
    return;
  }
  stop();
  const graph = await liveGraph('input', { latencyHint: 'interactive' });
  if (graph !== live) {
    for (const track of stream.getTracks()) track.stop();
    return;
  }
  stop(); // what started playing while the graph was being made
  await graph.context.resume();
  const source = new MediaStreamAudioSourceNode(graph.context, { mediaStream: stream });
  source.connect(graph.dry);
  source.connect(graph.node);
  [graph.source, graph.stream] = [source, stream];
  const [track] = stream.getAudioTracks();
  const seconds = [
    track.getSettings().latency ?? 0,
    graph.context.baseLatency ?? 0,
    graph.context.outputLatency ?? 0,
  ];
  const ms = Math.round(seconds.reduce((sum, s) => sum + s, 0) * 1000);
  ui.about.textContent =
    `Playing ${track.label || 'the input'} through SlopeCrush at ${graph.context.sampleRate} Hz. ` +
    `Latency ${ms} ms, as the browser reports it.`;
  showStatus('');
  showTransport();
}
ui.through.addEventListener('click', playThrough);

// Makes buffer the sound of the page, and answers once the background render has its copy. That
// comes before it plays: once a source plays an AudioBuffer, Firefox hands its samples to the
// audio thread, and reading them again copies them whole.
async function use(buffer, name, about) {
  stop();
  const mine = { buffer, name, dry: null, loaded: offline.load(buffer) };
  sound = mine;
  crushed = null;
  ui.about.textContent = about;
  ui.download.disabled = false;
  showStatus('');
  refreshCrushed().catch(() => {});
  const { peaks } = await mine.loaded;
  peaks.then(
    (dry) => {
      if (sound === mine) mine.dry = dry;
      draw();
    },
    () => {}, // the render that waits for it says so
  );
}

function describe(fileName, { buffer, sourceChannels, rateKnown, asRenderer, promisedFrames }) {
  const seconds = (buffer.length / buffer.sampleRate).toFixed(1);
  let about = `${fileName}: ${seconds} s, ${buffer.sampleRate} Hz, `;
  about += sourceChannels === 1 ? 'mono (it feeds both inputs).' : 'stereo.';
  if (sourceChannels > 2)
    about = `${fileName}: ${seconds} s, ${buffer.sampleRate} Hz. It has ${sourceChannels} channels; SlopeCrush uses the first two (left and right).`;
  if (promisedFrames > buffer.length)
    about += ` It is cut short: its header counts ${promisedFrames} frames, it holds ${buffer.length}.`;
  if (!rateKnown)
    about += ' Its sample rate could not be read, so it is played and saved at 44100 Hz.';
  if (!asRenderer)
    about +=
      ' Decoded by this browser, so the download may differ slightly from slopecrush-render’s.';
  return about;
}

let opening = 0; // the newest file asked for; an older one still opening is dropped
async function openFile(file) {
  const mine = ++opening;
  showStatus(`Opening ${file.name}…`);
  let decoded;
  try {
    decoded = await decodeAudioFile(file);
  } catch (error) {
    // One line, and the sound already open stays as it was.
    const cause =
      error instanceof Unreadable ? error.message : `it could not be read (${error.message})`;
    if (mine === opening) showStatus(`${file.name} could not be opened: ${cause}.`, true);
    return;
  }
  if (mine !== opening) return;
  await use(decoded.buffer, file.name.replace(/\.[^.]*$/, ''), describe(file.name, decoded));
  if (mine === opening) await play();
}

ui.open.addEventListener('click', () => ui.file.click());
ui.file.addEventListener('change', () => {
  if (ui.file.files.length > 0) openFile(ui.file.files[0]);
  ui.file.value = '';
});
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dropping');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dropping');
  if (event.dataTransfer.files.length > 0) openFile(event.dataTransfer.files[0]);
});

ui.demo.addEventListener('click', async () => {
  let demo;
  try {
    demo = await makeDemo();
  } catch (error) {
    showStatus(`The demo could not be made: ${error.message}`, true);
    return;
  }
  await use(
    demo,
    'slopecrush-demo',
    'The demo: two bars of chords, bass, drums and a sweep, 44100 Hz.',
  );
  await play();
});

ui.download.addEventListener('click', async () => {
  if (!sound) return;
  const showProgress = () =>
    showStatus(`Rendering the download… ${progressNote.replace(/^\D*/, '')}`);
  showProgress();
  const watching = setInterval(showProgress, 200);
  let result = null;
  try {
    // Again while a change replaces the render under way.
    while (!result) result = await refreshCrushed();
  } catch {
    return; // the failure is on the page
  } finally {
    clearInterval(watching);
  }
  const link = document.createElement('a');
  link.href = URL.createObjectURL(result.blob);
  link.download = `${sound.name}-crushed.wav`;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  showStatus(`Saved ${link.download}.`);
});

showTransport();
draw();
document.body.dataset.ready = 'true';
