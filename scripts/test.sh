#!/usr/bin/env bash
# Sets everything up, builds and runs all tests offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
# The server tests run against a private, throw-away PostgreSQL cluster that
# exists only while the tests run (pg_virtualenv sets PGHOST, PGPORT, PGUSER
# and PGPASSWORD for them); no test uses a server it did not start.
if command -v pg_virtualenv >/dev/null; then
  pg_virtualenv -t -o fsync=off ctest --test-dir build --output-on-failure -j "${JOBS:-2}"
else
  ctest --test-dir build --output-on-failure -j "${JOBS:-2}"
fi
