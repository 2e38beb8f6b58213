"""The window as the operator meets it: every control's place, text and state, the panel that
"&More>>" / "&Less<<" opens and closes, the "&Top" and "Run Mi&nimized" options, the keyboard, and
the round indicator. Everything is read from the running zelt.exe through zelt-probe and the
screen, and every action is a real pointer click or key press on the X display.

Run as a script with --screenshots to regenerate docs/window-collapsed.png and
docs/window-expanded.png from the real window.
"""

from __future__ import annotations

import math
import sys
import unittest

import bench
import probe
from bench import GREEN, TWIPS_PER_PIXEL, ZeltTestCase

# The designed places in client twips: left, top, width, height.
PLACES = {
    "portList": (1560, 240, 1215, 315),
    "lineSettingsBox": (1560, 840, 2295, 285),
    "portLabel": (1560, 0, 690, 195),
    "settingsLabel": (1560, 600, 1515, 195),
    "runMinimizedBox": (1560, 1200, 1335, 255),
    "panelButton": (105, 1080, 975, 375),
    "onTopBox": (3120, 1200, 615, 255),
    "indicator": (285, 240, 615, 495),
}

CAPTIONS = {
    "portLabel": "Com &Port:",
    "settingsLabel": "&Settings: (9600,n,8,1)",
    "runMinimizedBox": "Run Mi&nimized",
    "panelButton": "&More>>",
    "onTopBox": "&Top",
}
# Nothing lies to the right of the labels: each may grow that way to fit its caption.
LABELS = ("portLabel", "settingsLabel")
PORTS = ["COM1", "COM2", "COM3", "COM4"]
DEFAULT_SETTINGS = "4800,n,8,2"
MORE, LESS = "&More>>", "&Less<<"
PANEL = ("portList", "lineSettingsBox", "runMinimizedBox", "onTopBox")
CLIENT_HEIGHT_TWIPS = 1605
COLLAPSED_CLIENT_TWIPS = 2 * 105 + 975
EXPANDED_RIGHT_TWIPS = 1560 + 2295  # lineSettingsBox's right edge
# The order in which Tab visits the controls that take the focus.
TAB_ORDER = ("portList", "lineSettingsBox", "runMinimizedBox", "panelButton", "onTopBox")

STORE_DEADLINE = 10.0
FOCUS_DEADLINE = 10.0
DOCS = bench.REPO / "docs"


def px(twips: float) -> int:
    return round(twips / TWIPS_PER_PIXEL)


def rect_px(place) -> list[int]:
    return [px(v) for v in place]


def centre(name: str) -> tuple[float, float]:
    left, top, width, height = PLACES[name]
    return left + width / 2, top + height / 2


def check_box_point(name: str) -> tuple[float, float]:
    """A point on a check box's square, where a click toggles it whatever the caption's width."""
    left, top, _, height = PLACES[name]
    return left + 7 * TWIPS_PER_PIXEL, top + height / 2


def outer_width(window: dict) -> int:
    return window["outer"][2]


def client_width(window: dict) -> int:
    return window["client"][2]


def controls(window: dict) -> dict:
    return window["controls"]


