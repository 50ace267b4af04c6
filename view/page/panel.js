// The view page's panels: the cook's summary with the toggles and the reset
// button, and the legend of the colour scale and the point marks. Plain DOM,
// built once from the page's record; the viewer script calls build().
(function () {
  'use strict';

  function element(tag, className, text) {
    var e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function count(n) { return Number(n).toLocaleString('en'); }

  function toggle(parent, label, object, enabled, onChange) {
    var row = element('label');
    var box = element('input');
    box.type = 'checkbox';
    box.checked = object.visible && enabled;
    box.disabled = !enabled;
    box.addEventListener('change', function () { object.visible = box.checked; onChange(); });
    row.appendChild(box);
    row.appendChild(document.createTextNode(' ' + label));
    parent.appendChild(row);
    return box;
  }

  function summaryPanel(meta, groups, objects, reset) {
    var redraw = objects.redraw;
    var panel = element('div', 'velkor-box');
    panel.id = 'velkor-panel';
    panel.appendChild(element('h1', '', meta.title || 'velkor view'));
    var table = element('table');
    var rows = meta.rows.slice();
    rows.push(['points drawn', count(groups.input.ids.length + groups.appended.ids.length)]);
    rows.push(['triangles', count(meta.triangles)]);
    rows.forEach(function (r) {
      var tr = element('tr');
      tr.appendChild(element('td', '', r[0]));
      tr.appendChild(element('td', '', r[1]));
      table.appendChild(tr);
    });
    panel.appendChild(table);
    meta.messages.forEach(function (m) {
      panel.appendChild(element('div', 'velkor-message velkor-' + m[0], m[0] + ': ' + m[1]));
    });
    if (meta.stride > 1)
      panel.appendChild(element('div', 'velkor-note', 'Sampled: every ' + count(meta.stride) + 'th point is shown, ' +
        count(meta.keptPoints) + ' of ' + count(meta.pointCount) + ' (a page carries at most ' +
        count(meta.pointLimit) + ' points).'));
    if (objects.thinning > 1)
      panel.appendChild(element('div', 'velkor-note', 'While the view turns, every ' + count(objects.thinning) +
        'th of these points is drawn.'));
    if (meta.trianglesSkipped > 0)
      panel.appendChild(element('div', 'velkor-note', count(meta.trianglesSkipped) +
        ' primitives with fewer than three vertices or a non-finite corner are not drawn.'));

    var controls = element('div');
    controls.id = 'velkor-controls';
    toggle(controls, 'collider', objects.collider, meta.triangles > 0, redraw);
    toggle(controls, 'input points (' + count(meta.inputCount) + ')', objects.input, groups.input.ids.length > 0, redraw);
    toggle(controls, 'new points (' + count(meta.pointCount - meta.inputCount) + ')', objects.appended,
      groups.appended.ids.length > 0, redraw);
    var button = element('button', '', 'Reset to iso view');
    button.addEventListener('click', reset);
    controls.appendChild(button);
    panel.appendChild(controls);
    return panel;
  }

  function legendPanel(meta, groups, stops, grey) {
    var legend = element('div', 'velkor-box');
    legend.id = 'velkor-legend';
    legend.appendChild(element('div', '', 'intensity'));
    var scale = meta.scale;
    if (scale.hasRange) {
      var bar = element('span', 'velkor-bar');
      bar.style.background = 'linear-gradient(to top, ' + stops.map(function (s, i) {
        return 'rgb(' + s.join(',') + ') ' + (i * 10) + '%';
      }).join(', ') + ')';
      var ends = element('span', 'velkor-ends');
      var top = element('span', '', scale.maxLabel);
      top.style.top = '0';
      var bottom = element('span', '', scale.minLabel);
      bottom.style.bottom = '0';
      ends.appendChild(top);
      ends.appendChild(bottom);
      legend.appendChild(bar);
      legend.appendChild(ends);
    } else {
      legend.appendChild(element('div', '', 'no positive intensity'));
    }
    function key(label, colour, round, size) {
      var row = element('div', 'velkor-key');
      var swatch = element('span', 'velkor-swatch');
      swatch.style.background = 'rgb(' + colour.join(',') + ')';
      swatch.style.width = swatch.style.height = size + 'px';
      if (round) swatch.style.borderRadius = '50%';
      row.appendChild(swatch);
      row.appendChild(document.createTextNode(label));
      legend.appendChild(row);
    }
    if (scale.hasRange && groups.input.grey + groups.appended.grey > 0) key('no intensity', grey, false, 10);
    if (groups.input.ids.length && groups.appended.ids.length) {
      key('new point', [190, 190, 190], true, 8);
      key('input point', [190, 190, 190], false, 4);
    }
    return legend;
  }

  window.velkorPanel = {
    build: function (meta, groups, stops, grey, objects, reset) {
      document.body.appendChild(summaryPanel(meta, groups, objects, reset));
      document.body.appendChild(legendPanel(meta, groups, stops, grey));
      var help = element('div', 'velkor-box', 'drag: turn \u00b7 right-drag: pan \u00b7 wheel: zoom \u00b7 click a point: pin it');
      help.id = 'velkor-help';
      document.body.appendChild(help);
    }
  };
})();
