#!/usr/bin/env python3
"""The game as assistive technology sees it, over AT-SPI.

Starts the built game on a private X server (Xvfb) inside a private D-Bus
session, with accessibility on and its own configuration and data folders.
Through AT-SPI (and the X server for the mouse and the keys) it:

- presses the title window's Jacks or Better picture and walks the table
  window's tree: every card and control has a name;
- presses Max Bet, reads back the five cards dealt and hears the deal
  announced; the lit 5-coin column is selected;
- holds the cards one by one (each card and its hold marker checked, the
  change heard), draws, reads the message line and hears the draw announced;
- builds the royal flush demonstration code by clicks on the pay table,
  deals it, holds it and hears the win announced;
- opens every window the table's keys reach (A all holds, G the strategy
  chart, R the history, T the statistics and from there the mistake drill),
  checks that each names its cards and controls (and, for the statistics,
  that each chart is named and described in words and no filler is left
  unnamed), and closes each with Esc;
- leaves the table and opens the trainer with P: its setup window is a
  dialog whose controls are named; ten hands are chosen, the coach shown
  (K), and hands are dealt, held whole and drawn until the coach's warning
  that holds a draw back is heard; after a ten-hand draw the trainer's tree
  holds exactly what is on show, every picture and label named, each extra
  hand reading its cards and win; F1 opens the help, the Menu key the
  menu of the trainer's actions.

The title window, the table and the trainer are frames; no window is a
nameless filler.

Usage: atspi_walk.py GAME_EXECUTABLE
Exit status 0 when every check holds, 1 when one fails, 77 (skipped) when
AT-SPI, D-Bus, Xvfb or xdotool is not there to run it.
"""

import faulthandler
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
WALK_LIMIT = 220  # seconds for the whole walk, well inside CTest's 300
TITLE = "LYNX Video Poker"
TABLE = "LYNX Video Poker -- Jacks or Better"
ALL_HOLDS = "LYNX Video Poker -- All Holds"
CHART = "LYNX Video Poker -- Strategy Chart"
HISTORY = "LYNX Video Poker -- History"
STATISTICS = "LYNX Video Poker -- Statistics"
DRILL = "LYNX Video Poker -- Practise My Mistakes"
SETUP = "LYNX Video Poker -- Trainer"
TRAINER_PREFIX = "LYNX Video Poker -- Trainer -- "
HELP = "LYNX Video Poker Help"
CARD_ROLE = "image"
BUTTON_ROLE = "push button"
MARKER_ROLE = "check box"
# Roles of what a player reads or presses: each must have a name.
CONTROL_ROLES = {"push button", "check box", "toggle button", "radio button", "image",
                 "page tab", "combo box", "chart"}
# Table columns whose cells show cards.
CARD_COLUMNS = {"Hold", "Dealt", "After the draw"}
# The rows of the Jacks or Better pay table, top down.
JACKS_ROWS = ["Royal Flush", "Straight Flush", "4 of a Kind", "Full House", "Flush",
              "Straight", "3 of a Kind", "2 Pair", "Jacks or Better"]
ROYAL_DEMO = 2413
ROYAL = ["Ten of Spades", "Jack of Spades", "Queen of Spades", "King of Spades",
         "Ace of Spades"]


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def fail(why):
    print("FAIL: " + why)
    sys.exit(1)


