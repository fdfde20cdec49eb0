#!/usr/bin/env python3
"""The game as assistive technology sees it, over AT-SPI.

Starts the built game on a private X server (Xvfb) inside a private D-Bus
session, with accessibility on and its own configuration and data folders.
Through AT-SPI alone it presses the title window's Jacks or Better picture,
walks the table window's tree, presses Max Bet and reads back the five cards
that were dealt, holds the first card and reads its name again, then draws
(reading the strategy coach's warning, when it gives one, and drawing again)
and reads the message line.

Usage: atspi_walk.py GAME_EXECUTABLE
Exit status 0 when every check holds, 1 when one fails, 77 (skipped) when
AT-SPI, D-Bus or Xvfb is not there to run it.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
TITLE = "LYNX Video Poker"
TABLE = "LYNX Video Poker -- Jacks or Better"
CARD_ROLE = "image"
BUTTON_ROLE = "push button"


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def fail(why):
    print("FAIL: " + why)
    sys.exit(1)


def outer(game):
    """Checks what the walk needs and runs it again in a D-Bus session."""
    for tool in ("dbus-run-session", "Xvfb"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed (scripts/install-deps installs it)")
    # pyatspi comes with the system's Python; another python3 earlier on the
    # PATH (a virtual environment, pyenv) may not see it.
    python = None
    for candidate in (sys.executable, "/usr/bin/python3"):
        if os.access(candidate, os.X_OK) and subprocess.call(
                [candidate, "-c", "import pyatspi"], stderr=subprocess.DEVNULL) == 0:
            python = candidate
            break
    if python is None:
        skip("python3-pyatspi is not installed (scripts/install-deps installs it)")
    if not os.access(game, os.X_OK):
        fail("no game program at " + game)
    with tempfile.TemporaryDirectory(prefix="lynx-atspi-") as home:
        runtime = os.path.join(home, "runtime")
        os.mkdir(runtime, 0o700)
        env = dict(os.environ)
        env.update({"LYNX_ATSPI_HOME": home, "XDG_RUNTIME_DIR": runtime})
        # A fresh session bus: the accessibility bus is started by D-Bus
        # activation inside it and goes away with it.
        try:
            return subprocess.call(
                ["dbus-run-session", "--", python, os.path.abspath(__file__), game],
                env=env, timeout=180)
        except subprocess.TimeoutExpired:
            fail("the walk did not end within 180 s")


def start_xvfb():
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-noreset",
         "-screen", "0", "1024x768x24"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = server.stdout.readline().strip()
    if not line.isdigit():
        server.kill()
        skip("Xvfb did not start")
    return server, ":" + line.decode()


def wait_for(what, probe, timeout=20.0):
    deadline = time.monotonic() + timeout
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under the walk; try again
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.1)


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(node, role, name):
    for item in descendants(node):
        if item.getRoleName() == role and item.name == name:
            return item
    return None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail("'%s' has no Press action (actions: %s)" % (button.name, names))
    action.doAction(names.index("Press"))


def walk(node, depth=0):
    actions = ""
    try:
        action = node.queryAction()
        actions = " [" + ", ".join(action.getName(i) for i in range(action.nActions)) + "]"
    except NotImplementedError:
        pass
    print("%s%s '%s'%s" % ("  " * depth, node.getRoleName(), node.name, actions))
    for child in node:
        if child is not None:
            walk(child, depth + 1)


def cards(table):
    """The card positions: the images on show (the window keeps hidden ones as
    picture sources)."""
    import pyatspi
    return [item for item in descendants(table) if item.getRoleName() == CARD_ROLE
            and item.getState().contains(pyatspi.STATE_VISIBLE)]


def inner(game):
    import pyatspi

    home = os.environ["LYNX_ATSPI_HOME"]
    server, display = start_xvfb()
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "XDG_CONFIG_HOME": os.path.join(home, "config"),
        # The game keeps its history database here.
        "XDG_DATA_HOME": os.path.join(home, "data"),
        "ASAN_OPTIONS": "detect_leaks=0",
    })
    game_process = subprocess.Popen([game], env=env, stdout=subprocess.DEVNULL)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait_for("the game on the accessibility bus", lambda: next(
            (a for a in desktop if a is not None and a.name == "lynx-video-poker"), None))
        title = wait_for("the title window", lambda: next(
            (w for w in app if w is not None and w.name == TITLE), None))
        jacks = wait_for("the Jacks or Better picture",
                         lambda: find(title, BUTTON_ROLE, "Jacks or Better"))
        press(jacks)
        table = wait_for("the table window", lambda: next(
            (w for w in app if w is not None and w.name == TABLE), None))
        wait_for("the Max Bet button", lambda: find(table, BUTTON_ROLE, "Max Bet"))
        print("The table window:")
        walk(table)
        if len(cards(table)) != 5:
            fail("%d card positions, not 5" % len(cards(table)))

        cell = find(table, "label", "Full House, 3 coins: 24")
        if cell is None:
            fail("no pay-table cell named 'Full House, 3 coins: 24'")

        press(find(table, BUTTON_ROLE, "Max Bet"))
        # Five coins bet and dealt: 95 credits left, and the message line
        # emptied by the deal.
        wait_for("the credits line after the bet",
                 lambda: find(table, "label", "Credits: 95"), timeout=30)
        wait_for("five dealt cards", lambda: all(
            c.name not in ("", "no card") for c in cards(table)), timeout=30)
        dealt = [c.name for c in cards(table)]
        print("Dealt: " + " | ".join(dealt))
        if len(set(dealt)) != 5:
            fail("the five cards are not five different cards: %s" % dealt)

        press(find(table, BUTTON_ROLE, "Hold card 1"))
        held = wait_for("the first card held", lambda: next(
            (c.name for c in cards(table) if c.name == dealt[0] + ", held"), None))
        print("After Hold card 1: " + held)
        if find(table, "label", "Play 5 Coins") is not None:
            fail("the message line still says 'Play 5 Coins' after the deal")

        # The draw: the message line announces the result, a win ("... pays
        # N!") or the call to play again. A hold worth less than best play
        # is first held back by the strategy coach, whose warning is read
        # here too; the second press draws.
        def outcome():
            for item in descendants(table):
                if item.getRoleName() != "label":
                    continue
                if item.name == "Play 5 Coins" or " pays " in item.name:
                    return ("drawn", item.name)
                if "gives away" in item.name:
                    return ("warned", item.name)
            return None

        press(find(table, BUTTON_ROLE, "Draw"))
        kind, message = wait_for("the message of the draw", outcome, timeout=30)
        if kind == "warned":
            print("Coach: " + " ".join(message.split()))
            press(find(table, BUTTON_ROLE, "Draw"))
            kind, message = wait_for("the message of the draw", lambda: (
                lambda seen: seen if seen and seen[0] == "drawn" else None)(outcome()),
                timeout=30)
        print("After the draw: " + " | ".join(c.name for c in cards(table)))
        print("Message line: " + message)
        if cards(table)[0].name != dealt[0]:
            fail("the held first card changed in the draw")
        print("PASS")
        return 0
    finally:
        if game_process.poll() is None:
            game_process.send_signal(signal.SIGTERM)
            try:
                game_process.wait(10)
            except subprocess.TimeoutExpired:
                game_process.kill()
                game_process.wait()
        server.terminate()
        server.wait()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    if "LYNX_ATSPI_HOME" in os.environ:
        sys.exit(inner(sys.argv[1]))
    sys.exit(outer(sys.argv[1]))
