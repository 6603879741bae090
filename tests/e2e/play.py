#!/usr/bin/python3
"""One game of Perlobin played through X, checked on the accessibility bus and by ear.
Usage: play.py PID RECORDING START, where RECORDING (s16le, mono, 16 kHz) held START bytes when
the game PID started."""
import array, math, os, re, struct, subprocess, sys, threading, time, zlib  # noqa: E401
import gi
import numpy
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import pyatspi  # noqa: E402
from pyatspi import STATE_FOCUSED as FOCUSED, STATE_SHOWING as SHOWING  # noqa: E402

SECOND = 2 * 16000  # bytes of recording
LOUD = 300  # RMS of 100 ms with voice in it; the null sink's silence is exactly 0
GREETING = ("Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco abbia inizio. "
            "Che la magia sia con te")
LEAD = "Attenzione hai sbagliato! Il numero è"
UNITS = ("uno due tre quattro cinque sei sette otto nove dieci undici dodici tredici "
         "quattordici quindici sedici diciassette diciotto diciannove").split()
NONE_YET = {"esatte": "0", "errate": "0", "totali": "0"}
ONE_WRONG = {"esatte": "0", "errate": "1", "totali": "1"}

def check(ok, message):
    if not ok:
        sys.exit(f"FAIL: {message}")

def poll(what, probe, timeout=20):
    """The first truthy result of probe() -> (result, seen); fails with the last thing seen."""
    deadline = time.monotonic() + timeout
    while True:
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            result, seen = probe()
        except GLib.Error as error:  # an object went away while being read
            result, seen = None, error.message
        except subprocess.CalledProcessError as error:  # a window went away while being read
            result, seen = None, str(error)
        if result:
            return result
        check(time.monotonic() < deadline, f"{what}: not within {timeout} s; last seen: {seen!r}")
        time.sleep(0.02)

def italian(n):
    """The words of 1..31, written apart from the game's own rules."""
    if n < 20:
        return UNITS[n - 1]
    tens = ("venti" if n < 30 else "trenta")[:-1 if n % 10 in (1, 8) else None]
    return tens + (UNITS[n % 10 - 1] if n % 10 else "")

def kids(obj):
    return [c for c in map(obj.getChildAtIndex, range(obj.childCount)) if c]

def tree(obj):
    for child in kids(obj):
        yield child
        yield from tree(child)

def text(obj):
    return obj.queryText().getText(0, -1)

def find(root, role, name=".*", deep=True):
    """The first showing object under root with that role (any if None) and a name matching."""
    return next((o for o in (tree(root) if deep else kids(root)) if role in (None, o.getRole())
                 and o.getState().contains(SHOWING) and re.fullmatch(name, o.name)), None)

def top(app, role, name):
    """A probe: the game's top-level window with that role and name."""
    return lambda: (find(app, role, name, deep=False), [(w.getRoleName(), w.name)
                                                         for w in kids(app)])

def focus_in(obj):
    """A probe: obj has the keyboard focus."""
    return lambda: (obj.getState().contains(FOCUSED), f"not on {obj.getRoleName()} {obj.name!r}")

def says(app, wanted):
    """A probe: the balloon's name and text agree, and wanted(them) holds."""
    def probe():
        note = balloon(app)
        if not note:
            return None, [(w.getRoleName(), w.name) for w in kids(app)]
        seen = note.name, text(note)
        return seen[0] == seen[1] and wanted(seen[0]) and seen[0], seen
    return probe

def labelled_by(obj):
    return [r.getTarget(i).name for r in obj.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY for i in range(r.getNTargets())]

def scores(frame):
    """The counts, as a screen reader finds them: labels labelled by the legends Risposte
    esatte, errate and totali."""
    found = {}
    for o in tree(frame):
        for legend in labelled_by(o) if o.getRole() == pyatspi.ROLE_LABEL else []:
            kind = re.fullmatch(r"Risposte (esatte|errate|totali)", legend)
            if kind and o.name.isdigit():
                found[kind.group(1)] = o.name
    return found

def xdotool(*args, display=None):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=10,
                          env={**os.environ, "DISPLAY": display or os.environ["DISPLAY"]}
                          ).stdout.split()

# A compositor nested in an X server of the test's own: that server's keyboard and screen are
# the seat's and the screen's of the Wayland session.
SCREEN = os.environ.get("PERLOBIN_E2E_SCREEN")

def type_on_screen(names):
    """Keys typed on the X server the compositor runs in, as on the session's keyboard."""
    compositor = xdotool("search", "--class", "weston", display=SCREEN)
    xdotool("windowfocus", "--sync", compositor[0], display=SCREEN)
    xdotool("key", "--delay", "30", *names, display=SCREEN)

# Natively on Wayland the game has no X window: its windows are read on the bus, and keys are
# typed through mutter's remote desktop interface.
NATIVE = os.environ.get("PERLOBIN_E2E_NATIVE")
APP = []  # the game on the bus, once found
PID = []  # the game's process

def window(title):
    if NATIVE:
        tops = [w for w in kids(APP[0]) if w.getState().contains(SHOWING)
                and re.match(title, w.name)] if APP else []
        return len(tops) == 1 and tops[0].path, [w.name for w in tops]
    # The game's own windows only: mutter 48 frames a window in a process of its own whose frame
    # window carries the client's title too.
    ids = xdotool("search", "--all", "--onlyvisible", "--pid", str(PID[0]), "--name", title)
    return len(ids) == 1 and ids[0], ids

