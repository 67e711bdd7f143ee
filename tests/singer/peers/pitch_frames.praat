# Prints the pitch of a WAV file frame by frame: "TIME HERTZ" per line,
# "--undefined--" for unvoiced frames. floor: the lowest pitch looked for.
form Pitch frames
  sentence file
  positive floor 75
endform
Read from file: file$
To Pitch (ac): 0.01, floor, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 1000
n = Get number of frames
for i to n
  t = Get time from frame number: i
  f = Get value in frame: i, "Hertz"
  appendInfoLine: fixed$(t, 4), " ", fixed$(f, 3)
endfor
