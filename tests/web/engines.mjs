// The three browser engines behind one small interface, so that the page
// check states its scenario once. Every engine is Debian's own build:
//
//   chromium  /usr/bin/chromium, headless, driven by puppeteer-core over the
//             DevTools protocol.
//   firefox   /usr/bin/firefox-esr, headless, driven by puppeteer-core over
//             WebDriver BiDi, which Firefox speaks itself (Debian has no
//             geckodriver).
//   webkit    WebKitGTK's MiniBrowser through Debian's WebKitWebDriver
//             (classic WebDriver, selenium-webdriver), on the X display that
//             xvfb-run provides. Its language comes from the process locale.
//
// What each engine does for the check:
//             downloads                          console errors
//   chromium  real, into the folder (CDP)        console and page errors from the start
//   firefox   real, into the folder (prefs)      console and page errors from the start
//   webkit    real, into its XDG download folder error events and console.error, hooked after
//                                                each navigation (WebKitWebDriver has no logs: an
//                                                error while the page starts shows as a page that
//                                                never gets ready)
//             holding a request back (openHeld)  can (what the scenario skips elsewhere)
//   chromium  request interception (CDP)         failRequest, setLanguage (accepted languages, CDP)
//   firefox   request interception (BiDi), over  failRequest
//             http only
//   webkit    none: the page's test switch
//             "?hold-module", which the page
//             honours only under WebDriver
// Every engine sends whatever goes to another host than this machine to the
// check's proxy, which answers none: nothing leaves the machine. The page's
// requests are those that Chromium and Firefox report for the page (the
// browsers' own calls home reach the proxy too), and in WebKitGTK, which
// reports none and makes no calls of its own, all that reached the proxy.
// Enter on a button is the keyboard's in Chromium and WebKitGTK and a click
// in Firefox (see pressEnter).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';

import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';

const Width = 900;
const Height = 900;

