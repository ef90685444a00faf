// Drives the built page (build/web/site, scripts/build-web) in Chromium,
// Firefox and WebKitGTK (engines.mjs says how), opened straight from disk,
// and compares every download byte for byte with what the native zanvero-cli
// writes for the same settings: the CSV file, the SQL dump and every page in
// the ZIP, in both character sets. Also: a file dropped onto the page; the
// messages for no file, a file too short to be a .cxf file and the fourth
// export type; the busy caption during a run; an accepted head text reaching
// the next HTML export; the settings surviving a reload; no request to
// anything but the page's own files and no console error, opened from disk
// and from a static web server; an accessibility audit (axe-core, WCAG 2.1
// A and AA and best practice) at rest, with a file chosen, with the head
// text editor open and with a message box open. Prints each run's time from
// navigation to ready and of converting the largest possible file to the
// HTML pages' ZIP (reported, not checked), and saves a screenshot per run
// after an export.
//   node check-page.mjs [--site DIR] [RUN...]
//   node check-page.mjs [--site DIR] --measure IMAGE [COUNT] [RUN...]
// RUN is chromium, firefox, webkit (German), chromium-c (the accepted
// language "C") or webkit-c (LANG=C.UTF-8); all five by default. The second
// form checks nothing: it prints the median time from opening the page to
// its being ready, and of converting IMAGE (no exclusions) to CSV, to SQL
// and to the HTML pages' ZIP, as the page measures them with
// performance.now(), and the size of the built page.
import { execFileSync, spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { unzipSync } from 'fflate';

import { startEngine, within } from './engines.mjs';

const Root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const Cli = path.join(Root, 'build/default/cli/zanvero-cli');
const MakeMaximal = path.join(Root, 'build/default/bench/zanvero-make-maximal');
const Demo = path.join(Root, 'samples/demo.cxf');
const Output = path.join(Root, 'build/web/check');
const AxeSource = fs.readFileSync(fileURLToPath(import.meta.resolve('axe-core/axe.min.js')), 'utf8');
const AuditTags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'];

// The browser's language comes from languages (Chromium, Firefox) or from
// the process locale (WebKitGTK). language: what navigator.language must
// then say; separator: the decimal separator the page must choose for it,
// null where the language names no locale ("C", a tag the engines refuse).
const German = { languages: 'de-DE,de', language: 'de-DE', separator: ',' };
const Refused = { language: 'C', separator: null };
const Runs = {
  chromium: { engine: 'chromium', ...German, audit: true },
  'chromium-c': { engine: 'chromium', ...Refused, languages: 'C', audit: false },
  firefox: { engine: 'firefox', ...German, audit: true },
  webkit: { engine: 'webkit', ...German, locale: 'de_DE.UTF-8', audit: true },
  'webkit-c': { engine: 'webkit', ...Refused, locale: 'C.UTF-8', audit: false },
};

// A run takes some 15 s; one that takes this long hangs.
const RunDeadline = 300000;

const failures = [];

function checker(run) {
  return (condition, what) => {
    if (condition) return;
    failures.push(run + ': ' + what);
    console.error(`check-web-page: ${run}: FAILED: ${what}`);
  };
}

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitFor(what, test, timeout = 30000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > deadline) throw new Error('timed out waiting for ' + what);
    await delay(50);
  }
}

// --- the native converter --------------------------------------------------

const nativeOutputs = new Map();

// What the native converter writes for the demo file: the bytes of one file,
// or {page: bytes}.
function native(work, format, options, separator = ',') {
  const key = JSON.stringify([format, options, separator]);
  if (!nativeOutputs.has(key)) {
    const out = path.join(fs.mkdtempSync(path.join(work, 'native-')), 'out');
    execFileSync(Cli, ['--format', format, '--output', out, '--decimal-separator', separator, ...options, Demo]);
    nativeOutputs.set(key, format === 'html' ? readPages(out) : fs.readFileSync(out));
  }
  return nativeOutputs.get(key);
}

function readPages(folder) {
  return Object.fromEntries(fs.readdirSync(folder).sort().map((name) => [name, fs.readFileSync(path.join(folder, name))]));
}

