#!/usr/bin/python3
"""analyse.py -- the sync harness's arithmetic: when each cut was heard and seen, and the offsets.

Reads what one run left in a folder: the recorder's raw sound and capture times, the swap stamper's
frame times and picture signatures. Heard times come from matching the recording against the music
itself (or, for the calibration source, from its clicks). A cut is seen at the first swap from which
on the picture is nearer what was shown well after the cut was heard than what was shown well
before it. Offset = heard - seen, in ms: positive when the picture is early.

usage: analyse.py RUN_DIR MUSIC_RAW CUTS_MS [--clicks] [--resumed-at MS --resumed-after S] [--max-mean MS --max-cut MS]
With --resumed-at, the viewer jumped: the music was stopped about S seconds after it began and
started again from show time MS; only the music from there on is matched, and the cuts from MS on
are measured, MS itself included (the jump's first frame against the music's restart).
Prints a table and a summary line; with the bounds, exits 1 when they are not met.
"""
import argparse
import sys

import numpy as np

RATE = 44100  # frames per second, recording and music alike


def load_recording(run):
    raw = np.fromfile(f"{run}/rec.raw", dtype=np.int16).reshape(-1, 2).astype(np.float32).mean(axis=1)
    stamps = np.loadtxt(f"{run}/rec.times", ndmin=2)
    frames, times = stamps[:, 0], stamps[:, 1]
    # Each read's stamp jitters with scheduling by a few ms; averaged over half a second of reads it
    # follows the sink's clock (which may pause while the sink is idle, before the program plays).
    nominal = times[0] + (frames - frames[0]) / RATE
    kernel = np.ones(51) / 51
    smooth = nominal + np.convolve(np.pad(times - nominal, 25, mode="edge"), kernel, "valid")
    later = frames > frames[-1] / 2
    slope = np.polyfit(frames[later], times[later], 1)[0]
    return raw, lambda frame: np.interp(frame, frames, smooth), 1.0 / slope


def load_frames(run):
    rows = np.loadtxt(f"{run}/frames.txt", ndmin=2)
    return rows[:, 0], rows[:, 1:]


def best_lag(signal, excerpt, first, last):
    """Start of `excerpt` in `signal`, searched over start positions first..last (frames)."""
    first, last = max(0, first), min(len(signal) - len(excerpt), last)
    if last <= first:
        return None
    window = signal[first:last + len(excerpt)]
    n = 1 << int(np.ceil(np.log2(len(window) + len(excerpt))))
    corr = np.fft.irfft(np.fft.rfft(window, n) * np.conj(np.fft.rfft(excerpt, n)), n)[: last - first + 1]
    energy = np.convolve(window ** 2, np.ones(len(excerpt)), "valid")[: last - first + 1]
    score = corr / np.sqrt(np.maximum(energy, 1e-9))
    return first + int(np.argmax(score))


