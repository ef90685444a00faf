// Drives the built page (build/web/site, scripts/build-web) in Chromium,
// Firefox and WebKitGTK (engines.mjs says how), opened straight from disk and
// from a static web server, and compares every download byte for byte with
// what the native zanvero-cli writes for the same settings: the CSV file, the
// SQL dump and every page in the ZIP, in both character sets, with all four
// exclusions and with two pairs of them that tell each from the others, a
// file with names that a spreadsheet would run, guarded and literal, and the
// change report against an older file in both kinds. Steps (below) is the
// scenario: also the pages written into a folder (one in memory) over a start
// page of the user's own and over an earlier overview, the page's messages
// and their icons (a file too short and one that is no .cxf file), dropped
// files, the busy caption, the head text editor, the settings surviving a
// reload, the decimal separator of the browser's language (in Chromium also
// English, then German), every control pressed before the module is ready,
// no request to anything but the page's own files and no console error, and
// an accessibility audit (axe-core, WCAG 2.1 A and AA and best practice) at
// rest, with a file chosen, with the head text editor open and with a message
// box open. Prints each run's time from navigation to ready and of
// converting the largest possible file to the HTML pages' ZIP (reported, not
// checked), and saves three screenshots per run: after an export (RUN.png),
// after a comparison (RUN-compare.png) and with an error message
// (RUN-message.png).
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
const MakeSamples = path.join(Root, 'build/default/tools/zanvero-make-samples');
const Demo = path.join(Root, 'samples/demo.cxf');
const Output = path.join(Root, 'build/web/check');
const AxeSource = fs.readFileSync(fileURLToPath(import.meta.resolve('axe-core/axe.min.js')), 'utf8');
const AuditTags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'];

// The browser's language comes from languages (Chromium, Firefox) or from
// the process locale (WebKitGTK). language: what navigator.language must
// then say; separator: the decimal separator the page must choose for it
// ("C" is a tag the engines refuse: their default, English, gives ".").
const German = { languages: 'de-DE,de', language: 'de-DE', separator: ',' };
const Refused = { language: 'C', separator: '.' };
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