class WindowTestCase(probe.WindowWaits, ZeltTestCase):
    """Bench helpers for looking at and driving zelt's window."""

    # -- looking --------------------------------------------------------------------------------
    def window(self) -> dict:
        seen = probe.window(self.bench)
        self.assertIsNotNone(seen, "zelt's window is not there")
        return seen

    def wait_caption(self, caption: str) -> dict:
        return self.wait_window(lambda w: controls(w)["panelButton"]["text"] == caption,
                                f"panelButton never read {caption!r}")

    def wait_focus(self, name: str | None) -> dict:
        return self.wait_window(lambda w: w["focus"] == name, f"the focus never reached {name}",
                                FOCUS_DEADLINE)

    def wait_store(self, section: str, key: str, expected: str) -> str | None:
        seen = None
        for _ in bench._deadline_loop(STORE_DEADLINE, 0.05):
            seen = self.bench.reg_get(section, key)
            if seen == expected:
                break
        self.assertEqual(seen, expected, f"store {section}/{key}")
        return seen

    def client_image(self) -> tuple[int, int, bytes]:
        """The client area as zelt has painted it: width, height and RGB bytes, row by row."""
        self.bench.repaint()
        x, y, width, height = self.window()["client"]
        path = self.bench.run_dir / "client.ppm"
        rc, _, err = self.bench._run_logged(
            ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8",
             f"ppm:{path}"], "import-client", check=False)
        self.assertEqual(rc, 0, f"cannot capture the window: {err}")
        data = path.read_bytes()
        # Binary PPM: magic, width, height, maximum, then the pixels.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        self.assertEqual(fields[0], b"P6")
        w, h = int(fields[1]), int(fields[2])
        return w, h, data[pos + 1:pos + 1 + 3 * w * h]

    @staticmethod
    def pixel_of(image, x: int, y: int) -> tuple[int, int, int]:
        width, _, data = image
        i = 3 * (y * width + x)
        return data[i], data[i + 1], data[i + 2]

    # -- driving --------------------------------------------------------------------------------
    def click(self, name: str, point=None):
        self.bench.click_twips(*(point or centre(name)))

    def visible_menus(self) -> set[int]:
        rc, out, _ = self.bench._run_logged(["xdotool", "search", "--onlyvisible", "--class", "zelt.exe"],
                                            "xdotool-search", check=False)
        return {int(v) for v in out.split()} if rc == 0 else set()

    def restore_from_keyboard(self):
        """Restores the minimized window through its system menu (Alt+Space, then Restore), as an
        operator without a taskbar would."""
        before = self.visible_menus()
        self.bench.key("alt+space")
        opened = False
        for _ in bench._deadline_loop(FOCUS_DEADLINE, 0.05):
            if self.visible_menus() - before:
                opened = True
                break
        self.assertTrue(opened, "the system menu did not open")
        self.bench.key("r")

    # -- asserting ------------------------------------------------------------------------------
    def assertPanel(self, window: dict, enabled: bool):
        for name in PANEL:
            self.assertEqual(controls(window)[name]["enabled"], enabled, f"{name} enabled")

    def assertCollapsed(self, window: dict, frame: int):
        self.assertEqual(controls(window)["panelButton"]["text"], MORE)
        self.assertEqual(client_width(window), px(COLLAPSED_CLIENT_TWIPS), "collapsed client width")
        self.assertEqual(outer_width(window), px(COLLAPSED_CLIENT_TWIPS) + frame, "collapsed outer width")
        self.assertEqual(window["client"][3], px(CLIENT_HEIGHT_TWIPS), "client height")

    def assertExpanded(self, window: dict, frame: int):
        self.assertEqual(controls(window)["panelButton"]["text"], LESS)
        self.assertEqual(outer_width(window), px(EXPANDED_RIGHT_TWIPS) + 2 * frame, "expanded outer width")
        self.assertEqual(client_width(window), px(EXPANDED_RIGHT_TWIPS) + frame, "expanded client width")
        self.assertEqual(window["client"][3], px(CLIENT_HEIGHT_TWIPS), "client height")
        self.assertPanel(window, True)

    def assertSamePlace(self, before: dict, after: dict):
        for field in ("outer", "client"):
            self.assertEqual(after[field], before[field], field)
        self.assertFalse(after["minimized"], "the window was minimized")

    def start(self) -> dict:
        self.bench.start_zelt()
        return self.wait_started()

    @staticmethod
    def frame(window: dict) -> int:
        return outer_width(window) - client_width(window)


