# A bounded soak of the scene through GDI under Wine: 20,000 ticks full screen with
# pictures, logo and sound on, through a wrap of tickCount past 2^32. After the warm-up
# (a change of picture and a sound cue behind it) the process must hold exactly as
# many GDI objects and handles at the end as before, and the scene must keep to its
# clock on every tick. Memory figures are printed, not judged.
SCENE_NAME=scene_soak
. "$(dirname "$0")/scene_lib.sh" "$@"

scene_begin
rc=0
gdi 240 soak --size 640x480 --seed 1 --settings 111 --ticks-total 20000 --wrap --check || rc=$?
if ((rc)); then
  echo "$SCENE_NAME: FAIL (exit code $rc)"
  KEEP_PREFIX=1
  exit 1
fi
echo "$SCENE_NAME: passed"
