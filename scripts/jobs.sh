# Sourced by the scripts that build: how many jobs a build (and fuzzing) runs
# at once comes from PELMORA_JOBS, 2 when it is not set (the CI machine's cores).
export PELMORA_JOBS=${PELMORA_JOBS:-2}
# 0 would have fuzz.sh take no step through its targets.
if ! [[ $PELMORA_JOBS =~ ^[1-9][0-9]*$ ]]; then
  echo "PELMORA_JOBS must be a whole number from 1 on, not '$PELMORA_JOBS'" >&2
  exit 2
fi
