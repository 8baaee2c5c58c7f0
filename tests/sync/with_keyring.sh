#!/bin/sh
# The secret store tests on this private bus: with a gnome-keyring of its own in a HOME of its
# own, and with no secret store at all. 77 (skipped) when gnome-keyring cannot start.
set -u
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export HOME="$dir" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config" \
    XDG_CACHE_HOME="$dir/cache" XDG_RUNTIME_DIR="$dir/run"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/no-bus" "$program" --gtest_filter='NoSecretStore.*' || exit 1

# The daemon answers once it has forked; it ends with the bus.
if ! command -v gnome-keyring-daemon >/dev/null ||
    ! env=$(printf 'test' | gnome-keyring-daemon --unlock --components=secrets 2>"$dir/keyring.log"); then
    cat "$dir/keyring.log" >&2
    exit 77
fi
eval "$env"
export GNOME_KEYRING_CONTROL
"$program" --gtest_filter='SecretStore.*'