class RemoteKeyboard:
    """Keys pressed through mutter's remote desktop session, as a keyboard of the seat."""
    KEYSYMS = {"Return": 0xFF0D, "alt": 0xFFE9, "shift": 0xFFE1}

    def __init__(self):
        from gi.repository import Gio
        bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        name = "org.gnome.Mutter.RemoteDesktop"
        desktop = Gio.DBusProxy.new_sync(bus, 0, None, name, "/org/gnome/Mutter/RemoteDesktop",
                                         name, None)
        path = desktop.call_sync("CreateSession", None, 0, -1, None).unpack()[0]
        self.session = Gio.DBusProxy.new_sync(bus, 0, None, name, path, name + ".Session", None)
        self.session.call_sync("Start", None, 0, -1, None)
        # mutter drops the session's very first key, before the game is there to miss it.
        self.press(["shift"])

    def press(self, names):
        for name in names:
            syms = [self.KEYSYMS.get(part) or ord(part) for part in name.split("+")]
            for sym, down in [(s, True) for s in syms] + [(s, False) for s in reversed(syms)]:
                self.session.call_sync("NotifyKeyboardKeysym", GLib.Variant("(ub)", (sym, down)),
                                       0, -1, None)
            time.sleep(0.03)

KEYBOARD = []

WM = os.environ.get("PERLOBIN_E2E_WM")

def keyboard_on(win):
    """Whether win has the keyboard; if not, the window that has it, named, what the window
    manager marks active, and the game's windows."""
    focus = xdotool("getwindowfocus")
    if focus == [win]:
        return True, focus
    name = subprocess.run(["xprop", "-id", focus[0], "WM_CLASS", "WM_NAME"], capture_output=True,
                          text=True, timeout=10).stdout.split("\n") if focus else []
    return False, (focus, name, xdotool("getactivewindow"),
                   PID and xdotool("search", "--pid", str(PID[0])))

def keys(title, *names):
    """Types into the one visible window so titled. Without a window manager the test gives it
    the keyboard; under one, the window manager must have, as it does for a child at the keys."""
    win = poll(f"a visible window {title}", lambda: window(title))
    if NATIVE:
        poll(f"the keyboard on {title}", lambda: (next(
            (w for w in kids(APP[0]) if w.path == win), APP[0]).getState().contains(
                pyatspi.STATE_ACTIVE), [(w.name, w.getState().contains(pyatspi.STATE_ACTIVE))
                                        for w in kids(APP[0])]))
        if SCREEN:
            type_on_screen(names)
        else:
            KEYBOARD[0].press(names)
        return
    if not WM:
        xdotool("windowfocus", win)
    poll(f"the keyboard on {title} for {' '.join(names)}", lambda: keyboard_on(win))
    if names and SCREEN:
        type_on_screen(names)
    elif names:
        xdotool("key", "--delay", "30", *names)

def size(path):
    return os.path.getsize(path) & ~1

def levels(path, begin, end):
    """The RMS of each 100 ms from byte begin to byte end, once recorded."""
    poll("the recording to reach so far", lambda: (size(path) >= end, size(path)))
    with open(path, "rb") as f:
        f.seek(begin)
        samples = array.array("h", f.read(end - begin))
    if sys.byteorder == "big":
        samples.byteswap()
    n = SECOND // 20
    return [math.sqrt(sum(s * s for s in samples[i:i + n]) / n)
            for i in range(0, len(samples) - n + 1, n)]

def heard(what, path, begin, end, at_least):
    rms = levels(path, begin, end)
    loud = sorted(r for r in rms if r > LOUD)
    print(f"  {what}: {len(loud) / 10:.1f} s of {len(rms) / 10:.1f} s above RMS {LOUD}, "
          f"median {loud[len(loud) // 2] if loud else 0:.0f}, loudest {max(rms):.0f}")
    check(len(loud) >= 10 * at_least, f"{what}: not loud for {at_least} s")

MARK = (0xFF, 0xD5, 0x4F)  # the colour behind the word being said

ROOTLESS = os.environ.get("PERLOBIN_E2E_ROOTLESS")  # XWayland: the root window shows nothing
# Where windows cannot be placed, Merlin is drawn inside the game window, with no window of his own.
INSIDE = os.environ.get("PERLOBIN_E2E_INSIDE")
# A shape of screen and window the game is played in, instead of the whole game.
SHAPE = os.environ.get("PERLOBIN_E2E_SHAPE")

def is_balloon(obj):
    """Merlin's balloon, a notification that shows; the game's notices for a screen reader are
    notifications with no area."""
    return obj.getRole() == pyatspi.ROLE_NOTIFICATION and extents(obj)[2] > 0

def balloon(app):
    # In a shape of screen, beside the game or on its board.
    return next((o for o in (tree(app) if INSIDE or SHAPE else kids(app))
                 if is_balloon(o) and o.getState().contains(SHOWING)), None)

def extents(obj):
    return tuple(obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))

def grab(source, display=None):
    ppm = subprocess.run(["import", *source, "-depth", "8", "ppm:-"], capture_output=True,
                         check=True, timeout=10,
                         env={**os.environ, "DISPLAY": display or os.environ["DISPLAY"]}).stdout
    # One blank ends the header: the pixels may start with bytes that read as blanks.
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
    width, height = int(header[1]), int(header[2])
    return numpy.frombuffer(ppm[header.end():], numpy.uint8).reshape(height, width, 3)

BACKDROP = numpy.frombuffer(bytes.fromhex(os.environ.get("PERLOBIN_E2E_BACKDROP", "000000")),
                            numpy.uint8)
ORIGIN = [(0, 0)]  # natively on Wayland, where the game's frame is on the screen

def find_on_screen(frame):
    """Natively on Wayland the game knows nothing of its place: it is found on the screen as what
    is not the plain backdrop, its decoration's sides as wide as its bottom edge."""
    shown = numpy.any(grab(["-window", "root"], SCREEN) != BACKDROP, axis=2)
    rows = numpy.nonzero(shown.sum(axis=1) > 100)[0]  # the pointer is narrower
    cols = numpy.nonzero(shown.sum(axis=0) > 100)[0]
    _, _, width, height = extents(frame)
    side = (cols[-1] + 1 - cols[0] - width) // 2
    ORIGIN[0] = (int(cols[0] + side), int(rows[-1] + 1 - side - height))

