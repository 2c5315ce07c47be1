#!/usr/bin/python3
# The page as built, opened from disk in headless Chromium and driven with
# real keys: keystroke rows across the four fields, the clipboard both ways,
# input-method text, the status line and its timer, the About dialog, the end
# of the program and its start again, the names in Chromium's accessibility
# tree and the colour modes. No test may leave an error on the
# console: the page's policy lets it fetch nothing, and a blocked fetch logs one.
#
#     test_web.py BUILD/numberwell.html
import os
import re
import sys
import unittest
from unittest.mock import ANY

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from chromium import chromium  # noqa: E402

PAGE = ""
FIELDS = ("Denary", "Hex", "Binary", "Ascii")  # the order of the rows' columns
EMPTY = ("", "", "", "")
CTRL_A = (Keys.CONTROL, "a", Keys.NULL)
DEN_RANGE, HEX_RANGE = "Denary must be 0-255", "Hex must be 00-FF"

# name, field, keys; then Denary, Hex, Binary, Ascii as shown; the status
# line where a row puts a message there. Codes without a visible form show
# as their control pictures.
KEYSTROKES = [
    ("den digits", "Denary", ("65",), ("65", "41", "01000001", "A"), None),
    ("den keys swallowed", "Denary", ("2x5-5.5",), ("255", "ff", "11111111", "\u00ff"), None),
    ("den 300 then enter", "Denary", ("300", Keys.ENTER), ("300", "1e", "00011110", "\u241e"), DEN_RANGE),
    ("den backspace", "Denary", ("65", Keys.BACKSPACE), EMPTY, None),
    ("den escape", "Denary", ("65", Keys.ESCAPE), EMPTY, None),
    ("den select all", "Denary", ("65",) + CTRL_A + ("7",), ("7", "07", "00000111", "\u2407"), None),
    ("ascii replaces", "Ascii", ("AB",), ("66", "42", "01000010", "B"), None),
    ("ascii outside code page", "Ascii", ("\u03a9",), ("63", "3f", "00111111", "?"), None),
    ("hex 4a", "Hex", ("4a",), ("74", "4a", "01001010", "J"), None),
    ("hex upper case", "Hex", ("4A",), ("", "4A", "", ""), HEX_RANGE),
    ("bin enter pads", "Binary", ("101", Keys.ENTER), ("5", "05", "00000101", "\u2405"), None),
    ("bin keys swallowed", "Binary", ("2a1", Keys.BACKSPACE, "1"), ("", "", "1", ""), None),
]

# name, decimal value typed, clipboard text, field, chord; what the clipboard
# then holds and the fields show (ANY: not checked).
CLIPBOARD = [
    ("copy euro", "128", "", "Ascii", "c", "\u20ac", ("128", "80", "10000000", "\u20ac")),
    ("copy control code", "5", "", "Ascii", "c", "\x05", ("5", "05", "00000101", "\u2405")),
    ("cut", "65", "", "Denary", "x", "65", ("", ANY, ANY, ANY)),
    ("paste outside code page", "", "\u03a9", "Ascii", "v", "\u03a9", ("63", "3f", "00111111", "?")),
]

# (role, name) that Chromium's accessibility tree must hold.
NAMES = [("main", "Numberwell"), ("heading", "Numberwell"), ("button", "About"),
         ("status", "Status")] + [(role, f) for f in FIELDS for role in ("group", "textbox")]

# name, emulated media features; whether the status line is black on light
# green, whether the page is darker than mid grey.
MODES = [
    ("light", [], True, False),
    ("dark", [{"name": "prefers-color-scheme", "value": "dark"}], True, True),
    ("forced colours", [{"name": "forced-colors", "value": "active"}], False, False),
]


# One browser per class, the page opened afresh for each test.
class PageCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.d = cls.enterClassContext(chromium())
        cls.d.execute_cdp_cmd("Browser.grantPermissions",
                              {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})

    def setUp(self):
        self.d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        self.d.get("file://" + PAGE)
        self.wait(lambda: self.d.switch_to.active_element == self.field("Denary"))

    def tearDown(self):
        self.assertEqual([e["message"] for e in self.d.get_log("browser") if e["level"] == "SEVERE"], [])

    def wait(self, ready, seconds=10):
        return WebDriverWait(self.d, seconds, poll_frequency=0.05).until(lambda _: ready())

    def field(self, name):
        return self.d.find_element(By.CSS_SELECTOR, f"input[aria-label={name}]")

    def values(self):
        return tuple(self.field(f).get_property("value") for f in FIELDS)

    def status(self):
        return self.d.find_element(By.CSS_SELECTOR, "[role=status]").text

    def js(self, script, *args):
        return self.d.execute_async_script(script + ".then(arguments[arguments.length - 1])", *args)


