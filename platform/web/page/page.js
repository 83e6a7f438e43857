// page.js: the page around the show (kelvoPage), which the program's web layer calls
// through kelvo_web.js: the settings form, message boxes, keys, the full-screen canvas,
// the clock, Web Audio, and the frame-time record. Loaded before kelvo.js.
'use strict';

var kelvoPage = (function() {
  var params = new URLSearchParams(location.search);
  var at = params.get('at');
  var page = {
    // ?at=MS: the test mode's show time, or -1.
    testTime: at !== null && /^\d+$/.test(at) ? Number(at) : -1,
    frames: [],        // [clock, interval, work, drawnAfter] (ms) of each frame; see frameDrawn
    ended: false,
    ready: false,      // the test mode's frame is on the canvas
    boxes: [],         // every message box shown: {caption, text}
  };
  var keys = [];
  var boxAnswers = [];  // one function per message box on the page, oldest first
  var dialogWaiter = null, dialogPending = [];
  var lastClock = 0;
  var audio = { context: null, buffers: {}, pending: {}, nextBuffer: 1, playing: null };
  var leavingFullScreen = false;

  function $(id) { return document.getElementById(id); }

  // Milliseconds since the page opened; while music plays, the audio context's clock
  // drives it, so the picture follows the sound. It never runs backwards.
  page.clock = function() {
    var now = performance.now();
    var p = audio.playing;
    if (p && audio.context.state === 'running')
      now = p.startedAt + (audio.context.currentTime - p.contextStart) * 1000;
    if (now < lastClock) now = lastClock;
    lastClock = now;
    return now;
  };

  page.takeKey = function() { return keys.length ? keys.shift() : 0; };

  document.addEventListener('keydown', function(event) {
    if (boxAnswers.length) { boxKey(event); return; }
    if (!$('dialog').hidden) {
      if (event.key === 'Enter') { event.preventDefault(); answerDialog(1); }
      else if (event.key === 'Escape') { event.preventDefault(); answerDialog(2); }
      return;
    }
    if ($('screen').hidden || page.ended) return;
    // keyCode is the Windows virtual-key code for the keys the show knows.
    if (event.keyCode) { keys.push(event.keyCode); event.preventDefault(); }
  });

  // While a message box is up it has the keyboard, as a modal box has on the desktop: the
  // newest box takes Enter and Escape, and no key reaches the show or the dialog under it.
  function boxKey(event) {
    if (event.key !== 'Enter' && event.key !== 'Escape') return;
    event.preventDefault();
    boxAnswers[boxAnswers.length - 1]();
  }

  // Escape leaves the browser's full screen before the page sees the key; during the show
  // that is the viewer's Escape, unless a box is up.
  document.addEventListener('fullscreenchange', function() {
    if (document.fullscreenElement || leavingFullScreen) { leavingFullScreen = false; return; }
    if (!$('screen').hidden && !page.ended && !boxAnswers.length) keys.push(0x1B);
  });

  function answerDialog(id) {
    if (id === 1 && audio.context) audio.context.resume();  // "Go" is the viewer's gesture
    if (dialogWaiter) { var wake = dialogWaiter; dialogWaiter = null; wake(id); }
    else dialogPending.push(id);
  }

  page.dialogOpen = function(caption) {
    $('loading').hidden = true;
    $('dialog-caption').textContent = caption;
    $('dialog-controls').textContent = '';
    $('dialog').hidden = false;
    console.log('dialog shown after ' + Math.round(performance.now()) + ' ms');
  };

  // Controls are placed left to right by their position in the template.
  page.dialogAdd = function(id, kind, x, text) {
    var element;
    if (kind === 1) {
      element = document.createElement('label');
      var box = document.createElement('input');
      box.type = 'checkbox';
      box.id = 'control-' + id;
      box.addEventListener('click', function() { answerDialog(id); });
      element.appendChild(box);
      element.appendChild(document.createTextNode(' ' + text));
    } else {
      element = document.createElement(kind === 0 ? 'button' : 'span');
      element.id = 'control-' + id;
      element.textContent = text;
      if (kind === 0) {
        element.type = 'button';
        element.addEventListener('click', function() { answerDialog(id); });
      }
    }
    element.dataset.x = x;
    var controls = $('dialog-controls'), before = null;
    for (var i = 0; i < controls.children.length; ++i)
      if (Number(controls.children[i].dataset.x) > x) { before = controls.children[i]; break; }
    controls.insertBefore(element, before);
  };

  page.dialogSetCheck = function(id, checked) {
    var box = $('control-' + id);
    if (box && box.type === 'checkbox') box.checked = !!checked;
  };
  page.dialogGetCheck = function(id) {
    var box = $('control-' + id);
    return !!(box && box.checked);
  };
  page.dialogWait = function(wakeUp) {
    if (dialogPending.length) { wakeUp(dialogPending.shift()); return; }
    dialogWaiter = wakeUp;
  };
  page.dialogClose = function() { $('dialog').hidden = true; dialogWaiter = null; };

  // A box over the page until OK; the test mode does not wait for it.
  page.messageBox = function(caption, text, wakeUp) {
    console.log(caption + ': ' + text);
    page.boxes.push({ caption: caption, text: text });
    var box = document.createElement('div');
    box.className = 'box';
    box.setAttribute('role', 'alertdialog');
    box.innerHTML = '<div class="box-caption"></div><div class="box-text"></div>' +
                    '<div class="box-buttons"><button type="button">OK</button></div>';
    box.querySelector('.box-caption').textContent = caption;
    box.querySelector('.box-text').textContent = text;
    function answer() {
      var at = boxAnswers.indexOf(answer);
      if (at < 0) return;  // answered already
      boxAnswers.splice(at, 1);
      box.remove();
      if (page.testTime < 0) wakeUp();
    }
    boxAnswers.push(answer);
    box.querySelector('button').addEventListener('click', answer);
    // In full screen only the full-screen element is seen: the box goes inside it.
    (document.fullscreenElement || $('boxes')).appendChild(box);
    box.querySelector('button').focus();
    if (page.testTime >= 0) wakeUp();
  };

  page.showCanvas = function(fullScreen) {
    $('loading').hidden = true;
    $('screen').hidden = false;
    var screen = $('screen');
    if (fullScreen) {
      if (!screen.requestFullscreen) fillViewport(true);
      else screen.requestFullscreen().catch(function() { fillViewport(!screen.hidden && !page.ended); });
    }
    if (page.testTime < 0) holdWakeLock();
  };
  page.leaveFullScreen = function() {
    fillViewport(false);
    if (document.fullscreenElement) {
      leavingFullScreen = true;
      document.exitFullscreen().catch(function() {});
    }
  };
  page.hideCanvas = function() {
    $('screen').hidden = true;
    fillViewport(false);
    hideEndControl();
    releaseWakeLock();
  };

  // Where the browser has no full screen for a page element (Safari on iPhone) or refuses
  // it, "Full Screen" fills the viewport: the show fixed over the page at 4:3 between black
  // bars, and the page held still so that no swipe scrolls it.
  function fillViewport(on) {
    $('screen').classList.toggle('fills-viewport', on);
    document.documentElement.classList.toggle('fills-viewport', on);
    if (on) window.scrollTo(0, 0);
  }

  // The screen stays awake while the show plays, where the browser can do that. The
  // browser drops the lock whenever the page is hidden, so it is asked for again when the
  // page comes back.
  var wakeLock = { wanted: false, asking: false, sentinel: null };
  function holdWakeLock() {
    wakeLock.wanted = true;
    askForWakeLock();
  }
  function askForWakeLock() {
    if (!navigator.wakeLock || wakeLock.asking || wakeLock.sentinel) return;
    if (document.visibilityState !== 'visible') return;
    wakeLock.asking = true;
    navigator.wakeLock.request('screen').then(function(sentinel) {
      wakeLock.asking = false;
      if (!wakeLock.wanted) { sentinel.release().catch(function() {}); return; }
      wakeLock.sentinel = sentinel;
      sentinel.addEventListener('release', function() {
        if (wakeLock.sentinel === sentinel) wakeLock.sentinel = null;
      });
    }, function() { wakeLock.asking = false; });
  }
  function releaseWakeLock() {
    wakeLock.wanted = false;
    var sentinel = wakeLock.sentinel;
    wakeLock.sentinel = null;
    if (sentinel) sentinel.release().catch(function() {});
  }
  document.addEventListener('visibilitychange', function() {
    if (wakeLock.wanted) askForWakeLock();
  });

  // A viewer without a keyboard ends the show with an "End" control: a tap or click on the
  // show brings it up for a few seconds, and tapping it is Escape.
  var kEndControlMs = 3000;
  var endControlTimer = 0;
  function showEndControl() {
    $('end-show').hidden = false;
    $('screen').classList.add('end-shown');
    clearTimeout(endControlTimer);
    endControlTimer = setTimeout(hideEndControl, kEndControlMs);
  }
  function hideEndControl() {
    clearTimeout(endControlTimer);
    $('end-show').hidden = true;
    $('screen').classList.remove('end-shown');
  }
  // On click, not on touch start: the tap that brings the control up must not also land on it.
  $('screen').addEventListener('click', function(event) {
    if (event.target === $('end-show') || page.ended || page.testTime >= 0) return;
    showEndControl();
  });
  $('end-show').addEventListener('click', function() {
    hideEndControl();
    if (!$('screen').hidden && !page.ended && !boxAnswers.length) keys.push(0x1B);
  });

  page.showEnded = function() {
    page.ended = true;
    page.leaveFullScreen();
    hideEndControl();
    releaseWakeLock();
    $('screen').hidden = true;
    $('dialog').hidden = true;
    $('loading').hidden = true;
    $('ended').hidden = false;
    if (page.frames.length > 1) {
      var times = page.frames.slice(1).map(function(f) { return f[1]; }).sort(function(a, b) { return a - b; });
      console.log('frame times: ' + times.length + ' frames, median ' +
                  times[Math.floor(times.length / 2)].toFixed(1) + ' ms, p99 ' +
                  times[Math.floor(times.length * 0.99)].toFixed(1) + ' ms, worst ' +
                  times[times.length - 1].toFixed(1) + ' ms');
    }
    console.log('the show has ended');
  };

  // Each frame: its clock; the interval since the frame before by the browser's frame
  // clock (the animation frame's time, which jumps by a whole refresh when a frame is
  // dropped: the frame rate seen); the time the program worked on it since the browser
  // resumed it (its cost); and the time since the frame before was drawn, which adds to
  // the interval how late in its animation frame each one was resumed.
  var frameTime = 0, lastFrameTime = 0, resumedAt = 0, lastDrawn = 0;
  page.frameStarted = function(time) {
    resumedAt = performance.now();
    frameTime = time;
  };
  page.frameDrawn = function() {
    var now = performance.now();
    page.frames.push([page.clock(), lastFrameTime ? frameTime - lastFrameTime : 0,
                      resumedAt ? now - resumedAt : 0, lastDrawn ? now - lastDrawn : 0]);
    lastFrameTime = frameTime;
    lastDrawn = now;
  };
  page.frameReady = function() {
    page.ready = true;
    console.log('frame ready');
  };

  page.audioOpen = function() {
    try { audio.context = new AudioContext(); } catch (e) { return false; }
    return true;
  };
  page.audioClose = function() {
    if (audio.context) audio.context.close();
    audio.context = null;
    audio.playing = null;
    audio.buffers = {};
    audio.pending = {};
  };
  // A buffer whose bytes are still coming (a promise of them, null when they cannot be
  // read): its id at once; it is decoded as soon as they are all there, and a buffer that
  // cannot be decoded stays empty, so it refuses to play.
  page.audioBegin = function(bytesComing) {
    var id = audio.nextBuffer++, context = audio.context;
    audio.pending[id] = bytesComing.then(function(bytes) {
      if (!bytes) throw new Error('the file cannot be read');
      var data = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
      return context.decodeAudioData(data);
    }).then(function(decoded) {
      if (audio.pending[id] && audio.context === context) audio.buffers[id] = decoded;
    }, function(error) {
      console.warn('the music cannot be played: ' + (error && error.message || error));
    }).then(function() { delete audio.pending[id]; });
    return id;
  };
  // Calls done once every buffer begun is decoded or has failed, saying "Loading…" meanwhile.
  page.audioSettle = function(done) {
    var waiting = Object.keys(audio.pending).map(function(id) { return audio.pending[id]; });
    if (!waiting.length) { done(); return; }
    $('loading').hidden = false;
    Promise.all(waiting).then(function() {
      $('loading').hidden = true;
      console.log('music ready after ' + Math.round(performance.now()) + ' ms');
      done();
    });
  };
  page.audioPlay = function(id) {
    var decoded = audio.buffers[id];
    if (!decoded) return false;
    audio.context.resume();
    var source = audio.context.createBufferSource();
    source.buffer = decoded;
    source.connect(audio.context.destination);
    source.start();
    audio.playing = { id: id, source: source, startedAt: page.clock(),
                      contextStart: audio.context.currentTime };
    return true;
  };
  page.audioStop = function(id) {
    var p = audio.playing;
    if (!p || p.id !== id) return;
    try { p.source.stop(); } catch (e) {}
    audio.playing = null;
  };
  // Seconds of music played so far, or -1 when none plays.
  page.audioTime = function() {
    var p = audio.playing;
    return p ? audio.context.currentTime - p.contextStart : -1;
  };
  page.audioFree = function(id) {
    page.audioStop(id);
    delete audio.buffers[id];
    delete audio.pending[id];
  };

  if (page.testTime >= 0) document.body.classList.add('test-mode');
  return page;
})();

var Module = {
  canvas: document.getElementById('canvas'),
  print: function(text) { console.log(text); },
  printErr: function(text) { console.warn(text); },
};
