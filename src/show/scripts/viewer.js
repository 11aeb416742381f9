// SPDX-License-Identifier: GPL-3.0-or-later
// Runs inside LibreOffice's slide show, after its own script and before its onload start.
(function () {
  var ended = false;
  var endScreen = null;

  // The program learns where the show stands from here, not from the colours on screen: a dark
  // slide or a fade through black is not the end. A state is told once it is painted, so that
  // a recording started on it sees what it was told.
  function tell(state) {
    requestAnimationFrame(function () {
      requestAnimationFrame(function () { parent.postMessage({ deckrecShowState: state }, '*'); });
    });
  }

  // The frame tells the page about its URL; the page passes it on to the program.
  function report() {
    var href = location.href.split('#')[0];
    var hash = location.hash.slice(1);
    try { hash = decodeURIComponent(hash); } catch (e) {}
    parent.postMessage({ deckrecFrameUrl: hash ? href + '#' + hash : href }, '*');
  }

  // Each line of the title is a text position of its own: a break between two lines is a
  // space in the title, as it is on the slide ("Math 260" over "Foundations of Geometry").
  function slideTitle(metaSlide) {
    var title = metaSlide.slideElement && metaSlide.slideElement.querySelector('.TitleText');
    if (!title) return '';
    var lines = title.querySelectorAll('.TextPosition');
    var text = lines.length ? Array.prototype.map.call(lines, function (line) { return line.textContent; }).join(' ')
                            : title.textContent;
    return text.replace(/\s+/g, ' ').trim();
  }

  // The recorder's slide timeline hears of a new slide when it starts to come on screen (the
  // URL follows only at the end of its transition), and whether the show has set itself a
  // time to move on, so that it sends no click of its own.
  function advancing(pending, afterMs) {
    parent.postMessage({ deckrecAdvancing: pending, afterMs: afterMs || 0 }, '*');
  }

  var setCurrentSlide = MetaDocument.prototype.setCurrentSlide;
  MetaDocument.prototype.setCurrentSlide = function () {
    var result = setCurrentSlide.apply(this, arguments);
    var slide = this.aMetaSlideSet[nCurSlide];
    if (slide) {
      location.replace('#' + slide.slideId + ',' + (nCurSlide + 1) + ',' + encodeURIComponent(slideTitle(slide)));
      report();
      if (!ended) tell('slide');
    }
    return result;
  };

  function showEndScreen() {
    ended = true;
    advancing(false);
    if (!endScreen) {
      endScreen = document.createElementNS('http://www.w3.org/2000/svg', 'rect');
      endScreen.setAttribute('x', '-1000000');
      endScreen.setAttribute('y', '-1000000');
      endScreen.setAttribute('width', '3000000');
      endScreen.setAttribute('height', '3000000');
      endScreen.setAttribute('fill', 'black');
    }
    document.documentElement.appendChild(endScreen);
    tell('end');
  }

  // Past the last slide the show ends on black instead of starting again.
  var displaySlide = SlideShow.prototype.displaySlide;
  SlideShow.prototype.displaySlide = function (index) {
    if (nCurSlide !== undefined && theMetaDoc && index >= theMetaDoc.nNumberOfSlides) {
      showEndScreen();
      return;
    }
    if (ended && endScreen && endScreen.parentNode) {
      endScreen.parentNode.removeChild(endScreen);
      ended = false;
      tell('slide');
    }
    var coming = theMetaDoc && theMetaDoc.aMetaSlideSet[index];
    var opening = nCurSlide === undefined;
    if (coming) {
      advancing(false);
      parent.postMessage({ deckrecSlide: index + 1, title: slideTitle(coming) }, '*');
    }
    var result = displaySlide.apply(this, arguments);
    // Leaving a slide ends its effects, which may set the timer of the slide being left just
    // before the engine clears it: what holds is the state once the new slide is under way.
    announceTimer(this);
    // A transition into the first slide ends only as time passes, and on the recorder's clock
    // no time passes before the recording starts: there the show has begun once the
    // transition has. On the wall clock the recording still starts on the finished slide.
    if (opening && coming && window.deckrecClock) tell('slide');
    return result;
  };

  // A slide the deck advances by itself after a set time: the engine sets its timer once the
  // slide's effects are over. Without the deck's timings (deckrecDeckTimings false, set by the
  // recorder before the show loads) no timer is set and every step waits for a click.
  function announceTimer(show) {
    var slide = theMetaDoc && theMetaDoc.aMetaSlideSet[nCurSlide];
    var pending = !ended && !!slide && typeof show.automaticAdvanceTimeout === 'number';
    advancing(pending, pending ? Math.ceil(slide.fDuration * 1000) : 0);
  }
  var notifyAnimationsEnd = SlideShow.prototype.notifyAnimationsEnd;
  if (typeof notifyAnimationsEnd === 'function') {
    SlideShow.prototype.notifyAnimationsEnd = function () {
      if (window.deckrecDeckTimings === false) return;
      // The engine checks that no timer is set yet and stops the whole show when one is: the
      // effects of a slide that end a second time keep the timer they set the first time.
      if (typeof this.automaticAdvanceTimeout === 'number') return;
      var result = notifyAnimationsEnd.apply(this, arguments);
      announceTimer(this);
      return result;
    };
  }

  // The export writes a transformation's kind as "type" where the engine reads "svg:type": a
  // spin would be an invalid node, and its slide would lose all its effects.
  if (typeof AnimationTransformNode === 'function') {
    var parseTransform = AnimationTransformNode.prototype.parseElement;
    AnimationTransformNode.prototype.parseElement = function () {
      var element = this.aElement;
      if (element && !element.getAttribute('svg:type') && element.getAttribute('type'))
        element.setAttribute('svg:type', element.getAttribute('type'));
      return parseTransform.apply(this, arguments);
    };
  }

  // Until the first slide is current (while a transition into it runs) the engine's click
  // handler reads a slide that is not there yet and throws: such a click ends the transition,
  // as a key does.
  if (typeof mouseHandlerDictionary === 'object' && typeof SLIDE_MODE !== 'undefined' &&
      typeof slideOnMouseUp === 'function') {
    var slideClick = mouseHandlerDictionary[SLIDE_MODE][MOUSE_UP];
    mouseHandlerDictionary[SLIDE_MODE][MOUSE_UP] = function (event) {
      if (nCurSlide === undefined) return slideOnMouseUp(event);
      return slideClick.apply(this, arguments);
    };
  }

  // A click moves the show on, also on a shape that links elsewhere: the presenter's click
  // does in the recorder's windows, and so does the recorder's own. The engine advances on the
  // button's release; the click that follows would open the link's target in place of the
  // show. A link the engine follows itself (a text field's) would take the release instead and
  // leave the show where it is.
  ['click', 'auxclick'].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (event.target && event.target.closest && event.target.closest('a')) event.preventDefault();
    }, true);
  });
  if (typeof HyperlinkElement === 'function')
    HyperlinkElement.prototype.handleClick = function () { return false; };

  // The recorder's show clock asks here whether the show is over.
  window.deckrecShowEnded = function () { return ended; };

  // On the recorder's show clock time stands still while a script runs, so the engine's busy
  // wait for its next frame time would never end: there the recorder paces the frames.
  if (window.deckrecClock && typeof FrameSynchronization === 'function') {
    FrameSynchronization.prototype.synchronize = function () { this.markCurrentFrame(); };
  }

  // A click the page received outside this frame advances the show too.
  window.addEventListener('message', function (event) {
    if (event.data === 'deckrec-next' && typeof dispatchEffects === 'function') {
      if (ended) return;
      dispatchEffects(1);
    }
  });

  // Letterbox: the slide keeps its proportions in the middle of the frame, the rest is black.
  // It is fitted to whole pixels: a slide edge that fell inside a pixel row would blend into
  // the black bar and leave a dark line along the recorded slide.
  var root = document.documentElement;
  var box = root.viewBox && root.viewBox.baseVal;
  function fitSlide() {
    var width = window.innerWidth, height = window.innerHeight;
    if (!box || !box.width || !box.height || !width || !height) {
      root.setAttribute('width', '100%');
      root.setAttribute('height', '100%');
      root.setAttribute('preserveAspectRatio', 'xMidYMid meet');
      return;
    }
    var scale = Math.min(width / box.width, height / box.height);
    var w = Math.min(width, Math.round(box.width * scale));
    var h = Math.min(height, Math.round(box.height * scale));
    root.setAttribute('width', w);
    root.setAttribute('height', h);
    root.setAttribute('preserveAspectRatio', 'none');
    root.style.display = 'block';
    root.style.marginLeft = Math.ceil((width - w) / 2) + 'px';
    root.style.marginTop = Math.ceil((height - h) / 2) + 'px';
    // Where the slide lies, for a recording whose first picture shows none of it (a show that
    // opens with a transition through black).
    parent.postMessage({ deckrecSlideArea: [Math.ceil((width - w) / 2), Math.ceil((height - h) / 2), w, h] }, '*');
  }
  root.style.background = 'black';
  fitSlide();
  window.addEventListener('resize', fitSlide);
  report();
})();
