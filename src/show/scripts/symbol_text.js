// SPDX-License-Identifier: GPL-3.0-or-later
// Runs in the page: each element whose font list starts with a recoded family has the
// characters it holds itself (not those of a deeper run with a family of its own) replaced.
// The symbols the browser draws are not as wide as those the suite laid the line out with (it
// draws the font's own symbols from OpenSymbol's private area), so a line holding them would
// end elsewhere than the suite ends it, past its box when they are wider. Where the show marks
// a paragraph with its text area and alignment (data-text-area, from the deck), the recoded runs
// of each of its lines are spaced closer or wider so that the line ends where the suite ends
// it: at the area's right edge when aligned there, as far right of the middle as it starts left
// of it when centred, and otherwise no further than the right edge.
(function (tables) {
  function first(list) { return (list || '').split(',')[0].trim().replace(/^['"]|['"]$/g, '').toLowerCase(); }
  function end(line) {
    var text = line.textContent.replace(/\s+$/, '');
    return text ? line.getEndPositionOfChar(text.length - 1).x : NaN;
  }
  function fit(line, runs) {
    var area = line.closest('[data-text-area]').getAttribute('data-text-area').split(' ');
    var left = parseFloat(area[0]), right = parseFloat(area[1]), align = area[2];
    var count = 0;
    runs.forEach(function (run) { count += run.textContent.length; });
    try {
      var start = line.getStartPositionOfChar(0).x;
      // The spacing after a line's last character may or may not count in its end: a second
      // pass takes up what the first left.
      for (var pass = 0; pass < 2 && count; ++pass) {
        var now = end(line);
        var wanted = align === 'end' || align === 'right' ? right : align === 'center' ? left + right - start : Math.min(now, right);
        var change = (wanted - now) / count;
        if (!isFinite(change) || Math.abs(change) < 0.01) return;
        runs.forEach(function (run) {
          run.style.letterSpacing = ((parseFloat(getComputedStyle(run).letterSpacing) || 0) + change) + 'px';
        });
      }
    } catch (e) {}
  }
  var lines = new Map();
  document.querySelectorAll('[font-family]').forEach(function (element) {
    var table = tables[first(element.getAttribute('font-family'))];
    if (!table) return;
    var walker = document.createTreeWalker(element, NodeFilter.SHOW_TEXT);
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      if (node.parentNode.closest('[font-family]') !== element) continue;
      node.data = node.data.replace(/[\u0021-\u00ff\uf021-\uf0ff]/g, function (c) {
        // A code of the private area the table leaves out is the font's own ASCII or Latin-1.
        var code = c.charCodeAt(0) & 0xff;
        return table[code] || String.fromCharCode(code);
      });
      var line = node.parentNode.closest('tspan.TextPosition');
      if (!line || !line.closest('[data-text-area]')) continue;
      if (!lines.has(line)) lines.set(line, []);
      if (lines.get(line).indexOf(node.parentNode) < 0) lines.get(line).push(node.parentNode);
    }
  });
  lines.forEach(function (runs, line) { fit(line, runs); });
})
