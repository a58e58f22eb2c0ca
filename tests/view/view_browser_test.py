#!/usr/bin/env python3
"""The page of `compactor view` in a real browser (headless Chromium).

    view_browser_test.py COMPACTOR GEN_LINE [--screenshots DIR] [--length METRES]

For the built-in scenario and for a line written by bench/gen_line.sh it
checks that the page loads with no console error; that the items in
svg#profile, kind by kind, are as many as the compiled files hold (read here
from the track and table files that `compactor compile` writes of the same
sources); that hovering over a station shows its name in the details box;
that the wheel zooms the plan; and that a screenshot is not blank. With
--screenshots it also saves the built-in page's pictures there (docs/).

Exits 77 (skipped) when python3-selenium, chromium or chromedriver is missing.
"""
import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIP = 77
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
    from selenium.webdriver.common.by import By
except ImportError:
    print("SKIP: python3-selenium is not installed (apt-get install python3-selenium)")
    sys.exit(SKIP)

BUILT_IN_COUNTS = {"station": 35, "signal": 120, "tunnel": 2, "board": 2, "indicator": 51}
CELL_KINDS = {1: "signal", 2: "slowdown-end", 3: "slowdown-start", 4: "slowdown-warning",
              5: "slowdown-approach", 6: "indicator", 12: "reduction-point",
              13: "reduction-point", 14: "board"}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, capture_output=True, text=True)


# ---- what the compiled files hold ----------------------------------------

def table_entries(sim):
    entries = []
    at = 0
    for _ in range(87):
        kind, l1, l2, l3, flag, n = struct.unpack_from("<BiiiBH", sim, at)
        text = sim[at + 16:at + 16 + n]
        rest = struct.unpack_from("<hhhhhBBBBi", sim, at + 16 + n)
        entries.append({"kind": kind, "numbers": (l1, l2, l3, flag) + rest, "text": text})
        at += 34 + n
    return entries


def model_counts(track, sim, line_text):
    counts = {k: 0 for k in set(CELL_KINDS.values())}
    boards = set()
    for i in range(0, len(track), 15):
        kind = track[i]
        if kind in CELL_KINDS:
            counts[CELL_KINDS[kind]] += 1
        if kind == 14:
            boards.add(struct.unpack_from("<h", track, i + 1)[0])
    entries = table_entries(sim)
    lowest = min(boards) if boards else 81
    stations = []
    for e in range(1, lowest):
        entry = entries[e]
        if entry["kind"] == 0 and not any(entry["numbers"]) and not entry["text"]:
            break
        stations.append(entry["text"].decode("cp1252"))
    counts["station"] = len(stations)
    # Every tunnel row is stored (these sources have no fault).
    counts["tunnel"] = sum(1 for row in line_text.splitlines() if "montagna" in row.lower())
    return counts, stations


# ---- screenshots ---------------------------------------------------------

def png_colours(png):
    """Distinct colours in a sample of an RGB or RGBA PNG's pixels."""
    width, height, depth, colour = struct.unpack(">IIBB", png[16:26])
    if depth != 8 or colour not in (2, 6):
        return 99
    channels = 3 if colour == 2 else 4
    at, data = 8, b""
    while at < len(png):
        length, tag = struct.unpack(">I4s", png[at:at + 8])
        if tag == b"IDAT":
            data += png[at + 8:at + 8 + length]
        at += 12 + length
    raw = zlib.decompress(data)
    stride = width * channels
    previous = bytearray(stride)
    colours = set()
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        if y % 7 == 0:
            for x in range(0, stride, channels * 5):
                colours.add(bytes(line[x:x + 3]))
        previous = line
    return len(colours)


# ---- the browser ---------------------------------------------------------

