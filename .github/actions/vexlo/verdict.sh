#!/usr/bin/env bash
# Fails the step when the code is out of date, lint found something, or vexlo failed;
# says which, with the command that fixes it.
set -u
status=0
case "${GATE:-}" in
  0) echo "The checked-in code is what the model generates." ;;
  1) echo "::error::The checked-in code is not what $MODEL generates: run vexlo generate with the same options and commit the result (the diff is in the job's artifact and summary)."; status=1 ;;
  "") echo "::error::The gate did not run."; status=1 ;;
  *) echo "::error::vexlo could not check the model (exit code $GATE); see the step's log."; status=1 ;;
esac
case "${LINT:-}" in
  0|"") ;;
  1) echo "::error::vexlo lint reports settings the compilers would reject (see the annotations)."; status=1 ;;
  *) echo "::error::vexlo lint could not judge the model (exit code $LINT)."; status=1 ;;
esac
exit $status
