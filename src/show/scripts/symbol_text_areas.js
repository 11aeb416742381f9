// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed: the paragraph elements of the show's pages get their text area,
// which the served page's symbol script reads once it has recoded their symbols.
(function (plan) {
  function squeeze(s) { return s.replace(/\s+/g, ''); }
  document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
    var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
    if (!wanted) return;
    page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
      var text = squeeze(paragraph.textContent);
      for (var i = 0; i < wanted.length; ++i)
        if (wanted[i].t === text) {
          var p = wanted.splice(i, 1)[0];
          paragraph.setAttribute('data-text-area', p.l + ' ' + p.r + ' ' + p.a);
          return;
        }
    });
  });
})
