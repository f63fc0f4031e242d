# Virtual sound devices for the audio tests (sourced by scripts/test.sh).
export JACK_NO_START_SERVER=1
