// The browser page: reads the chosen .cxf file into memory, hands it with the
// settings to the WebAssembly module (the core's converter and the window's
// export run), and offers what the run wrote as downloads. The conversion
// itself, the run's order of steps, its messages, the output names and the
// rules the window applies too (head text, decimal separator, exclusion
// bits) all come from the module.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const SettingsKey = 'zanvero.settings';
  // Each check box is named after its exclusion, as the module knows them.
  const ExclusionPrefix = 'exclude-';
  const ExclusionIds = ['exclude-channel-uf', 'exclude-channel-vpid', 'exclude-transponder-uf', 'exclude-satellite-uf'];

  let core = null;          // the module, once it is ready
  let chosenFile = '';      // the name of the file in the module, '' when none
  let headText = null;      // the head text as the editor shows it; null: the built-in one
  let separatorChosen = false;  // a stored or picked decimal separator, not the language's
  let picks = 0;            // files picked so far; only the last one is taken
  let busy = false;

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

  function wasmBytes() {
    const binary = atob(self.ZanveroWasmBase64);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // --- settings (what the window keeps, and the page's two options) ----

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

  // The language's separator by the rule the window follows, offered in the
  // list even where it is neither of the usual two.
  function chooseDefaultDecimalSeparator() {
    const code = withCString(browserDecimalSeparator(), (separator) => core._ZanveroDefaultDecimalSeparator(separator));
    const separator = String.fromCharCode(code);
    const list = $('decimal-separator');
    if (!Array.from(list.options).some((option) => option.value === separator))
      list.add(new Option('"' + separator + '"', separator));
    list.value = separator;
  }

  function currentSettings() {
    const type = document.querySelector('input[name="export-type"]:checked');
    return {
      exportType: type ? Number(type.value) : -1,
      exclusions: ExclusionIds.map((id) => $(id).checked),
      headText: headText,
      decimalSeparator: $('decimal-separator').value,
      charset: Number($('charset').value),
      htmlTarget: $('html-target').value,
    };
  }

  function saveSettings() {
    try {
      localStorage.setItem(SettingsKey, JSON.stringify(currentSettings()));
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
    const radio = $('type-' + stored.exportType);
    if (radio) radio.checked = true;
    if (Array.isArray(stored.exclusions))
      ExclusionIds.forEach((id, i) => { if (typeof stored.exclusions[i] === 'boolean') $(id).checked = stored.exclusions[i]; });
    if (typeof stored.headText === 'string') {
      headText = stored.headText;
    } else if (Array.isArray(stored.headLines) && stored.headLines.every((line) => typeof line === 'string')) {
      // Earlier versions of the page stored the lines themselves, each free
      // of line breaks: as the editor shows them, each ends with one.
      headText = stored.headLines.map((line) => line + '\n').join('');
    }
    if (stored.decimalSeparator === ',' || stored.decimalSeparator === '.') {
      $('decimal-separator').value = stored.decimalSeparator;
      separatorChosen = true;
    }
    if (stored.charset === 0 || stored.charset === 1) $('charset').value = String(stored.charset);
    if (stored.htmlTarget === 'zip' || stored.htmlTarget === 'folder') $('html-target').value = stored.htmlTarget;
  }

  // --- messages ---------------------------------------------------------

  // kind: 'error' or 'information', as the module names the kinds.
  function showMessage(kind, message) {
    const dialog = $('message');
    dialog.dataset.kind = kind;
    $('message-text').textContent = message;
    dialog.showModal();
    $('message-ok').focus();
  }

  // --- the chosen file --------------------------------------------------

  function describeFile() {
    if (!chosenFile) {
      $('file-summary').textContent = '';
      return;
    }
    $('file-summary').textContent = chosenFile + ': ' + text(core._ZanveroDescribe(Number($('charset').value)));
  }

  function errorText(error) {
    return String(error && error.message ? error.message : error);
  }

  async function takeFile(file) {
    if (!file || !core) return;
    const pick = ++picks;
    let bytes;
    try {
      // The loader reads only the start of a file; a large file dropped by
      // mistake is not read into memory as a whole. One byte more than the
      // loader needs keeps a longer file longer.
      bytes = new Uint8Array(await file.slice(0, core._ZanveroImageSize() + 1).arrayBuffer());
    } catch (error) {
      if (pick !== picks) return;
      // The file picked before is no longer the chosen one either.
      withCString('', (name) => core._ZanveroSetInput(name, 0, 0));
      chosenFile = '';
      $('cxf-file').value = '';
      describeFile();
      showMessage('error', file.name + ': ' + errorText(error));
      return;
    }
    // A file picked later has been (or is being) taken: it stays chosen.
    if (pick !== picks) return;
    const buffer = core._malloc(Math.max(bytes.length, 1));
    try {
      core.HEAPU8.set(bytes, buffer);
      const status = withCString(file.name, (name) => core._ZanveroSetInput(name, buffer, bytes.length));
      chosenFile = status === 0 ? file.name : '';
    } finally {
      core._free(buffer);
    }
    describeFile();
  }

  // --- the head text editor ---------------------------------------------

  function openHeaderEditor() {
    $('header-text').value = headText !== null ? headText : text(core._ZanveroText(1));
    $('header-editor').showModal();
    $('header-text').focus();
    $('header-text').setSelectionRange(0, 0);
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

  async function writeIntoFolder(files) {
    let folder;
    try {
      folder = await window.showDirectoryPicker({ mode: 'readwrite' });
    } catch (error) {
      if (error && error.name === 'AbortError') return;  // cancelled: nothing is written
      throw error;
    }
    for (const file of files) {
      const handle = await folder.getFileHandle(file.name, { create: true });
      const writable = await handle.createWritable();
      await writable.write(file.bytes);
      await writable.close();
    }
  }

  async function deliver(exportType, files) {
    const timings = window.zanveroTimings;
    if (exportType !== 0) {
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
    const archive = fflate.zipSync(entries, { level: 1 });
    timings.zip = performance.now() - started;
    download(text(core._ZanveroArchiveName()), [archive], 'application/zip');
  }

  function exclusionBits(exclusions) {
    let bits = 0;
    ExclusionIds.forEach((id, i) => {
      if (exclusions[i])
        bits |= withCString(id.slice(ExclusionPrefix.length), (name) => core._ZanveroExclusionBits(name));
    });
    return bits;
  }

  function runInModule(settings) {
    const started = performance.now();
    const run = (head) => core._ZanveroRun(settings.exportType, exclusionBits(settings.exclusions),
      settings.decimalSeparator.charCodeAt(0), settings.charset, head);
    if (settings.headText === null) run(0);
    else withCString(settings.headText, run);
    const files = [];
    const fileCount = core._ZanveroFileCount();
    for (let i = 0; i < fileCount; ++i) {
      const data = core._ZanveroFileData(i);
      files.push({ name: text(core._ZanveroFileName(i)), bytes: core.HEAPU8.slice(data, data + core._ZanveroFileSize(i)) });
    }
    core._ZanveroReleaseFiles();
    window.zanveroTimings = { convert: performance.now() - started };
    return { kind: text(core._ZanveroMessageKind()), message: text(core._ZanveroMessageText()), files: files };
  }

  // Lets the browser paint the busy caption before the run takes the thread.
  function nextPaint() {
    return new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  }

  async function startExport() {
    if (busy || !core) return;
    busy = true;
    const button = $('export-start');
    const caption = button.innerHTML;
    try {
      const settings = currentSettings();
      if (chosenFile) {
        button.textContent = text(core._ZanveroText(0));
        button.setAttribute('aria-busy', 'true');
        await nextPaint();
      }
      const started = performance.now();
      const result = runInModule(settings);
      if (result.files.length > 0) await deliver(settings.exportType, result.files);
      window.zanveroTimings.total = performance.now() - started;
      if (result.kind !== '') showMessage(result.kind, result.message);
    } catch (error) {
      showMessage('error', errorText(error));
    } finally {
      button.innerHTML = caption;
      button.removeAttribute('aria-busy');
      busy = false;
    }
  }

  // --- wiring -----------------------------------------------------------

  function wire() {
    $('cxf-file').addEventListener('change', (event) => takeFile(event.target.files[0]));
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      $('drop-zone').classList.add('dragging');
    });
    document.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      $('drop-zone').classList.remove('dragging');
      if (event.dataTransfer && event.dataTransfer.files.length > 0) takeFile(event.dataTransfer.files[0]);
    });

    // Click covers the mouse, Enter and Space.
    $('export-start').addEventListener('click', startExport);
    $('html-header').addEventListener('click', openHeaderEditor);
    $('header-ok').addEventListener('click', () => {
      headText = withCString($('header-text').value, (value) => text(core._ZanveroEditedHeadText(value)));
      saveSettings();
      $('header-editor').close();
    });
    $('header-abort').addEventListener('click', () => $('header-editor').close());
    $('header-text').addEventListener('keydown', (event) => {
      if (event.key !== 'Tab' || event.shiftKey || event.ctrlKey || event.altKey || event.metaKey) return;
      event.preventDefault();
      const area = event.target;
      area.setRangeText('\t', area.selectionStart, area.selectionEnd, 'end');
    });

    for (const control of document.querySelectorAll('#export-type input, #exclusions input, #options select, #html-target'))
      control.addEventListener('change', saveSettings);
    $('charset').addEventListener('change', describeFile);
    $('decimal-separator').addEventListener('change', () => { separatorChosen = true; });
  }

  async function start() {
    loadSettings();
    wire();
    if (typeof window.showDirectoryPicker === 'function') $('html-target-row').hidden = false;
    try {
      core = await ZanveroModule({ wasmBinary: wasmBytes() });
    } catch (error) {
      showMessage('error', errorText(error));
      return;
    }
    if (!separatorChosen) chooseDefaultDecimalSeparator();
    $('export-start').disabled = false;
    $('export-start').focus();
    const file = $('cxf-file').files[0];
    if (file) await takeFile(file);
    window.zanveroReadyAt = performance.now();
    $('page').dataset.ready = 'true';
  }

  start();
})();
