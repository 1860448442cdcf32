// The try-it page: open a file or the demo, set the two controls, listen dry or crushed, look at
// both, and download the crushed file as the renderer would write it.
import { createSlopeCrushNode, loadSlopeCrushTexts } from './slopecrush.js';
import { decodeAudioFile } from './audiofile.js';
import { makeDemo } from './demo.js';
import { drawWaveforms } from './waveform.js';
import { encodeFloatWav } from './wavwriter.js';

const $ = (id) => document.getElementById(id);
const ui = {
  file: $('file'),
  demo: $('demo'),
  status: $('status'),
  about: $('about'),
  gain: $('gain'),
  gainText: $('gain-text'),
  pitch: $('pitch'),
  play: $('play'),
  stop: $('stop'),
  crushed: $('crushed'),
  dry: $('dry'),
  download: $('download'),
  canvas: $('waveform'),
};

const kSwitchSeconds = 0.015; // the dry/crushed crossfade: short, without a click
const texts = await loadSlopeCrushTexts();
const facts = Object.fromEntries(texts.parameters.map((p) => [p.name, p]));

let sound = null; // { buffer, name }: what plays, at most two channels at the file's own rate
let crushed = null; // the offline render of sound at the settings in renderedFor
let renderedFor = '';
let live = null; // { context, node, dry, wet, source }

function settings() {
  return { gain: Number(ui.gain.value), pitch: Number(ui.pitch.value) };
}

function showStatus(line, isError = false) {
  ui.status.textContent = line;
  ui.status.classList.toggle('error', isError);
}

// The controls, with the plug-in's names, ranges, defaults and texts.
for (const { name, label } of texts.parameters)
  document.querySelector(`label[for=${name}]`).textContent = label;
ui.gain.min = facts.gain.min;
ui.gain.max = facts.gain.max;
ui.gain.value = facts.gain.defaultValue;
for (let index = facts.pitch.min; index <= facts.pitch.max; ++index)
  ui.pitch.add(new Option(texts.valueText('pitch', index), index));
ui.pitch.value = facts.pitch.defaultValue;

function showGain() {
  ui.gainText.value = texts.valueText('gain', Number(ui.gain.value));
}
showGain();

// The crushed sound through the same node in an OfflineAudioContext at the sound's own rate.
async function renderCrushed(buffer, { gain, pitch }) {
  const context = new OfflineAudioContext(2, buffer.length, buffer.sampleRate);
  const node = await createSlopeCrushNode(context);
  node.parameters.get('gain').value = gain;
  node.parameters.get('pitch').value = pitch;
  const source = new AudioBufferSourceNode(context, { buffer });
  source.connect(node).connect(context.destination);
  source.start();
  return context.startRendering();
}

// The crushed render for the sound and settings of the moment, made again when either changed: a
// promise of it (null when rendering failed). One render runs at a time; changes that come
// meanwhile are rendered after it.
let refreshing = null;
let changedMeanwhile = false;
function refreshCrushed() {
  if (refreshing) {
    changedMeanwhile = true;
    return refreshing;
  }
  // Cleared only once the loop has settled (a loop with nothing to do settles at once).
  refreshing = renderUntilCurrent().finally(() => {
    refreshing = null;
    if (changedMeanwhile) refreshCrushed();
  });
  return refreshing;
}

async function renderUntilCurrent() {
  try {
    do {
      changedMeanwhile = false;
      const key = JSON.stringify(settings());
      const wanted = sound;
      if (!wanted || (crushed && renderedFor === key)) break;
      crushed = null;
      drawWaveforms(ui.canvas, wanted.buffer, null);
      const result = await renderCrushed(wanted.buffer, settings());
      if (wanted !== sound || JSON.stringify(settings()) !== key) changedMeanwhile = true;
      else [crushed, renderedFor] = [result, key];
    } while (changedMeanwhile);
    if (crushed) drawWaveforms(ui.canvas, sound.buffer, crushed);
    return crushed;
  } catch (error) {
    showStatus(`Rendering failed: ${error.message}`, true);
    return null;
  }
}