function pagesOf(archive) {
  return Object.fromEntries(Object.entries(unzipSync(archive)).map(([name, bytes]) => [name, Buffer.from(bytes)]));
}

function samePages(a, b) {
  const names = Object.keys(a).sort();
  return names.join('\n') === Object.keys(b).sort().join('\n') && names.every((name) => a[name].equals(b[name]));
}

// --- the page --------------------------------------------------------------

async function waitReady(engine) {
  try {
    await waitFor('ready', () => engine.run(() => document.getElementById('page').dataset.ready === 'true'));
  } catch (error) {
    const shown = await engine.run(() => document.getElementById('message-text').textContent);
    throw new Error('the page did not get ready' + (shown ? ': ' + shown : ''));
  }
}

const messageOpen = (engine) => engine.run(() => document.getElementById('message').open);

// The open message box's text; closes it with its OK button.
async function takeMessage(engine) {
  await waitFor('a message', () => messageOpen(engine));
  const text = await engine.run(() => document.getElementById('message-text').textContent);
  await engine.click('message-ok');
  return text;
}

async function chooseFile(engine, file) {
  await engine.upload('cxf-file', file);
  const prefix = path.basename(file) + ':';
  return waitFor('the summary of ' + file, () => engine.run((start) => {
    const text = document.getElementById('file-summary').textContent;
    return text.startsWith(start) && text;
  }, prefix));
}