def music_heard(recording, to_time, music, resumed_ms=0, resumed_after=0.0):
    """Heard time (s) of each music frame we can find, as (music frame, system seconds) pairs; with
    resumed_ms, only those of the music started again from there about resumed_after s in."""
    loud = np.nonzero(np.abs(recording) > 64)[0]
    if not len(loud):
        sys.exit("analyse: the recording is silent")
    first_music = np.nonzero(np.abs(music) > 64)[0][0]
    guess = loud[0] - first_music  # recording frame of music frame 0, to within the search span
    half = RATE // 2
    first = RATE
    if resumed_ms:
        # The restart lies within a few seconds after the key: a second of the music from half a
        # second after its new start, searched for there.
        first = resumed_ms * RATE // 1000 + RATE
        excerpt = music[first - half: first + half]
        near = loud[0] + int(resumed_after * RATE)
        found = best_lag(recording, excerpt, near - RATE, near + 8 * RATE)
        if found is None:
            sys.exit("analyse: the music after the jump was not found")
        guess = found - (first - half)
        first += 2 * RATE
    points = []
    span_end = min(len(music), len(recording) - guess)
    for centre in range(first, span_end - RATE, 2 * RATE):
        excerpt = music[centre - half: centre + half]
        if np.abs(excerpt).max() < 256:
            continue
        found = best_lag(recording, excerpt, guess + centre - half - RATE // 5, guess + centre - half + RATE // 5)
        if found is not None:
            points.append((centre, to_time(found + half)))
            guess = found + half - centre
    return np.array(points)


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("run")
    parser.add_argument("music")
    parser.add_argument("cuts", help="comma-separated show times (ms) of the cuts")
    parser.add_argument("--clicks", action="store_true", help="the calibration source: clicks and flashes")
    parser.add_argument("--resumed-at", type=int, default=0, help="show time (ms) the music was started again from")
    parser.add_argument("--resumed-after", type=float, default=0.0, help="about when (s of music) it was stopped")
    parser.add_argument("--max-mean", type=float)
    parser.add_argument("--max-cut", type=float)
    args = parser.parse_args()

    recording, to_time, sink_rate = load_recording(args.run)
    frame_times, signatures = load_frames(args.run)
    cuts = [int(c) for c in args.cuts.split(",")]
    rows = []
    if args.clicks:
        for heard in click_heard(recording, to_time):
            shown, interval = seen_by_change(frame_times, signatures, heard, 0.3)
            if shown is not None:
                rows.append(("click", heard, shown, interval))
        drift_ms = float("nan")
    else:
        music = np.fromfile(args.music, dtype=np.int16).astype(np.float32)
        points = music_heard(recording, to_time, music, args.resumed_at, args.resumed_after)
        if len(points) < 2:
            sys.exit("analyse: the music was not found in the recording")
        slope, intercept = np.polyfit(points[:, 0] / RATE, points[:, 1], 1)
        residual = points[:, 1] - (intercept + slope * points[:, 0] / RATE)
        span = (points[-1, 0] - points[0, 0]) / RATE
        drift_ms = (slope - 1.0) * span * 1000.0
        for cut in cuts:
            heard = float(np.interp(cut / 1000.0 * RATE, points[:, 0], points[:, 1], left=np.nan, right=np.nan))
            if cut <= args.resumed_at:
                # The first match lies a second or more in; the line reaches back to the start.
                heard = intercept + slope * cut / 1000.0
            if np.isnan(heard):
                continue
            shown, interval = seen_by_neighbours(frame_times, signatures, heard)
            if shown is None:
                print(f"{cut / 1000:>6.0f} s: not seen clearly (picture between its neighbours)")
            else:
                rows.append((f"{cut / 1000:.0f} s", heard, shown, interval))

    print(f"{'cut':>8} {'heard s':>12} {'seen s':>12} {'offset ms':>10} {'frame ms':>9}")
    offsets = []
    for name, heard, shown, interval in rows:
        offset = (heard - shown) * 1000.0
        offsets.append(offset)
        print(f"{name:>8} {heard:12.3f} {shown:12.3f} {offset:10.1f} {interval * 1000:9.1f}")
    if not offsets:
        sys.exit("analyse: no cut found in both")
    offsets = np.array(offsets)
    print(f"cuts {len(offsets)}: mean {offsets.mean():+.1f} ms, sd {offsets.std():.1f} ms, "
          f"range {offsets.min():+.1f} .. {offsets.max():+.1f} ms")
    if not args.clicks and len(offsets) > 2:
        times = np.array([heard for _, heard, _, _ in rows])
        trend = np.polyfit(times - times[0], offsets, 1)[0] * (times[-1] - times[0])
        print(f"offsets drift by {trend:+.1f} ms over {times[-1] - times[0]:.0f} s (line through the cuts)")
    if not args.clicks:
        print(f"music against the system clock: {(slope - 1) * 1e6:+.0f} ppm over {span:.0f} s "
              f"({drift_ms:+.1f} ms), match residual sd {residual.std() * 1000:.1f} ms; "
              f"sink clock {(sink_rate / RATE - 1) * 1e6:+.0f} ppm")
    ok = True
    if args.max_mean is not None and abs(offsets.mean()) > args.max_mean:
        print(f"FAIL: mean offset beyond {args.max_mean} ms")
        ok = False
    if args.max_cut is not None and np.abs(offsets).max() > args.max_cut:
        print(f"FAIL: a cut beyond {args.max_cut} ms")
        ok = False
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
