// The view page's data: the packed buffers the program wrote, decoded, and
// the points split into input and appended groups with their colours on the
// preview picture's scale. Everything here is plain arithmetic; drawing
// happens in viewer.js. Publishes window.velkorData.
(function () {
  'use strict';

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

  // Every m-th point of a group: what is drawn while the camera moves.
  function thinGroup(group, m) {
    var n = Math.ceil(group.ids.length / m);
    var thin = { ids: new Uint32Array(n), xyz: new Float32Array(3 * n), rgb: new Uint8Array(3 * n) };
    for (var i = 0; i < n; ++i) {
      thin.ids[i] = group.ids[i * m];
      for (var k = 0; k < 3; ++k) {
        thin.xyz[3 * i + k] = group.xyz[3 * i * m + k];
        thin.rgb[3 * i + k] = group.rgb[3 * i * m + k];
      }
    }
    return thin;
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

  window.velkorData = {
    meta: meta, positions: positions, directions: directions, intensities: intensities,
    colliderPositions: colliderPositions, triangles: triangles, input: inputGroup, appended: newGroup,
    colliderBounds: colliderBounds, stops: STOPS, noIntensity: NO_INTENSITY, intensityLength: intensityLength,
    thinGroup: thinGroup, emptyBounds: emptyBounds, include: include, isEmpty: isEmpty
  };
})();
