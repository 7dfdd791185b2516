// Touch controls: buttons that stand for the board's keys, for tablets and phones.
//
// The program hears keys only: emscripten's SDL reads the legacy keyCode of key events on the
// document. So each control (an element whose data-key names its key as KeyboardEvent.key does)
// sends its key's events there, as a keyboard would: the key goes down when a finger touches the
// control and up when that finger lifts, leaves the control or is cancelled, and several fingers
// hold several keys. A touch anywhere else presses Enter, which does not move the pen but ends
// the title wait as any key does. The end control (q) must be held for half a second, shown as it
// fills, because ending cannot be undone; q then stays down until the program has ended, since
// the program reads it once per pass.
//
// The controls show (data-touch on the body) once the page has seen a touch, or from the start
// where the primary pointer is coarse: with a keyboard and a mouse they never do.
(function () {
  'use strict';
  var keyCodes = {ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Enter: 13, q: 81};
  var endHoldMilliseconds = 500; // as long as #end.filling's transition in index.html
  var body = document.body;

  function send(type, key) {
    var event = new KeyboardEvent(type, {key: key, bubbles: true, cancelable: true});
    // The event's constructor takes no keyCode: the event is given its key's.
    Object.defineProperty(event, 'keyCode', {value: keyCodes[key]});
    Object.defineProperty(event, 'which', {value: keyCodes[key]});
    document.dispatchEvent(event);
  }

  function showControls() {
    body.dataset.touch = '';
  }
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches) {
    showControls();
  }

  var fingers = {}; // pointerId: the control it holds
  var held = {}; // key: how many fingers hold it
  var endTimer = null;
  var ending = false;

  function press(control, finger) {
    var key = control.dataset.key;
    fingers[finger] = control;
    if (key === 'q') {
      control.classList.add('filling');
      endTimer = endTimer || setTimeout(function () {
        ending = true; // q is never released: the program ends once it has seen it
        send('keydown', 'q');
      }, endHoldMilliseconds);
      return;
    }
    held[key] = (held[key] || 0) + 1;
    if (held[key] === 1) {
      control.classList.add('held');
      send('keydown', key);
    }
  }

  function release(finger) {
    var control = fingers[finger];
    if (!control) {
      return;
    }
    delete fingers[finger];
    var key = control.dataset.key;
    if (key === 'q') {
      if (!ending) {
        clearTimeout(endTimer);
        endTimer = null;
        control.classList.remove('filling');
      }
      return;
    }
    held[key] -= 1;
    if (held[key] === 0) {
      control.classList.remove('held');
      send('keyup', key);
    }
  }

  Array.prototype.forEach.call(document.querySelectorAll('[data-key]'), function (control) {
    control.addEventListener('pointerdown', function (event) {
      event.preventDefault();
      // A touch is held by the element it started on until it lifts; let go, so that the
      // control hears the finger leave.
      if (control.hasPointerCapture(event.pointerId)) {
        control.releasePointerCapture(event.pointerId);
      }
      press(control, event.pointerId);
    });
    ['pointerup', 'pointercancel', 'pointerleave'].forEach(function (type) {
      control.addEventListener(type, function (event) {
        release(event.pointerId);
      });
    });
    control.addEventListener('contextmenu', function (event) {
      event.preventDefault();
    });
  });

  document.addEventListener('pointerdown', function (event) {
    if (event.pointerType === 'mouse') {
      return;
    }
    showControls();
    if (!event.target.closest('button')) {
      send('keydown', 'Enter');
      send('keyup', 'Enter');
    }
  });
})();
