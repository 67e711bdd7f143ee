#!/usr/bin/python3
"""Writes the example karaoke songs in examples/.

Each song is an XF karaoke file: a format 0 MIDI file whose "MTrk" chunk holds
a GM reset, the master volume, tempo, time signature and every channel (the
melody on channel 1, the accompaniment on others, drums on channel 10),
followed by an "XFIH" information chunk and an "XFKM" chunk with the lyrics as
lyric meta events in CP932: one lyric per note or per syllable group, readings
of kanji in brackets after them (兎[うさぎ]), "/" before the first lyric of a
new line.

    /usr/bin/python3 tools/make-example-songs.py [OUTPUT_FOLDER]

The folder defaults to examples/ beside this tool. The output is the same byte
for byte on every run.
"""

import os
import sys

DIVISION = 480


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def sjis(text):
    return text.encode("cp932")


class Track:
    """Events at absolute ticks; at one tick note-offs come first, then the
    events in the order they were added."""

    def __init__(self):
        self.events = []

    def add(self, tick, data, order=1):
        self.events.append((tick, order, len(self.events), data))

    def note(self, tick, channel, note, velocity, length):
        self.add(tick, bytes([0x90 | channel, note, velocity]))
        self.add(tick + length, bytes([0x80 | channel, note, 64]), order=0)

    def chunk(self, chunk_id, end_tick=None):
        body = bytearray()
        now = 0
        last = 0
        for tick, _, _, data in sorted(self.events):
            body += vlq(tick - now) + data
            now = tick
            last = max(last, tick)
        end = last if end_tick is None else max(end_tick, last)
        body += vlq(end - now) + bytes([0xFF, 0x2F, 0x00])
        return chunk_id + len(body).to_bytes(4, "big") + bytes(body)


def control(channel, controller, value):
    return bytes([0xB0 | channel, controller, value])


def program(channel, number):
    return bytes([0xC0 | channel, number])


GM_RESET = bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7])
MASTER_VOLUME = bytes([0xF0, 0x07, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x7F, 0xF7])


def tempo(us_per_quarter):
    return bytes([0xFF, 0x51, 0x03]) + us_per_quarter.to_bytes(3, "big")


def time_signature(numerator, power):
    return bytes([0xFF, 0x58, 0x04, numerator, power, 0x18, 0x08])


def key_signature(sharps, minor):
    return bytes([0xFF, 0x59, 0x02, sharps & 0xFF, minor])


def xfih(texts):
    body = bytearray()
    for text in texts:
        body += b"\x00" + meta(0x01, sjis(text))
    body += b"\x00\xFF\x2F\x00"
    return b"XFIH" + len(body).to_bytes(4, "big") + bytes(body)


def setup(track, title, us_per_quarter, numerator, power, key, channels):
    """Reset, master volume, names, tempo, meter, key, and per channel its
    program, volume and pan."""
    track.add(0, meta(0x03, sjis(title)))
    track.add(0, GM_RESET)
    track.add(0, MASTER_VOLUME)
    track.add(0, tempo(us_per_quarter))
    track.add(0, time_signature(numerator, power))
    track.add(0, key_signature(*key))
    for i, (channel, prog, volume, pan) in enumerate(channels):
        tick = 120 + 10 * i  # after the reset has settled
        if prog is not None:
            track.add(tick, program(channel, prog))
        track.add(tick, control(channel, 7, volume))
        track.add(tick, control(channel, 10, pan))


def melody_and_lyrics(track, lyrics, start, notes, channel=0):
    """notes: (note number, length in ticks, lyric or None, line break before)."""
    tick = start
    for number, length, lyric, new_line in notes:
        track.note(tick, channel, number, 100, length - 10)
        if new_line:
            lyrics.add(tick, meta(0x05, b"/"))
        if lyric is not None:
            lyrics.add(tick, meta(0x05, sjis(lyric)))
        tick += length
    return tick


# ---------------------------------------------------------------------------
# ふるさと (music by 岡野貞一, words by 高野辰之), first verse, in F major, 3/4.

