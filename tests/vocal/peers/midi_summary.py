"""Prints what mido sees in a vocal MIDI file, one item per line:
  file TYPE TRACKS DIVISION
  track INDEX NAME
  tempo TICK US          (conductor)
  timesig TICK N/D CLOCKS NOTATED32
  text TICK SIZE HEX     (text events, in order; SIZE = bytes of the event data)
  initial COUNT PROGRAM  (controls before the first note block)
  block TICK COUNT NOTE SYMBOL  (one note block: controls from (99, 0x50) up to
                                 the closing (99, 0x65))
  closing COUNT          (controls of the closing group after each block)
  channels LIST
  end TICK               (end of track)
"""
import sys

import mido


def main(path):
    mid = mido.MidiFile(path)
    print("file", mid.type, len(mid.tracks), mid.ticks_per_beat)
    for index, track in enumerate(mid.tracks):
        tick = 0
        controls = []
        channels = set()
        for msg in track:
            tick += msg.time
            if msg.is_meta:
                if msg.type == "track_name":
                    print("track", index, msg.name)
                elif msg.type == "set_tempo":
                    print("tempo", tick, msg.tempo)
                elif msg.type == "time_signature":
                    print("timesig", tick, "%d/%d" % (msg.numerator, msg.denominator),
                          msg.clocks_per_click, msg.notated_32nd_notes_per_beat)
                elif msg.type == "text":
                    raw = msg.text.encode("latin-1")
                    print("text", tick, len(raw), raw.hex())
                elif msg.type == "end_of_track":
                    print("end", tick)
                else:
                    print("meta", tick, msg.type)
            elif msg.type == "control_change":
                channels.add(msg.channel)
                controls.append((tick, msg.control, msg.value))
            else:
                print("other", tick, msg.type)
        if not controls:
            continue
        i = 0
        start = i
        while i < len(controls) and not (controls[i][1] == 99 and controls[i][2] == 0x50):
            i += 1
        initial = controls[start:i]
        print("initial", len(initial), initial[-1][2] if initial else -1)
        while i < len(controls):
            begin = i
            while i < len(controls) and not (controls[i][1] == 99 and controls[i][2] == 0x65):
                i += 1
            block = controls[begin:i]
            note = -1
            symbol = ""
            for k in range(len(block) - 1):
                if block[k][1] == 98 and block[k + 1][1] == 6:
                    if block[k][2] == 0x02:
                        note = block[k + 1][2]
                    elif 0x13 <= block[k][2] < 0x13 + 9:
                        symbol += chr(block[k + 1][2])
            print("block", block[0][0], len(block), note, symbol)
            closing_start = i
            while i < len(controls) and not (controls[i][1] == 99 and controls[i][2] == 0x50):
                i += 1
            print("closing", i - closing_start)
        print("channels", ",".join(str(c) for c in sorted(channels)))


if __name__ == "__main__":
    main(sys.argv[1])
