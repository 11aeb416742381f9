// SPDX-License-Identifier: GPL-3.0-or-later
// Runs as the page is parsed: the paragraph elements of the show's pages get their text area,
// which the served page's symbol script reads once it has recoded their symbols.
(function (plan) {
  deckrecPlanned.paragraphs(plan, function (paragraph, p) {
    paragraph.setAttribute('data-text-area', p.l + ' ' + p.r + ' ' + p.a);
  });
})
