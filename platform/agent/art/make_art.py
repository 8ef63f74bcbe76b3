#!/usr/bin/env python3
"""Draws the four characters' frames as SVG files beside this script.

Each character is one drawing with a few moving parts (arms, mouth, eyes, a lift of the whole
body); a frame is the drawing with those parts set. Run it again after changing a drawing.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# Per animation: the frames in order, each (left arm, right arm, mouth open, eyes, lift).
# Arm angles in degrees: 0 hangs down, 90 straight out, 160 up.
POSES = {
    "rest": [(10, 10, False, "open", 0)],
    "speak": [(10, 10, True, "open", 0)],
    "getattention": [(10, 150, True, "wide", 0), (10, 120, False, "wide", -4),
                     (10, 150, True, "wide", 0)],
    "pleased": [(60, 60, False, "happy", -3), (80, 80, True, "happy", -6)],
    "gesturedown": [(10, 40, False, "open", 0), (10, 70, True, "down", 2)],
}


def arm(x, y, angle, length, colour, width, side):
    # side -1 left, +1 right; the arm turns outwards around its shoulder.
    rot = -angle * side
    return (f'<g transform="rotate({rot} {x} {y})">'
            f'<line x1="{x}" y1="{y}" x2="{x}" y2="{y + length}" stroke="{colour}" '
            f'stroke-width="{width}" stroke-linecap="round"/>'
            f'<circle cx="{x}" cy="{y + length}" r="{width * 0.6:.1f}" fill="{colour}"/></g>')


def eyes(cx1, cx2, cy, kind, colour="#1d1d1d", r=4):
    if kind == "happy":
        return "".join(f'<path d="M{c - r} {cy + 1} Q{c} {cy - r - 2} {c + r} {cy + 1}" '
                       f'stroke="{colour}" stroke-width="2.5" fill="none"/>' for c in (cx1, cx2))
    if kind == "down":
        return "".join(f'<circle cx="{c}" cy="{cy + 2}" r="{r - 1}" fill="{colour}"/>'
                       for c in (cx1, cx2))
    rr = r + 1 if kind == "wide" else r
    return "".join(f'<circle cx="{c}" cy="{cy}" r="{rr + 2}" fill="#ffffff"/>'
                   f'<circle cx="{c}" cy="{cy}" r="{rr - 1}" fill="{colour}"/>' for c in (cx1, cx2))


def mouth(cx, cy, open_, w=10, colour="#6b1d1d"):
    if open_:
        return f'<ellipse cx="{cx}" cy="{cy + 2}" rx="{w / 2}" ry="4" fill="{colour}"/>'
    return (f'<path d="M{cx - w / 2} {cy} Q{cx} {cy + 5} {cx + w / 2} {cy}" stroke="{colour}" '
            f'stroke-width="2.5" fill="none"/>')


def robby(la, ra, m, e):
    return "".join([
        '<line x1="64" y1="14" x2="64" y2="26" stroke="#5a6470" stroke-width="3"/>',
        '<circle cx="64" cy="11" r="5" fill="#e8463c"/>',
        arm(40, 74, la, 26, "#7d8a96", 7, -1), arm(88, 74, ra, 26, "#7d8a96", 7, 1),
        '<rect x="40" y="68" width="48" height="42" rx="6" fill="#9aa7b4" stroke="#5a6470" '
        'stroke-width="2"/>',
        '<rect x="52" y="78" width="24" height="14" rx="3" fill="#3c7dd9"/>',
        '<circle cx="58" cy="85" r="2.5" fill="#9fe06b"/><circle cx="70" cy="85" r="2.5" '
        'fill="#f2c230"/>',
        '<rect x="46" y="110" width="12" height="12" fill="#5a6470"/>',
        '<rect x="70" y="110" width="12" height="12" fill="#5a6470"/>',
        '<rect x="38" y="26" width="52" height="40" rx="9" fill="#c3ccd6" stroke="#5a6470" '
        'stroke-width="2"/>',
        eyes(54, 74, 42, e, "#1f3c66"),
        f'<rect x="54" y="54" width="20" height="{7 if m else 3}" rx="2" fill="#33404d"/>',
    ])


def peedy(la, ra, m, e):
    beak = ('<path d="M70 44 L88 50 L70 56 Z" fill="#f5a623"/>' +
            ('<path d="M70 56 L84 60 L70 62 Z" fill="#d9831a"/>' if m else ""))
    return "".join([
        '<path d="M58 104 L50 124 L64 112 L70 126 L72 106 Z" fill="#2c8f5a"/>',
        '<ellipse cx="64" cy="84" rx="26" ry="32" fill="#3fbf6f"/>',
        '<ellipse cx="66" cy="92" rx="15" ry="20" fill="#c9f2a8"/>',
        arm(44, 70, la, 28, "#2c8f5a", 10, -1), arm(84, 70, ra, 28, "#2c8f5a", 10, 1),
        '<circle cx="64" cy="46" r="20" fill="#3fbf6f"/>',
        '<path d="M54 28 Q58 14 64 26 Q68 12 72 28 Z" fill="#e8463c"/>',
        eyes(56, 70, 42, e, "#1d1d1d", 3), beak,
        '<path d="M54 118 L50 124 M74 118 L78 124" stroke="#f5a623" stroke-width="3"/>',
    ])


def merlin(la, ra, m, e):
    return "".join([
        '<path d="M36 124 L46 70 L82 70 L92 124 Z" fill="#3b3f9e"/>',
        '<path d="M52 92 l3 6 l6 1 l-5 4 l1 6 l-5 -3 l-5 3 l1 -6 l-5 -4 l6 -1 Z" '
        'fill="#f2d24b"/>',
        arm(48, 74, la, 30, "#3b3f9e", 10, -1), arm(80, 74, ra, 30, "#3b3f9e", 10, 1),
        '<circle cx="64" cy="52" r="17" fill="#f3c9a4"/>',
        '<path d="M48 56 Q64 104 80 56 Q72 66 64 64 Q56 66 48 56 Z" fill="#f4f4f4" '
        'stroke="#c9c9c9"/>',
        eyes(57, 71, 48, e, "#2b2b66", 3), mouth(64, 60, m, 8),
        '<path d="M40 38 L64 2 L88 38 Z" fill="#3b3f9e"/>',
        '<ellipse cx="64" cy="38" rx="28" ry="5" fill="#2e3180"/>',
        '<circle cx="62" cy="20" r="2.5" fill="#f2d24b"/><circle cx="70" cy="30" r="2" '
        'fill="#f2d24b"/>',
    ])


def genie(la, ra, m, e):
    return "".join([
        '<path d="M54 96 Q40 112 58 118 Q78 124 66 108 Q60 102 72 96 Z" fill="#5fb5e8"/>',
        '<path d="M44 70 Q64 60 84 70 L78 100 L50 100 Z" fill="#2f8fd1"/>',
        '<rect x="48" y="92" width="32" height="7" rx="3" fill="#f2c230"/>',
        arm(46, 72, la, 28, "#2f8fd1", 9, -1), arm(82, 72, ra, 28, "#2f8fd1", 9, 1),
        '<circle cx="64" cy="50" r="18" fill="#4aa3e0"/>',
        eyes(57, 71, 48, e, "#102a55", 3), mouth(64, 59, m, 9, "#102a55"),
        '<path d="M58 64 Q64 72 70 64" stroke="#102a55" stroke-width="1.5" fill="none"/>',
        '<path d="M44 40 Q64 14 84 40 Q64 34 44 40 Z" fill="#ffffff" stroke="#d6d6d6"/>',
        '<circle cx="64" cy="30" r="4" fill="#e8463c"/>',
    ])


CHARACTERS = {"robby": robby, "peedy": peedy, "merlin": merlin, "genie": genie}


def frame(draw, pose):
    la, ra, m, e, lift = pose
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" '
            'viewBox="0 0 128 128">\n'
            f'<g transform="translate(0 {lift})">{draw(la, ra, m, e)}</g>\n</svg>\n')


def main():
    for name, draw in CHARACTERS.items():
        for animation, poses in POSES.items():
            for i, pose in enumerate(poses):
                path = os.path.join(HERE, f"{name}-{animation}-{i}.svg")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(frame(draw, pose))


if __name__ == "__main__":
    main()
