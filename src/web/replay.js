// Keeping, sharing and watching games. The game records every input it takes, live or replayed, in
// the desktop recorder's format to a file in its in-memory file system; this part of the page hands
// that file on (a download, or a link whose fragment carries it, deflated and in base64url), turns
// such a link back into a replay before the game starts, and gives a running replay its controls.
//
// Address fragment options: #replay=CODE replays a link's recording from frame 0; &frames=N stops
// there, as with ?input=; &jump=N steps straight to frame N and pauses (a jump backwards reloads
// the page with it).
//
// Linked in ahead of Emscripten's runtime, so the listeners that hold input back during a replay
// come before GLUT's.
(function () {
  'use strict';

  const RECORDING_PATH = '/recording.txt';
  const LINK_PATH = '/replay-link.txt';
  // A link is input from anyone: what it inflates to is read no further than this.
  const MAX_RECORDING_BYTES = 1024 * 1024;
  const SPEEDS = [1, 2, 4, 8];
  // Bytes a text file may hold besides printable ones: tab, newline, carriage return.
  const CONTROL_BYTES = /[\u0000-\u0008\u000b\u000c\u000e-\u001f\u007f]/;

  const MESSAGES = {
    notBase64url: 'This replay link is damaged: it is not base64url text.',
    notDeflate: 'This replay link is damaged: its recording is cut short or corrupt.',
    tooLarge: 'This replay link is too large: its recording is over 1 MiB.',
    notText: 'This replay link does not hold a recording: it is not text.',
  };

  class LinkError extends Error {}

  const startedAt = new Date();
  const fragment = new URLSearchParams(window.location.hash.slice(1));
  const linkCode = fragment.get('replay');
  const jumpOnLoad = Number(fragment.get('jump')) || 0;
  let replayOnLoad = false; // the game started on a replay, of a link or an input file
  let runtimeReady = false;
  let wasReplaying = false;

  // --- The link's code: the recording, deflated, in base64url without padding.

  function toBase64url(bytes) {
    let binary = '';
    const chunk = 0x8000;
    for (let at = 0; at < bytes.length; at += chunk) {
      binary += String.fromCharCode.apply(null, bytes.subarray(at, at + chunk));
    }
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  function fromBase64url(code) {
    // A length of 4k + 1 leaves six bits over: no whole byte, so no base64 of anything.
    if (!/^[A-Za-z0-9_-]*$/.test(code) || code.length % 4 === 1) {
      throw new LinkError(MESSAGES.notBase64url);
    }
    const binary = atob(code.replace(/-/g, '+').replace(/_/g, '/') +
                        '==='.slice((code.length + 3) % 4));
    const bytes = new Uint8Array(binary.length);
    for (let at = 0; at < binary.length; at += 1) {
      bytes[at] = binary.charCodeAt(at);
    }
    return bytes;
  }

  async function deflate(text) {
    const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // Inflates, but stops reading as soon as the result passes the cap.
  async function inflateCapped(bytes) {
    const reader = new Blob([bytes]).stream()
      .pipeThrough(new DecompressionStream('deflate-raw')).getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
      let part;
      try {
        part = await reader.read();
      } catch (error) {
        throw new LinkError(MESSAGES.notDeflate);
      }
      if (part.done) break;
      size += part.value.length;
      if (size > MAX_RECORDING_BYTES) {
        reader.cancel().catch(() => {});
        throw new LinkError(MESSAGES.tooLarge);
      }
      chunks.push(part.value);
    }
    const whole = new Uint8Array(size);
    let at = 0;
    for (const part of chunks) {
      whole.set(part, at);
      at += part.length;
    }
    return whole;
  }

  function asText(bytes) {
    let text;
    try {
      text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    } catch (error) {
      throw new LinkError(MESSAGES.notText);
    }
    if (CONTROL_BYTES.test(text)) throw new LinkError(MESSAGES.notText);
    return text;
  }

  async function recordingFromCode(code) {
    return asText(await inflateCapped(fromBase64url(code)));
  }

  // The page's own address, with the recording as its only fragment option.
  async function linkFor(text) {
    const code = toBase64url(await deflate(text));
    return new URL('index.html#replay=' + code, window.location.href).href;
  }

  function recording() {
    try {
      return Module.FS.readFile(RECORDING_PATH, { encoding: 'utf8' });
    } catch (error) {
      return ''; // the game has not started yet
    }
  }

  function pad(number) {
    return String(number).padStart(2, '0');
  }

  // spintunnel-YYYYMMDD-HHMMSS.txt, the local time the game started.
  function recordingFileName() {
    const t = startedAt;
    return 'spintunnel-' + t.getFullYear() + pad(t.getMonth() + 1) + pad(t.getDate()) + '-' +
      pad(t.getHours()) + pad(t.getMinutes()) + pad(t.getSeconds()) + '.txt';
  }

  // --- A link's recording goes into the file system, checked, before the game may start.

  if (linkCode !== null) {
    replayOnLoad = true;
    Module.arguments.push(LINK_PATH);
    Module.preRun.push(() => {
      Module.addRunDependency('replay-link');
      recordingFromCode(linkCode).then((text) => {
        Module.FS.writeFile(LINK_PATH, text);
        Module.removeRunDependency('replay-link');
      }).catch((error) => {
        spintunnel.state = 'failed';
        setStatus(error instanceof LinkError ? error.message
          : 'This replay link cannot be read: ' + error.message);
      });
    });
  } else if (Module.arguments.length > 0) {
    replayOnLoad = true; // ?input=
  }

  // --- While a replay runs, the player's input waits: it would change the course being watched.
  // Nor does using these controls reach the game: GLUT takes a mouse release anywhere on the page
  // as the game's, which moves lastMouseX and so the next turn by the mouse.

  function replaying() {
    return runtimeReady && Module._spintunnelReplaying() === 1;
  }

  function onControls(event) {
    return event.target instanceof Element && event.target.closest('#keep, #watch') !== null;
  }

  const HELD_EVENTS = ['keydown', 'keyup', 'keypress', 'mousedown', 'mouseup', 'mousemove',
    'touchstart', 'touchmove', 'touchend', 'wheel', 'mousewheel', 'DOMMouseScroll'];
  for (const type of HELD_EVENTS) {
    window.addEventListener(type, (event) => {
      if (replaying() || onControls(event)) event.stopImmediatePropagation();
    }, true);
  }

  // --- Controls: saving and sharing, always; watching, while a replay runs.

  const style = document.createElement('style');
  style.textContent = `
    #keep, #watch { margin: 0.4em 0; display: flex; gap: 0.5em; align-items: center; flex-wrap: wrap; }
    #watch[hidden], #replay-link[hidden] { display: none; }
    #watch progress { flex: 1; min-width: 4em; }
    #watch button[aria-pressed="true"] { background: #58a; color: #fff; }
    #replay-link { width: 100%; font: 12px monospace; }
    #jump-frame { width: 5em; }
  `;
  document.head.appendChild(style);

  const controls = document.createElement('div');
  controls.innerHTML = `
    <div id="watch" hidden>
      <span id="replay-position">Frame 0 of 0</span>
      <progress id="replay-progress" max="1" value="0"></progress>
      <button id="replay-play" type="button">Pause</button>
      ${SPEEDS.map((speed) => `<button type="button" data-speed="${speed}">\u00d7${speed}</button>`).join('')}
      <input id="jump-frame" type="number" min="1" step="1" placeholder="frame"
             aria-label="Frame to jump to"><button id="jump" type="button">Jump</button>
    </div>
    <div id="keep">
      <button id="save-recording" type="button">Save recording</button>
      <button id="copy-link" type="button">Copy replay link</button>
      <span id="keep-note"></span>
      <input id="replay-link" readonly hidden aria-label="Replay link">
    </div>`;
  const statusParagraph = document.getElementById('status').parentElement;
  statusParagraph.after(...controls.children);

  const element = (id) => document.getElementById(id);
  const speedButtons = Array.from(element('watch').querySelectorAll('button[data-speed]'));

  function saveRecording() {
    const address = URL.createObjectURL(new Blob([recording()], { type: 'text/plain' }));
    const download = document.createElement('a');
    download.href = address;
    download.download = recordingFileName();
    document.body.appendChild(download);
    download.click();
    download.remove();
    setTimeout(() => URL.revokeObjectURL(address), 60000);
  }

  async function copyLink() {
    const link = await linkFor(recording());
    const field = element('replay-link');
    field.value = link;
    field.hidden = false;
    field.select();
    const length = link.length.toLocaleString('en') + ' characters';
    try {
      await navigator.clipboard.writeText(link);
      element('keep-note').textContent = 'Copied: ' + length;
    } catch (error) {
      element('keep-note').textContent = 'Copy the link below: ' + length;
    }
  }

  function setSpeed(speed) {
    Module._spintunnelSetReplaySpeed(speed);
    showReplay();
  }

  function setPaused(paused) {
    Module._spintunnelSetReplayPaused(paused ? 1 : 0);
    showReplay();
  }

  // Forward, the game steps there as fast as it can; backward, the replay starts again from frame 0
  // with the jump in its address.
  function jumpTo(frame) {
    frame = Math.floor(Number(frame));
    if (!(frame >= 1)) return;
    if (frame > spintunnel.frameCount()) {
      Module._spintunnelJumpTo(frame);
      showReplay();
      return;
    }
    const options = new URLSearchParams(window.location.hash.slice(1));
    options.set('jump', String(frame));
    window.location.hash = options.toString();
    window.location.reload();
  }

  element('save-recording').addEventListener('click', saveRecording);
  element('copy-link').addEventListener('click', () => { copyLink(); });
  element('replay-play').addEventListener('click', () => setPaused(!spintunnel.replay.paused()));
  for (const button of speedButtons) {
    button.addEventListener('click', () => setSpeed(Number(button.dataset.speed)));
  }
  element('jump').addEventListener('click', () => jumpTo(element('jump-frame').value));
  element('jump-frame').addEventListener('keydown', (event) => {
    if (event.key === 'Enter') jumpTo(element('jump-frame').value);
  });

  function showReplay() {
    const watching = replaying();
    element('watch').hidden = !watching;
    if (!watching) return;
    const frame = spintunnel.frameCount();
    const last = Module._spintunnelReplayLastFrame();
    const target = Module._spintunnelJumpTarget();
    element('replay-position').textContent = 'Frame ' + frame + ' of ' + last +
      (target > 0 ? ', jumping to ' + target : '');
    element('replay-progress').value = frame / last;
    element('replay-play').textContent = spintunnel.replay.paused() ? 'Play' : 'Pause';
    const speed = spintunnel.replay.speed();
    for (const button of speedButtons) {
      button.setAttribute('aria-pressed', String(Number(button.dataset.speed) === speed));
    }
    element('jump-frame').max = String(last);
  }

  // After the shell's own work for each animation frame.
  const shellPostMainLoop = Module.postMainLoop;
  Module.postMainLoop = () => {
    if (shellPostMainLoop) shellPostMainLoop();
    if (Module._spintunnelTakeJumpArrival() === 1) {
      // Read now, while the frame jumped to is still the canvas's drawing buffer.
      spintunnel.picture = canvas.toDataURL('image/png');
      spintunnel.jumpedTo = spintunnel.frameCount();
    }
    const watching = replaying();
    if (watching && spintunnel.loopFrames === 1 && linkCode !== null) {
      setStatus('Watching a replay');
    }
    if (wasReplaying && !watching && spintunnel.state === 'playing') {
      setStatus('The replay ended at frame ' + spintunnel.frameCount() + ': the game is yours');
      canvas.focus();
    }
    wasReplaying = watching;
    showReplay();
  };

  const shellRuntimeInitialized = Module.onRuntimeInitialized;
  Module.onRuntimeInitialized = () => {
    if (shellRuntimeInitialized) shellRuntimeInitialized();
    runtimeReady = true;
    if (jumpOnLoad > 0 && replayOnLoad) Module._spintunnelJumpTo(jumpOnLoad);
  };

  // For people and for the tests: the same text the download holds, and the link to it.
  Object.assign(spintunnel, {
    recording,
    recordingFileName,
    replayLink: () => linkFor(recording()),
    linkFor,
    replay: {
      running: replaying,
      lastFrame: () => Module._spintunnelReplayLastFrame(),
      paused: () => Module._spintunnelReplayPaused() === 1,
      speed: () => Module._spintunnelReplaySpeed(),
      jumpTarget: () => Module._spintunnelJumpTarget(),
      setPaused,
      setSpeed,
      jumpTo,
    },
  });
})();