// The promise, or an error once ms have passed without its answer: a
// browser or driver that hangs ends the run instead of the check.
export function within(ms, promise, what) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: no answer within ${ms / 1000} s`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// Puppeteer's Chromium and Firefox.
class PuppeteerEngine {
  static async start(kind, downloads, { proxy, languages }) {
    const firefox = kind === 'firefox';
    const [proxyHost, proxyPort] = proxy.address.split(':');
    const browser = await puppeteer.launch({
      browser: firefox ? 'firefox' : 'chrome',
      executablePath: firefox ? '/usr/bin/firefox-esr' : '/usr/bin/chromium',
      headless: true,
      // Both reach this machine's addresses without the proxy.
      args: firefox ? [] : ['--no-sandbox', '--disable-gpu', '--lang=de-DE', '--accept-lang=' + languages,
                            '--proxy-server=http://' + proxy.address],
      extraPrefsFirefox: {
        'intl.accept_languages': languages,
        'network.proxy.type': 1,
        'network.proxy.http': proxyHost,
        'network.proxy.http_port': Number(proxyPort),
        'network.proxy.ssl': proxyHost,
        'network.proxy.ssl_port': Number(proxyPort),
        'browser.download.dir': downloads,
        'browser.download.folderList': 2,
        'browser.download.useDownloadDir': true,
        'browser.download.always_ask_before_handling_new_types': false,
      },
      downloadBehavior: { policy: 'allow', downloadPath: downloads },
    });
    const page = (await browser.pages())[0] || await browser.newPage();
    await page.setViewport({ width: Width, height: Height });
    return new PuppeteerEngine(browser, page, firefox);
  }

  constructor(browser, page, firefox) {
    this.browser = browser;
    this.page = page;
    this.firefox = firefox;
    this.can = { failRequest: true, setLanguage: !firefox };
    this.sent = [];
    this.errors = [];
    page.on('request', (request) => this.sent.push(request.url()));
    page.on('console', (message) => {
      if (message.type() === 'error') this.errors.push(message.text());
    });
    page.on('pageerror', (error) => this.errors.push(String(error)));
  }

  goto(url) { return this.page.goto(url); }
  reload() { return this.page.reload(); }
  run(fn, ...args) { return this.page.evaluate(fn, ...args); }
  // Runs a script's text in the page, past its Content-Security-Policy.
  runSource(text) { return this.page.evaluate(text); }
  click(id) { return this.page.click('#' + id); }
  // Headless Firefox's document never has the focus, and there the driver's
  // key events reach the page but do not activate a button: it clicks.
  async pressEnter(id) {
    if (this.firefox) return this.click(id);
    await this.page.focus('#' + id);
    await this.page.keyboard.press('Enter');
  }
  async choose(id, value) { await this.page.select('#' + id, value); }
  async upload(id, file) { await (await this.page.$('#' + id)).uploadFile(file); }
  screenshot(file) { return this.page.screenshot({ path: file }); }
  // Opens url with the request for the file named file held back; resolves
  // once the page has asked for it, to release({fail}), which lets the
  // request go on or fail it.
  async openHeld(url, file) {
    const held = [];
    let releasing = false;
    const hold = (request) => {
      if (!releasing && new URL(request.url()).pathname.endsWith('/' + file)) held.push(request);
      else request.continue();
    };
    // A script from the cache would not be asked for.
    await this.page.setCacheEnabled(false);
    await this.page.setRequestInterception(true);
    this.page.on('request', hold);
    const opened = this.page.goto(url).catch(() => {});
    await within(30000, (async () => { while (held.length === 0) await new Promise((resolve) => setTimeout(resolve, 20)); })(),
                 'the request for ' + file);
    return async ({ fail }) => {
      releasing = true;
      for (const request of held) await (fail ? request.abort() : request.continue());
      await opened;
      this.page.off('request', hold);
      await this.page.setRequestInterception(false);
      await this.page.setCacheEnabled(true);
    };
  }
  // The browser's accepted languages, and so navigator.language, for the
  // pages opened next (Chromium).
  async setLanguage(languages) {
    this.session ??= await this.page.createCDPSession();
    await this.session.send('Network.setUserAgentOverride', { userAgent: await this.browser.userAgent(), acceptLanguage: languages });
  }
  // The page's requests and console errors since the last call.
  takeRequests() { return this.sent.splice(0); }
  takeErrors() { return this.errors.splice(0); }
  async quit() {
    try {
      await within(20000, this.browser.close(), 'closing the browser');
    } finally {
      this.browser.process()?.kill('SIGKILL');
    }
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// WebKitGTK's MiniBrowser through WebKitWebDriver.
class WebKitEngine {
  // locale: the process locale of the browser (LANG); localeFolder holds
  // locales compiled for this check (LOCPATH), home the browser's home.
  static async start(downloads, { proxy, locale, localeFolder, home }) {
    fs.mkdirSync(path.join(home, '.config'), { recursive: true });
    fs.writeFileSync(path.join(home, '.config/user-dirs.dirs'), `XDG_DOWNLOAD_DIR="${downloads}"\n`);
    // The proxy comes from the environment: with WebDriver's proxy capability
    // MiniBrowser quit during a quarter of the starts, and WebKitWebDriver
    // then waited for it for ever.
    const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'), LANG: locale,
                  LOCPATH: localeFolder, http_proxy: 'http://' + proxy.address, https_proxy: 'http://' + proxy.address,
                  no_proxy: '127.0.0.1,localhost' };
    for (const name of ['LC_ALL', 'LC_MESSAGES', 'LANGUAGE']) delete env[name];
    const port = await freePort();
    const server = spawn('/usr/bin/WebKitWebDriver', ['--port=' + port], { env, stdio: 'ignore' });
    const url = 'http://127.0.0.1:' + port;
    for (let tries = 0; ; ++tries) {
      try {
        if ((await fetch(url + '/status')).ok) break;
      } catch (error) {
        if (tries > 100) {
          server.kill();
          throw new Error('WebKitWebDriver did not start');
        }
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    try {
      const driver = await within(60000, new Builder().usingServer(url).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': {
          binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
          args: ['--automation'],
        },
      }).build(), 'starting MiniBrowser');
      await driver.manage().window().setRect({ width: Width, height: Height });
      return new WebKitEngine(server, driver, proxy);
    } catch (error) {
      server.kill();
      throw error;
    }
  }

  constructor(server, driver, proxy) {
    this.server = server;
    this.driver = driver;
    this.proxy = proxy;
    this.can = { failRequest: false, setLanguage: false };
    this.errors = [];
  }

  // Keeps the errors of the page that is left, then hooks the new one.
  async hookErrors() {
    await this.driver.executeScript(() => {
      window.zanveroCheckErrors = [];
      const keep = (text) => window.zanveroCheckErrors.push(text);
      window.addEventListener('error', (event) => keep(String(event.message)));
      window.addEventListener('unhandledrejection', (event) => keep(String(event.reason)));
      const error = console.error.bind(console);
      console.error = (...parts) => {
        keep(parts.join(' '));
        error(...parts);
      };
    });
  }

  async keepErrors() {
    this.errors.push(...(await this.driver.executeScript(() => (window.zanveroCheckErrors || []).splice(0))));
  }

  async goto(url) {
    await this.keepErrors().catch(() => {});
    await this.driver.get(url);
    await this.hookErrors();
  }

  async reload() {
    await this.keepErrors();
    await this.driver.navigate().refresh();
    await this.hookErrors();
  }

  // The driver holds no request back: the page waits with its module for
  // zanveroReleaseModule() where its address asks it to (page.js).
  async openHeld(url) {
    await this.goto(url + (url.includes('?') ? '&' : '?') + 'hold-module');
    return async () => this.run(() => window.zanveroReleaseModule());
  }

  run(fn, ...args) { return this.driver.executeScript(fn, ...args); }
  runSource(text) { return this.driver.executeScript(text); }
  async click(id) { await (await this.driver.findElement(By.id(id))).click(); }
  async pressEnter(id) { await (await this.driver.findElement(By.id(id))).sendKeys(Key.ENTER); }
  async choose(id, value) { await (await this.driver.findElement(By.css(`#${id} option[value="${value}"]`))).click(); }
  async upload(id, file) { await (await this.driver.findElement(By.id(id))).sendKeys(file); }
  // MiniBrowser lists each download below the page, which takes that room
  // from the viewport: the window grows back to a full viewport first.
  async screenshot(file) {
    const window = this.driver.manage().window();
    const rect = await window.getRect();
    await window.setRect({ width: rect.width, height: rect.height + Height - await this.run(() => innerHeight) });
    fs.writeFileSync(file, Buffer.from(await this.driver.takeScreenshot(), 'base64'));
  }
  takeRequests() { return this.proxy.take(); }
  async takeErrors() {
    await this.keepErrors();
    return this.errors.splice(0);
  }

  async quit() {
    try {
      await within(20000, this.driver.quit(), 'closing the browser');
    } finally {
      this.server.kill();
    }
  }
}

// name: chromium, firefox or webkit; options.proxy: the proxy for other
// hosts ({address: 'host:port', take(): the requests it saw since the last
// call}); options.languages: the accepted languages of chromium and firefox;
// options.locale etc. for webkit.
export function startEngine(name, downloads, options) {
  return name === 'webkit' ? WebKitEngine.start(downloads, options) : PuppeteerEngine.start(name, downloads, options);
}
