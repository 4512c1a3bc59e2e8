#!/usr/bin/env python3
"""The four figures of a repaired track, computed independently of the program: from the points of its
out.gpx, each leg's great-circle distance by the haversine formula in Python's math library, and with
50-digit arithmetic (mpmath) wherever the leg's speed lies so near a rounding boundary that the last bit
could decide it; the one-decimal rounding done in exact decimals.

Usage: four_figures.py OUT.gpx   prints {"tempo_tot": s, "dist_tot": m, "tempo_parz": s, "dist_parz": m}
"""
import json
import math
import re
import sys
from decimal import Decimal, ROUND_DOWN, ROUND_HALF_EVEN

try:
    import mpmath
except ImportError:  # the boundary legs then use doubles too; the caller may skip
    mpmath = None

DEGREES_PER_RADIAN = "57.29577951"
RADIUS_KM = "6378.7"
FACTOR = "1800.1"
JUMP = 0.023
PLANING = Decimal(18)

POINT = re.compile(r"<trkpt\b([^>]*?)(?:/>|>(.*?)</trkpt>)", re.S)
ATTRIBUTE = r"\b{}=([\"'])([^\"']*)\1"
TIME = re.compile(r"<time>[^<]*?(\d\d):(\d\d):(\d\d(?:\.\d+)?)")


def nano(text):
    """Coordinate text to whole 1e-9 degrees, decimals past the ninth cut, as the program stores it."""
    return int((Decimal(text.strip()) * 1_000_000_000).to_integral_value(ROUND_DOWN))


def coordinate(tag, key):
    m = re.search(ATTRIBUTE.format(key), tag)
    return nano(m.group(2)) if m else None


def seconds_of_day(body):
    m = TIME.search(body)
    if not m:
        return None
    h, mi, s = int(m.group(1)), int(m.group(2)), float(m.group(3))
    if h > 23 or mi > 59 or s >= 61:
        return None
    return h, mi, s


def duration(p, q):
    if p is None or q is None:
        return 2.0
    seconds = abs((p[0] - q[0]) * 3600 + (p[1] - q[1]) * 60 + (p[2] - q[2]))
    return abs(86400 - seconds) if seconds > 43200 else seconds


def haversine_km(p, q, exact):
    if exact:
        k, r = mpmath.mpf(DEGREES_PER_RADIAN), mpmath.mpf(RADIUS_KM)
        f1, f2 = mpmath.mpf(p[0]) / 10**9 / k, mpmath.mpf(q[0]) / 10**9 / k
        l1, l2 = mpmath.mpf(p[1]) / 10**9 / k, mpmath.mpf(q[1]) / 10**9 / k
        h = mpmath.sin((f2 - f1) / 2) ** 2 + mpmath.cos(f1) * mpmath.cos(f2) * mpmath.sin((l2 - l1) / 2) ** 2
        return r * 2 * mpmath.asin(mpmath.sqrt(min(h, 1)))
    k, r = float(DEGREES_PER_RADIAN), float(RADIUS_KM)
    f1, f2, l1, l2 = (p[0] * 1e-9 / k, q[0] * 1e-9 / k, p[1] * 1e-9 / k, q[1] * 1e-9 / k)
    h = math.sin((f2 - f1) / 2) ** 2 + math.cos(f1) * math.cos(f2) * math.sin((l2 - l1) / 2) ** 2
    return r * 2 * math.asin(math.sqrt(min(h, 1)))


def leg_speed(p, q, t):
    """km/h to one decimal, half to even, as a Decimal; None for a leg of no time."""
    if t == 0:
        return None
    raw = haversine_km(p, q, False) * float(FACTOR) / (t / 2)
    tenths = raw * 10
    if mpmath is not None and abs(tenths - math.floor(tenths) - 0.5) < 1e-6:
        mpmath.mp.dps = 50
        raw = haversine_km(p, q, True) * mpmath.mpf(FACTOR) / (mpmath.mpf(t) / 2)
        return Decimal(mpmath.nstr(raw, 40)).quantize(Decimal("0.1"), ROUND_HALF_EVEN)
    return Decimal(repr(raw)).quantize(Decimal("0.1"), ROUND_HALF_EVEN)


def four_figures(text):
    points = [(coordinate(tag, "lat"), coordinate(tag, "lon"), seconds_of_day(body or ""))
              for tag, body in POINT.findall(text)]
    points = [p for p in points if p[0] is not None and p[1] is not None]
    totals = {"tempo_tot": 0.0, "dist_tot": 0.0, "tempo_parz": 0.0, "dist_parz": 0.0}
    for p, q in zip(points, points[1:]):
        if abs(q[0] - p[0]) / 1e9 >= JUMP or abs(q[1] - p[1]) / 1e9 >= JUMP:
            continue  # recordings joined from different places: no leg
        t = duration(p[2], q[2])
        v = leg_speed(p, q, t)
        d = float(v) / 3.6 * t if v is not None else 0.0
        totals["tempo_tot"] += t
        totals["dist_tot"] += d
        if v is not None and v > PLANING:
            totals["tempo_parz"] += t
            totals["dist_parz"] += d
    return totals


if __name__ == "__main__":
    with open(sys.argv[1], encoding="latin-1") as f:
        print(json.dumps(four_figures(f.read())))
