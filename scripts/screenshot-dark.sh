#!/usr/bin/env bash
# Takes the README's pictures of the program under a dark desktop (see screenshot.sh).
# Usage: scripts/screenshot-dark.sh [TAVELORN [OUTPUT_DIR]]
exec "$(dirname "$0")/screenshot.sh" --dark "$@"