// The crushed render of what is open now, at the settings of now; null when rendering failed.
async function currentCrushed() {
  for (;;) {
    const result = await refreshCrushed();
    if (!result || (result === crushed && renderedFor === JSON.stringify(settings())))
      return result;
  }
}

let refreshTimer = 0;
function settingsChanged() {
  const { gain, pitch } = settings();
  if (live) {
    const now = live.context.currentTime;
    live.node.parameters.get('gain').setValueAtTime(gain, now);
    live.node.parameters.get('pitch').setValueAtTime(pitch, now);
  }
  clearTimeout(refreshTimer);
  refreshTimer = setTimeout(refreshCrushed, 250);
}

ui.gain.addEventListener('input', () => {
  showGain();
  settingsChanged();
});
ui.pitch.addEventListener('change', settingsChanged);

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

// A context at the sound's own rate, so what plays is what the download holds.
async function liveGraph(sampleRate) {
  if (live && live.context.sampleRate === sampleRate) return live;
  if (live) await live.context.close();
  const context = new AudioContext({ sampleRate, latencyHint: 'playback' });
  const node = await createSlopeCrushNode(context);
  const dry = new GainNode(context, { gain: 0 });
  const wet = new GainNode(context, { gain: 0 });
  node.connect(wet).connect(context.destination);
  dry.connect(context.destination);
  live = { context, node, dry, wet, source: null };
  settingsChanged();
  applyPath(true);
  return live;
}

function stop() {
  if (live && live.source) {
    live.source.stop();
    live.source.disconnect();
    live.source = null;
  }
  ui.play.disabled = !sound;
  ui.stop.disabled = true;
}

async function play() {
  if (!sound) return;
  stop();
  const graph = await liveGraph(sound.buffer.sampleRate);
  await graph.context.resume();
  const source = new AudioBufferSourceNode(graph.context, { buffer: sound.buffer, loop: true });
  source.connect(graph.dry);
  source.connect(graph.node);
  source.start();
  graph.source = source;
  ui.play.disabled = true;
  ui.stop.disabled = false;
}
ui.play.addEventListener('click', play);
ui.stop.addEventListener('click', stop);

function use(buffer, name, about) {
  stop();
  sound = { buffer, name };
  crushed = null;
  ui.about.textContent = about;
  ui.download.disabled = false;
  ui.play.disabled = false;
  showStatus('');
  refreshCrushed();
}

async function openFile(file) {
  showStatus(`Opening ${file.name}…`);
  let decoded;
  try {
    decoded = await decodeAudioFile(await file.arrayBuffer());
  } catch {
    // One line, and the sound already open stays as it was.
    showStatus(`${file.name} could not be opened: this browser cannot decode it as audio.`, true);
    return;
  }
  const { buffer, sourceChannels, rateKnown } = decoded;
  const seconds = (buffer.length / buffer.sampleRate).toFixed(1);
  let about = `${file.name}: ${seconds} s, ${buffer.sampleRate} Hz, `;
  about += sourceChannels === 1 ? 'mono (it feeds both inputs).' : 'stereo.';
  if (sourceChannels > 2)
    about = `${file.name}: ${seconds} s, ${buffer.sampleRate} Hz. It has ${sourceChannels} channels; SlopeCrush uses the first two (left and right).`;
  if (!rateKnown)
    about += ' Its sample rate could not be read, so it is played and saved at 44100 Hz.';
  use(buffer, file.name.replace(/\.[^.]*$/, ''), about);
  await play();
}

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
  use(demo, 'slopecrush-demo', 'The demo: two bars of chords, bass, drums and a sweep, 44100 Hz.');
  await play();
});

ui.download.addEventListener('click', async () => {
  if (!sound) return;
  showStatus('Rendering…');
  const result = await currentCrushed();
  if (!result) return; // the failure is on the page
  const wav = encodeFloatWav(
    [result.getChannelData(0), result.getChannelData(1)],
    result.sampleRate,
  );
  const link = document.createElement('a');
  link.href = URL.createObjectURL(wav);
  link.download = `${sound.name}-crushed.wav`;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  showStatus(`Saved ${link.download}.`);
});

drawWaveforms(ui.canvas, null, null);
document.body.dataset.ready = 'true';
