# How the set-up scripts ask apt; sourced by bootstrap.sh and ensure-i386.sh, not run.
# A package mirror is often half synced for hours: one index fails its size check, so "apt-get update"
# exits 100 although every other index came, and the packages of the security suite then lack their
# i386 twins, so an install fails for unmet dependencies. Both are survived here with apt's own means:
# the update goes on with what apt has, and such an install is tried again with the release's own versions
# preferred. No check of apt's is ever switched off.
# Expects SUDO ("" or "sudo"). QM_APT_TRIES and QM_APT_PAUSE (seconds) set how often and how patiently
# the update is tried.

apt_release=$( (. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}") || true)
apt_release=${apt_release:-bookworm}

# apt-get update, tried QM_APT_TRIES times. When an index still fails, says which in one line and goes on:
# apt keeps what it fetched and the older copies of what it could not.
apt_update() {
  local log try tries=${QM_APT_TRIES:-3}
  log=$(mktemp)
  for try in $(seq 1 "$tries"); do
    if $SUDO apt-get update -q >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt "$tries" ] && sleep "${QM_APT_PAUSE:-10}"
  done
  local failing
  failing=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | paste -sd' ')
  echo "apt: after $tries tries apt-get update still fails (${failing:-$(grep '^E:' "$log" | tail -n 1)}); going on with the indexes apt has" >&2
  rm -f "$log"
  return 0
}

# One install attempt: apt's output shown as it comes and kept in $apt_log; apt's exit code.
apt_try_install() {
  $SUDO apt-get install -y -q --no-install-recommends "$@" 2>&1 | tee "$apt_log"
  return "${PIPESTATUS[0]}"
}

# apt-get install OPTION_OR_PACKAGE... When it fails for unmet dependencies (and no target release was
# asked for), it is tried once more with the release's versions preferred. When that fails too, apt's
# message has been shown and its exit code is returned.
apt_install() {
  local code=0
  apt_log=$(mktemp)
  apt_try_install "$@" || code=$?
  if [ $code -ne 0 ] && grep -qi 'unmet dependencies' "$apt_log" && [[ " $* " != *" -t "* ]]; then
    echo "apt: unmet dependencies, as on a half-synced mirror; trying again with the $apt_release release's own versions preferred (-t $apt_release)" >&2
    code=0
    apt_try_install -t "$apt_release" "$@" || code=$?
  fi
  rm -f "$apt_log"
  return $code
}
