// The view page's point read-out: hovering over a point shows its number,
// position, direction and intensity; a click pins the read-out until the
// next click. Points are found by projecting them all, which takes a few
// milliseconds for two million points and is done at most once a frame.
(function () {
  'use strict';

  var data = window.velkorData, view = window.velkorView, meta = data.meta;
  var camera = view.camera, renderer = view.renderer;
  var positions = data.positions, directions = data.directions, intensities = data.intensities;
  var newGroup = data.appended, inputGroup = data.input, intensityLength = data.intensityLength;

  // Screen position (CSS pixels) and depth of a point under the current camera.
  function projector() {
    camera.updateMatrixWorld();
    var m = new THREE.Matrix4().multiplyMatrices(camera.projectionMatrix, camera.matrixWorldInverse).elements;
    var w = renderer.domElement.clientWidth, h = renderer.domElement.clientHeight;
    return function (x, y, z) {
      var nx = m[0] * x + m[4] * y + m[8] * z + m[12];
      var ny = m[1] * x + m[5] * y + m[9] * z + m[13];
      var nz = m[2] * x + m[6] * y + m[10] * z + m[14];
      return [(nx + 1) / 2 * w, (1 - ny) / 2 * h, nz];
    };
  }

  // The shown point nearest the cursor within `reach` pixels; appended
  // points first, since they lie over the input points.
  function pick(cx, cy, reach) {
    var project = projector();
    var groups = [[newGroup, view.layers.appended], [inputGroup, view.layers.input]];
    for (var g = 0; g < groups.length; ++g) {
      var group = groups[g][0];
      if (!groups[g][1].visible) continue;
      var best = -1, bestScore = Infinity;
      for (var i = 0; i < group.ids.length; ++i) {
        var s = project(group.xyz[3 * i], group.xyz[3 * i + 1], group.xyz[3 * i + 2]);
        var dx = s[0] - cx, dy = s[1] - cy, d2 = dx * dx + dy * dy;
        if (d2 > reach * reach) continue;
        var score = d2 + s[2] * 1e-3;
        if (score < bestScore) { bestScore = score; best = i; }
      }
      if (best >= 0) return group.ids[best];
    }
    return -1;
  }

  function triple(a, k) {
    if (!a.length) return 'none';
    return '(' + [a[3 * k], a[3 * k + 1], a[3 * k + 2]].map(function (v) { return v.toPrecision(6); }).join(', ') + ')';
  }

  var pickBox = document.createElement('div');
  pickBox.id = 'velkor-pick';
  pickBox.className = 'velkor-box';
  document.body.appendChild(pickBox);
  var pinned = false;

  function showPoint(k) {
    if (k < 0) { pickBox.style.display = 'none'; return; }
    var number = k * meta.stride;
    var kind = number < meta.inputCount ? 'input point' : 'appended point';
    pickBox.textContent = kind + ' ' + number.toLocaleString('en') +
      '\nposition   ' + triple(positions, k) +
      '\ndirection  ' + triple(directions, k) +
      '\nintensity  ' + triple(intensities, k) +
      (intensities.length ? '   length ' + intensityLength(k).toPrecision(6) : '');
    pickBox.style.display = 'block';
  }

  var hoverPending = null;
  renderer.domElement.addEventListener('pointermove', function (e) {
    if (pinned || e.buttons) return;
    var first = hoverPending === null;
    hoverPending = [e.clientX, e.clientY];
    if (first) requestAnimationFrame(function () { showPoint(pick(hoverPending[0], hoverPending[1], 6)); hoverPending = null; });
  });
  var downAt = null;
  renderer.domElement.addEventListener('pointerdown', function (e) { downAt = [e.clientX, e.clientY]; });
  renderer.domElement.addEventListener('pointerup', function (e) {
    // A click, not the end of a drag, pins or releases the read-out.
    if (!downAt || Math.abs(e.clientX - downAt[0]) + Math.abs(e.clientY - downAt[1]) > 3) return;
    var k = pick(e.clientX, e.clientY, 6);
    pinned = k >= 0;
    showPoint(k);
  });

  view.projector = projector;
})();