def screenshot(area, win):
    """The screen inside area (x, y, width, height), where window win is, as rows of RGB;
    under XWayland, what win itself shows there."""
    x, y, w, h = area
    if NATIVE:
        left, top = ORIGIN[0]
        return grab(["-window", "root", "-crop", f"{w}x{h}+{x + left}+{y + top}"], SCREEN)
    if ROOTLESS:
        left, top = geometry(win)[:2]
        source = ["-window", win, "-crop", f"{w}x{h}+{x - left}+{y - top}"]
    else:
        source = ["-window", "root", "-crop", f"{w}x{h}+{x}+{y}"]
    return grab(source)

def save_png(image, path):
    rows = b"".join(b"\0" + row.tobytes() for row in image)
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(
            ">IIBBBBB", image.shape[1], image.shape[0], 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))

def mark_box(image):
    """Where the mark shows in a screenshot: (top, left, bottom, right), None if nowhere."""
    ys, xs = numpy.nonzero(numpy.all(image == MARK, axis=2))
    return (ys.min(), xs.min(), ys.max(), xs.max()) if len(ys) > 20 else None

def selected(note):
    """The balloon's selection, as a braille display reads it: (start, text), None if none."""
    t = note.queryText()
    if t.getNSelections() == 0:
        return None
    begin, end = t.getSelection(0)
    # As the mark is cleared the bus may still answer with an empty selection: nothing marked.
    return (begin, t.getText(begin, end)) if end > begin else None

def balloon_window(app, main):
    """A probe: the balloon's X window and where the X server has it."""
    if INSIDE:
        return lambda: ((main, extents(balloon(app))), "")

    def probe():
        figure = xdotool("search", "--all", "--onlyvisible", "--pid", str(app.get_process_id()),
                         "--name", "^Merlin$")
        others = [w for w in xdotool("search", "--onlyvisible", "--pid", str(app.get_process_id()))
                  if w != main and w not in figure]
        return len(others) == 1 and (others[0], geometry(others[0])), others
    return probe

def read_along(app, main, shots):
    """Watches the mark on the screen while the greeting is heard, each new place of it, until it
    has been gone for half a second; meanwhile the balloon on the bus shows no selection and no
    caret away from its start, which a screen reader would read as a stream of words over the
    voice. Returns the mark's places and whatever the bus showed of it."""
    note = balloon(app)
    win, area = poll("the balloon on the screen", balloon_window(app, main))
    told = extents(note)
    if told != area:  # seen now and then under openbox: Qt's idea of the balloon is (0, 0)
        print(f"  note: the bus has the balloon at {told}, the X server at {area}")
    marks, seen_at, done = [], [time.monotonic()], threading.Event()
    watchable = SCREEN or not NATIVE  # mutter headless shows nothing

    def watch_screen():
        last = None
        while watchable and not done.is_set():
            image = screenshot(area, win)
            box = mark_box(image)
            # Taken twice alike: a screenshot may catch the compositor between two frames.
            if box and box == last and (not marks or box != marks[-1][0]):
                marks.append((box, image))
            if box:
                seen_at[0] = time.monotonic()
            last = box

    watcher = threading.Thread(target=watch_screen)
    watcher.start()
    exposed, begun = [], time.monotonic()
    try:
        while time.monotonic() - begun < 20:
            while GLib.MainContext.default().iteration(False):
                pass
            word, caret = selected(note), note.queryText().caretOffset
            if word or caret > 0:
                exposed.append((word, caret))
            if watchable and marks and time.monotonic() - seen_at[0] > 0.5:
                break
            if not watchable and time.monotonic() - begun > 8:  # the greeting heard through
                break
            time.sleep(0.005)
    finally:
        done.set()
        watcher.join()
    for i, (_, image) in enumerate(marks if shots else []):
        save_png(image, os.path.join(shots, f"greeting-{i:02}.png"))
    return [box for box, _ in marks], exposed

events = []  # (role, new name) of every name change announced, in order
names = {}  # the name each object was last given, by its path, as far as the events have told

def on_name_change(event):
    try:
        name = event.any_data if isinstance(event.any_data, str) else event.source.name
        names[event.source.path] = name
        events.append((event.source.getRole(), name))
    except GLib.Error:
        pass

def announced(role=pyatspi.ROLE_NOTIFICATION):
    return [name for r, name in events if r == role]

showings = []  # ("balloon" or "notice", name) of every notification shown, as a screen reader is told

def on_showing(event):
    try:
        if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            # Named as it was when it showed: events are read some time after they come (none
            # while the test reads the window), and by then the balloon may say the next words.
            showings.append(("balloon" if is_balloon(event.source) else "notice",
                             names.get(event.source.path, event.source.name)))
    except GLib.Error:
        pass

def shown(kind):
    return [name for k, name in showings if k == kind]

def digit_by_digit(numeral):
    return " ".join(numeral)

def geometry(win):
    """The window's client area on the screen: x, y, width, height. From xwininfo: xdotool adds
    the client's offset in its frame once more, which under mutter includes the invisible borders
    it gives a resizable window."""
    info = subprocess.run(["xwininfo", "-id", win], capture_output=True, text=True,
                          timeout=10).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                          "Width", "Height"))

def overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]

def viewable(win):
    info = subprocess.run(["xwininfo", "-id", win], capture_output=True, text=True).stdout
    return "IsViewable" in info

def apart(pid, main, when):
    """Under a window manager: none of the game's other windows is over its client area."""
    for win in xdotool("search", "--onlyvisible", "--pid", str(pid)):
        if win != main:
            check(not overlap(geometry(win), geometry(main)),
                  f"{when}: {xdotool('getwindowname', win)} at {geometry(win)}, over the game at "
                  f"{geometry(main)}")

COLUMNS = ("Sedicine", "Ottine", "Quartine", "Duine", "Unità")

