#!/usr/bin/python3
"""analyse.py -- the sync harness's arithmetic: when each cut was heard and seen, and the offsets.

Reads what one run left in a folder: the recorders' raw sound and capture times (rec, then rec2...
when a fault made the harness record again), the swap stamper's frame times and picture signatures,
and the fault the harness brought on, if any (faults.txt). Heard times come from matching the
recordings against the music itself (or, for the calibration source, from its clicks): each second
of a recording is found in the music, and the stretches that play it straight on are the runs a cut
can be heard in; after a stall or a skip the music is searched for anew. A cut is seen at the first
swap from which on the picture is nearer what was shown well after the cut was heard than what was
shown well before it. Offset = heard - seen, in ms: positive when the picture is early. A cut that
cannot be found heard and seen is a failure, unless it fell within the fault itself.

usage: analyse.py RUN_DIR MUSIC_RAW CUTS_MS [--clicks] [--resumed-at MS] [--max-mean MS --max-cut MS --max-back S]
With --resumed-at, the viewer jumped: the music was started again from show time MS, and the stretch
that plays from there reaches back to MS itself (the jump's first frame against the music's restart).
Prints a table and a summary line; with the bounds, exits 1 when they are not met.
"""
import argparse
import glob
import os
import sys

import numpy as np

RATE = 44100  # frames per second, recording and music alike


def recording_names(run):
    """rec, rec2, rec3...: the recordings of one run in the order they began."""
    names = [os.path.basename(path)[:-4] for path in glob.glob(f"{run}/rec*.raw")]
    return sorted(names, key=lambda name: int(name[3:] or 1))


def settled(lag, window=100, tolerance=0.01):
    """One stretch's lags (s) with its start-up taken out. While the sink starts on the program's
    stream, the monitor's reads come later and later (by up to half a second, over a second or so)
    before they settle, and the music's first note falls in that start-up: the reads up to where the
    lag settles are given the lag it settles at. Found from the end: the last read that stands
    apart (by a median of five, against scheduling jitter) from the second of reads after it."""
    steady = np.array([np.median(lag[max(0, i - 2):i + 3]) for i in range(len(lag))])
    start = len(lag) - 1
    while start > 0 and abs(steady[start - 1] - np.median(steady[start - 1:start - 1 + window])) < tolerance:
        start -= 1
    lag = lag.copy()
    lag[:start] = np.median(steady[start:start + window])
    return lag


def load_recording(run, name="rec"):
    raw = np.fromfile(f"{run}/{name}.raw", dtype=np.int16).reshape(-1, 2).astype(np.float32).mean(axis=1)
    stamps = np.loadtxt(f"{run}/{name}.times", ndmin=2)
    frames, times = stamps[:, 0], stamps[:, 1]
    # Each read's stamp jitters with scheduling by a few ms; averaged over half a second of reads it
    # follows the sink's clock (which may pause while the sink is idle, before the program plays).
    # A suspended sink or a restarted server stops the recording for a while: the average is taken
    # within each stretch between such gaps, never across one.
    nominal = times[0] + (frames - frames[0]) / RATE
    lag = times - nominal
    breaks = [0] + list(np.nonzero(np.abs(np.diff(lag)) > 0.05)[0] + 1) + [len(lag)]
    kernel = np.ones(51) / 51
    smooth = np.concatenate([nominal[a:b] + np.convolve(np.pad(settled(lag[a:b]), 25, mode="edge"), kernel, "valid")
                             for a, b in zip(breaks[:-1], breaks[1:]) if b > a])
    later = frames > frames[-1] / 2
    slope = np.polyfit(frames[later], times[later], 1)[0]
    return raw, lambda frame: np.interp(frame, frames, smooth), 1.0 / slope


def load_frames(run):
    rows = np.loadtxt(f"{run}/frames.txt", ndmin=2)
    return rows[:, 0], rows[:, 1:]


def best_lag(signal, excerpt, first, last, with_score=False):
    """Start of `excerpt` in `signal`, searched over start positions first..last (frames); with
    with_score, also how alike they are there (1: the same sound)."""
    first, last = max(0, first), min(len(signal) - len(excerpt), last)
    if last <= first:
        return (None, 0.0) if with_score else None
    window = signal[first:last + len(excerpt)]
    n = 1 << int(np.ceil(np.log2(len(window) + len(excerpt))))
    corr = np.fft.irfft(np.fft.rfft(window, n) * np.conj(np.fft.rfft(excerpt, n)), n)[: last - first + 1]
    energy = np.cumsum(np.concatenate(([0.0], window.astype(np.float64) ** 2)))
    energy = (energy[len(excerpt):] - energy[:-len(excerpt)])[: last - first + 1]
    score = corr / np.sqrt(np.maximum(energy, 1e-9))
    best = int(np.argmax(score))
    if not with_score:
        return first + best
    return first + best, float(score[best] / np.sqrt(max(float(np.sum(excerpt.astype(np.float64) ** 2)), 1e-9)))


