#!/usr/bin/env python3
"""Sums up a relay trace of the saver (WINEDEBUG=+relay,+loaddll) as a line of events.

    trace.py TRACE ticks           the number of timer ticks drawn so far
    trace.py TRACE events TICKS    what the saver did up to the end of tick TICKS

Ticks are counted by the window drawing contexts that the saver takes: one for the
first erase of its window, then one per timer tick. The events, in order:

    read(SECTION,KEY,DEFAULT,FILE)=VALUE   a GetPrivateProfileIntA and its result
    bitmaps                                 one or more LoadBitmapA in a row
    timer(PERIOD)                           a SetTimer
    cue@TICK                                a PlaySoundA during that tick, with the
                                            saver's own sound resource 137, its own
                                            module and SND_RESOURCE|SND_ASYNC|SND_NOWAIT;
    cue@TICK(ARGUMENTS)                     the same with any other arguments
"""

import re
import sys

CALL = re.compile(r"^[0-9a-f]+:Call (\w+)\.(\w+)\((.*)\) ret=", re.IGNORECASE)
RETURN = re.compile(r"^[0-9a-f]+:Ret  (\w+)\.(\w+)\(\) retval=([0-9a-f]+)", re.IGNORECASE)
LOADED = re.compile(r'Loaded L".*\\\\VARNO\.scr" at ([0-9A-F]+)', re.IGNORECASE)
SOUND_FLAGS = 0x00042005  # SND_RESOURCE | SND_ASYNC | SND_NOWAIT


def arguments(text):
    """Relay arguments: quoted strings as text, the rest as numbers."""
    result = []
    for part in re.findall(r'[0-9a-f]+ "[^"]*"|[0-9a-f]+', text, re.IGNORECASE):
        result.append(part.split('"')[1] if '"' in part else int(part, 16))
    return result


def walk(path):
    """Yields (tick, event) in order; tick is the timer tick under way (0 before the first)."""
    module = None
    contexts = 0
    pending = None
    with open(path, errors="replace") as trace:
        for line in trace:
            loaded = LOADED.search(line)
            if loaded:
                module = int(loaded.group(1), 16)
                continue
            call = CALL.match(line)
            if call:
                function, values = call.group(2), arguments(call.group(3))
                if function == "GetDC":
                    contexts += 1
                elif function == "GetPrivateProfileIntA":
                    pending = "read(%s,%s,%d,%s)" % tuple(values)
                elif function == "LoadBitmapA":
                    yield max(contexts - 1, 0), "bitmaps"
                elif function == "SetTimer":
                    yield max(contexts - 1, 0), "timer(%d)" % values[2]
                elif function == "PlaySoundA":
                    tick = max(contexts - 1, 0)
                    if values == [137, module, SOUND_FLAGS]:
                        yield tick, "cue@%d" % tick
                    else:
                        yield tick, "cue@%d(%s)" % (tick, ",".join("%x" % v for v in values))
                continue
            returned = RETURN.match(line)
            if returned and pending and returned.group(2) == "GetPrivateProfileIntA":
                yield max(contexts - 1, 0), "%s=%d" % (pending, int(returned.group(3), 16))
                pending = None
    yield max(contexts - 1, 0), None


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "ticks":
        print(max(tick for tick, _ in walk(sys.argv[1])))
    elif len(sys.argv) == 4 and sys.argv[2] == "events":
        limit = int(sys.argv[3])
        events = []
        for tick, event in walk(sys.argv[1]):
            if event is None or tick > limit:
                break
            if not (event == "bitmaps" and events and events[-1] == "bitmaps"):
                events.append(event)
        print(" ".join(events))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main()
