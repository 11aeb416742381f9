// SPDX-License-Identifier: GPL-3.0-or-later
// Runs in the main frame of every page: frames' reports, queued until the channel is open. A
// frame reports its URL, and the presentation viewer also where its show stands; a state is
// passed on once the page shows the frame (a page may hide it while it loads), so that what the
// program is told is what a grab of the screen sees.
(function () {
  var queue = [];
  var bridge = null;
  function pass(data) {
    if (typeof data.deckrecFrameUrl === 'string') bridge.frameNavigated(data.deckrecFrameUrl);
    if (typeof data.deckrecShowState === 'string') bridge.showStateChanged(data.deckrecShowState);
    if (typeof data.deckrecAdvanced === 'number')
      bridge.showAdvanced(data.deckrecAdvanced, data.ran, data.due, !!data.ended);
    if (typeof data.deckrecSlide === 'number') bridge.slideShown(data.deckrecSlide, String(data.title || ''));
    if (typeof data.deckrecAdvancing === 'boolean') bridge.advancingChanged(data.deckrecAdvancing, Number(data.afterMs) || 0);
    if (data.deckrecSlideArea) bridge.slideAreaChanged.apply(bridge, data.deckrecSlideArea);
  }
  function deliver(data) {
    if (bridge) pass(data); else queue.push(data);
  }
  function frameOf(source) {
    var frames = document.getElementsByTagName('iframe');
    for (var i = 0; i < frames.length; ++i)
      if (frames[i].contentWindow === source) return frames[i];
    return null;
  }
  function whenShown(frame, then) {
    if (!frame || !frame.isConnected || getComputedStyle(frame).visibility === 'visible')
      requestAnimationFrame(function () { requestAnimationFrame(then); });
    else
      requestAnimationFrame(function () { whenShown(frame, then); });
  }
  window.addEventListener('message', function (event) {
    var data = event.data;
    if (!data) return;
    if (typeof data.deckrecFrameUrl === 'string') deliver({ deckrecFrameUrl: data.deckrecFrameUrl });
    if (typeof data.deckrecShowState === 'string')
      whenShown(frameOf(event.source), function () { deliver({ deckrecShowState: data.deckrecShowState }); });
    if (typeof data.deckrecAdvanced === 'number')
      deliver({ deckrecAdvanced: data.deckrecAdvanced, ran: data.ran, due: data.due, ended: data.ended });
    if (typeof data.deckrecSlide === 'number') deliver({ deckrecSlide: data.deckrecSlide, title: data.title });
    if (typeof data.deckrecAdvancing === 'boolean') deliver({ deckrecAdvancing: data.deckrecAdvancing, afterMs: data.afterMs });
    var area = data.deckrecSlideArea, frame = frameOf(event.source);
    if (Array.isArray(area) && area.length === 4 && frame) {
      var box = frame.getBoundingClientRect(), scale = window.devicePixelRatio || 1;
      var left = box.left + frame.clientLeft + area[0], top = box.top + frame.clientTop + area[1];
      deliver({ deckrecSlideArea: [Math.round(left * scale), Math.round(top * scale),
                                   Math.round((left + area[2]) * scale), Math.round((top + area[3]) * scale)] });
    }
  });
  function open() {
    if (typeof qt === 'undefined' || !qt.webChannelTransport) return false;
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.deckrecBrowser;
      queue.splice(0).forEach(pass);
    });
    return true;
  }
  if (!open()) document.addEventListener('DOMContentLoaded', open);
})();
