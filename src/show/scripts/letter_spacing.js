// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed, before the justify script measures the lines and before the
// show's copies of a paragraph are made. The spacing is in the show's units, as the page's
// font sizes are, so it scales with the slide.
(function (plan) {
  deckrecPlanned.paragraphs(plan, function (paragraph, entry) {
    deckrecPlanned.runsIn(paragraph, entry.s, function (run, range) { run.style.letterSpacing = range[2] + 'px'; });
  });
})
