// The picture of the sound: the dry signal above, the crushed one below, each as the range of its
// samples under every column of pixels, from their peaks (peaks.js). The canvas is drawn at the
// size it is shown at, in device pixels, so its labels keep their size on a phone.
import { kColumns } from './peaks.js';

const kLabelPixels = 13; // CSS pixels

function drawLane(context, peaks, top, height, colour) {
  const width = context.canvas.width;
  const middle = top + height / 2;
  context.fillStyle = colour;
  for (let x = 0; x < width; ++x) {
    const from = Math.floor((x * kColumns) / width);
    const to = Math.max(from + 1, Math.floor(((x + 1) * kColumns) / width));
    let low = 0;
    let high = 0;
    for (let i = from; i < to; ++i) {
      low = Math.min(low, peaks.low[i]);
      high = Math.max(high, peaks.high[i]);
    }
    const y = middle - (high * height) / 2;
    context.fillRect(x, y, 1, Math.max(1, ((high - low) * height) / 2));
  }
}

// Draws the peaks of dry and crushed (either null while it is being made); note is said after
// "crushed" meanwhile ("rendering… 40 %").
export function drawWaveforms(canvas, dry, crushed, note = '') {
  const scale = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * scale));
  const height = Math.max(1, Math.round(canvas.clientHeight * scale));
  if (canvas.width !== width || canvas.height !== height)
    [canvas.width, canvas.height] = [width, height];
  const context = canvas.getContext('2d');
  const lane = height / 2;
  context.fillStyle = '#1b1f24';
  context.fillRect(0, 0, width, height);
  context.fillStyle = '#3a4048';
  context.fillRect(0, Math.floor(lane), width, Math.max(1, Math.round(scale)));
  if (dry) drawLane(context, dry, 0, lane, '#6cb6ff');
  if (crushed) drawLane(context, crushed, lane, lane, '#ff9e64');
  context.font = `${kLabelPixels * scale}px system-ui, sans-serif`;
  context.textBaseline = 'top';
  context.fillStyle = '#e6edf3';
  const margin = 6 * scale;
  context.fillText('dry', margin, margin);
  context.fillText(crushed || !dry ? 'crushed' : `crushed: ${note}`, margin, lane + margin);
}
