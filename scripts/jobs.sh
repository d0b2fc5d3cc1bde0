# Sourced by the scripts that build: how many jobs a build (and fuzzing) runs
# at once comes from PELMORA_JOBS, 2 when it is not set (the CI machine's cores).
export PELMORA_JOBS=${PELMORA_JOBS:-2}
