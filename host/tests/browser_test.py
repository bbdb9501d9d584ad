#!/usr/bin/env python3
"""The editor's page in a real browser (headless Chromium): the analysis on
the campus and enterprise examples, worked from the page as a user works
it, checking after each step what the page shows. Screenshots go to the
artefact folder.

usage: browser_test.py XEQHOST EXAMPLES_DIR ARTEFACT_DIR
Exits 77 (skipped) when the browser, its driver or selenium is missing."""

import json
import math
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

SKIP = 77

try:
    from selenium import webdriver
    from selenium.common.exceptions import StaleElementReferenceException, TimeoutException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(SKIP)

CHROMIUM = shutil.which("chromium")
CHROMEDRIVER = shutil.which("chromedriver")
if not CHROMIUM or not CHROMEDRIVER:
    print("SKIP: chromium and chromium-driver are not installed")
    sys.exit(SKIP)

XEQHOST, EXAMPLES, ARTEFACTS = sys.argv[1:4]
del sys.argv[1:4]
WAIT = 15  # seconds for any one thing the page should come to show


class Server:
    """`xeqhost serve` on a copy of an example, stopped on exit."""

    def __init__(self, example, model, workdir):
        self.dir = os.path.join(workdir, example)
        shutil.copytree(os.path.join(EXAMPLES, example), self.dir)
        self.process = subprocess.Popen([XEQHOST, "serve", model], cwd=self.dir, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.address = self._printed_address()

    def _printed_address(self):
        printed, deadline = b"", time.monotonic() + WAIT
        while time.monotonic() < deadline:
            for line in printed.decode().splitlines(keepends=True):
                if line.startswith("open ") and line.endswith("\n"):
                    return line.split()[1]
            ready, _, _ = select.select([self.process.stdout], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(self.process.stdout.fileno(), 4096) if ready else b""
            if not chunk and (not ready or self.process.poll() is not None):
                break
            printed += chunk
        self.process.kill()
        _, stderr = self.process.communicate(timeout=WAIT)
        raise AssertionError("xeqhost serve printed no address: " + stderr.decode())

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
        self.process.communicate(timeout=WAIT)
        return self.process.returncode


class Page:
    """The page in the browser, read and worked as a user would."""

    def __init__(self, driver, address):
        self.driver = driver
        driver.get(address)
        self.until(lambda: self.js("return document.querySelectorAll('#picture g.node').length") > 0,
                   "the model's picture")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def until(self, condition, what):
        def holds(_):
            try:
                return condition()
            except StaleElementReferenceException:  # redrawn meanwhile: ask again
                return False
        try:
            return WebDriverWait(self.driver, WAIT).until(holds, message="the page never showed " + what)
        except TimeoutException:
            self.screenshot("timed-out.png")  # what it showed instead
            raise

    def idle(self):
        self.until(lambda: not self.driver.find_element(By.ID, "busy").is_displayed(), "the act answered")

    def dialog(self, name):
        return self.until(lambda: self.driver.find_element(By.CSS_SELECTOR, f'section.dialog[data-name="{name}"]'),
                          f"the dialog {name}")

    def control(self, dialog, name, tag="*"):
        return self.until(lambda: self.dialog(dialog).find_element(
            By.CSS_SELECTOR, f'.control[data-name="{name}"] {tag}'), f"the control {name} of {dialog}")

    def menu(self, item):
        self.until(lambda: self.driver.find_element(By.XPATH, f'//nav[@id="menu"]/button[.="{item}"]'),
                   f"the menu item {item}").click()
        self.idle()

    def type(self, dialog, name, text):
        field = self.control(dialog, name, "input")
        field.send_keys(Keys.CONTROL, "a")  # not clear(): that alone would send an act
        field.send_keys(text, Keys.TAB)
        self.idle()

    def toggle(self, dialog, name, on):
        box = self.control(dialog, name, "input")
        if box.is_selected() != on:
            box.click()
        self.idle()
        self.until(lambda: self.control(dialog, name, "input").is_selected() == on, f"{name} {'on' if on else 'off'}")

    def press(self, dialog, name):
        self.control(dialog, name, "button").click()
        self.idle()

    def pick(self, dialog, name, entry):
        Select(self.control(dialog, name, "select")).select_by_visible_text(entry)
        self.idle()

    def close(self, dialog):
        self.dialog(dialog).find_element(By.CSS_SELECTOR, ".title button").click()
        self.idle()
        self.until(lambda: not self.driver.find_elements(By.CSS_SELECTOR, f'section.dialog[data-name="{dialog}"]'),
                   f"{dialog} closed")

    def move(self, dialog, dx, dy):
        """Drags the dialog by its title bar."""
        title = self.dialog(dialog).find_element(By.CSS_SELECTOR, ".title")
        ActionChains(self.driver).drag_and_drop_by_offset(title, dx, dy).perform()
        self.idle()

    def table(self, dialog, name):
        """The rows of a table control: (cells, highlighted)."""
        rows = self.control(dialog, name, "table").find_elements(By.CSS_SELECTOR, "tbody tr")
        return [([td.text for td in row.find_elements(By.TAG_NAME, "td")], "highlighted" in row.get_attribute("class"))
                for row in rows]

    def marks(self):
        """The overlay badge on each marked node, by name."""
        return dict(self.js("""return [...document.querySelectorAll('#picture g.node')]
            .filter((g) => g.querySelector('.badge'))
            .map((g) => [g.dataset.object, g.querySelector('.badge text').textContent]);"""))

    def paths(self):
        """Each drawn path by name, with the nodes nearest to its two ends."""
        drawn = self.js("""
            const centre = (g) => { const c = g.querySelector('circle, rect');
              return c.tagName === 'circle' ? [+c.getAttribute('cx'), +c.getAttribute('cy')]
                : [+c.getAttribute('x') + 13, +c.getAttribute('y') + 11]; };
            const nodes = [...document.querySelectorAll('#picture g.node')].map((g) => [g.dataset.object, centre(g)]);
            const paths = [...document.querySelectorAll('#picture g.path')].map((g) => {
              const points = g.querySelector('polyline').getAttribute('points').split(' ');
              return [g.dataset.object, points[0].split(',').map(Number), points[points.length - 1].split(',').map(Number)];
            });
            return JSON.stringify({nodes, paths});""")
        drawn = json.loads(drawn)

        def nearest(point):
            return min(drawn["nodes"], key=lambda n: math.dist(n[1], point))[0]
        return {name: (nearest(first), nearest(last)) for name, first, last in drawn["paths"]}

    def modal(self, kind):
        return self.until(lambda: self.driver.find_element(By.CSS_SELECTOR, f"#modal .window.{kind}"), f"a {kind}")

    def no_modal(self):
        self.until(lambda: not self.driver.find_element(By.ID, "modal").is_displayed(), "the modal window gone")

    def error(self):
        return self.driver.find_element(By.ID, "error").text

    def messages(self):
        return [li.text for li in self.driver.find_elements(By.CSS_SELECTOR, "#messages li")]

    def screenshot(self, name):
        os.makedirs(ARTEFACTS, exist_ok=True)
        self.driver.save_screenshot(os.path.join(ARTEFACTS, name))


def start_browser():
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--window-size=1500,1000"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.driver = start_browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="xeqhost-browser-")

    def tearDown(self):
        shutil.rmtree(self.workdir)

    def serve(self, example, model):
        server = Server(example, model, self.workdir)
        self.addCleanup(lambda: self.assertEqual(server.stop(), 0, "xeqhost serve did not stop cleanly"))
        return server

    def display_reachability(self, page, network):
        page.menu("Reachability Analysis")
        page.type("ra/find_network", "edt_ip_network", network)
        page.toggle("ra/find_network", "chk_aggregate", True)
        page.toggle("ra/find_network", "chk_next_hop", True)
        page.press("ra/find_network", "btk_display")

    def test_campus_reachability_find_node_export_and_clear(self):
        server = self.serve("campus", "campus.json")
        page = Page(self.driver, server.address)
        self.display_reachability(page, "10.1.1.0/24")
        marks = {"top.campus.core": "O", "top.campus.east": "C", "top.campus.west": "R"}
        page.until(lambda: page.marks() == marks, f"the marks {marks}")
        self.assertEqual(page.paths(), {
            "top.ospf: core (core-ge0) -> east (east-ge0)": ("top.campus.core", "top.campus.east"),
            "top.rip: west (west-ge0) -> core (core-ge1)": ("top.campus.west", "top.campus.core")})
        report = page.until(lambda: page.table("ra/reach_report", "tbl_reach_report"), "the reachability report")
        self.assertEqual([cells[:3] for cells, _ in report], [
            ["top.campus.core", "10.1.1.0/24", "ospf"], ["top.campus.east", "10.1.1.0/24", "direct"],
            ["top.campus.west", "10.1.0.0/16", "rip"]])
        page.move("ra/find_network", 800, 380)  # off the routers, for the picture
        page.screenshot("campus-reachability.png")

        # Find Node with the IP report; its export through the file chooser.
        page.pick("ra/find_network", "pop_dialog_selector", "Find Node")
        page.type("ra/find_node", "edt_ip_address", "10.1.0.0/16")
        page.toggle("ra/find_node", "chk_report", True)
        page.press("ra/find_node", "btn_find")
        rows = [(["top.campus.east_pc2", "IF0", "10.1.1.20"], False), (["top.campus.east", "east-ge1", "10.1.1.1"], True),
                (["top.campus.east_pc1", "IF0", "10.1.0.10"], False), (["top.campus.east", "east-ge1", "10.1.0.1"], False)]
        page.until(lambda: page.table("ra/ip_report", "tbl_ip_report") == rows, "the IP report's rows")
        page.press("ra/ip_report", "btn_export")
        chooser = page.modal("chooser")
        page.until(lambda: chooser.find_elements(By.XPATH, './/li[.="campus.json"]'), "the model directory's files")
        page.screenshot("campus-export-chooser.png")
        path = chooser.find_element(By.CSS_SELECTOR, "input.path")
        path.clear()
        path.send_keys("/etc/report.csv")
        chooser.find_element(By.CSS_SELECTOR, "button.choose").click()
        page.idle()
        self.assertIn("lies outside", page.error())
        self.assertFalse(os.path.exists("/etc/report.csv"))
        path.clear()
        path.send_keys(os.path.join(server.dir, "report.csv"))
        chooser.find_element(By.CSS_SELECTOR, "button.choose").click()
        page.no_modal()
        with open(os.path.join(server.dir, "report.csv")) as exported:
            self.assertEqual(exported.read().splitlines(), [",".join(cells) for cells, _ in rows])
        page.close("ra/ip_report")

        # An address nobody owns: the plug-in waits in a prompt until it is answered.
        page.type("ra/find_node", "edt_ip_address", "10.9.0.0/16")
        page.control("ra/find_node", "btn_find", "button").click()
        prompt = page.modal("prompt")
        self.assertIn("No Node Found", prompt.text)
        page.screenshot("campus-prompt.png")
        prompt.find_element(By.XPATH, './/button[.="OK"]').click()
        page.no_modal()
        page.idle()

        # Clear, from the reachability page.
        page.pick("ra/find_node", "pop_dialog_selector", "Display Reachability")
        page.press("ra/find_network", "btn_clear")
        page.until(lambda: page.marks() == {} and page.paths() == {}, "the model cleared")

        # Bad requests: an error in the page, the server going on.
        page.js("act({act: 'press', dialog: '999', control: 'btn_clear'});")
        page.until(lambda: "no open window" in page.error(), "the error for a missing window")
        page.js("act({act: 'click', object: 'top.nowhere', button: 'right'});")
        page.until(lambda: "no object 'top.nowhere'" in page.error(), "the error for a missing object")
        page.js("act({act: 'type', dialog: arguments[0], control: 'no_such_control', text: 'x'});",
                page.dialog("ra/find_network").get_attribute("data-id"))
        page.until(lambda: "no_such_control" in page.error(), "the error for a missing control")
        base = server.address.split("?")[0]
        with self.assertRaises(urllib.error.HTTPError) as refused:
            urllib.request.urlopen(base + "api/state", timeout=WAIT)
        self.assertEqual(refused.exception.code, 403)

    def test_enterprise_shortcut_path_shows_its_igp_route(self):
        server = self.serve("enterprise", "enterprise.json")
        page = Page(self.driver, server.address)
        self.display_reachability(page, "198.51.100.0/24")
        shortcut = "top.bgp: hq_core1 () -> isp_edge (isp_edge-ge0)"
        page.until(lambda: page.paths().get(shortcut) == ("top.hq.hq_core1", "top.isp.isp_edge"), "the shortcut path")
        self.assertEqual(page.marks().get("top.branch2.br2_gw"), "S")
        page.close("ra/reach_report")
        page.move("ra/find_network", 880, 300)
        # Drawn anew from the server's state: the window is where it was dropped.
        self.driver.refresh()
        page.until(lambda: page.dialog("ra/find_network").value_of_css_property("left") == "1000px", "the dialog moved")

        label = self.driver.find_element(By.CSS_SELECTOR, f'#picture g.path[data-object="{shortcut}"] text')
        ActionChains(self.driver).context_click(label).perform()
        entry = page.until(lambda: self.driver.find_element(By.XPATH, '//ul[@id="popup"]/li[.="Show IGP Route"]'),
                           "the shortcut path's popup menu")
        entry.click()
        page.idle()
        route = {"top.ospf: hq_core1 (hq_core1-ge0) -> hq_border (hq_border-ge1)": ("top.hq.hq_core1", "top.hq.hq_border"),
                 "top.direct: hq_border (hq_border-ge0) -> isp_edge (isp_edge-ge0)": ("top.hq.hq_border", "top.isp.isp_edge")}
        page.until(lambda: route.items() <= page.paths().items(), "the IGP route of hq_core1 to its BGP next hop")
        self.assertFalse(self.driver.find_element(By.ID, "popup").is_displayed())
        self.assertEqual([m for m in page.messages() if m.startswith("popup menu")], ["popup menu: [Show IGP Route]"])
        page.screenshot("enterprise-igp-route.png")

        self.driver.find_element(By.ID, "save").click()
        page.idle()
        page.until(lambda: any(m.startswith("saved ") for m in page.messages()), "the model saved")
        with open(os.path.join(server.dir, "enterprise.json")) as saved:
            self.assertIn('"ra_shortcut_path"', saved.read())  # the drawn paths were saved with the model


if __name__ == "__main__":
    unittest.main(verbosity=2)
