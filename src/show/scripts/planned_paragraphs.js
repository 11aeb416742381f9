// SPDX-License-Identifier: GPL-3.0-or-later
// What the layout scripts share: finding the paragraphs their plan names, and the runs of a
// paragraph that stand in given ranges of its characters. A plan lists, under each slide's
// letters and digits (the show writes a slide's name as an identifier), entries whose t is a
// paragraph's text without white space; each entry goes to the first paragraph of that text
// on its slide that no entry has taken yet. Put into the show once, before the scripts that
// use it.
window.deckrecPlanned = window.deckrecPlanned || {
  squeeze: function (s) { return s.replace(/\s+/g, ''); },
  // fn(paragraph, entry) for each paragraph an entry of the plan names.
  paragraphs: function (plan, fn) {
    var squeeze = this.squeeze;
    document.querySelectorAll('g.SlideGroup g.Page').forEach(function (page) {
      var wanted = plan[(page.getAttribute('ooo:name') || '').replace(/[^\p{L}\p{N}]/gu, '')];
      if (!wanted) return;
      page.querySelectorAll('tspan.TextParagraph, tspan.ListItem').forEach(function (paragraph) {
        var text = squeeze(paragraph.textContent);
        for (var i = 0; i < wanted.length; ++i)
          if (wanted[i].t === text) { fn(paragraph, wanted.splice(i, 1)[0]); return; }
      });
    });
  },
  // fn(run, range) for each run of the paragraph whose first character is in one of ranges,
  // [first, end, ...] indices into the paragraph's text without white space.
  runsIn: function (paragraph, ranges, fn) {
    var squeeze = this.squeeze, at = 0;
    paragraph.querySelectorAll('tspan').forEach(function (run) {
      if (run.querySelector('tspan') || run.classList.contains('BulletPlaceholder')) return;
      var length = squeeze(run.textContent).length;
      if (!length) return;
      for (var r = 0; r < ranges.length; ++r)
        if (at >= ranges[r][0] && at < ranges[r][1]) { fn(run, ranges[r]); break; }
      at += length;
    });
  }
};
