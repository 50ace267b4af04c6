// The view page's 3D scene: the collider and the points in three.js, an
// orthographic camera framed the way the preview picture frames it, orbit
// controls, and drawing on demand. Publishes window.velkorView for the
// read-out and the test probe.
//
// Drawing follows the preview picture: a triangle's front is the side from
// which its corners run clockwise (rays hit that side), the opposite of
// WebGL's rule. Back faces are drawn first, dim, on their own depth buffer,
// so they never hide anything, as they never stop a ray. Points are colour
// marks on the preview's log scale; a point on a wall is nudged towards the
// camera by 1% of the scene's size so that the wall it lies on never hides
// it. Input points are drawn small and first, behind the appended ones.
// While the camera moves, everything is drawn the cheap way so that turning
// stays fluid even on software rendering: clouds of more than MOVING_POINTS
// points thinned to at most that many (every k-th), square marks (no
// per-pixel discard), no back-face pass, the fronts in colours lit once per
// face at load time instead of per pixel, and half the resolution (the
// browser stretches the canvas). The full picture returns when the camera
// rests.
(function () {
  'use strict';

  var data = window.velkorData, meta = data.meta;
  var inputGroup = data.input, newGroup = data.appended, colliderBounds = data.colliderBounds;
  var emptyBounds = data.emptyBounds, include = data.include, isEmpty = data.isEmpty;
  var MOVING_POINTS = 50000;

  var renderer;
  try {
    renderer = new THREE.WebGLRenderer({ antialias: false, preserveDrawingBuffer: true });
  } catch (e) {
    document.body.insertAdjacentHTML('beforeend', '<p style="padding:2em">This page needs WebGL, which this browser does not offer.</p>');
    throw e;
  }
  var restRatio = window.devicePixelRatio || 1, movingRatio = restRatio / 2;
  renderer.setPixelRatio(restRatio);
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
  collider.setAttribute('position', new THREE.BufferAttribute(data.colliderPositions, 3));
  collider.setIndex(new THREE.BufferAttribute(data.triangles, 1));
  // Fronts run clockwise, so WebGL's back side is the collider's front.
  var fronts = new THREE.Mesh(collider, new THREE.MeshPhongMaterial({ color: 0xb8b8b8, specular: 0x000000,
    shininess: 0, flatShading: true, side: THREE.BackSide, polygonOffset: true, polygonOffsetFactor: 1,
    polygonOffsetUnits: 1 }));
  var backs = new THREE.Mesh(collider, new THREE.MeshPhongMaterial({ color: 0x3c3c40, specular: 0x000000,
    shininess: 0, flatShading: true, side: THREE.FrontSide }));
  backScene.add(backs);
  scene.add(fronts);
  var movingFronts = new THREE.Mesh(litFaces(data.colliderPositions, data.triangles, 0xb8b8b8),
    new THREE.MeshBasicMaterial({ vertexColors: THREE.VertexColors, side: THREE.BackSide, polygonOffset: true,
      polygonOffsetFactor: 1, polygonOffsetUnits: 1 }));
  movingFronts.visible = false;
  scene.add(movingFronts);

  // The collider's fronts as separate triangles, each in the colour the
  // lights above give its front with flat shading: a front is seen only
  // from the side its normal points to, so its lighting does not depend on
  // the camera and can be worked out once.
  function litFaces(xyz, corners, colour) {
    var lights = [[0.3, 1.0, 0.55, 0.45], [-0.3, -1.0, -0.55, 0.25]].map(function (l) {
      var n = Math.sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
      return [l[0] / n, l[1] / n, l[2] / n, l[3]];
    });
    var base = new THREE.Color(colour), count = corners.length - corners.length % 3;
    var out = new Float32Array(3 * count), rgb = new Uint8Array(3 * count);
    for (var t = 0; t < count; t += 3) {
      var a = 3 * corners[t], b = 3 * corners[t + 1], c = 3 * corners[t + 2];
      var ux = xyz[b] - xyz[a], uy = xyz[b + 1] - xyz[a + 1], uz = xyz[b + 2] - xyz[a + 2];
      var vx = xyz[c] - xyz[a], vy = xyz[c + 1] - xyz[a + 1], vz = xyz[c + 2] - xyz[a + 2];
      // Clockwise fronts: the normal is (c - a) x (b - a).
      var nx = vy * uz - vz * uy, ny = vz * ux - vx * uz, nz = vx * uy - vy * ux;
      var len = Math.sqrt(nx * nx + ny * ny + nz * nz), light = 0.45;
      if (len > 0) {
        lights.forEach(function (l) { light += l[3] * Math.max(0, (nx * l[0] + ny * l[1] + nz * l[2]) / len); });
      }
      var shade = [base.r, base.g, base.b].map(function (v) { return Math.round(255 * Math.min(1, v * light)); });
      for (var k = 0; k < 3; ++k) {
        var from = 3 * corners[t + k], to = 3 * (t + k);
        out[to] = xyz[from]; out[to + 1] = xyz[from + 1]; out[to + 2] = xyz[from + 2];
        rgb[to] = shade[0]; rgb[to + 1] = shade[1]; rgb[to + 2] = shade[2];
      }
    }
    var geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(out, 3));
    geometry.setAttribute('color', new THREE.BufferAttribute(rgb, 3, true));
    return geometry;
  }

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

  function pointGeometry(group) {
    var geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(group.xyz, 3));
    geometry.setAttribute('pointColour', new THREE.BufferAttribute(group.rgb, 3, true));
    return geometry;
  }
  function pointCloud(geometry, material, order) {
    var cloud = new THREE.Points(geometry, material);
    cloud.renderOrder = order;
    cloud.frustumCulled = false;
    scene.add(cloud);
    return cloud;
  }
  function pointMaterial(size, round, behind, ratio) {
    return new THREE.ShaderMaterial({ vertexShader: vertexShader, fragmentShader: fragmentShader,
      uniforms: { size: { value: size * ratio }, bias: { value: 0.01 * extent },
        round: { value: round ? 1 : 0 } },
      depthWrite: !behind });
  }
  var hasNew = newGroup.ids.length > 0;
  var inputMaterial = pointMaterial(hasNew ? 2 : 5, false, hasNew, restRatio);
  var newMaterial = pointMaterial(newGroup.ids.length > 200000 ? 3 : 5, true, false, restRatio);
  // What the toggles show; the clouds drawn follow these and the motion.
  var layers = { input: { visible: meta.shown !== 'new' }, appended: { visible: meta.shown !== 'input' },
    collider: { visible: true } };
  var clouds = { input: pointCloud(pointGeometry(inputGroup), inputMaterial, 1),
    appended: pointCloud(pointGeometry(newGroup), newMaterial, 2) };
  var total = inputGroup.ids.length + newGroup.ids.length;
  var thinning = Math.ceil(total / MOVING_POINTS);
  // Moving marks: the same sizes on screen, square; small clouds share the
  // buffers already on the GPU.
  var movingInputMaterial = pointMaterial(hasNew ? 2 : 5, false, hasNew, movingRatio);
  var movingNewMaterial = pointMaterial(newGroup.ids.length > 200000 ? 3 : 5, false, false, movingRatio);
  var movingClouds = {
    input: pointCloud(thinning > 1 ? pointGeometry(data.thinGroup(inputGroup, thinning)) : clouds.input.geometry,
      movingInputMaterial, 1),
    appended: pointCloud(thinning > 1 ? pointGeometry(data.thinGroup(newGroup, thinning)) : clouds.appended.geometry,
      movingNewMaterial, 2)
  };
  var moving = false;

  function syncLayers() {
    ['input', 'appended'].forEach(function (name) {
      movingClouds[name].visible = layers[name].visible && moving;
      clouds[name].visible = layers[name].visible && !moving;
    });
    fronts.visible = backs.visible = layers.collider.visible && !moving;
    movingFronts.visible = layers.collider.visible && moving;
  }

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
    if (layers.input.visible) parts.push(inputGroup.bounds);
    if (layers.appended.visible) parts.push(newGroup.bounds);
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
    syncLayers();
    // A new ratio resizes the drawing buffer, so only on the way in and out.
    var ratio = moving ? movingRatio : restRatio;
    if (renderer.getPixelRatio() !== ratio) renderer.setPixelRatio(ratio);
    renderer.clear();
    if (!moving) {
      renderer.render(backScene, camera);
      renderer.clearDepth();
    }
    renderer.render(scene, camera);
  }
  function requestRender() {
    if (renderPending) return;
    renderPending = true;
    requestAnimationFrame(function () { renderPending = false; render(); });
  }
  controls.addEventListener('change', requestRender);
  // Thinned clouds from the first movement until the camera has rested a
  // quarter of a second (a wheel turn is a start and an end at once).
  var restTimer = 0;
  function setMoving(on) {
    clearTimeout(restTimer);
    if (on) { moving = true; return; }
    restTimer = setTimeout(function () { moving = false; requestRender(); }, 250);
  }
  controls.addEventListener('start', function () { setMoving(true); });
  controls.addEventListener('end', function () { setMoving(false); });
  window.addEventListener('resize', function () {
    renderer.setSize(window.innerWidth, window.innerHeight);
    updateFrustum();
    requestRender();
  });

  window.velkorView = {
    renderer: renderer, camera: camera, controls: controls, layers: layers, thinning: thinning,
    render: render, requestRender: requestRender, resetView: resetView,
    setMovingNow: function (on) { clearTimeout(restTimer); moving = on; }
  };
  window.velkorPanel.build(meta, { input: inputGroup, appended: newGroup }, data.stops, data.noIntensity, {
    collider: layers.collider, input: layers.input, appended: layers.appended, redraw: requestRender,
    thinning: thinning
  }, resetView);
  resetView();
})();
