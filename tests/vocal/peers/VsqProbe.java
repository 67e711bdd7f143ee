// Loads a vocal MIDI file with the singing editor's sequence reader and
// prints what the reader sees, one item per line (UTF-8):
//   tempo CLOCK TEMPO
//   premeasure N
//   track NAME
//   singer CLOCK IDS PROGRAM
//   note CLOCK LENGTH NOTE LYRIC|PHONETIC
// and with a second argument "seconds", per note:
//   notesec CLOCK SECONDS
import java.io.PrintStream;
import java.util.Iterator;
import org.kbinani.vsq.TempoTableEntry;
import org.kbinani.vsq.VsqEvent;
import org.kbinani.vsq.VsqFile;
import org.kbinani.vsq.VsqTrack;

public class VsqProbe {
  public static void main(String[] args) throws Exception {
    PrintStream out = new PrintStream(System.out, true, "UTF-8");
    VsqFile vsq = new VsqFile(args[0], "Shift_JIS");
    for (TempoTableEntry t : vsq.TempoTable) out.println("tempo " + t.Clock + " " + t.Tempo);
    out.println("premeasure " + vsq.getPreMeasure());
    for (int i = 1; i < vsq.Track.size(); i++) {
      VsqTrack track = vsq.Track.get(i);
      out.println("track " + track.getName());
      for (Iterator<VsqEvent> it = track.getSingerEventIterator(); it.hasNext();) {
        VsqEvent e = it.next();
        out.println("singer " + e.Clock + " " + e.ID.IconHandle.IDS + " " + e.ID.IconHandle.Program);
      }
      for (Iterator<VsqEvent> it = track.getNoteEventIterator(); it.hasNext();) {
        VsqEvent e = it.next();
        out.println("note " + e.Clock + " " + e.ID.getLength() + " " + e.ID.Note + " "
            + e.ID.LyricHandle.L0.Phrase + "|" + e.ID.LyricHandle.L0.getPhoneticSymbol());
        if (args.length > 1 && args[1].equals("seconds"))
          out.println("notesec " + e.Clock + " " + vsq.getSecFromClock(e.Clock));
      }
    }
  }
}
