#!/bin/sh
# Runs a test without root's power to read and write past file permissions, so that a
# permission fault happens as it does for any user.
if [ "$(id -u)" -eq 0 ]; then
    exec setpriv --bounding-set -dac_override,-dac_read_search "$@"
fi
exec "$@"
