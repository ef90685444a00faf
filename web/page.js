// The browser page: reads the chosen .cxf file into memory, hands it with the
// settings to the WebAssembly module (the core's converter and the window's
// export run), and offers what the run wrote as downloads. The conversion
// itself, the run's order of steps, its messages and the output names all
// come from the module.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const SettingsKey = 'zanvero.settings';
  const MaxHeaderLineLength = 4096;  // characters per head text line, as in the window's editor
  const ExclusionIds = ['exclude-channel-uf', 'exclude-channel-vpid', 'exclude-transponder-uf', 'exclude-satellite-uf'];
  const MessageError = 1;

  let core = null;          // the module, once it is ready
  let chosenFile = '';      // the name of the file in the module, '' when none
  let headLines = null;     // null: the built-in head text
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

  function defaultDecimalSeparator() {
    return browserDecimalSeparator() === ',' ? ',' : '.';
  }

  function currentSettings() {
    const type = document.querySelector('input[name="export-type"]:checked');
    return {
      exportType: type ? Number(type.value) : -1,
      exclusions: ExclusionIds.map((id) => $(id).checked),
      headLines: headLines,
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
    $('decimal-separator').value = defaultDecimalSeparator();
    if (!stored || typeof stored !== 'object') return;
    const radio = $('type-' + stored.exportType);
    if (radio) radio.checked = true;
    if (Array.isArray(stored.exclusions))
      ExclusionIds.forEach((id, i) => { if (typeof stored.exclusions[i] === 'boolean') $(id).checked = stored.exclusions[i]; });
    if (Array.isArray(stored.headLines) && stored.headLines.every((line) => typeof line === 'string'))
      headLines = stored.headLines;
    if (stored.decimalSeparator === ',' || stored.decimalSeparator === '.') $('decimal-separator').value = stored.decimalSeparator;
    if (stored.charset === 0 || stored.charset === 1) $('charset').value = String(stored.charset);
    if (stored.htmlTarget === 'zip' || stored.htmlTarget === 'folder') $('html-target').value = stored.htmlTarget;
  }

  // --- messages ---------------------------------------------------------

  function showMessage(kind, message) {
    const dialog = $('message');
    dialog.dataset.kind = kind === MessageError ? 'error' : 'information';
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

  async function takeFile(file) {
    if (!file || !core) return;
    // The loader reads only the start of a file; a large file dropped by
    // mistake is not read into memory as a whole. One byte more than the
    // loader needs keeps a longer file longer.
    const bytes = new Uint8Array(await file.slice(0, core._ZanveroImageSize() + 1).arrayBuffer());
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

  function editorText(lines) {
    return lines.map((line) => line.replace(/\r\n/g, '\n').replace(/\r/g, '\n') + '\n').join('');
  }

  function editedLines(value) {
    const parts = value.split('\n');
    if (parts.length > 0 && parts[parts.length - 1] === '') parts.pop();
    return parts.map((line) => {
      const characters = Array.from(line);
      return characters.length > MaxHeaderLineLength ? characters.slice(0, MaxHeaderLineLength).join('') : line;
    });
  }

  function openHeaderEditor() {
    const lines = headLines !== null ? headLines : [text(core._ZanveroText(1))];
    $('header-text').value = editorText(lines);
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

  function runInModule(settings) {
    const started = performance.now();
    const head = settings.headLines;
    const joined = head === null ? '' : head.join('\n');
    const count = head === null ? -1 : head.length;
    withCString(joined, (headText) => core._ZanveroRun(settings.exportType,
      settings.exclusions.reduce((mask, on, bit) => mask | (on ? 1 << bit : 0), 0),
      settings.decimalSeparator.charCodeAt(0), settings.charset, headText, count));
    const files = [];
    const fileCount = core._ZanveroFileCount();
    for (let i = 0; i < fileCount; ++i) {
      const data = core._ZanveroFileData(i);
      files.push({ name: text(core._ZanveroFileName(i)), bytes: core.HEAPU8.slice(data, data + core._ZanveroFileSize(i)) });
    }
    core._ZanveroReleaseFiles();
    window.zanveroTimings = { convert: performance.now() - started };
    return { kind: core._ZanveroMessageKind(), message: text(core._ZanveroMessageText()), files: files };
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
      if (result.kind !== 0) showMessage(result.kind, result.message);
    } catch (error) {
      showMessage(MessageError, String(error && error.message ? error.message : error));
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
      headLines = editedLines($('header-text').value);
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
  }

  async function start() {
    loadSettings();
    wire();
    if (typeof window.showDirectoryPicker === 'function') $('html-target-row').hidden = false;
    try {
      core = await ZanveroModule({ wasmBinary: wasmBytes() });
    } catch (error) {
      showMessage(MessageError, String(error && error.message ? error.message : error));
      return;
    }
    $('export-start').disabled = false;
    $('export-start').focus();
    const file = $('cxf-file').files[0];
    if (file) await takeFile(file);
    window.zanveroReadyAt = performance.now();
    $('page').dataset.ready = 'true';
  }

  start();
})();
