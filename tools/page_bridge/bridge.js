'use strict';
// The page bridge: a page in a current browser (no NPAPI) drives the real
// plug-in hosted by kx_test_browser. The page's calls into the plug-in object
// arrive here as synchronous requests and become line-protocol commands; each
// page call the plug-in makes comes back as its raw javascript: URL and is
// navigated to in the page, so the page engine parses it as any browser would.
const { spawn } = require('node:child_process');
const { EventEmitter } = require('node:events');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

// Line protocol fields: TAB-separated; \t \n \r \\ \xHH inside a field.
function unescapeField(text) {
  const bytes = Buffer.from(text, 'utf8');
  const out = [];
  for (let i = 0; i < bytes.length; ++i) {
    const c = bytes[i];
    if (c !== 0x5c || i + 1 >= bytes.length) { out.push(c); continue; }
    const n = bytes[++i];
    if (n === 0x74) out.push(0x09);
    else if (n === 0x6e) out.push(0x0a);
    else if (n === 0x72) out.push(0x0d);
    else if (n === 0x5c) out.push(0x5c);
    else if (n === 0x78 && i + 2 < bytes.length) {
      const hex = String.fromCharCode(bytes[i + 1], bytes[i + 2]);
      if (/^[0-9a-fA-F]{2}$/.test(hex)) { out.push(parseInt(hex, 16)); i += 2; } else out.push(0x5c, n);
    } else out.push(0x5c, n);
  }
  return Buffer.from(out).toString('utf8');
}

function escapeField(text) {
  return String(text).replace(/[\x00-\x1f\x7f\\]/g, (c) => {
    if (c === '\t') return '\\t';
    if (c === '\n') return '\\n';
    if (c === '\r') return '\\r';
    if (c === '\\') return '\\\\';
    return `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`;
  });
}

function parseLine(line) {
  return line.split('\t').map(unescapeField);
}

// A result value of the protocol as a script value.
function scriptValue(text) {
  if (text === 'void' || text === 'null') return text === 'null' ? null : undefined;
  if (text === 'b:true') return true;
  if (text === 'b:false') return false;
  if (text.startsWith('s:')) return text.slice(2);
  if (text.startsWith('i:') || text.startsWith('d:')) return Number(text.slice(2));
  return text;
}