def clear_of_what_is_read(pid, main, frame, when):
    """Merlin drawn inside the game window: no window of his own, and neither his figure nor his
    balloon on any element of the game."""
    if NATIVE:
        tops = [w.name for w in kids(APP[0]) if w.getState().contains(SHOWING)]
        check(tops == ["Perlobin"], f"{when}: windows of the game besides its own: {tops}")
    else:
        check(xdotool("search", "--onlyvisible", "--pid", str(pid)) == [main],
              f"{when}: windows of the game besides its own: "
              f"{xdotool('search', '--onlyvisible', '--pid', str(pid))}")
    read = elements(frame)
    check(len([o for o in read if o.name.split(":")[0] in COLUMNS]) == 5,
          f"{when}: the column titles")
    for merlin in (find(frame, None, "Merlin"), find(frame, pyatspi.ROLE_NOTIFICATION)):
        if merlin:
            for o in read:
                check(not overlap(extents(merlin), extents(o)), f"{when}: {merlin.name[:20]!r} "
                      f"at {extents(merlin)} over {o.getRoleName()} {o.name!r} at {extents(o)}")

def no_trails(app, frame):
    """Natively on Wayland: Merlin at rest shows as he does once the whole window is drawn anew
    (full screen and back), so no earlier frame of his is left on the screen."""
    poll("the balloon gone", lambda: (not balloon(app), "still there"))
    area = extents(find(frame, None, "Merlin"))

    def at_rest():  # the look he has most, between blinks
        shots = []
        for _ in range(12):
            shots.append(screenshot(area, None).tobytes())
            time.sleep(0.1)
        return max(shots, key=shots.count)
    before, size = at_rest(), extents(frame)[2:]
    keys("^Perlobin$", "F11")
    poll("the game full screen", lambda: (extents(frame)[2] > size[0], extents(frame)))
    keys("^Perlobin$", "F11")
    poll("the game back at its size", lambda: (extents(frame)[2:] == size, extents(frame)))
    find_on_screen(frame)
    poll("Merlin as he was, drawn anew", lambda: (screenshot(area, None).tobytes() == before,
                                                  "not alike"), timeout=5)

def belongs_to_the_game(pid, main):
    """Under a window manager: Merlin's figure and balloon are the game's own windows, off the
    game's client area, and they move, leave and come back with it."""
    figure = poll("Merlin's figure on screen", lambda: window("^Merlin$"))
    balloons = [w for w in xdotool("search", "--onlyvisible", "--pid", str(pid))
                if w not in (main, figure)]
    check(len(balloons) == 1, f"the balloon among the game's windows: {balloons}")
    for win in (figure, balloons[0]):
        props = subprocess.run(["xprop", "-id", win, "WM_TRANSIENT_FOR", "_NET_WM_STATE"],
                               capture_output=True, text=True).stdout
        check(f"window id # {hex(int(main))}" in props, f"not transient for the game: {props}")
        check("SKIP_TASKBAR" in props and "SKIP_PAGER" in props, f"in a taskbar: {props}")
        check("DEMANDS_ATTENTION" not in props, f"demands attention: {props}")
    apart(pid, main, "at the correction")
    game, place = geometry(main), geometry(figure)
    xdotool("windowmove", main, str(game[0] + 60), str(game[1] + 40))
    moved = poll("the game moved", lambda: (geometry(main)[:2] != game[:2] and geometry(main),
                                            geometry(main)))
    shift = (moved[0] - game[0], moved[1] - game[1])
    poll("Merlin moved with it", lambda: (
        geometry(figure)[:2] == (place[0] + shift[0], place[1] + shift[1]), geometry(figure)))
    apart(pid, main, "with the game moved")
    xdotool("windowminimize", main)
    poll("Merlin gone with the minimised game", lambda: (not viewable(figure), figure))
    xdotool("windowactivate", main)
    poll("Merlin back with the game", lambda: (viewable(figure), figure))

