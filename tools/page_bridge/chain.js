'use strict';
// The whole chain for the page: the sample page in headless Chromium, the real
// plug-in DLL in the test browser under wine64, the signed stand-in launcher in
// the system folder and the stand-in game client it starts. Used by the chain
// test and by make demo.
const path = require('node:path');
const { openSession, until, REPO } = require('./session.js');

const UPDATE_URL = 'http://127.0.0.1:9/kx/patchlist.txt';

// Gaps of a second between the steps: the page's percentage animates once
// per second inside a phase. Only the order matters to the checks below.
const LAUNCHER_SCRIPT = [
  'send 0x1102 1 1',
  'after 1000 send 0x1102 2 1',
  'after 2000 send 0x1102 3 1',
  'after 3000 send 0x1104 524288 1048576 4194304',
  'after 3000 send 0x1102 4 3',
  'after 4000 send 0x1104 1048576 4194304 4194304',
  'after 4000 send 0x1102 4 8',
  'after 5000 send 0x1102 5 1',
  'after 5000 send 0x1105 120 300',
  'after 6000 send 0x1105 300 300',
  'after 6000 send 0x1102 6 1',
  'after 7000 send 0x1102 7 1',
  'after 7000 start-game ${GAME}',
  '',
].join('\n');

// 0x0102 with funcID 9 (commonCmdHandler) and a UTF-16 text, as exact bytes.
function sdkCallHex(funcId, text) {
  const bytes = Buffer.alloc(4 + 2 * (text.length + 1));
  bytes.writeUInt16LE(funcId, 0);
  bytes.write(text, 4, 'utf16le');
  return bytes.toString('hex');
}

// Texts a game could send that break a careless page: quotes, backslashes,
// line breaks, U+2028/U+2029 and markup that closes a script element.
const NASTY_TEXTS = [
  'it\'s "quoted" \\ and \\\\ twice',
  'line1\nline2\r\nline3',
  'sep\u2028para\u2029end',
  '</script><img src=x onerror="window.pwned=1"> \'+(window.pwned=2)+\' 中文',
];

const GAME_SCRIPT = [
  ...NASTY_TEXTS.map((t) => `after 1500 send 0x0102 hex ${sdkCallHex(9, t)}`),
  'lifetime 120000',
  '',
].join('\n');

// Records what the user sees change, from the first moment of the page.
function observeStatus(page) {
  return page.evaluateOnNewDocument(() => {
    window.seen = { status: [], percent: [] };
    // The page library loads after the page's markup and before anything can
    // change it: start watching when it arrives.
    let lib;
    Object.defineProperty(window, 'KxPlugin', {
      configurable: true,
      get: () => lib,
      set: (v) => {
        lib = v;
        const watch = (id, list) => {
          const el = document.getElementById(id);
          // Every text set, also several within one task: each is a new text node.
          const note = (records) => {
            for (const r of records) {
              for (const n of r.addedNodes) if (list[list.length - 1] !== n.textContent) list.push(n.textContent);
            }
          };
          new MutationObserver(note).observe(el, { childList: true });
        };
        watch('status', window.seen.status);
        watch('progress-text', window.seen.percent);
      },
    });
  });
}

// |part| occurs in |whole| in order (other items may come between).
function inOrder(whole, part) {
  let i = 0;
  for (const x of whole) if (i < part.length && x === part[i]) ++i;
  return i === part.length;
}

function chainSession(extra) {
  return openSession({
    dll: process.env.KX_PLUGIN_DLL,
    chain: {
      launcher: process.env.KX_LAUNCHER_STANDIN, game: process.env.KX_GAME_STANDIN,
      launcherScript: LAUNCHER_SCRIPT, gameScript: GAME_SCRIPT,
    },
    query: { gameUpdateUrl: UPDATE_URL },
    beforeLoad: observeStatus,
    ...extra,
  });
}

// Waits for the download, unpack and game-ready moments and saves a
// screenshot of each; returns their paths.
async function captureMoments(s, dir, prefix) {
  const shots = {};
  const shoot = async (name) => {
    shots[name] = path.join(dir, `${prefix}-${name}.png`);
    await s.page.screenshot({ path: shots[name] });
  };
  await until(s, () => document.getElementById('status').textContent === '正在下载游戏资源…' &&
    document.getElementById('speed').textContent !== '');
  await shoot('download');
  await until(s, () => document.getElementById('unzip').textContent !== '');
  await shoot('unpack');
  await until(s, () => document.getElementById('game-area').classList.contains('shown'), null, 60000);
  await shoot('game-ready');
  return shots;
}

// The real launcher, update server and packed sample game (real_chain.py).
function realSession(extra) {
  return openSession({
    dll: process.env.KX_PLUGIN_DLL,
    real: { work: path.join(REPO, 'build', 'page-real'), sizeMb: 8 },
    beforeLoad: observeStatus,
    ...extra,
  });
}

module.exports = {
  UPDATE_URL, LAUNCHER_SCRIPT, GAME_SCRIPT, NASTY_TEXTS, sdkCallHex, inOrder, chainSession, realSession,
  captureMoments,
};