// A Linux path as the test browser sees it under Wine.
function winePath(p) {
  return 'Z:' + path.resolve(p).replace(/\//g, '\\');
}

// kx_test_browser under wine64: commands in order, one answer each.
class TestBrowser extends EventEmitter {
  // command: the program to run (wine64); args: its arguments; env: its environment.
  constructor({ command, args, env }) {
    super();
    this.command = command;
    this.args = args;
    this.env = env;
    this.lines = [];
    this.sent = [];  // every command, in order
    this.waiters = [];
    this.queue = Promise.resolve();
    this.exited = null;
  }

  start() {
    this.child = spawn(this.command, this.args, { env: this.env, stdio: ['pipe', 'pipe', 'pipe'] });
    let pending = '';
    this.child.stdout.setEncoding('utf8');
    this.child.stdout.on('data', (chunk) => {
      pending += chunk;
      let nl;
      while ((nl = pending.indexOf('\n')) >= 0) {
        const line = pending.slice(0, nl).replace(/\r$/, '');
        pending = pending.slice(nl + 1);
        if (line) this.onLine(parseLine(line));
      }
    });
    this.stderr = '';
    this.child.stderr.setEncoding('utf8');
    this.child.stderr.on('data', (d) => { this.stderr += d; });
    this.exitedPromise = new Promise((resolve) => {
      this.child.on('exit', (code) => {
        this.exited = code;
        for (const w of this.waiters.splice(0)) w.reject(new Error(`test browser exited (${code}) ${this.stderr}`));
        resolve(code);
      });
    });
    return this.waitFor((f) => f[0] === 'loaded', 60000);
  }

  onLine(fields) {
    this.lines.push(fields);
    this.emit('line', fields);
    for (let i = 0; i < this.waiters.length; ++i) {
      if (this.waiters[i].match(fields)) {
        const [w] = this.waiters.splice(i, 1);
        clearTimeout(w.timer);
        w.resolve(fields);
        return;
      }
    }
  }

  waitFor(match, timeoutMs) {
    return new Promise((resolve, reject) => {
      if (this.exited !== null) { reject(new Error('test browser has exited')); return; }
      const w = { match, resolve, reject };
      w.timer = setTimeout(() => {
        this.waiters.splice(this.waiters.indexOf(w), 1);
        reject(new Error('no answer from the test browser'));
      }, timeoutMs);
      this.waiters.push(w);
    });
  }

  // Sends one command and resolves with its answer line (or its error line).
  request(fields, timeoutMs = 20000) {
    const answer = fields[0] === 'wait' ? 'waited' : fields[0];
    const run = () => {
      const got = this.waitFor((f) => f[0] === answer || (f[0] === 'error' && f[2] === fields[0]), timeoutMs);
      this.sent.push(fields);
      this.child.stdin.write(fields.map(escapeField).join('\t') + '\n');
      return got;
    };
    const result = this.queue.then(run, run);
    this.queue = result.catch(() => {});
    return result;
  }

  // Lines of |kind| without kind and time; commands of |kind| as sent.
  linesOf(kind) {
    return this.lines.filter((f) => f[0] === kind).map((f) => f.slice(2));
  }
  sentOf(kind) {
    return this.sent.filter((f) => f[0] === kind).map((f) => f.slice(1));
  }

  async quit() {
    if (this.exited !== null) return this.exited;
    await this.request(['quit'], 30000).catch(() => null);
    this.child.stdin.end();
    return this.exitedPromise;
  }

  kill() {
    if (this.child && this.exited === null) this.child.kill('SIGKILL');
  }
}

const CONTENT_TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css' };

// The HTTP side: the page's files and the plug-in object's endpoints, on 127.0.0.1.
class PageBridge {
  constructor({ browser, webRoot, instance = 'p1' }) {
    this.browser = browser;
    this.webRoot = path.resolve(webRoot);
    this.instance = instance;
    this.delivered = [];   // every javascript: URL handed to the page, in order
    this.delivery = Promise.resolve();
    this.page = null;
    browser.on('line', (f) => {
      if (f[0] === 'pageurl' && this.page) this.deliver(f[4]);
    });
  }

  listen() {
    this.server = http.createServer((req, res) => this.handle(req, res));
    return new Promise((resolve) => this.server.listen(0, '127.0.0.1', () => {
      this.port = this.server.address().port;
      resolve(this);
    }));
  }

  get origin() { return `http://127.0.0.1:${this.port}`; }

  pageUrl(query) {
    const q = new URLSearchParams({ bridge: `${this.origin}/kx`, ...(query || {}) });
    return `${this.origin}/index.html?${q}`;
  }

  attach(page) { this.page = page; }

  // Navigating to the URL, as a browser runs a plug-in's javascript: URL.
  deliver(url) {
    this.delivered.push(url);
    const page = this.page;
    this.delivery = this.delivery
      .then(() => page.evaluate((u) => { location.href = u; }, url))
      .catch((e) => { this.deliveryError = e; });
    return this.delivery;
  }

  // Resolves once every page call the plug-in made so far has run in the page:
  // javascript: URLs run in order, so a marker sent last runs last.
  async settle(timeout = 30000) {
    this.settles = (this.settles || 0) + 1;
    const n = this.settles;
    await this.browser.request(['sync', `settle${n}`]);
    this.deliver(`javascript:void(window.kxSettled=${n})`);
    await this.page.waitForFunction((k) => window.kxSettled === k, { timeout, polling: 20 }, n);
  }

  async handle(req, res) {
    const url = new URL(req.url, this.origin);
    try {
      if (req.method === 'POST' && url.pathname.startsWith('/kx/')) {
        const body = JSON.parse(await readBody(req) || '{}');
        const answer = await this.call(url.pathname.slice(4), body);
        send(res, 200, 'application/json', JSON.stringify(answer));
        return;
      }
      if (req.method === 'GET') {
        const file = path.resolve(this.webRoot, '.' + decodeURIComponent(url.pathname));
        if (file.startsWith(this.webRoot + path.sep) && fs.existsSync(file) && fs.statSync(file).isFile()) {
          send(res, 200, CONTENT_TYPES[path.extname(file)] || 'application/octet-stream', fs.readFileSync(file));
          return;
        }
      }
      send(res, 404, 'text/plain', 'not found');
    } catch (e) {
      send(res, 500, 'text/plain', String(e && e.message));
    }
  }

  async call(kind, { name, args }) {
    const I = this.instance;
    if (kind === 'embed') {
      const made = await this.browser.request(['new', I, name]);
      if (made[3] !== '0') return { ok: false, error: `NPP_New ${made[3]}` };
      await this.browser.request(['object', I]);
      await this.browser.request(['window', I, 'real']);
      return { ok: true };
    }
    if (kind === 'invoke') {
      const f = await this.browser.request(['invoke', I, name, ...(args || []).map((a) => `s:${a}`)]);
      if (f[0] === 'error') return { ok: false, error: f[3] };
      return f[4] === 'true' ? { ok: true, result: scriptValue(f[5]) } : { ok: false, error: `no method ${name}` };
    }
    if (kind === 'get') {
      const f = await this.browser.request(['get', I, name]);
      if (f[0] === 'error') return { ok: false, error: f[3] };
      return { ok: true, result: f[4] === 'true' ? scriptValue(f[5]) : undefined };
    }
    return { ok: false, error: `unknown ${kind}` };
  }

  close() {
    if (!this.server) return Promise.resolve();
    // Kept-alive connections of a browser that stays open would hold close() up.
    const closed = new Promise((resolve) => this.server.close(() => resolve()));
    this.server.closeAllConnections();
    return closed;
  }
}

function readBody(req) {
  return new Promise((resolve, reject) => {
    let data = '';
    req.setEncoding('utf8');
    req.on('data', (d) => { data += d; });
    req.on('end', () => resolve(data));
    req.on('error', reject);
  });
}

function send(res, status, type, body) {
  res.writeHead(status, { 'Content-Type': type, 'Cache-Control': 'no-store' });
  res.end(body);
}

module.exports = { TestBrowser, PageBridge, unescapeField, escapeField, parseLine, scriptValue, winePath };
