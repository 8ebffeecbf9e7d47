#!/bin/sh
# Stands in for the mailer in the tests: records the arguments it receives
# (UTF-8 here) as Shift-JIS, each ended by a zero byte, beside itself, and
# fails (the status must not matter to the sender).
printf '%s\0' "$@" | iconv -f UTF-8 -t CP932 > "$0.args"
exit 3