class StartUpLayout(WindowTestCase):
    def setUp(self):
        super().setUp()
        self.started = self.start()

    def test_every_control_has_its_designed_place(self):
        shown = controls(self.started)
        for name, place in PLACES.items():
            with self.subTest(control=name):
                self.assertIn(name, shown)
                rect = shown[name]["rect"]
                if name == "portList":
                    # A drop-down's window may also hold the room of its open list; the probe reports
                    # the closed field, whose height is the edit part's.
                    self.assertEqual(rect[:3], rect_px(place)[:3])
                    self.assertEqual(rect[3], px(place[3]), "closed height of the port list")
                elif name in LABELS:
                    # A label whose caption needs more room grows to the right, and only that way.
                    left, top, width, height = rect_px(place)
                    self.assertEqual([rect[0], rect[1], rect[3]], [left, top, height])
                    self.assertGreaterEqual(rect[2], width, "a label narrower than designed")
                else:
                    self.assertEqual(rect, rect_px(place))
        self.assertEqual(shown["indicator"]["rect"], [19, 16, 41, 33])

    def test_texts_and_states_after_start_up(self):
        window = self.started
        shown = controls(window)
        self.assertEqual(window["title"], "DALMOR ZELT V3")
        self.assertEqual(window["dpi"], 96)
        for name, caption in CAPTIONS.items():
            with self.subTest(control=name):
                self.assertEqual(shown[name]["text"], caption)
        self.assertEqual(shown["portList"]["items"], PORTS)
        self.assertEqual(shown["portList"]["selection"], 0, "COM1 chosen from the empty store")
        self.assertEqual(shown["indicator"]["text"], "")
        for name, enabled in (("portList", False), ("lineSettingsBox", False), ("runMinimizedBox", False), ("panelButton", True),
                              ("onTopBox", True)):
            with self.subTest(control=name):
                self.assertEqual(shown[name]["enabled"], enabled, f"{name} enabled")
        self.assertEqual(shown["runMinimizedBox"]["check"], 0)
        self.assertEqual(shown["onTopBox"]["check"], 0)
        self.assertFalse(window["minimized"])
        self.assertFalse(window["topmost"])
        # Setting the check boxes at start-up runs their click reactions, which store what was read;
        # the port list and the settings box store nothing before the form is loaded.
        self.assertEqual(self.bench.reg_get("Win", "Min"), "0")
        self.assertEqual(self.bench.reg_get("Win", "Top"), "0")
        self.assertIsNone(self.bench.reg_get("Com", "ComPort"))
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))

    def test_accessible_names_are_the_captions_without_the_access_key(self):
        # As a screen reader reads them from outside; a box is named by the label before it.
        expected = {name: caption.replace("&", "") for name, caption in CAPTIONS.items()}
        expected.update(portList=expected["portLabel"], lineSettingsBox=expected["settingsLabel"],
                        indicator="Transmit indicator")
        seen = probe.accessible(self.bench)["controls"]
        for name, spoken in expected.items():
            with self.subTest(control=name):
                self.assertEqual(seen[name]["name"], spoken)
        self.click("panelButton")
        self.wait_caption(LESS)
        self.assertEqual(probe.accessible(self.bench)["controls"]["panelButton"]["name"], "Less<<")

    def test_collapsed_width_and_height(self):
        window = self.started
        frame = self.frame(window)
        self.assertGreaterEqual(frame, 0)
        self.assertCollapsed(window, frame)
        # The X window that Wine shows has the client's size too.
        rc, out, _ = self.bench._run_logged(["xdotool", "getwindowgeometry", str(self.bench.x_window_id())],
                                            "xdotool-geometry", check=False)
        self.assertEqual(rc, 0)
        self.assertIn(f"Geometry: {px(COLLAPSED_CLIENT_TWIPS)}x{px(CLIENT_HEIGHT_TWIPS)}", out)

    def test_tab_after_start_up_visits_only_the_enabled_controls(self):
        # portList, lineSettingsBox and runMinimizedBox are disabled; onTopBox is enabled though it lies beyond the edge.
        self.assertEqual(self.started["focus"], "panelButton")
        for expected in ("onTopBox", "panelButton", "onTopBox", "panelButton"):
            self.bench.key("Tab")
            self.wait_focus(expected)
        for expected in ("onTopBox", "panelButton"):
            self.bench.key("shift+Tab")
            self.wait_focus(expected)

    def test_indicator_is_a_green_circle_centred_in_its_box(self):
        image = self.client_image()
        left, top, width, height = rect_px(PLACES["indicator"])
        diameter = min(width, height)
        radius = diameter / 2
        cx, cy = left + width / 2, top + height / 2
        background = self.pixel_of(image, 2, 2)  # no control covers the client's top-left corner
        self.assertNotEqual(background, GREEN)

        self.assertEqual(self.pixel_of(image, int(cx), int(cy)), GREEN, "centre")
        # Just inside the edge, all round the circle.
        for degrees in range(0, 360, 45):
            angle = math.radians(degrees)
            x = int(cx + (radius - 3) * math.cos(angle))
            y = int(cy + (radius - 3) * math.sin(angle))
            with self.subTest(inside=degrees):
                self.assertEqual(self.pixel_of(image, x, y), GREEN, f"inside the edge at {x},{y}")
        # Outside the circle but inside its box: the four corners, and both sides of the centre row
        # (the box is wider than the circle).
        outside = [(left + 1, top + 1), (left + width - 2, top + 1), (left + 1, top + height - 2),
                   (left + width - 2, top + height - 2), (left + 1, int(cy)), (left + width - 2, int(cy))]
        for degrees in (45, 135, 225, 315):
            angle = math.radians(degrees)
            outside.append((int(cx + (radius + 3) * math.cos(angle)), int(cy + (radius + 3) * math.sin(angle))))
        for x, y in outside:
            with self.subTest(outside=(x, y)):
                self.assertEqual(self.pixel_of(image, x, y), background, f"outside the circle at {x},{y}")


