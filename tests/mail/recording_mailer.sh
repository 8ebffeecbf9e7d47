#!/bin/sh
# Stands in for the mailer in the tests: while "<itself>.hold" exists it
# waits (a mailer that does not end); then it records the arguments it
# receives (UTF-8 here) as Shift-JIS, each ended by a zero byte, and its
# working folder (UTF-8) beside itself, and fails (the status must not matter
# to the sender).
while [ -e "$0.hold" ]; do sleep 0.02; done
pwd > "$0.cwd"
# The record appears whole or not at all: a test that sees it reads it at once.
printf '%s\0' "$@" | iconv -f UTF-8 -t CP932 > "$0.args.part"
mv -f "$0.args.part" "$0.args"
exit 3
