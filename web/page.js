// The browser page: reads the chosen .cxf file (and an older one to compare
// it with) into memory, hands it with the settings to the WebAssembly module
// (the core's converter, the window's export run and the comparison), and
// offers what the run wrote as downloads. The conversion
// itself, the run's order of steps, its messages, the output names and the
// rules the window applies too (head text, decimal separator, exclusions,
// the error box's text) all come from the module. Values cross to the module
// by name only: the names the controls carry in index.html.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const SettingsKey = 'zanvero.settings';
  // Each exclusion's check box is named after it, as the module knows them.
  const ExclusionPrefix = 'exclude-';

  let core = null;          // the module, once it is ready
  let headText = null;      // the head text as the editor shows it; null: the built-in one
  let separatorChosen = false;  // the user picked the decimal separator, here or on an earlier visit
  let busy = false;

  // The two files the page hands the module, each by the name of its slot
  // there, with its file control and the line that shows what it holds.
  function fileSlot(name, inputId, summaryId) {
    return {
      name, inputId, summaryId,
      chosen: '',     // the name of the file in the module, '' when none
      waiting: null,  // a file picked before the module was ready
      picks: 0,       // files picked so far; only the last one is taken
    };
  }
  const Input = fileSlot('input', 'cxf-file', 'file-summary');
  const Older = fileSlot('older', 'older-file', 'older-summary');

  // What the page measured: when it became ready, and the last export's
  // steps (read by the measurements, shown nowhere).
  window.zanveroReadyAt = null;
  window.zanveroTimings = {};

  // --- the module ------------------------------------------------------

  function text(pointer) {
    return core.UTF8ToString(pointer);
  }

  function withCString(value, use) {
    const size = core.lengthBytesUTF8(value) + 1;
    const pointer = core._malloc(size);
    try {
      core.stringToUTF8(value, pointer, size);
      return use(pointer);
    } finally {
      core._free(pointer);
    }
  }

  // Bytes in the module's memory for as long as use runs.
  function withBytes(bytes, use) {
    const pointer = core._malloc(Math.max(bytes.length, 1));
    try {
      core.HEAPU8.set(bytes, pointer);
      return use(pointer);
    } finally {
      core._free(pointer);
    }
  }

  function moduleText(name) {
    return text(withCString(name, (pointer) => core._ZanveroText(pointer)));
  }

  function wasmBytes() {
    const binary = atob(self.ZanveroWasmBase64);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // page.js is the first of the page's deferred scripts, so that the
  // controls answer while the browser still loads the module's scripts after
  // it; the document is loaded once those have run.
  function moduleScriptsLoaded() {
    return new Promise((resolve) => document.addEventListener('DOMContentLoaded', resolve, { once: true }));
  }

  // The page check holds the module back to press every control before the
  // page is ready. Where its driver cannot hold a request back (WebKitGTK's),
  // it opens the page with "?hold-module", which only a browser under remote
  // control honours: the module then loads once the check calls
  // zanveroReleaseModule().
  function moduleReleased() {
    if (!navigator.webdriver || !new URLSearchParams(location.search).has('hold-module')) return Promise.resolve();
    return new Promise((resolve) => { window.zanveroReleaseModule = resolve; });
  }

  // --- settings (what the window keeps, and the page's own options) -----

  // The decimal separator of numbers in the browser's language. A tag that
  // the browser refuses ("C" from a system with LANG=C.UTF-8) falls back to
  // the browser's own default, as a language it does not know does.
  function browserDecimalSeparator() {
    let format;
    try {
      format = new Intl.NumberFormat(navigator.language);
    } catch (error) {
      format = new Intl.NumberFormat();
    }
    const part = format.formatToParts(1.5).find((piece) => piece.type === 'decimal');
    return part ? part.value : '.';
  }

  // Shows a decimal separator in the list, which offers it even where it is
  // neither of the usual two.
  function showSeparator(separator) {
    const list = $('decimal-separator');
    if (!Array.from(list.options).some((option) => option.value === separator))
      list.add(new Option('"' + separator + '"', separator));
    list.value = separator;
  }

  // The language's separator by the rule the window follows.
  function showLanguageSeparator() {
    const code = withCString(browserDecimalSeparator(), (separator) => core._ZanveroDefaultDecimalSeparator(separator));
    showSeparator(String.fromCharCode(code));
  }

  function radioGroup(name) {
    const radios = () => Array.from(document.querySelectorAll(`input[type="radio"][name="${name}"]`));
    return {
      get: () => radios().find((radio) => radio.checked)?.value,
      show: (value) => radios().forEach((radio) => { if (radio.value === value) radio.checked = true; }),
    };
  }

  // The checked boxes of a group, by the names their ids carry after prefix.
  function checkBoxes(group, prefix) {
    const boxes = () => Array.from(document.querySelectorAll(`#${group} input[type="checkbox"]`));
    const name = (box) => box.id.slice(prefix.length);
    return {
      get: () => boxes().filter((box) => box.checked).map(name),
      show: (names) => { if (Array.isArray(names)) boxes().forEach((box) => { box.checked = names.includes(name(box)); }); },
    };
  }

  function list(id) {
    return {
      get: () => $(id).value,
      show: (value) => { if (Array.from($(id).options).some((option) => option.value === value)) $(id).value = value; },
    };
  }

  // The settings, one row each, by the name under which the page keeps it
  // and hands it to the module (ZanveroSet, one call per value of a list).
  // pageOnly: the module never sees it; kept: whether it is stored now
  // (default: always).
  const Settings = {
    'export-kind': radioGroup('export-type'),
    exclude: checkBoxes('exclusions', ExclusionPrefix),
    'decimal-separator': {
      get: () => $('decimal-separator').value,
      show: (value) => {
        if (typeof value !== 'string' || Array.from(value).length !== 1) return;
        showSeparator(value);
        separatorChosen = true;
      },
      kept: () => separatorChosen,
    },
    charset: list('charset'),
    'csv-names': list('csv-names'),
    'report-kind': list('report-kind'),
    'head-text': {
      get: () => (headText !== null ? headText : undefined),
      show: (value) => { if (typeof value === 'string') headText = value; },
    },
    'html-target': { ...list('html-target'), pageOnly: true },
  };

  // Settings as earlier versions of the page stored them: the export type
  // and the character set as the numbers the module took then (the window's
  // item indexes; Windows-1252 first), the exclusions as four flags, the head
  // text as lines, and the decimal separator on every save, whether chosen
  // or not: one other than the language's was chosen, the language's own
  // is taken as not chosen.
  const EarlierExportKinds = ['html', 'csv', 'sql', 'other'];
  const EarlierCharsets = ['windows-1252', 'utf-8'];
  const EarlierExclusions = ['channel-uf', 'channel-vpid', 'transponder-uf', 'satellite-uf'];

  function fromEarlierVersion(stored) {
    const settings = {
      'export-kind': EarlierExportKinds[stored.exportType],
      charset: EarlierCharsets[stored.charset],
      'head-text': stored.headText,
      'html-target': stored.htmlTarget,
    };
    if (Array.isArray(stored.exclusions)) settings.exclude = EarlierExclusions.filter((name, i) => stored.exclusions[i] === true);
    // The lines themselves, each free of line breaks: as the editor shows
    // them, each ends with one.
    if (Array.isArray(stored.headLines) && stored.headLines.every((line) => typeof line === 'string'))
      settings['head-text'] = stored.headLines.map((line) => line + '\n').join('');
    if (stored.decimalSeparator !== browserDecimalSeparator()) settings['decimal-separator'] = stored.decimalSeparator;
    return settings;
  }

  function saveSettings() {
    const kept = {};
    for (const [name, setting] of Object.entries(Settings))
      if (!setting.kept || setting.kept()) kept[name] = setting.get();
    try {
      localStorage.setItem(SettingsKey, JSON.stringify(kept));
    } catch (error) {
      // Storage may be switched off; the page works without it.
    }
  }

  function loadSettings() {
    let stored = null;
    try {
      stored = JSON.parse(localStorage.getItem(SettingsKey) || 'null');
    } catch (error) {
      stored = null;
    }
    if (!stored || typeof stored !== 'object') return;
    if ('exportType' in stored) stored = fromEarlierVersion(stored);
    for (const [name, setting] of Object.entries(Settings))
      if (stored[name] !== undefined) setting.show(stored[name]);
  }

  // --- messages ---------------------------------------------------------

  // kind: as the module names the kinds (MessageKindName); index.html has an
  // icon for each. A module that failed to load cannot name its kind.
  const LoadFailureKind = 'error';

  function showMessage(kind, message) {
    const dialog = $('message');
    for (const icon of dialog.querySelectorAll('.icon')) icon.hidden = icon.dataset.kind !== kind;
    $('message-text').textContent = message;
    dialog.showModal();
    $('message-ok').focus();
  }

  // An error of the page itself, in the error box's form.
  function reportError(message) {
    withCString(message, (pointer) => core._ZanveroReportError(pointer));
    showMessage(text(core._ZanveroMessageKind()), text(core._ZanveroMessageText()));
  }

  function errorText(error) {
    return String(error && error.message ? error.message : error);
  }

  // --- the chosen files -------------------------------------------------

  function describeFile(slot) {
    if (!slot.chosen) {
      $(slot.summaryId).textContent = '';
      return;
    }
    const summary = withCString(slot.name, (name) => withCString($('charset').value,
      (charset) => text(core._ZanveroDescribe(name, charset))));
    $(slot.summaryId).textContent = slot.chosen + ': ' + summary;
  }

  function describeFiles() {
    describeFile(Input);
    describeFile(Older);
  }

  function setFile(slot, name, buffer, size) {
    return withCString(slot.name, (key) => withCString(name, (pointer) => core._ZanveroSetFile(key, pointer, buffer, size)));
  }

  // A file picked before the module is ready is taken once it is.
  function pickFile(slot, file) {
    if (!file) return;
    if (core) takeFile(slot, file);
    else slot.waiting = file;
  }

  async function takeFile(slot, file) {
    const pick = ++slot.picks;
    let bytes;
    try {
      // The loader reads only the start of a file; a large file dropped by
      // mistake is not read into memory as a whole. One byte more than the
      // loader needs keeps a longer file longer.
      bytes = new Uint8Array(await file.slice(0, core._ZanveroImageSize() + 1).arrayBuffer());
    } catch (error) {
      if (pick !== slot.picks) return;
      // The file picked before is no longer the chosen one either.
      setFile(slot, '', 0, 0);
      slot.chosen = '';
      $(slot.inputId).value = '';
      describeFile(slot);
      reportError(file.name + ': ' + errorText(error));
      return;
    }
    // A file picked later has been (or is being) taken: it stays chosen.
    if (pick !== slot.picks) return;
    const status = withBytes(bytes, (buffer) => setFile(slot, file.name, buffer, bytes.length));
    slot.chosen = status === 0 ? file.name : '';
    describeFile(slot);
  }

  // --- the head text editor ---------------------------------------------

  function openHeaderEditor() {
    if (!core) return;
    $('header-text').value = headText !== null ? headText : moduleText('default-head-text');
    $('header-editor').showModal();
    $('header-text').focus();
    $('header-text').setSelectionRange(0, 0);
  }

  function acceptHeadText() {
    if (!core) return;
    headText = withCString($('header-text').value, (value) => text(core._ZanveroEditedHeadText(value)));
    saveSettings();
    $('header-editor').close();
  }

  // --- outputs ----------------------------------------------------------

  function download(name, parts, type) {
    const url = URL.createObjectURL(new Blob(parts, { type: type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // What the folder holds under name, by the module's names for it:
  // 'nothing', 'other' (a folder, a file the browser does not let the page
  // read) or 'file', with its first size bytes.
  async function lookInFolder(folder, name, size) {
    const none = new Uint8Array(0);
    let file;
    try {
      file = await (await folder.getFileHandle(name)).getFile();
    } catch (error) {
      return { found: error && error.name === 'NotFoundError' ? 'nothing' : 'other', bytes: none };
    }
    try {
      return { found: 'file', bytes: new Uint8Array(await file.slice(0, size).arrayBuffer()) };
    } catch (error) {
      return { found: 'other', bytes: none };
    }
  }

  // Whether a file may take the place of what the folder holds under its
  // name. The module decides for a file it needs to see that of (the
  // overview); where it may not, the module's message says so.
  async function mayReplace(folder, file) {
    if (file.probeSize === 0) return true;
    const { found, bytes } = await lookInFolder(folder, file.name, file.probeSize);
    return withBytes(bytes, (start) => withCString(found,
      (entry) => core._ZanveroMayReplaceOverview(entry, start, bytes.length))) === 1;
  }

  async function writeIntoFolder(files) {
    let folder;
    try {
      folder = await window.showDirectoryPicker({ mode: 'readwrite' });
    } catch (error) {
      if (error && error.name === 'AbortError') return;  // cancelled: nothing is written
      throw error;
    }
    for (const file of files) {
      if (!(await mayReplace(folder, file))) continue;
      const handle = await folder.getFileHandle(file.name, { create: true });
      const writable = await handle.createWritable();
      await writable.write(file.bytes);
      await writable.close();
    }
  }

  // archive: the name of the pages' ZIP file, '' for one file as it is.
  async function deliver(archive, files) {
    const timings = window.zanveroTimings;
    if (!archive) {
      download(files[0].name, [files[0].bytes], 'application/octet-stream');
      return;
    }
    if ($('html-target').value === 'folder' && typeof window.showDirectoryPicker === 'function') {
      await writeIntoFolder(files);
      return;
    }
    const started = performance.now();
    const entries = {};
    for (const file of files) entries[file.name] = file.bytes;
    const zipped = fflate.zipSync(entries, { level: 1 });
    timings.zip = performance.now() - started;
    download(archive, [zipped], 'application/zip');
  }

  // Hands the settings to the module and starts run (_ZanveroRun or
  // _ZanveroCompare); what it wrote and said.
  function runInModule(run) {
    const started = performance.now();
    for (const [name, setting] of Object.entries(Settings)) {
      if (setting.pageOnly) continue;
      const value = setting.get();
      for (const item of value === undefined ? [] : [].concat(value)) {
        if (withCString(name, (key) => withCString(item, (pointer) => core._ZanveroSet(key, pointer))) !== 0)
          throw new Error(`The module knows no ${name} "${item}"`);
      }
    }
    run();
    const files = [];
    const fileCount = core._ZanveroFileCount();
    for (let i = 0; i < fileCount; ++i) {
      const data = core._ZanveroFileData(i);
      files.push({ name: text(core._ZanveroFileName(i)), bytes: core.HEAPU8.slice(data, data + core._ZanveroFileSize(i)),
                   probeSize: core._ZanveroFileProbeSize(i) });
    }
    core._ZanveroReleaseFiles();
    window.zanveroTimings = { convert: performance.now() - started };
    return { archive: text(core._ZanveroArchiveName()), files: files };
  }

  // Lets the browser paint the busy caption before the run takes the thread.
  function nextPaint() {
    return new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  }

  // One run of the module from the button: its busy caption while a file
  // is chosen, then the downloads and the run's message.
  async function startRun(button, run) {
    if (busy || !core) return;
    busy = true;
    const caption = button.innerHTML;
    try {
      if (Input.chosen) {
        button.textContent = moduleText('busy-caption');
        button.setAttribute('aria-busy', 'true');
        await nextPaint();
      }
      const started = performance.now();
      const result = runInModule(run);
      if (result.files.length > 0) await deliver(result.archive, result.files);
      window.zanveroTimings.total = performance.now() - started;
      // The run's message, or what writing into a folder left as it was.
      const kind = text(core._ZanveroMessageKind());
      if (kind) showMessage(kind, text(core._ZanveroMessageText()));
    } catch (error) {
      reportError(errorText(error));
    } finally {
      button.innerHTML = caption;
      button.removeAttribute('aria-busy');
      busy = false;
    }
  }

  // --- wiring -----------------------------------------------------------

  function wire() {
    $('cxf-file').addEventListener('change', (event) => pickFile(Input, event.target.files[0]));
    $('older-file').addEventListener('change', (event) => pickFile(Older, event.target.files[0]));
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      $('drop-zone').classList.add('dragging');
    });
    document.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      $('drop-zone').classList.remove('dragging');
      // Onto the comparison, the older file; anywhere else, the file to convert.
      const slot = event.target.closest && event.target.closest('#compare') ? Older : Input;
      if (event.dataTransfer && event.dataTransfer.files.length > 0) pickFile(slot, event.dataTransfer.files[0]);
    });

    // Click covers the mouse, Enter and Space.
    $('export-start').addEventListener('click', () => startRun($('export-start'), () => core._ZanveroRun()));
    $('compare-start').addEventListener('click', () => startRun($('compare-start'), () => core._ZanveroCompare()));
    $('html-header').addEventListener('click', openHeaderEditor);
    $('header-ok').addEventListener('click', acceptHeadText);
    $('header-abort').addEventListener('click', () => $('header-editor').close());
    $('header-text').addEventListener('keydown', (event) => {
      if (event.key !== 'Tab' || event.shiftKey || event.ctrlKey || event.altKey || event.metaKey) return;
      event.preventDefault();
      const area = event.target;
      area.setRangeText('\t', area.selectionStart, area.selectionEnd, 'end');
    });

    $('decimal-separator').addEventListener('change', () => { separatorChosen = true; });
    for (const control of document.querySelectorAll('#export-type input, #exclusions input, #options select, #html-target, #report-kind'))
      control.addEventListener('change', saveSettings);
    $('charset').addEventListener('change', describeFiles);
  }

  async function start() {
    loadSettings();
    wire();
    if (typeof window.showDirectoryPicker === 'function') $('html-target-row').hidden = false;
    try {
      await moduleScriptsLoaded();
      await moduleReleased();
      core = await ZanveroModule({ wasmBinary: wasmBytes() });
    } catch (error) {
      showMessage(LoadFailureKind, 'Der Konverter dieser Seite ließ sich nicht laden: ' + errorText(error));
      return;
    }
    if (!separatorChosen) showLanguageSeparator();
    for (const control of document.querySelectorAll('[data-needs-module]')) control.disabled = false;
    // The user may have gone on to another control while the page loaded.
    if (document.activeElement === document.body) $('export-start').focus();
    for (const slot of [Input, Older]) {
      const file = slot.waiting || $(slot.inputId).files[0];
      slot.waiting = null;
      if (file) await takeFile(slot, file);
    }
    window.zanveroReadyAt = performance.now();
    $('page').dataset.ready = 'true';
  }

  start();
})();