class Panel(WindowTestCase):
    def setUp(self):
        super().setUp()
        self.started = self.start()
        self.frame_px = self.frame(self.started)

    def test_clicks_open_and_close_the_panel(self):
        self.click("panelButton")
        expanded = self.wait_caption(LESS)
        self.assertExpanded(expanded, self.frame_px)
        self.assertEqual(expanded["outer"][:2], self.started["outer"][:2], "the window moved")
        for name in PLACES:
            with self.subTest(control=name):
                self.assertEqual(controls(expanded)[name]["rect"], controls(self.started)[name]["rect"])

        self.click("panelButton")
        collapsed = self.wait_caption(MORE)
        self.assertEqual(collapsed["outer"], self.started["outer"], "back to start-up's width")
        self.assertCollapsed(collapsed, self.frame_px)
        # After one expand and one collapse onTopBox is disabled too.
        self.assertPanel(collapsed, False)

        self.click("panelButton")
        self.assertExpanded(self.wait_caption(LESS), self.frame_px)

    def test_enter_presses_the_focused_button(self):
        self.assertEqual(self.started["focus"], "panelButton")
        self.bench.key("Return")
        self.assertExpanded(self.wait_caption(LESS), self.frame_px)
        self.bench.key("Return")
        self.assertCollapsed(self.wait_caption(MORE), self.frame_px)

    def test_the_focus_comes_back_when_the_window_is_active_again(self):
        self.bench.key("alt+m")
        self.wait_caption(LESS)
        self.bench.key("alt+s")
        self.wait_focus("lineSettingsBox")
        # Another window of the program takes the activation, then goes.
        self.assertTrue(probe.syscommand(self.bench, probe.MENU_EVENT_LOG))
        probe.wait_event_log(self.bench, lambda w: w["visible"])
        self.wait_focus(None)
        self.assertTrue(probe.close_event_log(self.bench))
        self.wait_focus("lineSettingsBox")
        # The focus only left the program: no settings check ran.
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))

    def test_access_keys_open_and_close_the_panel(self):
        self.bench.key("alt+m")
        self.assertExpanded(self.wait_caption(LESS), self.frame_px)
        self.bench.key("alt+l")
        collapsed = self.wait_caption(MORE)
        self.assertEqual(collapsed["outer"], self.started["outer"])
        self.assertPanel(collapsed, False)
        # Alt+M collapses nothing while collapsed, only opens.
        self.bench.key("alt+m")
        self.assertExpanded(self.wait_caption(LESS), self.frame_px)

    def test_tab_order_and_access_keys_when_expanded(self):
        self.click("panelButton")
        self.wait_caption(LESS)
        self.assertEqual(self.window()["focus"], "panelButton")
        # From panelButton round the whole order and back.
        start = TAB_ORDER.index("panelButton")
        for step in range(1, len(TAB_ORDER) + 1):
            self.bench.key("Tab")
            self.wait_focus(TAB_ORDER[(start + step) % len(TAB_ORDER)])
        self.bench.key("shift+Tab")
        self.wait_focus("runMinimizedBox")
        self.bench.key("alt+p")
        self.wait_focus("portList")
        self.bench.key("alt+s")
        self.wait_focus("lineSettingsBox")
        self.bench.key("alt+p")
        self.wait_focus("portList")
        # Nothing moved or changed on the way.
        self.assertExpanded(self.window(), self.frame_px)
        self.assertIsNone(self.bench.reg_get("Com", "Settings"))
        self.assertIsNone(self.bench.reg_get("Com", "ComPort"))

    def test_settings_box_shows_the_default_settings(self):
        shown = self.window()
        self.assertEqual(shown["controls"]["lineSettingsBox"]["text"], DEFAULT_SETTINGS)
        self.assertEqual(shown["controls"]["portList"]["text"], "COM1")


