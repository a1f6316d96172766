# The settings file as the full-screen saver ("/s") reads it: once, when its window is
# created, before any image is loaded, "Sound", "Logo", "Pics" with the defaults 0, 1,
# 1; zero means off, anything else on, a word zero; section and key names in any case.
# Each case stores a file, runs the saver and checks what the screen shows, which
# profile reads and sound cues a relay trace records, and that the saver ends with 0.
. "$(dirname "$0")/common.sh" "$@"

READS="read(VARNO,Sound,0,VARNO.INI)=%d read(VARNO,Logo,1,VARNO.INI)=%d read(VARNO,Pics,1,VARNO.INI)=%d"
CREATED="bitmaps timer(5)"

# scene_obeys NAME: the row NAME of SCENE_CASES. With the settings file STORED (none
# when "absent"), the screen matches SCREEN (LOOK "once": at some moment, since with the
# pictures on a reveal interrupts the picture; "every": on every look until tick
# TICKS), and the relay trace up to the end of tick TICKS holds exactly EVENTS. With
# the pictures off the cue falls on tick 310 and every 310th after.
scene_obeys() {
  local row name stored look screen until events
  for row in "${SCENE_CASES[@]}"; do
    IFS='|' read -r name stored look screen until events <<<"$row"
    [[ "$name" == "$1" ]] && break
  done
  if [[ "$stored" == absent ]]; then remove_settings; else store_settings "$stored"; fi
  traced_saver_start /s
  if [[ "$look" == every ]]; then
    screen_shows "$screen" "$until"
  else
    screen_shows_once "$screen"
  fi
  wait_for_ticks "$until" || fail "the saver drew only $(ticks) ticks, not $until"
  expect_eq "calls up to tick $until" "$events" "$(trace_events "$until")"
  end_full_screen
}

# name | stored | look | screen | ticks watched | events
SCENE_CASES=(
  # No file: the logo over a picture, no sound.
  "no-file|absent|once|$PICTURE_AND_LOGO|700|$(printf "$READS" 0 1 1) $CREATED"
  # 2 counts as on: the cue on ticks 310 and 620; no picture ever, the logo alone.
  "sound-2-no-pictures|[VARNO]\r\nSound=2\r\nPics=0\r\n|every|$ONLY_LOGO|700|$(printf "$READS" 2 1 0) $CREATED cue@310 cue@620"
  # A word reads as 0: no logo, a picture alone.
  "logo-word|[VARNO]\r\nLogo=none\r\n|once|$ONLY_PICTURE|340|$(printf "$READS" 0 0 1) $CREATED"
  # Names in other letter case are the same names; Unix line ends read as well.
  "names-in-any-case|[varno]\nsOUND=1\nlogo=0\nPICS=0\n|every|black|340|$(printf "$READS" 1 0 0) $CREATED cue@310"
)

settings_begin
for row in "${SCENE_CASES[@]}"; do
  run_case scene_obeys "${row%%|*}"
done
test_end
