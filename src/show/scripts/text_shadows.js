// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed, before the show's onload start, so that the show's copies of a
// paragraph (for its animations) carry the shadow too. The suite casts a text shadow whatever
// offset the file gives: down and to the right by a 24th of the font size in whole tenths of a
// point, light grey under black (or nearly black) text and black under any other, sharp and
// opaque, as its PDF export draws it. The browser takes a text shadow's offset in CSS pixels
// of the screen, not in the show's units, so it is set again whenever the page's scale changes.
(function (plan) {
  // The run keeps its shadow in the show's units, so that the show's copies of it carry that too.
  function cast(run) {
    var style = getComputedStyle(run);
    // The show's units are 1/100 mm: a point is 2540/72 of them.
    var tenths = Math.round(parseFloat(style.fontSize) * 720 / 2540);
    var rgb = (style.fill.match(/[\d.]+/g) || [0, 0, 0]).map(Number);
    var dark = style.fill.indexOf('rgb') !== 0 || ((rgb[2] * 29 + rgb[1] * 151 + rgb[0] * 76) >> 8) < 8;
    run.setAttribute('data-text-shadow', ((tenths < 24 ? 1 : Math.floor(tenths / 24)) * 2540 / 720) + ' ' +
                     (dark ? 'rgb(192,192,192)' : 'rgb(0,0,0)'));
  }
  function place() {
    var root = document.documentElement.getScreenCTM();
    if (!root) return;
    var scale = Math.sqrt(root.a * root.a + root.b * root.b);
    document.querySelectorAll('[data-text-shadow]').forEach(function (run) {
      var shadow = run.getAttribute('data-text-shadow').split(' ');
      var d = (parseFloat(shadow[0]) * scale).toFixed(3) + 'px';
      run.style.textShadow = d + ' ' + d + ' 0 ' + shadow[1];
      // The browser draws no text shadow at all for text set with geometric precision, as the
      // page sets its text; a shadowed run is set as the browser sets text by default.
      run.style.textRendering = 'auto';
    });
  }
  deckrecPlanned.paragraphs(plan, function (paragraph, entry) {
    deckrecPlanned.runsIn(paragraph, entry.s, cast);
  });
  place();
  // The viewer fits the page to the window by its size attributes, in a resize handler that
  // may run after this one.
  new MutationObserver(place).observe(document.documentElement, { attributes: true });
  window.addEventListener('resize', place);
  window.addEventListener('load', place);
})
