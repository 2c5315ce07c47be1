"""Debian's headless Chromium of a test's or a benchmark's own, driven through
Selenium and chromedriver, with a fresh profile that goes with it. As root
Chromium's sandbox cannot start, so it runs without.

    with chromium() as driver:
        driver.get("file:///.../numberwell.html")
"""
import contextlib
import os
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

FLAGS = ("--headless", "--disable-gpu", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync")


@contextlib.contextmanager
def chromium():
    profile = tempfile.mkdtemp(prefix="nw-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in FLAGS + (f"--user-data-dir={profile}",) + (("--no-sandbox",) if os.geteuid() == 0 else ()):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