def browser(profile_dir):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1400,1300", "--user-data-dir=" + profile_dir):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def check_page(driver, page, counts, stations, name, shots=None):
    started = time.monotonic()
    driver.get("file://" + page)
    driver.find_element(By.CSS_SELECTOR, "svg#profile")
    loaded = time.monotonic() - started
    errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
    if errors:
        fail(name + ": console errors: " + json.dumps(errors))

    drawn = driver.execute_script(
        "var n = {}; document.querySelectorAll('svg#profile .item').forEach(function (e) {"
        "  n[e.dataset.kind] = (n[e.dataset.kind] || 0) + 1; }); return n;")
    planned = driver.execute_script(
        "var n = {}; document.querySelectorAll('svg#plan .item').forEach(function (e) {"
        "  n[e.dataset.kind] = (n[e.dataset.kind] || 0) + 1; }); return n;")
    for kind, want in counts.items():
        if drawn.get(kind, 0) != want:
            fail("%s: svg#profile holds %d %s items, the compiled files %d" % (name, drawn.get(kind, 0), kind, want))
        if planned.get(kind, 0) != want:
            fail("%s: svg#plan holds %d %s items, the compiled files %d" % (name, planned.get(kind, 0), kind, want))
    extra = set(drawn) - set(counts) - {"diagnostic", "warning"}
    if extra:
        fail(name + ": unexpected kinds " + ", ".join(sorted(extra)))
    missing = driver.execute_script(
        "return Array.prototype.filter.call(document.querySelectorAll('svg .item'), function (e) {"
        "  return !e.hasAttribute('data-cell') || !e.hasAttribute('data-metres'); }).length;")
    if missing:
        fail(name + ": %d items lack data-cell or data-metres" % missing)

    # Hovering over a station shows its name.
    first = driver.find_element(By.CSS_SELECTOR, 'svg#profile .item[data-kind="station"]')
    ActionChains(driver).move_to_element(first).perform()
    details = driver.find_element(By.ID, "details").text
    if stations[0] not in details:
        fail("%s: hovering over the first station shows %r, not its name %r" % (name, details, stations[0]))

    # A point of the block pass says so.
    said = driver.execute_script(
        "var p = document.querySelector('svg#profile .item[data-kind=\"reduction-point\"]:not([data-source])');"
        "if (!p) return null;"
        "p.dispatchEvent(new MouseEvent('mouseover', {bubbles: true}));"
        "return document.getElementById('details').textContent;")
    if said is not None and "block pass for the slowdown" not in said:
        fail("%s: a point of the block pass shows %r" % (name, said))

    # The wheel zooms the plan.
    plan = driver.find_element(By.CSS_SELECTOR, "svg#plan")
    before = driver.execute_script("return arguments[0].getAttribute('viewBox');", plan)
    ActionChains(driver).scroll_from_origin(ScrollOrigin.from_element(plan), 0, -400).perform()
    time.sleep(0.3)
    after = driver.execute_script("return arguments[0].getAttribute('viewBox');", plan)
    w0, w1 = float(before.split()[2]), float(after.split()[2])
    if not w1 < w0 * 0.9:
        fail("%s: the wheel did not zoom the plan (viewBox %s, then %s)" % (name, before, after))

    # New parts keep the zoom and the focused item: the page's own parts again.
    kept = driver.execute_script(
        "var v = window.compactorView;"
        "v.showProfileAround(20000, 8000);"
        "var item = document.querySelector('svg#profile .item[data-kind=\"station\"]');"
        "item.focus();"
        "var before = JSON.stringify(v.state().profile);"
        "v.apply({title: document.title,"
        "  summary: document.getElementById('summary').innerHTML,"
        "  plan: document.getElementById('plan').outerHTML,"
        "  profile: document.getElementById('profile').outerHTML,"
        "  tables: document.getElementById('tables').innerHTML,"
        "  data: JSON.parse(document.getElementById('view-data').textContent)});"
        "var now = document.activeElement;"
        "return [before, JSON.stringify(v.state().profile), now && now.getAttribute('data-kind'),"
        "  now && now.getAttribute('data-cell'), item.getAttribute('data-cell'), item.isConnected];")
    if kept[0] != kept[1] or kept[2] != "station" or kept[3] != kept[4] or kept[5]:
        fail("%s: apply() did not keep the zoom and the focus: %r" % (name, kept))

    if shots:
        ActionChains(driver).move_to_element(first).perform()
        driver.execute_script("window.compactorView.fitPlan();")
        time.sleep(0.3)
        driver.find_element(By.ID, "plan-box").screenshot(os.path.join(shots, "view_plan.png"))
        driver.execute_script("window.compactorView.showProfileAround(12000, 24000);")
        time.sleep(0.3)
        station = driver.find_elements(By.CSS_SELECTOR, 'svg#profile .item[data-kind="station"]')[1]
        ActionChains(driver).move_to_element(station).perform()
        time.sleep(0.2)
        driver.find_element(By.ID, "profile-box").screenshot(os.path.join(shots, "view_profile.png"))
        driver.find_element(By.ID, "details").screenshot(os.path.join(shots, "view_details.png"))
        driver.execute_script("window.compactorView.showProfileAround(120500, 241000);")
        driver.execute_script("window.scrollTo(0, 0);")
        time.sleep(0.3)
        driver.save_screenshot(os.path.join(shots, "view_page.png"))

    png = driver.get_screenshot_as_png()
    if png_colours(png) < 8:
        fail(name + ": the screenshot is blank")
    errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
    if errors:
        fail(name + ": console errors: " + json.dumps(errors))
    print("%s: %s, %d bytes, loaded in %.2f s" % (name, json.dumps(drawn, sort_keys=True),
                                                   os.path.getsize(page), loaded))


