// SPDX-License-Identifier: GPL-3.0-or-later
// The page's time starts at a fixed moment and stands still until the recorder moves it: while
// the page loads, due callbacks and animation frames still run (pumped by the browser's own
// timers), but no time passes, so the show waits on its first slide exactly as it was drawn.
// Every time a script can read is then the same in every run, down to the last bit of the
// engine's floating-point arithmetic on them, and two recordings store the same pictures.
// Once held, time moves only by deckrecClock.advance: due callbacks run in time order, each at
// its own due time, and a callback scheduled inside the step runs in the same step when it
// falls due; animation frames run once per step. A frame reports a step as done only after its
// next two real animation frames when anything ran, so that what is grabbed next is what the
// step drew.
(function () {
  if (window.deckrecClock) return;
  var RealDate = Date;
  var nativeSetTimeout = window.setTimeout.bind(window);
  var nativeRequestFrame = window.requestAnimationFrame.bind(window);
  var wallStart = RealDate.UTC(2026, 0, 1);
  var perfStart = 0;
  var now = 0;                 // virtual ms since the clock was installed
  var held = false;
  var timers = new Map();      // id -> { due, order, fn, args, interval }
  var frames = new Map();      // id -> callback
  var nextId = 1;
  var order = 0;
  var nesting = 0;             // timer callbacks inside timer callbacks, as browsers count them

  function VirtualDate() {
    if (!new.target) return new RealDate(wallStart + now).toString();
    if (arguments.length === 0) return new RealDate(wallStart + now);
    return Reflect.construct(RealDate, Array.prototype.slice.call(arguments), new.target);
  }
  VirtualDate.prototype = RealDate.prototype;
  VirtualDate.now = function () { return wallStart + now; };
  VirtualDate.parse = RealDate.parse;
  VirtualDate.UTC = RealDate.UTC;
  window.Date = VirtualDate;
  performance.now = function () { return perfStart + now; };

  function schedule(fn, delay, args, repeat) {
    var id = nextId++;
    delay = Math.max(0, Number(delay) || 0);
    // A chain of zero-delay timers would never let a step end: browsers clamp deep nesting.
    if (nesting >= 5 && delay < 4) delay = 4;
    timers.set(id, { due: now + delay, order: order++, fn: fn, args: args,
                     interval: repeat ? Math.max(delay, 1) : 0 });
    return id;
  }
  function callable(fn) {
    if (typeof fn === 'function') return fn;
    var code = String(fn);
    return function () { (0, eval)(code); };
  }
  window.setTimeout = function (fn, delay) {
    return schedule(callable(fn), delay, Array.prototype.slice.call(arguments, 2), false);
  };
  window.setInterval = function (fn, delay) {
    return schedule(callable(fn), delay, Array.prototype.slice.call(arguments, 2), true);
  };
  window.clearTimeout = window.clearInterval = function (id) { timers.delete(id); };
  window.requestAnimationFrame = function (callback) {
    var id = nextId++;
    frames.set(id, callback);
    return id;
  };
  window.cancelAnimationFrame = function (id) { frames.delete(id); };

  function earliestDue(limit) {
    var best = null;
    timers.forEach(function (timer, id) {
      if (timer.due <= limit && (!best || timer.due < best.due || (timer.due === best.due && timer.order < best.order)))
        best = { id: id, timer: timer };
    });
    return best;
  }
  function run(fn, args) {
    try { fn.apply(window, args); } catch (e) { console.error(e); }
  }
  // Moves the time to now + ms; returns how many callbacks ran.
  function advance(ms) {
    var target = now + Math.max(0, Number(ms) || 0);
    var ran = 0;
    for (var next = earliestDue(target); next; next = earliestDue(target)) {
      now = Math.max(now, next.timer.due);
      if (next.timer.interval) {
        next.timer.due += next.timer.interval;
        next.timer.order = order++;
      } else {
        timers.delete(next.id);
      }
      ++nesting;
      run(next.timer.fn, next.timer.args);
      --nesting;
      ++ran;
    }
    now = target;
    var due = frames;
    frames = new Map();
    due.forEach(function (callback) { run(callback, [perfStart + now]); ++ran; });
    return ran;
  }
  // Milliseconds until the next scheduled callback, 0 with an animation frame waiting, -1 for none.
  function nextDue() {
    if (frames.size) return 0;
    var best = -1;
    timers.forEach(function (timer) {
      var wait = Math.max(0, timer.due - now);
      if (best < 0 || wait < best) best = wait;
    });
    return best;
  }

  // Until held, what falls due at the present moment runs.
  function pumpTimers() {
    if (held) return;
    advance(0);
    nativeSetTimeout(pumpTimers, 4);
  }
  function pumpFrames() {
    if (held) return;
    advance(0);
    nativeRequestFrame(pumpFrames);
  }
  nativeSetTimeout(pumpTimers, 4);
  nativeRequestFrame(pumpFrames);

  // Two animation frames: the step's drawing went out with the first. A browser that stops
  // giving frames (a page it believes hidden) must not stall the recording: a while later the
  // answer goes anyway, and the recorder still waits for the step's mark in the rendering.
  function afterPaint(then) {
    var done = false;
    var once = function () {
      if (done) return;
      done = true;
      then();
    };
    nativeRequestFrame(function () { nativeRequestFrame(once); });
    nativeSetTimeout(once, 500);
  }
  function showEnded() {
    return typeof window.deckrecShowEnded === 'function' && window.deckrecShowEnded();
  }
  // A step of this frame, answered to whoever asked: the time moves on by ms, then the slide
  // action named (a log's name; true is a click) when there is one, and what it scheduled at
  // once runs at once.
  function step(ms, id, action, reply) {
    var ran = advance(ms);
    if (action) {
      if (action === 'next' || action === true) click(); else press(action);
      ran += 1 + advance(0);
    }
    var answer = function () {
      reply({ deckrecAdvanced: id, ran: ran, due: nextDue(), ended: showEnded() });
    };
    if (ran > 0) afterPaint(answer); else answer();
  }
  function click() {
    var x = innerWidth / 2, y = innerHeight / 2;
    var target = document.elementFromPoint(x, y) || document.documentElement;
    ['mousedown', 'mouseup', 'click'].forEach(function (type) {
      target.dispatchEvent(new MouseEvent(type, { bubbles: true, cancelable: true, button: 0,
                                                  clientX: x, clientY: y, view: window }));
    });
  }

  // The keys the presenter used for the log's other actions, given to the show as they were
  // then: it reads the key's code, which a script's keyboard event must be told.
  var actionKeys = { 'previous': 37, 'next-slide': 34, 'previous-slide': 33, 'first': 36, 'last': 35 };
  function press(action) {
    var code = actionKeys[action];
    if (!code) return;
    var target = document.activeElement || document.documentElement;
    ['keydown', 'keyup'].forEach(function (type) {
      var event = new KeyboardEvent(type, { bubbles: true, cancelable: true, view: window });
      Object.defineProperty(event, 'keyCode', { get: function () { return code; } });
      Object.defineProperty(event, 'which', { get: function () { return code; } });
      target.dispatchEvent(event);
    });
  }

  window.deckrecClock = {
    // In the page itself: holds or steps its own clock and passes that on to its frames. The
    // show's frame answers a step through the page's message relay; a page without frames
    // answers for itself the same way.
    holdAll: function () {
      held = true;
      for (var i = 0; i < window.frames.length; ++i) window.frames[i].postMessage({ deckrecHold: true }, '*');
    },
    advanceAll: function (ms, id, action) {
      var children = window.frames;
      var toRelay = function (answer) { window.postMessage(answer, '*'); };
      step(ms, id, children.length ? '' : action, children.length ? function () {} : toRelay);
      for (var i = 0; i < children.length; ++i)
        children[i].postMessage({ deckrecAdvance: ms, id: id, action: action || '' }, '*');
    }
  };
  // The page marks each finished step in a corner the recording never shows (the top left 4 x 4
  // pixels of the view, above the show's frame), in a colour of the step's own: a rendering
  // that shows the mark holds everything the step drew, since the show painted before it
  // answered and the mark came after.
  if (window.parent === window) {
    var mark = null;
    window.addEventListener('message', function (event) {
      var data = event.data;
      if (!data || typeof data.deckrecAdvanced !== 'number') return;
      if (!mark) {
        mark = document.createElement('div');
        mark.style.cssText = 'position:fixed;left:0;top:0;width:4px;height:4px;z-index:2147483647;pointer-events:none';
        (document.body || document.documentElement).appendChild(mark);
      }
      var id = data.deckrecAdvanced;
      mark.style.background = 'rgb(' + (id & 255) + ',' + ((id >> 8) & 255) + ',200)';
    });
  }
  if (window.parent !== window) {
    window.addEventListener('message', function (event) {
      var data = event.data;
      if (!data || event.source !== window.parent) return;
      if (data.deckrecHold) held = true;
      if (typeof data.deckrecAdvance === 'number')
        step(data.deckrecAdvance, data.id, data.action || '', function (answer) { parent.postMessage(answer, '*'); });
    });
  }
})();