def outer(game):
    """Checks what the walk needs and runs it again in a D-Bus session."""
    for tool in ("dbus-run-session", "Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed (scripts/install-deps installs it)")
    # pyatspi comes with the system's Python; another python3 earlier on the
    # PATH (a virtual environment, pyenv) may not see it.
    python = None
    for candidate in (sys.executable, "/usr/bin/python3"):
        if os.access(candidate, os.X_OK) and subprocess.call(
                [candidate, "-c", "import pyatspi"], stderr=subprocess.DEVNULL,
                timeout=30) == 0:
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
        # activation inside it and goes away with it. The walk runs in a
        # process group of its own, which is ended whole if it overruns.
        walk = subprocess.Popen(
            ["dbus-run-session", "--", python, os.path.abspath(__file__), game],
            env=env, start_new_session=True)
        try:
            status = walk.wait(WALK_LIMIT)
        except subprocess.TimeoutExpired:
            status = None
        # Whatever the walk left behind (a game, an X server, the bus's
        # services) goes with its group.
        try:
            os.killpg(walk.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        walk.wait()
        if status is None:
            fail("the walk did not end within %d s" % WALK_LIMIT)
        return status


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


def pump(seconds=0.0):
    """Lets the event listeners hear what has arrived (and what arrives
    within seconds)."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= deadline:
            return
        time.sleep(0.02)


def wait_for(what, probe, timeout=20.0):
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            found = probe()
        except Exception:  # the tree changes under the walk; try again
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.1)


def descendants(node, into_tables=True):
    for child in node:
        if child is None:
            continue
        yield child
        if into_tables or child.getRoleName() not in ("table", "tree table"):
            yield from descendants(child, into_tables)


def find(node, role, name):
    for item in descendants(node, into_tables=False):
        if item.getRoleName() == role and item.name == name:
            return item
    return None


def showing(item):
    import pyatspi
    return item.getState().contains(pyatspi.STATE_SHOWING)


def has_state(item, state):
    import pyatspi
    return item.getState().contains(getattr(pyatspi, "STATE_" + state.upper()))


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
    if node.getRoleName() in ("table", "tree table"):
        return
    for child in node:
        if child is not None:
            walk(child, depth + 1)


def unnamed(window):
    """What a player meets in window without a name: cards and controls,
    labels that take the focus or an action, and the cells of the columns
    that show cards."""
    missing = []
    for item in descendants(window, into_tables=False):
        role = item.getRoleName()
        if not showing(item):
            continue
        if role in ("table", "tree table"):
            missing += unnamed_card_cells(item)
        elif item.name:
            continue
        elif role in CONTROL_ROLES:
            missing.append(role)
        elif role == "label" and (has_state(item, "focusable") or actions_of(item)):
            missing.append("label that is a control")
    return missing


def actions_of(item):
    try:
        return item.queryAction().nActions
    except NotImplementedError:
        return 0


def unnamed_card_cells(table):
    grid = table.queryTable()
    missing = []
    for column in range(grid.nColumns):
        header = grid.getColumnHeader(column)
        if header is None or header.name not in CARD_COLUMNS:
            continue
        for row in range(grid.nRows):
            cell = grid.getAccessibleAt(row, column)
            if cell is not None and not cell.name:
                missing.append("'%s' cell of row %d" % (header.name, row + 1))
    return missing


def check_names(window):
    missing = unnamed(window)
    if missing:
        walk(window)
        fail("'%s' has what a screen reader cannot name: %s" % (window.name, missing))


def check_role(window, role):
    if window.getRoleName() != role:
        fail("'%s' is a %s to assistive technology, not a %s" % (window.name,
                                                                  window.getRoleName(), role))


def message_line(name):
    """Whether a label is the message line, which blinks by hiding."""
    return name in ("Message line: empty", "Play 5 Coins") or " pays " in name


def check_tree(window):
    """What the window lists is what it shows: no hidden copy of a label or
    picture, no picture or label without a name, no object gone stale."""
    problems = []
    for item in window:
        if item is None:
            problems.append("a child that is gone")
        elif item.getRoleName() in ("label", "image") and not has_state(item, "visible") \
                and not message_line(item.name):
            problems.append("hidden %s '%s'" % (item.getRoleName(), item.name))
    for item in descendants(window, into_tables=False):
        try:
            role, name = item.getRoleName(), item.name
        except Exception as error:  # an object that no longer exists
            problems.append("a stale object (%s)" % error)
            continue
        if has_state(item, "defunct"):
            problems.append("defunct %s '%s'" % (role, name))
        elif role in ("label", "image") and not name and showing(item):
            problems.append("unnamed " + role)
    if problems:
        walk(window)
        fail("'%s' lists what it does not show: %s" % (window.name, problems))


def top_window(app, title):
    return next((w for w in app if w is not None and w.name == title and showing(w)), None)


class Game:
    """The game program and the X server it runs on."""

    def __init__(self, game):
        import pyatspi
        home = os.environ["LYNX_ATSPI_HOME"]
        self.server, self.display = start_xvfb()
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            # The game keeps its history database here.
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        # What a screen reader hears: notifications that appear (the game's
        # announcements) and checked states that change. Registered before
        # the game starts, so that it sends them from the start.
        self.announced = []
        self.checked = []
        self.selected = []
        self.focused = []
        pyatspi.Registry.registerEventListener(self.heard, "object:state-changed:showing",
                                               "object:state-changed:checked",
                                               "object:state-changed:selected",
                                               "object:state-changed:focused")
        self.process = subprocess.Popen([game], env=self.env, stdout=subprocess.DEVNULL)
        desktop = pyatspi.Registry.getDesktop(0)
        self.app = wait_for("the game on the accessibility bus", lambda: next(
            (a for a in desktop if a is not None and a.name == "lynx-video-poker"), None))

    def heard(self, event):
        try:
            role, name = event.source.getRoleName(), event.source.name
        except Exception:  # gone already
            return
        if event.type == "object:state-changed:showing":
            if role == "notification" and event.detail1 == 1:
                self.announced.append(name)
        elif event.type == "object:state-changed:checked":
            self.checked.append((role, name, event.detail1))
        elif event.type == "object:state-changed:focused":
            if event.detail1 == 1:
                self.focused.append((role, name))
        else:
            self.selected.append((role, name, event.detail1))

    def hear(self, what, test, timeout=20.0):
        """The first announcement since the last call for which test holds."""
        found = wait_for(what, lambda: next((a for a in self.announced if test(a)), None),
                         timeout)
        self.announced.clear()
        return found

    def window(self, title, timeout=20.0):
        return wait_for("the window '%s'" % title, lambda: top_window(self.app, title), timeout)

    def window_starting(self, prefix, timeout=20.0):
        return wait_for("a window '%s...'" % prefix, lambda: next(
            (w for w in self.app if w is not None and w.name.startswith(prefix) and showing(w)),
            None), timeout)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, timeout=20)

    def keys(self, title, *keys):
        """Types keys (xdotool names) into the window of that title."""
        found = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$"],
            env=self.env, capture_output=True, text=True, timeout=20).stdout.split()
        if not found:
            fail("no X window is titled '%s'" % title)
        self.xdotool("windowfocus", "--sync", found[0], "key", "--delay", "30", *keys)

    def click(self, item):
        import pyatspi
        box = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.xdotool("mousemove", "--sync", box.x + box.width // 2, box.y + box.height // 2,
                     "click", "1")

    def close_by_escape(self, title, kept=False):
        """Esc closes the window: it leaves the application's windows, or,
        when the program keeps it for the next time it is asked for (the
        history, the statistics, the drill), stops showing."""
        self.keys(title, "Escape")
        if kept:
            wait_for("'%s' to close on Esc" % title,
                     lambda: top_window(self.app, title) is None)
        else:
            wait_for("'%s' to close on Esc" % title, lambda: not any(
                w is not None and w.name == title for w in self.app))

    def stop(self):
        """Ends the game (SIGTERM: it saves as at any end), then the X
        server; either is killed if it lingers."""
        for process in (self.process, self.server):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


class Table:
    """The table window of Jacks or Better and the play on it."""

    def __init__(self, game, window):
        self.game = game
        self.window = window
        self.credits = []  # the credit meter after each game

    def cards(self):
        """The card positions: the images on show (the window keeps hidden
        ones as picture sources)."""
        return [item for item in descendants(self.window, into_tables=False)
                if item.getRoleName() == CARD_ROLE and showing(item)]

    def button(self, name):
        found = find(self.window, BUTTON_ROLE, name)
        if found is None:
            fail("no button '%s' on the table" % name)
        return found

    def marker(self, position):
        found = find(self.window, MARKER_ROLE, "Hold card %d" % position)
        if found is None:
            fail("no hold marker 'Hold card %d' (a check box)" % position)
        return found

    def cell(self, row, coins):
        name = "%s, %d %s: " % (row, coins, "coin" if coins == 1 else "coins")
        for item in descendants(self.window, into_tables=False):
            if item.getRoleName() == "label" and item.name.startswith(name):
                return item
        fail("no pay-table cell '%s...'" % name)

    def label(self, pattern):
        for item in descendants(self.window, into_tables=False):
            if item.getRoleName() == "label" and re.fullmatch(pattern, item.name):
                return item.name
        return None

    def deal(self):
        """Max Bet: the five cards dealt, as heard."""
        before = self.credits[-1] if self.credits else 100
        press(self.button("Max Bet"))
        wait_for("the credits line after the bet",
                 lambda: self.label("Credits: %d" % (before - 5)), timeout=30)
        dealt = wait_for("five dealt cards", lambda: (lambda names: names if all(
            n not in ("", "no card") for n in names) else None)(
                [c.name for c in self.cards()]), timeout=30)
        heard = self.game.hear("the deal announced", lambda a: a.startswith("Dealt: "))
        print("Heard: " + heard)
        if not heard.startswith("Dealt: " + ", ".join(dealt) + "."):
            fail("the deal was announced as '%s', not as the cards %s" % (heard, dealt))
        if len(set(dealt)) != 5:
            fail("the five cards are not five different cards: %s" % dealt)
        return dealt

    def hold(self, position, dealt):
        """Presses the hold marker of a card: it and its card are checked."""
        self.game.checked.clear()
        press(self.marker(position))
        held = dealt[position - 1] + ", held"
        card = wait_for("card %d held" % position, lambda: next(
            (c for c in self.cards() if c.name == held), None))
        wait_for("the hold of card %d heard" % position,
                 lambda: ("image", held, 1) in self.game.checked)
        if not has_state(card, "checked") or not has_state(self.marker(position), "checked"):
            fail("card %d is held but it or its marker is not checked" % position)

    def draw(self):
        """Draws (again when the coach holds the draw back to warn): the
        message line, and the draw as heard."""
        def outcome():
            for item in descendants(self.window, into_tables=False):
                if item.getRoleName() != "label":
                    continue
                if item.name == "Play 5 Coins" or " pays " in item.name:
                    return ("drawn", item.name)
                if "gives away" in item.name:
                    return ("warned", item.name)
            return None

        press(self.button("Draw"))
        kind, message = wait_for("the message of the draw", outcome, timeout=30)
        if kind == "warned":
            print("Coach: " + " ".join(message.split()))
            press(self.button("Draw"))
            kind, message = wait_for("the message of the draw", lambda: (
                lambda seen: seen if seen and seen[0] == "drawn" else None)(outcome()),
                timeout=30)
        credits = int(wait_for("the credits line", lambda: self.label(r"Credits: \d+"))[9:])
        self.credits.append(credits)
        heard = self.game.hear("the draw announced", lambda a: a.startswith("Drawn: "))
        print("Heard: " + heard)
        final = ", ".join(c.name for c in self.cards())
        said = message + ("" if message.endswith("!") else ".") if " pays " in message \
            else "No win."
        expected = "Drawn: %s. %s Credits: %d." % (final, said, credits)
        if heard != expected:
            fail("the draw was announced as '%s', not '%s'" % (heard, expected))
        return message

    def wait_until_judged(self):
        """Waits for the coach to have worked the deal out, so that the game
        is judged when it is kept."""
        wait_for("the coach's values of the deal",
                 lambda: self.label(r"(?s)THIS HAND.*H shows the best hold\."), timeout=60)

    def enter_demo_code(self, code):
        """Releases on the pay table build the code: thousands on the 4-coin
        column, hundreds on the 3-coin, tens on the 2-coin, units on the
        1-coin, each on the row of its digit."""
        for coins, digit in zip((4, 3, 2, 1), "%04d" % code):
            if digit != "0":
                self.game.click(self.cell(JACKS_ROWS[int(digit) - 1], coins))


def check_table(table):
    window = table.window
    print("The table window:")
    walk(window)
    check_role(window, "frame")
    check_names(window)
    if len(table.cards()) != 5:
        fail("%d card positions, not 5" % len(table.cards()))
    if table.cell("Full House", 3).name != "Full House, 3 coins: 24":
        fail("the Full House cell of 3 coins is not 'Full House, 3 coins: 24'")


def play(table):
    """A game held whole (a hold worth less than best play on all but a few
    deals, so a mistake to practise), and the royal flush demonstration."""
    dealt = table.deal()
    check_tree(table.window)
    if not all(has_state(table.cell(row, 5), "selected") for row in JACKS_ROWS):
        fail("the lit 5-coin column is not selected")
    if any(has_state(table.cell(row, 1), "selected") for row in JACKS_ROWS):
        fail("a 1-coin cell is selected while the 5-coin column is lit")
    if table.label("Play 5 Coins") is not None:
        fail("the message line still says 'Play 5 Coins' after the deal")
    table.wait_until_judged()
    for position in range(1, 6):
        table.hold(position, dealt)
    print("Held: " + " | ".join(c.name for c in table.cards()))
    check_names(table.window)
    message = table.draw()
    print("Message line: " + message)
    if [c.name for c in table.cards()] != dealt:
        fail("the held cards changed in the draw")
    if any(has_state(c, "checked") or has_state(table.marker(k + 1), "checked")
           for k, c in enumerate(table.cards())):
        fail("a card or marker is still checked after the draw")

    table.enter_demo_code(ROYAL_DEMO)
    table.game.selected.clear()
    dealt = table.deal()
    if dealt != ROYAL:
        fail("the demonstration dealt %s, not the royal flush" % dealt)
    for position in range(1, 6):
        table.hold(position, dealt)
    message = table.draw()
    if message != "Royal Flush pays 4000!":
        fail("the royal flush drew the message '%s'" % message)
    if not has_state(table.cell("Royal Flush", 5), "selected"):
        fail("the cell of the win, 'Royal Flush, 5 coins: 4000', is not selected")
    # The row of the hand lights with the deal, goes out for the draw and
    # lights again with the win.
    row = [detail for role, name, detail in table.game.selected
           if role == "label" and name == "Royal Flush"]
    if row != [1, 0, 1]:
        fail("the Royal Flush row was heard lit and put out as %s, not [1, 0, 1]" % row)


def visit(game, key, title):
    """Opens a window by its key on the table: every card and control named."""
    game.keys(TABLE, key)
    window = game.window(title)
    print("The window '%s' (key %s):" % (title, key))
    walk(window)
    check_names(window)
    return window


def percent(won, bet):
    return "%.2f%%" % (won * 100.0 / bet)


def check_statistics(window, credits):
    fillers = [item for item in descendants(window, into_tables=False)
               if item.getRoleName() == "filler" and not item.name and showing(item)]
    if fillers:
        fail("%d filler objects without a name in the statistics" % len(fillers))
    charts = {item.name: item.description for item in descendants(window, into_tables=False)
              if item.getRoleName() == "chart"}
    games = len(credits)
    balance = "Credits over {:,} games: {:,} after the first, {:,} after the last; " \
              "lowest {:,}, highest {:,}.".format(games, credits[0], credits[-1], min(credits),
                                                  max(credits))
    won = credits[-1] - 100 + 5 * games
    sessions = "Return of 1 session: session 1, %s." % percent(won, 5 * games)
    expected = {"Credits after each game": balance, "Return by session": sessions}
    if charts != expected:
        fail("the charts say %s, not %s" % (charts, expected))
    for name, description in charts.items():
        print("Chart '%s': %s" % (name, description))


def check_windows(game, table):
    visit(game, "a", ALL_HOLDS)
    game.close_by_escape(ALL_HOLDS)
    visit(game, "g", CHART)
    game.close_by_escape(CHART)
    history = visit(game, "r", HISTORY)
    if not any(item.getRoleName() == "table" for item in descendants(history, False)):
        fail("the history shows no table of games")
    game.close_by_escape(HISTORY, kept=True)

    statistics = visit(game, "t", STATISTICS)
    check_statistics(statistics, table.credits)
    practise = find(statistics, BUTTON_ROLE, "Practise my mistakes")
    if practise is None:
        fail("no 'Practise my mistakes' button in the statistics")
    if has_state(practise, "sensitive"):
        press(practise)
        drill = game.window(DRILL)
        print("The window '%s':" % DRILL)
        walk(drill)
        check_names(drill)
        game.close_by_escape(DRILL, kept=True)
    else:
        # The hand held whole was one of the few (a straight or better) that
        # best play holds whole: there is no mistake to practise.
        print("No mistake to practise: the drill is not reachable")
    game.close_by_escape(STATISTICS, kept=True)


def named(window, role, name):
    found = wait_for("the %s '%s'" % (role, name), lambda: find(window, role, name))
    return found


def trainer_draw(game, window):
    """Holds the dealt cards whole and draws: 'warned' when the coach held
    the draw back (and the warning was heard), else 'drawn'."""
    for position in range(1, 6):
        marker = named(window, MARKER_ROLE, "Hold card %d" % position)
        press(marker)
        wait_for("card %d held" % position, lambda: has_state(marker, "checked"))
    press(named(window, BUTTON_ROLE, "Draw"))
    heard = game.hear("the draw or the coach's warning", lambda a: a.startswith(
        ("Drawn: ", "Coach: ")), timeout=60)
    print("Heard: " + heard)
    if heard.startswith("Drawn: "):
        return "drawn"
    if not heard.startswith("Coach: this hold gives up "):
        fail("the warning was said as '%s'" % heard)
    coach = wait_for("the warning beside the trainer", lambda: next(
        (item for item in descendants(window, False)
         if item.getRoleName() == "label" and "This hold gives up" in item.name), None))
    if not showing(coach):
        fail("the coach's warning is not on show")
    press(named(window, BUTTON_ROLE, "Draw"))
    heard = game.hear("the draw after the warning", lambda a: a.startswith("Drawn: "), timeout=60)
    print("Heard: " + heard)
    return "warned"


def check_trainer(game, table):
    """The trainer: its setup window, ten hands, the coach's warning, the
    tree after a ten-hand draw, its help and its menu."""
    game.close_by_escape(TABLE)
    game.window(TITLE)
    game.keys(TITLE, "p")
    setup = game.window(SETUP)
    print("The trainer's setup window:")
    walk(setup)
    check_role(setup, "dialog")
    check_names(setup)
    game.click(named(setup, "radio button", "10 hands"))
    wait_for("ten hands chosen", lambda: has_state(find(setup, "radio button", "10 hands"),
                                                   "checked"))
    press(named(setup, BUTTON_ROLE, "OK"))
    window = game.window_starting(TRAINER_PREFIX)
    title = window.name
    check_role(window, "frame")
    # The instant speed and the coach beside the table.
    game.keys(title, "v", "v", "k")
    wait_for("the coach beside the trainer", lambda: any(
        item.getRoleName() == "label" and item.name.startswith("STRATEGY COACH")
        for item in descendants(window, False)))
    for deal in range(8):
        press(named(window, BUTTON_ROLE, "Max Bet"))
        heard = game.hear("the trainer's deal", lambda a: a.startswith("Dealt: "), timeout=60)
        print("Heard: " + heard)
        if trainer_draw(game, window) == "warned":
            break
    else:
        fail("eight deals held whole and the coach never warned")
    hands = wait_for("the nine extra hands drawn", lambda: (lambda spots: spots if len(
        spots) == 9 and all(re.fullmatch(r"Hand %d: (.+, ){4}.+\. .+" % (k + 2), spot.name)
                            for k, spot in enumerate(spots)) else None)(
        [item for item in descendants(window, False) if item.getRoleName() == CARD_ROLE
         and item.name.startswith("Hand ")]))
    print("The trainer after a ten-hand draw:")
    walk(window)
    print("Extra hands: " + " | ".join(spot.name for spot in hands))
    check_tree(window)
    check_names(window)

    game.keys(title, "F1")
    help_window = game.window(HELP)
    check_role(help_window, "frame")
    game.close_by_escape(HELP, kept=True)

    # The menu is a popup, which is no child of the application: it is met
    # as a screen reader meets it, by the focus on its entries.
    game.focused.clear()
    game.keys(title, "Menu")
    game.xdotool("key", "--delay", "30", "Down", "Down")
    entries = wait_for("the entries of the trainer's menu", lambda: (lambda items: items if len(
        items) >= 2 else None)([name for role, name in game.focused if role == "menu item"]))
    print("The trainer's menu, first entries: " + " | ".join(
        e.replace("\t", " ") for e in entries))
    if not entries[0].startswith("Deal\tReturn"):
        fail("the trainer's menu does not start with Deal: %s" % entries)
    game.xdotool("key", "Escape")


def inner(program):
    # A walk stuck in a call to the game says where, before the outer limit
    # ends it.
    sys.stdout.reconfigure(line_buffering=True)
    faulthandler.dump_traceback_later(WALK_LIMIT - 20)
    game = Game(program)
    try:
        title = game.window(TITLE)
        check_role(title, "frame")
        jacks = wait_for("the Jacks or Better picture",
                         lambda: find(title, BUTTON_ROLE, "Jacks or Better"))
        press(jacks)
        table = Table(game, game.window(TABLE))
        wait_for("the Max Bet button", lambda: find(table.window, BUTTON_ROLE, "Max Bet"))
        check_table(table)
        play(table)
        check_windows(game, table)
        check_trainer(game, table)
        print("PASS")
        return 0
    finally:
        game.stop()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    if "LYNX_ATSPI_HOME" in os.environ:
        sys.exit(inner(sys.argv[1]))
    sys.exit(outer(sys.argv[1]))