def scenario(exe, work, line, service, name):
    """Compiles and views the sources LINE and SERVICE, file names in WORK."""
    compiled = os.path.join(work, "compiled")
    os.makedirs(compiled, exist_ok=True)
    r = run([exe, "compile", line, service, "--dir", compiled, "--json"], work)
    if r.returncode not in (0, 1):
        fail("%s: compile ended with %d: %s" % (name, r.returncode, r.stderr))
    report = json.loads(r.stdout)
    r = run([exe, "view", line, service, "--dir", work], work)
    if r.returncode != (0 if report["error_code"] == 0 else 1):
        fail("%s: view ended with %d, compile's status differs: %s" % (name, r.returncode, r.stderr))
    with open(os.path.join(compiled, "Lavena_Codrano2_ES 2718.dat"), "rb") as f:
        track = f.read()
    with open(os.path.join(compiled, "Lavena_Codrano2_ES 2718.sim"), "rb") as f:
        sim = f.read()
    with open(os.path.join(work, line), "rb") as f:
        line_text = f.read().decode("cp1252")
    counts, stations = model_counts(track, sim, line_text)
    counts["diagnostic"] = sum(1 for d in report["diagnostics"] if "position" in d)
    return os.path.join(work, "Lavena_Codrano2_ES 2718.html"), counts, stations


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("compactor")
    parser.add_argument("gen_line")
    parser.add_argument("--screenshots")
    parser.add_argument("--length", type=int, default=1000000)
    a = parser.parse_args()
    a.compactor = os.path.abspath(a.compactor)
    a.gen_line = os.path.abspath(a.gen_line)
    for path, package in ((CHROMIUM, "chromium"), (CHROMEDRIVER, "chromium-driver")):
        if not os.access(path, os.X_OK):
            print("SKIP: %s is missing (apt-get install %s)" % (path, package))
            sys.exit(SKIP)

    work = tempfile.mkdtemp(prefix="compactor-view-")
    driver = None
    try:
        built_in = os.path.join(work, "built-in")
        os.makedirs(built_in)
        r = run([a.compactor, "export", "--dir", built_in], built_in)
        if r.returncode != 0:
            fail("export ended with %d: %s" % (r.returncode, r.stderr))
        page, counts, stations = scenario(
            a.compactor, built_in, "Lavena_Codrano2_linea.txt", "Lavena_Codrano2_ES 2718-.txt", "built-in")
        for kind, want in BUILT_IN_COUNTS.items():
            if counts[kind] != want:
                fail("built-in: the compiled files hold %d %s, not %d" % (counts[kind], kind, want))

        long_dir = os.path.join(work, "long")
        r = run(["sh", a.gen_line, str(a.length), long_dir], work)
        if r.returncode != 0:
            fail("gen_line.sh ended with %d: %s" % (r.returncode, r.stderr))
        long_page, long_counts, long_stations = scenario(
            a.compactor, long_dir, "line.txt", "service.txt", "line-%d" % a.length)

        driver = browser(os.path.join(work, "chromium-profile"))
        driver.set_page_load_timeout(60)
        check_page(driver, page, counts, stations, "built-in", a.screenshots)
        check_page(driver, long_page, long_counts, long_stations, "line-%d" % a.length)
    finally:
        if driver is not None:
            driver.quit()
        shutil.rmtree(work, ignore_errors=True)
    print("PASS")


if __name__ == "__main__":
    main()
