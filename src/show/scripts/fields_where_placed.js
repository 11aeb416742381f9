// SPDX-License-Identifier: GPL-3.0-or-later
// LibreOffice's show script sets a master's date, footer and number fields at a fixed margin
// of 0.25 cm inside their boxes, whatever the box's own padding; the suite draws them where the
// master's placeholder text stands. Runs before that script starts: the box it reads is moved
// so that its margin lands the field where the placeholder was laid out (a right-aligned one
// ends where the placeholder ends, measured on a drawn copy, as masters are not drawn).
(function () {
  var margin = 250;
  // A master's plain box that the show fills with a field is a 'TextShape'.
  var fields = { 'Date/Time': 1, 'Footer': 1, 'Header': 1, 'Slide_Number': 1, 'TextShape': 1 };
  document.querySelectorAll('g.BackgroundObjects > g').forEach(function (field) {
    var adjust = field.getAttribute('ooo:text-adjust');
    if (!fields[field.getAttribute('class')] || (adjust !== 'left' && adjust !== 'right')) return;
    var box = field.querySelector('rect.BoundingBox');
    var placeholder = field.querySelector('.PlaceholderText');
    if (!box || !placeholder || !placeholder.textContent) return;
    var line = placeholder.parentNode;
    var left = box.x.baseVal.value, right = left + box.width.baseVal.value;
    if (adjust === 'left') {
      var x = parseFloat(line.getAttribute('x'));
      if (isNaN(x)) return;
      left = x - margin;
    } else {
      var text = line.parentNode.closest('text');
      var copy = text.cloneNode(true);
      copy.setAttribute('visibility', 'hidden');
      document.documentElement.appendChild(copy);
      try {
        var copied = copy.querySelector('.PlaceholderText').parentNode;
        var n = copied.textContent.replace(/\s+$/, '').length;
        right = copied.getEndPositionOfChar(n - 1).x + margin;
      } catch (e) {}
      copy.remove();
    }
    if (right - left <= 0) return;
    box.setAttribute('x', left);
    box.setAttribute('width', right - left);
  });
})();
