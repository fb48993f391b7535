"""The web view in a real browser: headless Chromium (Debian's chromium).

Usage: browser_check.py ORVIA OUT_DIR SCREENSHOT

Sets the web view's password with `orvia web-password` (the password on a
pipe), starts `orvia --service` on the data folder named by ORVIA_DATA
(settings.ini enables the web view on a free loopback port), and then, with
one browser profile:
  1. signs in through the form and opens the first mailbox, driven over
     Chromium's DevTools pipe, at a phone's width in the German locale, and
     writes the page's DOM to OUT_DIR/mailbox-devtools.html;
  2. runs `chromium --headless --dump-dom` on the mailbox page with the same
     profile (its session cookie) into OUT_DIR/mailbox-dump.html;
  3. runs `chromium --headless --screenshot` of the same page at 390x844
     into SCREENSHOT.
Prints "ok" at the end; anything else exits non-zero with the reason.
"""
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PASSWORD = "browser-pass-1"
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-default-browser-check", "--mute-audio", "--hide-scrollbars",
         # Shared memory in /tmp: a container's /dev/shm can be too small.
         "--disable-dev-shm-usage"]


def fail(text):
    # On standard output: the test shows what the script printed there.
    sys.stdout.write("browser_check: %s\n" % text)
    sys.stdout.flush()
    sys.exit(1)


class DevTools:
    """Chromium over --remote-debugging-pipe: JSON messages ending in NUL."""

    def __init__(self, profile):
        to_r, self.to_w = os.pipe()
        self.from_r, from_w = os.pipe()
        actions = [(os.POSIX_SPAWN_DUP2, to_r, 3), (os.POSIX_SPAWN_DUP2, from_w, 4),
                   (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                   (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)]
        args = [CHROMIUM] + FLAGS + ["--user-data-dir=" + profile, "--remote-debugging-pipe",
                                     "about:blank"]
        self.pid = os.posix_spawn(CHROMIUM, args, os.environ, file_actions=actions)
        os.close(to_r)
        os.close(from_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.time()
            if left <= 0:
                fail("Chromium did not answer in time")
            ready, _, _ = select.select([self.from_r], [], [], left)
            if ready:
                chunk = os.read(self.from_r, 65536)
                if not chunk:
                    fail("Chromium closed its DevTools pipe")
                self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=None, timeout=30):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_w, json.dumps(message).encode() + b"\0")
        deadline = time.time() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    fail("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def close(self):
        try:
            self.call("Browser.close", timeout=10)
        except SystemExit:
            pass
        for _ in range(100):
            if os.waitpid(self.pid, os.WNOHANG)[0] != 0:
                return
            time.sleep(0.1)
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)


def start_orvia(orvia):
    program = subprocess.Popen([orvia, "--service"], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    deadline = time.time() + 60
    seen = ""
    while time.time() < deadline:
        ready, _, _ = select.select([program.stdout], [], [], deadline - time.time())
        if not ready:
            break
        line = program.stdout.readline()
        if not line:
            break
        seen += line
        match = re.search(r"web view on (http://127\.0\.0\.1:\d+)/", line)
        if match:
            return program, match.group(1)
    program.kill()
    fail("orvia did not start its web view; it said:\n" + seen)


def evaluate(tools, session, expression):
    result = tools.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                        session)
    if "exceptionDetails" in result:
        fail("the page threw on %r: %s" % (expression, result["exceptionDetails"]))
    return result.get("result", {}).get("value")


def wait_for_page(tools, session, path, timeout=30):
    """Waits until the tab shows PATH fully loaded. Load events are not used:
    the first blank page's own load can arrive after Page.enable and would be
    taken for the next page's."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        state = evaluate(tools, session, "[location.pathname, document.readyState]")
        if state == [path, "complete"]:
            return
        time.sleep(0.05)
    fail("the browser did not arrive at %s; it shows %s: %s" %
         (path, evaluate(tools, session, "location.href"),
          evaluate(tools, session, "document.body ? document.body.innerText : ''")))


def navigate(tools, session, base, path):
    tools.call("Page.navigate", {"url": base + path}, session)
    wait_for_page(tools, session, path)


def main():
    orvia, out_dir, screenshot = sys.argv[1], sys.argv[2], sys.argv[3]
    setting = subprocess.run([orvia, "web-password", "owner"], input=PASSWORD + "\n" + PASSWORD + "\n",
                             capture_output=True, text=True, timeout=60)
    if setting.returncode != 0:
        fail("orvia web-password: " + setting.stderr)
    program, base = start_orvia(orvia)
    profile = tempfile.mkdtemp(prefix="orvia-chromium-")
    try:
        tools = DevTools(profile)
        target = tools.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = tools.call("Target.attachToTarget", {"targetId": target, "flatten": True})[
            "sessionId"]
        tools.call("Page.enable", {}, session)
        tools.call("Emulation.setDeviceMetricsOverride",
                   {"width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True}, session)
        tools.call("Emulation.setLocaleOverride", {"locale": "de-DE"}, session)
        navigate(tools, session, base, "/signin")
        evaluate(tools, session,
                 "document.getElementById('user').value = 'owner';"
                 "document.getElementById('password').value = %s;"
                 "document.querySelector('form').submit();" % json.dumps(PASSWORD))
        # Signing in leads to the list of mailboxes.
        wait_for_page(tools, session, "/")
        mailbox = evaluate(tools, session,
                           "document.querySelector('a[href^=\"/mailbox/\"]').getAttribute('href')")
        navigate(tools, session, base, mailbox)
        with open(os.path.join(out_dir, "mailbox-devtools.html"), "w") as f:
            f.write(evaluate(tools, session, "document.documentElement.outerHTML"))
        tools.close()

        # The same profile holds the session cookie now: the plain switches.
        url = base + mailbox
        dump = subprocess.run([CHROMIUM] + FLAGS + ["--user-data-dir=" + profile, "--dump-dom",
                                                    url],
                              capture_output=True, text=True, timeout=120)
        if dump.returncode != 0:
            fail("chromium --dump-dom: " + dump.stderr[-2000:])
        with open(os.path.join(out_dir, "mailbox-dump.html"), "w") as f:
            f.write(dump.stdout)
        shot = subprocess.run([CHROMIUM] + FLAGS + ["--user-data-dir=" + profile,
                                                    "--window-size=390,844",
                                                    "--screenshot=" + screenshot, url],
                              capture_output=True, text=True, timeout=120)
        if shot.returncode != 0 or not os.path.exists(screenshot):
            fail("chromium --screenshot: " + shot.stderr[-2000:])
    finally:
        program.send_signal(signal.SIGTERM)
        try:
            program.wait(timeout=60)
        except subprocess.TimeoutExpired:
            program.kill()
        shutil.rmtree(profile, ignore_errors=True)
    print("ok")


main()