// Drops a file of the demo's bytes onto the page for each name in turn, at
// once; reading those in slow takes a second, and "unreadable.cxf" fails as
// a file that has gone away does.
async function dropFiles(engine, names, slow = []) {
  await engine.run((demo, names, slow) => {
    const bytes = Uint8Array.from(atob(demo), (c) => c.charCodeAt(0));
    if (!window.originalSlice) window.originalSlice = Blob.prototype.slice;
    Blob.prototype.slice = function (...range) {
      const part = window.originalSlice.apply(this, range);
      if (this.name === 'unreadable.cxf') {
        return { arrayBuffer: () => Promise.reject(new DOMException(
          'A requested file or directory could not be found.', 'NotFoundError')) };
      }
      if (!slow.includes(this.name)) return part;
      return { arrayBuffer: () => new Promise((done) => setTimeout(() => done(part.arrayBuffer()), 1000)) };
    };
    for (const name of names) {
      const transfer = new DataTransfer();
      transfer.items.add(new File([bytes], name));
      document.getElementById('export-type').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, fs.readFileSync(Demo).toString('base64'), names, slow);
}

// The page's own messages: for an HTML export that writes no page and for a
// file that cannot be read; and of two files picked one after the other,
// the one picked last stays chosen however their reading ends.
async function pageMessages(engine, check, files) {
  await chooseFile(engine, files.unnamed);
  await engine.click('type-0');
  await engine.click('export-start');
  check((await takeMessage(engine)).startsWith('Keine HTML-Seiten erzeugt: '), 'HTML export without a page');

  await dropFiles(engine, ['unreadable.cxf']);
  const shown = await takeMessage(engine);
  check(shown === 'unreadable.cxf: A requested file or directory could not be found.',
        'a file that cannot be read: ' + JSON.stringify(shown));
  check(await engine.run(() => document.getElementById('file-summary').textContent) === '',
        'no file chosen after an unreadable one');

  await dropFiles(engine, ['first.cxf', 'second.cxf'], ['first.cxf']);
  await delay(1500);
  const summary = await engine.run(() => document.getElementById('file-summary').textContent);
  check(summary.startsWith('second.cxf:'), 'the file picked last stays chosen: ' + JSON.stringify(summary));
  await engine.run(() => { Blob.prototype.slice = window.originalSlice; });
}

// Chooses the file with nothing excluded, as the measurements convert it.
async function chooseUnfiltered(engine, file) {
  await chooseFile(engine, file);
  await engine.run(() => document.querySelectorAll('#exclusions input:checked').forEach((box) => box.click()));
}

// Empties the download folder, lets start() begin a download and returns the
// file's bytes once the browser has finished it: the folder then holds only
// that file (Firefox writes into a second file beside it), and its size
// stays the same between two looks.
async function download(downloads, name, start) {
  fs.rmSync(downloads, { recursive: true, force: true });
  fs.mkdirSync(downloads);
  await start();
  let last = -1;
  try {
    return await waitFor('a download', () => {
      const names = fs.readdirSync(downloads);
      if (names.length !== 1 || names[0] !== name) return null;
      const size = fs.statSync(path.join(downloads, name)).size;
      const done = size > 0 && size === last;
      last = size;
      return done && fs.readFileSync(path.join(downloads, name));
    });
  } catch (error) {
    throw new Error(`no download ${name} (the folder holds ${JSON.stringify(fs.readdirSync(downloads))})`);
  }
}

// Chooses the export type, starts the export, returns the download.
async function exportAs(engine, downloads, typeIndex, name, keyboard = false) {
  await engine.click('type-' + typeIndex);
  return download(downloads, name,
                  () => (keyboard ? engine.pressEnter('export-start') : engine.click('export-start')));
}

// The proxy that every engine sends its requests to other hosts to: it
// records them and answers none.
async function startProxy() {
  const seen = [];
  const server = http.createServer((request, response) => {
    seen.push(request.url);
    response.writeHead(403);
    response.end();
  });
  server.on('connect', (request, socket) => {
    seen.push('https://' + request.url);
    socket.destroy();
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const stop = () => {
    server.closeAllConnections();
    server.close();
  };
  return { address: '127.0.0.1:' + server.address().port, take: () => seen.splice(0), stop };
}

// axe-core's audit of the page as it is. It reads the style sheets from the
// page itself (preload off): fetching them again from disk is an error.
async function audit(engine, check, state) {
  if (!(await engine.run(() => typeof window.axe === 'object'))) await engine.runSource(AxeSource);
  const violations = await engine.run(async (tags) => {
    const result = await window.axe.run(document, { runOnly: { type: 'tag', values: tags }, resultTypes: ['violations'],
                                                    preload: false });
    return result.violations.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((node) => node.target.join(' ')).join(', ')}`);
  }, AuditTags);
  check(violations.length === 0, `accessibility, ${state}: ${violations.join('; ')}`);
}

// Serves the built page from 127.0.0.1 until stop() is called.
async function startServer(site) {
  const server = spawn('python3', ['-m', 'http.server', '0', '--bind', '127.0.0.1'],
                       { cwd: site, env: { ...process.env, PYTHONUNBUFFERED: '1' }, stdio: ['ignore', 'pipe', 'ignore'] });
  let output = '';
  server.stdout.on('data', (chunk) => { output += chunk; });
  const port = await waitFor('the web server', () => (/ port (\d+) /.exec(output) || [])[1], 10000);
  return { origin: `http://127.0.0.1:${port}/`, stop: () => server.kill() };
}

function browserOptions(run, work, proxy) {
  const { languages, locale } = Runs[run];
  const options = { proxy, languages, locale, localeFolder: path.join(Output, 'locale'), home: path.join(work, 'home') };
  // A locale that the system lacks is compiled for the check alone.
  const compiled = path.join(options.localeFolder, locale || '');
  if (locale && !locale.startsWith('C.') && !fs.existsSync(compiled)) {
    fs.mkdirSync(options.localeFolder, { recursive: true });
    const [name, charset] = locale.split('.');
    execFileSync('localedef', ['-i', name, '-f', charset, compiled]);
  }
  return options;
}

// --- the check ---------------------------------------------------------------

async function scenario(run, engine, files) {
  const check = checker(run);
  const { work, downloads, site } = files;
  const siteUrl = pathToFileURL(path.join(site, 'index.html')).href;
  let audited = 0;
  const auditIf = async (state) => { if (Runs[run].audit) { await audit(engine, check, state); ++audited; } };
  // No request to another host and no console error since the last look.
  const checkQuiet = async (where) => {
    const foreign = (await engine.takeRequests()).filter((url) => !/^(file|blob|data|about):|^http:\/\/127\.0\.0\.1:/.test(url));
    check(foreign.length === 0, `requests to other hosts ${where}: ${JSON.stringify(foreign)}`);
    const errors = await engine.takeErrors();
    check(errors.length === 0, `console errors ${where}: ${JSON.stringify(errors)}`);
  };

  await engine.goto(siteUrl);
  const language = await engine.run(() => navigator.language);
  check(language === Runs[run].language, 'the browser language: ' + language);
  await waitReady(engine);
  const readyAt = await engine.run(() => window.zanveroReadyAt);
  check(await engine.run(() => document.activeElement.id) === 'export-start',
        'the export button has the focus when the page opens');
  const separator = await engine.run(() => document.getElementById('decimal-separator').value);
  check(Runs[run].separator === null || separator === Runs[run].separator,
        `the decimal separator of the browser's language: ${separator}`);
  await auditIf('at rest');

  // No file chosen: the run stops at once, as the window's does.
  await engine.click('export-start');
  await waitFor('a message', () => messageOpen(engine));
  await auditIf('message box open');
  check(await takeMessage(engine) === '.cxf-Datei nicht gefunden.', 'no file: .cxf-Datei nicht gefunden.');

  // A file too short: the loader's text in an error box.
  await chooseFile(engine, files.short);
  const loader = spawnSync(Cli, ['--format', 'csv', '--output', '-', files.short], { encoding: 'utf8' }).stderr.trim();
  const expected = loader.split(files.short + ': ').pop() + '.';
  await engine.click('export-start');
  const shown = await takeMessage(engine);
  check(shown === expected, `short file shows the loader's error: ${JSON.stringify(shown)}, loader ${JSON.stringify(loader)}`);

  // A file dropped onto the page is taken like a chosen one.
  await dropFiles(engine, ['dropped.cxf']);
  await waitFor('the dropped file', () => engine.run(() => document.getElementById('file-summary').textContent.startsWith('dropped.cxf:')));

  const summary = await chooseFile(engine, files.demo);
  check(['benannte Satelliten', 'Kanäle', 'Pakete'].every((word) => summary.includes(word)),
        'summary of the chosen file: ' + summary);
  await auditIf('file chosen');
  // The button's captions during a run, as the window shows them.
  await engine.run(() => {
    window.captions = [];
    const button = document.getElementById('export-start');
    new MutationObserver(() => window.captions.push(button.textContent))
      .observe(button, { childList: true, subtree: true, characterData: true });
  });

  // Default settings: all four exclusions, Windows-1252 and the language's separator.
  const all = ['--exclude', 'all'];
  check((await exportAs(engine, downloads, 1, 'settings.csv')).equals(native(work, 'csv', all, separator)), 'CSV download');
  check((await exportAs(engine, downloads, 2, 'settings.sql', true)).equals(native(work, 'sql', all, separator)),
        'SQL download (started with Enter)');
  let pages = pagesOf(await exportAs(engine, downloads, 0, 'settings-html.zip'));
  const captions = await engine.run(() => window.captions);
  check(captions.slice(-2).join() === '..bitte warten..,Exportieren', 'captions during a run: ' + JSON.stringify(captions));
  check(samePages(pages, native(work, 'html', all, separator)),
        `HTML ZIP: ${Object.keys(pages).length} pages, the same names and bytes as the native pages`);
  await engine.click('type-3');
  await engine.click('export-start');
  check((await takeMessage(engine)).startsWith('Spezielles Ausgabeformat erwünscht? '), 'fourth export type');

  // An accepted head text reaches the next HTML export.
  await engine.click('html-header');
  await waitFor('the head text editor', () => engine.run(() => document.getElementById('header-editor').open));
  const editorText = await engine.run(() => document.getElementById('header-text').value);
  check(editorText.startsWith('\t\t<title>') && editorText.endsWith('\n') && editorText.split('\n').length > 6,
        'the editor shows the built-in head text, one line per text line');
  await auditIf('head text editor open');
  const head = fs.readFileSync(files.head, 'utf8');
  await engine.run((value) => { document.getElementById('header-text').value = value; }, head);
  await engine.click('header-ok');
  pages = pagesOf(await exportAs(engine, downloads, 0, 'settings-html.zip'));
  check(samePages(pages, native(work, 'html', [...all, '--head-text', files.head], separator)),
        'HTML ZIP with the accepted head text');

  // Other settings, then a reload: all of them stay. The file stays only
  // where the browser restores the form (Firefox), and the page then shows it.
  await engine.click('exclude-channel-vpid');
  await engine.click('exclude-satellite-uf');
  await engine.choose('charset', '1');
  await engine.choose('decimal-separator', '.');
  await engine.click('type-1');
  await engine.reload();
  await waitReady(engine);
  const state = await engine.run(() => {
    const v = (id) => document.getElementById(id);
    return [v('type-1').checked, v('exclude-channel-uf').checked, v('exclude-channel-vpid').checked,
            v('exclude-transponder-uf').checked, v('exclude-satellite-uf').checked,
            v('charset').value, v('decimal-separator').value,
            v('cxf-file').files.length ? v('file-summary').textContent.startsWith('settings.cxf: ')
                                       : v('file-summary').textContent === ''];
  });
  check(JSON.stringify(state) === JSON.stringify([true, true, false, true, false, '1', '.', true]),
        'settings after a reload: ' + JSON.stringify(state));
  await engine.click('html-header');
  check(await engine.run(() => document.getElementById('header-text').value) === head, 'head text after a reload');
  await engine.click('header-abort');
  await chooseFile(engine, files.demo);
  const utf8 = ['--exclude', 'channel-uf,transponder-uf', '--charset', 'utf-8'];
  check((await exportAs(engine, downloads, 1, 'settings.csv')).equals(native(work, 'csv', utf8, '.')),
        'CSV in UTF-8 with "." after the reload');
  pages = pagesOf(await exportAs(engine, downloads, 0, 'settings-html.zip'));
  check(samePages(pages, native(work, 'html', [...utf8, '--head-text', files.head], '.')),
        'HTML ZIP in UTF-8 with "." and the head text after the reload');
  await delay(300);
  const screenshot = path.join(Output, run + '.png');
  await engine.screenshot(screenshot);
  check(!(await messageOpen(engine)), 'no message after an HTML export');
  await checkQuiet('from disk');
  await pageMessages(engine, check, files);

  // The largest possible file to the HTML pages' ZIP, nothing excluded:
  // timed, not checked.
  await chooseUnfiltered(engine, files.maximal);
  await engine.choose('charset', '0');
  const maximalPages = Object.keys(pagesOf(await exportAs(engine, downloads, 0, 'maximal-html.zip'))).length;
  const timings = await engine.run(() => window.zanveroTimings);

  // The same files from a plain static web server: another origin, so the
  // settings stored under file:// do not apply.
  const server = await startServer(site);
  try {
    await engine.goto(server.origin + 'index.html');
    await waitReady(engine);
    await chooseFile(engine, files.demo);
    check((await exportAs(engine, downloads, 1, 'settings.csv')).equals(native(work, 'csv', all, separator)),
          'CSV from the page on a web server');
    await checkQuiet("on the web server's page");
  } finally {
    server.stop();
  }
  // A page of another host is seen, so a request of the page to one would be.
  await engine.goto('http://zanvero.invalid/').catch(() => {});
  check((await engine.takeRequests()).includes('http://zanvero.invalid/'), "the check sees the page's requests to other hosts");
  const ms = (value) => value.toFixed(0) + ' ms';
  console.log(`check-web-page: ${run}: ready after ${ms(readyAt)}; ${maximalPages}-page ZIP in ${ms(timings.total)} ` +
              `(convert ${ms(timings.convert)}, zip ${ms(timings.zip)}); ` +
              (audited ? `${audited} audits; ` : '') + `screenshot ${path.relative(Root, screenshot)}`);
}

async function measure(run, engine, files, image, count) {
  const figures = { ready: [], csv: [], sql: [], html: [], 'html convert': [], 'html zip': [] };
  const stem = path.basename(image).replace(/\.[^.]*$/, '');
  for (let i = 0; i < count; ++i) {
    await engine.goto(pathToFileURL(path.join(files.site, 'index.html')).href);
    await waitReady(engine);
    figures.ready.push(await engine.run(() => window.zanveroReadyAt));
    await chooseUnfiltered(engine, image);
    for (const [index, key, name] of [[1, 'csv', stem + '.csv'], [2, 'sql', stem + '.sql'], [0, 'html', stem + '-html.zip']]) {
      await exportAs(engine, files.downloads, index, name);
      const timings = await engine.run(() => window.zanveroTimings);
      figures[key].push(timings.total);
      if (key === 'html') {
        figures['html convert'].push(timings.convert);
        figures['html zip'].push(timings.zip);
      }
    }
  }
  for (const [key, values] of Object.entries(figures)) {
    values.sort((a, b) => a - b);
    console.log(`${run.padEnd(9)} ${key.padEnd(13)} median ${values[values.length >> 1].toFixed(1).padStart(7)} ms` +
                `  (min ${values[0].toFixed(1)}, max ${values[values.length - 1].toFixed(1)}, ${values.length} runs)`);
  }
}

async function main() {
  const args = process.argv.slice(2);
  let site = path.join(Root, 'build/web/site');
  let measured = null;
  const runs = [];
  while (args.length > 0) {
    const arg = args.shift();
    if (arg === '--site') site = path.resolve(args.shift());
    else if (arg === '--measure') {
      measured = { image: path.resolve(args.shift()), count: /^\d+$/.test(args[0] || '') ? Number(args.shift()) : 7 };
    } else if (arg in Runs) runs.push(arg);
    else throw new Error('unknown argument ' + arg);
  }
  if (!fs.existsSync(path.join(site, 'index.html'))) throw new Error(site + '/index.html is missing (scripts/build-web)');
  if (runs.length === 0) runs.push(...Object.keys(Runs));
  fs.mkdirSync(Output, { recursive: true });

  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zanvero-page-'));
  const proxy = await startProxy();
  try {
    const files = { work, site, downloads: path.join(work, 'downloads'), short: path.join(work, 'short.cxf'),
                    demo: path.join(work, 'settings.cxf'), head: path.join(work, 'head.txt'),
                    maximal: path.join(work, 'maximal.cxf'), unnamed: path.join(work, 'unnamed.cxf'), proxy };
    fs.writeFileSync(files.short, fs.readFileSync(Demo).subarray(0, 1000));
    // Bytes past the image's end are ignored by the loader, and the page
    // reads no more of a file than the loader needs.
    const filler = Buffer.alloc(256 * 4096, 0).map((_, i) => i & 255);
    fs.writeFileSync(files.demo, Buffer.concat([fs.readFileSync(Demo), filler]));
    fs.writeFileSync(files.head, '<title>Senderliste</title>\n\t<!-- Kopf über Übernehmen -->\n');
    execFileSync(MakeMaximal, [files.maximal]);
    // The demo file with every satellite's name blanked: it loads, and an
    // HTML export of it writes no page.
    const unnamed = Buffer.from(fs.readFileSync(Demo));
    const satellites = unnamed.readUInt32LE(4);
    for (let index = 0; index < 99; ++index) unnamed.fill(0, satellites + index * 40, satellites + index * 40 + 20);
    fs.writeFileSync(files.unnamed, unnamed);

    for (const run of runs) {
      const started = Date.now();
      let engine = null;
      try {
        files.proxy.take();  // what the browser of the run before sent as it closed
        engine = await startEngine(Runs[run].engine, files.downloads, browserOptions(run, work, files.proxy));
        await within(RunDeadline, measured ? measure(run, engine, files, measured.image, measured.count)
                                           : scenario(run, engine, files), 'the run');
      } catch (error) {
        checker(run)(false, error.message);
      } finally {
        if (engine) await engine.quit().catch(() => {});
      }
      console.log(`check-web-page: ${run}: ${Math.round((Date.now() - started) / 1000)} s`);
    }
  } finally {
    proxy.stop();
    fs.rmSync(work, { recursive: true, force: true });
  }
  if (measured) {
    const sizes = fs.readdirSync(site).sort().map((name) => [name, fs.statSync(path.join(site, name)).size]);
    console.log(`page size ${sizes.reduce((sum, [, size]) => sum + size, 0)} bytes (` +
                sizes.map(([name, size]) => `${name} ${size}`).join(', ') + ')');
  }
  if (failures.length > 0) {
    console.error(`check-web-page: ${failures.length} checks failed`);
    process.exit(1);
  }
  if (!measured) {
    console.log(`check-web-page: ${runs.join(', ')}: the page's downloads equal the native converter's output, ` +
                'no accessibility violation');
  }
}

await main();
