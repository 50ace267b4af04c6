// What the page tells tests and measurements, through window.velkorStatus
// and the data attributes of #velkor-status: ready once the first frame is
// drawn, the script errors seen, a probe point with the pixel it lands on
// and its colour, and frame times of a programmed turn round the scene.
(function () {
  'use strict';

  var data = window.velkorData, view = window.velkorView, meta = data.meta;
  var camera = view.camera, controls = view.controls, renderer = view.renderer, render = view.render;
  var newGroup = data.appended, inputGroup = data.input;
  var statusElement = document.getElementById('velkor-status');
  var status = { ready: false, errors: window.velkorErrors, probe: null, frames: null };
  window.velkorStatus = status;

  function publish() {
    statusElement.dataset.ready = status.ready ? '1' : '0';
    statusElement.dataset.errors = String(status.errors.length);
    statusElement.dataset.probe = JSON.stringify(status.probe);
    statusElement.dataset.frames = JSON.stringify(status.frames);
  }

  // The shown point nearest the camera whose mark lies wholly inside the
  // window: nothing can cover it but a front face, and it draws over every
  // other point at its pixel.
  function findProbe() {
    var project = view.projector();
    var w = window.innerWidth, h = window.innerHeight, best = -1, bestDepth = Infinity, at = null;
    // Boxes floating over the canvas, grown by a mark's reach.
    var covers = Array.prototype.map.call(document.querySelectorAll('.velkor-box'), function (e) {
      return e.getBoundingClientRect();
    }).filter(function (r) { return r.width > 0; });
    function covered(x, y) {
      return covers.some(function (r) { return x > r.left - 8 && x < r.right + 8 && y > r.top - 8 && y < r.bottom + 8; });
    }
    // Appended points first: input points lie behind them.
    var groups = [], group = null;
    if (view.layers.appended.visible) groups.push(newGroup);
    if (view.layers.input.visible) groups.push(inputGroup);
    for (var g = 0; g < groups.length && best < 0; ++g) {
      group = groups[g];
      for (var i = 0; i < group.ids.length; ++i) {
        var s = project(group.xyz[3 * i], group.xyz[3 * i + 1], group.xyz[3 * i + 2]);
        if (s[0] < 8 || s[1] < 8 || s[0] > w - 8 || s[1] > h - 8 || s[2] >= bestDepth || covered(s[0], s[1])) continue;
        best = i; bestDepth = s[2]; at = s;
      }
    }
    if (best < 0) return null;
    return { point: group.ids[best] * meta.stride, x: Math.floor(at[0]), y: Math.floor(at[1]),
      colour: Array.prototype.slice.call(group.rgb, 3 * best, 3 * best + 3), width: w, height: h };
  }

  // Turns the camera once round the scene in `frames` steps, as a drag
  // would (thinned clouds; the full clouds with full = true), timing each
  // frame's drawing up to a finished pixel read-back and the interval
  // between frames.
  window.velkorMeasureFrames = function (frames, full) {
    return new Promise(function (resolve) {
      var gl = renderer.getContext(), pixel = new Uint8Array(4), drawn = 0, drawTotal = 0, drawMax = 0, start = 0;
      var offset = new THREE.Vector3().subVectors(camera.position, controls.target);
      var turn = new THREE.Quaternion().setFromAxisAngle(new THREE.Vector3(0, 1, 0), 2 * Math.PI / frames);
      view.setMovingNow(!full);
      function step(now) {
        if (drawn === 0) start = now;
        offset.applyQuaternion(turn);
        camera.position.copy(controls.target).add(offset);
        camera.lookAt(controls.target);
        var t0 = performance.now();
        render();
        gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
        var t = performance.now() - t0;
        drawTotal += t; drawMax = Math.max(drawMax, t);
        if (++drawn < frames) { requestAnimationFrame(step); return; }
        view.setMovingNow(false);
        render();
        status.frames = { frames: frames, points: shownPointCount(), pointsDrawn: full ? shownPointCount() :
          Math.ceil(shownPointCount() / view.thinning), meanDrawMs: drawTotal / frames, maxDrawMs: drawMax,
          meanIntervalMs: (performance.now() - start) / (frames - 1) };
        publish();
        resolve(status.frames);
      }
      requestAnimationFrame(step);
    });
  };
  function shownPointCount() { return inputGroup.ids.length + newGroup.ids.length; }

  requestAnimationFrame(function () {
    render();
    status.probe = findProbe();
    status.ready = true;
    publish();
  });
})();