class TopOption(WindowTestCase):
    def test_clicks_on_top_set_and_clear_topmost_and_store_it(self):
        started = self.start()
        self.assertFalse(started["topmost"])
        self.click("panelButton")
        self.wait_caption(LESS)

        self.click("onTopBox", check_box_point("onTopBox"))
        window = self.wait_window(lambda w: w["topmost"], "the window never became topmost")
        self.assertEqual(controls(window)["onTopBox"]["check"], 1)
        self.wait_store("Win", "Top", "1")
        self.assertEqual(self.bench.reg_get("Win", "Min"), "0", "Min as start-up stored it")

        self.click("onTopBox", check_box_point("onTopBox"))
        window = self.wait_window(lambda w: not w["topmost"], "the window stayed topmost")
        self.assertEqual(controls(window)["onTopBox"]["check"], 0)
        self.wait_store("Win", "Top", "0")
        self.assertEqual(window["outer"], self.window()["outer"])
        self.assertEqual(window["outer"][:2], started["outer"][:2], "the window moved")

    def test_stored_top_makes_the_window_topmost_from_the_start(self):
        self.bench.reg_set("Win", "Top", "1")
        self.start()
        started = self.wait_window(lambda w: w["topmost"], "the window is not on top", 5)
        self.assertEqual(controls(started)["onTopBox"]["check"], 1)
        self.assertFalse(started["minimized"])
        self.assertCollapsed(started, self.frame(started))

    def test_stored_top_other_than_1_is_not_topmost(self):
        self.bench.reg_set("Win", "Top", "2")
        started = self.start()
        self.assertFalse(started["topmost"])
        self.assertFalse(started["minimized"])
        self.assertEqual(controls(started)["onTopBox"]["check"], 2, "the stored value, shown as grey")

    def test_top_from_the_keyboard_while_collapsed(self):
        # Directly after start-up onTopBox is enabled beyond the window's edge: Tab reaches it.
        started = self.start()
        self.assertEqual(started["focus"], "panelButton")
        self.bench.key("Tab")
        self.wait_focus("onTopBox")
        self.bench.key("space")
        window = self.wait_window(lambda w: w["topmost"], "Space on onTopBox did not make the window topmost")
        self.wait_store("Win", "Top", "1")
        self.assertCollapsed(window, self.frame(started))
        self.assertEqual(window["outer"], started["outer"])


class MinimizedOption(WindowTestCase):
    def test_click_stores_min_and_changes_nothing_on_screen(self):
        self.start()
        self.click("panelButton")
        before = self.wait_caption(LESS)

        self.click("runMinimizedBox", check_box_point("runMinimizedBox"))
        self.wait_store("Win", "Min", "1")
        after = self.wait_window(lambda w: controls(w)["runMinimizedBox"]["check"] == 1, "runMinimizedBox never checked")
        self.assertSamePlace(before, after)
        self.assertEqual(controls(after)["panelButton"]["text"], LESS)

        self.click("runMinimizedBox", check_box_point("runMinimizedBox"))
        self.wait_store("Win", "Min", "0")
        after = self.wait_window(lambda w: controls(w)["runMinimizedBox"]["check"] == 0, "runMinimizedBox never unchecked")
        self.assertSamePlace(before, after)
        self.assertEqual(self.bench.reg_get("Win", "Top"), "0", "Top as start-up stored it")

    def test_any_stored_min_other_than_0_starts_minimized(self):
        self.bench.reg_set("Win", "Min", "2")
        self.bench.start_zelt()
        started = self.wait_window(lambda w: w["visible"] and w["minimized"], "zelt did not start minimized")
        self.assertEqual(controls(started)["runMinimizedBox"]["check"], 2)
        self.wait_store("Win", "Min", "2")

    def test_stored_min_starts_minimized_and_restores_collapsed(self):
        self.bench.reg_set("Win", "Min", "1")
        self.bench.start_zelt()
        started = self.wait_window(lambda w: w["visible"] and w["minimized"], "zelt did not start minimized")
        self.assertEqual(controls(started)["runMinimizedBox"]["check"], 1)
        self.assertEqual(controls(started)["panelButton"]["text"], MORE)
        self.assertEqual(self.bench.reg_get("Win", "Min"), "1")

        self.restore_from_keyboard()
        restored = self.wait_window(lambda w: not w["minimized"], "the window was not restored")
        frame = self.frame(restored)
        self.assertCollapsed(restored, frame)
        for name, enabled in (("portList", False), ("lineSettingsBox", False), ("runMinimizedBox", False), ("onTopBox", True)):
            self.assertEqual(controls(restored)[name]["enabled"], enabled, f"{name} enabled")
        self.assertEqual(controls(restored)["indicator"]["rect"], rect_px(PLACES["indicator"]))
        self.assertIndicator(GREEN)

        # The same frame as a window that starts normally: the minimized start measured it right.
        self.bench.stop_zelt()
        self.bench.reset_store()
        normal = self.start()
        self.assertEqual(outer_width(restored), outer_width(normal))
        self.assertEqual(frame, self.frame(normal))