// What the native converter writes for the demo file (or input): the bytes
// of one file, or {page: bytes}.
function native(work, format, options, separator = ',', input = Demo) {
  const key = JSON.stringify([format, options, separator, input]);
  if (!nativeOutputs.has(key)) {
    const out = path.join(fs.mkdtempSync(path.join(work, 'native-')), 'out');
    execFileSync(Cli, ['--format', format, '--output', out, '--decimal-separator', separator, ...options, input]);
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

// The open message box's text and the kind of the icon it shows; closes it
// with its OK button.
async function takeMessage(engine) {
  await waitFor('a message', () => messageOpen(engine));
  const message = await engine.run(() => ({
    text: document.getElementById('message-text').textContent,
    icon: Array.from(document.querySelectorAll('#message .icon')).filter((icon) => !icon.hidden)
      .map((icon) => icon.dataset.kind).join(),
  }));
  await engine.click('message-ok');
  return message;
}

// Chooses the file to convert, or with input and summary the older one of
// a comparison; returns the line that shows what it holds.
async function chooseFile(engine, file, input = 'cxf-file', summary = 'file-summary') {
  await engine.upload(input, file);
  const prefix = path.basename(file) + ':';
  return waitFor('the summary of ' + file, () => engine.run((id, start) => {
    const text = document.getElementById(id).textContent;
    return text.startsWith(start) && text;
  }, summary, prefix));
}

// Drops a file of the demo's bytes onto the page (onto the element target)
// for each name in turn, at once; reading those in slow takes a second, and
// "unreadable.cxf" fails as a file that has gone away does.
async function dropFiles(engine, names, slow = [], target = 'export-type') {
  await engine.run((demo, names, slow, target) => {
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
      document.getElementById(target).dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, fs.readFileSync(Demo).toString('base64'), names, slow, target);
}

// The page's own messages: for an HTML export that writes no page and for a
// file that cannot be read; and of two files picked one after the other,
// the one picked last stays chosen however their reading ends.
async function pageMessages({ engine, check, files }) {
  await chooseFile(engine, files.unnamed);
  await engine.click('type-html');
  await engine.click('export-start');
  const noPages = await takeMessage(engine);
  check(noPages.text.startsWith('Keine HTML-Seiten erzeugt: ') && noPages.icon === 'information',
        'HTML export without a page: ' + JSON.stringify(noPages));

  await dropFiles(engine, ['unreadable.cxf']);
  const shown = await takeMessage(engine);
  check(shown.text === 'unreadable.cxf: A requested file or directory could not be found.' && shown.icon === 'error',
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

// Chooses the export type (html, csv, sql), starts the export, returns the
// download.
async function exportAs(engine, downloads, kind, name, keyboard = false) {
  await engine.click('type-' + kind);
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

// The scenario, one step per row, in order: each step takes the page as the
// step before left it, and a failed check names its step. ctx holds the run's
// engine, files and options, check(), and what earlier steps found out.
const Steps = [
  ['opening', opening],
  ['no usable file', noUsableFile],
  ['dropping', dropping],
  ['exports with every exclusion', exportsWithEveryExclusion],
  ['change report', changeReport],
  ['into a folder', intoAFolder],
  ['head text', headTextStep],
  ['settings after a reload', settingsAfterReload],
  ['page messages', pageMessages],
  ['largest file', largestFile],
  ['CSV names', csvNames],
  ['on a web server', onWebServer],
  ['language change', languageChange],
  ['settings of earlier versions', earlierSettings],
  ['before ready', beforeReady],
  ['other hosts', otherHosts],
];

async function scenario(run, engine, files) {
  const ctx = { run, engine, files, options: Runs[run], audited: 0, stops: [] };
  try {
    for (const [name, step] of Steps) {
      ctx.check = checker(`${run}: ${name}`);
      await step(ctx).catch((error) => { throw new Error(`${name}: ${error.message}`); });
    }
  } finally {
    ctx.stops.forEach((stop) => stop());
  }
  const ms = (value) => value.toFixed(0) + ' ms';
  const { timings } = ctx;
  console.log(`check-web-page: ${run}: ready after ${ms(ctx.readyAt)}; ${ctx.maximalPages}-page ZIP in ` +
              `${ms(timings.total)} (convert ${ms(timings.convert)}, zip ${ms(timings.zip)}); ` +
              (ctx.audited ? `${ctx.audited} audits; ` : '') + `screenshots ${path.relative(Root, Output)}/${run}*.png`);
}

async function auditIf(ctx, state) {
  if (!ctx.options.audit) return;
  await audit(ctx.engine, ctx.check, state);
  ++ctx.audited;
}

// No request to another host and no console error since the last look.
async function checkQuiet({ engine, check }, where) {
  const foreign = (await engine.takeRequests()).filter((url) => !/^(file|blob|data|about):|^http:\/\/127\.0\.0\.1:/.test(url));
  check(foreign.length === 0, `requests to other hosts ${where}: ${JSON.stringify(foreign)}`);
  const errors = await engine.takeErrors();
  check(errors.length === 0, `console errors ${where}: ${JSON.stringify(errors)}`);
}

// The check boxes by the window's texts, so that a box that hands the
// module another exclusion than its label says is seen.
const ExclusionLabels = {
  'channel-uf': 'Kanäle mit gesetztem UF', 'channel-vpid': 'Kanäle mit VPID = 0',
  'transponder-uf': 'Transponder mit gesetztem UF', 'satellite-uf': 'Satelliten mit gesetztem UF',
};
const exclusionBox = (engine, name) => engine.run((label) => Array.from(document.querySelectorAll('#exclusions label'))
  .find((element) => element.textContent === label).htmlFor, ExclusionLabels[name]);
const clickExclusions = async (engine, names) => { for (const name of names) await engine.click(await exclusionBox(engine, name)); };
const exclusionsShown = async (engine) => {
  const ids = await Promise.all(Object.keys(ExclusionLabels).map((name) => exclusionBox(engine, name)));
  return engine.run((ids) => ids.map((id) => document.getElementById(id).checked), ids);
};

const separatorShown = (engine) => engine.run(() => document.getElementById('decimal-separator').value);
const summaryShown = (engine) => engine.run(() => document.getElementById('file-summary').textContent);

async function opening(ctx) {
  const { engine, check, options } = ctx;
  await engine.goto(pathToFileURL(path.join(ctx.files.site, 'index.html')).href);
  const language = await engine.run(() => navigator.language);
  check(language === options.language, 'the browser language: ' + language);
  await waitReady(engine);
  ctx.readyAt = await engine.run(() => window.zanveroReadyAt);
  check(await engine.run(() => document.activeElement.id) === 'export-start',
        'the export button has the focus when the page opens');
  ctx.separator = await separatorShown(engine);
  check(ctx.separator === options.separator, `the decimal separator of the browser's language: ${ctx.separator}`);
  // Below 12 px text reads badly, on a phone's screen too.
  const small = await engine.run(() => Array.from(document.querySelectorAll('body *'))
    .filter((element) => Array.from(element.childNodes).some((node) => node.nodeType === Node.TEXT_NODE && node.data.trim()))
    .filter((element) => parseFloat(getComputedStyle(element).fontSize) < 12)
    .map((element) => element.id || element.tagName));
  check(small.length === 0, 'text below 12 px: ' + small.join(', '));
  await auditIf(ctx, 'at rest');
}

// No file chosen: the run stops at once, as the window's does; a file too
// short and one that is no .cxf file: the loader's text in an error box (the
// box adds the full stop that the short file's text lacks).
async function noUsableFile(ctx) {
  const { engine, check, files } = ctx;
  await engine.click('export-start');
  await waitFor('a message', () => messageOpen(engine));
  await auditIf(ctx, 'message box open');
  const none = await takeMessage(engine);
  check(none.text === '.cxf-Datei nicht gefunden.' && none.icon === 'error', 'no file: ' + JSON.stringify(none));

  for (const [file, stop] of [[files.short, '.'], [files.notCxf, '']]) {
    await chooseFile(engine, file);
    const loader = spawnSync(Cli, ['--format', 'csv', '--output', '-', file], { encoding: 'utf8' }).stderr.trim();
    const expected = loader.split(file + ': ').pop() + stop;
    await engine.click('export-start');
    await waitFor('a message', () => messageOpen(engine));
    if (file === files.notCxf) await engine.screenshot(path.join(Output, ctx.run + '-message.png'));
    const shown = await takeMessage(engine);
    check(shown.text === expected && shown.icon === 'error',
          `${path.basename(file)} shows the loader's error: ${JSON.stringify(shown)}, loader ${JSON.stringify(loader)}`);
  }
}

// A file dropped onto the page is taken like a chosen one; a drop without
// a file (a text, a web address) after it changes nothing.
async function dropping({ engine, check }) {
  await dropFiles(engine, ['dropped.cxf']);
  await waitFor('the dropped file', async () => (await summaryShown(engine)).startsWith('dropped.cxf:'));
  await engine.run(() => {
    for (const [type, value] of [['text/plain', 'other.cxf'], ['text/uri-list', 'http://zanvero.invalid/other.cxf']]) {
      const transfer = new DataTransfer();
      transfer.setData(type, value);
      document.getElementById('drop-zone').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  });
  await delay(300);
  const summary = await summaryShown(engine);
  check(summary.startsWith('dropped.cxf:'), 'a drop without a file keeps the dropped one: ' + JSON.stringify(summary));
}

// Default settings: all four exclusions, Windows-1252 and the language's
// separator, each export type.
async function exportsWithEveryExclusion(ctx) {
  const { engine, check, files } = ctx;
  const { work, downloads } = files;
  const summary = await chooseFile(engine, files.demo);
  check(['benannte Satelliten', 'Kanäle', 'Pakete'].every((word) => summary.includes(word)),
        'summary of the chosen file: ' + summary);
  await auditIf(ctx, 'file chosen');
  // The button's captions during a run, as the window shows them.
  await engine.run(() => {
    window.captions = [];
    const button = document.getElementById('export-start');
    new MutationObserver(() => window.captions.push(button.textContent))
      .observe(button, { childList: true, subtree: true, characterData: true });
  });
  const all = ['--exclude', 'all'];
  check((await exportAs(engine, downloads, 'csv', 'settings.csv')).equals(native(work, 'csv', all, ctx.separator)),
        'CSV download');
  check((await exportAs(engine, downloads, 'sql', 'settings.sql', true)).equals(native(work, 'sql', all, ctx.separator)),
        'SQL download (started with Enter)');
  const pages = pagesOf(await exportAs(engine, downloads, 'html', 'settings-html.zip'));
  const captions = await engine.run(() => window.captions);
  check(captions.slice(-2).join() === '..bitte warten..,Exportieren', 'captions during a run: ' + JSON.stringify(captions));
  check('index.html' in pages && samePages(pages, native(work, 'html', all, ctx.separator)),
        `HTML ZIP: ${Object.keys(pages).length} pages with the overview, the same names and bytes as the native pages`);
  await engine.click('type-other');
  await engine.click('export-start');
  const other = await takeMessage(engine);
  check(other.text.startsWith('Spezielles Ausgabeformat erwünscht? ') && other.icon === 'information',
        'fourth export type: ' + JSON.stringify(other));
}

// What the native converter writes as the change report of the chosen file
// (settings.cxf) against OLDER, both in the work folder and named as the page
// names them; its standard error for a file that cannot be loaded.
function nativeReport(work, older, kind, options, separator) {
  const out = path.join(fs.mkdtempSync(path.join(work, 'native-')), 'report');
  const run = spawnSync(Cli, ['--compare', older, '--format', kind, '--output', out, '--decimal-separator', separator,
                              ...options, 'settings.cxf'], { cwd: work, encoding: 'utf8' });
  return run.status === 0 ? fs.readFileSync(out) : run.stderr.replace(/^zanvero-cli: /, '').trim();
}

// The change report of the chosen file against an older one (the demo file
// after a later scan) with the settings of the step before, as a page and as
// a CSV file; without the older file, and with one that cannot be loaded, a
// message and no download.
async function changeReport(ctx) {
  const { engine, check, files } = ctx;
  const { work, downloads } = files;
  fs.rmSync(downloads, { recursive: true, force: true });
  fs.mkdirSync(downloads);
  await engine.click('compare-start');
  const none = await takeMessage(engine);
  check(none.text === 'Keine ältere .cxf-Datei zum Vergleich gewählt.' && none.icon === 'error',
        'a comparison without the older file: ' + JSON.stringify(none));
  await chooseFile(engine, files.short, 'older-file', 'older-summary');
  await engine.click('compare-start');
  const short = await takeMessage(engine);
  const loader = nativeReport(work, path.basename(files.short), 'csv', [], ctx.separator) + '.';
  check(short.text === loader && short.icon === 'error', `an older file that cannot be loaded: ${JSON.stringify(short)}`);
  await delay(300);
  check(fs.readdirSync(downloads).length === 0, 'no download after a failed comparison');

  await chooseFile(engine, files.older, 'older-file', 'older-summary');
  for (const kind of ['html', 'csv']) {
    await engine.choose('report-kind', kind);
    const report = await download(downloads, 'settings-changes.' + kind, () => engine.click('compare-start'));
    const expected = nativeReport(work, path.basename(files.older), kind, ['--exclude', 'all'], ctx.separator);
    check(Buffer.isBuffer(expected) && report.equals(expected), `the change report as ${kind}, as the native one`);
  }
  await delay(300);
  await engine.screenshot(path.join(Output, ctx.run + '-compare.png'));
  check(!(await messageOpen(engine)), 'no message after a comparison');

  // A file dropped onto the comparison is the older one.
  await dropFiles(engine, ['dropped-backup.cxf'], [], 'compare');
  await waitFor('the dropped older file', () => engine.run(
    () => document.getElementById('older-summary').textContent.startsWith('dropped-backup.cxf:')));
  check((await summaryShown(engine)).startsWith('settings.cxf:'), 'a drop onto the comparison keeps the file to convert');
}

// In the page: a folder in memory as the one the user picks, holding index
// (a text) under the overview's name, and the pages to go into a folder.
function pickFolderInMemory(index) {
  const entries = new Map([['index.html', new TextEncoder().encode(index)]]);
  const handle = (name) => ({
    getFile: async () => new File([entries.get(name)], name),
    createWritable: async () => {
      const parts = [];
      return { write: async (data) => { parts.push(data); },
               close: async () => { entries.set(name, new Uint8Array(await new Blob(parts).arrayBuffer())); } };
    },
  });
  if (!('zanveroPicker' in window)) window.zanveroPicker = window.showDirectoryPicker;
  window.showDirectoryPicker = async () => ({
    getFileHandle: async (name, options) => {
      if (!entries.has(name) && !(options && options.create)) throw new DOMException(name, 'NotFoundError');
      return handle(name);
    },
  });
  window.zanveroFolder = entries;
  window.zanveroTimings = {};
  document.getElementById('html-target').value = 'folder';
}

// The pages into a folder, which the browser's picker would give (here one
// in memory). A start page of the user's own under the overview's name
// stays, every page is written, and the page says so as the native
// converter does; an overview of the run before is replaced without a word.
async function intoAFolder(ctx) {
  const { engine, check, files } = ctx;
  const expected = native(files.work, 'html', ['--exclude', 'all'], ctx.separator);
  const earlier = native(files.work, 'html', ['--exclude', 'all', '--head-text', files.head], ctx.separator);
  const mine = '<html><body>Meine Startseite</body></html>\n';
  const warned = path.join(fs.mkdtempSync(path.join(files.work, 'native-')), 'out');
  fs.mkdirSync(warned);
  fs.writeFileSync(path.join(warned, 'index.html'), mine);
  const warning = spawnSync(Cli, ['--format', 'html', '--output', warned, Demo], { encoding: 'utf8' }).stderr;
  const written = async (index) => {
    await engine.run(pickFolderInMemory, index);
    await engine.click('type-html');
    await engine.click('export-start');
    await waitFor('the pages in the folder', () => engine.run(() => window.zanveroTimings.total !== undefined));
    return engine.run(() => Object.fromEntries(Array.from(window.zanveroFolder,
                                                          ([name, bytes]) => [name, new TextDecoder().decode(bytes)])));
  };
  // The files' names and texts, in the order of their names.
  const listed = (pages) => JSON.stringify(Object.entries(pages).map(([name, bytes]) => [name, String(bytes)]).sort());

  const kept = await written(mine);
  const shown = await takeMessage(engine);
  check(listed(kept) === listed({ ...expected, 'index.html': mine }) &&
        warning === 'zanvero-cli: warning: ' + shown.text + '\n' && shown.icon === 'information',
        `folder with a start page of its own: ${Object.keys(kept).length} files, message ${JSON.stringify(shown)}`);
  const replaced = await written(earlier['index.html'].toString());
  await delay(300);
  check(listed(replaced) === listed(expected) && !(await messageOpen(engine)),
        'folder with an earlier overview: replaced, no message');
  await engine.run(() => {
    window.showDirectoryPicker = window.zanveroPicker;
    const target = document.getElementById('html-target');
    target.value = 'zip';
    target.dispatchEvent(new Event('change'));
  });
}

// The editor shows the built-in head text with its long lines unwrapped; an
// accepted head text reaches the next HTML export.
async function headTextStep(ctx) {
  const { engine, check, files } = ctx;
  await engine.click('html-header');
  await waitFor('the head text editor', () => engine.run(() => document.getElementById('header-editor').open));
  const editorText = await engine.run(() => document.getElementById('header-text').value);
  check(editorText.startsWith('\t\t<title>') && editorText.endsWith('\n') && editorText.split('\n').length > 6,
        'the editor shows the built-in head text, one line per text line');
  const unwrapped = await engine.run(() => {
    const area = document.getElementById('header-text');
    const kept = area.value;
    area.value = 'x'.repeat(400);
    const wide = area.scrollWidth > area.clientWidth;
    area.value = kept;
    return wide;
  });
  check(unwrapped, 'a long line stays one line in the editor');
  await auditIf(ctx, 'head text editor open');
  const head = fs.readFileSync(files.head, 'utf8');
  await engine.run((value) => { document.getElementById('header-text').value = value; }, head);
  await engine.click('header-ok');
  const pages = pagesOf(await exportAs(engine, files.downloads, 'html', 'settings-html.zip'));
  check(samePages(pages, native(files.work, 'html', ['--exclude', 'all', '--head-text', files.head], ctx.separator)),
        'HTML ZIP with the accepted head text');
}

// Other settings, then a reload: all of them stay. The file stays only
// where the browser restores the form (Firefox), and the page then shows it.
// Two exclusions of the four, one of each pair that could be swapped.
async function settingsAfterReload(ctx) {
  const { engine, check, files } = ctx;
  const { work, downloads } = files;
  await clickExclusions(engine, ['channel-vpid', 'satellite-uf']);
  await engine.choose('charset', 'utf-8');
  await engine.choose('decimal-separator', '.');
  await engine.click('type-csv');
  await engine.reload();
  await waitReady(engine);
  const state = [...await exclusionsShown(engine), ...await engine.run(() => {
    const v = (id) => document.getElementById(id);
    return [v('type-csv').checked, v('charset').value, v('decimal-separator').value,
            v('cxf-file').files.length ? v('file-summary').textContent.startsWith('settings.cxf: ')
                                       : v('file-summary').textContent === ''];
  })];
  check(JSON.stringify(state) === JSON.stringify([true, false, true, false, true, 'utf-8', '.', true]),
        'settings after a reload: ' + JSON.stringify(state));
  await engine.click('html-header');
  check(await engine.run(() => document.getElementById('header-text').value) === fs.readFileSync(files.head, 'utf8'),
        'head text after a reload');
  await engine.click('header-abort');
  await chooseFile(engine, files.demo);
  const utf8 = ['--exclude', 'channel-uf,transponder-uf', '--charset', 'utf-8'];
  check((await exportAs(engine, downloads, 'csv', 'settings.csv')).equals(native(work, 'csv', utf8, '.')),
        'CSV in UTF-8 with "." after the reload');
  check((await exportAs(engine, downloads, 'sql', 'settings.sql')).equals(native(work, 'sql', utf8, '.')),
        'SQL in UTF-8 after the reload');
  const pages = pagesOf(await exportAs(engine, downloads, 'html', 'settings-html.zip'));
  check(samePages(pages, native(work, 'html', [...utf8, '--head-text', files.head], '.')),
        'HTML ZIP in UTF-8 with "." and the head text after the reload');
  await delay(300);
  await engine.screenshot(path.join(Output, ctx.run + '.png'));
  check(!(await messageOpen(engine)), 'no message after an HTML export');
  await checkQuiet(ctx, 'from disk');
}

// The largest possible file to the HTML pages' ZIP, nothing excluded:
// timed, not checked.
async function largestFile(ctx) {
  const { engine, files } = ctx;
  await chooseUnfiltered(engine, files.maximal);
  await engine.choose('charset', 'windows-1252');
  ctx.maximalPages = Object.keys(pagesOf(await exportAs(engine, files.downloads, 'html', 'maximal-html.zip'))).length;
  ctx.timings = await engine.run(() => window.zanveroTimings);
}

// A name that a spreadsheet would run is written with the apostrophe in
// front, or as it is once the user chose literal names: the native
// converter's CSV file without and with --literal-names.
async function csvNames(ctx) {
  const { engine, check, files } = ctx;
  await chooseUnfiltered(engine, files.formulas);
  await engine.choose('charset', 'windows-1252');
  await engine.choose('decimal-separator', ',');
  const downloads = {};
  for (const form of ['guarded', 'literal']) {
    await engine.choose('csv-names', form);
    downloads[form] = await exportAs(engine, files.downloads, 'csv', 'formulas.csv');
  }
  const written = (options) => native(files.work, 'csv', options, ',', files.formulas);
  check(downloads.guarded.equals(written([])), 'CSV with the names guarded');
  check(downloads.literal.equals(written(['--literal-names'])), 'CSV with literal names');
  check(!downloads.guarded.equals(downloads.literal), 'the two forms differ for this file');
}

// The same files from a plain static web server: another origin, so the
// settings stored under file:// do not apply. The other two exclusions of
// the four, for the exports that they act on.
async function onWebServer(ctx) {
  const { engine, check, files } = ctx;
  const server = await startServer(files.site);
  ctx.stops.push(server.stop);
  ctx.serverUrl = server.origin + 'index.html';
  await engine.goto(ctx.serverUrl);
  await waitReady(engine);
  check(await separatorShown(engine) === ctx.separator, "the language's separator on the web server's page");
  await chooseFile(engine, files.demo);
  await clickExclusions(engine, ['channel-vpid', 'transponder-uf']);
  const two = ['--exclude', 'channel-uf,satellite-uf'];
  check((await exportAs(engine, files.downloads, 'csv', 'settings.csv')).equals(native(files.work, 'csv', two, ctx.separator)),
        'CSV from the page on a web server');
  check((await exportAs(engine, files.downloads, 'sql', 'settings.sql')).equals(native(files.work, 'sql', two, ctx.separator)),
        'SQL from the page on a web server');
  await checkQuiet(ctx, "on the web server's page");
}

// Opened in English, then in German: each time the language's separator
// while none was chosen, also after other settings were saved.
async function languageChange(ctx) {
  const { engine, check, options } = ctx;
  if (!engine.can.setLanguage) return;
  const opened = async (languages) => {
    await engine.setLanguage(languages);
    await engine.reload();
    await waitReady(engine);
    return separatorShown(engine);
  };
  check(await opened('en-US,en') === '.', 'English: "."');
  await engine.click('exclude-channel-vpid');
  check(await opened('de-DE,de') === ',', 'German after English: ","');
  await engine.choose('decimal-separator', '.');
  check(await opened('de-DE,de') === '.', 'a separator picked in German stays');
  await engine.setLanguage(options.languages);
  await engine.run(() => localStorage.clear());
}

// Settings as earlier versions of the page stored them are read: the
// export type and the character set as numbers, the exclusions as flags,
// the head text as lines, and a separator other than the language's as
// chosen.
async function earlierSettings(ctx) {
  const { engine, check } = ctx;
  const other = ctx.separator === ',' ? '.' : ',';
  await engine.run((separator) => localStorage.setItem('zanvero.settings', JSON.stringify({
    exportType: 2, exclusions: [false, true, false, true], headLines: ['<title>t</title>', '\t<!-- c -->'],
    decimalSeparator: separator, charset: 1, htmlTarget: 'zip' })), other);
  await engine.reload();
  await waitReady(engine);
  const state = [...await exclusionsShown(engine), ...await engine.run(() => {
    const v = (id) => document.getElementById(id);
    return [v('type-sql').checked, v('charset').value, v('decimal-separator').value];
  })];
  check(JSON.stringify(state) === JSON.stringify([false, true, false, true, true, 'utf-8', other]),
        'settings of an earlier version: ' + JSON.stringify(state));
  await engine.click('html-header');
  check(await engine.run(() => document.getElementById('header-text').value) === '<title>t</title>\n\t<!-- c -->\n',
        'head text lines of an earlier version');
  await engine.click('header-abort');
}

// Every control pressed and a file picked and another dropped while the
// module is held back: nothing fails, what was pressed is kept, and the
// file dropped last is taken once the page is ready. Where the engine can
// fail the module's request, the page says that it failed.
async function beforeReady(ctx) {
  const { engine, check, files } = ctx;
  const ModuleScript = 'zanvero-wasm.js';
  if (engine.can.failRequest) {
    const release = await engine.openHeld(ctx.serverUrl, ModuleScript);
    await release({ fail: true });
    const failure = await takeMessage(engine);
    check(failure.icon === 'error' && failure.text !== '', 'a module that failed to load: ' + JSON.stringify(failure));
    await engine.takeErrors();  // the failed request's own
  }
  const release = await engine.openHeld(ctx.serverUrl, ModuleScript);
  await waitFor('page.js', () => engine.run(() => typeof window.zanveroTimings === 'object'));
  // The visible controls: buttons, radios and check boxes as they are
  // pressed, lists with the first value not chosen.
  const controls = await engine.run(() => Array.from(document.querySelectorAll('#page button, #page input, #page select'))
    .filter((control) => control.type !== 'file' && control.getClientRects().length > 0)
    .map((control) => ({ id: control.id, tag: control.tagName, type: control.type, disabled: control.disabled,
                         checked: control.checked,
                         other: control.tagName === 'SELECT' ? Array.from(control.options).find((o) => !o.selected).value : null })));
  check(controls.filter((control) => control.disabled).map((control) => control.id).join() ===
          'html-header,export-start,compare-start',
        'the controls that need the module wait for it: ' + JSON.stringify(controls.filter((control) => control.disabled)));
  for (const control of controls) {
    if (control.tag === 'SELECT') await engine.choose(control.id, control.other);
    else if (!control.disabled) await engine.click(control.id);
  }
  await engine.upload('cxf-file', files.demo);
  await dropFiles(engine, ['dropped.cxf']);
  await release({ fail: false });
  await waitReady(engine);
  const summary = await summaryShown(engine);
  check(summary.startsWith('dropped.cxf:') && summary.includes('Kanäle'), 'the file dropped last is taken: ' + summary);
  await checkQuiet(ctx, 'before ready');

  // What was pressed stays, and is kept for the next visit.
  const lastRadio = controls.filter((control) => control.type === 'radio').pop().id;
  const expected = controls.filter((control) => !control.disabled && control.tag !== 'BUTTON')
    .map((control) => [control.id, control.tag === 'SELECT' ? control.other
                                   : control.type === 'radio' ? control.id === lastRadio : !control.checked]);
  const shown = () => engine.run((ids) => ids.map((id) => {
    const control = document.getElementById(id);
    return [id, control.tagName === 'SELECT' ? control.value : control.checked];
  }), expected.map(([id]) => id));
  check(JSON.stringify(await shown()) === JSON.stringify(expected), 'what was pressed: ' + JSON.stringify(await shown()));
  await engine.goto(ctx.serverUrl);
  await waitReady(engine);
  check(JSON.stringify(await shown()) === JSON.stringify(expected), 'what was pressed, after a reload: ' + JSON.stringify(await shown()));
}

// A page of another host is seen, so a request of the page to one would be.
async function otherHosts({ engine, check }) {
  await engine.goto('http://zanvero.invalid/').catch(() => {});
  check((await engine.takeRequests()).includes('http://zanvero.invalid/'), "the check sees the page's requests to other hosts");
}

async function measure(run, engine, files, image, count) {
  const figures = { ready: [], csv: [], sql: [], html: [], 'html convert': [], 'html zip': [] };
  const stem = path.basename(image).replace(/\.[^.]*$/, '');
  for (let i = 0; i < count; ++i) {
    await engine.goto(pathToFileURL(path.join(files.site, 'index.html')).href);
    await waitReady(engine);
    figures.ready.push(await engine.run(() => window.zanveroReadyAt));
    await chooseUnfiltered(engine, image);
    for (const [key, name] of [['csv', stem + '.csv'], ['sql', stem + '.sql'], ['html', stem + '-html.zip']]) {
      await exportAs(engine, files.downloads, key, name);
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
                    notCxf: path.join(work, 'zeros.cxf'), demo: path.join(work, 'settings.cxf'),
                    head: path.join(work, 'head.txt'), maximal: path.join(work, 'maximal.cxf'),
                    unnamed: path.join(work, 'unnamed.cxf'), formulas: path.join(work, 'formulas.cxf'),
                    older: path.join(work, 'backup.cxf'), proxy };
    fs.writeFileSync(files.short, fs.readFileSync(Demo).subarray(0, 1000));
    fs.writeFileSync(files.notCxf, Buffer.alloc(fs.statSync(Demo).size));
    // Bytes past the image's end are ignored by the loader, and the page
    // reads no more of a file than the loader needs.
    const filler = Buffer.alloc(256 * 4096, 0).map((_, i) => i & 255);
    fs.writeFileSync(files.demo, Buffer.concat([fs.readFileSync(Demo), filler]));
    fs.writeFileSync(files.head, '<title>Senderliste</title>\n\t<!-- Kopf über Übernehmen -->\n');
    execFileSync(MakeMaximal, [files.maximal]);
    // The demo file after a later scan, as the older file of a comparison.
    execFileSync(MakeSamples, [path.join(work, 'samples')]);
    fs.copyFileSync(path.join(work, 'samples', 'changed', 'demo.cxf'), files.older);
    // The demo file with every satellite's name blanked: it loads, and an
    // HTML export of it writes no page.
    const unnamed = Buffer.from(fs.readFileSync(Demo));
    const satellites = unnamed.readUInt32LE(4);
    for (let index = 0; index < 99; ++index) unnamed.fill(0, satellites + index * 40, satellites + index * 40 + 20);
    fs.writeFileSync(files.unnamed, unnamed);
    // The demo file with names that a spreadsheet would run: the first
    // satellite's, the package that the first channel record opens, and the
    // second channel's.
    const formulas = Buffer.from(fs.readFileSync(Demo));
    const rename = (offset, name) => formulas.fill(0, offset, offset + 20).write(name, offset, 'latin1');
    const channels = formulas.readUInt32LE(12);
    rename(formulas.readUInt32LE(4), '@SUM(A1)');
    rename(channels + 12, '<=1+1>');
    rename(channels + 32 + 12, '-2+3');
    fs.writeFileSync(files.formulas, formulas);

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
