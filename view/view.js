// The script of the compactor view page: zoom and pan of the plan and of the
// profile, the details of the item under the pointer or the keyboard focus,
// and the links from the tables to the profile. Plain JavaScript, no
// framework, nothing loaded from anywhere: the program embeds this file into
// every page it writes.
//
// window.compactorView.apply(parts) replaces the page's parts (the JSON of
// the C++ ViewParts: title, summary, plan, profile, tables, data) and keeps
// the zoom, the pan and the focused item.
(function () {
  'use strict';

  var data = {};
  // Zoom state: the plan's viewBox, the profile's range of metres, the item
  // last focused or pointed at ({kind, cell}).
  var planFull = null;
  var planBox = null;
  var profileFull = null;
  var profileRange = null;
  var current = null;
  var placed = [];      // profile elements placed by metres
  var labelRows = [];   // profile label rows, culled on zoom
  var planLabels = [];  // plan kilometre labels
  var frame = 0;
  var placedFor = null;  // the range of metres the placed elements stand for

  function byId(id) { return document.getElementById(id); }

  function readData() {
    var el = byId('view-data');
    data = el ? JSON.parse(el.textContent || '{}') : {};
  }

  function later() {
    if (frame) return;
    frame = window.requestAnimationFrame(function () {
      frame = 0;
      drawPlan();
      drawProfile();
    });
  }

  // ---- plan -------------------------------------------------------------

  function planScale(svg) {
    var ctm = svg.getScreenCTM();
    if (!ctm || !ctm.a) return Number(svg.getAttribute('data-u')) || 1;
    return 1 / ctm.a;
  }

  function drawPlan() {
    var svg = byId('plan');
    if (!svg || !planBox) return;
    svg.setAttribute('viewBox', planBox.join(' '));
    var u = planScale(svg);
    svg.style.setProperty('--u', String(u));
    // Kilometre labels: every n-th kilometre so that they do not overlap.
    var pxPerKm = 1000 / u;
    var every = 1;
    for (var step = 0; pxPerKm * every < 40 && step < 30; step++) {
      every = [1, 2, 5][(step + 1) % 3] * Math.pow(10, Math.floor((step + 1) / 3));
    }
    for (var k = 0; k < planLabels.length; k++) {
      var n = Number(planLabels[k].getAttribute('data-k'));
      planLabels[k].style.display = n % every === 0 ? '' : 'none';
    }
    drawStretch();
  }

  function clientToPlan(svg, x, y) {
    var p = svg.createSVGPoint();
    p.x = x;
    p.y = y;
    var ctm = svg.getScreenCTM();
    return ctm ? p.matrixTransform(ctm.inverse()) : p;
  }

  function zoomPlan(factor, cx, cy) {
    var svg = byId('plan');
    var c = clientToPlan(svg, cx, cy);
    var b = planBox;
    var w = b[2] * factor;
    var h = b[3] * factor;
    var limit = planFull[2] * 20;
    if (w > limit) return;
    if (w < 5) return;
    planBox = [c.x - (c.x - b[0]) * factor, c.y - (c.y - b[1]) * factor, w, h];
    later();
  }

  function fitPlan() {
    if (!planFull) return;
    planBox = planFull.slice();
    later();
  }

  // The stretch of the line that the profile shows, drawn over the plan.
  function drawStretch() {
    var svg = byId('plan');
    var mark = byId('plan-stretch');
    if (!svg || !mark || !profileRange || !profileFull) return;
    var m0 = profileRange[0];
    var m1 = profileRange[1];
    if (m0 <= profileFull[0] && m1 >= profileFull[1]) {
      mark.setAttribute('d', '');
      return;
    }
    var parts = [];
    var tracks = svg.querySelectorAll('path.track');
    for (var i = 0; i < tracks.length; i++) {
      var t = tracks[i];
      var from = Number(t.getAttribute('data-from'));
      var to = Number(t.getAttribute('data-to'));
      if (to <= m0 || from >= m1) continue;
      if (from >= m0 && to <= m1) {
        parts.push(t.getAttribute('d'));
        continue;
      }
      var length = t.getTotalLength();
      if (!(length > 0)) continue;
      var a = Math.max(from, m0);
      var b = Math.min(to, m1);
      var steps = 80;
      var d = '';
      for (var s = 0; s <= steps; s++) {
        var m = a + (b - a) * s / steps;
        var p = t.getPointAtLength((m - from) / (to - from) * length);
        d += (s === 0 ? 'M' : 'L') + p.x.toFixed(2) + ' ' + p.y.toFixed(2);
      }
      parts.push(d);
    }
    mark.setAttribute('d', parts.join(''));
  }

  // ---- profile ----------------------------------------------------------

  function profileGeometry(svg) {
    return {
      left: Number(svg.getAttribute('data-left')),
      right: Number(svg.getAttribute('data-right'))
    };
  }

  function drawProfile() {
    var svg = byId('profile');
    if (!svg || !profileRange) return;
    var g = profileGeometry(svg);
    var m0 = profileRange[0];
    var m1 = profileRange[1];
    var k = (g.right - g.left) / Math.max(1, m1 - m0);
    var zx = svg.querySelector('g.zx');
    if (zx) zx.setAttribute('transform', 'matrix(' + k + ' 0 0 1 ' + (g.left - m0 * k) + ' 0)');
    function X(m) { return g.left + (m - m0) * k; }
    var moved = !placedFor || placedFor[0] !== m0 || placedFor[1] !== m1;
    placedFor = [m0, m1];
    for (var i = 0; moved && i < placed.length; i++) {
      var p = placed[i];
      if (p.b !== null) {
        var xa = X(p.a);
        p.el.setAttribute('x', xa.toFixed(2));
        p.el.setAttribute('width', Math.max(1, X(p.b) - xa).toFixed(2));
      } else if (p.line) {
        var xl = X(p.a).toFixed(2);
        p.el.setAttribute('x1', xl);
        p.el.setAttribute('x2', xl);
      } else if (p.circle) {
        p.el.setAttribute('cx', X(p.a).toFixed(2));
      } else {
        p.el.setAttribute('x', X(p.a).toFixed(2));
      }
    }
    // Labels: left to right, each shown only where it does not run into the
    // one before it.
    for (var r = 0; r < labelRows.length; r++) {
      var row = labelRows[r];
      var end = -Infinity;
      for (var j = 0; j < row.length; j++) {
        var t = row[j];
        var x = X(t.m);
        var width = t.chars * 6 + 6;
        var show = x >= g.left - 2 && x <= g.right && x >= end;
        t.el.style.display = show ? '' : 'none';
        if (show) end = x + width;
      }
    }
    drawStretch();
  }

  function clientToProfileMetres(svg, clientX) {
    var p = svg.createSVGPoint();
    p.x = clientX;
    p.y = 0;
    var ctm = svg.getScreenCTM();
    var v = ctm ? p.matrixTransform(ctm.inverse()) : p;
    var g = profileGeometry(svg);
    var f = (v.x - g.left) / (g.right - g.left);
    return profileRange[0] + f * (profileRange[1] - profileRange[0]);
  }

  function setProfileRange(m0, m1) {
    var full = profileFull;
    var span = Math.min(full[1] - full[0], Math.max(200, m1 - m0));
    if (m0 < full[0]) m0 = full[0];
    if (m0 + span > full[1]) m0 = full[1] - span;
    profileRange = [m0, m0 + span];
    later();
  }

  function zoomProfile(factor, clientX) {
    var svg = byId('profile');
    var m = clientToProfileMetres(svg, clientX);
    var r = profileRange;
    setProfileRange(m - (m - r[0]) * factor, m + (r[1] - m) * factor);
  }

  function showProfileAround(metres, span) {
    setProfileRange(metres - span / 2, metres + span / 2);
  }

  // ---- details ----------------------------------------------------------

  // "km 208+500" from the pieces of the progressives' reading.
  function kilometre(m) {
    var offset = 0;
    var pieces = data.km || [];
    for (var i = 0; i < pieces.length; i++) {
      if (pieces[i][0] <= m) offset = pieces[i][1];
    }
    var k = m + offset;
    var a = Math.abs(k);
    var rest = String(a % 1000);
    while (rest.length < 3) rest = '0' + rest;
    return 'km ' + (k < 0 ? '-' : '') + Math.floor(a / 1000) + '+' + rest;
  }

  function itemOf(target) {
    while (target && target.nodeType === 1) {
      if (target.classList && target.classList.contains('item')) return target;
      if (target.tagName === 'svg' || target === document.body) return null;
      target = target.parentNode;
    }
    return null;
  }

  function same(kind, cell) {
    return document.querySelectorAll('.item[data-kind="' + kind + '"][data-cell="' + cell + '"]');
  }

  function highlight(kind, cell) {
    var old = document.querySelectorAll('.item.hi');
    for (var i = 0; i < old.length; i++) old[i].classList.remove('hi');
    if (kind === null) return;
    var now = same(kind, cell);
    for (var j = 0; j < now.length; j++) now[j].classList.add('hi');
  }

  function span(cls, text) {
    var s = document.createElement('span');
    if (cls) s.className = cls;
    s.textContent = text;
    return s;
  }

  // [cell, slowdown cell, capped] of a point of the block pass, or null.
  function blockPass(cell) {
    var list = data.block || [];
    var c = Number(cell);
    for (var i = 0; i < list.length; i++) {
      if (list[i][0] === c) return list[i];
    }
    return null;
  }

  function slowItem(cell) {
    return document.querySelector('#profile .item[data-kind="slowdown-warning"][data-cell="' + cell + '"],' +
      '#profile .item[data-kind="slowdown-start"][data-cell="' + cell + '"]');
  }
  function slowKind(cell) {
    var el = slowItem(cell);
    return el ? el.getAttribute('data-kind') : '';
  }
  function slowSource(cell) {
    var el = slowItem(cell);
    return el ? el.getAttribute('data-source') : '';
  }

  function showDetails(el) {
    var box = byId('details');
    if (!box || !el) return;
    var kind = el.getAttribute('data-kind');
    var cell = el.getAttribute('data-cell');
    var metres = el.getAttribute('data-metres');
    var source = el.getAttribute('data-source');
    current = { kind: kind, cell: cell };
    var svg = el.ownerSVGElement;
    var index = svg ? Array.prototype.indexOf.call(svg.querySelectorAll('.item'), el) : -1;
    var details = index >= 0 ? (data.details || [])[index] || '' : '';
    box.textContent = '';
    var p = document.createElement('p');
    p.appendChild(span('kind', kind));
    p.appendChild(span('', ' \u00b7 cell ' + cell + ' \u00b7 ' + metres + ' m \u00b7 ' + kilometre(Number(metres))));
    if (details) p.appendChild(span('', ' \u00b7 ' + details));
    var pass = kind === 'reduction-point' ? blockPass(cell) : null;
    if (pass) {
      p.appendChild(span('', ' \u00b7 ' + (pass[2] ? 'capped by the block pass' : 'block pass') +
        ' for the slowdown ' + (slowKind(pass[1]) === 'slowdown-warning' ? 'warning ' : '') + 'at cell ' + pass[1]));
      var row = slowSource(pass[1]);
      if (row) {
        p.appendChild(span('', ' ('));
        p.appendChild(span('src', row));
        p.appendChild(span('', ')'));
      }
    }
    if (source) {
      p.appendChild(span('', ' \u00b7 '));
      p.appendChild(span('src', source));
    }
    box.appendChild(p);
    highlight(kind, cell);
  }

  // ---- wiring -----------------------------------------------------------

  function wheelFactor(e) {
    var dy = e.deltaY;
    if (e.deltaMode === 1) dy *= 16;
    else if (e.deltaMode === 2) dy *= 400;
    return Math.exp(Math.max(-300, Math.min(300, dy)) * 0.002);
  }

  function drag(svg, move) {
    var start = null;
    svg.addEventListener('pointerdown', function (e) {
      if (e.button !== 0) return;
      start = { x: e.clientX, y: e.clientY, moved: false };
      try { svg.setPointerCapture(e.pointerId); } catch (err) { /* not capturable */ }
    });
    svg.addEventListener('pointermove', function (e) {
      if (!start) return;
      var dx = e.clientX - start.x;
      var dy = e.clientY - start.y;
      if (!start.moved && Math.abs(dx) + Math.abs(dy) < 3) return;
      start.moved = true;
      svg.classList.add('dragging');
      move(dx, dy);
      start.x = e.clientX;
      start.y = e.clientY;
    });
    function end() {
      start = null;
      svg.classList.remove('dragging');
    }
    svg.addEventListener('pointerup', end);
    svg.addEventListener('pointercancel', end);
  }

  function wireSvgs() {
    var plan = byId('plan');
    var profile = byId('profile');
    if (plan) {
      plan.addEventListener('wheel', function (e) {
        if (!planBox) return;
        e.preventDefault();
        zoomPlan(wheelFactor(e), e.clientX, e.clientY);
      }, { passive: false });
      drag(plan, function (dx, dy) {
        if (!planBox) return;
        var u = planScale(plan);
        planBox = [planBox[0] - dx * u, planBox[1] - dy * u, planBox[2], planBox[3]];
        later();
      });
    }
    if (profile) {
      profile.addEventListener('wheel', function (e) {
        if (!profileRange) return;
        e.preventDefault();
        zoomProfile(wheelFactor(e), e.clientX);
      }, { passive: false });
      drag(profile, function (dx) {
        if (!profileRange) return;
        var ctm = profile.getScreenCTM();
        var g = profileGeometry(profile);
        var perUnit = (profileRange[1] - profileRange[0]) / (g.right - g.left);
        var units = ctm && ctm.a ? dx / ctm.a : dx;
        setProfileRange(profileRange[0] - units * perUnit, profileRange[1] - units * perUnit);
      });
    }
  }

  function collect() {
    placed = [];
    labelRows = [];
    planLabels = [];
    var profile = byId('profile');
    if (profile) {
      // Every item of the profile can take the keyboard focus.
      var items = profile.querySelectorAll('.item');
      for (var f = 0; f < items.length; f++) items[f].setAttribute('tabindex', '0');
      var els = profile.querySelectorAll('g.placed [data-metres], g.placed [data-m]');
      for (var i = 0; i < els.length; i++) {
        var el = els[i];
        if (el.parentNode && el.parentNode.getAttribute && el.parentNode.getAttribute('data-row')) continue;
        var a = el.hasAttribute('data-a') ? Number(el.getAttribute('data-a'))
          : Number(el.getAttribute(el.hasAttribute('data-metres') ? 'data-metres' : 'data-m'));
        var b = el.hasAttribute('data-b') ? Number(el.getAttribute('data-b')) : null;
        placed.push({ el: el, a: a, b: b, line: el.tagName === 'line', circle: el.tagName === 'circle' });
      }
      var rows = profile.querySelectorAll('g.labels');
      for (var r = 0; r < rows.length; r++) {
        var row = [];
        var kids = rows[r].children;
        for (var j = 0; j < kids.length; j++) {
          var kid = kids[j];
          var m = Number(kid.getAttribute('data-m'));
          if (kid.tagName === 'line') {
            placed.push({ el: kid, a: m, b: null, line: true });
            continue;
          }
          placed.push({ el: kid, a: m, b: null, line: false });
          row.push({ el: kid, m: m, chars: (kid.textContent || '').length });
        }
        labelRows.push(row);
      }
      profileFull = [Number(profile.getAttribute('data-m0')), Number(profile.getAttribute('data-m1'))];
      // The program placed everything for the whole line.
      placedFor = profileFull.slice();
    }
    var plan = byId('plan');
    if (plan) {
      var v = plan.viewBox.baseVal;
      planFull = v ? [v.x, v.y, v.width, v.height] : null;
      planLabels = Array.prototype.slice.call(plan.querySelectorAll('text.kl'));
    }
  }

  function init(keep) {
    readData();
    collect();
    wireSvgs();
    planBox = keep && keep.plan ? keep.plan.slice() : (planFull ? planFull.slice() : null);
    profileRange = profileFull ? profileFull.slice() : null;
    if (keep && keep.profile && profileFull) {
      profileRange = keep.profile.slice();
      setProfileRange(profileRange[0], profileRange[1]);
    }
    drawPlan();
    drawProfile();
  }

  function wirePage() {
    document.addEventListener('mouseover', function (e) {
      var it = itemOf(e.target);
      if (it) showDetails(it);
    });
    document.addEventListener('focusin', function (e) {
      var it = itemOf(e.target);
      if (it) showDetails(it);
    });
    document.addEventListener('click', function (e) {
      var t = e.target;
      while (t && t.nodeType === 1 && !t.hasAttribute('data-goto') && !(t.tagName === 'TR' && t.hasAttribute('data-kind'))) {
        t = t.parentNode;
      }
      if (t && t.nodeType === 1 && (t.hasAttribute('data-goto') || t.tagName === 'TR')) {
        e.preventDefault();
        var kind = t.getAttribute('data-goto') || t.getAttribute('data-kind');
        var cell = t.getAttribute('data-cell');
        showProfileAround(Number(t.getAttribute('data-metres')), 4000);
        var target = document.querySelector('#profile .item[data-kind="' + kind + '"][data-cell="' + cell + '"]');
        if (target) {
          drawProfile();
          try { target.focus({ preventScroll: true }); } catch (err) { target.focus(); }
          showDetails(target);
          byId('profile').scrollIntoView({ block: 'nearest' });
        }
      }
    });
    var fp = byId('fit-plan');
    if (fp) fp.addEventListener('click', fitPlan);
    var fq = byId('fit-profile');
    if (fq) fq.addEventListener('click', function () {
      if (profileFull) setProfileRange(profileFull[0], profileFull[1]);
    });
    window.addEventListener('resize', later);
  }

  function parseSvg(text) {
    var t = document.createElement('template');
    t.innerHTML = text;
    return t.content.firstElementChild;
  }

  // Replaces the page's parts with new ones, keeping the zoom, the pan and
  // the focused item (matched by data-kind and data-cell).
  function apply(parts) {
    if (!parts) return;
    var keep = { plan: planBox, profile: profileRange };
    var focused = itemOf(document.activeElement);
    var again = focused ? { kind: focused.getAttribute('data-kind'), cell: focused.getAttribute('data-cell') } : current;
    if (parts.title) document.title = parts.title;
    if (typeof parts.summary === 'string') byId('summary').innerHTML = parts.summary;
    if (typeof parts.tables === 'string') byId('tables').innerHTML = parts.tables;
    var names = ['plan', 'profile'];
    for (var i = 0; i < names.length; i++) {
      var text = parts[names[i]];
      var old = byId(names[i]);
      if (typeof text !== 'string' || !old) continue;
      var svg = parseSvg(text);
      if (svg) old.parentNode.replaceChild(svg, old);
    }
    if (parts.data) byId('view-data').textContent = JSON.stringify(parts.data);
    init(keep);
    if (again) {
      var same = document.querySelector('#profile .item[data-kind="' + again.kind + '"][data-cell="' + again.cell + '"]');
      if (same) {
        if (focused) {
          try { same.focus({ preventScroll: true }); } catch (err) { same.focus(); }
        }
        showDetails(same);
      }
    }
  }

  window.compactorView = {
    apply: apply,
    fitPlan: fitPlan,
    showProfileAround: showProfileAround,
    state: function () { return { plan: planBox, profile: profileRange, current: current }; }
  };

  function start() {
    wirePage();
    init(null);
    // ---- LIVE UPDATE HOOK ----
    // A server that serves this page names its event stream in the html
    // element's data-live attribute; each message is the JSON of new parts.
    // A page opened from disk has no data-live and connects to nothing.
    var live = document.documentElement.getAttribute('data-live');
    if (live && typeof window.EventSource === 'function') {
      var source = new window.EventSource(live);
      source.onmessage = function (e) { apply(JSON.parse(e.data)); };
    }
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
})();
