// Drives one Firefox for a web test, over WebDriver BiDi through puppeteer-core (Debian has no
// geckodriver). browser.py speaks to it in JSON lines: one request on standard input, one answer on
// standard output, in turn. Nothing else may write to standard output.
//
// usage: node firefox.mjs FIREFOX PROFILE_DIR WIDTH HEIGHT
// The first answer, unasked, is {ok, value: {pid, version}} once the browser is up, or the reason
// it could not start.

import readline from 'node:readline';
import puppeteer from 'puppeteer-core';

const [executablePath, userDataDir, width, height] = process.argv.slice(2);

// What Firefox itself reports as errors: console.error calls and uncaught exceptions.
const engineErrors = [];
let browser = null;
let page = null;

function answer(reply) {
  process.stdout.write(JSON.stringify(reply) + '\n');
}

async function element(selector) {
  const handle = await page.$(selector);
  if (!handle) throw new Error(`no element ${selector}`);
  return handle;
}

const operations = {
  async load({ url }) {
    await page.goto(url, { waitUntil: 'load', timeout: 0 });
    return null;
  },
  // The body of an async function; its result comes back through JSON, as WebDriver's would.
  async evaluate({ body }) {
    const json = await page.evaluate(
      `(async () => JSON.stringify((await (async () => { ${body} })()) ?? null))()`);
    return JSON.parse(json);
  },
  async click({ selector }) {
    await (await element(selector)).click();
    return null;
  },
  // Focuses the element, as WebDriver's element send keys does, then presses each key in turn.
  async keys({ selector, keys }) {
    await (await element(selector)).focus();
    for (const key of keys) await page.keyboard.press(key);
    return null;
  },
  // One motion event, to the element's centre moved by (dx, dy) CSS pixels.
  async move({ selector, dx, dy }) {
    const box = await (await element(selector)).boundingBox();
    await page.mouse.move(box.x + box.width / 2 + dx, box.y + box.height / 2 + dy, { steps: 1 });
    return null;
  },
  async screenshot({ selector }) {
    return (await element(selector)).screenshot({ encoding: 'base64' });
  },
  async errors() {
    return engineErrors.slice();
  },
};

async function start() {
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath,
    userDataDir,
    // Headless Firefox has no WebGL here; under Xvfb it draws with Mesa.
    headless: false,
    defaultViewport: { width: Number(width), height: Number(height) },
    // browser.py ends the browser's processes itself, whatever happens here.
    handleSIGINT: false,
    handleSIGTERM: false,
    handleSIGHUP: false,
    protocolTimeout: 0,
  });
  const pages = await browser.pages();
  page = pages.length > 0 ? pages[0] : await browser.newPage();
  page.setDefaultTimeout(0);
  page.on('console', (message) => {
    if (message.type() === 'error') engineErrors.push(message.text());
  });
  page.on('pageerror', (error) => engineErrors.push(String(error)));
  return { pid: browser.process().pid, version: await browser.version() };
}

async function serve() {
  try {
    answer({ ok: true, value: await start() });
  } catch (error) {
    answer({ ok: false, error: String(error && error.message ? error.message : error) });
    process.exit(1);
  }
  const lines = readline.createInterface({ input: process.stdin });
  for await (const line of lines) {
    const request = JSON.parse(line);
    if (request.op === 'close') break;
    try {
      const operation = operations[request.op];
      if (!operation) throw new Error(`no operation ${request.op}`);
      answer({ ok: true, value: await operation(request) });
    } catch (error) {
      answer({ ok: false, error: String(error && error.message ? error.message : error) });
    }
  }
  await browser.close();
  answer({ ok: true, value: null });
  process.exit(0);
}

serve();