COARSE = 8  # a search through all the music runs on every COARSE-th frame's average first
PIECE = RATE // 2  # frames of recording looked for at once: short, as a loaded machine's underruns cut
                   # the music into stretches of a second or two


def coarse(signal):
    usable = len(signal) // COARSE * COARSE
    return signal[:usable].reshape(-1, COARSE).mean(axis=1)


def music_runs(recording, to_time, music):
    """Stretches of one recording that play the music straight on, as dicts: offset (music frame
    minus recording frame), first and last music frame found, to_time, and (music frame, heard s)
    points along it. Each half second of the recording, every quarter second, is looked for near where the one before was, and in all the music the
    recording could have reached when it is not there (the first, and after a stall or a skip):
    coarsely, then closely around the best place."""
    reach = min(len(music), len(recording) + 60 * RATE)
    coarse_music = coarse(music[:reach])
    runs, offset = [], None
    for start in range(0, len(recording) - PIECE, PIECE // 2):
        piece = recording[start:start + PIECE]
        if np.abs(piece).max() < 256:
            continue
        found, score = (None, 0.0)
        if offset is not None:
            found, score = best_lag(music, piece, start + offset - RATE // 5, start + offset + RATE // 5, True)
        if found is None or score < 0.9:
            rough = best_lag(coarse_music, coarse(piece), 0, len(coarse_music))
            if rough is not None:
                found, score = best_lag(music, piece, rough * COARSE - RATE // 50, rough * COARSE + RATE // 50, True)
        if found is None or score < 0.9:
            continue
        offset = found - start
        point = (found + PIECE // 2, float(to_time(start + PIECE // 2)))
        if runs and abs(runs[-1]["offset"] - offset) <= RATE // 1000:
            runs[-1]["last"] = found
            runs[-1]["points"].append(point)
        else:
            runs.append({"offset": offset, "first": found, "last": found, "to_time": to_time, "points": [point]})
    return runs


def heard_in(run, frame):
    """System time (s) at which music frame `frame` was heard in this run, or None outside it."""
    if not run.get("reach_back", run["first"] - PIECE // 2) <= frame <= run["last"] + PIECE:
        return None
    return float(run["to_time"](frame - run["offset"]))


def heard_between(runs, frame):
    """The same for a frame in a quiet stretch that no piece could be found in, between two runs of
    one recording that play on within 10 ms of each other: interpolated between them."""
    for before, after in zip(runs, runs[1:]):
        if (before["to_time"] is after["to_time"] and before["last"] < frame < after["first"] and
                abs(before["offset"] - after["offset"]) <= RATE // 100):
            end, start = heard_in(before, before["last"] + PIECE), heard_in(after, after["first"])
            share = (frame - before["last"] - PIECE) / max(1, after["first"] - before["last"] - PIECE)
            return end + min(max(share, 0.0), 1.0) * (start - end)
    return None


def click_heard(recording, to_time):
    """Heard times (s) of the calibration clicks: each onset after a stretch of silence."""
    loud = np.abs(recording) > 2000
    onsets, quiet_until = [], -1
    for frame in np.nonzero(loud)[0]:
        if frame > quiet_until:
            onsets.append(to_time(frame))
        quiet_until = frame + RATE // 4
    return np.array(onsets)


def seen_by_change(frame_times, signatures, around, reach):
    """System time of the swap, within `reach` s of `around`, at which the picture changes most."""
    change = np.abs(np.diff(signatures, axis=0)).mean(axis=1)
    candidates = np.nonzero(np.abs(frame_times[1:] - around) <= reach)[0]
    if not len(candidates):
        return None, None
    best = candidates[np.argmax(change[candidates])]
    return frame_times[best + 1], frame_times[best + 1] - frame_times[best]


def seen_by_neighbours(frame_times, signatures, around, apart=0.8, reach=0.7, span=0.2):
    """System time of the first swap near `around` from which on the picture is more like what was
    shown `apart` s after `around` than what was shown `apart` s before it. Each of those is the
    average of the frames within `span` s: a scene that flickers makes any single frame of it a poor
    reference, and one of its frames could then pass for the next scene."""
    def shown(at):
        near = np.abs(frame_times - at) <= span
        if not near.any():
            near = np.arange(len(frame_times)) == min(len(frame_times) - 1, np.searchsorted(frame_times, at))
        return signatures[near].mean(axis=0)

    before, after = shown(around - apart), shown(around + apart)
    window = np.nonzero(np.abs(frame_times - around) <= reach)[0]
    if len(window) < 2:
        return None, None
    later = np.abs(signatures[window] - after).mean(axis=1) < np.abs(signatures[window] - before).mean(axis=1)
    for k in range(1, len(window)):
        if later[k:].all() and not later[k - 1]:
            i = window[k]
            return frame_times[i], frame_times[i] - frame_times[i - 1]
    return None, None


def load_fault(run):
    """(kind, began s, ended s) of the fault the harness brought on, or None."""
    path = f"{run}/faults.txt"
    if not os.path.exists(path):
        return None
    fields = open(path).read().split()
    return fields[0], float(fields[1]), float(fields[2])


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("run")
    parser.add_argument("music")
    parser.add_argument("cuts", help="comma-separated show times (ms) of the cuts")
    parser.add_argument("--clicks", action="store_true", help="the calibration source: clicks and flashes")
    parser.add_argument("--resumed-at", type=int, default=0, help="show time (ms) the music was started again from")
    parser.add_argument("--max-mean", type=float)
    parser.add_argument("--max-cut", type=float)
    parser.add_argument("--max-back", type=float, help="s after the fault ended from which every cut is in step")
    return parser.parse_args()


def load_runs(run_dir, music, resumed_at):
    """The stretches of music heard in all of a run's recordings, in the order heard; the end of
    the recording (s) and the first sink's rate."""
    runs, recorded_until, sink_rate = [], 0.0, RATE
    for name in recording_names(run_dir):
        recording, to_time, rate = load_recording(run_dir, name)
        if name == "rec":
            sink_rate = rate
        runs += music_runs(recording, to_time, music)
        recorded_until = max(recorded_until, float(to_time(len(recording) - 1)))
    if not runs:
        sys.exit("analyse: the music was not found in the recording")
    runs.sort(key=lambda run: run["points"][0][1])
    # The music opens quietly and its first piece is found a little way in: the stretch that
    # starts earliest in the music reaches back to its start. (Not the first heard: the opening's
    # bars repeat, and a lone piece of them can be found a few seconds on in the music.)
    min(runs, key=lambda run: run["first"])["reach_back"] = 0
    if resumed_at:
        # Likewise the stretch that the jump started, found a little after its first note.
        resumed = resumed_at * RATE // 1000
        for run in runs:
            if resumed <= run["first"] < resumed + RATE:
                run["reach_back"] = resumed
                break
    return runs, recorded_until, sink_rate


def find_cut(cut, runs, frame_times, signatures, fault, recorded_until):
    """(row, why): the cut's row (name, heard s, seen s, frame interval s), or None and why not:
    "past" the end of the run, "fault" (it fell within the fault) or "missing"."""
    frame = cut / 1000.0 * RATE
    best, heard_any = None, False
    for heard in [heard_in(run, frame) for run in runs] + [heard_between(runs, frame)]:
        if heard is None:
            continue
        heard_any = True
        shown, interval = seen_by_neighbours(frame_times, signatures, heard)
        if shown is not None and (best is None or abs(heard - shown) < abs(best[1] - best[2])):
            best = (f"{cut / 1000:.0f} s", heard, shown, interval)
    if best is not None:
        return best, None
    # When it would have been heard on the time line the music kept before the fault (or before
    # the cut, without one).
    before = [run for run in runs if run["first"] <= frame and
              (not fault or run["points"][0][1] < fault[1])] or runs[:1]
    last_frame, last_heard = before[-1]["points"][-1]
    expected = last_heard + (frame - last_frame) / RATE
    if expected > recorded_until - 1.0:
        return None, "past"
    if fault and fault[1] - 0.5 <= expected <= fault[2] + 1.0:
        print(f"{cut / 1000:>6.0f} s: within the fault, neither heard nor to be")
        return None, "fault"
    print(f"{cut / 1000:>6.0f} s: NOT FOUND (heard {'but not seen' if heard_any else 'never'})")
    return None, "missing"


def print_table(rows, fault):
    """Prints a row per cut and their summary; returns the offsets (ms)."""
    print(f"{'cut':>8} {'heard s':>12} {'seen s':>12} {'offset ms':>10} {'frame ms':>9}" +
          (f" {'after fault s':>14}" if fault else ""))
    offsets = []
    for name, heard, shown, interval in rows:
        offset = (heard - shown) * 1000.0
        offsets.append(offset)
        after = f" {heard - fault[2]:+14.2f}" if fault and heard > fault[1] else ""
        print(f"{name:>8} {heard:12.3f} {shown:12.3f} {offset:10.1f} {interval * 1000:9.1f}{after}")
    if not offsets:
        sys.exit("analyse: no cut found in both")
    offsets = np.array(offsets)
    print(f"cuts {len(offsets)}: mean {offsets.mean():+.1f} ms, sd {offsets.std():.1f} ms, "
          f"range {offsets.min():+.1f} .. {offsets.max():+.1f} ms")
    return offsets


def report_fault(fault, runs, rows, offsets):
    """Prints the fault and where the music came back; returns how long after the fault ended (s)
    the picture was back in step: from the first cut after it from which on every cut is within its
    frame interval + 15 ms. None when never."""
    kind, began, ended = fault
    print(f"fault: {kind} from {began:.3f} to {ended:.3f} s ({ended - began:.2f} s)")
    for run in runs:
        heard = run["points"][0][1] - run["points"][0][0] / RATE + run["first"] / RATE
        if heard > began:
            print(f"  music from {run['first'] / RATE:7.2f} s heard {heard - ended:+7.2f} s after the fault ended, "
                  f"on for {(run['last'] - run['first'] + PIECE) / RATE:.1f} s")
    after = [(heard, abs(offset) <= interval * 1000 + 15.0)
             for (_, heard, _, interval), offset in zip(rows, offsets) if heard > began]
    for i, (heard, _) in enumerate(after):
        if all(good for _, good in after[i:]):
            print(f"back within a frame + 15 ms by the cut {heard - ended:.2f} s after the fault ended")
            return heard - ended
    print("not back within a frame + 15 ms at any cut after the fault")
    return None


def within_bounds(args, rows, offsets, fault, back):
    """Whether the offsets meet the bounds asked for; prints each that they do not."""
    ok = True
    # With a bound on getting back, the cuts from the fault until then are judged by it alone: just
    # after a stall the picture is ahead until the music has caught up.
    judged = offsets
    if args.max_back is not None and fault:
        judged = np.array([offset for (_, heard, _, _), offset in zip(rows, offsets)
                           if not fault[1] <= heard < fault[2] + args.max_back])
        if not len(judged):
            judged = offsets
    if args.max_mean is not None and abs(judged.mean()) > args.max_mean:
        print(f"FAIL: mean offset beyond {args.max_mean} ms")
        ok = False
    if args.max_cut is not None and np.abs(judged).max() > args.max_cut:
        print(f"FAIL: a cut beyond {args.max_cut} ms")
        ok = False
    if args.max_back is not None and fault and (back is None or back > args.max_back):
        print(f"FAIL: not back in step by {args.max_back} s after the fault")
        ok = False
    return ok


def main():
    args = parse_args()
    frame_times, signatures = load_frames(args.run)
    fault = load_fault(args.run)
    rows, missing = [], []
    if args.clicks:
        recording, to_time, sink_rate = load_recording(args.run)
        for heard in click_heard(recording, to_time):
            shown, interval = seen_by_change(frame_times, signatures, heard, 0.3)
            if shown is not None:
                rows.append(("click", heard, shown, interval))
    else:
        music = np.fromfile(args.music, dtype=np.int16).astype(np.float32)
        runs, recorded_until, sink_rate = load_runs(args.run, music, args.resumed_at)
        for cut in (int(c) for c in args.cuts.split(",")):
            row, why = find_cut(cut, runs, frame_times, signatures, fault, recorded_until)
            if row:
                rows.append(row)
            elif why == "missing":
                missing.append(cut)

    offsets = print_table(rows, fault)
    if not args.clicks:
        if len(offsets) > 2 and not fault:
            times = np.array([heard for _, heard, _, _ in rows])
            trend = np.polyfit(times - times[0], offsets, 1)[0] * (times[-1] - times[0])
            print(f"offsets drift by {trend:+.1f} ms over {times[-1] - times[0]:.0f} s (line through the cuts)")
        longest = max(runs, key=lambda run: run["last"] - run["first"])
        points = np.array(longest["points"])
        slope = np.polyfit(points[:, 0] / RATE, points[:, 1], 1)[0] if len(points) > 2 else 1.0
        length = (longest["last"] - longest["first"]) / RATE
        print(f"music against the system clock: {(slope - 1) * 1e6:+.0f} ppm over {length:.0f} s "
              f"({(slope - 1) * length * 1000:+.1f} ms); sink clock {(sink_rate / RATE - 1) * 1e6:+.0f} ppm")
    if missing:
        print(f"FAIL: {len(missing)} cut(s) not found")
    back = report_fault(fault, runs, rows, offsets) if fault and not args.clicks else None
    ok = within_bounds(args, rows, offsets, fault, back) and not missing
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
