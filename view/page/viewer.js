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
// While the camera moves, clouds of more than MOVING_POINTS points are
// drawn thinned to at most that many, so turning stays fluid even on
// software rendering; the full cloud returns when the camera rests.
(function () {
  'use strict';

  var data = window.velkorData, meta = data.meta;
  var inputGroup = data.input, newGroup = data.appended, colliderBounds = data.colliderBounds;
  var emptyBounds = data.emptyBounds, include = data.include, isEmpty = data.isEmpty;
  var MOVING_POINTS = 250000;

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

  function pointCloud(group, material, order) {
    var geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(group.xyz, 3));
    geometry.setAttribute('pointColour', new THREE.BufferAttribute(group.rgb, 3, true));
    var cloud = new THREE.Points(geometry, material);
    cloud.renderOrder = order;
    cloud.frustumCulled = false;
    scene.add(cloud);
    return cloud;
  }
  function pointMaterial(size, round, behind) {
    return new THREE.ShaderMaterial({ vertexShader: vertexShader, fragmentShader: fragmentShader,
      uniforms: { size: { value: size * renderer.getPixelRatio() }, bias: { value: 0.01 * extent },
        round: { value: round ? 1 : 0 } },
      depthWrite: !behind });
  }
  var hasNew = newGroup.ids.length > 0;
  var inputMaterial = pointMaterial(hasNew ? 2 : 5, false, hasNew);
  var newMaterial = pointMaterial(newGroup.ids.length > 200000 ? 3 : 5, true, false);
  // What the toggles show; the clouds drawn follow these and the motion.
  var layers = { input: { visible: meta.shown !== 'new' }, appended: { visible: meta.shown !== 'input' },
    collider: { visible: true } };
  var clouds = { input: pointCloud(inputGroup, inputMaterial, 1), appended: pointCloud(newGroup, newMaterial, 2) };
  var total = inputGroup.ids.length + newGroup.ids.length;
  var thinning = Math.ceil(total / MOVING_POINTS);
  var movingClouds = thinning > 1 ? {
    input: pointCloud(data.thinGroup(inputGroup, thinning), inputMaterial, 1),
    appended: pointCloud(data.thinGroup(newGroup, thinning), newMaterial, 2)
  } : clouds;
  var moving = false;

  function syncLayers() {
    var thinned = moving && movingClouds !== clouds;
    ['input', 'appended'].forEach(function (name) {
      movingClouds[name].visible = layers[name].visible && thinned;
      clouds[name].visible = layers[name].visible && !thinned;
    });
    fronts.visible = backs.visible = layers.collider.visible;
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
