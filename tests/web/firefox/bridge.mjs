// Firefox ESR for the browser test, over WebDriver BiDi: one JSON request
// per line on stdin, one JSON answer per line on stdout. Requests:
// {op: "goto", url}, {op: "reload"}, {op: "eval", body, args, async},
// {op: "key", type: "down"|"up", key}, {op: "mouse", type: "move"|"click", x, y},
// {op: "screenshot", path}, {op: "quit"}. Scripts are function bodies that
// read `arguments`; an async one ends by calling its last argument.
import { createInterface } from 'node:readline';
import puppeteer from 'puppeteer-core';

const [executablePath, profile, width, height] = process.argv.slice(2);
const browser = await puppeteer.launch({
  browser: 'firefox',
  executablePath,
  headless: false,  // headless Firefox has no WebGL on Mesa
  userDataDir: profile,
  args: ['--width=' + width, '--height=' + height],
  extraPrefsFirefox: {
    // A page without focus in automation must not be slowed or muted.
    'dom.min_background_timeout_value': 4,
    'webgl.force-enabled': true,
    'browser.shell.checkDefaultBrowser': false,
  },
});
const page = (await browser.pages())[0] || await browser.newPage();
await page.setViewport({ width: Number(width), height: Number(height) });
const logs = [];
page.on('console', (m) => logs.push(m.type() + ': ' + m.text()));
page.on('pageerror', (e) => logs.push('pageerror: ' + e.message));

function run(body, args, async) {
  // eslint-disable-next-line no-new-func
  const f = new Function(body);
  if (!async) return f.apply(null, args);
  return new Promise((resolve) => f.apply(null, args.concat([resolve])));
}

const ops = {
  goto: (r) => page.goto(r.url, { waitUntil: 'load' }).then(() => null),
  reload: () => page.reload({ waitUntil: 'load' }).then(() => null),
  eval: (r) => page.evaluate(run, r.body, r.args || [], !!r.async),
  key: (r) => (r.type === 'down' ? page.keyboard.down(r.key) : page.keyboard.up(r.key)).then(() => null),
  mouse: (r) => (r.type === 'click' ? page.mouse.click(r.x, r.y) : page.mouse.move(r.x, r.y, { steps: r.steps || 1 }))
    .then(() => null),
  screenshot: (r) => page.screenshot({ path: r.path }).then(() => null),
  logs: () => Promise.resolve(logs.splice(0)),
  quit: () => browser.close().then(() => null),
};

const lines = createInterface({ input: process.stdin });
for await (const line of lines) {
  const r = JSON.parse(line);
  let answer;
  try {
    answer = { value: (await ops[r.op](r)) ?? null };
  } catch (err) {
    answer = { error: String(err && err.stack || err) };
  }
  process.stdout.write(JSON.stringify(answer) + '\n');
  if (r.op === 'quit') break;
}
process.exit(0);
