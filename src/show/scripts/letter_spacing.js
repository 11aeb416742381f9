// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed, before the justify script measures the lines and before the
// show's copies of a paragraph are made. The spacing is in the show's units, as the page's
// font sizes are, so it scales with the slide.
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
    var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
    if (!wanted) return;
    page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
      var text = squeeze(paragraph.textContent);
      var found = -1;
      for (var i = 0; i < wanted.length && found < 0; ++i) if (wanted[i].t === text) found = i;
      if (found < 0) return;
      var ranges = wanted.splice(found, 1)[0].s;
      var at = 0;
      paragraph.querySelectorAll('tspan').forEach(function (run) {
        if (run.querySelector('tspan') || run.classList.contains('BulletPlaceholder')) return;
        var length = squeeze(run.textContent).length;
        if (!length) return;
        for (var r = 0; r < ranges.length; ++r)
          if (at >= ranges[r][0] && at < ranges[r][1]) { run.style.letterSpacing = ranges[r][2] + 'px'; break; }
        at += length;
      });
    });
  });
})