def play(pid, path, start):
    PID.append(pid)
    # A screen reader learns of each new balloon from this event, without moving the focus.
    pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    silence = levels(path, 0, start)
    print(f"  silence before the game: {len(silence) / 10:.1f} s, loudest RMS {max(silence):.0f}")
    check(max(silence) <= LOUD, "the null sink is loud before the game has started")

    print("1. the game starts, Merlin beside it")
    if NATIVE and not SCREEN:
        KEYBOARD.append(RemoteKeyboard())
    elif not NATIVE:
        main = poll("a visible window Perlobin", lambda: window("^Perlobin$"))
    app = poll("the game on the accessibility bus", lambda: (next(
        (a for a in kids(pyatspi.Registry.getDesktop(0)) if a.get_process_id() == pid), None), pid))
    app.set_cache_mask(Atspi.Cache.NONE)  # every read asks the game itself
    APP.append(app)
    if NATIVE:
        main = poll("a visible window Perlobin", lambda: window("^Perlobin$"))
    frame = poll("the frame Perlobin", top(app, pyatspi.ROLE_FRAME, "Perlobin"))
    if NATIVE and SCREEN:
        xdotool("mousemove", "1279", "1023", display=SCREEN)  # the pointer off the game
    if INSIDE:
        poll("Merlin in the game window", lambda: (find(frame, None, "Merlin"), "not there"))
    else:
        poll("Merlin's window", top(app, None, "Merlin"))

    print("   the window reads as a screen reader needs it")
    boxes = [o for o in tree(frame)
             if o.getRole() == pyatspi.ROLE_TEXT and o.getState().contains(SHOWING)]
    named = {o.name: o for o in boxes}
    check(set(named) == {"La tua risposta", "Numero in base 2"}, f"the text boxes: {list(named)}")
    answer, numeral_box = named["La tua risposta"], named["Numero in base 2"]
    check(answer.description == "Scrivi il numero e poi premi  il tasto Return (Invio)",
          f"the answer box is described as {answer.description!r}")
    check(scores(frame) == NONE_YET, f"the counts with their legends: {scores(frame)}")
    unnamed = [o.getRoleName() for o in tree(frame)
               if o.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU)
               and not o.name.strip()]
    check(not unnamed, f"without a name: {unnamed}")
    buttons = {o.name for o in tree(frame) if o.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    check({"Nuovo calcolo", "Exit"} <= buttons, f"the buttons: {buttons}")

    print("2. Merlin greets: heard, and in the balloon, word by word")
    poll("the greeting in the balloon", says(app, lambda t: t == GREETING))
    shots = os.environ.get("PERLOBIN_SHOTS")
    if shots:
        os.makedirs(shots, exist_ok=True)
    if NATIVE and SCREEN:
        find_on_screen(frame)
    boxes, exposed = read_along(app, main, shots)
    print(f"  the mark seen at {len(boxes)} places")
    check(not exposed, f"the read-along shown to a screen reader: {exposed[:5]}")
    # Line by line, left to right: (top, left) grows with every new place of the mark.
    check([b[:2] for b in boxes] == sorted(set(b[:2] for b in boxes)),
          f"the mark on the screen went back or stood still: {boxes}")
    # A loaded machine takes few screenshots in the 6 s of the greeting, of its 20 words.
    check((NATIVE and not SCREEN) or 4 <= len(boxes) <= 20,
          f"the mark on the screen at {len(boxes)} places: {boxes}")
    if INSIDE:
        clear_of_what_is_read(pid, main, frame, "at the greeting")
    elif WM:
        apart(pid, main, "at the greeting")
    poll("the greeting announced", lambda: (GREETING in announced(), announced()))
    numeral = text(numeral_box)
    check(re.fullmatch("[01]+", numeral), f"the number in base 2 reads {numeral!r}")
    # The abacus explored: each column's title says whether its bead is there; each 2 its power.
    columns = sorted(o.name for o in tree(frame) if o.name.split(":")[0] in COLUMNS)
    beads = sorted(f"{title}: {'pallina' if bit == '1' else 'nessuna pallina'}"
                   for title, bit in zip(COLUMNS, numeral.zfill(5)))
    check(columns == beads, f"the columns of {numeral} read {columns}")
    powers = sorted(o.name for o in tree(frame) if o.name.startswith("2 alla "))
    check(powers == [f"2 alla {k}" for k in range(5)], f"the powers read {powers}")
    poll("the number announced digit by digit after the greeting",
         lambda: (showings[-2:] == [("balloon", GREETING), ("notice", digit_by_digit(numeral))],
                  showings[-3:]))
    heard("greeting", path, start, max(start + 8 * SECOND, size(path) + 4 * SECOND), 1.5)
    # Once the greeting is over, what is heard is new.
    poll("1 s of silence after it", lambda: (
        max(levels(path, size(path) - SECOND, size(path))) <= LOUD, "still loud"))
    if NATIVE and SCREEN:
        print("   no trail of Merlin on the screen")
        no_trails(app, frame)

    print("3. a wrong answer brings the correction")
    keys("^Perlobin$")
    poll("the focus in the answer box", focus_in(answer))
    keys("^Perlobin$", "0")
    poll("0 in the answer box", lambda: (text(answer) == "0", text(answer)))
    entered = size(path)
    keys("^Perlobin$", "Return")
    wrong = f"Sbagliato!! {numeral} in base 2 è uguale a {int(numeral, 2)}"
    verdict = poll("the verdict", lambda: (find(frame, pyatspi.ROLE_LABEL, re.escape(wrong)),
                                           [o.name for o in tree(frame) if o.name]))
    check(scores(frame) == ONE_WRONG, f"scores after a wrong answer: {scores(frame)}")
    poll("the verdict announced", lambda: (wrong in announced(pyatspi.ROLE_LABEL),
                                           announced(pyatspi.ROLE_LABEL)[-3:]))
    poll("the correction in the balloon", says(app, lambda t: t == LEAD))
    if INSIDE:
        print(f"   under {WM}: Merlin stands inside the game, clear of what is read")
        clear_of_what_is_read(pid, main, frame, "at the correction")
    elif WM:
        print(f"   under {WM}: Merlin belongs to the game")
        belongs_to_the_game(pid, main)
    # From the events: the balloon may have said them and gone while the test read the window.
    words = poll("the number in words announced after the lead", lambda: (
        announced()[-2:-1] == [LEAD] and announced()[-1], announced()[-3:]))
    poll("the verdict and the counts announced after the correction, once each", lambda: (
        showings[-4:] == [("balloon", LEAD), ("balloon", words),
                          ("notice", wrong.replace(numeral, digit_by_digit(numeral))),
                          ("notice", "Risposte esatte: 0. Risposte errate: 1. "
                                     "Risposte totali: 1.")], showings[-5:]))
    check(shown("balloon").count(GREETING) == 1, f"the greeting shown {shown('balloon')}")
    print(f"  {numeral} is said as {words!r}")
    check(re.fullmatch("[a-zàèéìòù]+", words), f"the number in words is {words!r}")
    check(words == italian(int(numeral, 2)), f"{numeral} is {italian(int(numeral, 2))}")
    heard("correction", path, entered, size(path) + 2 * SECOND, 1.0)

    print("4. Enter deals the next number")
    next_button = find(frame, pyatspi.ROLE_PUSH_BUTTON, "Nuovo calcolo")
    poll("the focus on Nuovo calcolo", focus_in(next_button))
    keys("^Perlobin$", "Return")
    poll("an empty verdict", lambda: (verdict.name == "", verdict.name))
    poll("the focus back in the answer box", focus_in(answer))
    numeral = text(numeral_box)
    poll("the next number announced", lambda: (
        shown("notice")[-1:] == [digit_by_digit(numeral)], showings[-3:]))
    check(scores(frame) == ONE_WRONG, f"scores at the next number: {scores(frame)}")
    keys("^Perlobin$", "1", "0")
    poll("10 in the answer box", lambda: (text(answer) == "10", text(answer)))

    print("5. nuovo then No keeps the game; nuovo then Sì starts a new one where it stood")
    place = None if INSIDE else geometry(main)  # Weston's window manager places windows itself
    for choice in ("No", "Sì"):
        find(frame, pyatspi.ROLE_MENU_ITEM, "nuovo").queryAction().doAction(0)  # its only action
        box = poll("the question", top(app, pyatspi.ROLE_ALERT, "INIZIARE NUOVA GARA"))
        check(find(box, pyatspi.ROLE_LABEL, r"INIZIAMO UNA NUOVA GARA  \?"),
              f"the question reads {[o.name for o in tree(box)]}")
        if choice == "No":
            keys("^INIZIARE NUOVA GARA$", "Return")  # No is the default button
        else:
            find(box, pyatspi.ROLE_PUSH_BUTTON, "Sì").queryAction().doAction(0)
        poll("the question gone", lambda: (not find(app, pyatspi.ROLE_ALERT, deep=False), "there"))
        if choice == "No":
            # Once kwin on Debian 13 listed no single game window for a moment after the
            # question closed: the same window is waited for, briefly, and never a new one.
            def kept():
                found, ids = window("^Perlobin$")
                return found == main, ids
            poll("the same game window after No", kept, timeout=5)
            check(scores(frame) == ONE_WRONG, f"scores after No: {scores(frame)}")
    def replaced(old=main):
        found = window("^Perlobin$")[0]
        return found not in (False, old) and found, old
    main = poll("a new window", replaced)
    if place:
        poll(f"the new window where the last stood, {place}",
             lambda: (geometry(main) == place, geometry(main)))
    frame = poll("the new frame", top(app, pyatspi.ROLE_FRAME, "Perlobin"))
    poll("a zero score", lambda: (scores(frame) == NONE_YET, scores(frame)))
    poll("the greeting again", says(app, lambda t: t == GREETING))

    print("6. Alt+X says goodbye, Enter ends the game")
    keys("^Perlobin$", "alt+x")
    box = poll("the farewell", top(app, pyatspi.ROLE_ALERT, "Data .+"))
    prompt = find(box, pyatspi.ROLE_LABEL, r"Ciao a presto\. Ore .+")
    check(prompt, f"the farewell reads {[o.name for o in tree(box)]}")
    print(f"  {box.name!r}: {prompt.name!r}")
    keys("^Data ", "Return")

ORCA_LOG = os.environ.get("PERLOBIN_E2E_ORCA_LOG")  # Orca's debug log: what it says

def spoken():
    """Each utterance of the screen reader so far, without the full stop it may add. Orca 43
    says a notification's role and text at once, Orca 48 one after the other: joined here."""
    with open(ORCA_LOG, encoding="utf-8", errors="replace") as f:
        said = [m[1].rstrip(".") for m in re.finditer(
            r"SPEECH OUTPUT: '(.*?)'(?: ?([[{].*[]}]|[^']*))?$", f.read(), re.MULTILINE)]
    joined = []
    for utterance in said:
        if joined and joined[-1] == "notifica":
            joined[-1] += " " + utterance
        else:
            joined.append(utterance)
    return joined

def notified(wanted):
    """An utterance: a notification that says wanted."""
    return lambda said: said == "notifica " + wanted.rstrip(".")

def hear(what, wanted, after, timeout=30):
    """The index of the first utterance after index `after` for which wanted(it) holds."""
    def probe():
        said = spoken()
        found = next((i for i in range(after + 1, len(said)) if wanted(said[i])), None)
        return found is not None and (found,), said[after + 1:][-4:]
    at = poll(f"{what} heard", probe, timeout)[0]
    print(f"   heard: {spoken()[at]!r}")
    return at

def deal(frame, numeral_box):
    """Enter after a verdict: the verdict goes, a number is dealt (the last one, maybe)."""
    keys("^Perlobin$", "Return")
    poll("the verdict gone", lambda: (not find(frame, pyatspi.ROLE_LABEL, "(Sbagliato|Esatto).*"),
                                      "still there"))
    return text(numeral_box)

def play_heard(pid):
    """One game heard through Orca, as a teacher who cannot see the screen follows it."""
    PID.append(pid)
    poll("a visible window Perlobin", lambda: window("^Perlobin$"))
    app = poll("the game on the accessibility bus", lambda: (next(
        (a for a in kids(pyatspi.Registry.getDesktop(0)) if a.get_process_id() == pid), None), pid))
    app.set_cache_mask(Atspi.Cache.NONE)
    frame = poll("the frame Perlobin", top(app, pyatspi.ROLE_FRAME, "Perlobin"))
    numeral_box = find(frame, pyatspi.ROLE_TEXT, "Numero in base 2")

    print("1. Merlin's greeting once and whole, then the number digit by digit")
    at = hear("the greeting", notified(GREETING), -1)
    numeral = text(numeral_box)
    at = hear(f"{numeral} digit by digit", notified(digit_by_digit(numeral)), at)

    print("2. a wrong answer: Merlin's correction, the verdict, the counts")
    keys("^Perlobin$")
    at = hear("the answer box", lambda said: said.startswith("La tua risposta"), at)
    keys("^Perlobin$", "0", "Return")
    value = int(numeral, 2)
    wrong = f"Sbagliato!! {digit_by_digit(numeral)} in base 2 è uguale a {value}"
    for what in (LEAD, italian(value), wrong,
                 "Risposte esatte: 0. Risposte errate: 1. Risposte totali: 1."):
        at = hear(what, notified(what), at)

    print("3. Enter: the next number digit by digit")
    numeral = deal(frame, numeral_box)
    at = hear(f"{numeral} digit by digit", notified(digit_by_digit(numeral)), at)

    print("4. a right answer: the verdict; at the next number, the counts")
    keys("^Perlobin$", *str(int(numeral, 2)), "Return")
    at = hear("the verdict", notified("Esatto, è incredibile!!!"), at)
    numeral = deal(frame, numeral_box)
    for what in ("Risposte esatte: 1. Risposte errate: 1. Risposte totali: 2.",
                 digit_by_digit(numeral)):
        hear(what, notified(what), at)
    at = len(spoken()) - 1

    print("5. Tab through the window: each element by its name, the number in base 2 whole")
    for name in ("Nuovo calcolo", "Numero in base 2", "Exit"):
        keys("^Perlobin$", "Tab")
        at = hear(name, lambda said: said.startswith(name), at)
        if name == "Numero in base 2":  # its value follows its name, all of its digits
            at = hear(numeral, lambda said: re.search(rf"(^|\D){numeral}(\D|$)", said), at - 1)

    print("6. the abacus explored line by line (Orca's flat review, up from the focus)")
    columns = " ".join(f"{title}: {'pallina' if bit == '1' else 'nessuna pallina'}"
                       for title, bit in zip(COLUMNS, numeral.zfill(5)))
    powers = " ".join(f"2 alla {k}" for k in range(4, -1, -1))
    keys("^Perlobin$", "KP_Up")  # the focus's line
    for _ in range(12):
        if any(columns in said for said in spoken()[at + 1:]):
            break
        heard_so_far = len(spoken())
        keys("^Perlobin$", "KP_Home")  # the line above
        poll("the line above read", lambda: (len(spoken()) > heard_so_far, spoken()[-2:]))
    lines = spoken()[at + 1:]
    check(any(columns in said for said in lines), f"the columns of {numeral}, {columns!r}, "
          f"not among the lines read: {lines}")
    check(any(powers in said for said in lines), f"the powers, {powers!r}, not among the lines "
          f"read: {lines}")
    print(f"   heard, among {len(lines)} lines: {columns!r}; {powers!r}")
    at = len(spoken()) - 1

    print("7. the restart question, answered No")
    find(frame, pyatspi.ROLE_MENU_ITEM, "nuovo").queryAction().doAction(0)
    at = hear("the question", lambda said: "INIZIAMO UNA NUOVA GARA" in said, at)
    keys("^INIZIARE NUOVA GARA$", "Return")
    poll("the question gone", lambda: (not find(app, pyatspi.ROLE_ALERT, deep=False), "there"))

    print("8. Alt+X: the farewell with the time and date")
    keys("^Perlobin$", "alt+x")
    at = hear("the farewell", lambda said: "Ciao a presto. Ore" in said, at)
    keys("^Data ", "Return")

    said = spoken()
    print(f"   {len(said)} utterances in all")
    check(not [s for s in said if "selezionato" in s], "a selection read out: "
          f"{[s for s in said if 'selezionato' in s][:5]}")
    greetings = said.count("notifica " + GREETING.rstrip("."))
    check(greetings == 1, f"the greeting read {greetings} times")
    told = [s for s in said if s.startswith("notifica ")]
    again = [a for a, b in zip(told, told[1:]) if a == b]
    check(not again, f"notifications read twice over: {again}")

SCREEN_SIZE = tuple(map(int, os.environ.get("PERLOBIN_E2E_SCREEN_SIZE", "1280x1024").split("x")))
PANEL = int(os.environ.get("PERLOBIN_E2E_PANEL", "0"))
TOUCH = os.environ.get("PERLOBIN_E2E_TOUCH")

def merlin_parts(app, frame):
    """Merlin's figure and, while he speaks, his balloon: beside the game or on its board."""
    figure = find(frame, None, "Merlin") or find(app, None, "Merlin", deep=False)
    return [o for o in (figure, balloon(app)) if o]

def elements(frame):
    """Every element of the game on the screen: the showing objects with no children, Merlin's
    own left out."""
    return [o for o in tree(frame) if o.childCount == 0 and o.getState().contains(SHOWING)
            and o.name != "Merlin" and o.getRole() != pyatspi.ROLE_NOTIFICATION
            and extents(o)[2] > 0 and extents(o)[3] > 0]

def clear_of_the_game(app, frame, when):
    """Merlin's figure and balloon on no element of the game, and inside the work area."""
    parts = merlin_parts(app, frame)
    check(len(parts) == 2, f"{when}: Merlin and his balloon: {[o.name[:20] for o in parts]}")
    area = (0, PANEL, SCREEN_SIZE[0], SCREEN_SIZE[1] - PANEL)
    shown = elements(frame)
    check(len(shown) >= 20, f"{when}: only {len(shown)} elements")
    for part in parts:
        x, y, w, h = extents(part)
        check(area[0] <= x and area[1] <= y and x + w <= area[0] + area[2]
              and y + h <= area[1] + area[3],
              f"{when}: {part.name[:20]!r} at {(x, y, w, h)}, outside the work area {area}")
        for o in shown:
            check(not overlap((x, y, w, h), extents(o)), f"{when}: {part.name[:20]!r} at "
                  f"{(x, y, w, h)} over {o.getRoleName()} {o.name!r} at {extents(o)}")
    return extents(parts[0])

def tap(at):
    """A finger on the screen at `at` and off it again, as a TUIO touch screen sends it."""
    import socket

    def osc(address, *args):
        def padded(b):
            return b + b"\0" * (4 - len(b) % 4)
        tags = "," + "".join("i" if isinstance(a, int) else "f" if isinstance(a, float) else "s"
                             for a in args)
        body = b"".join(struct.pack(">i", a) if isinstance(a, int) else
                        struct.pack(">f", a) if isinstance(a, float) else padded(a.encode())
                        for a in args)
        return padded(address.encode()) + padded(tags.encode()) + body

    def bundle(*messages):  # "immediately": time tag 1
        return b"#bundle\0" + struct.pack(">Q", 1) + b"".join(
            struct.pack(">i", len(m)) + m for m in messages)

    x, y = at[0] / SCREEN_SIZE[0], at[1] / SCREEN_SIZE[1]
    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    for frame, alive in ((1, [7]), (2, [7]), (3, [])):
        messages = [osc("/tuio/2Dcur", "source", "perlobin-e2e"),
                    osc("/tuio/2Dcur", "alive", *alive)]
        if alive:
            messages.append(osc("/tuio/2Dcur", "set", 7, x, y, 0.0, 0.0, 0.0))
        messages.append(osc("/tuio/2Dcur", "fseq", frame))
        sender.sendto(bundle(*messages), ("127.0.0.1", 3333))
        time.sleep(0.05)

def play_shape(pid):
    """The game in a shape of screen and window: full screen, maximised under a panel, at the
    screen's right edge, twice its size. While Merlin greets and while he corrects, neither he
    nor his balloon is on any element of the game or outside the work area; after full screen
    and back he stands exactly where he stood."""
    PID.append(pid)
    main = poll("a visible window Perlobin", lambda: window("^Perlobin$"))
    app = poll("the game on the accessibility bus", lambda: (next(
        (a for a in kids(pyatspi.Registry.getDesktop(0)) if a.get_process_id() == pid), None), pid))
    app.set_cache_mask(Atspi.Cache.NONE)
    APP.append(app)
    frame = poll("the frame Perlobin", top(app, pyatspi.ROLE_FRAME, "Perlobin"))
    poll("the greeting in the balloon", says(app, lambda t: t == GREETING))
    figure = poll("Merlin", lambda: (len(merlin_parts(app, frame)) == 2
                                     and extents(merlin_parts(app, frame)[0]), "not there"))
    print(f"1. {SHAPE} on a {SCREEN_SIZE[0]}x{SCREEN_SIZE[1]} screen"
          f"{f', a {PANEL}-px panel' if PANEL else ''}{', touch' if TOUCH else ''}")
    size = extents(frame)
    if PANEL:
        # Opened within the work area, frame and all.
        props = subprocess.run(["xprop", "-id", main, "_NET_FRAME_EXTENTS"],
                               capture_output=True, text=True).stdout
        left, right, top_, bottom = map(int, re.findall(r"\d+", props.split("=")[-1]))
        x, y, w, h = geometry(main)
        outer = (x - left, y - top_, w + left + right, h + top_ + bottom)
        print(f"   the window's frame at {outer}, its edges {(left, right, top_, bottom)}")
        check(outer[0] >= 0 and outer[1] >= PANEL and outer[0] + outer[2] <= SCREEN_SIZE[0]
              and outer[1] + outer[3] <= SCREEN_SIZE[1],
              f"the window's frame at {outer}, outside the work area below a {PANEL}-px panel")
    if SHAPE == "full screen":
        keys("^Perlobin$", "F11")
        poll("the game full screen", lambda: (extents(frame)[2:] == SCREEN_SIZE, extents(frame)))
    elif SHAPE == "maximised":
        keys("^Perlobin$", "super+Up")
        poll("the game maximised", lambda: (extents(frame)[2] >= SCREEN_SIZE[0] - 16,
                                            extents(frame)))
    elif SHAPE == "right edge":
        xdotool("windowmove", main, str(SCREEN_SIZE[0] - size[2] - 5), str(size[1]))
        poll("the game at the right edge", lambda: (
            extents(frame)[0] + extents(frame)[2] >= SCREEN_SIZE[0] - 10, extents(frame)))
    elif SHAPE == "twice":
        xdotool("windowsize", main, str(2 * size[2]), str(2 * size[3]))
        poll("the game twice its size", lambda: (extents(frame)[2] == 2 * size[2], extents(frame)))
    placed = poll("Merlin placed anew", lambda: (
        extents(merlin_parts(app, frame)[0]) != figure and extents(merlin_parts(app, frame)[0]),
        extents(merlin_parts(app, frame)[0])))
    print(f"   the game at {extents(frame)}, Merlin at {placed}")
    time.sleep(0.5)  # his glide, if any, over
    clear_of_the_game(app, frame, "at the greeting")

    print("2. a wrong answer: the correction, clear of the game")
    answer = find(frame, pyatspi.ROLE_TEXT, "La tua risposta")
    if TOUCH:
        key = poll("the keypad's 0", lambda: (find(frame, pyatspi.ROLE_PUSH_BUTTON, "0"),
                                              [o.name for o in elements(frame)][-14:]))
        x, y, w, h = extents(key)
        tap((x + w // 2, y + h // 2))
        poll("0 tapped into the answer box", lambda: (text(answer) == "0", text(answer)))
        keys("^Perlobin$", "Return")
    else:
        keys("^Perlobin$", "0", "Return")
    poll("the correction in the balloon", says(app, lambda t: t == LEAD))
    clear_of_the_game(app, frame, "at the correction")

    if SHAPE == "full screen":
        print("3. full screen and back, twice: Merlin where he stood, the keypad too once touched")
        def figure_at():
            return extents(merlin_parts(app, frame)[0])

        def settled():  # the same place twice, a glide's length apart
            before = figure_at()
            time.sleep(0.6)
            return figure_at() == before and before, before
        for turn in range(2):
            keys("^Perlobin$", "F11")
            poll("the game back at its size", lambda: (extents(frame) == size, extents(frame)))
            back = poll("Merlin at rest", settled)
            if turn == 0 and not TOUCH:
                check(back == figure, f"Merlin at {back}, where he stood at {figure}")
            elif turn == 1:
                check(back == stood, f"Merlin at {back}, where he stood at {stood}")
            stood = back
            if turn == 0:
                keys("^Perlobin$", "F11")
                poll("the game full screen", lambda: (extents(frame)[2:] == SCREEN_SIZE,
                                                      extents(frame)))

    keys("^Perlobin$", "alt+x")
    poll("the farewell", top(app, pyatspi.ROLE_ALERT, "Data .+"))
    keys("^Data ", "Return")

if __name__ == "__main__":
    if ORCA_LOG:
        play_heard(int(sys.argv[1]))
    elif SHAPE:
        play_shape(int(sys.argv[1]))
    else:
        play(int(sys.argv[1]), sys.argv[2], int(sys.argv[3]) & ~1)
