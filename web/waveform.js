// The picture of the sound: the dry signal above, the crushed one below, each as the range of its
// samples (both channels) under every column of pixels.

function drawLane(context, buffer, top, height, colour) {
  const width = context.canvas.width;
  const channels = Array.from({ length: buffer.numberOfChannels }, (_, c) =>
    buffer.getChannelData(c),
  );
  const middle = top + height / 2;
  context.fillStyle = colour;
  for (let x = 0; x < width; ++x) {
    const from = Math.floor((x * buffer.length) / width);
    const to = Math.max(from + 1, Math.floor(((x + 1) * buffer.length) / width));
    let low = 0;
    let high = 0;
    for (const samples of channels)
      for (let i = from; i < to && i < samples.length; ++i) {
        // NaN and beyond full scale are drawn at the lane's edge.
        const value = Math.max(-1, Math.min(1, samples[i] || 0));
        if (value < low) low = value;
        if (value > high) high = value;
      }
    const y = middle - (high * height) / 2;
    context.fillRect(x, y, 1, Math.max(1, ((high - low) * height) / 2));
  }
}

// Draws dry (an AudioBuffer) and crushed (an AudioBuffer or null while it is being made).
export function drawWaveforms(canvas, dry, crushed) {
  const context = canvas.getContext('2d');
  const { width, height } = canvas;
  const lane = height / 2;
  context.clearRect(0, 0, width, height);
  context.font = '13px system-ui, sans-serif';
  context.textBaseline = 'top';
  context.fillStyle = '#1b1f24';
  context.fillRect(0, 0, width, height);
  context.fillStyle = '#3a4048';
  context.fillRect(0, lane, width, 1);
  if (dry) drawLane(context, dry, 0, lane, '#6cb6ff');
  if (crushed) drawLane(context, crushed, lane, lane, '#ff9e64');
  context.fillStyle = '#e6edf3';
  context.fillText('dry', 8, 6);
  context.fillText(crushed || !dry ? 'crushed' : 'crushed: rendering…', 8, lane + 6);
}
