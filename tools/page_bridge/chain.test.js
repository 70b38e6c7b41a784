'use strict';
// The whole chain seen from the page (chain.js): the launch, the login, the
// game's texts and a repair.
const test = require('node:test');
const assert = require('node:assert/strict');
const { until, pollUntil, readLog, answerBox, shotsDir } = require('./session.js');
const { UPDATE_URL, NASTY_TEXTS, inOrder, chainSession, realSession, captureMoments } = require('./chain.js');

test('a launch seen from the page: phases to 100, status texts in order, the game area, login to the game', async (t) => {
  const s = await chainSession();
  t.after(() => s.close());
  await captureMoments(s, shotsDir(), 'chain');

  const seen = await s.page.evaluate(() => window.seen);
  assert.ok(inOrder(seen.status, ['游戏插件已就绪', '正在准备游戏目录…', '已获取更新列表', '开始下载游戏资源…',
    '正在下载游戏资源…', '正在解压游戏资源…', '游戏资源校验完成', '正在启动游戏…', '游戏已就绪']),
  JSON.stringify(seen.status));
  // Each phase's start, then 100 when the game reports its window.
  assert.ok(inOrder(seen.percent, ['1%', '3%', '6%', '8%', '22%', '53%', '60%', '90%', '95%', '100%']),
    JSON.stringify(seen.percent));
  assert.equal(seen.percent[seen.percent.length - 1], '100%');
  assert.equal(await s.page.$eval('#unzip', (e) => e.textContent), '');

  const pid = s.browser.lines.find((f) => f[0] === 'loaded')[5];
  assert.deepEqual(readLog(s.logs.launcher).filter((l) => l.startsWith('mode ')).map((l) => l.replace(/hOcxWnd=-?\d+/, 'hOcxWnd=H')),
    [`mode normal hOcxWnd=H browserPid=${pid} width=960 height=640 url=${UPDATE_URL}`]);

  // The login button reaches the game client as its 0x2101 notice, kind 1.
  await s.page.click('#login-button');
  const notices = await pollUntil(() => {
    const got = readLog(s.logs.game).filter((l) => l.includes('0x2101'));
    return got.length ? got : null;
  }, 20000, 'the 0x2101 notice');
  assert.match(notices[0], /^recv wParam=\d+ 0x2101 CD_SDK_NOTIFY kind=1 text="code1 2" cbData=\d+$/);
  assert.equal(notices.length, 1);

  // A page text with quotes, backslashes, a line break, U+2028 and markup
  // reaches the game unchanged (the game's log escapes ", \ and controls).
  await s.page.evaluate(() => kxGame.login('it\'s "q" \\ </script>\n\u2028中', '2'));
  const second = await pollUntil(() => readLog(s.logs.game).filter((l) => l.includes('0x2101'))[1], 20000,
    'the second 0x2101 notice');
  assert.ok(second.includes('kind=1 text="it\'s \\"q\\" \\\\ </script>\\u000a\u2028中 2"'), second);

  // The game's texts arrive in the page unchanged and run nothing.
  await until(s, (n) => document.querySelectorAll('#messages li').length >= n, NASTY_TEXTS.length);
  assert.deepEqual(await s.page.$$eval('#messages li', (li) => li.map((e) => e.textContent)), NASTY_TEXTS);
  assert.equal(await s.page.evaluate(() => window.pwned), undefined);
  assert.deepEqual(s.pageErrors, []);
});

test('a repair from the page ends the run and starts the chosen repair launch', async (t) => {
  const QUESTION = '游戏修复功能将删除本地客户端文件并自动重新进行下载，确定要进行游戏修复吗？';
  const cases = [
    // [clear-patch choice, box caption, button, text of a message box, launch mode];
    // the choice dialog is told by its caption ("清除补丁" is button 1, "重装游戏" 6).
    [false, 'Vantorra手游网页版', 'ok', QUESTION, 'repair'],
    [true, '《Vantorra》手游网页版', '1', null, 'clearpatch'],
    [true, '《Vantorra》手游网页版', '6', null, 'repair'],
  ];
  for (const [choice, caption, press, shown, mode] of cases) {
    const s = await chainSession();
    t.after(() => s.close());
    await until(s, () => document.getElementById('game-area').classList.contains('shown'), null, 60000);

    const answered = answerBox(s, caption, press);
    if (choice !== await s.page.$eval('#clear-patch-choice', (e) => e.checked)) await s.page.click('#clear-patch-choice');
    await s.page.click('#repair-button');
    const box = await answered;
    assert.equal(box.code, 0, `${caption} ${press}: ${box.out}`);
    assert.ok(box.out.includes(`caption=${caption}`), box.out);
    if (shown) assert.ok(box.out.includes(`text=${shown}`), box.out);
    const modes = () => readLog(s.logs.launcher).filter((l) => l.startsWith('mode ')).map((l) => l.split(' ')[1]);
    await pollUntil(() => modes().length >= 2, 30000, `the ${mode} launch`);
    assert.deepEqual(modes(), ['normal', mode]);
    await s.close();
  }
});

test('with the real launcher, update server and packed game: phases to 100, status texts in order, login to the game', async (t) => {
  const s = await realSession();
  t.after(() => s.close());
  await until(s, () => document.getElementById('game-area').classList.contains('shown'), null, 180000);
  const seen = await s.page.evaluate(() => window.seen);
  assert.ok(inOrder(seen.status, ['游戏插件已就绪', '正在准备游戏目录…', '已获取更新列表', '开始下载游戏资源…',
    '正在下载游戏资源…', '正在解压游戏资源…', '游戏资源校验完成', '正在启动游戏…', '游戏已就绪']),
  JSON.stringify(seen.status));
  assert.ok(inOrder(seen.percent, ['1%', '3%', '6%', '8%', '10%', '60%', '90%', '95%', '100%']),
    JSON.stringify(seen.percent));
  assert.equal(seen.percent[seen.percent.length - 1], '100%');

  await s.page.click('#login-button');
  const notice = await pollUntil(() => readLog(s.logs.game).find((l) => l.includes('0x2101')), 20000, 'the 0x2101 notice');
  assert.match(notice, /^recv wParam=\d+ 0x2101 CD_SDK_NOTIFY kind=1 text="code1 2" cbData=\d+$/);
  assert.deepEqual(s.pageErrors, []);
});
