#!/usr/bin/python3
"""Stand-in singing-voice program for tests: reads a vocal MIDI and writes a
plain tone per note into the vocal WAV beside it (the MIDI path with ".wav"
in place of its extension), 44100 Hz, 2 channels, 16 bits.

The tone starts at each note's tick of the event list under the conductor
track's tempo map, so the WAV has the timing a singing editor exports.
"""
import math
import os
import struct
import sys
import wave

import mido

RATE = 44100
AMPLITUDE = 6000


def tempo_map(track):
    """(tick, microseconds per quarter) pairs of a conductor track."""
    tick, tempos = 0, []
    for msg in track:
        tick += msg.time
        if msg.type == 'set_tempo':
            tempos.append((tick, msg.tempo))
    return tempos or [(0, 500000)]


def seconds_at(tick, tempos, division):
    seconds, last_tick, tempo = 0.0, 0, 500000
    for at, value in tempos:
        if at >= tick:
            break
        seconds += (at - last_tick) * tempo / 1e6 / division
        last_tick, tempo = at, value
    return seconds + (tick - last_tick) * tempo / 1e6 / division


def sequence_lines(track):
    text = b''
    for msg in track:
        if msg.type == 'text':
            data = msg.text.encode('latin-1')
            if data.startswith(b'DM:') and len(data) >= 8:
                text += data[8:]
    return text.decode('cp932', errors='replace').split('\n')


def notes(lines):
    """(tick, note number, length in ticks) of each note of the event list."""
    section, events, props = '', {}, {}
    for line in lines:
        if line.startswith('['):
            section = line.strip('[]')
            continue
        key, _, value = line.partition('=')
        if section == 'EventList' and value.startswith('ID#') and value != 'ID#0000':
            events[value] = int(key)
        elif section.startswith('ID#'):
            props.setdefault(section, {})[key] = value
    result = []
    for ident, tick in sorted(events.items(), key=lambda item: item[1]):
        p = props.get(ident, {})
        if 'Note#' in p and 'Length' in p:
            result.append((tick, int(p['Note#']), int(p['Length'])))
    return result


def main(argv):
    if len(argv) < 2:
        print('usage: standin_singer.py VOCAL.mid', file=sys.stderr)
        return 1
    if os.environ.get('STANDIN_SINGER_FAIL'):
        return 3
    midi_path = argv[-1]
    song = mido.MidiFile(midi_path)
    tempos = tempo_map(song.tracks[0])
    division = song.ticks_per_beat
    placed = []
    for tick, note, length in notes(sequence_lines(song.tracks[1])):
        start = seconds_at(tick, tempos, division)
        end = seconds_at(tick + length, tempos, division)
        placed.append((int(start * RATE), int(end * RATE), 440.0 * 2 ** ((note - 69) / 12)))
    total = max((end for _, end, _ in placed), default=0)
    samples = bytearray(total * 4)
    for begin, end, freq in placed:
        # One period repeated: the pitch is rounded to whole samples, which a
        # stand-in can afford, and the song is written in a blink.
        period = max(2, round(RATE / freq))
        cycle = b''.join(struct.pack('<hh', v, v) for v in (
            int(AMPLITUDE * math.sin(2 * math.pi * i / period)) for i in range(period)))
        count = end - begin
        samples[begin * 4:end * 4] = (cycle * (count // period + 1))[:count * 4]
    out = os.path.splitext(midi_path)[0] + '.wav'
    temp = out + '.part'
    with wave.open(temp, 'wb') as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(samples))
    os.replace(temp, out)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
