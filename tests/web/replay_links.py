"""A replay link is input from anyone: each kind of bad link is refused with its own line on the
page, and no game starts. A good link, made the same way, plays.

usage: replay_links.py SITE_DIR SECONDS
"""

import base64
import zlib

import browser as b
import replay_support as r

GOOD = b"# a few inputs\n10 key z\n20 motion 300 240\n30 key space\n"
# Over 1 MiB once inflated, yet small as a link: the same line again and again.
OVERSIZED = b"1 key space\n" * (1024 * 1024 // 12 + 1)

NOT_BASE64URL = "This replay link is damaged: it is not base64url text."
NOT_DEFLATE = "This replay link is damaged: its recording is cut short or corrupt."
TOO_LARGE = "This replay link is too large: its recording is over 1 MiB."
NOT_TEXT = "This replay link does not hold a recording: it is not text."
CANNOT_START = "The game could not start: spintunnel: /replay-link.txt:"


def deflated(data):
    """Raw deflate, as the page's CompressionStream('deflate-raw') writes it."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def code(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def cut_to_no_whole_byte(text):
    """Cut to 4k + 1 characters: six bits over, which no base64 text ever has."""
    return text[:(len(text) // 4 - 1) * 4 + 1]


#        what                           fragment code                           the page's line
CASES = [("a character outside base64url", code(deflated(GOOD)) + ".",        NOT_BASE64URL),
         ("base64 padding",               code(deflated(GOOD)) + "==",       NOT_BASE64URL),
         ("a length no base64 has",       cut_to_no_whole_byte(code(deflated(GOOD))),
          NOT_BASE64URL),
         ("truncated deflate",            code(deflated(GOOD * 20)[:-8]),    NOT_DEFLATE),
         ("junk after the deflate",       code(deflated(GOOD) + b"junk"),    NOT_DEFLATE),
         ("empty",                        "",                                NOT_DEFLATE),
         ("too large once inflated",      code(deflated(OVERSIZED)),         TOO_LARGE),
         ("binary after inflating",       code(deflated(bytes(range(256)))), NOT_TEXT),
         ("a NUL in the text",            code(deflated(GOOD + b"\0\n")),    NOT_TEXT),
         ("not UTF-8",                    code(deflated(GOOD + b"\xff\n")),  NOT_TEXT),
         ("a malformed input line",       code(deflated(b"1 key z\n2 jump now\n")),
          CANNOT_START + "2: unknown event 'jump'"),
         ("a position no pointer reaches", code(deflated(b"1 key z\n5 motion 70000 0\n")),
          CANNOT_START + " the event at frame 5 (5 motion 70000 0) points further than 65536 "
          "pixels from the canvas")]


def test(site):
    b.check(len(deflated(OVERSIZED)) < 8192 and len(OVERSIZED) > 1024 * 1024,
            "the oversized case is not small deflated and large inflated")
    with b.session(site) as (driver, base):
        # A good link made the same way plays, so the refusals below are the links' own fault.
        r.open_fresh(driver, f"{base}index.html#replay={code(deflated(GOOD))}&frames=40")
        b.wait_for_state(driver, "stopped")
        b.check(b.game(driver, "recording()") == "# spintunnel input recording: FRAME EVENT, "
                "replay with spintunnel-capture\n10 key z\n20 motion 300 240\n30 key space\n",
                f"the good link recorded {b.game(driver, 'recording()')!r}")

        for number, (what, fragment, message) in enumerate(CASES):
            # A query of its own for each case: a new fragment alone is the same page.
            r.open_fresh(driver, f"{base}index.html?case={number}#replay={fragment}")
            b.wait_for_state(driver, "failed", 60)
            line = b.status_line(driver)
            b.check(line == message, f"{what}: the page says {line!r}, not {message!r}")
            b.check(b.game(driver, "loopFrames") == 0, f"{what}: a game ran")
            print(f"{what}: {line}")


b.run(test)