def furusato():
    q = DIVISION
    bar = 3 * q
    F4, G4, A4, Bb4, C5, D5, E5, F5 = 65, 67, 69, 70, 72, 74, 76, 77
    # (note, length, lyric, line break before)
    line1 = [(F4, q, "兎[うさぎ]", False), (F4, q, None, False), (F4, q, None, False),
             (G4, q + q // 2, "追[お]", False), (A4, q // 2, "い", False), (G4, q, "し", False),
             (A4, q, "彼の山", False), (A4, q, None, False), (Bb4, q, None, False),
             (C5, bar, None, False)]
    line2 = [(A4, q, "小[こ]鮒[ぶな]", True), (Bb4, q, None, False), (A4, q, None, False),
             (G4, q + q // 2, "釣[つ]", False), (A4, q // 2, "り", False), (G4, q, "し", False),
             (F4, q, "彼の川", False), (A4, q, None, False), (G4, q, None, False),
             (F4, bar, None, False)]
    line3 = [(C5, q, "夢[ゆめ]", True), (C5, q, None, False), (C5, q, "は", False),
             (D5, q + q // 2, "今[いま]", False), (C5, q // 2, None, False), (Bb4, q, "も", False),
             (A4, q, "め", False), (A4, q, "ぐ", False), (Bb4, q, "り", False),
             (C5, bar, "て", False)]
    line4 = [(D5, q, "忘[わす]", True), (D5, q, None, False), (D5, q, "れ", False),
             (F5, q + q // 2, "難[がた]", False), (E5, q // 2, None, False), (D5, q, "き", False),
             (C5, q, "故郷", False), (A4, q, None, False), (G4, q, None, False),
             (F4, bar, None, False)]

    track = Track()
    lyrics = Track()
    setup(track, "ふるさと", 681818, 3, 2, (-1, 0),
          [(0, 73, 100, 64), (1, 0, 90, 54), (2, 32, 100, 64), (3, 48, 70, 74), (9, None, 80, 64)])
    start = bar  # one bar of count-in
    end = melody_and_lyrics(track, lyrics, start, line1 + line2 + line3 + line4)
    lyrics.add(end, meta(0x05, b"/"))

    F, C, C7, Bb, Dm = [53, 57, 60], [52, 55, 60], [52, 58, 60], [53, 58, 62], [53, 57, 62]
    roots = {id(F): 41, id(C): 36, id(C7): 36, id(Bb): 34, id(Dm): 38}
    harmony = [F, C, F, C, F, C, C7, F, F, Bb, F, C, Dm, Bb, C7, F]
    for i, chord in enumerate(harmony):
        t = start + i * bar
        for n in chord:
            track.note(t, 1, n, 70, bar - 20)       # piano
            track.note(t, 3, n + 12, 60, bar - 10)  # strings an octave up
        root = roots[id(chord)]
        track.note(t, 2, root, 90, q - 20)          # bass: root, fifth, fifth
        track.note(t + q, 2, root + 7, 80, q - 20)
        track.note(t + 2 * q, 2, root + 7, 80, q - 20)
    for i in range(len(harmony) + 1):  # drums: count-in bar and the song
        t = i * bar
        track.note(t, 9, 36, 90, 60)                # bass drum
        track.note(t + q, 9, 42, 60, 60)            # closed hi-hat
        track.note(t + 2 * q, 9, 42, 60, 60)
    final = start + len(harmony) * bar
    for n in F:
        track.note(final, 1, n, 60, bar)
    track.note(final, 2, 41, 80, bar)

    return (b"MThd" + (6).to_bytes(4, "big") + b"\x00\x00\x00\x01" + DIVISION.to_bytes(2, "big")
            + track.chunk(b"MTrk", final + bar)
            + xfih(["XFhd:2026:JP:Folk:::ja:::", "XFln:L1:ふるさと:岡野貞一:高野辰之:::"])
            + lyrics.chunk(b"XFKM", final + bar))


# ---------------------------------------------------------------------------
# キャンディー・カウント (written for this project), in C major, 4/4: katakana,
# long-vowel marks, small kana, digits, an English word and a space.

def candy_count():
    q = DIVISION
    h = 2 * q
    bar = 4 * q
    C4, D4, E4, F4, G4, A4, B4, C5 = 60, 62, 64, 65, 67, 69, 71, 72
    line1 = [(C4, q, "1", False), (D4, q, "2", False), (E4, q, "3", False), (G4, q, "で", False),
             (A4, q, "ジャ", False), (G4, q, "ン", False), (E4, h, "プ", False)]
    line2 = [(F4, q, "キャ", True), (F4, q, "ン", False), (A4, q, "ディ", False),
             (A4, q, "ー", False), (G4, q, "ひ", False), (E4, q, "と", False), (C4, h, "つ", False)]
    line3 = [(E4, q, "ら ら", True), (G4, q, None, False), (C5, h, "love", False),
             (B4, q, "ソ", False), (A4, q, "ン", False), (G4, h, "グ", False)]
    line4 = [(A4, q, "チョ", True), (G4, q, "コ", False), (E4, q, "レー", False),
             (D4, q, "ト", False), (C4, bar, "ね", False)]

    track = Track()
    lyrics = Track()
    setup(track, "キャンディー・カウント", 500000, 4, 2, (0, 0),
          [(0, 80, 100, 64), (1, 4, 90, 50), (2, 33, 100, 64), (9, None, 80, 64)])
    start = bar
    end = melody_and_lyrics(track, lyrics, start, line1 + line2 + line3 + line4)
    lyrics.add(end, meta(0x05, b"/"))

    C, Am, F, G = [55, 60, 64], [57, 60, 64], [53, 57, 60], [55, 59, 62]
    roots = {id(C): 36, id(Am): 33, id(F): 41, id(G): 43}
    harmony = [C, Am, F, C, C, G, G, C]
    for i, chord in enumerate(harmony):
        t = start + i * bar
        for beat in (0, 2):
            for n in chord:
                track.note(t + beat * q, 1, n, 70, h - 20)  # electric piano
        root = roots[id(chord)]
        for beat in range(4):
            track.note(t + beat * q, 2, root if beat % 2 == 0 else root + 7, 90, q - 30)
    for i in range(len(harmony) + 1):
        t = i * bar
        for beat in range(4):
            track.note(t + beat * q, 9, 36 if beat % 2 == 0 else 38, 90 if beat % 2 == 0 else 70, 60)
            track.note(t + beat * q, 9, 42, 50, 60)
    final = start + len(harmony) * bar

    return (b"MThd" + (6).to_bytes(4, "big") + b"\x00\x00\x00\x01" + DIVISION.to_bytes(2, "big")
            + track.chunk(b"MTrk", final + q)
            + xfih(["XFhd:2026:JP:Pops:::ja:::", "XFln:L1:キャンディー・カウント:Cantorix:Cantorix:::"])
            + lyrics.chunk(b"XFKM", final + q))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    os.makedirs(folder, exist_ok=True)
    for name, song in (("furusato.mid", furusato), ("candy-count.mid", candy_count)):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(song())
        print(path)


if __name__ == "__main__":
    main()