class Page(PageCase):
    def test_keystrokes(self):
        for name, field, keys, want, status in KEYSTROKES:
            with self.subTest(name):
                self.setUp()
                self.field(field).click()
                self.field(field).send_keys(*keys)
                self.assertEqual((self.values(), status and self.status()), (want, status))

    def test_clipboard(self):
        for name, value, text, field, chord, clip, want in CLIPBOARD:
            with self.subTest(name):
                self.setUp()
                self.field("Denary").send_keys(value)
                self.js("navigator.clipboard.writeText(arguments[0])", text)
                self.field(field).click()
                self.field(field).send_keys(*CTRL_A, Keys.CONTROL, chord)
                self.assertEqual((self.js("navigator.clipboard.readText()"), self.values()), (clip, want))

    def test_input_method_commits_typed_text(self):
        self.field("Ascii").click()
        self.d.execute_cdp_cmd("Input.imeSetComposition", {"text": "e", "selectionStart": 1, "selectionEnd": 1})
        self.d.execute_cdp_cmd("Input.insertText", {"text": "\u00e9"})
        self.assertEqual(self.values(), ("233", "e9", "11101001", "\u00e9"))

    def test_names_and_a_message_announced_then_cleared_by_the_timer(self):
        self.field("Denary").send_keys("300")
        nodes = self.d.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
        found = {(n["role"]["value"], n.get("name", {}).get("value")) for n in nodes if not n["ignored"]}
        self.assertEqual([n for n in NAMES if n not in found], [])
        status = next(n for n in nodes if n["role"]["value"] == "status")
        live = {p["name"]: p["value"]["value"] for p in status.get("properties", [])}
        self.assertEqual((live.get("live"), self.status()), ("polite", DEN_RANGE))
        self.wait(lambda: self.status() == "")

    def test_about_opens_and_closes(self):
        self.field("Denary").send_keys("65")
        icon = self.d.find_element(By.CSS_SELECTOR, "link[rel=icon]").get_attribute("href")
        for name, closer in (("ok", "dialog button"), ("click into converter", "h1")):
            with self.subTest(name):
                self.d.find_element(By.XPATH, "//button[text()='About']").click()
                dialog = self.d.find_element(By.CSS_SELECTOR, "dialog[open]")
                self.assertEqual(dialog.text.split("\n"),
                                 ["About Numberwell", "Numberwell", "by Quennick", "OK", "v2.19"])
                self.assertFalse(self.d.execute_script("return arguments[0].matches(':modal')", dialog))
                self.assertEqual(dialog.find_element(By.TAG_NAME, "img").get_attribute("src"), icon)
                self.assertEqual(self.d.switch_to.active_element.text, "OK")
                self.d.find_element(By.CSS_SELECTOR, closer).click()
                # Closed, the focus back where it was, the fields as they were.
                self.assertEqual((self.d.find_elements(By.TAG_NAME, "dialog"), self.d.switch_to.active_element.text,
                                  self.values()), ([], "About", ("65", "41", "01000001", "A")))

    def test_escape_on_empty_field_ends_and_starts_again(self):
        self.field("Denary").send_keys(Keys.ESCAPE)
        self.wait(lambda: self.d.find_elements(By.CSS_SELECTOR, "section p"))
        self.assertEqual(self.d.find_elements(By.TAG_NAME, "main"), [])
        self.assertEqual(self.d.find_element(By.CSS_SELECTOR, "section").text, "Numberwell has ended. Start again")
        self.d.switch_to.active_element.send_keys(Keys.ENTER)
        self.wait(lambda: self.d.switch_to.active_element == self.field("Denary"))
        self.assertEqual((self.values(), self.status()), (EMPTY, "Welcome!"))

    def test_colour_modes(self):
        for name, features, green, dark in MODES:
            with self.subTest(name):
                self.d.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": features})
                bg, fg, page = self.d.execute_script(
                    "const line = getComputedStyle(document.querySelector('[role=status]'));"
                    " return [line.backgroundColor, line.color, getComputedStyle(document.body).backgroundColor]")
                self.assertEqual(bg == "rgb(192, 255, 192)", green)
                if green:
                    self.assertEqual(fg, "rgb(0, 0, 0)")
                self.assertEqual(sum(int(c) for c in re.findall(r"\d+", page)[:3]) < 3 * 128, dark)


class PausedClock(PageCase):
    # Its own browser: the paused clock must not reach other tests.
    def test_a_message_shown_again_stays_a_whole_period(self):
        # The browser's own clock, paused and advanced by hand.
        self.d.execute_cdp_cmd("Emulation.setVirtualTimePolicy", {"policy": "pause"})
        for keys, ms, shown in (("300", 1500, DEN_RANGE), ((Keys.BACKSPACE, "300"), 1000, DEN_RANGE),
                                ((), 1100, "")):
            self.field("Denary").send_keys(*keys)
            until = self.d.execute_script("return Date.now()") + ms
            self.d.execute_cdp_cmd("Emulation.setVirtualTimePolicy", {"policy": "advance", "budget": ms})
            self.wait(lambda: self.d.execute_script("return Date.now()") >= until)
            self.assertEqual(self.status(), shown, keys)


if __name__ == "__main__":
    PAGE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
