'use strict';
// make demo, the page part: one launch of the sample page through the whole
// chain, told on the terminal, with screenshots of the download, the unpack
// and the game-ready moments.
const path = require('node:path');
const { shotsDir } = require('./session.js');
const { chainSession, captureMoments } = require('./chain.js');

async function main() {
  const s = await chainSession();
  let last = '';
  const report = async () => {
    const now = await s.page.evaluate(() => ['progress-text', 'status', 'speed', 'unzip']
      .map((id) => document.getElementById(id).textContent).filter(Boolean).join(' ')).catch(() => last);
    if (now !== last) console.log(`page: ${now}`);
    last = now;
  };
  const ticker = setInterval(report, 200);
  try {
    const shots = await captureMoments(s, shotsDir(), 'demo');
    await report();
    for (const [moment, file] of Object.entries(shots)) console.log(`screenshot (${moment}): ${path.relative(process.cwd(), file)}`);
  } finally {
    clearInterval(ticker);
    await s.close();
  }
}

main().catch((e) => { console.error(`demo failed: ${e.message}`); process.exit(1); });
