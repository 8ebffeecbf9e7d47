#!/bin/sh
# Stands in for the mailer in the tests: records the arguments it receives,
# each ended by a zero byte, beside itself, and fails (the status must not
# matter to the sender).
printf '%s\0' "$@" > "$0.args"
exit 3