SW_MAXIMIZE = 3


class LaunchShowCommand(WindowTestCase):
    """A shortcut's "Run:" choice reaches the program as the launcher's show command, which Windows
    puts in place of the window's first show."""

    def start_launched(self, show: str) -> dict:
        with open(self.bench.run_dir / "start.out", "wb") as out, open(self.bench.run_dir / "start.err", "wb") as err:
            self.bench.zelt = self.bench.popen(["wine", "start", "/wait", show, "/unix", str(bench.ZELT_EXE)],
                                               stdout=out, stderr=err)
        return self.wait_window(lambda w: w["visible"], "zelt's window was not shown")

    def tearDown(self):
        # start.exe waits for zelt; ending start would leave zelt running for the next test.
        if self.bench.zelt is not None and probe.window(self.bench) is not None:
            self.bench.send(1, 0)
            self.bench.wait_zelt_exit(30)
        super().tearDown()

    def test_run_maximized_keeps_the_designed_size(self):
        self.start_launched("/max")
        shown = self.wait_window(lambda w: not w["maximized"], "the window stayed maximized")
        self.assertFalse(shown["minimized"])
        self.assertCollapsed(shown, self.frame(shown))
        # Wine shows the first window as the program asks, where Windows puts the launcher's
        # command in its place: the same maximize, from outside.
        self.assertTrue(probe.show(self.bench, SW_MAXIMIZE))
        shown = self.wait_window(lambda w: not w["maximized"], "the window stayed maximized")
        self.assertCollapsed(shown, self.frame(shown))
        self.click("panelButton")
        self.assertExpanded(self.wait_caption(LESS), self.frame(shown))

    def test_run_maximized_with_run_minimized_starts_minimized(self):
        self.bench.reg_set("Win", "Min", "1")
        started = self.start_launched("/max")
        self.assertTrue(started["minimized"], "zelt did not start minimized")
        self.restore_from_keyboard()
        restored = self.wait_window(lambda w: not w["minimized"] and not w["maximized"],
                                    "the window was not restored to its own size")
        self.assertCollapsed(restored, self.frame(restored))


# -- documentation screenshots ----------------------------------------------------------------------
def save_screenshots():
    """Saves the collapsed and the expanded window to docs/, cropped to the window with its frame."""
    with bench.picture_session() as the_bench:
        the_bench.start_zelt()
        probe.wait_window(the_bench, lambda w: w["visible"] and "indicator" in w["controls"])
        for name, caption in (("window-collapsed.png", MORE), ("window-expanded.png", LESS)):
            if caption == LESS:
                the_bench.click_twips(*centre("panelButton"))
                probe.wait_window(the_bench, lambda w: w["controls"]["panelButton"]["text"] == LESS)
            bench.save_picture(the_bench, DOCS / name)


if __name__ == "__main__":
    if sys.argv[1:] == ["--screenshots"]:
        save_screenshots()
    else:
        unittest.main()
