// The live preview: follows the server's event stream and redraws the page
// from each new state through window.compactorView.apply, which keeps the
// zoom, the pan and the item in focus. A bar at the top tells whether the
// picture is the current sources' own or the last one that compiled, and
// lists the latest look's faults and diagnostics.
(function () {
  'use strict';
  var shownPicture = 0;
  var bar = document.createElement('div');
  bar.id = 'compactor-serve';
  bar.setAttribute('role', 'status');
  bar.style.cssText = 'position:sticky;top:0;z-index:10;font:13px sans-serif;' +
      'padding:4px 8px;border-bottom:1px solid #999;background:#eef6ee';
  var line = document.createElement('div');
  var details = document.createElement('pre');
  details.id = 'compactor-serve-faults';
  details.style.cssText = 'margin:4px 0 0;max-height:12em;overflow:auto;white-space:pre-wrap';
  bar.appendChild(line);
  bar.appendChild(details);
  document.body.insertBefore(bar, document.body.firstChild);

  function say(text, colour) {
    line.textContent = text;
    bar.style.background = colour;
  }

  function show(state) {
    if (state.picture && state.picture_generation !== shownPicture && window.compactorView) {
      window.compactorView.apply(state.picture);
      shownPicture = state.picture_generation;
    }
    var n = state.diagnostics.length, w = state.warnings.length;
    var counted = (n === 1 ? '1 fault' : n + ' faults') + ', ' +
        (w === 1 ? '1 warning' : w + ' warnings');
    var text = state.faults.concat(state.diagnostics.map(function (d) { return d.text; }),
                                   state.warnings.map(function (x) { return x.text; }));
    details.textContent = text.join('\n');
    details.style.display = text.length ? 'block' : 'none';
    bar.dataset.generation = state.generation;
    bar.dataset.current = state.current ? 'yes' : 'no';
    if (state.current) {
      say('Live: compiled at ' + state.time + ', ' + counted + '.', n || w ? '#fff6e0' : '#eef6ee');
    } else if (state.picture) {
      say('The sources did not compile at ' + state.time + ': the picture below is the last ' +
          'that compiled, at ' + state.picture_time + '.', '#fde4e4');
    } else {
      say('The sources did not compile at ' + state.time + ': no picture yet.', '#fde4e4');
    }
    window.compactorServe = {generation: state.generation, current: state.current,
                             appliedAt: Date.now()};
    document.dispatchEvent(new CustomEvent('compactor-serve-state', {detail: state}));
  }

  var events = new EventSource('/events');
  events.addEventListener('state', function (e) { show(JSON.parse(e.data)); });
  events.onerror = function () {
    say('Not connected to compactor serve: retrying.', '#e4e4e4');
  };
})();
