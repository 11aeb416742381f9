// SPDX-License-Identifier: GPL-3.0-or-later
// Runs while the page is parsed: the show reads the masters' fields on load, and copies the
// master's field boxes then, so everything here is done to the originals before that.
// Lengths are the show's units, 1/100 mm.
(function () {
  var ooo = 'http://xml.openoffice.org/svg/export';
  var fieldClasses = { 'Date/Time': 1, 'Footer': 1, 'Header': 1, 'Slide_Number': 1 };
  // What the show puts in place of a placeholder in a master's plain text box.
  var boxFields = { '<number>': 1, '<date>': 1, '<time>': 1, '<slide-name>': 1 };
  // The placeholders of the header and footer texts, which the show fills only in a master's
  // field boxes, with the slide's attribute naming the text.
  var textFields = { '<footer>': 'ooo:footer-field', '<date/time>': 'ooo:date-time-field', '<header>': 'ooo:header-field' };
  // The widest inner margin a footer box is taken to have: the suite's default is 0.25 cm,
  // PowerPoint's 0.254 cm; decks rarely set more than a few millimetres.
  var margin = 1000;
  // Rounding between the suite's layout and the browser's measure.
  var rounding = 30;

  // A slide's own footer boxes: the suite draws them as they are, with the slide's values.
  document.querySelectorAll('g.SlideGroup g.Page g[visibility="hidden"]').forEach(function (shape) {
    if (fieldClasses[shape.getAttribute('class')]) shape.removeAttribute('visibility');
  });

  // A placeholder broken over several lines by a narrow box, each line holding nothing but its
  // piece, is made one line again where its first line stands. Returns whether it was broken.
  function join(text) {
    var pieces = text.querySelectorAll('.PlaceholderText');
    if (pieces.length < 2) return false;
    var lines = text.querySelectorAll('tspan.TextPosition');
    var whole = '';
    for (var i = 0; i < lines.length; ++i) {
      var own = '';
      lines[i].querySelectorAll('.PlaceholderText').forEach(function (piece) { own += piece.textContent; });
      if (lines[i].textContent.trim() !== own.trim()) return false;
      whole += own.trim();
    }
    if (!/^<[^<>]+>$/.test(whole)) return false;
    pieces[0].textContent = whole;
    for (i = 1; i < pieces.length; ++i) pieces[i].remove();
    for (i = 1; i < lines.length; ++i) {
      if (lines[i].textContent.trim()) continue;
      var paragraph = lines[i].parentNode;
      lines[i].remove();
      if (paragraph && paragraph.classList.contains('TextParagraph') && !paragraph.querySelector('tspan.TextPosition'))
        paragraph.remove();
    }
    return true;
  }

  // Where the placeholder's line starts and ends as the browser sets it (masters are not
  // drawn, so on a hidden copy).
  function extent(text) {
    var copy = text.cloneNode(true);
    copy.setAttribute('visibility', 'hidden');
    document.documentElement.appendChild(copy);
    try {
      var line = copy.querySelector('.PlaceholderText').parentNode;
      var n = line.textContent.replace(/\s+$/, '').length;
      if (!n) return null;
      return { start: line.getStartPositionOfChar(0).x, end: line.getEndPositionOfChar(n - 1).x };
    } catch (e) {
      return null;
    } finally {
      copy.remove();
    }
  }

  // The alignment the placeholder was laid out with: the side it keeps a margin's width from,
  // or the middle. The box's own word counts among alignments that fit nearly as well.
  function alignment(box, line, declared) {
    var before = line.start - box.left, after = box.right - line.end;
    var misfit = { left: before, right: after, center: Math.abs(before - after) };
    var best = null;
    for (var side in misfit) {
      var m = misfit[side];
      if (m < -rounding || m > margin) continue;
      if (side === declared) m -= 5 * rounding;
      if (best === null || m < best.m) best = { side: side, m: m };
    }
    // A placeholder wider than its box was broken by it: its value starts where it starts.
    if (!best) return line.end - line.start > box.right - box.left ? 'left' : declared || 'left';
    return best.side;
  }

  // The text the slides on a master give a header or footer field, when they all give the
  // same (a date the show works out itself, or texts that differ, have none).
  function sharedText(master, attribute) {
    var values = {};
    document.querySelectorAll('g[id^="ooo:meta_slide_"]').forEach(function (slide) {
      if (slide.getAttribute('ooo:master') !== master) return;
      var field = document.getElementById(slide.getAttribute(attribute) || '');
      var fixed = !field || /^(FooterField|HeaderField|FixedDateTimeField)$/.test(field.getAttribute('class'));
      values[fixed ? (field ? field.textContent : '') : '\u0000'] = 1;
    });
    var texts = Object.keys(values);
    return texts.length === 1 && texts[0] !== '\u0000' ? texts[0] : null;
  }

  document.querySelectorAll('g.BackgroundObjects > g').forEach(function (shape) {
    var cls = shape.getAttribute('class');
    var texts = shape.querySelectorAll('text');
    var box = shape.querySelector('rect.BoundingBox');
    if (texts.length !== 1 || !box || !texts[0].querySelector('.PlaceholderText')) return;
    var broken = join(texts[0]);
    var placeholder = texts[0].querySelector('.PlaceholderText');
    var textField = fieldClasses[cls] ? null : textFields[placeholder.textContent];
    if (!fieldClasses[cls] && !textField) {
      // The show fills only a plain box it knows as a text shape; a custom shape is one too.
      if (!boxFields[placeholder.textContent] || !shape.firstElementChild || !shape.firstElementChild.id) return;
      shape.setAttribute('class', 'TextShape');
    }
    var line = extent(texts[0]);
    if (!line) return;
    var left = box.x.baseVal.value, right = left + box.width.baseVal.value;
    var declared = shape.getAttribute('ooo:text-adjust');
    var side = broken ? 'left' : alignment({ left: left, right: right }, line, declared);
    if (textField) {
      // A header or footer field in a plain box: the suite draws the slides' text there, which
      // is set here once, where the placeholder stood, as the show never fills it.
      var master = shape.closest('g.Master_Slide');
      var value = master ? sharedText(master.id, textField) : null;
      placeholder.textContent = value || '';
      placeholder.classList.remove('PlaceholderText');
      if (value && side !== 'left') {
        texts[0].querySelector('tspan.TextPosition').setAttribute('x', side === 'right' ? line.end : (line.start + line.end) / 2);
        texts[0].setAttribute('text-anchor', side === 'right' ? 'end' : 'middle');
      }
      return;
    }
    shape.setAttributeNS(ooo, 'ooo:text-adjust', side);
    // The show centres a field on its box's middle, which is the placeholder's middle only
    // when the box's margins are equal.
    if (side === 'center') box.setAttribute('x', (line.start + line.end) / 2 - (right - left) / 2);
  });
})();
