// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed, before the show's onload start, so that the show's copies of a
// paragraph (for its animations) carry the spacing too. It measures the lines as the browser
// sets them, with the faces it draws, and spreads only the word spaces, as the suite does.
(function (plan) {
  function spread(chunk, right) {
    var text = chunk.textContent;
    var n = text.replace(/\s+$/, '').length;
    var gaps = (text.slice(0, n).match(/[ \u00a0]/g) || []).length;
    if (!n || !gaps) return;
    try {
      var start = chunk.getStartPositionOfChar(0).x;
      var room = right - chunk.getEndPositionOfChar(n - 1).x;
      // A short line before a hard break is spread over the whole width too, but never
      // beyond the box it starts in.
      if (room > 0 && room < right - start) chunk.style.wordSpacing = (room / gaps) + 'px';
    } catch (e) {}
  }
  deckrecPlanned.paragraphs(plan, function (paragraph, p) {
    // The lines of the paragraph: its positioned pieces, by baseline.
    var lines = [];
    paragraph.querySelectorAll('tspan.TextPosition').forEach(function (chunk) {
      if (chunk.querySelector('.BulletPlaceholder')) return;
      var y = chunk.getAttribute('y');
      if (!lines.length || lines[lines.length - 1].y !== y) lines.push({ y: y, chunks: [] });
      lines[lines.length - 1].chunks.push(chunk);
    });
    lines.forEach(function (line, n) {
      // The suite spreads a line ended by a hard break too; only the last stays as it is.
      if (n === lines.length - 1 && !p.l) return;
      if (line.chunks.length === 1) spread(line.chunks[0], p.r);
    });
  });
})
