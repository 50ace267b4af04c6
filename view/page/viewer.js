// The view page's own script. It decodes the packed buffers the program
// wrote, builds a three.js scene of the collider and the points, frames an
// orthographic camera the way the preview picture does, and wires up the
// summary panel, the legend, the toggles and the point read-out.
//
// Drawing follows the preview picture: a triangle's front is the side from
// which its corners run clockwise (rays hit that side), the opposite of
// WebGL's rule. Back faces are drawn first, dim, on their own depth buffer,
// so they never hide anything, as they never stop a ray. Points are colour
// marks on the preview's log scale; a point on a wall is nudged towards the
// camera by 1% of the scene's size so that the wall it lies on never hides
// it. Input points are drawn small and first, behind the appended ones.
//
// For tests and measurements the page publishes window.velkorStatus (ready,
// errors, a probe point and where it lands on screen) and mirrors it in the
// data attributes of #velkor-status.
(function () {
  'use strict';

  var statusElement = document.getElementById('velkor-status');
  var status = { ready: false, errors: window.velkorErrors, probe: null, frames: null };
  window.velkorStatus = status;

  function publish() {
    statusElement.dataset.ready = status.ready ? '1' : '0';
    statusElement.dataset.errors = String(status.errors.length);
    statusElement.dataset.probe = JSON.stringify(status.probe);
    statusElement.dataset.frames = JSON.stringify(status.frames);
  }

  // ---- data -------------------------------------------------------------

  function decode(id, Type) {
    var element = document.getElementById(id);
    var text = element.textContent;
    element.textContent = '';
    if (!text.length) return new Type(0);
    var binary = atob(text);
    var bytes = new Uint8Array(binary.length);
    for (var i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return new Type(bytes.buffer);
  }

  var meta = JSON.parse(document.getElementById('velkor-meta').textContent);
  var positions = decode('velkor-positions', Float32Array);
  var directions = decode('velkor-directions', Float32Array);
  var intensities = decode('velkor-intensities', Float32Array);
  var colliderPositions = decode('velkor-collider-positions', Float32Array);
  var triangles = decode('velkor-triangles', Uint32Array);

  // The preview's colour map: eleven stops, linear between them, rounded
  // to bytes the same way.
  var STOPS = [[68, 1, 84], [72, 37, 118], [65, 68, 135], [53, 96, 141], [42, 120, 142], [33, 144, 140],
    [34, 168, 132], [67, 191, 113], [122, 209, 81], [187, 223, 39], [253, 231, 37]];
  var NO_INTENSITY = [136, 136, 136];

  function colourMap(t) {
    if (!(t > 0)) return STOPS[0];
    if (t >= 1) return STOPS[10];
    var s = t * 10, i = Math.floor(s), f = s - i, a = STOPS[i], b = STOPS[i + 1];
    return [0, 1, 2].map(function (k) { return Math.floor(a[k] + (b[k] - a[k]) * f + 0.5); });
  }

  var scale = meta.scale;
  function intensityLength(k) {
    if (!intensities.length) return 0;
    var x = intensities[3 * k], y = intensities[3 * k + 1], z = intensities[3 * k + 2];
    return Math.sqrt((x * x + y * y) + z * z);
  }
  function intensityColour(length) {
    if (!scale.hasRange || !(length > 0) || !isFinite(length)) return NO_INTENSITY;
    var span = scale.logMax - scale.logMin;
    if (!(span > 0)) return colourMap(1);
    var t = (Math.log10(length) - scale.logMin) / span;
    return colourMap(t < 0 ? 0 : (t > 1 ? 1 : t));
  }

  function emptyBounds() { return { min: [Infinity, Infinity, Infinity], max: [-Infinity, -Infinity, -Infinity] }; }
  function include(bounds, x, y, z) {
    var p = [x, y, z];
    for (var k = 0; k < 3; ++k) {
      if (p[k] < bounds.min[k]) bounds.min[k] = p[k];
      if (p[k] > bounds.max[k]) bounds.max[k] = p[k];
    }
  }
  function isEmpty(bounds) { return !(bounds.min[0] <= bounds.max[0]); }

  // One group of points (input or appended): the finite ones among kept
  // points first .. end-1, their colours and kept numbers.
  function pointGroup(first, end) {
    var ids = [];
    for (var k = first; k < end; ++k)
      if (isFinite(positions[3 * k]) && isFinite(positions[3 * k + 1]) && isFinite(positions[3 * k + 2])) ids.push(k);
    var group = { ids: new Uint32Array(ids), xyz: new Float32Array(ids.length * 3),
      rgb: new Uint8Array(ids.length * 3), bounds: emptyBounds(), grey: 0 };
    for (var i = 0; i < ids.length; ++i) {
      var k3 = 3 * ids[i];
      group.xyz[3 * i] = positions[k3]; group.xyz[3 * i + 1] = positions[k3 + 1]; group.xyz[3 * i + 2] = positions[k3 + 2];
      include(group.bounds, positions[k3], positions[k3 + 1], positions[k3 + 2]);
      var colour = intensityColour(intensityLength(ids[i]));
      if (colour === NO_INTENSITY) group.grey++;
      group.rgb[3 * i] = colour[0]; group.rgb[3 * i + 1] = colour[1]; group.rgb[3 * i + 2] = colour[2];
    }
    return group;
  }

  var kept = positions.length / 3;
  var keptInput = Math.min(kept, Math.ceil(meta.inputCount / meta.stride));
  var inputGroup = pointGroup(0, keptInput);
  var newGroup = pointGroup(keptInput, kept);
  var colliderBounds = emptyBounds();
  for (var c = 0; c < triangles.length; ++c) {
    var p = 3 * triangles[c];
    include(colliderBounds, colliderPositions[p], colliderPositions[p + 1], colliderPositions[p + 2]);
  }

  // ---- scene --------------------------------------------------------------

  var renderer;
  try {
    renderer = new THREE.WebGLRenderer({ antialias: false, preserveDrawingBuffer: true });
  } catch (e) {
    document.body.insertAdjacentHTML('beforeend', '<p style="padding:2em">This page needs WebGL, which this browser does not offer.</p>');
    throw e;
  }
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  renderer.setSize(window.innerWidth, window.innerHeight);
  renderer.setClearColor(0x16181e, 1);
  renderer.autoClear = false;
  document.body.insertBefore(renderer.domElement, document.body.firstChild);

  function addLights(scene) {
    scene.add(new THREE.AmbientLight(0xffffff, 0.45));
    var key = new THREE.DirectionalLight(0xffffff, 0.45);
    key.position.set(0.3, 1.0, 0.55);
    var fill = new THREE.DirectionalLight(0xffffff, 0.25);
    fill.position.set(-0.3, -1.0, -0.55);
    scene.add(key, fill);
  }
  var backScene = new THREE.Scene();
  var scene = new THREE.Scene();
  addLights(backScene);
  addLights(scene);

  var collider = new THREE.BufferGeometry();
  collider.setAttribute('position', new THREE.BufferAttribute(colliderPositions, 3));
  collider.setIndex(new THREE.BufferAttribute(triangles, 1));
  // Fronts run clockwise, so WebGL's back side is the collider's front.
  var fronts = new THREE.Mesh(collider, new THREE.MeshPhongMaterial({ color: 0xb8b8b8, specular: 0x000000,
    shininess: 0, flatShading: true, side: THREE.BackSide, polygonOffset: true, polygonOffsetFactor: 1,
    polygonOffsetUnits: 1 }));
  var backs = new THREE.Mesh(collider, new THREE.MeshPhongMaterial({ color: 0x3c3c40, specular: 0x000000,
    shininess: 0, flatShading: true, side: THREE.FrontSide }));
  backScene.add(backs);
  scene.add(fronts);

  var extent = 0;
  (function () {
    var all = emptyBounds();
    [inputGroup.bounds, newGroup.bounds, colliderBounds].forEach(function (b) {
      if (!isEmpty(b)) { include(all, b.min[0], b.min[1], b.min[2]); include(all, b.max[0], b.max[1], b.max[2]); }
    });
    if (!isEmpty(all)) extent = Math.max(all.max[0] - all.min[0], all.max[1] - all.min[1], all.max[2] - all.min[2]);
  })();

  var vertexShader = [
    'uniform float size;', 'uniform float bias;', 'attribute vec3 pointColour;', 'varying vec3 vColour;',
    'void main() {', '  vColour = pointColour;', '  vec4 mv = modelViewMatrix * vec4(position, 1.0);',
    '  mv.z += bias;', '  gl_Position = projectionMatrix * mv;', '  gl_PointSize = size;', '}'].join('\n');
  var fragmentShader = [
    'uniform float round;', 'varying vec3 vColour;', 'void main() {', '  vec2 d = gl_PointCoord - 0.5;',
    '  if (round > 0.5 && dot(d, d) > 0.25) discard;', '  gl_FragColor = vec4(vColour, 1.0);', '}'].join('\n');

  function pointCloud(group, size, round, behind) {
    var geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(group.xyz, 3));
    geometry.setAttribute('pointColour', new THREE.BufferAttribute(group.rgb, 3, true));
    var ratio = renderer.getPixelRatio();
    var material = new THREE.ShaderMaterial({ vertexShader: vertexShader, fragmentShader: fragmentShader,
      uniforms: { size: { value: size * ratio }, bias: { value: 0.01 * extent }, round: { value: round ? 1 : 0 } },
      depthWrite: !behind });
    var cloud = new THREE.Points(geometry, material);
    cloud.renderOrder = behind ? 1 : 2;
    cloud.frustumCulled = false;
    scene.add(cloud);
    return cloud;
  }
  var newSize = newGroup.ids.length > 200000 ? 3 : 5;
  var inputCloud = pointCloud(inputGroup, newGroup.ids.length ? 2 : 5, false, newGroup.ids.length > 0);
  var newCloud = pointCloud(newGroup, newSize, true, false);
  inputCloud.visible = meta.shown !== 'new';
  newCloud.visible = meta.shown !== 'input';

  // ---- camera -------------------------------------------------------------

  var camera = new THREE.OrthographicCamera(-1, 1, 1, -1, 0, 1);
  var controls = new THREE.OrbitControls(camera, renderer.domElement);
  controls.screenSpacePanning = true;
  var pixelsPerUnit = 1;
  var MARGIN = 24;

  // The part of the window the scene is framed in: on a wide window, the
  // space between the summary panel and the legend.
  function sceneRect() {
    var w = window.innerWidth, h = window.innerHeight, left = 0, right = 0;
    var panel = document.getElementById('velkor-panel'), legend = document.getElementById('velkor-legend');
    if (panel && legend && legend.offsetLeft - (panel.offsetLeft + panel.offsetWidth) > 0.4 * w) {
      left = panel.offsetLeft + panel.offsetWidth;
      right = w - legend.offsetLeft;
    }
    return { x: left, y: 0, width: w - left - right, height: h };
  }

  // The target sits at the centre of the scene's part of the window.
  function updateFrustum() {
    var w = window.innerWidth, h = window.innerHeight, r = sceneRect();
    var cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    camera.left = -cx / pixelsPerUnit; camera.right = (w - cx) / pixelsPerUnit;
    camera.top = cy / pixelsPerUnit; camera.bottom = -(h - cy) / pixelsPerUnit;
    camera.updateProjectionMatrix();
  }

  // The preview's iso view: 45 degrees round from +z towards +x, 30 degrees
  // up, framed on what is shown, the collider always included.
  function resetView() {
    var box = emptyBounds();
    var parts = [colliderBounds];
    if (inputCloud.visible) parts.push(inputGroup.bounds);
    if (newCloud.visible) parts.push(newGroup.bounds);
    parts.forEach(function (b) {
      if (!isEmpty(b)) { include(box, b.min[0], b.min[1], b.min[2]); include(box, b.max[0], b.max[1], b.max[2]); }
    });
    var h = Math.sqrt(0.5), c = Math.sqrt(6) / 4, d = Math.sqrt(2) / 4;
    var right = [h, 0, -h], up = [-d, Math.sqrt(3) / 2, -d], back = [c, 0.5, c];
    var centre = [0, 0, 0], spanU = 0, spanV = 0, radius = 1;
    if (!isEmpty(box)) {
      var uMin = Infinity, uMax = -Infinity, vMin = Infinity, vMax = -Infinity;
      for (var corner = 0; corner < 8; ++corner) {
        var q = [corner & 1 ? box.max[0] : box.min[0], corner & 2 ? box.max[1] : box.min[1], corner & 4 ? box.max[2] : box.min[2]];
        var u = (q[0] * right[0] + q[1] * right[1]) + q[2] * right[2];
        var v = (q[0] * up[0] + q[1] * up[1]) + q[2] * up[2];
        uMin = Math.min(uMin, u); uMax = Math.max(uMax, u); vMin = Math.min(vMin, v); vMax = Math.max(vMax, v);
      }
      for (var k = 0; k < 3; ++k) centre[k] = (box.min[k] + box.max[k]) / 2;
      spanU = uMax - uMin; spanV = vMax - vMin;
      var dx = box.max[0] - box.min[0], dy = box.max[1] - box.min[1], dz = box.max[2] - box.min[2];
      radius = Math.max(Math.sqrt(dx * dx + dy * dy + dz * dz) / 2, 1e-6 * Math.max(1, Math.abs(centre[0]), Math.abs(centre[1]), Math.abs(centre[2])));
    }
    var rect = sceneRect();
    var w = Math.max(1, rect.width - 2 * MARGIN), hgt = Math.max(1, rect.height - 2 * MARGIN);
    var fit = 0;
    if (spanU > 0) fit = w / spanU;
    if (spanV > 0 && (fit === 0 || hgt / spanV < fit)) fit = hgt / spanV;
    pixelsPerUnit = fit > 0 && isFinite(fit) ? fit : 1;
    var distance = 4 * radius;
    camera.position.set(centre[0] + back[0] * distance, centre[1] + back[1] * distance, centre[2] + back[2] * distance);
    camera.up.set(0, 1, 0);
    camera.near = 0;
    camera.far = 8 * radius;
    camera.zoom = 1;
    controls.target.set(centre[0], centre[1], centre[2]);
    updateFrustum();
    controls.update();
    requestRender();
  }

  // ---- drawing --------------------------------------------------------------

  var renderPending = false;
  function render() {
    renderer.clear();
    renderer.render(backScene, camera);
    renderer.clearDepth();
    renderer.render(scene, camera);
  }
  function requestRender() {
    if (renderPending) return;
    renderPending = true;
    requestAnimationFrame(function () { renderPending = false; render(); });
  }
  controls.addEventListener('change', requestRender);
  window.addEventListener('resize', function () {
    renderer.setSize(window.innerWidth, window.innerHeight);
    updateFrustum();
    requestRender();
  });

  // ---- picking --------------------------------------------------------------

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
    var groups = [[newGroup, newCloud], [inputGroup, inputCloud]];
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

  window.velkorPanel.build(meta, { input: inputGroup, appended: newGroup }, STOPS, NO_INTENSITY, {
    collider: fronts, backs: backs, input: inputCloud, appended: newCloud, redraw: requestRender
  }, resetView);

  // ---- tests and measurements -----------------------------------------------

  // The shown point nearest the camera whose mark lies wholly inside the
  // window: nothing can cover it but a front face, and it draws over every
  // other point at its pixel.
  function findProbe() {
    var project = projector();
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
    if (newCloud.visible) groups.push(newGroup);
    if (inputCloud.visible) groups.push(inputGroup);
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

  // Turns the camera once round the scene in `frames` steps, timing each
  // frame's drawing (finished on the GPU) and the interval between frames.
  window.velkorMeasureFrames = function (frames) {
    return new Promise(function (resolve) {
      var gl = renderer.getContext(), drawn = 0, drawTotal = 0, drawMax = 0, start = 0;
      var offset = new THREE.Vector3().subVectors(camera.position, controls.target);
      var turn = new THREE.Quaternion().setFromAxisAngle(new THREE.Vector3(0, 1, 0), 2 * Math.PI / frames);
      function step(now) {
        if (drawn === 0) start = now;
        offset.applyQuaternion(turn);
        camera.position.copy(controls.target).add(offset);
        camera.lookAt(controls.target);
        var t0 = performance.now();
        render();
        gl.finish();
        var t = performance.now() - t0;
        drawTotal += t; drawMax = Math.max(drawMax, t);
        if (++drawn < frames) { requestAnimationFrame(step); return; }
        status.frames = { frames: frames, points: shownPointCount(), meanDrawMs: drawTotal / frames, maxDrawMs: drawMax,
          meanIntervalMs: (performance.now() - start) / (frames - 1) };
        publish();
        resolve(status.frames);
      }
      requestAnimationFrame(step);
    });
  };
  function shownPointCount() { return inputGroup.ids.length + newGroup.ids.length; }

  resetView();
  requestAnimationFrame(function () {
    render();
    status.probe = findProbe();
    status.ready = true;
    publish();
  });
})();
